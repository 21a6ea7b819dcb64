// The table painter, seen through a recording canvas: where each element lands, in which colour,
// font and text format.
#include <gtest/gtest.h>

#include <cstring>

#include "core/pbn.h"
#include "recording_canvas.h"
#include "replay/pbn_play.h"
#include "viewer/p_table.h"

namespace viewer_test {
namespace {

using namespace pbn;
using viewer::Rgb;

constexpr ColorRefDef kBlack = Rgb(0, 0, 0);
constexpr ColorRefDef kWhite = Rgb(255, 255, 255);
constexpr ColorRefDef kNavy = Rgb(0, 0, 128);
constexpr ColorRefDef kMagenta = Rgb(255, 0, 255);
constexpr ColorRefDef kGreen = Rgb(0, 128, 0);

constexpr RectDef Rect(int x, int y, int Width, int Height) {
  return RectDef{x, y, x + Width, y + Height};
}

PbnRankDef Ranks(const char* pcRanks) {
  PbnRankDef Bits = 0;
  for (const char* pc = pcRanks; *pc != '\0'; ++pc) {
    const char* pcAt = std::strchr("23456789TJQKA", *pc);
    Bits = static_cast<PbnRankDef>(Bits | (PBN_RANK_2 << (pcAt - "23456789TJQKA")));
  }
  return Bits;
}

PbnCardDef Card(PbnSuitDef Suit, const char* pcRank) {
  return PbnCardDef{Suit, Ranks(pcRank)};
}

// The painter reads the replay state of the game on display; each test sets its own.
class TablePainting : public ::testing::Test {
 protected:
  void SetUp() override {
    tGameAdmin = PbnGameAdminDef{};
    tGameData = PbnGameDataDef{};
    tGameTags = PbnGameTagsDef{};
    tGameAdmin.ptGameData = &tGameData;
    tGameAdmin.ptGameTags = &tGameTags;
    tGameAdmin.atPlayCards[0].Side = PBN_SIDE_NONE;
    viewer::PaintBitmapInit();
    viewer::SelectPaintFont(&tCanvas, viewer::FONT_TABLE);
    tCanvas.Clear();
  }
  void TearDown() override {
    viewer::PaintBitmapTerm();
    tGameAdmin = PbnGameAdminDef{};
  }

  void SetTag(PbnTagIdDef TagId, const char* pcValue) {
    std::snprintf(tGameTags.atTagValue[TagId].acValue.data(), PBN_VALUE_SIZE, "%s", pcValue);
  }
  void AddPlay(PbnSideDef Side, PbnCardDef tCard) {
    tGameAdmin.atPlayCards[tGameAdmin.NrPlayCards++] = PbnPlayCardDef{Side, tCard};
    tGameAdmin.atPlayCards[tGameAdmin.NrPlayCards].Side = PBN_SIDE_NONE;
  }

