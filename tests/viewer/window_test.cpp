// The main window's logic driven through WndProc as the window system drives it: menu
// commands, buttons, check boxes, scroll bars and timer ticks, with what a user would notice.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "games/game_list.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "recording_canvas.h"
#include "replay/pbn_play.h"
#include "support/recording_host.h"
#include "support/test_support.h"
#include "viewer/dd_panel.h"
#include "viewer/karvelon.h"
#include "viewer/p_table.h"

namespace viewer_test {
namespace {

using namespace pbn;
using namespace viewer;
using testing_support::TempFile;

// A main window that keeps what WndProc asks of it (window services in a RecordingHost), paints
// into a RecordingCanvas and answers the open dialog with Answer (nullopt: the user cancels).
class RecordingWindow final : public Host {
 public:
  RecordingWindow() {
    Send(WM_CREATE);
    PaintBitmapInit();  // after creation, as in the program
    CtrlBitmapInit();
  }
  ~RecordingWindow() override {
    if (!QuitCode) Send(WM_DESTROY);
  }
  void Send(std::uint32_t Message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    WndProc(this, Message, wParam, lParam);
  }
  // A command, and the index pass it starts run to its end (unless bRunPasses is off), the user
  // stopping it after report CancelAtProgress.
  void Command(int idCommand) {
    Send(WM_COMMAND, static_cast<unsigned>(idCommand));
    if (bRunPasses) RunPass();
  }
  void RunPass() {
    while (bStepAsked) {
      bStepAsked = false;
      if (NrProgress >= CancelAtProgress) {
        Send(WM_COMMAND, CM_STOP_READING);
      } else {
        Send(WM_INDEX_PASS);
      }
    }
  }
  // A press as the user makes it: a check box (121 to 144) toggles its mark first.
  void Press(int idCtrl) {
    if (idCtrl >= ID_AUCTION && idCtrl <= ID_HIDE_S) h.Click(idCtrl);
    Command(idCtrl);
  }
  void Scroll(int idCtrl, unsigned Code, unsigned Thumb = 0) {
    Send(idCtrl == ID_VER_TEXT ? WM_VSCROLL : WM_HSCROLL, MakeScrollParam(Code, Thumb), idCtrl);
  }
  void Open(const std::optional<std::string>& Path) {
    Answer = Path;
    Command(CM_OPEN);
  }
  // Paints, up to NrRounds times while a paint asks for a further repaint.
  RecordingCanvas& Paint(int NrRounds = 1) {
    std::size_t NrBefore;
    do {
      NrBefore = h.Invalidations.size();
      tCanvas.Clear();
      Send(WM_PAINT);
    } while (--NrRounds > 0 && h.Invalidations.size() != NrBefore);
    return tCanvas;
  }
  std::string Label() { return Texts[ID_GAME_NUMBER]; }

  void InvalidateRect(const RectDef& tRect, bool bErase) override {
    h.InvalidateRect(tRect, bErase);
  }
  void SetCheck(int idCtrl, int Value) override { h.SetCheck(idCtrl, Value); }
  int GetCheck(int idCtrl) override { return h.GetCheck(idCtrl); }
  unsigned SetTimer(unsigned idTimer, unsigned Ms) override { return h.SetTimer(idTimer, Ms); }
  void KillTimer(unsigned idTimer) override { h.KillTimer(idTimer); }
  void MessageBox(const char* pcText, const char* pcCaption, unsigned Flags) override {
    h.MessageBox(pcText, pcCaption, Flags);
  }
  void CreateControl(const ChildWindowDef& tChild) override {
    if (tChild.idCtrl >= 0) Texts[tChild.idCtrl] = tChild.pcText;
  }
  void SetScrollRange(int idCtrl, int MinPos, int MaxPos, bool) override {
    Bars[idCtrl] = {MinPos, MaxPos, Bars[idCtrl][2]};
  }
  void SetScrollPos(int idCtrl, int Pos, bool) override { Bars[idCtrl][2] = Pos; }
  void SetWindowText(int idCtrl, const char* pcText) override { Texts[idCtrl] = pcText; }
  Canvas* BeginPaint() override { return &tCanvas; }
  void EndPaint() override {}
  bool GetOpenFileName(OpenFileNameDef* ptOfn) override {
    if (!Answer) return false;
    std::snprintf(ptOfn->lpstrFile, ptOfn->nMaxFile, "%s", Answer->c_str());
    std::snprintf(ptOfn->lpstrFileTitle, ptOfn->nMaxFileTitle, "%s",
                  std::filesystem::path(*Answer).filename().c_str());
    return true;
  }
  void SetTitle(const char* pcTitle) override { Title = pcTitle; }
  void SetStatusText(const char* pcText) override { Status = pcText; }
  void IndexPassLater() override { bStepAsked = true; }
  void IndexProgress(int Permille, std::uint32_t, bool bGamesShown) override {
    ++NrProgress;
    LastPermille = Permille;
    bShownWhileReading = bShownWhileReading || bGamesShown;
  }
  void IndexProgressEnd() override { ++NrProgressEnds; }
  void GamesAppended() override { ++NrAppended; }
  void ScoresComputed() override { ++NrScoresComputed; }
  void DestroyWindow() override { Send(WM_DESTROY); }
  void PostQuitMessage(int ExitCode) override { QuitCode = ExitCode; }
  void CheckMenuItem(int idCommand, bool bChecked) override { MenuChecks[idCommand] = bChecked; }
  bool AskGameNumber(std::uint32_t, std::uint32_t, std::uint32_t* pGame) override {
    if (GoTo) *pGame = *GoTo;
    return GoTo.has_value();
  }

