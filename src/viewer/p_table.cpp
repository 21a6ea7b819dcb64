#include "viewer/p_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"
#include "viewer/dd_panel.h"

namespace viewer {

using namespace pbn;

std::array<const char*, 8> hBitmapSuits{};

const std::array<PointDef, PBN_N_SIDES> atTableSides = {{
    {134, 170},  // South
    {2, 86},     // West
    {134, 2},    // North
    {266, 86},   // East
}};

const std::array<PointDef, PBN_N_SIDES> atTableCardCorners = {{
    {176, 150},  // South
    {142, 120},  // West
    {176, 90},   // North
    {210, 120},  // East
}};

const std::array<PbnTagIdDef, PBN_N_SIDES> aNameTags = {PBN_TAG_ID_SOUTH, PBN_TAG_ID_WEST,
                                                        PBN_TAG_ID_NORTH, PBN_TAG_ID_EAST};

namespace {

constexpr const char* apcSuitBitmaps[8] = {"clubs",   "diamds",   "hearts",   "spades",
                                           "clubs12", "diamds12", "hearts12", "spades12"};

constexpr int kHandWidth = 132;
constexpr int kHandCardsHeight = 68;
constexpr int kHandHeight = 84;
constexpr int kRowStep = 17;
constexpr int kRankStep = 12;
constexpr int kRanksPerRow = 9;
constexpr int kCellWidth = 54;
constexpr int kCellHeight = 16;
constexpr int kTrickCardWidth = 48;
constexpr int kHistPanelBottom = 258;
constexpr int kBitmapWidth = 16;

constexpr RectDef kHistPanel{402, 0, 634, 258};

LogFontDef tLogFont;

RectDef PointWH2Rect(PointDef ptPoint, int Width, int Height) {
  return RectDef{ptPoint.x, ptPoint.y, ptPoint.x + Width, ptPoint.y + Height};
}

RectDef BoxRect(int x, int y) {
  return PointWH2Rect({x, y}, 116, 16);
}

void PaintTableRect(Canvas* hDC, const RectDef& tRect) {
  hDC->MoveTo(tRect.left, tRect.top);
  hDC->LineTo(tRect.right, tRect.top);
  hDC->LineTo(tRect.right, tRect.bottom);
  hDC->LineTo(tRect.left, tRect.bottom);
  hDC->LineTo(tRect.left, tRect.top);
}

void PaintBitmapSuit(Canvas* hDC, int Suit, PointDef ptPoint) {
  if (Suit < 0 || Suit >= static_cast<int>(hBitmapSuits.size())) return;
  DrawBitmap(hDC, hBitmapSuits[Suit], ptPoint);
}

void TextOutString(Canvas* hDC, int x, int y, const char* pcText) {
  hDC->TextOut(x, y, pcText, static_cast<int>(std::strlen(pcText)));
}

// A tag value as the table shows it: the empty-value marker and a missing record show nothing.
const char* DisplayTagValue(const PbnGameTagsDef* ptGameTags, int TagId) {
  if (ptGameTags == nullptr) return "";
  return TagValueText(TagValue(*ptGameTags, TagId));
}

// The left edge that centres Width pixels in a cell (integer division toward zero).
int CentredLeft(const RectDef& tCell, int Width) {
  return tCell.left + ((tCell.right - tCell.left) - Width) / 2;
}

int MeasureWidth(Canvas* hDC, const char* pcText, const RectDef& tCell) {
  RectDef tCalc = tCell;
  hDC->DrawText(pcText, -1, &tCalc, DT_CALCRECT | DT_SINGLELINE);
  return tCalc.right - tCalc.left;
}

void DrawCentred(Canvas* hDC, const char* pcText, const RectDef& tRect, ColorRefDef Color,
                 unsigned Extra = 0) {
  RectDef tDraw = tRect;
  hDC->SetTextColor(Color);
  hDC->DrawText(pcText, -1, &tDraw, DT_SINGLELINE | DT_VCENTER | DT_CENTER | Extra);
}

// The heading of a table block: its tag name in magenta between two lines, as AUCTION and PLAY.
void DrawTableHeading(Canvas* hDC, const char* pcName, int Length, const RectDef& tRect) {
  const std::string Name(pcName, static_cast<std::size_t>(std::max(Length, 0)));
  RectDef tMeasure = tRect;
  hDC->DrawText(Name.c_str(), -1, &tMeasure, DT_SINGLELINE | DT_CALCRECT);
  const int Half = (tMeasure.right - tMeasure.left) / 2 + 8;
  const int Centre = (tRect.left + tRect.right) / 2;
  const int Middle = (tRect.top + tRect.bottom) / 2;
  hDC->MoveTo(tRect.left, Middle);
  hDC->LineTo(std::max(tRect.left, Centre - Half), Middle);
  hDC->MoveTo(tRect.right - 1, Middle);
  hDC->LineTo(std::min(tRect.right - 1, Centre + Half), Middle);
  DrawCentred(hDC, Name.c_str(), tRect, kColorMagenta);
}

void DrawLeftCentred(Canvas* hDC, const char* pcText, const RectDef& tRect) {
  RectDef tDraw = tRect;
  hDC->SetTextColor(kColorBlack);
  hDC->SetBkMode(OPAQUE);
  hDC->DrawText(pcText, -1, &tDraw, DT_SINGLELINE | DT_VCENTER);
}

// A white bar of 54 x 2 that marks the side that leads the next trick.
void PaintLeadMarker(Canvas* hDC, PbnSideDef Side, int y) {
  if (!PbnSideIsValid(Side)) return;
  const int x = HistCellRect(HistColumn(Side), 0).left;
  hDC->FillRect(PointWH2Rect({x, y}, kCellWidth, 2), hbWhite);
}

// Rows from 13 on lie below the history panel; the repaint of the table area ends there.
bool CellVisible(const RectDef& tCell) {
  return tCell.top < kHistPanelBottom;
}

}  // namespace

RectDef HistCellRect(int Column, int Row) {
  return PointWH2Rect({407 + 56 * Column, 24 + 18 * Row}, kCellWidth, kCellHeight);
}

int HistColumn(PbnSideDef Side) {
  return (Side + 3) % PBN_N_SIDES;
}

void PaintBitmapInit() {
  for (std::size_t i = 0; i < hBitmapSuits.size(); ++i)
    hBitmapSuits[i] = apcSuitBitmaps[i];
}

void PaintBitmapTerm() {
  hBitmapSuits.fill(nullptr);
}

void InitLogFont(LogFontDef* ptLogFont) {
  *ptLogFont = LogFontDef{};
  ptLogFont->lfWeight = 700;
  ptLogFont->lfQuality = 2;            // proof quality
  ptLogFont->lfPitchAndFamily = 0x30;  // modern family, default pitch
  std::snprintf(ptLogFont->lfFaceName, sizeof ptLogFont->lfFaceName, "%s", "Arial");
}

void SelectPaintFont(Canvas* hDC, int Index) {
  InitLogFont(&tLogFont);
  const char* pcFace = "MS Sans Serif";
  switch (Index) {
    case FONT_TABLE:
      tLogFont.lfHeight = 16;
      tLogFont.lfWeight = 700;
      break;
    case FONT_TEXT:
      tLogFont.lfHeight = 14;
      tLogFont.lfWeight = 400;
      pcFace = "Courier";
      break;
    case FONT_NOTE:
      tLogFont.lfHeight = 10;
      tLogFont.lfWeight = 400;
      break;
    default:
      return;
  }
  std::snprintf(tLogFont.lfFaceName, sizeof tLogFont.lfFaceName, "%s", pcFace);
  hDC->SelectFont(tLogFont);
}

void DrawBitmap(Canvas* hDC, const char* hBitmap, PointDef ptStart) {
  if (hBitmap == nullptr) return;
  hDC->DrawBitmap(hBitmap, ptStart.x, ptStart.y);
}

void PaintTableHand(Canvas* hDC, PointDef ptCorner, const PbnHandDef* ptHand, const char* pcName,
                    PbnBoolDef bHidden) {
  const int x = ptCorner.x;
  const int y = ptCorner.y;
  hDC->FillRect(PointWH2Rect(ptCorner, kHandWidth, kHandCardsHeight), hbHandGreen);
  hDC->SetBkMode(TRANSPARENT);
  hDC->SetTextColor(kColorBlack);
  for (int Row = 0; Row < PBN_N_SUITS; ++Row) {
    const int Suit = PBN_SPADES - Row;  // spades on top, clubs at the bottom
    const int RowY = y + kRowStep * Row;
    PaintBitmapSuit(hDC, Suit, {x, RowY});
    if (bHidden || ptHand == nullptr) continue;
    char acRanks[16];
    PbnRanksGetChars(ptHand->Ranks[Suit], acRanks);
    const int NrRanks = static_cast<int>(std::strlen(acRanks));
    for (int i = 0; i < std::min(NrRanks, kRanksPerRow); ++i) {
      hDC->TextOut(x + 18 + kRankStep * i, RowY, &acRanks[i], 1);
    }
    if (NrRanks > kRanksPerRow) {
      // The overflow goes to the row below (clubs: above), its last rank in the ninth column.
      const int Extra = NrRanks - kRanksPerRow;
      const int ExtraY = Suit == PBN_CLUBS ? RowY - kRowStep : RowY + kRowStep;
      for (int i = 0; i < Extra; ++i) {
        const int Column = kRanksPerRow - Extra + i;
        hDC->TextOut(x + 18 + kRankStep * Column, ExtraY, &acRanks[kRanksPerRow + i], 1);
      }
    }
  }
  hDC->MoveTo(x, y + 67);
  hDC->LineTo(x + kHandWidth, y + 67);
  hDC->FillRect(PointWH2Rect({x, y + kHandCardsHeight}, kHandWidth, 16), hbHandLtGrey);
  hDC->SetBkMode(OPAQUE);
  DrawCentred(hDC, pcName != nullptr ? pcName : "",
              PointWH2Rect({x, y + kHandCardsHeight}, kHandWidth, 16), kColorBlack,
              DT_END_ELLIPSIS);
  hDC->SetTextColor(kColorBlack);
  PaintTableRect(hDC, PointWH2Rect(ptCorner, kHandWidth, kHandHeight));
}

void PaintTableBoard(Canvas* hDC, const char* pcBoard) {
  const RectDef tBox = BoxRect(10, 6);
  hDC->FillRect(tBox, hbWhite);
  char acText[81];  // a longer Board value is cut off; the box shows only its start anyway
  std::snprintf(acText, sizeof acText, "Board : %s", pcBoard != nullptr ? pcBoard : "");
  DrawLeftCentred(hDC, acText, tBox);
}

void PaintTableSituation(Canvas* hDC, const PbnSituationDef* ptSituation) {
  const RectDef tBox = BoxRect(10, 38);
  hDC->FillRect(tBox, hbWhite);
  char acDealer[2] = "?";
  const PbnSideDef Dealer = ptSituation->Dealer;
  if (Dealer == PBN_SIDE_NONE || Dealer == PBN_SIDE_EMPTY) {
    acDealer[0] = '\0';
  } else if (PbnSideIsValid(Dealer)) {
    acDealer[0] = apcPbnSideNames[Dealer][0];
  }
  const PbnVulnerDef Vulner = ptSituation->Vulner;
  const char* pcVulner = "?";
  if (Vulner == PBN_VULNER_NOT_GIVEN) {
    pcVulner = "";
  } else if (Vulner <= PBN_VULNER_UNKNOWN) {
    pcVulner = apcPbnVulnerNames[Vulner];
  }
  char acText[32];
  std::snprintf(acText, sizeof acText, "%s / %s", acDealer, pcVulner);
  DrawLeftCentred(hDC, acText, tBox);
}

void PaintTableContract(Canvas* hDC, const PbnContractDef* ptContract) {
  const RectDef tBox = BoxRect(10, 54);
  hDC->FillRect(tBox, hbWhite);
  const unsigned OldAlign = hDC->SetTextAlign(TA_UPDATECP);
  hDC->MoveTo(tBox.left, tBox.top);
  hDC->SetTextColor(kColorBlack);
  const PbnTrumpDef Trump = ptContract->Trump;
  if (Trump == PBN_TRUMP_PASS) {
    TextOutString(hDC, 0, 0, acPbnPass);
  } else if (!PbnTrumpIsValid(Trump)) {
    TextOutString(hDC, 0, 0, "?");
  } else {
    const PbnSideDef Declarer = ptContract->Declarer;
    char acText[32];
    std::snprintf(acText, sizeof acText, "%s%c : %d", ptContract->bIrregularDeclarer ? "^" : "",
                  PbnSideIsValid(Declarer) ? apcPbnSideNames[Declarer][0] : '?',
                  ptContract->NrTricks);
    TextOutString(hDC, 0, 0, acText);
    if (Trump == PBN_TRUMP_NT) {
      hDC->SetTextColor(kColorNavy);
      TextOutString(hDC, 0, 0, "NT");
      hDC->SetTextColor(kColorBlack);
    } else {
      const PointDef ptPoint = hDC->GetCurrentPosition();
      PaintBitmapSuit(hDC, Trump, ptPoint);
      hDC->MoveTo(ptPoint.x + 18, ptPoint.y);
    }
    const PbnRiskDef Risk = std::min<PbnRiskDef>(ptContract->Risk, PBN_RISK_UNKNOWN);
    TextOutString(hDC, 0, 0, apcPbnRiskNames[Risk]);
  }
  hDC->SetTextAlign(OldAlign);
}

void PaintTableTricks(Canvas* hDC, PbnResultDef Result) {
  const bool bIrregular = (Result & PBN_RESULT_IRREGULAR) != 0;
  Result = static_cast<PbnResultDef>(Result & ~PBN_RESULT_IRREGULAR);
  char acResult[8] = "";
  if (Result != PBN_RESULT_EMPTY && Result != PBN_RESULT_NONE) {
    std::snprintf(acResult, sizeof acResult, "%s%d", bIrregular ? "^" : "", Result);
  }
  const RectDef tResultBox = BoxRect(274, 6);
  hDC->FillRect(tResultBox, hbWhite);
  char acText[32];
  std::snprintf(acText, sizeof acText, "Result : %s", tGameAdmin.bPlayDone ? acResult : "");
  DrawLeftCentred(hDC, acText, tResultBox);

  const int NrTricks = std::clamp<int>(tGameAdmin.NrTricks, 0, PBN_N_TRICKS);
  const int NS = NrTricks == 0 ? 0 : tGameAdmin.aNrWonNS[NrTricks - 1];
  hDC->FillRect(BoxRect(274, 38), hbWhite);
  TextOutString(hDC, 274, 38, "NS");
  std::snprintf(acText, sizeof acText, ": %2d", NS);
  TextOutString(hDC, 302, 38, acText);
  hDC->FillRect(BoxRect(274, 54), hbWhite);
  TextOutString(hDC, 274, 54, "EW");
  std::snprintf(acText, sizeof acText, ": %2d", NrTricks - NS);
  TextOutString(hDC, 302, 54, acText);
}

void PaintTableHistInit(Canvas* hDC) {
  hDC->SetBkMode(OPAQUE);
  hDC->FillRect(kHistPanel, hbHistYellow);
  constexpr PbnSideDef aColumnSides[4] = {PBN_WEST, PBN_NORTH, PBN_EAST, PBN_SOUTH};
  for (int Column = 0; Column < 4; ++Column) {
    const RectDef tCell = PointWH2Rect({407 + 56 * Column, 2}, kCellWidth, 20);
    hDC->FillRect(tCell, Column % 2 == 0 ? hbHistLtGreen : hbHistLtRed);
    DrawCentred(hDC, apcPbnSideNames[aColumnSides[Column]], tCell, kColorBlack);
  }
}

void PaintHistCall(Canvas* hDC, const RectDef* ptRectangle, const PbnCallDef* ptCall) {
  hDC->FillRect(*ptRectangle, hbWhite);
  hDC->SetBkMode(OPAQUE);
  switch (ptCall->CallType) {
    case PBN_CALL_PASS:
      DrawCentred(hDC, acPbnPass, *ptRectangle, kColorBlack);
      break;
    case PBN_CALL_DOUBLE:
    case PBN_CALL_REDOUBLE:
      DrawCentred(hDC, apcPbnRiskNames[ptCall->CallType], *ptRectangle, kColorBlack);
      break;
    case PBN_CALL_SPECIAL:
      DrawCentred(hDC, "^S", *ptRectangle, kColorMagenta);
      break;
    case PBN_CALL_BID:
    case PBN_CALL_INSUFFICIENT: {
      const bool bInsufficient = ptCall->CallType == PBN_CALL_INSUFFICIENT;
      const bool bNoTrump = ptCall->Trump == PBN_TRUMP_NT;
      const bool bSuit = ptCall->Trump < PBN_N_SUITS;
      char acText[16];
      std::snprintf(acText, sizeof acText, "%s%d%s", bInsufficient ? "^I " : "", ptCall->NrTricks,
                    bNoTrump ? "NT" : "");
      const int Width = MeasureWidth(hDC, acText, *ptRectangle) + (bSuit ? kBitmapWidth : 0);
      const unsigned OldAlign = hDC->SetTextAlign(TA_UPDATECP);
      hDC->MoveTo(CentredLeft(*ptRectangle, Width), ptRectangle->top);
      if (bInsufficient) {
        hDC->SetTextColor(kColorMagenta);
        TextOutString(hDC, 0, 0, "^I ");
      }
      hDC->SetTextColor(kColorBlack);
      std::snprintf(acText, sizeof acText, "%d", ptCall->NrTricks);
      TextOutString(hDC, 0, 0, acText);
      if (bNoTrump) {
        hDC->SetTextColor(kColorNavy);
        TextOutString(hDC, 0, 0, "NT");
        hDC->SetTextColor(kColorBlack);
      } else if (bSuit) {
        PaintBitmapSuit(hDC, ptCall->Trump, hDC->GetCurrentPosition());
      }
      hDC->SetTextAlign(OldAlign);
      break;
    }
    default:
      break;
  }
}

void PaintHistNote(Canvas* hDC, const RectDef* ptRectangle, int Note) {
  if (Note == 0) return;
  SelectPaintFont(hDC, FONT_NOTE);
  hDC->SetTextColor(kColorGreen);
  char acText[12];
  std::snprintf(acText, sizeof acText, "%d", Note);
  RectDef tDraw = *ptRectangle;
  hDC->DrawText(acText, -1, &tDraw, DT_SINGLELINE | DT_RIGHT);
  SelectPaintFont(hDC, FONT_TABLE);
}

void PaintTableAllCalls(Canvas* hDC, const PbnGameDataDef* ptGameData,
                        const PbnGameTagsDef* ptGameTags) {
  const PbnSideDef Dealer = ptGameData->tSituation.Dealer;
  if (!PbnSideIsValid(Dealer)) return;
  const int NrAuctionCalls = std::min<int>(ptGameData->tAuction.NrCalls, PBN_MAX_CALLS);
  const int NrShown = std::clamp<int>(tGameAdmin.NrCalls, 0, NrAuctionCalls);
  int Column = HistColumn(Dealer);
  int Row = 0;
  for (int Call = 0; Call < NrShown; ++Call) {
    const RectDef tCell = HistCellRect(Column, Row);
    if (CellVisible(tCell)) {
      PaintHistCall(hDC, &tCell, &ptGameData->tAuction.atCalls[Call]);
      if (ptGameTags != nullptr) PaintHistNote(hDC, &tCell, ptGameTags->atCallAnno[Call].Note);
    }
    if (++Column == 4) {
      Column = 0;
      ++Row;
    }
  }
  PaintAnnoCall(NrShown);
  if (NrAuctionCalls > NrShown) {
    const RectDef tCell = HistCellRect(Column, Row);
    if (CellVisible(tCell)) {
      hDC->FillRect(tCell, hbWhite);
      DrawCentred(hDC, "?", tCell, kColorBlack);
    }
  }
}

void PaintHistCard(Canvas* hDC, const RectDef* ptRectangle, const PbnCardDef* ptCard,
                   int cIllegal) {
  hDC->FillRect(*ptRectangle, hbWhite);
  hDC->SetBkMode(OPAQUE);
  const PbnRankDef Rank = ptCard->Rank;
  if (Rank == 0 || Rank == PBN_RANK_X || Rank == PBN_RANK_UNKNOWN) {
    DrawCentred(hDC, "-", *ptRectangle, kColorBlack);
    return;
  }
  const char cRank = RankChar(Rank);
  const char cMark = static_cast<char>(cIllegal);
  char acText[8];
  if (cIllegal != 0) {
    std::snprintf(acText, sizeof acText, "^%c %c", cMark, cRank);
  } else {
    std::snprintf(acText, sizeof acText, "%c", cRank);
  }
  const int Width = MeasureWidth(hDC, acText, *ptRectangle) + kBitmapWidth;
  const unsigned OldAlign = hDC->SetTextAlign(TA_UPDATECP);
  hDC->MoveTo(CentredLeft(*ptRectangle, Width), ptRectangle->top);
  if (cIllegal != 0) {
    hDC->SetTextColor(kColorMagenta);
    std::snprintf(acText, sizeof acText, "^%c ", cMark);
    TextOutString(hDC, 0, 0, acText);
  }
  const PointDef ptBitmap = hDC->GetCurrentPosition();
  if (ptCard->Suit < PBN_N_SUITS) PaintBitmapSuit(hDC, ptCard->Suit, ptBitmap);
  hDC->SetTextAlign(OldAlign);
  hDC->SetTextColor(kColorBlack);
  hDC->TextOut(ptBitmap.x + kBitmapWidth, ptBitmap.y, &cRank, 1);
}

void PaintTableAllCards(Canvas* hDC, const PbnGameTagsDef* ptGameTags) {
  const int NrPlayCards = PlayNrEntries();
  const int NrCards = std::clamp<int>(tGameAdmin.NrCards, 0, NrPlayCards);
  int NrHistory = NrCards - NrCards % 4;
  if (tGameAdmin.bTrick && NrHistory == NrCards) NrHistory = std::max(0, NrCards - 4);
  const auto& atPlayCards = tGameAdmin.atPlayCards;

  if (atPlayCards[0].Side != PBN_SIDE_NONE) PaintLeadMarker(hDC, atPlayCards[0].Side, 22);
  int Row = 0;
  for (int Entry = 0; Entry < NrHistory; ++Entry) {
    const PbnPlayCardDef& tEntry = atPlayCards[Entry];
    const int Trick = Entry / 4;
    if (PbnSideIsValid(tEntry.Side)) {
      const RectDef tCell = HistCellRect(HistColumn(tEntry.Side), Row);
      PaintHistCard(hDC, &tCell, &tEntry.Card, tGameAdmin.aacIllegals[Trick][tEntry.Side]);
      if (ptGameTags != nullptr) {
        PaintHistNote(hDC, &tCell, ptGameTags->aatCardAnno[Trick][tEntry.Side].Note);
      }
    }
    if (Entry % 4 == 3) {
      const PbnSideDef NextSide = atPlayCards[Entry + 1].Side;
      if (NextSide != PBN_SIDE_NONE) {
        PaintLeadMarker(hDC, NextSide, HistCellRect(0, Row).top + kCellHeight);
      }
      ++Row;
    }
  }
  tGameAdmin.NrTricks = static_cast<Int8>(NrHistory / 4);

  for (int Entry = NrHistory; Entry < NrCards; ++Entry) {
    const PbnPlayCardDef& tEntry = atPlayCards[Entry];
    if (!PbnSideIsValid(tEntry.Side)) continue;
    const RectDef tCard =
        PointWH2Rect(atTableCardCorners[tEntry.Side], kTrickCardWidth, kCellHeight);
    PaintHistCard(hDC, &tCard, &tEntry.Card, 0);
    if (ptGameTags != nullptr) {
      PaintHistNote(hDC, &tCard, ptGameTags->aatCardAnno[Entry / 4][tEntry.Side].Note);
    }
  }
  PaintAnnoCard(NrCards);
  if (NrCards < NrPlayCards && !tGameAdmin.bTrick) {
    const PbnSideDef NextSide = atPlayCards[NrCards].Side;
    if (PbnSideIsValid(NextSide)) {
      const RectDef tCard =
          PointWH2Rect(atTableCardCorners[NextSide], kTrickCardWidth, kCellHeight);
      hDC->FillRect(tCard, hbWhite);
      DrawCentred(hDC, "?", tCard, kColorBlack);
    }
  }
}

void PaintTable(Canvas* hDC, PbnBoolDef bGames) {
  SelectPaintFont(hDC, FONT_TABLE);
  hDC->FillRect(tTableRectangle, hbTableDkRed);
  const PbnGameTagsDef* ptGameTags = tGameAdmin.ptGameTags;
  const PbnGameDataDef* ptGameData = tGameAdmin.ptGameData;
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    PaintTableHand(hDC, atTableSides[Side], &tGameAdmin.tDeal.tHands[Side],
                   DisplayTagValue(ptGameTags, aNameTags[Side]), tGameAdmin.abHiddenSide[Side]);
  }
  if (bGames && ptGameData != nullptr) {
    PaintTableBoard(hDC, DisplayTagValue(ptGameTags, PBN_TAG_ID_BOARD));
    PaintTableSituation(hDC, &ptGameData->tSituation);
  }
  PaintTableHistInit(hDC);
  switch (tGameAdmin.Section) {
    case PBN_SECTION_IDENT:
      PaintAnnoSection(PBN_SECTION_IDENT);
      break;
    case PBN_SECTION_AUCTION:
      PaintAnnoSection(PBN_SECTION_AUCTION);
      if (ptGameData != nullptr) PaintTableAllCalls(hDC, ptGameData, ptGameTags);
      break;
    case PBN_SECTION_PLAY:
      if (ptGameData == nullptr) break;
      PaintTableContract(hDC, &ptGameData->tContract);
      PaintAnnoSection(PBN_SECTION_PLAY);
      PaintTableAllCards(hDC, ptGameTags);
      PaintTableTricks(hDC, ptGameData->Result);
      break;
  }
  if (DdPanelShown()) PaintDdPanel(hDC, bGames);  // over the history
}