  RecordingCanvas tCanvas;
  PbnGameDataDef tGameData;
  PbnGameTagsDef tGameTags;
};

TEST_F(TablePainting, HandShowsRanksPerSuitAndWrapsLongSuits) {
  // Ten spades overflow into the hearts row, ten clubs into the diamonds row; both end in the
  // ninth column (x + 114).
  PbnHandDef tHand{};
  tHand.Ranks[PBN_SPADES] = Ranks("AKQJT98765");
  tHand.Ranks[PBN_HEARTS] = Ranks("2");
  tHand.Ranks[PBN_CLUBS] = 0;
  viewer::PaintTableHand(&tCanvas, {134, 170}, &tHand, "Dirk", PBN_FALSE);

  ASSERT_NE(tCanvas.FindFill(Rect(134, 170, 132, 68)), nullptr);
  EXPECT_EQ(tCanvas.FindFill(Rect(134, 170, 132, 68))->Color, Rgb(0, 255, 0));
  EXPECT_EQ(tCanvas.FindFill(Rect(134, 238, 132, 16))->Color, Rgb(192, 192, 192));
  const char* apcRows[4] = {"spades", "hearts", "diamds", "clubs"};
  for (int Row = 0; Row < 4; ++Row) {
    const BitmapOp* ptBitmap = tCanvas.FindBitmapAt(134, 170 + 17 * Row);
    ASSERT_NE(ptBitmap, nullptr) << Row;
    EXPECT_EQ(ptBitmap->Name, apcRows[Row]);
  }
  // Ranks: one character each, 12 pixels apart from x + 18, tops at the row's y, in black.
  std::vector<std::string> atRanks;
  for (const TextOp& tText : tCanvas.Texts) {
    if (tText.bDrawText) continue;
    atRanks.push_back(tText.Text);
    EXPECT_EQ(tText.Color, kBlack);
    EXPECT_FALSE(tText.bOpaque);
  }
  EXPECT_EQ(atRanks,
            (std::vector<std::string>{"A", "K", "Q", "J", "T", "9", "8", "7", "6", "5", "2"}));
  EXPECT_EQ(tCanvas.Texts[0].x, 152);
  EXPECT_EQ(tCanvas.Texts[0].y, 170);
  EXPECT_EQ(tCanvas.Texts[8].x, 134 + 114);  // the ninth spade
  EXPECT_EQ(tCanvas.Texts[9].x, 134 + 114);  // the tenth, right below it
  EXPECT_EQ(tCanvas.Texts[9].y, 187);
  EXPECT_EQ(tCanvas.Texts[10].x, 152);  // the heart in its own row
  EXPECT_EQ(tCanvas.Texts[10].y, 187);

  // The name, centred in the grey strip, opaque and black; the separating line and outline.
  const TextOp* ptName = tCanvas.FindText("Dirk");
  ASSERT_NE(ptName, nullptr);
  EXPECT_TRUE(ptName->bDrawText);
  EXPECT_EQ(ptName->Format, 0x25u);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptName->tRect, Rect(134, 238, 132, 16)));
  EXPECT_TRUE(ptName->bOpaque);
  ASSERT_EQ(tCanvas.Lines.size(), 5u);
  EXPECT_EQ(tCanvas.Lines[0].y0, 237);
  EXPECT_EQ(tCanvas.Lines[0].x1, 266);
  EXPECT_EQ(tCanvas.Lines[2].x1, 266);
  EXPECT_EQ(tCanvas.Lines[2].y1, 254);
  EXPECT_EQ(tCanvas.Lines[4].x1, 134);
  EXPECT_EQ(tCanvas.Lines[4].y1, 170);

  // Clubs overflow upwards, into the diamonds row, again ending in the ninth column.
  tCanvas.Clear();
  tHand = PbnHandDef{};
  tHand.Ranks[PBN_CLUBS] = Ranks("AKQJT98765");
  viewer::PaintTableHand(&tCanvas, {2, 86}, &tHand, "Anna", PBN_FALSE);
  const TextOp* ptFive = tCanvas.FindText("5");
  ASSERT_NE(ptFive, nullptr);
  EXPECT_EQ(ptFive->x, 2 + 114);
  EXPECT_EQ(ptFive->y, 86 + 2 * 17);
  EXPECT_EQ(tCanvas.FindText("A")->y, 86 + 3 * 17);

  // Thirteen cards of one suit: nine and four, the four in columns 6 to 9.
  tCanvas.Clear();
  tHand = PbnHandDef{};
  tHand.Ranks[PBN_HEARTS] = Ranks("AKQJT98765432");
  viewer::PaintTableHand(&tCanvas, {0, 0}, &tHand, "", PBN_FALSE);
  EXPECT_EQ(tCanvas.FindText("5")->x, 18 + 12 * 5);
  EXPECT_EQ(tCanvas.FindText("5")->y, 34);
  EXPECT_EQ(tCanvas.FindText("2")->x, 114);
}

TEST_F(TablePainting, HiddenHandShowsOnlyBitmapsNameAndOutline) {
  PbnHandDef tHand{};
  tHand.Ranks[PBN_SPADES] = Ranks("AKQ");
  tHand.Ranks[PBN_DIAMONDS] = Ranks("T9");
  viewer::PaintTableHand(&tCanvas, {266, 86}, &tHand, "Cora", PBN_TRUE);
  EXPECT_EQ(tCanvas.Bitmaps.size(), 4u);
  EXPECT_EQ(tCanvas.TextStrings(), std::vector<std::string>{"Cora"});
  EXPECT_EQ(tCanvas.Lines.size(), 5u);
}