  testing_support::RecordingHost h;
  RecordingCanvas tCanvas;
  std::map<int, std::array<int, 3>> Bars;  // the range from, to, and the position
  std::map<int, std::string> Texts;
  std::map<int, bool> MenuChecks;
  std::optional<std::string> Answer;
  std::optional<std::uint32_t> GoTo;  // the answer to Go to game; nullopt: cancelled
  std::optional<int> QuitCode;
  std::string Title;
  std::string Status;
  int NrProgress = 0;
  int CancelAtProgress = 1 << 30;  // the progress report after which the user cancels
  int LastPermille = 0;
  int NrProgressEnds = 0;
  int NrAppended = 0;
  int NrScoresComputed = 0;
  bool bShownWhileReading = false;  // a report said a game was on display
  bool bStepAsked = false;
  bool bRunPasses = true;
};

const std::string kExamples = KARVELON_SOURCE_DIR "/examples/";

// Each test process writes its karvelon.log into a folder of its own: ctest runs tests side by
// side, and one test's log must not change under another that reads its own.
struct OwnFolder {
  OwnFolder() {
    if (mkdtemp(acDir) != nullptr) std::filesystem::current_path(acDir);
  }
  ~OwnFolder() {
    std::filesystem::current_path("/");
    std::error_code Error;
    std::filesystem::remove_all(acDir, Error);
  }
  char acDir[27] = "/tmp/karvelon_windowXXXXXX";
} tOwnFolder;

std::intmax_t LogSize() {
  std::error_code Error;
  const std::uintmax_t Size = std::filesystem::file_size("karvelon.log", Error);
  return Error ? -1 : static_cast<std::intmax_t>(Size);
}

std::string LogPath() {
  return std::filesystem::absolute("karvelon.log").string();
}

// A file of games long enough for an index pass to report progress.
std::string LongFile() {
  std::string Games;
  while (Games.size() < 300000)
    Games += "[Board \"" + std::to_string(Games.size()) + "\"]\n[Event \"x\"] junk\n\n";
  return Games;
}

// Opens Path and cancels the index pass at its first report of progress.
void OpenCancelled(RecordingWindow& w, const std::string& Path) {
  w.CancelAtProgress = w.NrProgress + 1;
  w.Open(Path);
  w.CancelAtProgress = 1 << 30;
}

// The texts drawn in the pane below the table, top to bottom.
std::vector<const TextOp*> Pane(const RecordingCanvas& tCanvas) {
  std::vector<const TextOp*> atTexts;
  for (const TextOp& tText : tCanvas.Texts) {
    if (tText.y >= 264) atTexts.push_back(&tText);
  }
  return atTexts;
}

// A window with the showcase open on game 1.
class ShowcaseWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    w.Open(kExamples + "showcase.pbn");
    ASSERT_EQ(tPbnGames.MaxValue, 5u);
    w.h.ClearCalls();
  }
  RecordingWindow w;
};

TEST(MainWindow, CreationAndOpenWithTheLog) {
  std::remove("karvelon.log");
  RecordingWindow w;
  EXPECT_TRUE(w.Label() == "0" && w.Paint().CountText("West") == 1 &&
              w.Title == "Karvelon (PBN 1.0)");
  w.Open(kExamples + "mistakes.pbn");
  EXPECT_GT(LogSize(), 0);
  EXPECT_EQ(w.Status, "Game 1 of 1; 8 of 9 games have mistakes: see " + LogPath());
  w.Open(kExamples + "showcase.pbn");  // nothing to complain about: the log is emptied
  EXPECT_EQ(LogSize(), 0);
  EXPECT_TRUE(w.Title == "Karvelon (PBN 1.0) - showcase.pbn" && w.Status == "Game 1 of 5" &&
              w.Label() == "1" && w.Bars[ID_GAMES] == (std::array{1, 5, 1}));
  EXPECT_EQ(w.Paint().CountText("N / None"), 1);
}

// The reading is the one chosen (as the file declares unless chosen otherwise), the title names
// it, and a 2.1 game's tables follow its play.
TEST(MainWindow, TheReadingInForceAndTheTablesOfItsGames) {
  RecordingWindow w;
  EXPECT_EQ(ReadingChoice(), pbn::ReadingChoiceDef::AsDeclared);  // a new user's
  SetReadingChoice(pbn::ReadingChoiceDef::Pbn10);
  w.Open(kExamples + "pbn21.pbn");
  EXPECT_EQ(w.Title, "Karvelon (PBN 1.0) - pbn21.pbn");
  EXPECT_EQ(w.Status,
            "4 of 4 games have mistakes: see " + LogPath() +
                "; the file declares PBN 2.1; Options, PBN 2.1 reads it by that standard");
  SetReadingChoice(pbn::ReadingChoiceDef::AsDeclared);
  w.Open(kExamples + "pbn21.pbn");
  EXPECT_TRUE(w.Title == "Karvelon (PBN 2.1) - pbn21.pbn" && w.Status == "Game 1 of 4" &&
              tPbnGames.MaxValue == 4u);
  w.Command(CM_LAST);
  w.Press(ID_PLAY);  // no card: the play section reveals the tables
  const RecordingCanvas& tCanvas = w.Paint(4);
  EXPECT_EQ(tCanvas.Find("TotalScoreTable").Color, kColorMagenta);
  EXPECT_EQ(tCanvas.CountText("   2      5 Ann - Sam                  54.0"), 1);
}

// A LIN file opens through its conversion, whatever the reading chosen, and the title says so.
TEST(MainWindow, OpensLinFiles) {
  RecordingWindow w;
  w.Open(kExamples + "online-match.lin");
  EXPECT_TRUE(w.Title == "Karvelon (LIN) - online-match.lin" && w.Status == "Game 1 of 4" &&
              tPbnGames.MaxValue == 4u && LogSize() == 0);
  EXPECT_EQ(w.Paint().CountText("w-one"), 1);
  w.Open(kExamples + "showcase.pbn");
  EXPECT_EQ(w.Title, "Karvelon (PBN 1.0) - showcase.pbn");
}

