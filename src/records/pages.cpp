#include "records/pages.h"

#include <langinfo.h>

#include <QBuffer>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <clocale>

namespace records {

namespace {

using pbn::PBN_EAST;
using pbn::PBN_NORTH;
using pbn::PBN_SOUTH;
using pbn::PBN_WEST;

constexpr qreal kMargin = 30;  // points, round the page
constexpr qreal kHeadHeight = 26;
constexpr qreal kFootHeight = 18;
constexpr qreal kGap = 8;  // between boards
const QColor kRed(0xC0, 0x00, 0x00);
const QColor kGrey(0x70, 0x70, 0x70);
const QColor kRule(0xB0, 0xB0, 0xB0);
const QColor kShade(0xEE, 0xEE, 0xEE);
const QColor kDealer(0x30, 0x30, 0x30);
const QString kEllipsis = QStringLiteral("\u2026");

struct GridDef {
  int Columns;
  int Rows;
};

GridDef GridFor(int PerPage) {
  switch (PerPage) {
    case 1:
      return {1, 1};
    case 2:
      return {1, 2};
    case 6:
      return {2, 3};
    case 12:
      return {3, 4};
    default:
      return {2, 2};
  }
}

// Draws in points whatever the device's resolution: the painter is scaled, and fonts are sized
// so that the device's own conversion and the scale together give the points asked for.
class PenDef {
 public:
  PenDef(QPainter* ptPainter, QPaintDevice* ptDevice)
      : ptPainter_(ptPainter), ptDevice_(ptDevice), Dpi_(ptDevice->logicalDpiX()) {}

  void Use(qreal Points, bool bBold = false) {
    tFont_ = QFont(QStringLiteral("DejaVu Sans"));
    tFont_.setPointSizeF(Points * 72.0 / Dpi_);
    tFont_.setBold(bBold);
    if (ptPainter_ != nullptr) ptPainter_->setFont(tFont_);
    Points_ = Points;
    bBold_ = bBold;
  }
  qreal Size() const { return Points_; }
  bool Bold() const { return bBold_; }
  QFontMetricsF Metrics() const { return QFontMetricsF(tFont_, ptDevice_); }
  qreal Width(const QString& Text) const { return Metrics().horizontalAdvance(Text); }
  // The size at which Text is Width wide, at most Points.
  qreal SizeToFit(const QString& Text, qreal Width, qreal Points, bool bBold = false) {
    const qreal OldSize = Points_;
    const bool bOldBold = bBold_;
    Use(Points, bBold);
    const qreal Wide = this->Width(Text);
    Use(OldSize, bOldBold);
    return Wide > Width ? Points * Width / Wide : Points;
  }

  // Text with its suit symbols, hearts and diamonds in red, from x with its line's box at Top.
  qreal Draw(qreal x, qreal Top, qreal LineHeight, const QString& Text,
             const QColor& Colour = Qt::black) {
    const QFontMetricsF tMetrics = Metrics();
    const qreal Baseline = Top + (LineHeight - tMetrics.height()) / 2 + tMetrics.ascent();
    qsizetype RunBegin = 0;
    for (qsizetype i = 0; i <= Text.size(); ++i) {
      const bool bRed = i < Text.size() && (Text[i] == QChar(0x2665) || Text[i] == QChar(0x2666));
      if (!bRed && i < Text.size()) continue;
      x = DrawRun(x, Baseline, Text.mid(RunBegin, i - RunBegin), Colour);
      if (bRed) x = DrawRun(x, Baseline, Text.mid(i, 1), kRed);
      RunBegin = i + 1;
    }
    return x;
  }
  void DrawCentred(const QRectF& tBox, const QString& Text, const QColor& Colour = Qt::black) {
    Draw(tBox.center().x() - Width(Text) / 2, tBox.top(), tBox.height(), Text, Colour);
  }
  void DrawRight(qreal Right, qreal Top, qreal LineHeight, const QString& Text,
                 const QColor& Colour = Qt::black) {
    Draw(Right - Width(Text), Top, LineHeight, Text, Colour);
  }

  // Text cut with "…" to Width.
  QString Elided(const QString& Text, qreal Width, Qt::TextElideMode Mode = Qt::ElideRight) const {
    return Metrics().elidedText(Text, Mode, Width);
  }

  QPainter* Painter() const { return ptPainter_; }

 private:
  qreal DrawRun(qreal x, qreal Baseline, const QString& Run, const QColor& Colour) {
    if (Run.isEmpty()) return x;
    ptPainter_->setPen(Colour);
    ptPainter_->drawText(QPointF(x, Baseline), Run);
    return x + Width(Run);
  }