namespace {

// The parts of an annotation line drawn from the current position on: suits as bitmaps, note
// references in green, a header across the whole line.
class AnnoPainterDef final : public AnnoLineVisitorDef {
 public:
  AnnoPainterDef(Canvas* hDC, const RectDef& tRect, unsigned OldAlign)
      : hDC_(hDC), tRect_(tRect), OldAlign_(OldAlign) {}

  void Header(const char* pcName) override {
    hDC_->SetTextAlign(OldAlign_);
    const int Middle = (tRect_.top + tRect_.bottom) / 2;
    hDC_->MoveTo(tRect_.left, Middle);
    hDC_->LineTo(tRect_.left + 160, Middle);
    hDC_->MoveTo(tRect_.right - 1, Middle);
    hDC_->LineTo(tRect_.right - 161, Middle);
    DrawCentred(hDC_, pcName, tRect_, kColorMagenta);
    hDC_->SetTextColor(kColorBlack);
  }
  void TableHeader(std::string_view Tag) override {
    hDC_->SetTextAlign(OldAlign_);
    DrawTableHeading(hDC_, Tag.data(), static_cast<int>(Tag.size()), tRect_);
    hDC_->SetTextColor(kColorBlack);
  }
  void Text(std::string_view Chars) override {
    hDC_->TextOut(0, 0, Chars.data(), static_cast<int>(Chars.size()));
  }
  void Suit(PbnSuitDef Suit) override {
    const PointDef ptPoint = hDC_->GetCurrentPosition();
    PaintBitmapSuit(hDC_, 4 + Suit, ptPoint);  // the 16 x 12 bitmaps
    hDC_->MoveTo(ptPoint.x + kBitmapWidth, ptPoint.y);
  }
  void Note(std::string_view Reference) override {
    hDC_->SetTextColor(kColorGreen);
    hDC_->TextOut(0, 0, Reference.data(), static_cast<int>(Reference.size()));
    hDC_->SetTextColor(kColorBlack);
  }

 private:
  Canvas* hDC_;
  const RectDef& tRect_;
  unsigned OldAlign_;
};

}  // namespace

void DrawGameTextAnno(Canvas* hDC, const unsigned char* pcLine, UInt32 Begin, UInt32 End,
                      const RectDef* ptRectangle) {
  hDC->SetTextColor(kColorBlack);
  const unsigned OldAlign = hDC->SetTextAlign(TA_UPDATECP);
  hDC->MoveTo(ptRectangle->left, ptRectangle->top);
  AnnoPainterDef tPainter(hDC, *ptRectangle, OldAlign);
  AnnoLineVisit(pcLine, &tPainter, Begin, End);
  hDC->SetTextAlign(OldAlign);
}

}  // namespace viewer
