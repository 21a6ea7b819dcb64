#include "records/pages.h"

#include <langinfo.h>

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
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
  PenDef(QPainter* ptPainter, qreal Dpi) : ptPainter_(ptPainter), Dpi_(Dpi) {}

  void Use(qreal Points, bool bBold = false) {
    QFont tFont(QStringLiteral("DejaVu Sans"));
    tFont.setPointSizeF(Points * 72.0 / Dpi_);
    tFont.setBold(bBold);
    ptPainter_->setFont(tFont);
    Points_ = Points;
  }
  qreal Size() const { return Points_; }
  QFontMetricsF Metrics() const { return QFontMetricsF(ptPainter_->font(), ptPainter_->device()); }
  qreal Width(const QString& Text) const { return Metrics().horizontalAdvance(Text); }

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

  QPainter* Painter() const { return ptPainter_; }

 private:
  qreal DrawRun(qreal x, qreal Baseline, const QString& Run, const QColor& Colour) {
    if (Run.isEmpty()) return x;
    ptPainter_->setPen(Colour);
    ptPainter_->drawText(QPointF(x, Baseline), Run);
    return x + Width(Run);
  }

  QPainter* ptPainter_;
  qreal Dpi_;
  qreal Points_ = 10;
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

// The high-card points of the four hands round a small square in the middle of the deal.
void DrawPoints(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox) {
  QPainter* ptPainter = ptPen->Painter();
  ptPainter->setPen(kRule);
  ptPainter->setBrush(kShade);
  ptPainter->drawRect(tBox);
  ptPainter->setBrush(Qt::NoBrush);
  const qreal Third = tBox.height() / 3;
  const auto Points = [&](pbn::PbnSideDef Side) {
    const HandDef& tHand = tBoard.atHands[Side];
    return tHand.bGiven ? QString::number(tHand.Points) : QString();
  };
  ptPen->DrawCentred({tBox.left(), tBox.top(), tBox.width(), Third}, Points(PBN_NORTH));
  ptPen->DrawCentred({tBox.left(), tBox.bottom() - Third, tBox.width(), Third}, Points(PBN_SOUTH));
  ptPen->Draw(tBox.left() + 2, tBox.top() + Third, Third, Points(PBN_WEST));
  ptPen->DrawRight(tBox.right() - 2, tBox.top() + Third, Third, Points(PBN_EAST));
}

