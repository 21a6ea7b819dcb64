// The Qt 6 main window: the 640 x 480 client area under the menu "ViewMenu", the 21 child
// controls of the control table at their client positions, and the translation of Qt signals
// into calls of the window procedure (commands, scroll codes, timer ticks, paints, owner-drawn
// buttons). It decides nothing itself.
//
// The window can be resized, maximized and zoomed. The layout, kept simple:
//   - the client area (the design, its controls included) is drawn at the largest scale at which
//     it fits the room left of the side panels, never below the design's own size, centred;
//   - a wide window leaves room at its right for side panels (the game list), docked there;
//   - a tall window gives the room below the design to the text pane: more lines of text.
// Zooming (Ctrl+Plus, Ctrl+Minus, Ctrl+0) resizes the window to the design at the next scale.
// Painting and the controls keep the design's client pixels: the canvas and the control
// geometry apply the scale, and the pointer is mapped back.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QKeySequence>
#include <QMainWindow>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "viewer/platform/host.h"
#include "viewer/platform/qt/qt_canvas.h"
#include "viewer/platform/qt/qt_scaling.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QPainter;
class QProgressBar;
class QProgressDialog;
class QTimer;
class QWheelEvent;
class QDragEnterEvent;
class QDropEvent;

namespace viewer::qt {

class ElidedLabel;
class ScaledControlStyle;
class GameListPanel;
class ResultsPanel;

struct MessageBoxRecord {  // as shown, in UTF-8
  std::string Text;
  std::string Caption;
  unsigned Flags;
};

// Texts of the window's own (ASCII) with file names in them, as the file system encodes them.
QString HostText(const char* pcText);

// Qt's filter string for a Win32 filter list: "PBN Files (*.pbn *.PBN);;All Files (*)".
QString QtFileFilter(const char* pcFilter);

class MainWindow final : public QMainWindow, public Host {
 public:
  // Not interactive: message boxes are only recorded and the open dialog answers only with a
  // file given by OpenFile (the render command).
  explicit MainWindow(bool bInteractive);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  QWidget* Client() const { return ptClient_; }
  QWidget* Control(int idCtrl) const;
  QAction* MenuAction(int idCommand) const;
  // Sends a command as the menu or a control does.
  void Command(int idCommand);
  // Menu Open with Path as the dialog's answer.
  void OpenFile(const std::string& Path);
  // The index pass in steps between the window's events (the interactive viewer's way), or run to
  // its end within the command that starts it (the render command, tests): the default of a
  // window that is not interactive.
  void SetIndexPassInEvents(bool bInEvents) { bPassInEvents_ = bInEvents; }
  // The same once the window has been shown and painted: messages then stand over it.
  void OpenFileWhenShown(const std::string& Path);
  // Paints the client area, as often as painting asks for more, into an image of the design's
  // 640 x 480 at Scale (the client area is laid out at that scale), PixelRatio image pixels to a
  // pixel of the scaled window.
  QImage RenderClient(double Scale = 1.0, double PixelRatio = 1.0);
  // The scale the client area is drawn at (1: the design's own size).
  double Scale() const { return Scale_; }
  // Lays the client area and its controls out at Scale, the text pane ExtraHeight pixels of the
  // design taller; the window's size is left as it is.
  void SetScale(double Scale, int ExtraHeight = 0);
  // Zoom in (+1), out (-1) or back to the design's size (0): the window takes the size of the
  // design at the next step of kZoomSteps, as far as the screen has room.
  void Zoom(int Direction);
  // A panel beside the table, in the room at the right of a wide window (the game list).
  QDockWidget* AddSidePanel(QWidget* ptPanel, const QString& tTitle);
  // The menus, for commands that others add.
  QMenu* GameMenu() const { return ptGameMenu_; }
  QMenu* ViewMenu() const { return ptViewMenu_; }
  QMenu* OptionsMenu() const { return ptOptionsMenu_; }
  // A menu item that sends idCommand, with its key shown (and bound when tKey is given).
  QAction* AddCommand(QMenu* ptMenu, const char* pcText, int idCommand,
                      const QKeySequence& tKey = QKeySequence());
  // Ctrl+C: the game on display as PBN text and a diagram; Ctrl+Shift+C: the table's picture.
  void CopyGame();
  void CopyPicture();
  // The last eight files opened, the latest first.
  QStringList RecentFiles() const;
  // The whole text of one that was shortened with "..." under the client point (design pixels).
  QString ElidedTextAt(const QPoint& tDesignPoint) const;
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return atMessageBoxes_; }
  int ScrollPos(int idCtrl) const;