TEST_F(ShowcaseWindow, GameMenuAndGameScrollBar) {
  w.Command(CM_PREVIOUS);  // on game 1: nothing
  EXPECT_TRUE(w.h.Invalidations.empty());
  w.Command(CM_NEXT);  // game 2 hides East and West: their boxes are checked
  EXPECT_EQ(w.Bars[ID_GAMES][2], 2);
  EXPECT_EQ(w.h.Checks,
            (std::map<int, int>{{121, 0}, {122, 0}, {141, 1}, {142, 0}, {143, 1}, {144, 0}}));
  w.Command(CM_LAST);
  w.h.ClearCalls();
  w.Command(CM_NEXT);  // on the last game: nothing
  EXPECT_TRUE(w.Label() == "5" && w.h.Invalidations.empty());
  w.Command(CM_FIRST);
  EXPECT_TRUE(w.Label() == "1" && w.h.GetCheck(ID_HIDE_W) == 0);
  // The game scroll bar: line, page and thumb; a thumb that names no game stays within them.
  const std::tuple<unsigned, unsigned, const char*> atActions[] = {
      {SB_LINEDOWN, 0, "2"},   {SB_PAGEDOWN, 0, "5"},   {SB_LINEUP, 0, "4"},
      {SB_PAGEUP, 0, "1"},     {SB_THUMBTRACK, 3, "3"}, {SB_THUMBPOSITION, 4, "4"},
      {SB_THUMBTRACK, 0, "1"}, {SB_THUMBTRACK, 9, "5"}, {SB_TOP, 0, "1"},
      {SB_BOTTOM, 0, "5"}};
  for (const auto& [Code, Thumb, pcLabel] : atActions) {
    w.Scroll(ID_GAMES, Code, Thumb);
    EXPECT_EQ(w.Label(), pcLabel) << Code << " " << Thumb;
  }
  // The thumb reaches every game of a long file, beyond 16 bits too.
  ScrollBarDataDef tLong{ID_GAMES, 0, 113255, 1, 8};
  for (UInt32 Thumb : {65535u, 65536u, 113255u}) {
    ScrollBarProc(&tLong, MakeScrollParam(SB_THUMBTRACK, Thumb), ID_GAMES);
    EXPECT_EQ(tLong.CurValue, Thumb);
  }
  // A line action at the end loads the same game afresh; a code without a rule does nothing.
  w.Command(ID_EXEC);
  w.h.ClearCalls();
  w.Scroll(ID_GAMES, SB_LINEDOWN);
  w.Scroll(ID_GAMES, SB_ENDSCROLL);
  EXPECT_TRUE(tGameAdmin.Section == PBN_SECTION_IDENT && w.h.PaintRequests() == 1);
}

TEST_F(ShowcaseWindow, StepButtonsSectionAndHideBoxes) {
  // After each press: section, calls and cards shown, play done, marks of Auction and Play. A
  // section box unchecks the other and starts its section; unchecked, it goes back to the start.
  constexpr int I = PBN_SECTION_IDENT, A = PBN_SECTION_AUCTION, P = PBN_SECTION_PLAY;
  const std::pair<int, std::array<int, 6>> atPresses[] = {
      {ID_BACK, {I, 0, 0, 0, 0, 0}},    {ID_EXEC, {A, 0, 0, 0, 1, 0}},
      {ID_EXEC, {A, 1, 0, 0, 1, 0}},    {ID_TAIL, {A, 10, 0, 0, 1, 0}},
      {ID_HEAD, {A, 0, 0, 0, 1, 0}},    {ID_TAIL, {A, 10, 0, 0, 1, 0}},
      {ID_EXEC, {P, 10, 0, 0, 0, 1}},   {ID_EXEC, {P, 10, 1, 0, 0, 1}},
      {ID_TAIL, {P, 10, 52, 1, 0, 1}},  {ID_BACK, {P, 10, 52, 0, 0, 1}},
      {ID_AUCTION, {A, 0, 0, 0, 1, 0}}, {ID_PLAY, {P, 0, 0, 0, 0, 1}},
      {ID_PLAY, {I, 0, 0, 0, 0, 0}}};
  for (const auto& [idCtrl, aState] : atPresses) {
    w.Press(idCtrl);
    EXPECT_EQ((std::array<int, 6>{tGameAdmin.Section, tGameAdmin.NrCalls, tGameAdmin.NrCards,
                                  tGameAdmin.bPlayDone, w.h.GetCheck(121), w.h.GetCheck(122)}),
              aState)
        << idCtrl;
  }
  EXPECT_EQ(w.h.PaintRequests(), 12);  // every press but the first repaints the table
  // The hide boxes set and clear the hidden flag of their side and repaint the table.
  const std::pair<int, PbnSideDef> atBoxes[] = {
      {ID_HIDE_W, PBN_WEST}, {ID_HIDE_N, PBN_NORTH}, {ID_HIDE_E, PBN_EAST}, {ID_HIDE_S, PBN_SOUTH}};
  for (const auto& [idCtrl, Side] : atBoxes) {
    w.h.ClearCalls();
    w.Press(idCtrl);
    const bool bHidden = tGameAdmin.abHiddenSide[Side];
    w.Press(idCtrl);
    EXPECT_TRUE(bHidden && !tGameAdmin.abHiddenSide[Side] && w.h.PaintRequests() == 2) << idCtrl;
  }
}

TEST_F(ShowcaseWindow, TimerAboutAndExit) {
  // The Start button looks pressed while automatic play runs.
  const auto StartButton = [this] {
    RecordingCanvas tButton;
    DrawItemDef tItem{ID_START, &tButton};
    w.Send(WM_DRAWITEM, ID_START, reinterpret_cast<std::intptr_t>(&tItem));
    return tButton.BitmapAt(1, 1) == "bm5" ? "pressed" : tButton.BitmapAt(0, 0);
  };
  std::vector<std::string> atButtons;
  for (int idCommand : {ID_START, ID_START, ID_STOP, ID_STOP}) {  // a second press does nothing
    w.Command(idCommand);
    atButtons.push_back(StartButton());
  }
  EXPECT_EQ(atButtons, (std::vector<std::string>{"pressed", "pressed", "bm5", "bm5"}));
  ASSERT_EQ(w.h.TimerCalls.size(), 2u);
  w.h.bRefuseTimers = true;  // a platform out of timers says so
  w.Command(ID_START);
  w.h.bRefuseTimers = false;
  EXPECT_EQ(w.h.MessageBoxes.at(0).Text, "No timers");
  // Ticks step through the whole game; once the play is complete the timer stops itself.
  w.Command(ID_START);
  for (int Tick = 0; Tick < 200 && !tGameAdmin.bPlayDone; ++Tick)
    w.Send(WM_TIMER, 1);
  EXPECT_TRUE(w.Paint().CountText("Result : 10") == 1 && w.h.NrKillTimers() == 2);
  w.Command(ID_START);
  w.Command(CM_NEXT);  // a change of game keeps it running
  EXPECT_EQ(w.h.NrKillTimers(), 2);
  w.Command(CM_ABOUT);
  EXPECT_EQ(w.h.MessageBoxes.size(), 2u);
  // Exit stops the timer, releases the records and quits; nothing reaches the window after.
  w.Command(CM_EXIT);
  EXPECT_TRUE(w.h.NrKillTimers() == 3 && w.QuitCode == 0 && tGameAdmin.ptGameData == nullptr);
  w.h.ClearCalls();
  w.Command(ID_EXEC);
  EXPECT_TRUE(w.h.Invalidations.empty() && w.Paint().Texts.empty());
}

