// The main window's logic driven through WndProc as the window system drives it: menu
// commands, buttons, check boxes, scroll bars and timer ticks, with what a user would notice.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "games/pbn_game.h"
#include "recording_window.h"
#include "replay/pbn_play.h"
#include "support/test_support.h"
#include "viewer/karvelon.h"

namespace viewer_test {
namespace {

using namespace pbn;
using testing_support::TempFile;
using viewer::tPaintRectangle;
using viewer::tTextRectangle;

const std::string kShowcase = std::string(KARVELON_SOURCE_DIR) + "/examples/showcase.pbn";
const std::string kMistakes = std::string(KARVELON_SOURCE_DIR) + "/examples/mistakes.pbn";

bool FileExists(const char* pcPath) {
  struct stat tStat;
  return stat(pcPath, &tStat) == 0;
}

long FileSize(const char* pcPath) {
  struct stat tStat;
  return stat(pcPath, &tStat) == 0 ? static_cast<long>(tStat.st_size) : -1;
}

// A window with the showcase open on game 1.
class ShowcaseWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    w.Open(kShowcase);
    ASSERT_EQ(viewer::tPbnGames.MaxValue, 5u);
    w.ClearCalls();
  }
  const ScrollBarState& Bar(int idCtrl) { return w.ScrollBars[idCtrl]; }

  RecordingWindow w;
};

TEST(MainWindow, CreationBuildsControlsAndMeasuresThePane) {
  RecordingWindow w;
  ASSERT_EQ(w.Controls.size(), 21u);
  for (std::size_t i = 0; i < w.Controls.size(); ++i) {
    EXPECT_EQ(w.Controls[i].idCtrl, viewer::atChildWindows[i].idCtrl) << i;
  }
  // Courier 14 on the recording canvas: 14 pixels high, 7 wide.
  EXPECT_EQ(viewer::TRAdmin.DeltaY, 14);
  EXPECT_EQ(viewer::TRAdmin.NrDlgLines, 10u);
  EXPECT_EQ(viewer::TRAdmin.NrDlgChars, 58u);
  EXPECT_EQ(w.tCanvas.Fonts.back().lfHeight, 14);
  EXPECT_STREQ(w.tCanvas.Fonts.back().lfFaceName, "Courier");
  EXPECT_EQ(w.tCanvas.NrStockFonts, 1);
  EXPECT_EQ(viewer::tPbnGames.idCtrl, 131);
  EXPECT_EQ(viewer::tPbnHorText.idCtrl, 132);
  EXPECT_EQ(viewer::tPbnVerText.idCtrl, 133);
  EXPECT_EQ(w.Label(), "0");

  // Before any file: the empty table, no board or situation box, no text.
  RecordingCanvas& tCanvas = w.Paint();
  EXPECT_NE(tCanvas.FindText("West"), nullptr);
  EXPECT_EQ(tCanvas.FindFill({10, 6, 126, 22}), nullptr);
  for (const TextOp& tText : tCanvas.Texts)
    EXPECT_LT(tText.y, 258) << tText.Text;
  EXPECT_EQ(tCanvas.NrStockFonts, 2);  // the paint ends with the stock font selected

  // Without games the step buttons, game commands and scroll bars do nothing.
  for (int idCommand : {108, 109, 111, 113, 404, 405, 406, 407})
    w.Command(idCommand);
  w.Scroll(viewer::ID_GAMES, viewer::SB_LINEDOWN);
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_LINEDOWN);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  EXPECT_EQ(w.Label(), "0");
  EXPECT_TRUE(w.MessageBoxes.empty());
}

