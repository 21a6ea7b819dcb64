#include "records/board.h"

#include <cstring>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "core/score.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"

namespace records {

namespace {

using namespace pbn;

// PBN text is ISO 8859-1 unless the 2.1 reading found UTF-8 declared.
QString PbnString(const char* pcText, qsizetype Length = -1) {
  if (PbnImportOptions().Encoding == PBN_ENCODING_UTF_8) return QString::fromUtf8(pcText, Length);
  return QString::fromLatin1(pcText, Length);
}

QString TagString(const PbnGameTagsDef& tTags, int TagId) {
  const char* pcValue = TagValue(tTags, TagId);
  if (pcValue[0] == PBN_EMPTY_VALUE_MARKER && pcValue[1] == '\0') return {};
  return PbnString(pcValue);
}

QString SideLetter(PbnSideDef Side) {
  return PbnSideIsValid(Side) ? QString(QLatin1Char("SWNE"[Side])) : QString();
}

// Ranks high to low, the ten as "10" as hand records print it.
QString RanksText(PbnRankDef Ranks) {
  char acRanks[17];
  PbnRanksGetChars(Ranks, acRanks);
  return QString::fromLatin1(acRanks).replace(QLatin1Char('T'), QLatin1String("10"));
}

int HighCardPoints(const PbnHandDef& tHand) {
  int Points = 0;
  for (PbnRankDef Ranks : tHand.Ranks) {
    Points += 4 * ((Ranks & PBN_RANK_A) != 0) + 3 * ((Ranks & (PBN_RANK_A >> 1)) != 0) +
              2 * ((Ranks & (PBN_RANK_A >> 2)) != 0) + ((Ranks & (PBN_RANK_A >> 3)) != 0);
  }
  return Points;
}

HandDef HandOf(const PbnHandDef& tHand) {
  HandDef tOut;
  tOut.bGiven = (tHand.Ranks[0] | tHand.Ranks[1] | tHand.Ranks[2] | tHand.Ranks[3]) != 0;
  for (int Suit = PBN_SPADES; Suit >= PBN_CLUBS; --Suit)
    tOut.aSuits[PBN_SPADES - Suit] = RanksText(tHand.Ranks[Suit]);
  tOut.Points = HighCardPoints(tHand);
  return tOut;
}

QString StrainText(PbnTrumpDef Trump) {
  return Trump == PBN_TRUMP_NT ? QStringLiteral("NT") : SuitSymbol(Trump);
}

QString CallText(const PbnCallDef& tCall) {
  switch (tCall.CallType) {
    case PBN_CALL_PASS:
      return QString::fromLatin1(acPbnPass);
    case PBN_CALL_DOUBLE:
      return QStringLiteral("X");
    case PBN_CALL_REDOUBLE:
      return QStringLiteral("XX");
    case PBN_CALL_SPECIAL:
      return QStringLiteral("^S");
    default:
      if (!PbnTrumpIsValid(tCall.Trump)) return QString::number(tCall.NrTricks) + QLatin1Char('?');
      return QString::number(tCall.NrTricks) + StrainText(tCall.Trump);
  }
}

QStringList AuctionOf(const PbnAuctionDef& tAuction) {
  QStringList Calls;
  const int NrCalls = std::min<int>(tAuction.NrCalls, PBN_MAX_CALLS);
  for (int Call = 0; Call < NrCalls; ++Call)
    Calls << CallText(tAuction.atCalls[Call]);
  return Calls;
}

QString ContractOf(const PbnContractDef& tContract) {
  if (tContract.Trump == PBN_TRUMP_PASS) return QStringLiteral("Passed out");
  if (!PbnTrumpIsValid(tContract.Trump)) return {};
  QString Text = QString::number(tContract.NrTricks) + StrainText(tContract.Trump) +
                 QString::fromLatin1(apcPbnRiskNames[tContract.Risk & 3]);
  if (PbnSideIsValid(tContract.Declarer))
    Text += QStringLiteral(" by ") + SideLetter(tContract.Declarer);
  return Text;
}

QString ResultOf(PbnResultDef Result) {
  const int Tricks = Result & ~PBN_RESULT_IRREGULAR;
  return Tricks <= 13 ? QString::number(Tricks) + QStringLiteral(" tricks") : QString();
}

QString CardText(const PbnCardDef& tCard) {
  if (!PbnCardIsReal(tCard)) return QStringLiteral("-");
  const QChar cRank = QLatin1Char(acPbnRankNames[PbnRankGetIndex(tCard.Rank)]);
  return SuitSymbol(tCard.Suit) +
         (cRank == QLatin1Char('T') ? QStringLiteral("10") : QString(cRank));
}

// The chronological play entries of tGameAdmin, four to a trick.
std::vector<TrickDef> TricksOfPlay() {
  std::vector<TrickDef> atTricks;
  const int NrEntries = PlayNrEntries();
  for (int First = 0; First < NrEntries; First += 4) {
    TrickDef tTrick;
    tTrick.Leader = SideLetter(tGameAdmin.atPlayCards[First].Side & 3);
    for (int k = 0; k < 4 && First + k < NrEntries; ++k)
      tTrick.aCards[k] = CardText(tGameAdmin.atPlayCards[First + k].Card);
    atTricks.push_back(tTrick);
  }
  return atTricks;
}

// An annotation line as plain text: headers by name, suit markers as symbols, "(n)" for a note.
QString AnnotationLine(const unsigned char* pcLine) {
  if (const char* pcHeader = AnnoHeaderText(pcLine[0])) return QString::fromLatin1(pcHeader);
  if (pcLine[0] == ANNO_TABLE_HEADER) return PbnString(reinterpret_cast<const char*>(pcLine + 1));
  QString Text;
  const char* pcChars = reinterpret_cast<const char*>(pcLine);
  int RunBegin = 0;
  int Index = 0;
  for (; pcLine[Index] != '\0'; ++Index) {
    if (!AnnoIsMarker(pcLine, Index)) continue;
    Text += PbnString(pcChars + RunBegin, Index - RunBegin);
    RunBegin = Index + 1;
    switch (pcLine[Index]) {
      case ANNO_CLUBS:
        Text += SuitSymbol(PBN_CLUBS);
        break;
      case ANNO_DIAMONDS:
        Text += SuitSymbol(PBN_DIAMONDS);
        break;
      case ANNO_HEARTS:
        Text += SuitSymbol(PBN_HEARTS);
        break;
      case ANNO_SPADES:
        Text += SuitSymbol(PBN_SPADES);
        break;
      case ANNO_NOTE_BEGIN:
        Text += QLatin1Char('(');
        break;
      default:  // the ends of a suit and of a note number add nothing
        break;
    }
  }
  return Text + PbnString(pcChars + RunBegin, Index - RunBegin);
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
    atLines.push_back({AnnotationLine(pcLine), !bHeader && !bNote});
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
  static constexpr char16_t acSymbols[4] = {u'\u2663', u'\u2666', u'\u2665', u'\u2660'};
  return QString(QChar(acSymbols[Suit & 3]));
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
    ptBoard->ParScore = QString::fromStdString(analysis::ParScoreText(tAnalysis.tPar.Score));
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

}  // namespace records
