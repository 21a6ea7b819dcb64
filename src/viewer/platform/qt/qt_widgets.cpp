#include "viewer/platform/qt/qt_widgets.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QToolTip>
#include <QWheelEvent>

#include "viewer/platform/qt/qt_canvas.h"
#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/qt_scaling.h"

namespace viewer::qt {

QTableView* NewRowsView(QAbstractItemModel* ptModel, QWidget* ptParent) {
  auto* ptView = new QTableView(ptParent);
  ptView->setModel(ptModel);
  ptView->setSelectionBehavior(QAbstractItemView::SelectRows);
  ptView->setSelectionMode(QAbstractItemView::SingleSelection);
  ptView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ptView->setWordWrap(false);
  ptView->verticalHeader()->hide();
  ptView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ptView->verticalHeader()->setDefaultSectionSize(ptView->fontMetrics().height() + 4);
  ptView->horizontalHeader()->setStretchLastSection(true);
  return ptView;
}

StageWidget::StageWidget(MainWindow* ptWindow, void (MainWindow::*pFit)())
    : QWidget(ptWindow), ptWindow_(ptWindow), pFit_(pFit) {
  setMinimumSize(kClientWidth, kClientHeight);
}

QSize StageWidget::sizeHint() const {
  return QSize(kClientWidth, kClientHeight);
}

void StageWidget::resizeEvent(QResizeEvent*) {
  (ptWindow_->*pFit_)();
}

ClientWidget::ClientWidget(MainWindow* ptWindow, QWidget* ptParent)
    : QWidget(ptParent), ptWindow_(ptWindow) {
  resize(kClientWidth, kClientHeight);
  QPalette tPalette = palette();
  tPalette.setColor(QPalette::Window, Qt::white);  // the class background, WHITE_BRUSH
  setPalette(tPalette);
  setAutoFillBackground(true);
}

void ClientWidget::paintEvent(QPaintEvent* ptEvent) {
  QPainter tPainter(this);
  ptWindow_->PaintClient(&tPainter, ptEvent->rect());
}

void ClientWidget::wheelEvent(QWheelEvent* ptEvent) {
  ptWindow_->Wheel(*ptEvent);
}

bool ClientWidget::event(QEvent* ptEvent) {
  if (ptEvent->type() != QEvent::ToolTip) return QWidget::event(ptEvent);
  const auto* ptHelp = static_cast<QHelpEvent*>(ptEvent);
  const QString tText = ptWindow_->ElidedTextAt(DesignPoint(ptHelp->pos(), ptWindow_->Scale()));
  if (tText.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(ptHelp->globalPos(), tText, this);
  }
  return true;
}

StepButton::StepButton(MainWindow* ptWindow, QWidget* ptParent, int idCtrl)
    : QAbstractButton(ptParent), ptWindow_(ptWindow), idCtrl_(idCtrl) {}

void StepButton::paintEvent(QPaintEvent*) {
  QPainter tPainter(this);
  ptWindow_->DrawItem(idCtrl_, &tPainter);
}

int ScaledControlStyle::pixelMetric(PixelMetric Metric, const QStyleOption* ptOption,
                                    const QWidget* ptWidget) const {
  const int Value = QProxyStyle::pixelMetric(Metric, ptOption, ptWidget);
  if (bDesignMetrics_) return Value;
  switch (Metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_CheckBoxLabelSpacing:
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin:
    case PM_ScrollView_ScrollBarOverlap:
      return Scaled(Value, Scale);
    default:
      return Value;
  }
}

// A scroll bar is drawn as at the design's size under a scaled painter: its arrows grow with
// it. Its parts keep their proportions, so the places the style hits stay those it draws.
void ScaledControlStyle::drawComplexControl(ComplexControl Control,
                                            const QStyleOptionComplex* ptOption,
                                            QPainter* ptPainter, const QWidget* ptWidget) const {
  const auto* ptBar = qstyleoption_cast<const QStyleOptionSlider*>(ptOption);
  if (Control != CC_ScrollBar || Scale == 1.0 || ptBar == nullptr) {
    return QProxyStyle::drawComplexControl(Control, ptOption, ptPainter, ptWidget);
  }
  QStyleOptionSlider tDesign = *ptBar;
  tDesign.rect =
      QRect(0, 0, qRound(ptBar->rect.width() / Scale), qRound(ptBar->rect.height() / Scale));
  bDesignMetrics_ = true;  // the design's own metrics while it draws
  ptPainter->save();
  ptPainter->translate(ptBar->rect.topLeft());
  ptPainter->scale(static_cast<double>(ptBar->rect.width()) / tDesign.rect.width(),
                   static_cast<double>(ptBar->rect.height()) / tDesign.rect.height());
  QProxyStyle::drawComplexControl(Control, &tDesign, ptPainter, ptWidget);
  ptPainter->restore();
  bDesignMetrics_ = false;
}

void ElidedLabel::SetFullText(const QString& tText) {
  tFull_ = tText;
  Refresh();
}

QSize ElidedLabel::minimumSizeHint() const {
  return QSize(0, QLabel::minimumSizeHint().height());
}

QSize ElidedLabel::sizeHint() const {
  return QSize(0, QLabel::sizeHint().height());
}

void ElidedLabel::resizeEvent(QResizeEvent* ptEvent) {
  QLabel::resizeEvent(ptEvent);
  Refresh();
}

void ElidedLabel::Refresh() {
  const QString tShown = ElideText(fontMetrics(), tFull_, contentsRect().width());
  setText(tShown);
  setToolTip(tShown != tFull_ ? tFull_ : QString());
}

// Hidden itself (not only with the window around it): the user closed it.
void SideDock::hideEvent(QHideEvent* ptEvent) {
  QDockWidget::hideEvent(ptEvent);
  if (isHidden() && Closed_) Closed_();
}

}  // namespace viewer::qt