TEST(MainWindow, OpenWritesTheLogAndShowsGameOne) {
  std::remove("karvelon.log");
  RecordingWindow w;
  w.Open(kMistakes);
  EXPECT_GT(FileSize("karvelon.log"), 0);
  // The dialog's record: the PBN filter, default extension "pbn", create prompt.
  EXPECT_EQ(w.LastDialog.lpstrFilter, viewer::szFilterPbn);
  EXPECT_STREQ(w.LastDialog.lpstrFilter, "PBN Files (*.PBN)");
  EXPECT_STREQ(w.LastDialog.lpstrDefExt, "pbn");
  EXPECT_EQ(w.LastDialog.Flags, 0x2000u);
  EXPECT_GE(w.LastDialog.nMaxFile, 261u);

  // Opening another file empties the log: the showcase has nothing to complain about.
  w.Open(kShowcase);
  EXPECT_EQ(FileSize("karvelon.log"), 0);
  EXPECT_EQ(w.Label(), "1");
  EXPECT_EQ(w.ScrollBars[131].MinPos, 1);
  EXPECT_EQ(w.ScrollBars[131].MaxPos, 5);
  EXPECT_EQ(w.ScrollBars[131].Pos, 1);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  EXPECT_EQ(w.Check(121), 0);
  EXPECT_EQ(w.Check(122), 0);
  EXPECT_GE(w.CountInvalidations(tPaintRectangle), 1);
  EXPECT_GE(w.CountInvalidations(tTextRectangle), 1);
  RecordingCanvas& tCanvas = w.Paint();
  EXPECT_NE(tCanvas.FindText("Board : 1"), nullptr);
  EXPECT_NE(tCanvas.FindText("N / None"), nullptr);
  EXPECT_NE(tCanvas.FindText("Dirk"), nullptr);

  // Without the log (the render command), nothing is written.
  std::remove("karvelon.log");
  viewer::SetImportLogEnabled(false);
  w.Open(kShowcase);
  viewer::SetImportLogEnabled(true);
  EXPECT_FALSE(FileExists("karvelon.log"));
  EXPECT_EQ(viewer::tPbnGames.MaxValue, 5u);
}

TEST_F(ShowcaseWindow, GameMenuAndGameScrollBar) {
  w.Command(viewer::CM_PREVIOUS);  // on game 1: nothing
  EXPECT_TRUE(w.Invalidations.empty());
  w.Command(viewer::CM_NEXT);
  EXPECT_EQ(w.Label(), "2");
  EXPECT_EQ(Bar(131).Pos, 2);
  // Game 2 hides East and West: the boxes and the replay state follow.
  EXPECT_EQ(w.Check(141), 1);
  EXPECT_EQ(w.Check(143), 1);
  EXPECT_EQ(w.Check(142) + w.Check(144), 0);
  EXPECT_TRUE(tGameAdmin.abHiddenSide[PBN_WEST] && tGameAdmin.abHiddenSide[PBN_EAST]);
  RecordingCanvas& tCanvas = w.Paint();
  EXPECT_NE(tCanvas.FindText("Board : 2"), nullptr);
  EXPECT_NE(tCanvas.FindText("Anna"), nullptr);  // inherited through "#"
  // West's and East's hands show only their bitmaps: 16 suit bitmaps, ranks for two hands.
  EXPECT_EQ(tCanvas.Bitmaps.size(), 16u);
  int NrRanks = 0;
  for (const TextOp& tText : tCanvas.Texts)
    NrRanks += !tText.bDrawText && tText.y < 258;
  EXPECT_EQ(NrRanks, 26);

  w.Command(viewer::CM_LAST);
  EXPECT_EQ(w.Label(), "5");
  w.ClearCalls();
  w.Command(viewer::CM_NEXT);  // on the last game: nothing
  EXPECT_TRUE(w.Invalidations.empty());
  EXPECT_EQ(w.Label(), "5");
  w.Command(viewer::CM_FIRST);
  EXPECT_EQ(w.Label(), "1");
  EXPECT_EQ(w.Check(141), 0);

  // The game scroll bar: line, page and thumb; an action at the end loads the same game again.
  w.Scroll(viewer::ID_GAMES, viewer::SB_LINEDOWN);
  EXPECT_EQ(w.Label(), "2");
  w.Scroll(viewer::ID_GAMES, viewer::SB_PAGEDOWN);
  EXPECT_EQ(w.Label(), "5");
  w.Command(viewer::ID_EXEC);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_AUCTION);
  w.ClearCalls();
  w.Scroll(viewer::ID_GAMES, viewer::SB_LINEDOWN);
  EXPECT_EQ(w.Label(), "5");
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);  // loaded afresh
  EXPECT_EQ(w.CountInvalidations(tPaintRectangle), 1);
  w.Scroll(viewer::ID_GAMES, viewer::SB_PAGEUP);
  EXPECT_EQ(w.Label(), "1");
  w.Scroll(viewer::ID_GAMES, viewer::SB_THUMBTRACK, 3);
  EXPECT_EQ(w.Label(), "3");
  w.Scroll(viewer::ID_GAMES, viewer::SB_THUMBPOSITION, 4);
  EXPECT_EQ(w.Label(), "4");
  // A thumb position that names no game stays within the games.
  w.Scroll(viewer::ID_GAMES, viewer::SB_THUMBTRACK, 0);
  EXPECT_EQ(viewer::tPbnGames.CurValue, 1u);
  w.Scroll(viewer::ID_GAMES, viewer::SB_THUMBTRACK, 9);
  EXPECT_EQ(viewer::tPbnGames.CurValue, 5u);
  // Codes without a rule change nothing.
  w.ClearCalls();
  w.Scroll(viewer::ID_GAMES, viewer::SB_ENDSCROLL);
  EXPECT_TRUE(w.Invalidations.empty());
}

