// The table painter and the annotation line through a recording canvas: where each element
// lands, in which colour, font and text format.
#include <gtest/gtest.h>

#include "core/pbn.h"
#include "recording_canvas.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"
#include "viewer/p_table.h"

namespace viewer_test {
namespace {

using namespace pbn;
using namespace viewer;

constexpr unsigned kCentred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr unsigned kLeft = DT_SINGLELINE | DT_VCENTER;

constexpr RectDef Rect(int x, int y, int Width, int Height) {
  return RectDef{x, y, x + Width, y + Height};
}

constexpr PbnRankDef Rank(int Index) {  // 0 for the 2 .. 12 for the ace
  return static_cast<PbnRankDef>(PBN_RANK_2 << Index);
}

// The painter reads the replay state of the game on display; each test sets its own.
class TablePainting : public ::testing::Test {
 protected:
  void SetUp() override {
    tGameAdmin = PbnGameAdminDef{};
    tGameAdmin.ptGameData = &tGameData;
    tGameAdmin.ptGameTags = &tGameTags;
    tGameAdmin.atPlayCards[0].Side = PBN_SIDE_NONE;
    PaintBitmapInit();
    SelectPaintFont(&c, FONT_TABLE);
  }
  void TearDown() override { tGameAdmin = PbnGameAdminDef{}; }
  // The first Text drawn: where (or in which DrawText rectangle and format), in which colour.
  void ExpectAt(const std::string& Text, int x, int y, ColorRefDef Color = kColorBlack) {
    const TextOp& t = c.Find(Text);
    EXPECT_TRUE(t.x == x && t.y == y && t.Color == Color)
        << Text << " at " << t.x << ", " << t.y << " in " << std::hex << t.Color;
  }
  void ExpectIn(const std::string& Text, const RectDef& tRect, unsigned Format = kCentred,
                ColorRefDef Color = kColorBlack) {
    const TextOp& t = c.Find(Text);
    EXPECT_TRUE(SameRect(t.tRect, tRect) && t.Format == Format && t.Color == Color) << Text;
  }

  // One line of the annotation pane, in font 2: the runs of text, their left edges and colours.
  struct Run {
    std::string Text;
    int x;
    ColorRefDef Color;
    bool operator==(const Run&) const = default;
  };
  using Runs = std::vector<Run>;
  // The window of the line from byte Begin to byte End, as a pane scrolled sideways shows it.
  Runs Draw(const std::string& Line, UInt32 Begin = 0, UInt32 End = kAnnoWholeLine) {
    SelectPaintFont(&c, FONT_TEXT);
    c.tState.Color = Rgb(1, 2, 3);  // whatever the table painting left
    c.Clear();
    DrawGameTextAnno(&c, reinterpret_cast<const unsigned char*>(Line.c_str()), Begin, End, &kLine);
    Runs atRuns;
    for (const TextOp& tText : c.Texts)
      atRuns.push_back({tText.Text, tText.x, tText.Color});
    return atRuns;
  }