TEST_F(ShowcaseWindow, OpenThatFailsOrIsCancelledKeepsTheFile) {
  w.Command(CM_NEXT);
  w.h.ClearCalls();
  w.Open(std::nullopt);  // cancelled
  EXPECT_TRUE(w.h.Invalidations.empty() && w.h.MessageBoxes.empty());
  const TempFile tHuge("");  // 2 GiB, sparse: no disk space is used
  std::error_code Sparse;
  std::filesystem::resize_file(tHuge.Path(), std::uintmax_t{1} << 31, Sparse);
  const std::string Huge = Sparse ? "/tmp" : tHuge.Path();
  const std::string Error = "Open error PBN file";
  const std::string NoFile = "/nonexistent/games.pbn\nNo such file or directory";
  const std::tuple<std::string, std::string, std::string> atCases[] = {
      {"", "No PBN file", ""},
      {"/nonexistent/games.pbn", NoFile, Error},
      {"/nonexistent/games", NoFile, Error},  // a typed name that does not exist gets ".pbn"
      {"/tmp", "/tmp\nIs a directory", Error},
      {Huge, Sparse ? "/tmp\nIs a directory" : kGameFileTooLargeText, Error}};
  for (const auto& [Path, Text, Caption] : atCases) {
    w.Open(Path);
    ASSERT_EQ(w.h.MessageBoxes.size(), 1u) << Path;
    const auto& tBox = w.h.MessageBoxes[0];
    EXPECT_TRUE(tBox.Text == Text && tBox.Caption == Caption && tBox.Flags == MB_ICONEXCLAMATION &&
                w.h.Invalidations.empty())
        << Path;
    w.h.ClearCalls();
  }
  // An index pass cancelled at its first report of progress keeps the file on display, its
  // title and its log: the game on display stays and the next one loads.
  const TempFile tLong(LongFile());
  const std::string Log = testing_support::ReadFile("karvelon.log");
  OpenCancelled(w, tLong.Path());
  EXPECT_TRUE(w.NrProgress == 1 && w.h.MessageBoxes.empty() && w.Label() == "2");
  EXPECT_EQ(testing_support::ReadFile("karvelon.log"), Log);
  EXPECT_EQ(w.Title, "Karvelon (PBN 1.0) - showcase.pbn");
  w.Command(CM_NEXT);
  EXPECT_EQ(w.Paint().CountText("Board : 3"), 1);
  // A name without extension that exists opens as typed.
  const TempFile tBare(testing_support::ReadFile(kExamples + "showcase.pbn"), "");
  w.Open(tBare.Path());
  EXPECT_TRUE(w.h.MessageBoxes.empty() && w.Label() == "1");
}

TEST_F(ShowcaseWindow, FileWithoutGames) {
  w.Command(ID_EXEC);  // the auction of game 1 on display
  w.Command(ID_EXEC);
  const TempFile tNoGames("[Event \"Broken\"]\n[Dealer \"Q\"]\n\n% nothing more\n");
  w.Open(tNoGames.Path());
  EXPECT_EQ(w.h.MessageBoxes.at(0).Text, "No PBN games\nInspect " + LogPath());
  EXPECT_TRUE(w.Label() == "0" && w.Bars[ID_GAMES][1] == 0 && LogSize() > 0);
  // Steps, game commands and scroll bars do nothing, section boxes only toggle, hide boxes work.
  for (int idCtrl : {ID_HEAD, ID_BACK, ID_EXEC, ID_TAIL, CM_FIRST, CM_NEXT, CM_PREVIOUS, CM_LAST,
                     ID_AUCTION, ID_HIDE_N})
    w.Press(idCtrl);
  w.Scroll(ID_GAMES, SB_LINEDOWN);
  w.Scroll(ID_VER_TEXT, SB_LINEDOWN);
  EXPECT_TRUE(w.h.GetCheck(ID_AUCTION) == 1 && tGameAdmin.Section == PBN_SECTION_IDENT &&
              w.Label() == "0" && tGameAdmin.abHiddenSide[PBN_NORTH]);
  // The table shows no game: no board box, no ranks, no calls, no names, no text in the pane.
  const RecordingCanvas& tCanvas = w.Paint();
  EXPECT_EQ(tCanvas.FillOf({10, 6, 126, 22}), kNoFill);
  for (const char* pcName : {"Anna", "Bert", "Cora", "Dirk"})
    EXPECT_EQ(tCanvas.CountText(pcName), 0) << pcName;
  for (const TextOp& tText : tCanvas.Texts)
    EXPECT_TRUE(tText.bDrawText && tText.y < 258) << tText.Text;
}