TEST_F(ShowcaseWindow, StepButtonsAndSectionBoxes) {
  w.Command(viewer::ID_BACK);  // in the identification section: nothing
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  w.Command(viewer::ID_EXEC);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_AUCTION);
  EXPECT_EQ(w.Check(121), 1);
  w.Command(viewer::ID_EXEC);
  w.Command(viewer::ID_EXEC);
  EXPECT_EQ(tGameAdmin.NrCalls, 2);
  EXPECT_EQ(w.CountInvalidations(tPaintRectangle), 3);
  w.Command(viewer::ID_TAIL);
  EXPECT_EQ(tGameAdmin.NrCalls, tGameAdmin.ptGameData->tAuction.NrCalls);
  w.Command(viewer::ID_HEAD);
  EXPECT_EQ(tGameAdmin.NrCalls, 0);
  w.Command(viewer::ID_TAIL);
  w.Command(viewer::ID_EXEC);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_PLAY);
  EXPECT_EQ(w.Check(121), 0);
  EXPECT_EQ(w.Check(122), 1);
  w.Command(viewer::ID_TAIL);
  EXPECT_TRUE(tGameAdmin.bPlayDone);
  RecordingCanvas& tCanvas = w.Paint();
  EXPECT_NE(tCanvas.FindText("Result : 10"), nullptr);
  EXPECT_EQ(tGameAdmin.NrTricks, 13);
  w.Command(viewer::ID_BACK);
  EXPECT_FALSE(tGameAdmin.bPlayDone);

  // The section boxes: Auction while Play is checked unchecks Play and starts the auction.
  w.Click(viewer::ID_AUCTION);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_AUCTION);
  EXPECT_EQ(tGameAdmin.NrCalls, 0);
  EXPECT_EQ(w.Check(122), 0);
  w.Click(viewer::ID_PLAY);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_PLAY);
  EXPECT_EQ(w.Check(121), 0);
  EXPECT_EQ(tGameAdmin.NrCards, 0);
  w.Click(viewer::ID_PLAY);  // checked again: back to the identification section
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  EXPECT_EQ(w.Check(122), 0);

  // The hide boxes set the hidden flag of their side and repaint the table.
  const struct {
    int idCtrl;
    PbnSideDef Side;
  } atBoxes[] = {{141, PBN_WEST}, {142, PBN_NORTH}, {143, PBN_EAST}, {144, PBN_SOUTH}};
  for (const auto& tBox : atBoxes) {
    w.ClearCalls();
    w.Click(tBox.idCtrl);
    EXPECT_TRUE(tGameAdmin.abHiddenSide[tBox.Side]) << tBox.idCtrl;
    EXPECT_EQ(w.CountInvalidations(tPaintRectangle), 1);
    w.Click(tBox.idCtrl);
    EXPECT_FALSE(tGameAdmin.abHiddenSide[tBox.Side]) << tBox.idCtrl;
  }
}

