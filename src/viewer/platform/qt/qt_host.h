// The Qt 6 main window: a fixed 640 x 480 client area under the menu "ViewMenu", the 21 child
// controls of the control table at their client positions, and the translation of Qt signals
// into calls of the window procedure (commands, scroll codes, timer ticks, paints, owner-drawn
// buttons). It decides nothing itself.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "viewer/platform/host.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QPainter;
class QProgressDialog;
class QTimer;
class QWheelEvent;

namespace viewer::qt {

class QtCanvas;
class GameListPanel;

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
  // Paints the client area, as often as painting asks for more, into a 640 x 480 image.
  QImage RenderClient();
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
  bool IndexProgress(int Permille, std::uint32_t NrGames) override;
  void IndexProgressEnd() override;
  void DestroyWindow() override;
  void PostQuitMessage(int ExitCode) override;
  void CheckMenuItem(int idCommand, bool bChecked) override;
  // The list of games and Go to game (game_list_panel.cpp).
  bool AskGameNumber(std::uint32_t Current, std::uint32_t Max, std::uint32_t* pGame) override;
  void ShowGameList(bool bSameBoard) override;
  void GamesIndexed() override;
  void GameShown(std::uint32_t GameNr) override;
  GameListPanel* GameList(bool bSameBoard) const;  // null until first shown

  // Called by the client widget and the owner-drawn buttons.
  void PaintClient(QPainter* ptPainter);
  void DrawItem(int idCtrl, QPainter* ptPainter);
  void Wheel(const QWheelEvent& tEvent);

 protected:
  void closeEvent(QCloseEvent* ptEvent) override;

 private:
  void Send(std::uint32_t Message, std::uintptr_t wParam, std::intptr_t lParam);
  void BuildMenu();
  void AddDoubleDummyItem(QMenu* ptOptions);
  void BuildReadingMenu(QMenu* ptOptions);
  void BuildShortcuts();
  void ScrollAction(int idCtrl, int Action);
  void Destroy();
  void RestoreChoices();
  void KeepChoices();

  bool bInteractive_;
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
  QElapsedTimer tIndexClock_;   // runs while an index pass reports progress
  QElapsedTimer tIndexEvents_;  // since the window last painted during the pass
  QProgressDialog* ptProgress_ = nullptr;
  QLabel* ptStatus_ = nullptr;
  QDockWidget* ptGameListDock_ = nullptr;
  QDockWidget* ptSameBoardDock_ = nullptr;
};

}  // namespace viewer::qt