  QPainter* ptPainter_;  // null while pages are only measured
  QPaintDevice* ptDevice_;
  qreal Dpi_;
  QFont tFont_;
  qreal Points_ = 10;
  bool bBold_ = false;
};

// The lines of a hand: a suit symbol and its ranks, "—" for a void.
QStringList HandLines(const HandDef& tHand) {
  QStringList Lines;
  for (int k = 0; k < 4; ++k) {
    const QString& Ranks = tHand.aSuits[k];
    Lines << SuitSymbol(pbn::PBN_SPADES - k) + QLatin1Char(' ') +
                 (Ranks.isEmpty() ? QStringLiteral("\u2014") : Ranks);
  }
  return Lines;
}

// A hand in four lines from Top, shrunk to fit Width when a long suit needs it.
void DrawHand(PenDef* ptPen, const HandDef& tHand, qreal x, qreal Top, qreal Width, qreal Line) {
  if (!tHand.bGiven) {
    ptPen->Draw(x, Top, Line, QStringLiteral("\u2014"), kGrey);
    return;
  }
  const QStringList Lines = HandLines(tHand);
  const qreal Size = ptPen->Size();
  qreal Widest = 0;
  for (const QString& Text : Lines)
    Widest = std::max(Widest, ptPen->Width(Text));
  if (Widest > Width) ptPen->Use(Size * Width / Widest);
  for (int k = 0; k < 4; ++k)
    ptPen->Draw(x, Top + k * Line, Line, Lines[k]);
  ptPen->Use(Size);
}

// The compass in the middle of the deal as a board shows it: a bar at each side, red where that
// side is vulnerable, with the side's letter, the dealer's in a dark disc; inside, the hands'
// high-card points.
void DrawCompass(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox) {
  QPainter* ptPainter = ptPen->Painter();
  const qreal Bar = tBox.width() * 0.17;
  const bool bNS = tBoard.Vulner == QLatin1String("NS") || tBoard.Vulner == QLatin1String("All");
  const bool bEW = tBoard.Vulner == QLatin1String("EW") || tBoard.Vulner == QLatin1String("All");
  const struct {
    pbn::PbnSideDef Side;
    QRectF tBar;
    bool bVulnerable;
  } atBars[4] = {
      {PBN_NORTH, {tBox.left(), tBox.top(), tBox.width(), Bar}, bNS},
      {PBN_SOUTH, {tBox.left(), tBox.bottom() - Bar, tBox.width(), Bar}, bNS},
      {PBN_WEST, {tBox.left(), tBox.top() + Bar, Bar, tBox.height() - 2 * Bar}, bEW},
      {PBN_EAST, {tBox.right() - Bar, tBox.top() + Bar, Bar, tBox.height() - 2 * Bar}, bEW},
  };
  const qreal Size = ptPen->Size();
  ptPainter->setPen(kRule);
  ptPainter->setBrush(kShade);
  ptPainter->drawRect(tBox);
  for (const auto& tBar : atBars) {
    ptPainter->fillRect(tBar.tBar, tBar.bVulnerable ? kRed : Qt::white);
    const QString Letter = QString(QLatin1Char("SWNE"[tBar.Side]));
    const bool bDealer = tBoard.Dealer == Letter;
    const QPointF tCentre = tBar.tBar.center();
    if (bDealer) {
      ptPainter->setPen(Qt::NoPen);
      ptPainter->setBrush(kDealer);
      ptPainter->drawEllipse(tCentre, Bar * 0.46, Bar * 0.46);
    }
    ptPen->Use(Bar * 0.62, bDealer);
    const QColor Colour = bDealer || tBar.bVulnerable ? Qt::white : kGrey;
    ptPen->DrawCentred({tCentre.x() - Bar, tCentre.y() - Bar / 2, 2 * Bar, Bar}, Letter, Colour);
  }
  ptPainter->setBrush(Qt::NoBrush);
  ptPainter->setPen(kRule);
  ptPainter->drawRect(tBox);
  const QRectF tInner = tBox.adjusted(Bar, Bar, -Bar, -Bar);
  const qreal Third = tInner.height() / 3;
  ptPen->Use(std::min(Size, Third * 0.95));
  const auto Points = [&](pbn::PbnSideDef Side) {
    const HandDef& tHand = tBoard.atHands[Side];
    return tHand.bGiven ? QString::number(tHand.Points) : QString();
  };
  ptPen->DrawCentred({tInner.left(), tInner.top(), tInner.width(), Third}, Points(PBN_NORTH));
  ptPen->DrawCentred({tInner.left(), tInner.bottom() - Third, tInner.width(), Third},
                     Points(PBN_SOUTH));
  const qreal Pad = tInner.width() * 0.06;
  ptPen->Draw(tInner.left() + Pad, tInner.top() + Third, Third, Points(PBN_WEST));
  ptPen->DrawRight(tInner.right() - Pad, tInner.top() + Third, Third, Points(PBN_EAST));
  ptPen->Use(Size);
}

// Text centred in a box, drawn narrower than the font by Squeeze (at most 1).
void DrawSqueezed(PenDef* ptPen, const QRectF& tBox, const QString& Text, qreal Squeeze) {
  QPainter* ptPainter = ptPen->Painter();
  ptPainter->save();
  ptPainter->translate(tBox.center().x(), 0);
  ptPainter->scale(Squeeze, 1);
  const qreal Width = tBox.width() / Squeeze;
  ptPen->DrawCentred({-Width / 2, tBox.top(), Width, tBox.height()}, Text);
  ptPainter->restore();
}

// Declarers down (N, S, E, W), strains across (NT, spades, hearts, diamonds, clubs): the tricks.
// The figures are set as large as the rows and the deal's size allow; where "13" at that size is
// wider than its column, they are drawn narrower, down to 88%, before they are drawn smaller.
void DrawTricks(PenDef* ptPen, const analysis::DdTableDef& aaTricks, const QRectF& tBox) {
  static constexpr pbn::PbnSideDef aSides[4] = {PBN_NORTH, PBN_SOUTH, PBN_EAST, PBN_WEST};
  static constexpr pbn::PbnTrumpDef aTrumps[5] = {
      pbn::PBN_TRUMP_NT, pbn::PBN_SPADES, pbn::PBN_HEARTS, pbn::PBN_DIAMONDS, pbn::PBN_CLUBS};
  constexpr qreal kNarrowest = 0.88;
  const qreal Column = tBox.width() / 5.7;  // the declarers' column is 0.7 of it
  const qreal Row = tBox.height() / 5;
  const qreal Wanted = std::min(ptPen->Size(), Row * 0.75);
  const qreal Fit = ptPen->SizeToFit(QStringLiteral("13"), Column * 0.86, Wanted);
  const qreal Size = std::min(Wanted, Fit / kNarrowest);
  const qreal Squeeze = std::min(1.0, Fit / Size);
  ptPen->Use(Size);
  QPainter* ptPainter = ptPen->Painter();
  ptPainter->fillRect(QRectF(tBox.left(), tBox.top(), tBox.width(), Row), kShade);
  for (int c = 0; c < 5; ++c) {
    const QString Head =
        aTrumps[c] == pbn::PBN_TRUMP_NT ? QStringLiteral("NT") : SuitSymbol(aTrumps[c]);
    DrawSqueezed(ptPen, {tBox.left() + (c + 0.7) * Column, tBox.top(), Column, Row}, Head, Squeeze);
  }
  for (int r = 0; r < 4; ++r) {
    const qreal Top = tBox.top() + (r + 1) * Row;
    DrawSqueezed(ptPen, {tBox.left(), Top, 0.7 * Column, Row},
                 QString(QLatin1Char("SWNE"[aSides[r]])), Squeeze);
    for (int c = 0; c < 5; ++c) {
      DrawSqueezed(ptPen, {tBox.left() + (c + 0.7) * Column, Top, Column, Row},
                   QString::number(aaTricks[aSides[r]][aTrumps[c]]), Squeeze);
    }
  }
  ptPainter->setPen(kRule);
  ptPainter->drawRect(tBox);
}

// Par and up to three of its contracts, shrunk to fit Width.
void DrawPar(PenDef* ptPen, const BoardDef& tBoard, qreal x, qreal Top, qreal Width, qreal Line) {
  if (!tBoard.ParProblem.isEmpty()) {
    ptPen->Draw(x, Top, Line, QStringLiteral("Par not known"), kGrey);
    return;
  }
  const QStringList Lines =
      QStringList{QStringLiteral("Par ") + tBoard.ParScore} + tBoard.ParContracts.mid(0, 3);
  const qreal Size = ptPen->Size();
  qreal Widest = 0;
  for (const QString& Text : Lines)
    Widest = std::max(Widest, ptPen->Width(Text));
  if (Widest > Width) ptPen->Use(Size * Width / Widest);
  for (int k = 0; k < Lines.size(); ++k)
    ptPen->Draw(x, Top + k * Line, Line, Lines[k]);
  ptPen->Use(Size);
}

// The contracts each side makes double dummy, its better declarer's, in the strains of the
// table: "NS 4♠ 5♦ · EW 3♥"; empty where neither side makes a contract.
QString MakeableText(const analysis::DdTableDef& aaTricks) {
  static constexpr pbn::PbnTrumpDef aTrumps[5] = {
      pbn::PBN_TRUMP_NT, pbn::PBN_SPADES, pbn::PBN_HEARTS, pbn::PBN_DIAMONDS, pbn::PBN_CLUBS};
  static constexpr std::array<std::pair<pbn::PbnSideDef, pbn::PbnSideDef>, 2> aPairs = {
      {{PBN_NORTH, PBN_SOUTH}, {PBN_EAST, PBN_WEST}}};
  QStringList Sides;
  for (const auto& [First, Second] : aPairs) {
    QString Side = First == PBN_NORTH ? QStringLiteral("NS") : QStringLiteral("EW");
    bool bMakes = false;
    for (pbn::PbnTrumpDef Trump : aTrumps) {
      const int Level = std::max(aaTricks[First][Trump], aaTricks[Second][Trump]) - 6;
      if (Level < 1) continue;
      Side += QLatin1Char(' ') + QString::number(Level) +
              (Trump == pbn::PBN_TRUMP_NT ? QStringLiteral("NT") : SuitSymbol(Trump));
      bMakes = true;
    }
    if (bMakes) Sides << Side;
  }
  return Sides.join(QStringLiteral(" \u00B7 "));
}

// The lines of a deal: 14, and one more for the makeable contracts under a double-dummy table.
int DealLines(bool bDoubleDummy) {
  return bDoubleDummy ? 15 : 14;
}

// The deal in compass layout in Box, DealLines high: the board, dealer and vulnerability top left,
// the table of tricks bottom left, par bottom right, the points in the middle. Size is the font's,
// at most what lets a hand of ten cards in one suit fit its third of the width.
void DrawDeal(PenDef* ptPen, const BoardDef& tBoard, bool bDoubleDummy, const QRectF& tBox) {
  const qreal Line = tBox.height() / DealLines(bDoubleDummy);
  const qreal Third = tBox.width() / 3;
  const qreal Size = std::min(Line * 0.74, Third / 6.4);
  const qreal Left = tBox.left();
  const qreal Top = tBox.top();

  // The board's number large, up to the gap before North's hand, which the hands leave wide
  // enough for "Board 999" at the size of the lines under it.
  const QString Board = QStringLiteral("Board ") + tBoard.Board;
  ptPen->Use(ptPen->SizeToFit(Board, Third - Line * 0.3, Size * 1.5, true), true);
  ptPen->Draw(Left, Top, Line * 1.6, Board);
  ptPen->Use(Size);
  ptPen->Draw(Left, Top + Line * 1.8, Line, QStringLiteral("Dealer ") + tBoard.Dealer);
  ptPen->Draw(Left, Top + Line * 2.8, Line, QStringLiteral("Vul ") + tBoard.Vulner);

  const qreal HandWidth = Third - Line * 0.3;
  DrawHand(ptPen, tBoard.atHands[PBN_NORTH], Left + Third, Top, HandWidth, Line);
  DrawHand(ptPen, tBoard.atHands[PBN_WEST], Left, Top + 4.5 * Line, HandWidth, Line);
  DrawHand(ptPen, tBoard.atHands[PBN_EAST], Left + 2 * Third + Line * 0.3, Top + 4.5 * Line,
           HandWidth, Line);
  DrawHand(ptPen, tBoard.atHands[PBN_SOUTH], Left + Third, Top + 9 * Line, HandWidth, Line);
  const qreal Side = std::min(4.2 * Line, Third * 0.85);
  DrawCompass(ptPen, tBoard,
              {Left + 1.5 * Third - Side / 2, Top + 6.5 * Line - Side / 2, Side, Side});

  if (!bDoubleDummy) return;
  if (tBoard.Tricks) {
    ptPen->Use(Size * 0.85);
    const qreal TableWidth = std::min(Third - Line * 0.2, 9 * Line);
    DrawTricks(ptPen, *tBoard.Tricks, {Left, Top + 9 * Line, TableWidth, 5 * Line});
    ptPen->Use(Size);
    DrawPar(ptPen, tBoard, Left + 2 * Third + Line * 0.3, Top + 9 * Line, Third - Line * 0.3, Line);
    const QString Makeable = MakeableText(*tBoard.Tricks);
    ptPen->Use(ptPen->SizeToFit(Makeable, tBox.width(), Size * 0.85));
    ptPen->Draw(Left, Top + 14.1 * Line, Line * 0.9, Makeable);
    ptPen->Use(Size);
  } else {
    ptPen->Use(Size * 0.85);
    const QString Text = QStringLiteral("No double dummy: ") + tBoard.DdProblem;
    ptPen->Draw(Left, Top + 13 * Line, Line, ptPen->Elided(Text, tBox.width()), kGrey);
    ptPen->Use(Size);
  }
}

// The calls in columns W, N, E, S from the dealer's; returns the height drawn.
qreal DrawAuction(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox, qreal Line) {
  static const QString aHeads[4] = {QStringLiteral("W"), QStringLiteral("N"), QStringLiteral("E"),
                                    QStringLiteral("S")};
  const qreal Column = tBox.width() / 4;
  ptPen->Painter()->fillRect(QRectF(tBox.left(), tBox.top(), tBox.width(), Line), kShade);
  for (int c = 0; c < 4; ++c)
    ptPen->Draw(tBox.left() + c * Column + 2, tBox.top(), Line, aHeads[c]);
  const int First = std::max<int>(0, QStringLiteral("WNES").indexOf(tBoard.Dealer));
  const int MaxRows = static_cast<int>(tBox.height() / Line) - 1;
  int Row = 0;
  for (int k = 0; k < tBoard.Auction.size(); ++k) {
    Row = (First + k) / 4;
    if (Row >= MaxRows) {
      ptPen->Draw(tBox.left() + 2, tBox.top() + MaxRows * Line, Line, QStringLiteral("\u2026"));
      return tBox.height();
    }
    ptPen->Draw(tBox.left() + ((First + k) % 4) * Column + 2, tBox.top() + (Row + 1) * Line, Line,
                tBoard.Auction[k]);
  }
  return (Row + 2) * Line;
}

// The contract, result and score, the players and the auction beside the deal.
void DrawBidding(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox, qreal Line) {
  qreal y = tBox.top();
  const auto Say = [&](const QString& Head, const QString& Text) {
    if (Text.isEmpty()) return;
    ptPen->Draw(tBox.left(), y, Line, ptPen->Elided(Head + Text, tBox.width()));
    y += Line;
  };
  Say(QStringLiteral("Contract "), tBoard.Contract);
  Say(QStringLiteral("Result "), tBoard.Result);
  Say(QStringLiteral("Score "), tBoard.Score);
  static const struct {
    pbn::PbnSideDef Side;
    const char* pcName;
  } atSeats[4] = {
      {PBN_NORTH, "North "}, {PBN_EAST, "East "}, {PBN_SOUTH, "South "}, {PBN_WEST, "West "}};
  const qreal NamesTop = y;
  for (const auto& tSeat : atSeats)
    Say(QString::fromLatin1(tSeat.pcName), tBoard.aPlayers[tSeat.Side]);
  if (y > NamesTop) y += Line * 0.3;
  if (tBoard.Auction.isEmpty()) return;
  y += Line * 0.3;
  DrawAuction(ptPen, tBoard, {tBox.left(), y, tBox.width(), tBox.bottom() - y}, Line);
}

// The play trick by trick: number, leader, the four cards in the order played.
void DrawPlay(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox, qreal Line) {
  const qreal Unit = tBox.width() / 13;
  ptPen->Painter()->fillRect(QRectF(tBox.left(), tBox.top(), tBox.width(), Line), kShade);
  ptPen->Draw(tBox.left() + 2, tBox.top(), Line, QStringLiteral("Play"));
  for (size_t t = 0; t < tBoard.atTricks.size(); ++t) {
    const TrickDef& tTrick = tBoard.atTricks[t];
    const qreal Top = tBox.top() + (t + 1) * Line;
    if (Top + Line > tBox.bottom()) break;
    ptPen->DrawRight(tBox.left() + 1.6 * Unit, Top, Line, QString::number(t + 1));
    ptPen->Draw(tBox.left() + 2.2 * Unit, Top, Line, tTrick.Leader, kGrey);
    for (int k = 0; k < 4; ++k)
      ptPen->Draw(tBox.left() + (3.4 + 2.4 * k) * Unit, Top, Line, tTrick.aCards[k]);
  }
}

// The traveller's columns: each as wide as its widest cell, the names cut where the table would
// pass the width, and the font made smaller where it still would.
struct TravellerLayoutDef {
  std::vector<qreal> aWidths;
  qreal Size;
  qreal Gap;
  qreal Width() const {
    qreal Sum = 0;
    for (qreal Column : aWidths)
      Sum += Column + Gap;
    return Sum - Gap;
  }
};

TravellerLayoutDef LayOutTraveller(PenDef* ptPen, const TravellerDef& tTraveller, qreal Width,
                                   qreal Size) {
  TravellerLayoutDef tLayout{{}, Size, 0};
  ptPen->Use(Size);
  tLayout.Gap = ptPen->Width(QStringLiteral("  "));
  const qsizetype NrColumns = tTraveller.Headers.size();
  tLayout.aWidths.assign(NrColumns, 0);
  for (qsizetype c = 0; c < NrColumns; ++c) {
    tLayout.aWidths[c] = ptPen->Width(tTraveller.Headers[c]);
    for (const QStringList& Row : tTraveller.aaRows)
      tLayout.aWidths[c] = std::max(tLayout.aWidths[c], ptPen->Width(Row.value(c)));
  }
  // The pairs' and teams' names share what the other columns leave, each at least an eighth of
  // the width.
  const auto IsName = [&](qsizetype c) {
    const QString& Header = tTraveller.Headers[c];
    return Header == QLatin1String("NS") || Header == QLatin1String("EW") ||
           Header.startsWith(QLatin1String("Team"));
  };
  qreal Others = 0;
  int NrNames = 0;
  for (qsizetype c = 0; c < NrColumns; ++c) {
    if (IsName(c)) {
      NrNames++;
    } else {
      Others += tLayout.aWidths[c];
    }
  }
  if (NrNames > 0 && tLayout.Width() > Width) {
    const qreal Share =
        std::max((Width - Others - (NrColumns - 1) * tLayout.Gap) / NrNames, Width / 8);
    for (qsizetype c = 0; c < NrColumns; ++c) {
      if (IsName(c)) tLayout.aWidths[c] = std::min(tLayout.aWidths[c], Share);
    }
  }
  const qreal Wide = tLayout.Width();
  if (Wide > Width) {
    const qreal Scale = std::max(Width / Wide, 0.6);
    tLayout.Size = Size * Scale;
    tLayout.Gap *= Scale;
    for (qreal& Column : tLayout.aWidths)
      Column *= Scale;
  }
  return tLayout;
}

void DrawTravellerRow(PenDef* ptPen, const TravellerDef& tTraveller,
                      const TravellerLayoutDef& tLayout, const QStringList& Cells, qreal Left,
                      qreal Top, qreal Line) {
  qreal x = Left;
  for (qsizetype c = 0; c < Cells.size() && c < static_cast<qsizetype>(tLayout.aWidths.size());
       ++c) {
    const QString Cell = ptPen->Elided(Cells[c], tLayout.aWidths[c] + tLayout.Gap * 0.5);
    if (tTraveller.abRight[c]) {
      ptPen->DrawRight(x + tLayout.aWidths[c], Top, Line, Cell);
    } else {
      ptPen->Draw(x, Top, Line, Cell);
    }
    x += tLayout.aWidths[c] + tLayout.Gap;
  }
}

// The traveller, play and commentary of a detailed board, laid out down the rest of its cell and
// then, where the layout lets a board go on (one a page), down the whole of further pages.
// Only what falls on the part asked for is drawn, so that a measure (no part) and every page lay
// out alike.
class DetailsFlowDef {
 public:
  DetailsFlowDef(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox, qreal Top, qreal Line,
                 qreal Size, int MaxParts, int DrawPart)
      : ptPen_(ptPen),
        tBoard_(tBoard),
        tBox_(tBox),
        Line_(Line),
        Size_(Size),
        MaxParts_(MaxParts),
        DrawPart_(DrawPart),
        y_(Top) {}