// Declarers down (N, S, E, W), strains across (NT, spades, hearts, diamonds, clubs): the tricks.
void DrawTricks(PenDef* ptPen, const analysis::DdTableDef& aaTricks, const QRectF& tBox) {
  static constexpr pbn::PbnSideDef aSides[4] = {PBN_NORTH, PBN_SOUTH, PBN_EAST, PBN_WEST};
  static constexpr pbn::PbnTrumpDef aTrumps[5] = {
      pbn::PBN_TRUMP_NT, pbn::PBN_SPADES, pbn::PBN_HEARTS, pbn::PBN_DIAMONDS, pbn::PBN_CLUBS};
  const qreal Column = tBox.width() / 5.7;  // the declarers' column is 0.7 of it
  const qreal Row = tBox.height() / 5;
  ptPen->Use(std::min(ptPen->Size(), Column * 0.5));
  QPainter* ptPainter = ptPen->Painter();
  ptPainter->fillRect(QRectF(tBox.left(), tBox.top(), tBox.width(), Row), kShade);
  for (int c = 0; c < 5; ++c) {
    const QString Head =
        aTrumps[c] == pbn::PBN_TRUMP_NT ? QStringLiteral("NT") : SuitSymbol(aTrumps[c]);
    ptPen->DrawCentred({tBox.left() + (c + 0.7) * Column, tBox.top(), Column, Row}, Head);
  }
  for (int r = 0; r < 4; ++r) {
    const qreal Top = tBox.top() + (r + 1) * Row;
    ptPen->DrawCentred({tBox.left(), Top, 0.7 * Column, Row},
                       QString(QLatin1Char("SWNE"[aSides[r]])));
    for (int c = 0; c < 5; ++c) {
      ptPen->DrawCentred({tBox.left() + (c + 0.7) * Column, Top, Column, Row},
                         QString::number(aaTricks[aSides[r]][aTrumps[c]]));
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

// The deal in compass layout in Box, 14 lines high: the board, dealer and vulnerability top left,
// the table of tricks bottom left, par bottom right, the points in the middle. Size is the font's,
// at most what lets a hand of ten cards in one suit fit its third of the width.
void DrawDeal(PenDef* ptPen, const BoardDef& tBoard, bool bDoubleDummy, const QRectF& tBox) {
  const qreal Line = tBox.height() / 14;
  const qreal Third = tBox.width() / 3;
  const qreal Size = std::min(Line * 0.74, Third / 6.4);
  const qreal Left = tBox.left();
  const qreal Top = tBox.top();

  const QString Board = QStringLiteral("Board ") + tBoard.Board;
  ptPen->Use(Size * 1.5, true);
  if (ptPen->Width(Board) > Third - Line)
    ptPen->Use(Size * 1.5 * (Third - Line) / ptPen->Width(Board), true);
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
  const qreal Side = std::min(3.6 * Line, Third * 0.8);
  DrawPoints(ptPen, tBoard,
             {Left + 1.5 * Third - Side / 2, Top + 6.5 * Line - Side / 2, Side, Side});

  if (!bDoubleDummy) return;
  if (tBoard.Tricks) {
    ptPen->Use(Size * 0.85);
    const qreal TableWidth = std::min(Third - Line * 0.3, 9 * Line);
    DrawTricks(ptPen, *tBoard.Tricks, {Left, Top + 9 * Line, TableWidth, 5 * Line});
    ptPen->Use(Size);
    DrawPar(ptPen, tBoard, Left + 2 * Third + Line * 0.3, Top + 9 * Line, Third - Line * 0.3, Line);
  } else {
    ptPen->Use(Size * 0.85);
    const QString Text = QStringLiteral("No double dummy: ") + tBoard.DdProblem;
    ptPen->Draw(Left, Top + 13 * Line, Line,
                ptPen->Metrics().elidedText(Text, Qt::ElideRight, tBox.width()), kGrey);
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

// The contract, the result and the auction beside the deal.
void DrawBidding(PenDef* ptPen, const BoardDef& tBoard, const QRectF& tBox, qreal Line) {
  qreal y = tBox.top();
  if (!tBoard.Contract.isEmpty()) {
    ptPen->Draw(tBox.left(), y, Line, QStringLiteral("Contract ") + tBoard.Contract);
    y += Line;
  }
  if (!tBoard.Result.isEmpty()) {
    ptPen->Draw(tBox.left(), y, Line, QStringLiteral("Result ") + tBoard.Result);
    y += Line;
  }
  if (tBoard.Auction.isEmpty()) return;
  y += Line * 0.5;
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

// The commentary, wrapped at spaces to the box; what does not fit ends in "…".
void DrawCommentary(PenDef* ptPen, const QStringList& Lines, const QRectF& tBox, qreal Line) {
  qreal y = tBox.top();
  const qreal Space = ptPen->Width(QStringLiteral(" "));
  for (const QString& Text : Lines) {
    qreal x = tBox.left();
    for (const QString& Word : Text.split(QLatin1Char(' '))) {
      const qreal Width = ptPen->Width(Word);
      if (x > tBox.left() && x + Width > tBox.right()) {
        x = tBox.left();
        y += Line;
      }
      if (y + Line > tBox.bottom()) {
        ptPen->DrawRight(tBox.right(), y - Line, Line, QStringLiteral("\u2026"));
        return;
      }
      ptPen->Draw(x, y, Line, Word);
      x += Width + Space;
    }
    y += Line;
  }
}

// A board with its auction, play and commentary, for one or two boards a page.
void DrawDetailedBoard(PenDef* ptPen, const BoardDef& tBoard, bool bDoubleDummy,
                       const QRectF& tBox) {
  const qreal DealWidth = tBox.width() * 0.6;
  const qreal Line = std::min({DealWidth / 3 / 6.4 / 0.74, tBox.height() / 30, 18.0});
  const QRectF tDeal(tBox.left(), tBox.top(), DealWidth, 14 * Line);
  DrawDeal(ptPen, tBoard, bDoubleDummy, tDeal);
  const qreal Size = std::min(Line * 0.74, DealWidth / 3 / 6.4);
  ptPen->Use(Size);
  DrawBidding(
      ptPen, tBoard,
      {tDeal.right() + Line, tBox.top(), tBox.right() - tDeal.right() - Line, tDeal.height()},
      Line);
  const qreal Top = tDeal.bottom() + Line;
  const qreal Small = Line * 0.9;
  ptPen->Use(Size * 0.9);
  qreal CommentLeft = tBox.left();
  if (!tBoard.atTricks.empty()) {
    const qreal PlayWidth = std::min(tBox.width() * 0.4, 13 * 1.3 * Size);
    DrawPlay(ptPen, tBoard, {tBox.left(), Top, PlayWidth, tBox.bottom() - Top}, Small);
    CommentLeft += PlayWidth + Line;
  }
  DrawCommentary(ptPen, tBoard.Commentary,
                 {CommentLeft, Top, tBox.right() - CommentLeft, tBox.bottom() - Top}, Small);
}

// The head and foot take the date and file of the page's first board.
void DrawHeadAndFoot(PenDef* ptPen, const DocumentDef& tDocument, const BoardDef* ptFirst,
                     const QSizeF& tPage, int PageNr, int NrPages) {
  const QString Date = ptFirst != nullptr ? ptFirst->Date : QString();
  const QString FileName =
      ptFirst != nullptr && !ptFirst->FileName.isEmpty() ? ptFirst->FileName : tDocument.FileName;
  const qreal Right = tPage.width() - kMargin;
  ptPen->Use(13, true);
  ptPen->Draw(kMargin, kMargin, kHeadHeight - 6, tDocument.Title);
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
  ptPen->Draw(kMargin, FootTop + 2, kFootHeight - 4, FileName, kGrey);
  if (tDocument.bDoubleDummy) {
    ptPen->DrawCentred({kMargin, FootTop + 2, Right - kMargin, kFootHeight - 4},
                       QStringLiteral("Double dummy: tricks by declarer and strain"), kGrey);
  }
  ptPen->DrawRight(Right, FootTop + 2, kFootHeight - 4,
                   QStringLiteral("Page %1 of %2").arg(PageNr).arg(NrPages), kGrey);
}

void DrawPage(PenDef* ptPen, const DocumentDef& tDocument, const std::vector<BoardDef>& atBoards,
              const QSizeF& tPage, int PageNr, int NrPages) {
  DrawHeadAndFoot(ptPen, tDocument, atBoards.empty() ? nullptr : &atBoards.front(), tPage, PageNr,
                  NrPages);
  const GridDef tGrid = GridFor(tDocument.PerPage);
  const QRectF tBody(kMargin, kMargin + kHeadHeight + 4, tPage.width() - 2 * kMargin,
                     tPage.height() - 2 * kMargin - kHeadHeight - kFootHeight - 8);
  const qreal Width = (tBody.width() - (tGrid.Columns - 1) * kGap) / tGrid.Columns;
  const qreal Height = (tBody.height() - (tGrid.Rows - 1) * kGap) / tGrid.Rows;
  const qreal Pad = std::min(Width, Height) * 0.04;
  for (size_t k = 0; k < atBoards.size(); ++k) {
    const int Column = static_cast<int>(k) % tGrid.Columns;
    const int Row = static_cast<int>(k) / tGrid.Columns;
    const QRectF tCell(tBody.left() + Column * (Width + kGap), tBody.top() + Row * (Height + kGap),
                       Width, Height);
    ptPen->Painter()->setPen(kRule);
    ptPen->Painter()->drawRect(tCell);
    const QRectF tInner = tCell.adjusted(Pad, Pad, -Pad, -Pad);
    if (PerPageWithDetails(tDocument.PerPage)) {
      DrawDetailedBoard(ptPen, atBoards[k], tDocument.bDoubleDummy, tInner);
    } else {
      // Lines no further apart than half again the font's size, the deal in the middle.
      const qreal Line = std::min(tInner.height() / 14, tInner.width() / 3 / 6.4 * 1.5 / 0.74);
      const qreal Top = tInner.top() + (tInner.height() - 14 * Line) / 2;
      DrawDeal(ptPen, atBoards[k], tDocument.bDoubleDummy,
               {tInner.left(), Top, tInner.width(), 14 * Line});
    }
  }
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
  const size_t PerPage = static_cast<size_t>(std::max(tDocument.PerPage, 1));
  return static_cast<int>((tDocument.NrBoards + PerPage - 1) / PerPage);
}

bool DrawPages(QPainter* ptPainter, QPagedPaintDevice* ptDevice, const DocumentDef& tDocument,
               int First, int Last, const std::function<bool(int)>& Keep) {
  const int NrPages = PageCount(tDocument);
  const qreal Dpi = ptDevice->logicalDpiX();
  const QSizeF tPage(ptDevice->width() * 72.0 / Dpi, ptDevice->height() * 72.0 / Dpi);
  PenDef tPen(ptPainter, Dpi);
  ptPainter->save();
  ptPainter->scale(Dpi / 72.0, Dpi / 72.0);
  bool bDone = true;
  for (int PageNr = std::max(First, 1); PageNr <= std::min(Last, NrPages); ++PageNr) {
    if (Keep && !Keep(PageNr)) {
      bDone = false;
      break;
    }
    if (PageNr > std::max(First, 1)) ptDevice->newPage();
    const size_t Begin = static_cast<size_t>(PageNr - 1) * tDocument.PerPage;
    const size_t End = std::min(Begin + tDocument.PerPage, tDocument.NrBoards);
    std::vector<BoardDef> atBoards;
    for (size_t i = Begin; i < End; ++i)
      atBoards.push_back(tDocument.Board(i));
    DrawPage(&tPen, tDocument, atBoards, tPage, PageNr, NrPages);
  }
  ptPainter->restore();
  return bDone;
}

}  // namespace records