TEST_F(TablePainting, InformationBoxes) {
  viewer::PaintTableBoard(&tCanvas, "12");
  const TextOp* ptBoard = tCanvas.FindText("Board : 12");
  ASSERT_NE(ptBoard, nullptr);
  EXPECT_EQ(ptBoard->Format, 0x24u);
  EXPECT_TRUE(ptBoard->bOpaque);
  EXPECT_EQ(ptBoard->Color, kBlack);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptBoard->tRect, Rect(10, 6, 116, 16)));
  EXPECT_EQ(tCanvas.FindFill(Rect(10, 6, 116, 16))->Color, kWhite);

  // A Board value of 255 characters is cut to fit the buffer of 80 characters.
  tCanvas.Clear();
  const std::string Long(255, '7');
  viewer::PaintTableBoard(&tCanvas, Long.c_str());
  ASSERT_EQ(tCanvas.Texts.size(), 1u);
  EXPECT_EQ(tCanvas.Texts[0].Text, "Board : " + std::string(72, '7'));

  // Dealer and vulnerability by code.
  const struct {
    PbnSideDef Dealer;
    PbnVulnerDef Vulner;
    const char* pcText;
  } atCases[] = {
      {PBN_SOUTH, PBN_VULNER_NONE, "S / None"},
      {PBN_WEST, PBN_VULNER_NS, "W / NS"},
      {PBN_NORTH, PBN_VULNER_EW, "N / EW"},
      {PBN_EAST, PBN_VULNER_ALL, "E / All"},
      {PBN_SIDE_NONE, PBN_VULNER_EMPTY, " / "},
      {PBN_SIDE_EMPTY, PBN_VULNER_UNKNOWN, " / ?"},
      {PBN_SIDE_UNKNOWN, PBN_VULNER_NOT_GIVEN, "? / "},
      {PBN_SIDE_NOT_GIVEN, PBN_VULNER_NONE, "? / None"},
  };
  for (const auto& tCase : atCases) {
    tCanvas.Clear();
    const PbnSituationDef tSituation{tCase.Dealer, tCase.Vulner};
    viewer::PaintTableSituation(&tCanvas, &tSituation);
    ASSERT_EQ(tCanvas.Texts.size(), 1u);
    EXPECT_EQ(tCanvas.Texts[0].Text, tCase.pcText);
    EXPECT_TRUE(RecordingCanvas::SameRect(tCanvas.Texts[0].tRect, Rect(10, 38, 116, 16)));
  }
}

TEST_F(TablePainting, ContractBox) {
  PbnContractDef tContract{PBN_NORTH, 4, PBN_SPADES, PBN_RISK_DOUBLED, PBN_TRUE};
  viewer::PaintTableContract(&tCanvas, &tContract);
  // "^N : 4" from the box's corner, the spade bitmap where it ends, then the risk 18 further.
  ASSERT_EQ(tCanvas.TextStrings(), (std::vector<std::string>{"^N : 4", "X"}));
  EXPECT_EQ(tCanvas.Texts[0].x, 10);
  EXPECT_EQ(tCanvas.Texts[0].y, 54);
  const int End = 10 + 6 * RecordingCanvas::CharWidth(16);
  ASSERT_NE(tCanvas.FindBitmapAt(End, 54), nullptr);
  EXPECT_EQ(tCanvas.FindBitmapAt(End, 54)->Name, "spades");
  EXPECT_EQ(tCanvas.Texts[1].x, End + 18);
  EXPECT_EQ(tCanvas.tState.Align, viewer::TA_NOUPDATECP);  // restored

  tCanvas.Clear();
  tContract = PbnContractDef{PBN_SIDE_NOT_GIVEN, 3, PBN_TRUMP_NT, PBN_RISK_NONE, PBN_FALSE};
  viewer::PaintTableContract(&tCanvas, &tContract);
  ASSERT_EQ(tCanvas.TextStrings(), (std::vector<std::string>{"? : 3", "NT", ""}));
  EXPECT_EQ(tCanvas.Texts[1].Color, kNavy);
  EXPECT_EQ(tCanvas.Texts[2].Color, kBlack);

  for (const auto& [Trump, pcText] :
       {std::pair<PbnTrumpDef, const char*>{PBN_TRUMP_PASS, "Pass"}, {PBN_TRUMP_NOT_GIVEN, "?"}}) {
    tCanvas.Clear();
    tContract.Trump = Trump;
    viewer::PaintTableContract(&tCanvas, &tContract);
    EXPECT_EQ(tCanvas.TextStrings(), std::vector<std::string>{pcText});
    EXPECT_TRUE(tCanvas.Bitmaps.empty());
  }
}

