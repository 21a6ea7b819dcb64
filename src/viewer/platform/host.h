// The main window as the viewer's logic sees it: the window services of controls.h plus the
// operations of the window procedure (creating the controls, scroll bars, the game number
// label, the paint context, the file-open dialog, closing). The Qt window implements it; tests
// use a recording one. Controls are addressed by their identifiers, never by handles.
#pragma once

#include <cstdint>

#include "replay/controls.h"
#include "viewer/platform/canvas.h"

namespace viewer {

class Host;

// What the open-file dialog needs and gives back (the fields of the Win32 record in use).
struct OpenFileNameDef {
  Host* hwndOwner;
  const char* lpstrFilter;  // pairs of description and pattern, ended by an empty string
  char* lpstrFile;          // receives the chosen path
  std::uint32_t nMaxFile;
  char* lpstrFileTitle;  // receives the file name without its folder
  std::uint32_t nMaxFileTitle;
  const char* lpstrDefExt;
  std::uint32_t Flags;
};

inline constexpr std::uint32_t OFN_CREATEPROMPT = 0x2000;

// What an owner-drawn button hands over when it needs painting.
struct DrawItemDef {
  std::int32_t CtlID;
  Canvas* hDC;
};

class Host : public ControlHost {
 public:
  // Creates the control of one row of the control table (with WS_CHILD | WS_VISIBLE).
  virtual void CreateControl(const ChildWindowDef& tChild) = 0;
  virtual void SetScrollRange(int idCtrl, int MinPos, int MaxPos, bool bRedraw) = 0;
  virtual void SetScrollPos(int idCtrl, int Pos, bool bRedraw) = 0;
  virtual void SetWindowText(int idCtrl, const char* pcText) = 0;
  // The canvas of the window: inside a paint the one that paints the invalid region,
  // otherwise one that only measures. Null when the window cannot give one.
  virtual Canvas* BeginPaint() = 0;
  virtual void EndPaint() = 0;
  // Runs the open dialog; false when the user cancels.
  virtual bool GetOpenFileName(OpenFileNameDef* ptOfn) = 0;
  // The main window's title, and the status text below the window's client area.
  virtual void SetTitle(const char* pcTitle) = 0;
  virtual void SetStatusText(const char* pcText) = 0;
  // The index pass runs in steps: sends WM_INDEX_PASS once the events now waiting are handled.
  virtual void IndexPassLater() = 0;
  // After each step: how far the pass has read (0 to 1000) and the games found so far.
  // bGamesShown false: the window still shows what it showed before and takes no command that
  // loads a game (a long wait shows the progress with its Cancel); true: a game of the file is on
  // display and the user goes on while the pass reads on (the progress stands aside). Cancel sends
  // CM_STOP_READING. IndexProgressEnd follows the pass, whatever its end.
  virtual void IndexProgress(int Permille, std::uint32_t NrGames, bool bGamesShown) = 0;
  virtual void IndexProgressEnd() = 0;
  virtual void DestroyWindow() = 0;
  virtual void PostQuitMessage(int ExitCode) = 0;
  // The check mark of a menu item.
  virtual void CheckMenuItem(int /*idCommand*/, bool /*bChecked*/) {}
  // Asks for a game number from 1 to Max, proposing Current; false when the user cancels.
  virtual bool AskGameNumber(std::uint32_t /*Current*/, std::uint32_t /*Max*/,
                             std::uint32_t* /*pGame*/) {
    return false;
  }
  // The list of games: shown (bSameBoard: the tables of the board on display), told of a new
  // index, of games added to it while the pass reads on, and of the game on display.
  virtual void ShowGameList(bool /*bSameBoard*/) {}
  virtual void GamesIndexed() {}
  virtual void GamesAppended() {}  // the pass has indexed more games
  virtual void GameShown(std::uint32_t /*GameNr*/) {}
  // The Results view shown; the scores of the open file computed (or forgotten with the index).
  virtual void ShowResults() {}
  virtual void ScoresComputed() {}
};

}  // namespace viewer