TEST_F(ShowcaseWindow, TimerPlaysOnAndStopsAtTheEnd) {
  w.Command(viewer::ID_START);
  w.Command(viewer::ID_START);
  EXPECT_EQ(w.TimerSets, 1);
  EXPECT_EQ(w.TimerPeriod, 500u);
  w.Send(viewer::WM_TIMER, 1);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_AUCTION);
  w.Command(viewer::ID_STOP);
  w.Command(viewer::ID_STOP);
  EXPECT_EQ(w.TimerKills, 1);

  // Ticks step through the whole game; once the play is complete the timer stops itself.
  w.Command(viewer::ID_START);
  for (int Tick = 0; Tick < 200 && !tGameAdmin.bPlayDone; ++Tick)
    w.Send(viewer::WM_TIMER, 1);
  EXPECT_TRUE(tGameAdmin.bPlayDone);
  EXPECT_EQ(tGameAdmin.NrCards, 52);
  EXPECT_EQ(w.TimerKills, 2);

  // The timer survives a change of game.
  w.Command(viewer::ID_START);
  w.Command(viewer::CM_NEXT);
  EXPECT_EQ(w.TimerKills, 2);
}

TEST(MainWindow, RefusedTimer) {
  RecordingWindow w;
  w.bRefuseTimers = true;
  w.Command(viewer::ID_START);
  ASSERT_EQ(w.MessageBoxes.size(), 1u);
  EXPECT_EQ(w.MessageBoxes[0].Text, "No timers");
  EXPECT_EQ(w.MessageBoxes[0].Caption, "Karvelon");
  EXPECT_EQ(w.MessageBoxes[0].Flags, 0x30u);
}

TEST_F(ShowcaseWindow, AboutAndExit) {
  w.Command(viewer::CM_ABOUT);
  ASSERT_EQ(w.MessageBoxes.size(), 1u);
  EXPECT_EQ(w.MessageBoxes[0].Text.rfind("Karvelon (v1.4) for PBN 1.0\n", 0), 0u);
  EXPECT_EQ(std::count(w.MessageBoxes[0].Text.begin(), w.MessageBoxes[0].Text.end(), '\n'), 2);
  EXPECT_EQ(w.MessageBoxes[0].Caption, "Program Info");
  EXPECT_EQ(w.MessageBoxes[0].Flags, 0x40u);

  w.Command(viewer::ID_START);
  w.Command(viewer::CM_EXIT);
  EXPECT_TRUE(w.bDestroyed);
  EXPECT_EQ(w.QuitCode, 0);
  EXPECT_EQ(tGameAdmin.ptGameData, nullptr);  // GameTerm released the records
  EXPECT_EQ(w.TimerKills, 1);
  // Nothing reaches a destroyed window.
  w.ClearCalls();
  w.Command(viewer::ID_EXEC);
  w.Paint();
  EXPECT_TRUE(w.Invalidations.empty());
  EXPECT_TRUE(w.tCanvas.Texts.empty());
}