  static constexpr RectDef kLine{4, 278, 412, 292};
  RecordingCanvas c;
  PbnGameDataDef tGameData{};
  PbnGameTagsDef tGameTags{};
  const int W = RecordingCanvas::CharWidth(16), W14 = RecordingCanvas::CharWidth(14);
};

TEST_F(TablePainting, HandsWrapLongSuitsAndHideRanks) {
  // Ten spades wrap to the row below, thirteen clubs to the row above, right-aligned.
  PbnHandDef tHand{};
  tHand.Ranks[PBN_SPADES] = PBN_RANKS_ALL & ~(Rank(0) | Rank(1) | Rank(2));  // AKQJT98765
  tHand.Ranks[PBN_CLUBS] = PBN_RANKS_ALL;
  PaintTableHand(&c, {134, 170}, &tHand, "Dirk", PBN_FALSE);
  EXPECT_TRUE(c.FillOf(Rect(134, 170, 132, 68)) == hbHandGreen &&
              c.FillOf(Rect(134, 238, 132, 16)) == hbHandLtGrey);
  const std::string aRows[] = {"spades", "hearts", "diamds", "clubs"};
  for (int Row = 0; Row < 4; ++Row)
    EXPECT_EQ(c.BitmapAt(134, 170 + 17 * Row), aRows[Row]);
  ASSERT_EQ(c.Texts.size(), 24u);  // 23 ranks and the name
  ExpectAt("6", 152 + 8 * 12, 170);
  ExpectAt("5", 152 + 8 * 12, 187);
  ExpectAt("4", 152 + 6 * 12, 204);
  ExpectAt("2", 152 + 8 * 12, 204);
  EXPECT_TRUE(c.Texts[10].Text == "A" && c.Texts[10].y == 221 && !c.Texts[10].bOpaque);
  // Opaque and shortened with "..." where it does not fit, then the separator and the outline.
  ExpectIn("Dirk", Rect(134, 238, 132, 16), kCentred | DT_END_ELLIPSIS);
  EXPECT_TRUE(c.Texts[23].bOpaque && c.Lines.size() == 5 && c.Lines[0][1] == 237);
  // A hidden hand shows its suit bitmaps, the name and the outline, no ranks.
  c.Clear();
  PaintTableHand(&c, {266, 86}, &tHand, "Cora", PBN_TRUE);
  EXPECT_TRUE(c.Bitmaps.size() == 4 && c.Joined() == "Cora|" && c.Lines.size() == 5);
}

TEST_F(TablePainting, InformationBoxes) {
  PaintTableBoard(&c, std::string(255, '7').c_str());  // cut to its buffer of 80
  ExpectIn("Board : " + std::string(72, '7'), Rect(10, 6, 116, 16), kLeft);
  EXPECT_TRUE(c.Texts[0].bOpaque && c.FillOf(Rect(10, 6, 116, 16)) == hbWhite);
  // What the situation, result and contract boxes say; the result only once the play is done,
  // the tricks of NS and EW from the history.
  const auto Situation = [this](PbnSideDef Dealer, PbnVulnerDef Vulner) {
    c.Clear();
    const PbnSituationDef tSituation{Dealer, Vulner};
    PaintTableSituation(&c, &tSituation);
    return c.Joined();
  };
  EXPECT_EQ(Situation(PBN_WEST, PBN_VULNER_NS) + Situation(PBN_SIDE_NONE, PBN_VULNER_EMPTY) +
                Situation(PBN_SIDE_EMPTY, PBN_VULNER_UNKNOWN) +
                Situation(PBN_SIDE_NOT_GIVEN, PBN_VULNER_NOT_GIVEN),
            "W / NS| / | / ?|? / |");
  const auto Result = [this](int Value, bool bPlayDone) {
    c.Clear();
    tGameAdmin.bPlayDone = bPlayDone;
    PaintTableTricks(&c, static_cast<PbnResultDef>(Value));
    return c.Texts.at(0).Text + "|";
  };
  EXPECT_EQ(Result(9, true) + Result(PBN_RESULT_IRREGULAR | 9, true) + Result(9, false) +
                Result(0, true) + Result(PBN_RESULT_EMPTY, true) + Result(PBN_RESULT_NONE, true),
            "Result : 9|Result : ^9|Result : |Result : 0|Result : |Result : |");
  tGameAdmin.NrTricks = 3;
  tGameAdmin.aNrWonNS = {1, 1, 2};
  Result(PBN_RESULT_NONE, false);
  EXPECT_EQ(c.Joined(), "Result : |NS|:  2|EW|:  1|");

  // The contract: the suit bitmap where the text ends, the risk after it; "NT" in navy.
  const auto Contract = [this](PbnContractDef tContract) {
    c.Clear();
    PaintTableContract(&c, &tContract);
    return c.Joined();
  };
  EXPECT_EQ(Contract({PBN_NORTH, 4, PBN_SPADES, PBN_RISK_DOUBLED, PBN_TRUE}), "^N : 4|X|");
  ExpectAt("^N : 4", 10, 54);
  EXPECT_EQ(c.BitmapAt(10 + 6 * W, 54), "spades");
  ExpectAt("X", 10 + 6 * W + 18, 54);
  EXPECT_EQ(Contract({PBN_SIDE_NOT_GIVEN, 3, PBN_TRUMP_NT, PBN_RISK_NONE, PBN_FALSE}),
            "? : 3|NT||");
  ExpectAt("NT", 10 + 5 * W, 54, kColorNavy);
  EXPECT_EQ(Contract({PBN_SOUTH, 0, PBN_TRUMP_PASS, PBN_RISK_NONE, PBN_FALSE}) +
                Contract({PBN_SOUTH, 3, PBN_TRUMP_NOT_GIVEN, PBN_RISK_NONE, PBN_FALSE}),
            "Pass|?|");
  EXPECT_TRUE(c.Bitmaps.empty() && c.tState.Align == TA_NOUPDATECP);
}

TEST_F(TablePainting, AuctionCells) {
  // East deals: Pass, 1H (note 2), ^I 1D, X, XX, 3NT, ^S; a last Pass is still to come.
  const PbnCallDef atCalls[] = {{PBN_EAST, PBN_CALL_PASS, 0, 0},
                                {PBN_SOUTH, PBN_CALL_BID, 1, PBN_HEARTS},
                                {PBN_WEST, PBN_CALL_INSUFFICIENT, 1, PBN_DIAMONDS},
                                {PBN_NORTH, PBN_CALL_DOUBLE, 0, 0},
                                {PBN_EAST, PBN_CALL_REDOUBLE, 0, 0},
                                {PBN_SOUTH, PBN_CALL_BID, 3, PBN_TRUMP_NT},
                                {PBN_WEST, PBN_CALL_SPECIAL, 0, 0},
                                {PBN_NORTH, PBN_CALL_PASS, 0, 0}};
  std::copy(std::begin(atCalls), std::end(atCalls), tGameData.tAuction.atCalls.begin());
  tGameData.tAuction.NrCalls = 8;
  tGameData.tSituation.Dealer = PBN_EAST;
  tGameTags.atCallAnno[1].Note = 2;
  tGameAdmin.NrCalls = 7;
  PaintTableAllCalls(&c, &tGameData, &tGameTags);
  ExpectIn("Pass", HistCellRect(2, 0));  // East's column first
  ExpectIn("X", HistCellRect(1, 1));
  ExpectIn("XX", HistCellRect(2, 1));
  ExpectIn("^S", HistCellRect(0, 2), kCentred, kColorMagenta);
  ExpectIn("?", HistCellRect(1, 2));  // the call still to come, in a white cell
  EXPECT_EQ(c.FillOf(HistCellRect(1, 2)), hbWhite);
  // 1H: the level and the bitmap centred together; the note green in font 3 at the cell's right.
  const int BidLeft = HistCellRect(3, 0).left + (54 - (W + 16)) / 2;
  ExpectAt("1", BidLeft, 24);
  EXPECT_EQ(c.BitmapAt(BidLeft + W, 24), "hearts");
  ExpectIn("2", HistCellRect(3, 0), DT_SINGLELINE | DT_RIGHT, kColorGreen);
  EXPECT_TRUE(c.Find("2").FontHeight == 10 && c.tState.tFont.lfHeight == 16);
  // ^I 1D: the prefix in magenta, the level, the bitmap; 3NT: "NT" in navy.
  const TextOp& tInsufficient = c.Find("^I ");
  EXPECT_TRUE(tInsufficient.y == 42 && tInsufficient.Color == kColorMagenta);
  EXPECT_EQ(c.BitmapAt(tInsufficient.x + 4 * W, 42), "diamds");
  EXPECT_EQ(c.Find("NT").Color, kColorNavy);

  // 64 calls fill 17 rows; the rows from 13 on lie below the panel and are not drawn.
  c.Clear();
  tGameData.tAuction.NrCalls = 64;
  tGameAdmin.NrCalls = 64;
  tGameData.tAuction.atCalls.fill({PBN_WEST, PBN_CALL_PASS, 0, 0});
  PaintTableAllCalls(&c, &tGameData, &tGameTags);
  EXPECT_TRUE(c.CountText("Pass") == 2 + 12 * 4 && c.CountText("?") == 0 &&
              c.Fills.back().first.top < 258);
}

TEST_F(TablePainting, PlayCellsTrickOnTableAndMarks) {
  // West leads (out of turn) the first trick, North wins it and leads the second.
  const PbnPlayCardDef atPlays[] = {
      {PBN_WEST, {PBN_SPADES, Rank(9)}},     {PBN_NORTH, {PBN_SPADES, Rank(11)}},
      {PBN_EAST, {PBN_SPADES, PBN_RANK_X}},  {PBN_SOUTH, {PBN_SUIT_NO_CARD, PBN_RANK_UNKNOWN}},
      {PBN_NORTH, {PBN_HEARTS, PBN_RANK_A}}, {PBN_EAST, {PBN_CLUBS, PBN_RANK_2}},
      {PBN_SOUTH, {PBN_HEARTS, 0}},          {PBN_WEST, {PBN_HEARTS, Rank(1)}}};
  std::copy(std::begin(atPlays), std::end(atPlays), tGameAdmin.atPlayCards.begin());
  tGameAdmin.NrPlayCards = 8;
  tGameAdmin.atPlayCards[8].Side = PBN_SIDE_NONE;
  tGameAdmin.aacIllegals[0][PBN_WEST] = 'L';
  tGameAdmin.aacIllegals[0][PBN_NORTH] = 'R';
  tGameTags.aatCardAnno[0][PBN_NORTH].Note = 1;

  // After the fourth card the trick stays on the table, unmarked; the history is still empty.
  tGameAdmin.NrCards = 4;
  tGameAdmin.bTrick = PBN_TRUE;
  PaintTableAllCards(&c, &tGameTags);
  EXPECT_TRUE(tGameAdmin.NrTricks == 0 && c.FillOf(Rect(407, 22, 54, 2)) == hbWhite);  // West leads
  const int JackLeft = 142 + (48 - (W + 16)) / 2;  // centred in West's trick card
  EXPECT_EQ(c.BitmapAt(JackLeft, 120), "spades");
  ExpectAt("J", JackLeft + 16, 120);
  EXPECT_EQ(c.Find("1").Color, kColorGreen);
  EXPECT_TRUE(c.CountText("-") == 2 && c.CountText("?") == 0);  // the x and the missing card

  // One step on: the trick marked in the history, the fifth card and "?" for East on the table.
  c.Clear();
  tGameAdmin.NrCards = 5;
  tGameAdmin.bTrick = PBN_FALSE;
  PaintTableAllCards(&c, &tGameTags);
  ASSERT_EQ(tGameAdmin.NrTricks, 1);
  const int MarkLeft = HistCellRect(0, 0).left + (54 - (4 * W + 16)) / 2;
  ExpectAt("^L ", MarkLeft, 24, kColorMagenta);
  EXPECT_EQ(c.BitmapAt(MarkLeft + 3 * W, 24), "spades");
  ExpectAt("J", MarkLeft + 3 * W + 16, 24);
  EXPECT_EQ(c.FillOf(Rect(463, 40, 54, 2)), hbWhite);
  EXPECT_EQ(c.BitmapAt(176 + (48 - (W + 16)) / 2, 90), "hearts");  // North's ace
  ExpectIn("?", Rect(210, 120, 48, 16));
  EXPECT_EQ(c.Find("^R ").x, HistCellRect(1, 0).left + (54 - (4 * W + 16)) / 2);
}

TEST_F(TablePainting, WholeTableShowsTheBoxesOfItsSection) {
  const auto Put = [this](int TagId, const char* pcValue) {
    std::snprintf(tGameTags.atTagValue[TagId].acValue.data(), PBN_VALUE_SIZE, "%s", pcValue);
  };
  Put(PBN_TAG_ID_NORTH, "Bert");
  Put(PBN_TAG_ID_EAST, "Cora");
  Put(PBN_TAG_ID_WEST, "Anna");
  Put(PBN_TAG_ID_SOUTH, "\x01");  // present with an empty value
  Put(PBN_TAG_ID_BOARD, "7");
  tGameData.tSituation = {PBN_NORTH, PBN_VULNER_EW};
  tGameData.tContract = {PBN_SOUTH, 4, PBN_SPADES, PBN_RISK_DOUBLED, PBN_FALSE};
  tGameData.Result = 10;
  tGameAdmin.tDeal.tHands[PBN_NORTH].Ranks[PBN_HEARTS] = PBN_RANK_A;
  tGameAdmin.bPlayDone = PBN_TRUE;
  const auto NameBox = [](PbnSideDef Side) {
    return Rect(atTableSides[Side].x, atTableSides[Side].y + 68, 132, 16);
  };
  for (PbnSectionDef Section : {PBN_SECTION_IDENT, PBN_SECTION_AUCTION, PBN_SECTION_PLAY}) {
    SCOPED_TRACE(Section);
    c.Clear();
    tGameAdmin.Section = Section;
    PaintTable(&c, PBN_TRUE);
    // Every section: the hands with their names, the board and the situation.
    for (const auto& [Side, Name] : {std::pair{PBN_NORTH, "Bert"}, std::pair{PBN_EAST, "Cora"},
                                     std::pair{PBN_WEST, "Anna"}, std::pair{PBN_SOUTH, ""}}) {
      ExpectIn(Name, NameBox(Side), kCentred | DT_END_ELLIPSIS);
    }
    EXPECT_EQ(c.BitmapAt(134, 2 + 17), "hearts");
    ExpectAt("A", 152, 2 + 17);
    ExpectIn("Board : 7", Rect(10, 6, 116, 16), kLeft);
    EXPECT_EQ(c.CountText("N / EW"), 1);
    EXPECT_EQ(c.CountText("\x01"), 0);  // an empty value shows nothing
    // Only the play shows the contract and the result.
    const bool bPlay = Section == PBN_SECTION_PLAY;
    EXPECT_EQ(c.CountText("S : 4") + c.CountText("X") + c.CountText("Result : 10"), bPlay ? 3 : 0);
  }
}

TEST_F(TablePainting, AnnotationLine) {
  EXPECT_EQ(Draw("a sound raise"), (Runs{{"a sound raise", 4, kColorBlack}}));
  EXPECT_EQ(c.Texts[0].y, 278);
  // A suit symbol is a 16 x 12 bitmap at the current position; the filler after it draws nothing.
  EXPECT_EQ(Draw("1\x83\x87 good"),
            (Runs{{"1", 4, kColorBlack}, {" good", 4 + W14 + 16, kColorBlack}}));
  EXPECT_TRUE(c.BitmapAt(4 + W14, 278) == "hearts12" && c.tState.Align == TA_NOUPDATECP);
  EXPECT_TRUE(Draw("\x84\x87\x85\x87\x86\x87").empty());
  EXPECT_EQ(c.BitmapAt(4, 278) + c.BitmapAt(20, 278) + c.BitmapAt(36, 278),
            "diamds12clubs12spades12");
  // The reference "(1)" in green; scrolled to start inside a reference, its tail is green.
  EXPECT_EQ(Draw("1\x85\x87 \x88"
                 "1)\x89 Could be short"),
            (Runs{{"1", 4, kColorBlack},
                  {" ", 4 + W14 + 16, kColorBlack},
                  {"(1)", 4 + 2 * W14 + 16, kColorGreen},
                  {" Could be short", 4 + 5 * W14 + 16, kColorBlack}}));
  EXPECT_EQ(Draw("x \x88"
                 "2)\x89 rest",
                 3),
            (Runs{{"2)", 4, kColorGreen}, {" rest", 4 + 2 * W14, kColorBlack}}));
  // The window's end cuts the text; a reference it cuts is not drawn.
  EXPECT_EQ(Draw("SA \x88"
                 "12)\x89 text",
                 0, 6),
            (Runs{{"SA ", 4, kColorBlack}}));
  // A reference without its end runs to the end of the line; a header byte inside a line is a
  // character (in UTF-8 text the tail of a character).
  EXPECT_EQ(Draw("a \x88"
                 "1 b"),
            (Runs{{"a ", 4, kColorBlack}, {"(1 b", 4 + 2 * W14, kColorGreen}}));
  EXPECT_EQ(Draw("a\x82z"), (Runs{{"a\x82z", 4, kColorBlack}}));
  // A header: 160-pixel rules from both ends, the word centred in magenta, nothing else.
  EXPECT_EQ(Draw("\x81"), (Runs{{"AUCTION", 4 + (408 - 7 * W14) / 2, kColorMagenta}}));
  EXPECT_EQ(c.Lines, (std::vector<std::array<int, 4>>{{4, 285, 164, 285}, {411, 285, 251, 285}}));
  EXPECT_TRUE(SameRect(c.Texts[0].tRect, kLine) && c.tState.Color == kColorBlack);
  EXPECT_EQ(Draw("\x82"
                 "ignored"),
            (Runs{{"PLAY", 4 + (408 - 4 * W14) / 2, kColorMagenta}}));
}

}  // namespace
}  // namespace viewer_test