  // The parts used: 1 when everything fits the cell.
  int Lay() {
    if (tBoard_.Traveller) LayTraveller(*tBoard_.Traveller);
    if (!bCut_ && (!tBoard_.atTricks.empty() || !tBoard_.Commentary.isEmpty())) {
      y_ += Line_ * 0.5;
      LayPlayAndCommentary();
    }
    return Part_ + 1;
  }

 private:
  bool Drawing() const { return Part_ == DrawPart_; }
  qreal Room() const { return tBox_.bottom() - y_; }

  // Whether the part being laid out is the board's last.
  bool LastPart() const { return Part_ + 1 >= MaxParts_; }

  // Goes on to the next page, under a heading that names the board; false on the last part.
  bool NextPart() {
    if (LastPart()) return false;
    Part_++;
    y_ = tBox_.top();
    ptPen_->Use(Size_, true);
    if (Drawing())
      ptPen_->Draw(tBox_.left(), y_, Line_,
                   QStringLiteral("Board %1, continued").arg(tBoard_.Board));
    ptPen_->Use(Size_ * 0.9);
    y_ += Line_ * 1.5;
    return true;
  }

  // A cell that cannot hold the rest ends in Text ("…") from Left on the line at Top.
  void Cut(qreal Left, qreal Top, const QString& Text) {
    if (Drawing()) ptPen_->Draw(Left, Top, Line_ * 0.9, Text, kGrey);
    bCut_ = true;
  }

