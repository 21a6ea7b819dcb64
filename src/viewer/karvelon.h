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
#include "viewer/viewer.h"

namespace viewer {

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

// The import options of the next index pass, as the Options menu chose them.
pbn::PbnImportOptionsDef& ViewerImportOptions();

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

// The name of the reading in force ("PBN 1.0"): the open file's ("LIN" for a LIN file), or before
// any file the choice's.
const char* ReadingNameInForce();
// A file that declares PBN 2.x read as 1.0: said in the status line after the games with
// mistakes, or "" for any other file.
std::string ReadingHint(const pbn::PbnHeadDef& tHead);

}  // namespace viewer