TEST_F(ShowcaseWindow, OpenThatFailsOrIsCancelledKeepsTheFile) {
  w.Command(viewer::CM_NEXT);
  w.ClearCalls();
  w.Open(std::nullopt);  // cancelled
  EXPECT_TRUE(w.MessageBoxes.empty());
  EXPECT_TRUE(w.Invalidations.empty());
  EXPECT_EQ(w.Label(), "2");

  w.Open("");
  ASSERT_EQ(w.MessageBoxes.size(), 1u);
  EXPECT_EQ(w.MessageBoxes[0].Text, "No PBN file");
  EXPECT_TRUE(w.bCaptionNull);
  EXPECT_EQ(w.MessageBoxes[0].Flags, 0x30u);

  const std::string Missing = "/nonexistent/folder/games.pbn";
  w.Open(Missing);
  ASSERT_EQ(w.MessageBoxes.size(), 2u);
  EXPECT_EQ(w.MessageBoxes[1].Text, Missing);
  EXPECT_EQ(w.MessageBoxes[1].Caption, "Open error PBN file");
  EXPECT_EQ(w.MessageBoxes[1].Flags, 0x30u);

  // A folder is no PBN file either.
  w.Open("/tmp");
  ASSERT_EQ(w.MessageBoxes.size(), 3u);
  EXPECT_EQ(w.MessageBoxes[2].Caption, "Open error PBN file");

  // The earlier file is still open and its games load.
  EXPECT_EQ(viewer::tPbnGames.MaxValue, 5u);
  w.Command(viewer::CM_NEXT);
  EXPECT_EQ(w.Label(), "3");
  EXPECT_NE(w.Paint().FindText("Board : 3"), nullptr);
}

TEST_F(ShowcaseWindow, FileOf2GiBIsRefused) {
  char acPath[] = "/tmp/karvelon_hugeXXXXXX";
  const int Fd = mkstemp(acPath);
  ASSERT_GE(Fd, 0);
  // Sparse: no disk space is used.
  const bool bSized = ftruncate(Fd, off_t{1} << 31) == 0;
  close(Fd);
  if (bSized) {
    w.Open(acPath);
    ASSERT_EQ(w.MessageBoxes.size(), 1u);
    EXPECT_EQ(w.MessageBoxes[0].Text, kGameFileTooLargeText);
    EXPECT_EQ(w.MessageBoxes[0].Flags, 0x30u);
    EXPECT_EQ(viewer::tPbnGames.MaxValue, 5u);
    w.Command(viewer::CM_LAST);
    EXPECT_EQ(w.Label(), "5");
  }
  std::remove(acPath);
  if (!bSized) GTEST_SKIP() << "no sparse file of 2 GiB here";
}

TEST_F(ShowcaseWindow, FileWithoutGames) {
  w.Command(viewer::ID_EXEC);  // the auction of game 1 is on display
  w.Command(viewer::ID_EXEC);
  const TempFile tNoGames("[Event \"Broken\"]\n[Dealer \"Q\"]\n\n% nothing more\n");
  w.ClearCalls();
  w.Open(tNoGames.Path());
  ASSERT_EQ(w.MessageBoxes.size(), 1u);
  EXPECT_EQ(w.MessageBoxes[0].Text, "No PBN games\nInspect karvelon.log");
  EXPECT_TRUE(w.bCaptionNull);
  EXPECT_EQ(w.MessageBoxes[0].Flags, 0x30u);
  EXPECT_EQ(w.Label(), "0");
  EXPECT_EQ(w.ScrollBars[131].MaxPos, 0);
  EXPECT_GT(FileSize("karvelon.log"), 0);

  // The step buttons do nothing, the section boxes only toggle, the hide boxes still work.
  w.Command(viewer::ID_EXEC);
  w.Command(viewer::ID_TAIL);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  w.Click(viewer::ID_AUCTION);
  EXPECT_EQ(w.Check(121), 1);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  w.Click(viewer::ID_HIDE_N);
  EXPECT_TRUE(tGameAdmin.abHiddenSide[PBN_NORTH]);

  // The table shows no game: no board box, no ranks, no calls, no text.
  RecordingCanvas& tCanvas = w.Paint();
  EXPECT_EQ(tCanvas.FindFill({10, 6, 126, 22}), nullptr);
  for (const TextOp& tText : tCanvas.Texts) {
    EXPECT_TRUE(tText.bDrawText) << tText.Text;
    EXPECT_LT(tText.y, 258) << tText.Text;
  }
}

