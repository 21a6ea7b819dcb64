#include "records/board.h"

#include <cstring>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "core/score.h"
#include "core/text.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"

namespace records {

namespace {

using namespace pbn;

QString PbnString(std::string_view Text) {
  return QString::fromStdString(PbnTextToUtf8(Text));
}

QString TagString(const PbnGameTagsDef& tTags, int TagId) {
  return PbnString(TagValueText(TagValue(tTags, TagId)));
}

QString SideLetter(PbnSideDef Side) {
  return PbnSideIsValid(Side) ? QString(QLatin1Char("SWNE"[Side])) : QString();
}

// The ten as "10", as hand records print it.
QString PrintedTens(const std::string& Text) {
  return QString::fromStdString(Text).replace(QLatin1Char('T'), QLatin1String("10"));
}

HandDef HandOf(const PbnHandDef& tHand) {
  HandDef tOut;
  tOut.bGiven = (tHand.Ranks[0] | tHand.Ranks[1] | tHand.Ranks[2] | tHand.Ranks[3]) != 0;
  for (int Suit = PBN_SPADES; Suit >= PBN_CLUBS; --Suit)
    tOut.aSuits[PBN_SPADES - Suit] = PrintedTens(RanksText(tHand.Ranks[Suit]));
  tOut.Points = HandPoints(tHand);
  return tOut;
}

QStringList AuctionOf(const PbnAuctionDef& tAuction) {
  QStringList Calls;
  const int NrCalls = std::min<int>(tAuction.NrCalls, PBN_MAX_CALLS);
  for (int Call = 0; Call < NrCalls; ++Call)
    Calls << QString::fromStdString(CallText(tAuction.atCalls[Call], apcPbnStrainSymbols));
  return Calls;
}

QString ContractOf(const PbnContractDef& tContract) {
  if (tContract.Trump == PBN_TRUMP_PASS) return QStringLiteral("Passed out");
  QString Text = QString::fromStdString(ContractText(tContract, apcPbnStrainSymbols));
  if (!Text.isEmpty() && PbnSideIsValid(tContract.Declarer))
    Text += QStringLiteral(" by ") + SideLetter(tContract.Declarer);
  return Text;
}

QString ResultOf(PbnResultDef Result) {
  const int Tricks = Result & ~PBN_RESULT_IRREGULAR;
  return Tricks <= 13 ? QString::number(Tricks) + QStringLiteral(" tricks") : QString();
}

// The chronological play entries of tGameAdmin, four to a trick.
std::vector<TrickDef> TricksOfPlay() {
  std::vector<TrickDef> atTricks;
  const int NrEntries = PlayNrEntries();
  for (int First = 0; First < NrEntries; First += 4) {
    TrickDef tTrick;
    tTrick.Leader = SideLetter(tGameAdmin.atPlayCards[First].Side & 3);
    for (int k = 0; k < 4 && First + k < NrEntries; ++k)
      tTrick.aCards[k] =
          PrintedTens(CardText(tGameAdmin.atPlayCards[First + k].Card, apcPbnStrainSymbols));
    atTricks.push_back(tTrick);
  }
  return atTricks;
}

// A line of commentary and whether it is running text that a file may have wrapped (no
// section header, no note).
struct CommentLineDef {
  QString Text;
  bool bRunning;
};

// The annotation lines between the game's mistakes and its tables and other tags, which are no
// commentary; a section header (AUCTION, PLAY) with no comment under it is left out.
std::vector<CommentLineDef> CommentLines() {
  std::vector<CommentLineDef> atLines;
  bool bHeaderLast = false;
  const UInt32 End = std::min<UInt32>(TextAnnoNrLines(), tAnnoAdmin.tTables.FirstLine);
  const UInt32 First = UInt32{tAnnoAdmin.tMistakes.FirstLine} + tAnnoAdmin.tMistakes.NrLines;
  for (UInt32 Line = First; Line < End; ++Line) {
    const unsigned char* pcLine = TextAnnoLine(Line);
    if (pcLine == nullptr) break;
    const bool bHeader = AnnoHeaderText(pcLine[0]) != nullptr;
    if (bHeader && bHeaderLast) atLines.pop_back();
    const bool bNote =
        std::strchr(reinterpret_cast<const char*>(pcLine), ANNO_NOTE_BEGIN) != nullptr;
    atLines.push_back({QString::fromStdString(AnnoLineText(pcLine)), !bHeader && !bNote});
    bHeaderLast = bHeader;
  }
  if (bHeaderLast) atLines.pop_back();
  return atLines;
}

qsizetype FirstWordLength(const QString& Text) {
  const qsizetype Space = Text.indexOf(QLatin1Char(' '));
  return Space < 0 ? Text.size() : Space;
}

// The lines as paragraphs: a file that wraps its comments at a width writes a line wherever the
// next word would pass it, so a running line that would have taken the next line's first word
// within the widest line (at least 40 characters) goes on in the next one. Shorter lines, empty
// lines, headers and notes end their paragraph.
QStringList Paragraphs(const std::vector<CommentLineDef>& atLines) {
  constexpr qsizetype kNarrowest = 40;
  qsizetype Widest = 0;
  for (const CommentLineDef& tLine : atLines) {
    if (tLine.bRunning) Widest = std::max(Widest, tLine.Text.size());
  }
  QStringList Paragraphs;
  bool bGoesOn = false;
  for (size_t i = 0; i < atLines.size(); ++i) {
    const QString Text = atLines[i].Text.trimmed();
    if (bGoesOn) {
      Paragraphs.last() += QLatin1Char(' ') + Text;
    } else {
      Paragraphs << (atLines[i].bRunning ? Text : atLines[i].Text);
    }
    const bool bNextRuns = i + 1 < atLines.size() && atLines[i + 1].bRunning &&
                           !atLines[i + 1].Text.trimmed().isEmpty();
    bGoesOn = Widest >= kNarrowest && atLines[i].bRunning && !Text.isEmpty() && bNextRuns &&
              atLines[i].Text.size() + 1 + FirstWordLength(atLines[i + 1].Text.trimmed()) > Widest;
  }
  return Paragraphs;
}

}  // namespace

QString SuitSymbol(int Suit) {
  return QString::fromUtf8(apcPbnStrainSymbols[Suit & 3]);
}

bool SuitIsRed(int Suit) {
  return Suit == PBN_HEARTS || Suit == PBN_DIAMONDS;
}

BoardDef LoadedBoard(bool bDetails) {
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  const PbnGameTagsDef& tTags = *tGameAdmin.ptGameTags;
  BoardDef tBoard;
  tBoard.Board = TagString(tTags, PBN_TAG_ID_BOARD);
  tBoard.Dealer = SideLetter(tData.tSituation.Dealer);
  if (tData.tSituation.Vulner <= PBN_VULNER_ALL)
    tBoard.Vulner = QString::fromLatin1(apcPbnVulnerNames[tData.tSituation.Vulner]);
  tBoard.Event = TagString(tTags, PBN_TAG_ID_EVENT);
  tBoard.Date = TagString(tTags, PBN_TAG_ID_DATE);
  for (int Side = 0; Side < PBN_N_SIDES; ++Side)
    tBoard.atHands[Side] = HandOf(tData.tDeal.tHands[Side]);
  if (!bDetails) return tBoard;
  static constexpr int aPlayerTags[PBN_N_SIDES] = {PBN_TAG_ID_SOUTH, PBN_TAG_ID_WEST,
                                                   PBN_TAG_ID_NORTH, PBN_TAG_ID_EAST};
  for (int Side = 0; Side < PBN_N_SIDES; ++Side)
    tBoard.aPlayers[Side] = TagString(tTags, aPlayerTags[Side]).trimmed();
  tBoard.Auction = AuctionOf(tData.tAuction);
  tBoard.Contract = ContractOf(tData.tContract);
  tBoard.Result = ResultOf(tData.Result);
  const std::optional<int> Score =
      GameScoreNS(tData.tContract, tData.Result, tData.tSituation.Vulner);
  tBoard.Score = Score ? QString::fromStdString(ScoreText(*Score))
                       : TagString(tTags, PBN_TAG_ID_SCORE).trimmed();
  tBoard.atTricks = TricksOfPlay();
  tBoard.Commentary = Paragraphs(CommentLines());
  return tBoard;
}

analysis::DealInputDef LoadedDeal() {
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  return {tData.tDeal, tData.tSituation.Dealer, tData.tSituation.Vulner};
}

int PutAnalysis(const analysis::DealAnalysisDef& tAnalysis, const PbnGameTagsDef& tTags,
                BoardDef* ptBoard) {
  if (!tAnalysis.Error.empty()) {
    ptBoard->DdProblem = QString::fromStdString(tAnalysis.Error);
    return 0;
  }
  ptBoard->Tricks = tAnalysis.aaTricks;
  if (tAnalysis.tPar.Error.empty()) {
    ptBoard->ParScore = QString::fromStdString(ScoreText(tAnalysis.tPar.Score));
    for (const std::string& Contract : tAnalysis.tPar.Contracts)
      ptBoard->ParContracts << QString::fromStdString(Contract);
  } else {
    ptBoard->ParProblem = QString::fromStdString(tAnalysis.tPar.Error);
  }
  // A cell the file leaves out takes -1 here, so that only a full table of the file counts.
  analysis::DdTableDef aaUnknown;
  for (auto& aRow : aaUnknown)
    aRow.fill(-1);
  const std::optional<analysis::DdTableDef> File = analysis::FileOptimumTable(tTags, aaUnknown);
  if (!File) return 0;
  for (const auto& aRow : *File) {
    for (int Tricks : aRow) {
      if (Tricks < 0) return 0;
    }
  }
  int NrDisagree = 0;
  for (const auto& aRow : analysis::CompareTables(tAnalysis.aaTricks, File)) {
    for (bool bMarked : aRow)
      NrDisagree += bMarked;
  }
  return NrDisagree;
}

int PutLoadedAnalysis(const analysis::DealAnalysisDef& tAnalysis, BoardDef* ptBoard) {
  return PutAnalysis(tAnalysis, *tGameAdmin.ptGameTags, ptBoard);
}

}  // namespace records
