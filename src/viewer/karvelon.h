// The main window's logic: the window procedure with its message and command handlers, opening
// a PBN file with its import log, showing a game, and the text pane below the table with its
// scroll models. It talks to the window only through the Host and Canvas interfaces.
#pragma once

#include <cstdint>
#include <cstdio>

#include <string>

#include "core/pbn.h"
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

// Scroll codes in the low 16 bits of wParam; the thumb position is in the high 16 bits.
inline constexpr unsigned SB_LINEUP = 0;
inline constexpr unsigned SB_LINEDOWN = 1;
inline constexpr unsigned SB_PAGEUP = 2;
inline constexpr unsigned SB_PAGEDOWN = 3;
inline constexpr unsigned SB_THUMBPOSITION = 4;
inline constexpr unsigned SB_THUMBTRACK = 5;
inline constexpr unsigned SB_TOP = 6;
inline constexpr unsigned SB_BOTTOM = 7;
inline constexpr unsigned SB_ENDSCROLL = 8;

constexpr std::uintptr_t MakeScrollParam(unsigned Code, unsigned Pos) {
  return (Code & 0xFFFFu) | (static_cast<std::uintptr_t>(Pos & 0xFFFFu) << 16);
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

inline constexpr const char szWndName[] = "KARVELON";
inline constexpr const char szWindowTitle[] = "Karvelon (PBN 1.0)";
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

// The game number label holds 5 characters: larger numbers are shown in thousands ("123k")
// or millions ("4294M").
void FormatGameNumber(pbn::UInt32 GameNumber, char (&acText)[6]);

// Whether menu Open writes "karvelon.log" (the render command opens files without a log).
void SetImportLogEnabled(bool bEnabled);

// The number of the game on display after the game scroll bar was moved there (as the menu
// commands do); false when the file has no such game.
bool ShowGameNumber(pbn::UInt32 GameIndex);

// The standard the importer reads by, as chosen in the Options menu (PBN 1.0 by default); it
// applies from the next file opened.
void SetReadingChoice(pbn::ReadingChoiceDef Choice);
pbn::ReadingChoiceDef ReadingChoice();

// SetWindowText with this identifier sets the main window's title.
inline constexpr int ID_MAIN_WINDOW = 0;
// "Karvelon (PBN 1.0)": the title that names the reading in force.
std::string WindowTitle(const char* pcReadingName);
// A file that declares PBN 2.x read as 1.0: said in the title with the number of games that
// have mistakes (" - declares PBN 2.1: 17 games with mistakes"), or "" for any other file.
std::string ReadingHint(const pbn::PbnHeadDef& tHead, pbn::UInt32 NrRefused);

// Keys on top of the controls: the command each one stands for, 0 for none.
enum class KeyDef { Left, Right, Home, End, PageUp, PageDown, Space, CtrlO, CtrlQ };
int KeyCommand(KeyDef Key);

}  // namespace viewer
