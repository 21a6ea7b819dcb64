// The main window's logic: the window procedure with its message and command handlers, opening
// a PBN file with its import log, showing a game, and the text pane below the table with its
// scroll models. It talks to the window only through the Host and Canvas interfaces.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "core/pbn.h"
#include "import/import.h"
#include "import/reading.h"
#include "viewer/platform/host.h"

namespace viewer {

// Window messages (Win32 values).
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_DRAWITEM = 0x002B;
inline constexpr std::uint32_t WM_COMMAND = 0x0111;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_HSCROLL = 0x0114;
inline constexpr std::uint32_t WM_VSCROLL = 0x0115;
// WM_APP + 1: the next step of the index pass, after the events waiting.
inline constexpr std::uint32_t WM_INDEX_PASS = 0x8001;
// wParam: the wheel's turn in its high 16 bits (signed, 120 a notch, positive away from the
// user), the keys in its low 16 bits; lParam: the pointer in client coordinates, x low, y high.
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr unsigned MK_SHIFT = 0x0004;
inline constexpr int kWheelDelta = 120;

constexpr std::uintptr_t MakeWheelParam(int Delta, unsigned Keys) {
  return (Keys & 0xFFFFu) | (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(Delta)) << 16);
}

constexpr std::intptr_t MakePointParam(int x, int y) {
  return static_cast<std::intptr_t>(static_cast<std::uint16_t>(x)) |
         (static_cast<std::intptr_t>(static_cast<std::uint16_t>(y)) << 16);
}

// Scroll codes in the low 16 bits of wParam; the thumb position above them, whole: Win32 cuts it
// to 16 bits, which would leave games beyond 65,535 out of the thumb's reach.
inline constexpr unsigned SB_LINEUP = 0;
inline constexpr unsigned SB_LINEDOWN = 1;
inline constexpr unsigned SB_PAGEUP = 2;
inline constexpr unsigned SB_PAGEDOWN = 3;
inline constexpr unsigned SB_THUMBPOSITION = 4;
inline constexpr unsigned SB_THUMBTRACK = 5;
inline constexpr unsigned SB_TOP = 6;
inline constexpr unsigned SB_BOTTOM = 7;
inline constexpr unsigned SB_ENDSCROLL = 8;

static_assert(sizeof(std::uintptr_t) >= 6, "the thumb position needs 32 bits above the code");

constexpr std::uintptr_t MakeScrollParam(unsigned Code, std::uint32_t Pos) {
  return (Code & 0xFFFFu) | (static_cast<std::uintptr_t>(Pos) << 16);
}

constexpr std::uint32_t ScrollParamPos(std::uintptr_t wParam) {
  return static_cast<std::uint32_t>(wParam >> 16);
}

// Menu commands.
inline constexpr int CM_OPEN = 401;
inline constexpr int CM_ABOUT = 402;
inline constexpr int CM_EXIT = 403;
inline constexpr int CM_FIRST = 404;
inline constexpr int CM_NEXT = 405;
inline constexpr int CM_PREVIOUS = 406;
inline constexpr int CM_LAST = 407;
inline constexpr int CM_ANNOTATION = 408;
inline constexpr int CM_PBNFILE = 409;
inline constexpr int CM_WITH_MISTAKES = 420;  // Options: index every game, with its mistakes
inline constexpr int CM_NEXT_MISTAKES = 421;  // Game: the next game with mistakes
inline constexpr int CM_DOUBLE_DUMMY = 430;   // Options: the double-dummy panel
inline constexpr int CM_GO_TO = 440;          // Game: go to a game by its number
inline constexpr int CM_GAME_LIST = 441;      // View: the list of every game
inline constexpr int CM_SAME_BOARD = 442;     // View: the tables of the board on display
inline constexpr int CM_STOP_READING = 450;   // the Cancel of the index pass's progress
// Options: the standard to read by.
inline constexpr int CM_READING_PBN10 = 460;
inline constexpr int CM_READING_PBN21 = 461;
inline constexpr int CM_READING_AUTO = 462;

inline constexpr const char szWndName[] = "KARVELON";
// Pairs of description and pattern, ended by an empty string.
extern const char szFilterPbn[];
inline constexpr const char szLogFileName[] = "karvelon.log";
inline constexpr const char szAboutText[] =
    "Karvelon (v1.4) for PBN 1.0\n"
    "Made by the Karvelon developers\n"
    "A viewer and validator of Portable Bridge Notation files";

struct ScrollBarDataDef {
  std::int32_t idCtrl;
  pbn::UInt32 TotValue;  // lines that may be shown (text models only)
  pbn::UInt32 MaxValue;  // highest position; 0: nothing to scroll
  pbn::UInt32 CurValue;  // 1 .. MaxValue, 0 when MaxValue is 0
  pbn::UInt32 IncValue;  // page step
};