TEST_F(TablePainting, ResultAndTricksBoxes) {
  const struct {
    PbnResultDef Result;
    bool bPlayDone;
    const char* pcText;
  } atCases[] = {
      {9, true, "Result : 9"}, {128 | 9, true, "Result : ^9"}, {128 | 9, false, "Result : "},
      {32, true, "Result : "}, {64, true, "Result : "},        {0, true, "Result : 0"},
  };
  for (const auto& tCase : atCases) {
    tCanvas.Clear();
    tGameAdmin.bPlayDone = tCase.bPlayDone;
    viewer::PaintTableTricks(&tCanvas, tCase.Result);
    ASSERT_FALSE(tCanvas.Texts.empty());
    EXPECT_EQ(tCanvas.Texts[0].Text, tCase.pcText);
    EXPECT_TRUE(RecordingCanvas::SameRect(tCanvas.Texts[0].tRect, Rect(274, 6, 116, 16)));
  }

  tCanvas.Clear();
  tGameAdmin.NrTricks = 3;
  tGameAdmin.aNrWonNS = {1, 1, 2};
  viewer::PaintTableTricks(&tCanvas, 64);
  const TextOp* ptNS = tCanvas.FindText("NS");
  const TextOp* ptEW = tCanvas.FindText("EW");
  ASSERT_TRUE(ptNS != nullptr && ptEW != nullptr);
  EXPECT_EQ(ptNS->x, 274);
  EXPECT_EQ(ptNS->y, 38);
  EXPECT_EQ(ptEW->y, 54);
  EXPECT_EQ(tCanvas.FindText(":  2")->x, 302);
  EXPECT_EQ(tCanvas.FindText(":  1")->y, 54);
}

TEST_F(TablePainting, HistoryHeaderCells) {
  viewer::PaintTableHistInit(&tCanvas);
  EXPECT_EQ(tCanvas.FindFill(Rect(402, 0, 232, 258))->Color, Rgb(0, 0, 192));
  const char* apcNames[4] = {"West", "North", "East", "South"};
  for (int Column = 0; Column < 4; ++Column) {
    const RectDef tCell = Rect(407 + 56 * Column, 2, 54, 20);
    ASSERT_NE(tCanvas.FindFill(tCell), nullptr);
    EXPECT_EQ(tCanvas.FindFill(tCell)->Color,
              Column % 2 == 0 ? Rgb(0, 255, 128) : Rgb(255, 0, 128));
    const TextOp* ptName = tCanvas.FindText(apcNames[Column]);
    ASSERT_NE(ptName, nullptr);
    EXPECT_TRUE(RecordingCanvas::SameRect(ptName->tRect, tCell));
    EXPECT_EQ(ptName->Format, 0x25u);
  }
}