  void LayTraveller(const TravellerDef& tTraveller) {
    const qreal Row = Line_ * 0.9;
    const TravellerLayoutDef tLayout =
        LayOutTraveller(ptPen_, tTraveller, tBox_.width(), Size_ * 0.9);
    const auto Head = [&] {
      ptPen_->Use(tLayout.Size, true);
      if (Drawing()) {
        ptPen_->Draw(tBox_.left(), y_, Row, tTraveller.Heading);
        ptPen_->Painter()->fillRect(QRectF(tBox_.left(), y_ + Row, tLayout.Width(), Row), kShade);
      }
      ptPen_->Use(tLayout.Size);
      if (Drawing())
        DrawTravellerRow(ptPen_, tTraveller, tLayout, tTraveller.Headers, tBox_.left(), y_ + Row,
                         Row);
      y_ += 2 * Row;
    };
    if (Room() < 4 * Row && !NextPart()) return Cut(tBox_.left(), y_, kEllipsis);
    Head();
    for (size_t r = 0; r < tTraveller.aaRows.size(); ++r) {
      const size_t NrLeft = tTraveller.aaRows.size() - r;
      if (LastPart() && Room() < (NrLeft > 1 ? 2 : 1) * Row) {
        return Cut(tBox_.left(), y_,
                   QStringLiteral("\u2026 %1 more results").arg(static_cast<qulonglong>(NrLeft)));
      }
      if (Room() < Row) {
        NextPart();
        Head();
      }
      const bool bOwn = static_cast<int>(r) == tTraveller.OwnRow;
      ptPen_->Use(tLayout.Size, bOwn);
      if (Drawing()) {
        DrawTravellerRow(ptPen_, tTraveller, tLayout, tTraveller.aaRows[r], tBox_.left(), y_, Row);
      }
      y_ += Row;
    }
    ptPen_->Use(Size_ * 0.9);
  }