TEST_F(ShowcaseWindow, AnnotationPane) {
  // The first paint reveals three comment lines and asks for the pane again; the next draws them.
  w.Paint();
  EXPECT_TRUE(tPbnVerText.TotValue == 3 && w.h.TextRequests() == 1);
  std::vector<const TextOp*> atPane = Pane(w.Paint());
  ASSERT_EQ(atPane.size(), 3u);
  EXPECT_EQ(atPane[2]->Text, "the club house");
  // Two calls on: the header line and the note line of 1C join.
  w.Command(ID_EXEC);
  w.Command(ID_EXEC);
  EXPECT_TRUE(w.Paint(5).CountText("(1)") == 1 && tPbnVerText.TotValue == 5);
  w.Scroll(ID_HOR_TEXT, SB_LINEDOWN);  // the header line does not scroll sideways
  EXPECT_EQ(w.Paint().CountText("AUCTION"), 1);
  w.Command(ID_BACK);
  w.Command(CM_PBNFILE);  // raw text and back: the reveal starts again from the move on display
  w.Command(CM_ANNOTATION);
  w.Paint(5);
  EXPECT_EQ(tPbnVerText.TotValue, 4u);
  ViewAnnoLines(12, 30);  // brought into view, as far down as the text allows
  EXPECT_EQ(w.Bars[ID_VER_TEXT], (std::array{1, 21, 13}));
  ViewAnnoLines(25, 30);
  EXPECT_EQ(w.Bars[ID_VER_TEXT], (std::array{1, 21, 21}));
}

TEST_F(ShowcaseWindow, RawTextScrolling) {
  w.Command(CM_PBNFILE);
  const int Last = static_cast<int>(TRAdmin.NrGameLines) - 10 + 1;
  EXPECT_EQ(w.Bars[ID_VER_TEXT], (std::array{1, Last, 1}));
  // The longest raw line of game 1 is the Deal tag (78 characters): 78 - 58 + 1 positions.
  EXPECT_EQ(w.Bars[ID_HOR_TEXT], (std::array{1, 21, 1}));
  std::vector<const TextOp*> atPane = Pane(w.Paint());
  ASSERT_EQ(atPane.size(), 10u);
  EXPECT_EQ(atPane[0]->Text, GameTxtLine(0));
  // Each action repaints the pane, also one that cannot move; a page is 8 lines.
  const std::tuple<unsigned, unsigned, int> atActions[] = {
      {SB_LINEDOWN, 0, 2},    {SB_LINEDOWN, 0, 3},     {SB_PAGEUP, 0, 1}, {SB_LINEUP, 0, 1},
      {SB_PAGEDOWN, 0, 9},    {SB_LINEUP, 0, 8},       {SB_PAGEUP, 0, 1}, {SB_THUMBTRACK, 99, Last},
      {SB_LINEDOWN, 0, Last}, {SB_THUMBPOSITION, 2, 2}};
  for (const auto& [Code, Thumb, Pos] : atActions) {
    w.h.ClearCalls();
    w.Scroll(ID_VER_TEXT, Code, Thumb);
    EXPECT_TRUE(w.Bars[ID_VER_TEXT][2] == Pos && w.h.TextRequests() == 1) << Code << " " << Thumb;
  }
  // From line 2 and 11 characters to the right: a shorter line is drawn empty.
  w.Scroll(ID_HOR_TEXT, SB_THUMBTRACK, 12);
  atPane = Pane(w.Paint());
  ASSERT_EQ(atPane.size(), 10u);
  EXPECT_TRUE(atPane[0]->Text.empty() &&  // "% EXPORT"
              atPane[1]->Text == std::string(GameTxtLine(2)).substr(11));
  // The wheel over the pane: three lines a notch, sideways with Shift; elsewhere nothing.
  const std::tuple<int, unsigned, int, int, std::array<int, 2>> atWheels[] = {
      {-120, 0, 100, 300, {5, 12}},      {120, 0, 100, 300, {2, 12}},
      {-60, 0, 100, 300, {2, 12}},       {-60, 0, 100, 300, {5, 12}},
      {-240, MK_SHIFT, 5, 270, {5, 18}}, {-120, 0, 100, 100, {5, 18}},  // over the table
  };
  for (const auto& [Delta, Keys, x, y, aPos] : atWheels) {
    w.Send(WM_MOUSEWHEEL, MakeWheelParam(Delta, Keys), MakePointParam(x, y));
    EXPECT_EQ((std::array{w.Bars[ID_VER_TEXT][2], w.Bars[ID_HOR_TEXT][2]}), aPos) << Delta << y;
  }
}

TEST(MainWindow, GamesWithMistakes) {
  RecordingWindow w;
  w.Open(kExamples + "real-world-mistakes.pbn");
  EXPECT_EQ(w.Status, "Game 1 of 1; 10 of 11 games have mistakes: see " + LogPath());
  w.Command(CM_NEXT_MISTAKES);  // none without the option
  EXPECT_EQ(w.Label(), "1");
  // The option indexes the open file again, with every game.
  w.Command(CM_WITH_MISTAKES);
  EXPECT_TRUE(tPbnGames.MaxValue == 11 && w.MenuChecks[CM_WITH_MISTAKES]);
  EXPECT_EQ(w.Label(), "1");
  EXPECT_EQ(w.Status, "Game 1 of 11, 10 with mistakes: see " + LogPath());
  w.Command(CM_NEXT_MISTAKES);
  EXPECT_EQ(w.Label(), "2!");
  std::vector<std::string> atPane;
  for (const TextOp* ptText : Pane(w.Paint(3)))
    atPane.push_back(ptText->Text);
  ASSERT_GE(atPane.size(), 4u);
  EXPECT_EQ(std::vector(atPane.begin(), atPane.begin() + 4),
            (std::vector<std::string>{"MISTAKES", "line 29: E: Bad tag value",
                                      "[Date \"2023-07-28\"]", "      ^^^^^^^^^^^^^"}));
  w.Command(CM_LAST);
  w.Command(CM_NEXT_MISTAKES);  // on from the first game past the last
  EXPECT_EQ(w.Label(), "2!");
  // A pass stopped at its first report keeps the games it read of the new file, and says so.
  const TempFile tLong(LongFile());
  OpenCancelled(w, tLong.Path());
  const UInt32 NrKept = tPbnGames.MaxValue;
  const std::string Long = LongFile();
  const auto NrInFile = static_cast<UInt32>(std::ranges::count(Long, '\n') / 3);
  EXPECT_TRUE(NrKept > NrInFile / 2 && NrKept < NrInFile && GamesNrWithMistakes() == NrKept)
      << NrKept;
  EXPECT_EQ(w.Label(), "1!");
  EXPECT_EQ(w.Status, "Game 1 of " + std::to_string(NrKept) + ", " + std::to_string(NrKept) +
                          " with mistakes: see " + LogPath() +
                          "; reading stopped at 87% of the file: the games after it are not "
                          "indexed");
  w.Command(CM_LAST);
  EXPECT_EQ(w.Label(), std::to_string(NrKept) + "!");
  w.Command(CM_WITH_MISTAKES);  // off: the file read again holds no clean game
  EXPECT_TRUE(tPbnGames.MaxValue == 0 && !w.MenuChecks[CM_WITH_MISTAKES]);
  EXPECT_EQ(w.h.MessageBoxes.back().Text, "No PBN games\nInspect " + LogPath());
}