TEST_F(TablePainting, AuctionCells) {
  tGameData.tSituation.Dealer = PBN_EAST;
  const PbnCallDef atCalls[] = {
      {PBN_EAST, PBN_CALL_PASS, 0, 0},
      {PBN_SOUTH, PBN_CALL_BID, 1, PBN_HEARTS},
      {PBN_WEST, PBN_CALL_INSUFFICIENT, 1, PBN_DIAMONDS},
      {PBN_NORTH, PBN_CALL_DOUBLE, 0, 0},
      {PBN_EAST, PBN_CALL_REDOUBLE, 0, 0},
      {PBN_SOUTH, PBN_CALL_BID, 3, PBN_TRUMP_NT},
      {PBN_WEST, PBN_CALL_SPECIAL, 0, 0},
      {PBN_NORTH, PBN_CALL_PASS, 0, 0},
  };
  tGameData.tAuction.NrCalls = 8;
  std::copy(std::begin(atCalls), std::end(atCalls), tGameData.tAuction.atCalls.begin());
  tGameTags.atCallAnno[1].Note = 2;
  tGameAdmin.NrCalls = 7;  // the last pass is still to come
  viewer::PaintTableAllCalls(&tCanvas, &tGameData, &tGameTags);

  // East's column first, then South, then West and North of the next row.
  const RectDef tPass = viewer::HistCellRect(2, 0);
  EXPECT_TRUE(RecordingCanvas::SameRect(tPass, Rect(519, 24, 54, 16)));
  const TextOp* ptPass = tCanvas.FindText("Pass");
  ASSERT_NE(ptPass, nullptr);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptPass->tRect, tPass));
  EXPECT_EQ(ptPass->Format, 0x25u);

  // 1H: "1" and a 16-pixel bitmap, centred together in the South cell.
  const int W = RecordingCanvas::CharWidth(16);
  const RectDef tBid = viewer::HistCellRect(3, 0);
  const int BidLeft = tBid.left + (54 - (W + 16)) / 2;
  const TextOp* ptOne = tCanvas.FindText("1");
  ASSERT_NE(ptOne, nullptr);
  EXPECT_EQ(ptOne->x, BidLeft);
  EXPECT_EQ(ptOne->y, tBid.top);
  EXPECT_EQ(ptOne->Color, kBlack);
  ASSERT_NE(tCanvas.FindBitmapAt(BidLeft + W, tBid.top), nullptr);
  EXPECT_EQ(tCanvas.FindBitmapAt(BidLeft + W, tBid.top)->Name, "hearts");

  // Its note number: green, font 3, right aligned at the top of the cell; font 1 again after.
  const TextOp* ptNote = tCanvas.FindText("2");
  ASSERT_NE(ptNote, nullptr);
  EXPECT_EQ(ptNote->Color, kGreen);
  EXPECT_EQ(ptNote->FontHeight, 10);
  EXPECT_EQ(ptNote->Format, 0x22u);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptNote->tRect, tBid));
  EXPECT_EQ(tCanvas.tState.tFont.lfHeight, 16);

  // ^I 1D in West's cell of row 1: the prefix in magenta, then the level, then the bitmap.
  const RectDef tInsufficient = viewer::HistCellRect(0, 1);
  const int InsLeft = tInsufficient.left + (54 - (4 * W + 16)) / 2;
  const TextOp* ptPrefix = tCanvas.FindText("^I ");
  ASSERT_NE(ptPrefix, nullptr);
  EXPECT_EQ(ptPrefix->Color, kMagenta);
  EXPECT_EQ(ptPrefix->x, InsLeft);
  EXPECT_EQ(ptPrefix->y, 42);
  EXPECT_EQ(tCanvas.FindBitmapAt(InsLeft + 4 * W, 42)->Name, "diamds");

  EXPECT_EQ(tCanvas.FindText("X")->tRect.left, viewer::HistCellRect(1, 1).left);
  EXPECT_EQ(tCanvas.FindText("XX")->tRect.left, viewer::HistCellRect(2, 1).left);
  // 3NT: no bitmap, "NT" in navy right after the level.
  const RectDef tNT = viewer::HistCellRect(3, 1);
  const TextOp* ptNT = tCanvas.FindText("NT");
  ASSERT_NE(ptNT, nullptr);
  EXPECT_EQ(ptNT->Color, kNavy);
  EXPECT_EQ(ptNT->x, tNT.left + (54 - 3 * W) / 2 + W);
  const TextOp* ptSpecial = tCanvas.FindText("^S");
  ASSERT_NE(ptSpecial, nullptr);
  EXPECT_EQ(ptSpecial->Color, kMagenta);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptSpecial->tRect, viewer::HistCellRect(0, 2)));

  // The call still to come: a white cell with "?".
  const TextOp* ptNext = tCanvas.FindText("?");
  ASSERT_NE(ptNext, nullptr);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptNext->tRect, viewer::HistCellRect(1, 2)));
  EXPECT_EQ(tCanvas.FindFill(viewer::HistCellRect(1, 2))->Color, kWhite);

  // All calls shown: no placeholder.
  tCanvas.Clear();
  tGameAdmin.NrCalls = 8;
  viewer::PaintTableAllCalls(&tCanvas, &tGameData, &tGameTags);
  EXPECT_EQ(tCanvas.CountText("?"), 0);
  EXPECT_EQ(tCanvas.CountText("Pass"), 2);

  // A dealer that is not a side leaves the grid empty.
  for (PbnSideDef Dealer : {PBN_SIDE_NONE, PBN_SIDE_EMPTY, PBN_SIDE_UNKNOWN, PBN_SIDE_NOT_GIVEN}) {
    tCanvas.Clear();
    tGameData.tSituation.Dealer = Dealer;
    viewer::PaintTableAllCalls(&tCanvas, &tGameData, &tGameTags);
    EXPECT_TRUE(tCanvas.Texts.empty() && tCanvas.Fills.empty()) << int{Dealer};
  }
}