  // The play trick by trick in a column at the left, the commentary beside it and then under it.
  void LayPlayAndCommentary() {
    const qreal Small = Line_ * 0.9;
    ptPen_->Use(Size_ * 0.9);
    qreal CommentLeft = tBox_.left();
    qreal PlayBottom = y_;
    int PlayPart = Part_;
    if (!tBoard_.atTricks.empty()) {
      const qreal Height = (tBoard_.atTricks.size() + 1) * Small;
      if (Height > Room() && y_ > tBox_.top() + 2 * Line_) NextPart();
      const qreal PlayWidth = std::min(tBox_.width() * 0.4, 13 * 1.3 * Size_);
      PlayPart = Part_;
      if (Drawing()) DrawPlay(ptPen_, tBoard_, {tBox_.left(), y_, PlayWidth, Room()}, Small);
      CommentLeft += PlayWidth + Line_;
      PlayBottom = y_ + Height;
    }
    const qreal Space = ptPen_->Width(QStringLiteral(" "));
    const QStringList& Paragraphs = tBoard_.Commentary;
    for (qsizetype p = 0; p < Paragraphs.size(); ++p) {
      const QStringList Words = Paragraphs[p].split(QLatin1Char(' '), Qt::SkipEmptyParts);
      if (Words.isEmpty()) {  // an empty line, but none at the top of a page
        if (y_ > tBox_.top() + 2 * Line_ || Part_ == 0) y_ += Small * 0.6;
        continue;
      }
      qsizetype Next = 0;
      while (Next < Words.size()) {
        if (Room() < Small && !NextPart()) return;
        // The last line a cell holds keeps room for the "…" of what does not fit.
        const bool bLastLine = LastPart() && Room() < 2 * Small;
        const qreal Right = tBox_.right() - (bLastLine ? ptPen_->Width(kEllipsis) : 0);
        const bool bBeside = Part_ == PlayPart && y_ < PlayBottom;
        Next = LayCommentLine(Words, Next, bBeside ? CommentLeft : tBox_.left(), Right, Space);
        y_ += Small;
        if (bLastLine && (Next < Words.size() || WordsAfter(p))) {
          return Cut(Right, y_ - Small, kEllipsis);
        }
      }
    }
  }

