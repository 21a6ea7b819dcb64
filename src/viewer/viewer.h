// What the window-system layer asks of the viewer, and all it asks: the window procedure with its
// messages and commands, the keys, and the few entry points a window needs beyond them (resources,
// choices kept between runs, the lists, copying and hand records). The window builds nothing of
// a game itself and reads no state of the viewer but through these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "games/game_list.h"
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
inline constexpr int CM_RESULTS = 443;        // View: the ranking of the open file
inline constexpr int CM_STOP_READING = 450;   // the Cancel of the index pass's progress
// Options: the standard to read by.
inline constexpr int CM_READING_PBN10 = 460;
inline constexpr int CM_READING_PBN21 = 461;
inline constexpr int CM_READING_AUTO = 462;

// Keys on top of the controls: the command each one stands for, 0 for none.
enum class KeyDef { Left, Right, Home, End, PageUp, PageDown, Space, CtrlO, CtrlQ, N };
int KeyCommand(KeyDef Key);

std::intptr_t WndProc(Host* hWnd, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam);

// The table: the four hands with their name bars and the centre between them; the history
// panel stands to its right.
inline constexpr RectDef tTableRectangle{0, 0, 402, 258};

// The bitmaps the painting and the step buttons use, from start-up to exit; the annotation
// store is released with them.
void ViewerResourcesInit();
void ViewerResourcesTerm();

// Whether menu Open writes "karvelon.log" (the render command opens files without a log).
void SetImportLogEnabled(bool bEnabled);
// The choices kept between runs, as the window restores them before any file: games with
// mistakes, and the reading by its setting ("1.0", "2.1", "auto"; false for another text).
void SetKeepRefusedGames(bool bKeep);
bool SetReadingSetting(const char* pcSetting);
// The command of the reading in force (CM_READING_PBN10 ...), for its menu mark.
int ReadingCommand();
// Annotation (true) or PbnFile in the text pane; the double-dummy panel shown.
bool TextPaneShowsAnnotation();
bool DoubleDummyShown();
// The solver answers on its own thread; Post brings the answer to the window's thread, where
// DoubleDummyAnswered repaints.
void DoubleDummyOnAnswer(std::function<void()> Post);
void DoubleDummyAnswered();

// The path of the open file, "" while none is open.
const char* OpenFilePath();
// The game on display (0 for none) and the games indexed so far; the index pass reads on.
std::uint32_t GameOnDisplay();
bool IndexPassRunning();
// The game on display after the game scroll bar was moved there (as the menu commands do); false
// when the file has no such game or its pass has not shown it yet.
bool ShowGameNumber(std::uint32_t GameIndex);
// A tall window gives the text pane Extra pixels more height below the design's: more lines,
// the text scrolled where it was as far as it can stay.
void SetTextPaneExtraHeight(std::int32_t Extra);

// Texts of the lists and of the copy are bytes of the file: ISO 8859-1, or UTF-8 where the reading
// found it declared (bCanvasTextUtf8).
// Copy game: a diagram of the deal with board, dealer and vulnerability, then the game's PBN text;
// "" while no game is on display.
std::string GameCopyText();
// Which columns the game list offers beyond its own: the games with mistakes, and par.
bool ListShowsMistakes();
bool ListShowsPar();

// Hand records of the open file: the games it has to print (0 while it has none to print), each
// loaded in its turn into the records of the game on display for records/board.h; then the game on
// display is taken back, at the step it stood at.
std::uint32_t HandRecordGames();
bool LoadHandRecordGame(std::uint32_t GameNr);
void HandRecordsDone();

// The scores of the open file (results_view.cpp): its boards grouped and scored by each event's
// Scoring as karvelon-cli results scores them. A board's scores depend on all its results, so they
// are computed once the index pass has read the file, in steps between the window's events, and
// only once a panel wants them: they take memory for every game. Host::ScoresComputed follows.
enum class ScoresStateDef { None, Computing, Ready };
void WantScores();
ScoresStateDef ScoresState();

// A table of texts (UTF-8) as a panel shows it.
struct ScoreColumnDef {
  std::string Header;
  bool bRight = false;  // a column of numbers
};
struct ScoreRowDef {
  std::uint32_t GameNr = 0;  // the game the row shows; 0 for none (a heading, a ScoreTable row)
  int Pair = -1;             // a row of the ranking: the pair, for ResultsPairBoards
  bool bHeading = false;     // the title of a field of the ranking, in its first cell
  std::vector<std::string> aCells;
  std::vector<std::string> aListCells;  // a row that is no game: in the game list's columns
};
struct ScoreTableDef {
  std::string Title;
  std::vector<ScoreColumnDef> atColumns;
  std::vector<ScoreRowDef> atRows;
};

// Same board: the score columns of the board of game GameNr (its table and room where the file
// gives them, then the figures of its method: matchpoints and percentages, or each side's IMPs,
// which between the rooms of a team match are the swing; then the file's values that disagree),
// and a row for each game of aGames. While the scores are computed one column says "…".
ScoreTableDef SameBoardScores(std::uint32_t GameNr, const std::vector<std::uint32_t>& aGames);
// Results: the ranking of every field (a section, or its North-South or East-West pairs): a
// heading row for each, then its pairs or teams. Empty until the scores are ready.
ScoreTableDef ResultsRanking();
// The boards of pair Pair of ResultsRanking: board, the opponents, contract, declarer, tricks,
// North-South's score and the pair's own matchpoints and percentage, or its IMPs.
ScoreTableDef ResultsPairBoards(int Pair);

}  // namespace viewer