TEST_F(TablePainting, LongAuctionStopsAtThePanelBottom) {
  // 64 calls from West fill 16 rows; rows 13 to 15 lie below the panel and are not drawn.
  tGameData.tSituation.Dealer = PBN_WEST;
  tGameData.tAuction.NrCalls = 64;
  for (PbnCallDef& tCall : tGameData.tAuction.atCalls)
    tCall = {PBN_WEST, PBN_CALL_PASS, 0, 0};
  tGameAdmin.NrCalls = 64;
  viewer::PaintTableAllCalls(&tCanvas, &tGameData, &tGameTags);
  EXPECT_EQ(tCanvas.CountText("Pass"), 13 * 4);
  for (const FillOp& tFill : tCanvas.Fills)
    EXPECT_LT(tFill.tRect.top, 258);
}

TEST_F(TablePainting, PlayHistoryTrickOnTableAndMarks) {
  // Two tricks: West leads (out of turn) the first, North wins it and leads the second.
  AddPlay(PBN_WEST, Card(PBN_SPADES, "J"));
  AddPlay(PBN_NORTH, Card(PBN_SPADES, "K"));
  AddPlay(PBN_EAST, PbnCardDef{PBN_SPADES, PBN_RANK_X});
  AddPlay(PBN_SOUTH, PbnCardDef{PBN_SUIT_NO_CARD, PBN_RANK_UNKNOWN});
  AddPlay(PBN_NORTH, Card(PBN_HEARTS, "A"));
  AddPlay(PBN_EAST, Card(PBN_CLUBS, "2"));
  AddPlay(PBN_SOUTH, PbnCardDef{PBN_HEARTS, 0});
  AddPlay(PBN_WEST, Card(PBN_HEARTS, "3"));
  tGameAdmin.aacIllegals[0][PBN_WEST] = 'L';
  tGameAdmin.aacIllegals[1][PBN_EAST] = 'R';
  tGameTags.aatCardAnno[0][PBN_NORTH].Note = 1;

  // After the fourth card the trick lies on the table; the history is still empty.
  tGameAdmin.NrCards = 4;
  tGameAdmin.bTrick = PBN_TRUE;
  viewer::PaintTableAllCards(&tCanvas, &tGameTags);
  EXPECT_EQ(tGameAdmin.NrTricks, 0);
  EXPECT_EQ(tCanvas.FindFill(Rect(407, 22, 54, 2))->Color, kWhite);  // West leads trick 1
  const TextOp* ptJack = tCanvas.FindText("J");
  ASSERT_NE(ptJack, nullptr);
  // On the table no mark: the bitmap and rank centred in West's trick card.
  const int W = RecordingCanvas::CharWidth(16);
  const int JackLeft = 142 + (48 - (W + 16)) / 2;
  EXPECT_EQ(tCanvas.FindBitmapAt(JackLeft, 120)->Name, "spades");
  EXPECT_EQ(ptJack->x, JackLeft + 16);
  EXPECT_EQ(ptJack->y, 120);
  EXPECT_EQ(tCanvas.CountText("-"), 2);  // the x and the "-" card
  EXPECT_EQ(tCanvas.FindText("1")->Color, kGreen);
  EXPECT_EQ(tCanvas.CountText("?"), 0);  // a trick lies on the table

  // One step later it moves into the history; the fifth card is played; East's turn shows "?".
  tCanvas.Clear();
  tGameAdmin.NrCards = 5;
  tGameAdmin.bTrick = PBN_FALSE;
  viewer::PaintTableAllCards(&tCanvas, &tGameTags);
  EXPECT_EQ(tGameAdmin.NrTricks, 1);
  const RectDef tWestCell = viewer::HistCellRect(0, 0);
  const int MarkLeft = tWestCell.left + (54 - (4 * W + 16)) / 2;
  const TextOp* ptMark = tCanvas.FindText("^L ");
  ASSERT_NE(ptMark, nullptr);
  EXPECT_EQ(ptMark->Color, kMagenta);
  EXPECT_EQ(ptMark->x, MarkLeft);
  EXPECT_EQ(tCanvas.FindBitmapAt(MarkLeft + 3 * W, 24)->Name, "spades");
  EXPECT_EQ(tCanvas.FindText("J")->x, MarkLeft + 3 * W + 16);
  // North leads trick 2: a white bar in the gap under North's cell of row 0.
  EXPECT_EQ(tCanvas.FindFill(Rect(463, 40, 54, 2))->Color, kWhite);
  EXPECT_NE(tCanvas.FindBitmapAt(176 + (48 - (W + 16)) / 2, 90), nullptr);  // North's ace
  const TextOp* ptNext = tCanvas.FindText("?");
  ASSERT_NE(ptNext, nullptr);
  EXPECT_TRUE(RecordingCanvas::SameRect(ptNext->tRect, Rect(210, 120, 48, 16)));

  // All eight played and cleared: two history rows, the revoke marked, no placeholder.
  tCanvas.Clear();
  tGameAdmin.NrCards = 8;
  viewer::PaintTableAllCards(&tCanvas, &tGameTags);
  EXPECT_EQ(tGameAdmin.NrTricks, 2);
  EXPECT_NE(tCanvas.FindText("^R "), nullptr);
  EXPECT_EQ(tCanvas.FindText("^R ")->y, 42);
  EXPECT_EQ(tCanvas.CountText("-"), 3);  // rank 0 shows "-" too
  EXPECT_EQ(tCanvas.CountText("?"), 0);
}