// What a game shows of its import: its place, the Event it inherits through "#" as loaded and as
// the list took it, its mistakes with their lines.
std::string GameFacts(UInt32 GameNr) {
  if (!ShowGameNumber(GameNr)) return "none";
  std::string Facts = std::to_string(GameFilePos(GameNr)) + " " +
                      TagValue(*tGameAdmin.ptGameTags, PBN_TAG_ID_EVENT) + " " +
                      GameListString(GameListRow(GameNr).idEvent);
  for (UInt32 i = 0; i < GameNrMistakes(GameNr); ++i)
    Facts += " " + std::to_string(GameMistakes(GameNr)[i].LineNr);
  return Facts;
}

// The first game shows after the first step of the pass and steps while the pass reads on; games
// loaded between the steps (with "#" values of earlier games) change nothing of what the pass
// finds: the same index, the same log, the same mistakes with their lines as a pass at once.
TEST(MainWindow, TheFirstGameWhileThePassReadsOn) {
  const std::string Club = testing_support::ReadFile(kExamples + "club-36.pbn");
  std::string Text;
  for (int Copy = 0; Copy < 30; ++Copy)
    Text += Club + "\n[Event \"x\"]\n[Dealer \"Q\"]\n\n";
  const TempFile tBig(Text);
  for (const bool bWithMistakes : {false, true}) {
    RecordingWindow w;
    if (bWithMistakes) w.Command(CM_WITH_MISTAKES);
    w.Open(tBig.Path());
    const UInt32 NrGames = tPbnGames.MaxValue;
    const std::string Log = testing_support::ReadFile("karvelon.log");
    ASSERT_EQ(NrGames, bWithMistakes ? 30u * 37 : 30u * 36);
    std::vector<std::string> atWhole(NrGames + 1);
    for (UInt32 GameNr = 1; GameNr <= NrGames; ++GameNr)
      atWhole[GameNr] = GameFacts(GameNr);

    w.bRunPasses = false;
    w.Open(tBig.Path());
    // Until the first step the window shows the game of before.
    EXPECT_TRUE(IndexPassRunning() && w.bStepAsked && tPbnGames.CurValue == NrGames);
    w.Command(CM_FIRST);  // nothing loads a game of the index being replaced
    EXPECT_TRUE(!ShowGameNumber(2) && tPbnGames.CurValue == NrGames);
    w.bStepAsked = false;
    w.Send(WM_INDEX_PASS);
    const UInt32 NrFirst = tPbnGames.MaxValue;
    EXPECT_TRUE(IndexPassRunning() && NrFirst > 0 && NrFirst < NrGames && tPbnGames.CurValue == 1);
    EXPECT_EQ(w.Bars[ID_GAMES], (std::array{1, static_cast<int>(NrFirst), 1}));
    EXPECT_EQ(w.Status.find("Game 1 of " + std::to_string(NrFirst)), 0u) << w.Status;
    EXPECT_NE(w.Status.find("reading the file: "), std::string::npos) << w.Status;
    w.Press(ID_EXEC);
    EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_AUCTION);
    std::map<UInt32, std::string> aFacts;  // of the games shown while the pass read on
    while (w.bStepAsked) {
      const UInt32 Last = tPbnGames.MaxValue;
      aFacts[Last] = GameFacts(Last);
      aFacts[Last / 2 + 1] = GameFacts(Last / 2 + 1);
      w.bStepAsked = false;
      w.Send(WM_INDEX_PASS);
    }
    EXPECT_TRUE(!IndexPassRunning() && tPbnGames.MaxValue == NrGames && w.NrAppended > 2);
    EXPECT_EQ(w.Bars[ID_GAMES][1], static_cast<int>(NrGames));
    EXPECT_EQ(testing_support::ReadFile("karvelon.log"), Log);
    EXPECT_EQ(w.NrProgressEnds, 2);
    for (const auto& [GameNr, Facts] : aFacts)
      EXPECT_EQ(atWhole[GameNr], Facts) << GameNr;
    w.bRunPasses = true;
    if (bWithMistakes) w.Command(CM_WITH_MISTAKES);
  }
}

// The Count texts drawn last in the history panel, each ended by "|": the double-dummy panel
// paints over the history.
std::string PanelTail(const RecordingCanvas& tCanvas, std::size_t Count) {
  std::vector<std::string> atTexts;
  for (const TextOp& tText : tCanvas.Texts) {
    if (tText.tRect.left >= 402 && tText.y < 258) atTexts.push_back(tText.Text);
  }
  std::string Tail;
  for (std::size_t i = atTexts.size() - std::min(Count, atTexts.size()); i < atTexts.size(); ++i)
    Tail += atTexts[i] + "|";
  return Tail;
}