  bool WordsAfter(qsizetype Paragraph) const {
    for (qsizetype p = Paragraph + 1; p < tBoard_.Commentary.size(); ++p) {
      if (!tBoard_.Commentary[p].trimmed().isEmpty()) return true;
    }
    return false;
  }

  // Words from First that fit one line from Left to Right (at least one, cut where it is wider
  // than the line); the first word of the next line.
  qsizetype LayCommentLine(const QStringList& Words, qsizetype First, qreal Left, qreal Right,
                           qreal Space) {
    qreal x = Left;
    qsizetype i = First;
    for (; i < Words.size(); ++i) {
      const qreal Wide = ptPen_->Width(Words[i]);
      if (i > First && x + Wide > Right) break;
      if (Drawing()) {
        ptPen_->Draw(x, y_, Line_ * 0.9,
                     i == First ? ptPen_->Elided(Words[i], Right - Left) : Words[i]);
      }
      x += Wide + Space;
    }
    return i;
  }

  PenDef* ptPen_;
  const BoardDef& tBoard_;
  QRectF tBox_;
  qreal Line_;
  qreal Size_;
  int MaxParts_;
  int DrawPart_;
  qreal y_;
  int Part_ = 0;
  bool bCut_ = false;
};

// A board with its traveller, auction, play and commentary, for one or two boards a page, in
// tBox; what it cannot hold goes on to further pages of the same box, up to MaxParts. Draws part
// DrawPart (0: the page of the deal; kMeasureOnly: nothing) and returns the parts it takes.
constexpr int kUnlimitedParts = 1 << 20;
constexpr int kMeasureOnly = -1;
int DrawDetailedBoard(PenDef* ptPen, const BoardDef& tBoard, bool bDoubleDummy, const QRectF& tBox,
                      int MaxParts, int DrawPart) {
  const qreal DealWidth = tBox.width() * 0.6;
  // The lines as far apart as the width allows (at most 18 pt) where the traveller and the play
  // fit the height at that, and closer down to a thirtieth of the height where they do not.
  const qreal Widest = std::min(DealWidth / 3 / 6.4 / 0.74, 18.0);
  qreal NrLines = DealLines(bDoubleDummy) + 2;  // the gaps, and a line to spare
  if (tBoard.Traveller) NrLines += (tBoard.Traveller->aaRows.size() + 2) * 0.9;
  if (!tBoard.atTricks.empty()) NrLines += 0.5 + (tBoard.atTricks.size() + 1) * 0.9;
  const qreal Line = std::min(Widest, tBox.height() / std::clamp(NrLines, 20.0, 30.0));
  const QRectF tDeal(tBox.left(), tBox.top(), DealWidth, DealLines(bDoubleDummy) * Line);
  const qreal Size = std::min(Line * 0.74, DealWidth / 3 / 6.4);
  if (DrawPart == 0) {
    DrawDeal(ptPen, tBoard, bDoubleDummy, tDeal);
    ptPen->Use(Size);
    DrawBidding(
        ptPen, tBoard,
        {tDeal.right() + Line, tBox.top(), tBox.right() - tDeal.right() - Line, tDeal.height()},
        Line);
  }
  DetailsFlowDef tFlow(ptPen, tBoard, tBox, tDeal.bottom() + Line * 0.6, Line, Size, MaxParts,
                       DrawPart);
  return tFlow.Lay();
}

// The head and foot take the date and file of the page's first board. A title too long for the
// room beside the date is set smaller, down to 9 pt, then cut; a file name too long for the room
// beside the foot's note is cut in the middle.
void DrawHeadAndFoot(PenDef* ptPen, const DocumentDef& tDocument, const BoardDef* ptFirst,
                     const QSizeF& tPage, int PageNr, int NrPages) {
  constexpr qreal kTitleSize = 13;
  constexpr qreal kSmallestTitle = 9;
  constexpr qreal kSpace = 12;  // between texts of one line
  const QString Date = ptFirst != nullptr ? ptFirst->Date : QString();
  const QString FileName =
      ptFirst != nullptr && !ptFirst->FileName.isEmpty() ? ptFirst->FileName : tDocument.FileName;
  const qreal Right = tPage.width() - kMargin;
  ptPen->Use(10);
  const qreal DateWidth = Date.isEmpty() ? 0 : ptPen->Width(Date) + kSpace;
  const qreal TitleWidth = Right - kMargin - DateWidth;
  ptPen->Use(
      std::max(kSmallestTitle, ptPen->SizeToFit(tDocument.Title, TitleWidth, kTitleSize, true)),
      true);
  ptPen->Draw(kMargin, kMargin, kHeadHeight - 6, ptPen->Elided(tDocument.Title, TitleWidth));
  ptPen->Use(10);
  ptPen->DrawRight(Right, kMargin, kHeadHeight - 6, Date);
  QPainter* ptPainter = ptPen->Painter();
  ptPainter->setPen(kRule);
  ptPainter->drawLine(QPointF(kMargin, kMargin + kHeadHeight - 4),
                      QPointF(Right, kMargin + kHeadHeight - 4));
  const qreal FootTop = tPage.height() - kMargin - kFootHeight + 4;
  ptPainter->setPen(kRule);
  ptPainter->drawLine(QPointF(kMargin, FootTop), QPointF(Right, FootTop));
  ptPen->Use(8);
  const QString PageText = QStringLiteral("Page %1 of %2").arg(PageNr).arg(NrPages);
  const QRectF tFoot(kMargin, FootTop + 2, Right - kMargin, kFootHeight - 4);
  qreal NameRight = Right - ptPen->Width(PageText) - kSpace;
  if (tDocument.bDoubleDummy) {
    const QString Note = QStringLiteral("Double dummy: tricks by declarer and strain");
    ptPen->DrawCentred(tFoot, Note, kGrey);
    NameRight = tFoot.center().x() - ptPen->Width(Note) / 2 - kSpace;
  }
  ptPen->Draw(kMargin, tFoot.top(), tFoot.height(),
              ptPen->Elided(FileName, NameRight - kMargin, Qt::ElideMiddle), kGrey);
  ptPen->DrawRight(Right, tFoot.top(), tFoot.height(), PageText, kGrey);
}

// The body of a page between its head and foot.
QRectF PageBody(const QSizeF& tPage) {
  return {kMargin, kMargin + kHeadHeight + 4, tPage.width() - 2 * kMargin,
          tPage.height() - 2 * kMargin - kHeadHeight - kFootHeight - 8};
}

// The cell of board k of a page, and its inside where the board is drawn.
QRectF PageCell(const DocumentDef& tDocument, const QSizeF& tPage, size_t k) {
  const GridDef tGrid = GridFor(tDocument.PerPage);
  const QRectF tBody = PageBody(tPage);
  const qreal Width = (tBody.width() - (tGrid.Columns - 1) * kGap) / tGrid.Columns;
  const qreal Height = (tBody.height() - (tGrid.Rows - 1) * kGap) / tGrid.Rows;
  const int Column = static_cast<int>(k) % tGrid.Columns;
  const int Row = static_cast<int>(k) / tGrid.Columns;
  return {tBody.left() + Column * (Width + kGap), tBody.top() + Row * (Height + kGap), Width,
          Height};
}

QRectF CellInside(const QRectF& tCell) {
  const qreal Pad = std::min(tCell.width(), tCell.height()) * 0.04;
  return tCell.adjusted(Pad, Pad, -Pad, -Pad);
}

// Draws the page that holds atBoards, or Part (1 on) of the NrParts of the one board it goes on
// with.
void DrawPage(PenDef* ptPen, const DocumentDef& tDocument, const std::vector<BoardDef>& atBoards,
              const QSizeF& tPage, int PageNr, int NrPages, int Part, int NrParts) {
  DrawHeadAndFoot(ptPen, tDocument, atBoards.empty() ? nullptr : &atBoards.front(), tPage, PageNr,
                  NrPages);
  for (size_t k = 0; k < atBoards.size(); ++k) {
    const QRectF tCell = PageCell(tDocument, tPage, k);
    ptPen->Painter()->setPen(kRule);
    ptPen->Painter()->drawRect(tCell);
    const QRectF tInner = CellInside(tCell);
    if (PerPageWithDetails(tDocument.PerPage)) {
      DrawDetailedBoard(ptPen, atBoards[k], tDocument.bDoubleDummy, tInner, NrParts, Part);
    } else {
      // Lines no further apart than half again the font's size, the deal in the middle.
      const int NrLines = DealLines(tDocument.bDoubleDummy);
      const qreal Line = std::min(tInner.height() / NrLines, tInner.width() / 3 / 6.4 * 1.5 / 0.74);
      const qreal Top = tInner.top() + (tInner.height() - NrLines * Line) / 2;
      DrawDeal(ptPen, atBoards[k], tDocument.bDoubleDummy,
               {tInner.left(), Top, tInner.width(), NrLines * Line});
    }
  }
}

// A page of the document: its boards, and the part of a board that goes on over pages.
struct PagePlanDef {
  size_t First;
  size_t End;
  int Part;
  int NrParts;  // of the board that goes on
};

QSizeF PageSize(const QPaintDevice& tDevice) {
  const qreal Dpi = tDevice.logicalDpiX();
  return {tDevice.width() * 72.0 / Dpi, tDevice.height() * 72.0 / Dpi};
}

std::vector<PagePlanDef> PagesOf(const DocumentDef& tDocument) {
  std::vector<PagePlanDef> atPages;
  const size_t PerPage = static_cast<size_t>(std::max(tDocument.PerPage, 1));
  for (size_t First = 0; First < tDocument.NrBoards; First += PerPage) {
    const size_t End = std::min(First + PerPage, tDocument.NrBoards);
    const int NrParts =
        First < tDocument.aBoardPages.size() ? std::max(tDocument.aBoardPages[First], 1) : 1;
    for (int Part = 0; Part < NrParts; ++Part)
      atPages.push_back({First, End, Part, NrParts});
  }
  return atPages;
}

}  // namespace

bool PerPageOffered(int PerPage) {
  return std::find(std::begin(kPerPageChoices), std::end(kPerPageChoices), PerPage) !=
         std::end(kPerPageChoices);
}

QPageSize::PageSizeId DefaultPaper() {
  // glibc keeps the paper of each locale (LC_PAPER); Letter is 279 mm high.
  const char* pcOld = std::setlocale(LC_PAPER, nullptr);
  const std::string Old = pcOld != nullptr ? pcOld : "C";
  std::setlocale(LC_PAPER, "");
  const auto Height = reinterpret_cast<std::intptr_t>(nl_langinfo(_NL_PAPER_HEIGHT));
  std::setlocale(LC_PAPER, Old.c_str());
  return Height == 279 ? QPageSize::Letter : QPageSize::A4;
}

int PageCount(const DocumentDef& tDocument) {
  return static_cast<int>(PagesOf(tDocument).size());
}

std::pair<size_t, size_t> PageBoards(const DocumentDef& tDocument, int First, int Last) {
  const std::vector<PagePlanDef> atPages = PagesOf(tDocument);
  const auto NrPages = static_cast<int>(atPages.size());
  First = std::max(First, 1);
  Last = std::min(Last, NrPages);
  if (First > Last) return {0, 0};
  return {atPages[First - 1].First, atPages[Last - 1].End};
}

void PlanPages(DocumentDef* ptDocument, QPageSize::PageSizeId Paper) {
  ptDocument->aBoardPages.clear();
  if (ptDocument->PerPage != 1) return;
  QBuffer tNowhere;  // the PDF's own metrics, nothing written
  tNowhere.open(QIODevice::WriteOnly);
  QPdfWriter tWriter(&tNowhere);
  tWriter.setPageSize(QPageSize(Paper));
  tWriter.setPageMargins(QMarginsF(0, 0, 0, 0));
  PenDef tPen(nullptr, &tWriter);
  const QRectF tInside = CellInside(PageCell(*ptDocument, PageSize(tWriter), 0));
  for (size_t i = 0; i < ptDocument->NrBoards; ++i) {
    ptDocument->aBoardPages.push_back(DrawDetailedBoard(&tPen, ptDocument->Board(i),
                                                        ptDocument->bDoubleDummy, tInside,
                                                        kUnlimitedParts, kMeasureOnly));
  }
}

bool DrawPages(QPainter* ptPainter, QPagedPaintDevice* ptDevice, const DocumentDef& tDocument,
               int First, int Last, const std::function<bool(int)>& Keep) {
  const qreal Dpi = ptDevice->logicalDpiX();
  const QSizeF tPage = PageSize(*ptDevice);
  PenDef tPen(ptPainter, ptDevice);
  const std::vector<PagePlanDef> atPages = PagesOf(tDocument);
  const int NrPages = static_cast<int>(atPages.size());
  ptPainter->save();
  ptPainter->scale(Dpi / 72.0, Dpi / 72.0);
  bool bDone = true;
  std::vector<BoardDef> atBoards;
  size_t BoardsFirst = tDocument.NrBoards;  // the first of atBoards
  for (int PageNr = std::max(First, 1); PageNr <= std::min(Last, NrPages); ++PageNr) {
    if (Keep && !Keep(PageNr)) {
      bDone = false;
      break;
    }
    if (PageNr > std::max(First, 1)) ptDevice->newPage();
    const PagePlanDef& tPlan = atPages[PageNr - 1];
    if (tPlan.First != BoardsFirst) {  // a board that goes on is loaded once for its pages
      atBoards.clear();
      for (size_t i = tPlan.First; i < tPlan.End; ++i)
        atBoards.push_back(tDocument.Board(i));
      BoardsFirst = tPlan.First;
    }
    DrawPage(&tPen, tDocument, atBoards, tPage, PageNr, NrPages, tPlan.Part, tPlan.NrParts);
  }
  ptPainter->restore();
  return bDone;
}

}  // namespace records