  // Host
  void InvalidateRect(const RectDef& tRect, bool bErase) override;
  void SetCheck(int idCtrl, int Value) override;
  int GetCheck(int idCtrl) override;
  unsigned SetTimer(unsigned idTimer, unsigned PeriodMs) override;
  void KillTimer(unsigned idTimer) override;
  void MessageBox(const char* pcText, const char* pcCaption, unsigned Flags) override;
  void CreateControl(const ChildWindowDef& tChild) override;
  void SetScrollRange(int idCtrl, int MinPos, int MaxPos, bool bRedraw) override;
  void SetScrollPos(int idCtrl, int Pos, bool bRedraw) override;
  void SetWindowText(int idCtrl, const char* pcText) override;
  Canvas* BeginPaint() override;
  void EndPaint() override;
  bool GetOpenFileName(OpenFileNameDef* ptOfn) override;
  void SetTitle(const char* pcTitle) override;
  void SetStatusText(const char* pcText) override;
  void IndexPassLater() override;
  void IndexProgress(int Permille, std::uint32_t NrGames, bool bGamesShown) override;
  void IndexProgressEnd() override;
  void DestroyWindow() override;
  void PostQuitMessage(int ExitCode) override;
  void CheckMenuItem(int idCommand, bool bChecked) override;
  // The list of games and Go to game (game_list_panel.cpp).
  bool AskGameNumber(std::uint32_t Current, std::uint32_t Max, std::uint32_t* pGame) override;
  void ShowGameList(bool bSameBoard) override;
  void GamesIndexed() override;
  void GamesAppended() override;
  void GameShown(std::uint32_t GameNr) override;
  GameListPanel* GameList(bool bSameBoard) const;  // null until first shown
  // The Results view (results_panel.cpp).
  void ShowResults() override;
  void ScoresComputed() override;
  ResultsPanel* Results() const;  // null until first shown

  // Called by the client widget and the owner-drawn buttons. tDirty: the part to paint, in
  // pixels of the scaled window.
  void PaintClient(QPainter* ptPainter, const QRect& tDirty);
  void DrawItem(int idCtrl, QPainter* ptPainter);
  void Wheel(const QWheelEvent& tEvent);

 protected:
  void closeEvent(QCloseEvent* ptEvent) override;
  void dragEnterEvent(QDragEnterEvent* ptEvent) override;
  void dropEvent(QDropEvent* ptEvent) override;

 private:
  void Send(std::uint32_t Message, std::uintptr_t wParam, std::intptr_t lParam);
  void BuildMenu();
  void BuildViewMenu();
  void BuildTextMenu(QMenu* ptOptions);
  void UpdateRecentMenu();
  void RememberRecent(const QString& tPath);
  void OpenLater(const std::string& Path);
  void FitToStage();
  void KeepStageWidth(int Width);
  QDockWidget* GameListDock(bool bSameBoard);
  QDockWidget* ResultsDock();
  void LayoutClient();
  void RestoreWindowState();
  void SaveWindowState();
  void AddDoubleDummyItem(QMenu* ptOptions);
  void BuildReadingMenu(QMenu* ptOptions);
  void KeepReading(int idCommand);
  void RunIndexPass();
  void BuildStatusProgress();
  void DropProgressDialog();
  void BuildShortcuts();
  void ScrollAction(int idCtrl, int Action);
  void Destroy();
  void RestoreChoices();
  void KeepChoices();

  bool bInteractive_;
  double Scale_ = 1.0;
  double ZoomCap_ = 0;          // the zoom step of a maximized window; 0: as large as it fits
  int ExtraHeight_ = 0;         // design pixels below the design, given to the text pane
  QWidget* ptStage_ = nullptr;  // the room for the client area, which it centres
  QMenu* ptGameMenu_ = nullptr;
  QMenu* ptViewMenu_ = nullptr;
  QMenu* ptOptionsMenu_ = nullptr;
  QMenu* ptRecentMenu_ = nullptr;
  ScaledControlStyle* ptControlStyle_ = nullptr;
  struct PlacedControlDef {
    QWidget* ptWidget;
    int idCtrl;
    QRect tDesign;  // its place in the design's client pixels
    QFont tFont;    // its font at the design's size
  };
  std::vector<PlacedControlDef> atPlaced_;
  std::vector<ElidedTextDef> atElided_;
  std::string OpenedPath_;
  QStringList atRecent_;
  std::optional<std::string> StartPath_;  // what the open dialog answered, until the file is shown
  bool bDestroyed_ = false;
  bool bInPaint_ = false;
  unsigned long NrInvalidations_ = 0;
  QWidget* ptClient_ = nullptr;
  QTimer* ptTimer_ = nullptr;
  unsigned idTimer_ = 0;
  std::map<int, QWidget*> aControls_;
  std::map<int, int> aScrollPos_;
  std::map<int, QAction*> aActions_;
  std::vector<MessageBoxRecord> atMessageBoxes_;
  std::optional<std::string> PresetPath_;
  QtCanvas* ptPaintCanvas_ = nullptr;
  std::unique_ptr<QImage> ptScratchImage_;
  std::unique_ptr<QPainter> ptScratchPainter_;
  std::unique_ptr<QtCanvas> ptScratchCanvas_;
  bool bPassInEvents_ = false;
  bool bPassStepAsked_ = false;  // a step of the pass waits
  QElapsedTimer tIndexClock_;    // runs while an index pass reports progress
  QElapsedTimer tListGrown_;     // since the lists last took the games the pass added
  QProgressDialog* ptProgress_ = nullptr;
  QWidget* ptStatusProgress_ = nullptr;  // the progress beside the status line, and its Cancel
  QProgressBar* ptStatusBar_ = nullptr;
  ElidedLabel* ptStatus_ = nullptr;
  QDockWidget* ptGameListDock_ = nullptr;
  QDockWidget* ptSameBoardDock_ = nullptr;
  QDockWidget* ptResultsDock_ = nullptr;
};

}  // namespace viewer::qt