TEST_F(ShowcaseWindow, DoubleDummyPanel) {
  w.Command(CM_DOUBLE_DUMMY);
  EXPECT_EQ(PanelTail(w.Paint(), 1), "...|");  // the worker is asked
  DdPanelWaitIdle();
  EXPECT_EQ(PanelTail(w.Paint(), 27),
            "NT|N|7|10|8|6|9|S|7|10|8|6|9|E|3|3|5|6|4|W|3|3|5|6|4| Par NS 420| 4S by NS|");
  w.Press(ID_PLAY);  // West leads from J63.AJ73.JT2.QJ4: at most three tricks for East-West
  w.Paint();
  DdPanelWaitIdle();
  EXPECT_EQ(PanelTail(w.Paint(), 14),
            " West to play: tricks|J 3|6 3|3 3|A 2|J 2|7 2|3 2|J 3|T 3|2 3|Q 2|J 2|4 2|");
  w.Press(ID_HIDE_N);  // a quiz: nothing is told but why
  EXPECT_EQ(PanelTail(w.Paint(), 1), " Hands are hidden|");
  w.Press(ID_HIDE_N);
  w.Command(CM_DOUBLE_DUMMY);
  EXPECT_TRUE(w.Paint().CountText(" Par NS 420") == 0 && !DdPanelShown());
}

// Go to game, and the choices that read the open file again on the game on display.
TEST(MainWindow, GoToGameAndChoicesThatKeepTheGame) {
  RecordingWindow w;
  w.Open(kExamples + "real-world-mistakes.pbn");
  w.Command(CM_WITH_MISTAKES);
  w.GoTo = 7;
  w.Command(CM_GO_TO);
  EXPECT_EQ(w.Label(), "7!");
  EXPECT_EQ(w.Status, "Game 7 of 11, 10 with mistakes: see " + LogPath());
  w.GoTo.reset();
  w.Command(CM_GO_TO);  // cancelled
  EXPECT_EQ(w.Label(), "7!");
  // A NUL byte near the start: no text, refused while every game with a tag would count.
  const TempFile tBinary(
      std::string("\x7f"
                  "ELF\0\0[Event \"a\"]\n",
                  18));
  w.Open(tBinary.Path());
  EXPECT_EQ(w.h.MessageBoxes.back().Text, tBinary.Path() + "\nnot a PBN text file");
  EXPECT_TRUE(tPbnGames.MaxValue == 11 && w.Label() == "7!");  // the file of before stays
  w.Command(CM_WITH_MISTAKES);  // off: the nearest clean game, the only one
  EXPECT_TRUE(tPbnGames.MaxValue == 1 && w.Label() == "1");

  EXPECT_TRUE(ChooseReading(pbn::ReadingChoiceDef::Pbn10));
  w.RunPass();
  w.Open(kExamples + "pbn21.pbn");                           // no game by PBN 1.0
  EXPECT_TRUE(ChooseReading(pbn::ReadingChoiceDef::Pbn21));  // read again at once
  w.RunPass();
  EXPECT_TRUE(tPbnGames.MaxValue == 4 && w.Title == "Karvelon (PBN 2.1) - pbn21.pbn");
  w.GoTo = 3;
  w.Command(CM_GO_TO);
  EXPECT_TRUE(ChooseReading(pbn::ReadingChoiceDef::AsDeclared));
  w.RunPass();
  EXPECT_EQ(w.Label(), "3");  // the same game, by its place in the file
  EXPECT_TRUE(ChooseReading(pbn::ReadingChoiceDef::Pbn10));
  w.RunPass();
  EXPECT_EQ(tPbnGames.MaxValue, 0u);
  EXPECT_TRUE(ChooseReading(pbn::ReadingChoiceDef::AsDeclared));  // as the tests after expect
}

TEST(MainWindow, GameNumberLabelAndKeys) {
  // The whole number at every size: neighbouring games never look the same.
  const std::tuple<bool, UInt32, const char*> atLabels[] = {
      {false, 99999, "99999"}, {false, 100000, "100000"}, {false, 4294967295, "4294967295"},
      {true, 12, "12!"},       {true, 113255, "113255!"}, {true, 4294967295, "4294967295!"}};
  for (const auto& [bMarked, Number, pcLabel] : atLabels)
    EXPECT_EQ(GameNumberText(Number, bMarked), pcLabel);
  RecordingWindow w;
  const std::pair<KeyDef, int> atKeys[] = {
      {KeyDef::Left, ID_BACK},      {KeyDef::Right, ID_EXEC},      {KeyDef::Home, ID_HEAD},
      {KeyDef::End, ID_TAIL},       {KeyDef::PageUp, CM_PREVIOUS}, {KeyDef::PageDown, CM_NEXT},
      {KeyDef::CtrlO, CM_OPEN},     {KeyDef::CtrlQ, CM_EXIT},      {KeyDef::Space, ID_START},
      {KeyDef::N, CM_NEXT_MISTAKES}};
  for (const auto& [Key, idCommand] : atKeys)
    EXPECT_EQ(KeyCommand(Key), idCommand);
  w.Command(ID_START);  // Space stops automatic play while it runs
  EXPECT_EQ(KeyCommand(KeyDef::Space), ID_STOP);
}

// The score cells of a traveller as Same board shows them: its headers, and per game its cells.
std::vector<std::vector<std::string>> ScoreCells(std::uint32_t GameNr) {
  const ScoreTableDef tTable = SameBoardScores(GameNr, GameListSameBoard(GameNr));
  std::vector<std::vector<std::string>> aaCells(1);
  for (const ScoreColumnDef& tColumn : tTable.atColumns)
    aaCells[0].push_back(tColumn.Header);
  for (const ScoreRowDef& tRow : tTable.atRows) {
    aaCells.push_back({std::to_string(tRow.GameNr)});
    aaCells.back().insert(aaCells.back().end(), tRow.aCells.begin(), tRow.aCells.end());
  }
  return aaCells;
}

