// The widgets of the main window and their style: the stage that holds the client area, the
// client area itself, the owner-drawn step buttons, the control style that grows with the scale,
// the status line and the docks of the side panels. Each only forwards to the window.
#pragma once

#include <QAbstractButton>
#include <QDockWidget>
#include <QLabel>
#include <QProxyStyle>
#include <QWidget>
#include <functional>

class QAbstractItemModel;
class QTableView;

namespace viewer::qt {

// A read-only table of ptModel's rows for a side panel: whole rows chosen one at a time, rows of
// one height and columns not measured over every row, so that a long list shows at once.
QTableView* NewRowsView(QAbstractItemModel* ptModel, QWidget* ptParent);

class MainWindow;

// The room for the client area: it fits the design into itself whenever its size changes.
class StageWidget final : public QWidget {
 public:
  StageWidget(MainWindow* ptWindow, void (MainWindow::*pFit)());
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  MainWindow* ptWindow_;
  void (MainWindow::*pFit_)();
};

// The client area: painted and turned by the window procedure; its tooltips show shortened texts.
class ClientWidget final : public QWidget {
 public:
  ClientWidget(MainWindow* ptWindow, QWidget* ptParent);

 protected:
  void paintEvent(QPaintEvent* ptEvent) override;
  void wheelEvent(QWheelEvent* ptEvent) override;
  bool event(QEvent* ptEvent) override;

 private:
  MainWindow* ptWindow_;
};

// A BS_OWNERDRAW button: the window procedure draws it (WM_DRAWITEM).
class StepButton final : public QAbstractButton {
 public:
  StepButton(MainWindow* ptWindow, QWidget* ptParent, int idCtrl);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  MainWindow* ptWindow_;
  int idCtrl_;
};

// The check boxes' marks and spacing grow with the scale; everything else is the style's own.
class ScaledControlStyle final : public QProxyStyle {
 public:
  double Scale = 1.0;

  int pixelMetric(PixelMetric Metric, const QStyleOption* ptOption,
                  const QWidget* ptWidget) const override;
  void drawComplexControl(ComplexControl Control, const QStyleOptionComplex* ptOption,
                          QPainter* ptPainter, const QWidget* ptWidget) const override;

 private:
  mutable bool bDesignMetrics_ = false;
};

// The status line: one line, shortened with "..." when the window is too narrow for it, the
// whole text then in its tooltip.
class ElidedLabel final : public QLabel {
 public:
  explicit ElidedLabel(QWidget* ptParent) : QLabel(ptParent) {}
  void SetFullText(const QString& tText);
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* ptEvent) override;

 private:
  void Refresh();
  QString tFull_;
};

// The dock of a side panel: tells when the user closed it (its own button, or its menu item),
// not when the window around it hides.
class SideDock final : public QDockWidget {
 public:
  SideDock(const QString& tTitle, QWidget* ptParent, std::function<void()> Closed)
      : QDockWidget(tTitle, ptParent), Closed_(std::move(Closed)) {}

 protected:
  void hideEvent(QHideEvent* ptEvent) override;

 private:
  std::function<void()> Closed_;
};

}  // namespace viewer::qt