TEST_F(ShowcaseWindow, AnnotationIsRevealedMoveByMove) {
  // Shown afresh, the vertical model is empty; the first paint reaches the identification
  // comments (three lines) and asks for the text pane; the next paint draws them.
  EXPECT_EQ(viewer::tPbnVerText.MaxValue, 0u);
  w.Paint();
  EXPECT_EQ(viewer::tPbnVerText.TotValue, 3u);
  EXPECT_EQ(Bar(133).MaxPos, 1);
  EXPECT_EQ(w.CountInvalidations(tTextRectangle), 1);
  RecordingCanvas* ptCanvas = &w.Paint();
  std::vector<const TextOp*> atPane;
  for (const TextOp& tText : ptCanvas->Texts) {
    if (tText.y >= 264) atPane.push_back(&tText);
  }
  ASSERT_EQ(atPane.size(), 3u);
  EXPECT_EQ(atPane[0]->x, 4);
  EXPECT_EQ(atPane[0]->y, 264);
  EXPECT_EQ(atPane[1]->y, 278);
  EXPECT_EQ(atPane[2]->Text, "the club house");
  EXPECT_EQ(atPane[2]->FontHeight, 14);
  // The longest line is 58 characters at most: the pane cuts it.
  EXPECT_LE(atPane[0]->Text.size(), 58u);

  // Into the auction: the header line joins; two calls on, the note line of 1C.
  w.Command(viewer::ID_EXEC);
  w.Command(viewer::ID_EXEC);
  ptCanvas = &w.PaintAll();
  EXPECT_EQ(viewer::tPbnVerText.TotValue, 5u);
  EXPECT_NE(ptCanvas->FindText("AUCTION"), nullptr);
  EXPECT_NE(ptCanvas->FindText("(1)"), nullptr);
  EXPECT_EQ(ptCanvas->FindText("(1)")->Color, viewer::Rgb(0, 128, 0));

  // Stepping back, to before the first call and out of the auction, hides nothing.
  w.Command(viewer::ID_BACK);
  w.Command(viewer::ID_BACK);
  EXPECT_EQ(tGameAdmin.Section, PBN_SECTION_IDENT);
  w.PaintAll();
  EXPECT_EQ(viewer::tPbnVerText.TotValue, 5u);

  // Raw text and back: the reveal starts again from the move on display.
  w.Command(viewer::CM_PBNFILE);
  EXPECT_FALSE(viewer::bShowAnno);
  w.ClearCalls();
  w.Command(viewer::CM_ANNOTATION);
  EXPECT_TRUE(viewer::bShowAnno);
  EXPECT_EQ(viewer::tPbnVerText.MaxValue, 0u);
  EXPECT_GE(w.CountInvalidations(tTextRectangle), 1);  // the raw text goes
  w.PaintAll();
  EXPECT_EQ(viewer::tPbnVerText.TotValue, 3u);
  w.Command(viewer::ID_EXEC);
  w.PaintAll();
  EXPECT_EQ(viewer::tPbnVerText.TotValue, 4u);
}

