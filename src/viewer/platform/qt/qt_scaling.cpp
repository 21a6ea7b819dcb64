// The layout of the window at its scale: the design fitted into the room the window has, the
// text pane given the room below it, zooming, the side panels beside it, and the client area
// drawn into an image at any scale.
#include "viewer/platform/qt/qt_scaling.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QLayout>
#include <QScreen>
#include <cmath>

#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/qt_settings.h"
#include "viewer/platform/qt/qt_widgets.h"
#include "viewer/viewer.h"

namespace viewer::qt {

int Scaled(int Value, double Scale) {
  return Scale == 1.0 ? Value : static_cast<int>(std::lround(Value * Scale));
}

QRect ScaledRect(const QRect& tDesign, double Scale) {
  const int Left = Scaled(tDesign.left(), Scale);
  const int Top = Scaled(tDesign.top(), Scale);
  return QRect(Left, Top, Scaled(tDesign.left() + tDesign.width(), Scale) - Left,
               Scaled(tDesign.top() + tDesign.height(), Scale) - Top);
}

QPoint DesignPoint(const QPointF& tScaled, double Scale) {
  return QPoint(static_cast<int>(std::floor(tScaled.x() / Scale)),
                static_cast<int>(std::floor(tScaled.y() / Scale)));
}

QRect MovedForTextPane(int idCtrl, QRect tDesign, int ExtraHeight) {
  if (idCtrl == ID_HOR_TEXT) tDesign.translate(0, ExtraHeight);
  if (idCtrl == ID_VER_TEXT) tDesign.setHeight(tDesign.height() + ExtraHeight);
  return tDesign;
}

// The design fitted into the room the stage has: the largest scale, never below the design, and
// in a maximized window no larger than it was zoomed to; what room is left below goes to the
// text pane.
void MainWindow::FitToStage() {
  double Fit = std::max(1.0, std::min(static_cast<double>(ptStage_->width()) / kClientWidth,
                                      static_cast<double>(ptStage_->height()) / kClientHeight));
  if (ZoomCap_ > 0 && (isMaximized() || isFullScreen())) Fit = std::min(Fit, ZoomCap_);
  SetScale(Fit, static_cast<int>(ptStage_->height() / Fit) - kClientHeight);
}

void MainWindow::SetScale(double Scale, int ExtraHeight) {
  Scale_ = Scale > 0 ? Scale : 1.0;
  ExtraHeight_ = std::max(0, ExtraHeight);
  LayoutClient();
}

void MainWindow::LayoutClient() {
  if (ptClient_ == nullptr) return;
  SetTextPaneExtraHeight(ExtraHeight_);
  const QSize tSize(Scaled(kClientWidth, Scale_), Scaled(kClientHeight + ExtraHeight_, Scale_));
  ptClient_->setGeometry(QRect(QPoint(std::max(0, (ptStage_->width() - tSize.width()) / 2),
                                      std::max(0, (ptStage_->height() - tSize.height()) / 2)),
                               tSize));
  ptControlStyle_->Scale = Scale_;
  for (const PlacedControlDef& tPlaced : atPlaced_) {
    QFont tFont = tPlaced.tFont;
    if (Scale_ != 1.0 && tFont.pointSizeF() > 0) {
      tFont.setPointSizeF(tFont.pointSizeF() * Scale_);
    } else if (Scale_ != 1.0 && tFont.pixelSize() > 0) {
      tFont.setPixelSize(Scaled(tFont.pixelSize(), Scale_));
    }
    tPlaced.ptWidget->setFont(tFont);
    tPlaced.ptWidget->setGeometry(
        ScaledRect(MovedForTextPane(tPlaced.idCtrl, tPlaced.tDesign, ExtraHeight_), Scale_));
  }
  atElided_.clear();
  ptClient_->update();
}

void MainWindow::Zoom(int Direction) {
  double Target = 1.0;
  if (Direction > 0) {
    Target = kZoomSteps[std::size(kZoomSteps) - 1];
    for (double Step : kZoomSteps) {
      if (Step > Scale_ + 0.01) {
        Target = Step;
        break;
      }
    }
  } else if (Direction < 0) {
    for (double Step : kZoomSteps) {
      if (Step < Scale_ - 0.01) Target = Step;
    }
  }
  // A maximized window stays so: the design is drawn at the step, as far as the window holds it.
  if (isMaximized() || isFullScreen()) {
    ZoomCap_ = Target;
    FitToStage();
    return;
  }
  ZoomCap_ = 0;
  // The window around the stage (menu, status line, side panels) keeps its size.
  const QSize tAround = size() - ptStage_->size();
  QSize tWanted = QSize(Scaled(kClientWidth, Target), Scaled(kClientHeight, Target)) + tAround;
  if (const QScreen* ptScreen = screen()) {
    const QSize tRoom = ptScreen->availableGeometry().size() - (frameGeometry().size() - size());
    tWanted = tWanted.boundedTo(tRoom);
  }
  resize(tWanted);
  FitToStage();
}

QDockWidget* MainWindow::AddSidePanel(QWidget* ptPanel, const QString& tTitle) {
  // Closed: the window has laid the room out anew once the dock has gone.
  auto* ptDock = new SideDock(tTitle, this, [this] {
    const int Width = ptStage_->width();
    QMetaObject::invokeMethod(
        this, [this, Width] { KeepStageWidth(Width); }, Qt::QueuedConnection);
  });
  ptDock->setObjectName(tTitle);  // kept between runs by this name
  ptDock->setWidget(ptPanel);
  ptDock->setAllowedAreas(Qt::RightDockWidgetArea | Qt::LeftDockWidgetArea);
  addDockWidget(Qt::RightDockWidgetArea, ptDock);
  return ptDock;
}

// A side panel that opens or closes takes its room from the window, not from the table: the
// window grows or shrinks by what the stage would lose or gain. A maximized window keeps its size.
void MainWindow::KeepStageWidth(int Width) {
  if (bDestroyed_ || !isVisible() || isMaximized() || isFullScreen()) return;
  layout()->activate();
  const int Change = Width - ptStage_->width();
  if (Change == 0) return;
  int Wanted = width() + Change;
  const QScreen* ptScreen = screen();
  if (ptScreen == nullptr) return resize(std::max(Wanted, minimumSizeHint().width()), height());
  const QRect tRoom = ptScreen->availableGeometry();
  const int Frame = frameGeometry().width() - width();
  if (Change > 0) Wanted = std::max(width(), std::min(Wanted, tRoom.width() - Frame));
  resize(std::max(Wanted, minimumSizeHint().width()), height());
  // A window grown past the screen's right edge moves left, as far as the screen has room.
  const int Overflow = frameGeometry().right() - tRoom.right();
  if (Change > 0 && Overflow > 0) move(std::max(tRoom.left(), x() - Overflow), y());
}

QImage MainWindow::RenderClient(double Scale, double PixelRatio) {
  SetScale(Scale);
  QImage tImage(ptClient_->size() * PixelRatio, QImage::Format_RGB32);
  tImage.setDevicePixelRatio(PixelRatio);
  // A paint may reveal annotation lines and ask for another; at most a few rounds are needed.
  for (int Round = 0; Round < 8; ++Round) {
    QCoreApplication::processEvents();
    const unsigned long NrBefore = NrInvalidations_;
    tImage.fill(Qt::white);
    ptClient_->render(&tImage);
    QCoreApplication::processEvents();
    if (NrInvalidations_ == NrBefore) break;
  }
  return tImage;
}

}  // namespace viewer::qt