TEST_F(TablePainting, WholeTableBySection) {
  SetTag(PBN_TAG_ID_BOARD, "7");
  SetTag(PBN_TAG_ID_SOUTH, "\x01");  // present but empty: nothing is shown
  SetTag(PBN_TAG_ID_NORTH, "Bert");
  tGameData.tSituation = {PBN_NORTH, PBN_VULNER_ALL};
  tGameData.tContract = {PBN_SOUTH, 4, PBN_HEARTS, PBN_RISK_NONE, PBN_FALSE};
  tGameData.Result = 10;
  tGameAdmin.Section = PBN_SECTION_IDENT;
  viewer::PaintTable(&tCanvas, PBN_TRUE);
  EXPECT_EQ(tCanvas.Fonts.front().lfHeight, 16);
  EXPECT_EQ(tCanvas.Fonts.front().lfWeight, 700);
  EXPECT_STREQ(tCanvas.Fonts.front().lfFaceName, "MS Sans Serif");
  EXPECT_EQ(tCanvas.FindFill(Rect(0, 0, 402, 258))->Color, Rgb(128, 64, 0));
  EXPECT_NE(tCanvas.FindText("Board : 7"), nullptr);
  EXPECT_NE(tCanvas.FindText("N / All"), nullptr);
  EXPECT_NE(tCanvas.FindText("Bert"), nullptr);
  EXPECT_EQ(tCanvas.CountText("\x01"), 0);
  EXPECT_EQ(tCanvas.FindText("Result : "), nullptr);  // only in the play section

  tCanvas.Clear();
  tGameAdmin.Section = PBN_SECTION_PLAY;
  viewer::PaintTable(&tCanvas, PBN_TRUE);
  EXPECT_NE(tCanvas.FindText("S : 4"), nullptr);
  EXPECT_NE(tCanvas.FindText("Result : "), nullptr);
  EXPECT_NE(tCanvas.FindText("NS"), nullptr);

  // Without games: hands and history header, no board or situation box.
  tCanvas.Clear();
  tGameAdmin.Section = PBN_SECTION_IDENT;
  viewer::PaintTable(&tCanvas, PBN_FALSE);
  EXPECT_EQ(tCanvas.FindFill(Rect(10, 6, 116, 16)), nullptr);
  EXPECT_EQ(tCanvas.FindFill(Rect(10, 38, 116, 16)), nullptr);
  EXPECT_NE(tCanvas.FindText("West"), nullptr);
}

}  // namespace
}  // namespace viewer_test