TEST_F(ShowcaseWindow, RawTextScrolling) {
  w.Command(viewer::CM_PBNFILE);
  const UInt32 NrLines = viewer::TRAdmin.NrGameLines;
  ASSERT_GT(NrLines, 10u);
  EXPECT_EQ(viewer::tPbnVerText.TotValue, NrLines);
  EXPECT_EQ(viewer::tPbnVerText.MaxValue, NrLines - 10 + 1);
  EXPECT_EQ(Bar(133).MinPos, 1);
  EXPECT_EQ(Bar(133).MaxPos, static_cast<int>(NrLines - 10 + 1));
  // The longest raw line of game 1 is the Deal tag (78 characters): 78 - 58 + 1 positions.
  EXPECT_EQ(viewer::TRAdmin.NrGameChars, 78u);
  EXPECT_EQ(viewer::tPbnHorText.MaxValue, 21u);

  RecordingCanvas* ptCanvas = &w.Paint();
  std::vector<const TextOp*> atPane;
  for (const TextOp& tText : ptCanvas->Texts) {
    if (tText.y >= 264) atPane.push_back(&tText);
  }
  ASSERT_EQ(atPane.size(), 10u);
  EXPECT_EQ(atPane[0]->Text, GameTxtLine(0));
  EXPECT_EQ(atPane[0]->Format, 0x24u);
  EXPECT_TRUE(RecordingCanvas::SameRect(atPane[9]->tRect, {4, 264 + 9 * 14, 412, 264 + 10 * 14}));
  EXPECT_STREQ(atPane[0]->Face.c_str(), "Courier");

  // Down one line, then page up from 3 with the step of 8 goes to 1.
  w.ClearCalls();
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_LINEDOWN);
  EXPECT_EQ(Bar(133).Pos, 2);
  EXPECT_EQ(w.CountInvalidations(tTextRectangle), 1);
  EXPECT_EQ(w.Paint().Texts.back().Text, GameTxtLine(10));
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_LINEDOWN);
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_PAGEUP);
  EXPECT_EQ(Bar(133).Pos, 1);
  w.ClearCalls();
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_LINEUP);  // at 1: stays, still repaints
  EXPECT_EQ(Bar(133).Pos, 1);
  EXPECT_EQ(w.CountInvalidations(tTextRectangle), 1);
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_PAGEDOWN);
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_PAGEDOWN);
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_PAGEDOWN);
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_PAGEDOWN);
  EXPECT_EQ(Bar(133).Pos, static_cast<int>(NrLines - 10 + 1));

  // Sideways: every line loses its first characters; a shorter line is drawn empty.
  w.Scroll(viewer::ID_VER_TEXT, viewer::SB_THUMBPOSITION, 1);
  w.Send(viewer::WM_HSCROLL, viewer::MakeScrollParam(viewer::SB_THUMBTRACK, 12),
         viewer::ID_HOR_TEXT);
  EXPECT_EQ(Bar(132).Pos, 12);
  ptCanvas = &w.Paint();
  atPane.clear();
  for (const TextOp& tText : ptCanvas->Texts) {
    if (tText.y >= 264) atPane.push_back(&tText);
  }
  ASSERT_EQ(atPane.size(), 10u);
  EXPECT_EQ(atPane[0]->Text, "");  // "% PBN 1.0" is shorter than the offset
  EXPECT_EQ(atPane[2]->Text, std::string(GameTxtLine(2)).substr(11));
}

TEST(TextPane, ScrollRules) {
  viewer::ScrollBarDataDef tModel{0, 0, 20, 3, 8};
  EXPECT_EQ(viewer::ScrollBarProc(&tModel, viewer::SB_PAGEUP, 0), 1);
  EXPECT_EQ(tModel.CurValue, 1u);
  EXPECT_EQ(viewer::ScrollBarProc(&tModel, viewer::SB_LINEUP, 0), 1);
  EXPECT_EQ(tModel.CurValue, 1u);
  tModel.CurValue = 15;
  viewer::ScrollBarProc(&tModel, viewer::SB_PAGEDOWN, 0);
  EXPECT_EQ(tModel.CurValue, 20u);
  viewer::ScrollBarProc(&tModel, viewer::SB_LINEDOWN, 0);
  EXPECT_EQ(tModel.CurValue, 20u);
  viewer::ScrollBarProc(&tModel, viewer::SB_PAGEUP, 0);
  EXPECT_EQ(tModel.CurValue, 12u);
  EXPECT_EQ(viewer::ScrollBarProc(&tModel, viewer::MakeScrollParam(viewer::SB_THUMBTRACK, 7), 0),
            1);
  EXPECT_EQ(tModel.CurValue, 7u);
  for (unsigned Code : {viewer::SB_TOP, viewer::SB_BOTTOM, viewer::SB_ENDSCROLL, 99u}) {
    EXPECT_EQ(viewer::ScrollBarProc(&tModel, Code, 0), 0);
    EXPECT_EQ(tModel.CurValue, 7u);
  }
  // The thumb position is 16-bit: beyond 65535 only line and page actions reach.
  tModel = viewer::ScrollBarDataDef{0, 0, 70000, 65535, 8};
  viewer::ScrollBarProc(&tModel, viewer::SB_LINEDOWN, 0);
  EXPECT_EQ(tModel.CurValue, 65536u);
  viewer::ScrollBarProc(&tModel, viewer::MakeScrollParam(viewer::SB_THUMBTRACK, 65537), 0);
  EXPECT_EQ(tModel.CurValue, 1u);
}