// The scores come once the pass is over and a panel wants them: matchpoints and percentages of a
// pairs session (a disagreeing percentage of the file named, Neuberg's formula on a board with a
// result less), the IMPs of a team match each way, which are the swing between the two rooms; the
// boards of a pair of the ranking each lead to its game.
TEST(MainWindow, SameBoardScoresAndResults) {
  RecordingWindow w;
  SetReadingChoice(pbn::ReadingChoiceDef::AsDeclared);
  w.Open(kExamples + "club-session.pbn");
  EXPECT_TRUE(ScoresState() == ScoresStateDef::None && ScoreCells(1).size() == 1);
  WantScores();
  EXPECT_EQ(ScoresState(), ScoresStateDef::Computing);
  EXPECT_EQ(ScoreCells(1), (std::vector<std::vector<std::string>>{
                               {"Scores"}, {"1", "…"}, {"2", "…"}, {"3", "…"}, {"4", "…"}}));
  w.RunPass();
  ASSERT_EQ(ScoresState(), ScoresStateDef::Ready);
  EXPECT_EQ(w.NrScoresComputed, 1);
  using Cells = std::vector<std::vector<std::string>>;
  const std::pair<std::uint32_t, Cells> atBoards[] = {
      {2,
       {{"Table", "MP NS", "MP EW", "% NS", "% EW"},
        {"1", "1", "4", "2", "66.67", "33.33"},
        {"2", "2", "6", "0", "100", "0"},
        {"3", "3", "2", "4", "33.33", "66.67"},
        {"4", "4", "0", "6", "0", "100"}}},
      {8,
       {{"Table", "MP NS", "MP EW", "% NS", "% EW", "File"},
        {"5", "1", "4", "2", "66.67", "33.33", ""},
        {"6", "2", "2", "4", "33.33", "66.67", ""},
        {"7", "3", "0", "6", "0", "100", ""},
        {"8", "4", "6", "0", "100", "0", "pct_ns=83.33"}}},
      {12,
       {{"Table", "MP NS", "MP EW", "% NS", "% EW", "Note"},
        {"9", "1", "1.67", "4.33", "27.78", "72.22", ""},
        {"10", "2", "1.67", "4.33", "27.78", "72.22", ""},
        {"11", "3", "5.67", "0.33", "94.44", "5.56", ""},
        {"12", "4", "", "", "", "", "no contract"}}}};
  for (const auto& [GameNr, aaCells] : atBoards)
    EXPECT_EQ(ScoreCells(GameNr), aaCells) << GameNr;

  // The ranking: a heading per field, then its pairs; a pair's boards, each with its game.
  const ScoreTableDef tRanking = ResultsRanking();
  ASSERT_EQ(tRanking.atRows.size(), 10u);
  EXPECT_TRUE(tRanking.atRows[0].bHeading && tRanking.atRows[5].bHeading);
  EXPECT_EQ(tRanking.atRows[0].aCells.front(), "Ranking  Karvelon Club Pairs  NS  (mp)");
  EXPECT_EQ(tRanking.atRows[6].aCells, (std::vector<std::string>{"1", "8", "3", "16.33", "90.74"}));
  EXPECT_EQ(tRanking.Title, "3 boards, 8 ranked");
  const ScoreTableDef tBoards = ResultsPairBoards(tRanking.atRows[6].Pair);
  EXPECT_EQ(tBoards.Title, "Pair 8 EW: 3 boards");
  ASSERT_EQ(tBoards.atRows.size(), 3u);
  EXPECT_EQ(tBoards.atRows[1].aCells,
            (std::vector<std::string>{"2", "EW", "3", "3NT", "E", "10", "-430", "6", "100"}));
  EXPECT_EQ(tBoards.atRows[1].GameNr, 7u);
  EXPECT_TRUE(ShowGameNumber(tBoards.atRows[1].GameNr) && w.Label() == "7");
  EXPECT_TRUE(ResultsPairBoards(-1).atRows.empty() && ResultsPairBoards(99).atRows.empty());

  // Another file: the scores of the first go with its index, and come again for the new one.
  w.Open(kExamples + "online-match.pbn");
  ASSERT_EQ(ScoresState(), ScoresStateDef::Ready);
  EXPECT_EQ(ScoreCells(1), (Cells{{"Room", "Team NS", "IMPs NS", "IMPs EW"},
                                  {"1", "Open", "Home", "-6", "6"},
                                  {"2", "Closed", "Visit", "6", "-6"}}));
  EXPECT_EQ(ScoreCells(4), (Cells{{"Room", "Team NS", "IMPs NS", "IMPs EW"},
                                  {"3", "Open", "Home", "-4", "4"},
                                  {"4", "Closed", "Visit", "4", "-4"}}));
  const ScoreTableDef tTeams = ResultsRanking();
  ASSERT_EQ(tTeams.atRows.size(), 3u);
  EXPECT_EQ(tTeams.atRows[1].aCells, (std::vector<std::string>{"1", "Visit", "2", "10", "0"}));
  const ScoreTableDef tVisit = ResultsPairBoards(tTeams.atRows[1].Pair);
  EXPECT_EQ(tVisit.Title, "Team Visit: 2 boards, 4 results");  // in both rooms
  EXPECT_EQ(tVisit.atRows[0].aCells,
            (std::vector<std::string>{"1", "EW", "Home", "4S", "N", "5", "-250", "6"}));
  w.Send(WM_DESTROY);
  EXPECT_EQ(ScoresState(), ScoresStateDef::None);
  // Wanted before a file is open: the step asked for goes to the file's pass, and the scores
  // follow it.
  RecordingWindow w2;
  WantScores();
  w2.Open(kExamples + "club-session.pbn");
  EXPECT_EQ(ScoresState(), ScoresStateDef::Ready);
  // Two events of a file, pairs and teams: the teams' field names its own columns.
  const TempFile tBoth(testing_support::ReadFile(kExamples + "club-session.pbn") + "\n" +
                       testing_support::ReadFile(kExamples + "online-match.pbn"));
  w2.Open(tBoth.Path());
  const ScoreTableDef tBothRanking = ResultsRanking();
  ASSERT_EQ(tBothRanking.atRows.size(), 14u);
  EXPECT_EQ(tBothRanking.atRows[10].aCells.front(), "Ranking  Karvelon Cup  (teams)");
  EXPECT_EQ(tBothRanking.atRows[11].aCells,
            (std::vector<std::string>{"Rank", "Team", "Boards", "IMPs", "Lost"}));
  EXPECT_EQ(tBothRanking.atColumns[4].Header, "%");
}

}  // namespace
}  // namespace viewer_test