struct TextRectAdminDef {
  std::int32_t DeltaY;  // line height of the pane font
  pbn::UInt32 NrDlgLines;
  pbn::UInt32 NrDlgChars;
  pbn::UInt32 NrAnnoLines;
  pbn::UInt32 NrAnnoChars;
  pbn::UInt32 NrGameLines;
  pbn::UInt32 NrGameChars;
};

extern ScrollBarDataDef tPbnGames;
extern ScrollBarDataDef tPbnHorText;
extern ScrollBarDataDef tPbnVerText;
extern TextRectAdminDef TRAdmin;
extern pbn::PbnBoolDef bShowAnno;
extern Host* hMyWnd;

std::intptr_t WndProc(Host* hWnd, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam);

void wmCreate(Host* hWnd);
void wmDestroy();
void wmPaint();
void wmDrawItem(const DrawItemDef* lpDis);
void cmOpen();
// Starts the index pass over the open file with its log; it goes on in steps (WM_INDEX_PASS)
// between the window's events. The game shown: the one that starts at KeepAt, or the nearest one,
// else the first, as soon as the pass has indexed it. Undo: what a stop before then goes back
// to. False when the file is refused at once (Undo is then the caller's).
bool IndexOpenFile(pbn::PbnFilePosDef KeepAt, std::function<void()> Undo);
// One step of the pass; the next is asked for until the pass is over.
void IndexPassStep();
bool IndexPassRunning();
void ShowGame(pbn::UInt32 GameIndex);

int GetFileOpen(Host* hWnd, char* lpstrFileName, char* lpstrTitleName);
int GetFileHandle(std::FILE** File, const char* lpstrFileName, const char* lpstrOpenType);
void PutFileHandle(std::FILE** File);

void ScrollBarReset(ScrollBarDataDef* ptScrollBarData);
void ScrollBarMax(ScrollBarDataDef* ptScrollBarData, pbn::UInt32 MaxValue);
void ScrollBarExec(ScrollBarDataDef* ptScrollBarData);
int ScrollBarProc(ScrollBarDataDef* ptScrollBarData, std::uintptr_t wParam, std::intptr_t lParam);
void ViewAnnoLines(pbn::UInt32 FirstLine, pbn::UInt32 MaxNrLines);
void SetTextScroll();
void GameTextCompute();
void ShowGameText(Canvas* hDC);
void ShowGameTextAnno(Canvas* hDC, pbn::UInt32 NrTxtLines, pbn::UInt32 CurLine,
                      pbn::UInt32 ScrollOffset);
void ShowGameTextFile(Canvas* hDC, pbn::UInt32 NrTxtLines, pbn::UInt32 CurLine,
                      pbn::UInt32 ScrollOffset);

// The game number label: the whole number, and "!" after a game with mistakes ("113255!").
std::string GameNumberText(pbn::UInt32 GameNumber, bool bMistakes);

// The status line while a game is shown: "Game 12 of 3816", and what the index pass found.
std::string GameStatusText(pbn::UInt32 GameNumber);

// "Karvelon (PBN 1.0)", and " - games.pbn" after it while a file is open.
std::string WindowTitle(const char* pcReading, const char* pcFileTitle);

// Whether menu Open writes "karvelon.log" (the render command opens files without a log).
void SetImportLogEnabled(bool bEnabled);

// The import options of the next index pass, as the Options menu chose them.
pbn::PbnImportOptionsDef& ViewerImportOptions();

// The number of the game on display after the game scroll bar was moved there (as the menu
// commands do); false when the file has no such game.
bool ShowGameNumber(pbn::UInt32 GameIndex);

// The open file, for printing its games (null before any file).
std::FILE* OpenGameFile();

// The standard the importer reads by, as chosen in the Options menu (PBN 1.0 by default); it
// applies from the next file opened.
void SetReadingChoice(pbn::ReadingChoiceDef Choice);
// The Options menu's choice: the open file is read again at once, on the game on display. A pass
// stopped before it shows that game leaves the choice as it was; false when the file is refused
// at once.
bool ChooseReading(pbn::ReadingChoiceDef Choice);
pbn::ReadingChoiceDef ReadingChoice();

// A tall window gives the text pane Extra pixels more height below the design's: more lines,
// the text scrolled where it was as far as it can stay.
void SetTextPaneExtraHeight(std::int32_t Extra);

// The path of the open file, "" while none is open.
const char* OpenFilePath();

// The name of the reading in force ("PBN 1.0"): the open file's ("LIN" for a LIN file), or before
// any file the choice's.
const char* ReadingNameInForce();
// A file that declares PBN 2.x read as 1.0: said in the status line after the games with
// mistakes, or "" for any other file.
std::string ReadingHint(const pbn::PbnHeadDef& tHead);

// Keys on top of the controls: the command each one stands for, 0 for none.
enum class KeyDef { Left, Right, Home, End, PageUp, PageDown, Space, CtrlO, CtrlQ, N };
int KeyCommand(KeyDef Key);

}  // namespace viewer