TEST(TextPane, ViewAnnoLinesBringsTheRangeIntoView) {
  RecordingWindow w;  // 10 lines fit
  viewer::ViewAnnoLines(12, 30);
  EXPECT_EQ(viewer::tPbnVerText.TotValue, 30u);
  EXPECT_EQ(viewer::tPbnVerText.MaxValue, 21u);
  EXPECT_EQ(viewer::tPbnVerText.CurValue, 13u);
  EXPECT_EQ(w.ScrollBars[133].MinPos, 1);
  EXPECT_EQ(w.ScrollBars[133].MaxPos, 21);
  EXPECT_EQ(w.ScrollBars[133].Pos, 13);
  EXPECT_EQ(w.CountInvalidations(tTextRectangle), 1);
  viewer::ViewAnnoLines(25, 30);  // as far down as the text allows
  EXPECT_EQ(viewer::tPbnVerText.CurValue, 21u);
  viewer::ViewAnnoLines(2, 6);  // all fit
  EXPECT_EQ(viewer::tPbnVerText.MaxValue, 1u);
  EXPECT_EQ(viewer::tPbnVerText.CurValue, 1u);
}

TEST(TextPane, SectionHeadersDoNotScrollSideways) {
  const TempFile tGame(
      "[Event \"E\"]\n[Board \"1\"]\n[Dealer \"N\"]\n[Auction \"N\"]\n"
      "Pass {a comment that is longer than the pane is wide, so that it can be scrolled}\n");
  RecordingWindow w;
  w.Open(tGame.Path());
  ASSERT_EQ(viewer::tPbnGames.MaxValue, 1u);
  w.Command(viewer::ID_EXEC);
  w.Command(viewer::ID_EXEC);
  w.PaintAll();
  w.Send(viewer::WM_HSCROLL, viewer::MakeScrollParam(viewer::SB_THUMBTRACK, 3),
         viewer::ID_HOR_TEXT);
  RecordingCanvas& tCanvas = w.Paint();
  const TextOp* ptHeader = tCanvas.FindText("AUCTION");
  ASSERT_NE(ptHeader, nullptr);
  EXPECT_EQ(ptHeader->tRect.left, 4);
  EXPECT_NE(tCanvas.FindText("comment that is longer than the pane is wide, so that it c"),
            nullptr);
}

TEST(MainWindow, GameNumberLabelFitsItsBuffer) {
  const struct {
    UInt32 Number;
    const char* pcText;
  } atCases[] = {{0, "0"},           {1, "1"},          {99999, "99999"},      {100000, "100k"},
                 {9999999, "9999k"}, {10000000, "10M"}, {4294967295u, "4294M"}};
  for (const auto& tCase : atCases) {
    char acText[6];
    viewer::FormatGameNumber(tCase.Number, acText);
    EXPECT_STREQ(acText, tCase.pcText);
  }
}

TEST(MainWindow, Keys) {
  RecordingWindow w;
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::Left), viewer::ID_BACK);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::Right), viewer::ID_EXEC);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::Home), viewer::ID_HEAD);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::End), viewer::ID_TAIL);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::PageUp), viewer::CM_PREVIOUS);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::PageDown), viewer::CM_NEXT);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::CtrlO), viewer::CM_OPEN);
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::CtrlQ), viewer::CM_EXIT);
  // Space starts automatic play, and stops it while it runs.
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::Space), viewer::ID_START);
  w.Command(viewer::KeyCommand(viewer::KeyDef::Space));
  EXPECT_EQ(viewer::KeyCommand(viewer::KeyDef::Space), viewer::ID_STOP);
  w.Command(viewer::KeyCommand(viewer::KeyDef::Space));
  EXPECT_EQ(w.TimerKills, 1);
}

}  // namespace
}  // namespace viewer_test
