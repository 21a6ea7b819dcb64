#include "scoring/session.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "core/defs.h"
#include "core/pbn_util.h"
#include "core/score.h"
#include "core/tables.h"
#include "import/import.h"
#include "scoring/methods.h"

namespace scoring {

using namespace pbn;

namespace {

constexpr size_t kMaxDealConflictNames = 10;
constexpr UInt32 kMaxMultiplicity = 10000;

bool SameText(std::string_view Text, std::string_view Word) {
  return Text.size() == Word.size() && strncasecmp(Text.data(), Word.data(), Text.size()) == 0;
}

// A tag's value as UTF-8; "" for an absent tag and for an empty value.
std::string TagText(const PbnGameTagsDef& tTags, int TagId) {
  return PbnTextToUtf8(TagValueText(TagValue(tTags, TagId)));
}

std::string PairText(const std::string& First, const std::string& Second) {
  if (First.empty() || Second.empty()) return First + Second;
  return First + " & " + Second;
}

bool IsOpenRoom(const std::string& Room) {
  return SameText(Room, "Open");
}

// The opening lead as "SA": the first card of the first trick, played by the side after the
// declarer (or the side that led out of turn).
std::string LeadText(const PbnGameDataDef& tGameData) {
  const PbnContractDef& tContract = tGameData.tContract;
  PbnSideDef Leader = tGameData.tPlay.aFirsts[0];
  if (!PbnSideIsValid(Leader)) {
    if (!PbnSideIsValid(tContract.Declarer)) return "";
    Leader = PbnNextSide(tContract.Declarer);
  }
  const PbnCardDef& tCard = tGameData.tPlay.atTricks[0].atCards[Leader];
  if (!PbnCardIsReal(tCard)) return "";
  static constexpr char acSuits[] = "CDHS";
  return {acSuits[tCard.Suit], acPbnRankNames[PbnRankGetIndex(tCard.Rank)]};
}

std::optional<FileNumberDef> SideOf(const SideValuesDef& tValues, int Side) {
  return Side == 0 ? tValues.NS : tValues.EW;
}

// The computed values a kind of file value is compared with, NS (0) or EW (1).
std::optional<double> Computed(const ResultDef& tResult, FileValueDef Kind, int Side) {
  switch (Kind) {
    case FILE_VALUE_MP:
      return Side == 0 ? tResult.MpNS : tResult.MpEW;
    case FILE_VALUE_PCT:
      return Side == 0 ? tResult.PctNS : tResult.PctEW;
    case FILE_VALUE_IMPS:
      return Side == 0 ? tResult.ImpsNS : tResult.ImpsEW;
    default:
      return std::nullopt;
  }
}

// Whether a file's value agrees with the computed one: matchpoints on either scale or as the
// percentage, cross-IMPs as the sum or divided by the other results.
bool ValueAgrees(const ResultDef& tResult, FileValueDef Kind, int Side,
                 const FileNumberDef& tValue) {
  const double Value = *Computed(tResult, Kind, Side);
  if (tValue.Agrees(Value)) return true;
  if (Kind == FILE_VALUE_MP) {
    const std::optional<double> Pct = Side == 0 ? tResult.PctNS : tResult.PctEW;
    return tValue.Agrees(Value / 2) || (Pct && tValue.Agrees(*Pct));
  }
  if (Kind == FILE_VALUE_IMPS) {
    const std::optional<double> Avg = Side == 0 ? tResult.ImpsAvgNS : tResult.ImpsAvgEW;
    return Avg && tValue.Agrees(*Avg);
  }
  return false;
}

const std::array<std::optional<FileNumberDef>, 2>* FileSides(const FileValuesDef& tFile,
                                                             FileValueDef Kind) {
  switch (Kind) {
    case FILE_VALUE_MP:
      return &tFile.aMp;
    case FILE_VALUE_PCT:
      return &tFile.aPct;
    case FILE_VALUE_IMPS:
      return &tFile.aImps;
    default:
      return nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Methods

const char* MethodName(MethodDef Method) {
  switch (Method) {
    case MethodDef::Matchpoints:
      return "mp";
    case MethodDef::CrossImps:
      return "cross-imps";
    case MethodDef::Butler:
      return "butler";
    case MethodDef::Teams:
      return "teams";
  }
  return "";
}

bool MethodFromName(std::string_view Name, MethodDef* pMethod) {
  if (Name == "imps") {
    *pMethod = MethodDef::Teams;
    return true;
  }
  for (MethodDef Method :
       {MethodDef::Matchpoints, MethodDef::CrossImps, MethodDef::Butler, MethodDef::Teams}) {
    if (Name == MethodName(Method)) {
      *pMethod = Method;
      return true;
    }
  }
  return false;
}

namespace {

template <typename FieldFn>
void ForEachScoringField(std::string_view Scoring, FieldFn Field) {
  while (!Scoring.empty()) {
    const size_t End = std::min(Scoring.find(';'), Scoring.size());
    Field(TrimBlanks(Scoring.substr(0, End)));
    Scoring.remove_prefix(std::min(End + 1, Scoring.size()));
  }
}

}  // namespace

std::optional<MethodDef> MethodOfScoring(std::string_view Scoring, bool bTeamsBoard) {
  std::optional<MethodDef> Method;
  bool bImps = false;
  ForEachScoringField(Scoring, [&](std::string_view Field) {
    const auto Starts = [Field](std::string_view Word) {
      return Field.size() >= Word.size() && SameText(Field.substr(0, Word.size()), Word);
    };
    if (Starts("Butler")) {
      Method = MethodDef::Butler;
    } else if (Starts("Cross")) {
      Method = MethodDef::CrossImps;
    } else if (Method) {
      return;  // the first method named counts
    } else if (SameText(Field, "MP") || SameText(Field, "MatchPoints") ||
               SameText(Field, "OldMP")) {
      Method = MethodDef::Matchpoints;
    } else if (SameText(Field, "Teams")) {
      Method = MethodDef::Teams;
    } else if (Starts("IMP")) {
      bImps = true;
    }
  });
  if (!Method && bImps) Method = bTeamsBoard ? MethodDef::Teams : MethodDef::CrossImps;
  return Method;
}

bool ScoringHasMean(std::string_view Scoring) {
  bool bMean = false;
  ForEachScoringField(
      Scoring, [&bMean](std::string_view Field) { bMean = bMean || SameText(Field, "Mean"); });
  return bMean;
}

// ---------------------------------------------------------------------------------------------
// Adding games

// What a game gives the results it adds, read once.
struct SessionDef::GameFactsDef {
  std::string Board, Event, Section, Table, Room, Round, PairNS, PairEW, HomeTeam, VisitTeam;
  std::string Scoring, ScoreTag, ScoreImp, ScoreMp, ScorePct;
  bool bUnknownMark = false;  // "?" for the contract, the result or the score
  PbnDealDef tDeal{};
  bool bDeal = false;
  PbnSituationDef tSituation{};
};

SessionDef::GameFactsDef SessionDef::ReadFacts(const PbnGameDataDef& tGameData,
                                               const PbnGameTagsDef& tTags) const {
  GameFactsDef tFacts;
  tFacts.Board = TagText(tTags, PBN_TAG_ID_BOARD);
  tFacts.Event = TagText(tTags, PBN_TAG_ID_EVENT);
  tFacts.Section = TagText(tTags, PBN_TAG_ID_SECTION);
  tFacts.Table = TagText(tTags, PBN_TAG_ID_TABLE);
  tFacts.Room = TagText(tTags, PBN_TAG_ID_ROOM);
  tFacts.Round = TagText(tTags, PBN_TAG_ID_ROUND);
  tFacts.HomeTeam = TagText(tTags, PBN_TAG_ID_HOMETEAM);
  tFacts.VisitTeam = TagText(tTags, PBN_TAG_ID_VISITTEAM);
  tFacts.PairNS = TagText(tTags, PBN_TAG_ID_PAIRNS);
  tFacts.PairEW = TagText(tTags, PBN_TAG_ID_PAIREW);
  if (tFacts.PairNS.empty()) {
    tFacts.PairNS = PairText(TagText(tTags, PBN_TAG_ID_NORTH), TagText(tTags, PBN_TAG_ID_SOUTH));
  }
  if (tFacts.PairEW.empty()) {
    tFacts.PairEW = PairText(TagText(tTags, PBN_TAG_ID_EAST), TagText(tTags, PBN_TAG_ID_WEST));
  }
  tFacts.Scoring = TagText(tTags, PBN_TAG_ID_SCORING);
  tFacts.ScoreTag = TagText(tTags, PBN_TAG_ID_SCORE);
  tFacts.ScoreImp = TagText(tTags, PBN_TAG_ID_SCOREIMP);
  tFacts.ScoreMp = TagText(tTags, PBN_TAG_ID_SCOREMP);
  tFacts.ScorePct = TagText(tTags, PBN_TAG_ID_SCOREPERC);
  for (int TagId : {PBN_TAG_ID_CONTRACT, PBN_TAG_ID_RESULT, PBN_TAG_ID_SCORE}) {
    if (std::strcmp(TagValue(tTags, TagId), "?") == 0) tFacts.bUnknownMark = true;
  }
  tFacts.tDeal = tGameData.tDeal;
  for (const PbnHandDef& tHand : tGameData.tDeal.tHands) {
    tFacts.bDeal =
        tFacts.bDeal || (tHand.Ranks[0] | tHand.Ranks[1] | tHand.Ranks[2] | tHand.Ranks[3]) != 0;
  }
  tFacts.tSituation = tGameData.tSituation;
  return tFacts;
}

UInt32 SessionDef::AddFile(std::string Path) {
  aFiles_.push_back(std::move(Path));
  atFileCounts_.emplace_back();
  aaGameResults_.emplace_back();
  return static_cast<UInt32>(aFiles_.size() - 1);
}

UInt32 SessionDef::SectionOf(const std::string& Event, const std::string& Section) {
  const std::string Key = Event + '\0' + Section;
  const auto it = aSectionIds_.find(Key);
  if (it != aSectionIds_.end()) return it->second;
  SectionDef tSection;
  tSection.Event = Event;
  tSection.Section = Section;
  atSections_.push_back(std::move(tSection));
  const auto SectionNr = static_cast<UInt32>(atSections_.size() - 1);
  aSectionIds_.emplace(Key, SectionNr);
  return SectionNr;
}

// The board of a game: the same Board and the same deal, or, for a game without a deal, the
// same Board in the same Event. Two deals under one Board of an event are counted.
UInt32 SessionDef::BoardOf(const GameFactsDef& tFacts, UInt32 FileNr, UInt32 GameNr) {
  std::string Key = tFacts.Board + '\0';
  if (tFacts.bDeal) {
    Key.append(reinterpret_cast<const char*>(&tFacts.tDeal), sizeof tFacts.tDeal);
    const std::string EventBoard = tFacts.Event + '\0' + tFacts.Board;
    const auto [it, bFirst] = aBoardDeals_.try_emplace(EventBoard, BoardDealDef{tFacts.tDeal});
    if (!bFirst && !it->second.bConflict && !tFacts.Board.empty() &&
        std::memcmp(&it->second.tDeal, &tFacts.tDeal, sizeof tFacts.tDeal) != 0) {
      it->second.bConflict = true;
      tCounts_.NrDealConflicts++;
      if (tCounts_.aDealConflicts.size() < kMaxDealConflictNames) {
        tCounts_.aDealConflicts.push_back("Board " + tFacts.Board +
                                          (tFacts.Event.empty() ? "" : " of " + tFacts.Event));
      }
    }
  } else {
    Key += '\1' + tFacts.Event;
  }
  const auto it = aBoardIds_.find(Key);
  if (it != aBoardIds_.end()) {
    atBoards_[it->second].NrGames++;
    return it->second;
  }
  BoardDef tBoard;
  tBoard.NrGames = 1;
  tBoard.Board = tFacts.Board;
  tBoard.Event = tFacts.Event;
  tBoard.Scoring = tFacts.Scoring;
  tBoard.tDeal = tFacts.tDeal;
  tBoard.bDeal = tFacts.bDeal;
  tBoard.tSituation = tFacts.tSituation;
  tBoard.FileNr = FileNr;
  tBoard.GameNr = GameNr;
  atBoards_.push_back(std::move(tBoard));
  const auto BoardNr = static_cast<UInt32>(atBoards_.size() - 1);
  aBoardIds_.emplace(std::move(Key), BoardNr);
  return BoardNr;
}

void SessionDef::AddResult(ResultDef&& tResult) {
  FileCountsDef& tCounts = atFileCounts_[tResult.FileNr];
  tCounts.NrResults++;
  if (tResult.GameNr == 0) tCounts.NrTableRows++;
  if (tResult.Unscored != UnscoredDef::None)
    tCounts.aUnscored[static_cast<int>(tResult.Unscored)]++;
  const auto ResultNr = static_cast<UInt32>(atResults_.size());
  atBoards_[tResult.BoardNr].aResults.push_back(ResultNr);
  atResults_.push_back(std::move(tResult));
}

namespace {

// Why a result has no score: the first thing missing.
UnscoredDef WhyUnscored(bool bUnknownMark, const PbnContractDef& tContract,
                        std::optional<int> Tricks, PbnVulnerDef Vulner) {
  if (bUnknownMark) return UnscoredDef::Unknown;
  if (tContract.Trump == PBN_TRUMP_NOT_GIVEN || !PbnTrumpIsValid(tContract.Trump)) {
    return tContract.Trump == PBN_TRUMP_PASS ? UnscoredDef::None : UnscoredDef::NoContract;
  }
  if (!Tricks || !PbnSideIsValid(tContract.Declarer)) return UnscoredDef::NoResult;
  if (Vulner > PBN_VULNER_ALL) return UnscoredDef::NoVulnerable;
  return UnscoredDef::Unknown;  // a contract the score cannot take (a "?" risk)
}

// The columns of a ScoreTable that results are read from; -1 where the table has none.
struct ScoreColumnsDef {
  int Table, Round, Section, PairNS, PairEW, NamesNS, NamesEW, North, South, East, West;
  int Contract, Declarer, Result, Lead, ScoreNS, ScoreEW, Multiplicity, Datum;
  std::array<int, 2> aMp, aPct, aImps;

  explicit ScoreColumnsDef(const PbnTableDef& tTable) {
    const auto Column = [&tTable](const char* pcName) { return PbnTableColumn(tTable, pcName); };
    const auto Either = [&Column](const char* pcName, const char* pcOther) {
      const int Found = Column(pcName);
      return Found >= 0 ? Found : Column(pcOther);
    };
    Table = Column("Table");
    Round = Column("Round");
    Section = Column("Section");
    PairNS = Column("PairId_NS");
    PairEW = Column("PairId_EW");
    NamesNS = Column("Names_NS");
    NamesEW = Column("Names_EW");
    North = Column("PlayerId_North");  // an individual event
    South = Column("PlayerId_South");
    East = Column("PlayerId_East");
    West = Column("PlayerId_West");
    Contract = Column("Contract");
    Declarer = Column("Declarer");
    Result = Column("Result");
    Lead = Column("Lead");
    ScoreNS = Column("Score_NS");
    ScoreEW = Column("Score_EW");
    Multiplicity = Column("Multiplicity");
    Datum = Column("ButlerDatum");
    aMp = {Either("MP_NS", "MP_North"), Either("MP_EW", "MP_East")};
    aPct = {Either("Percentage_NS", "Percentage_North"),
            Either("Percentage_EW", "Percentage_East")};
    aImps = {Column("IMP_NS"), Column("IMP_EW")};
  }
  // Whether the rows can give a score: the score columns, or the contract and the result.
  bool HoldScore() const {
    return ScoreNS >= 0 || ScoreEW >= 0 || (Contract >= 0 && Declarer >= 0 && Result >= 0);
  }
};

class TableRowDef {
 public:
  TableRowDef(const PbnTableStoreDef& tStore, const PbnTableDef& tTable, UInt32 First)
      : tStore_(tStore), tTable_(tTable), First_(First) {}
  std::string_view Cell(int Column) const {
    if (Column < 0) return {};
    return PbnTableElement(tStore_, tTable_, First_ + static_cast<UInt32>(Column));
  }
  // A cell as text, "" for "-".
  std::string Text(int Column) const {
    const std::string_view Value = TrimBlanks(Cell(Column));
    return Value == "-" ? std::string() : PbnTextToUtf8(Value);
  }
  std::optional<FileNumberDef> Number(int Column) const { return ParseFileNumber(Cell(Column)); }

 private:
  const PbnTableStoreDef& tStore_;
  const PbnTableDef& tTable_;
  UInt32 First_;
};

// The score of a row from its Score_NS or Score_EW cell.
std::optional<FileNumberDef> RowScoreCell(const TableRowDef& tRow,
                                          const ScoreColumnsDef& tColumns) {
  if (const auto Score = tRow.Number(tColumns.ScoreNS)) return Score;
  if (auto Score = tRow.Number(tColumns.ScoreEW)) {
    Score->Value = -Score->Value;
    return Score;
  }
  return std::nullopt;
}

bool RowIsBye(const TableRowDef& tRow, const ScoreColumnsDef& tColumns) {
  return CellKind(tRow.Cell(tColumns.ScoreNS)) == CellKindDef::Bye ||
         CellKind(tRow.Cell(tColumns.ScoreEW)) == CellKindDef::Bye;
}

// The kind of the score cells taken together: adjusted or unknown where either says so.
CellKindDef RowScoreKind(const TableRowDef& tRow, const ScoreColumnsDef& tColumns) {
  const CellKindDef NS = CellKind(tRow.Cell(tColumns.ScoreNS));
  const CellKindDef EW = CellKind(tRow.Cell(tColumns.ScoreEW));
  for (CellKindDef Kind : {CellKindDef::Adjusted, CellKindDef::Unknown}) {
    if (NS == Kind || EW == Kind) return Kind;
  }
  return NS;
}

const PbnTableDef* ScoreTableOf(const PbnGameTagsDef& tTags) {
  for (UInt32 Table = 0; Table < PbnTableCount(tTags.tTables); Table++) {
    const PbnTableDef& tTable = PbnTableAt(tTags.tTables, Table);
    if (tTable.TagId == PBN_TAG_ID_SCORETABLE && tTable.NrElements > 0) return &tTable;
  }
  return nullptr;
}

}  // namespace

bool SessionDef::AddTableRows(const GameFactsDef& tFacts, const PbnGameTagsDef& tGameTags,
                              UInt32 FileNr, UInt32 GameNr) {
  const PbnTableDef* ptTable = ScoreTableOf(tGameTags);
  if (ptTable == nullptr) return false;
  const ScoreColumnsDef tColumns(*ptTable);
  FileCountsDef& tCounts = atFileCounts_[FileNr];
  if (!tColumns.HoldScore()) tCounts.NrBadTables++;
  const auto NrColumns = static_cast<UInt32>(ptTable->NrColumns);
  const UInt32 BoardNr = BoardOf(tFacts, FileNr, GameNr);
  for (UInt32 First = 0; First + NrColumns <= ptTable->NrElements; First += NrColumns) {
    const TableRowDef tRow(tGameTags.tTables, *ptTable, First);
    if (RowIsBye(tRow, tColumns)) {
      tCounts.NrByeRows++;
      continue;
    }
    ResultDef tResult;
    tResult.FileNr = FileNr;
    tResult.BoardNr = BoardNr;
    tResult.SectionNr = SectionOf(
        tFacts.Event, tColumns.Section >= 0 ? tRow.Text(tColumns.Section) : tFacts.Section);
    tResult.Table = tRow.Text(tColumns.Table);
    tResult.Round = tRow.Text(tColumns.Round);
    tResult.PairNS = tRow.Text(tColumns.PairNS);
    tResult.PairEW = tRow.Text(tColumns.PairEW);
    if (tResult.PairNS.empty()) tResult.PairNS = tRow.Text(tColumns.NamesNS);
    if (tResult.PairEW.empty()) tResult.PairEW = tRow.Text(tColumns.NamesEW);
    if (tResult.PairNS.empty()) {
      tResult.PairNS = PairText(tRow.Text(tColumns.North), tRow.Text(tColumns.South));
    }
    if (tResult.PairEW.empty()) {
      tResult.PairEW = PairText(tRow.Text(tColumns.East), tRow.Text(tColumns.West));
    }
    tResult.HomeTeam = tFacts.HomeTeam;
    tResult.VisitTeam = tFacts.VisitTeam;
    tResult.Lead = tRow.Text(tColumns.Lead);
    if (const auto Multiplicity = tRow.Number(tColumns.Multiplicity);
        Multiplicity && Multiplicity->Value >= 1) {
      tResult.Multiplicity =
          static_cast<UInt32>(std::min<double>(Multiplicity->Value, kMaxMultiplicity));
    }
    const std::string_view DeclarerCell = TrimBlanks(tRow.Cell(tColumns.Declarer));
    PbnSideDef Declarer;
    if (DeclarerCell.size() == 1 && CharSideCheck(DeclarerCell[0], &Declarer) == PBN_ERR_OK) {
      tResult.tContract.Declarer = Declarer;
    }
    const bool bContract = ParseContractCell(tRow.Cell(tColumns.Contract), &tResult.tContract);
    if (const auto Tricks = tRow.Number(tColumns.Result);
        Tricks && Tricks->Value >= 0 && Tricks->Value <= PBN_N_TRICKS) {
      tResult.Tricks = static_cast<int>(Tricks->Value);
    }
    const std::optional<FileNumberDef> ScoreCell = RowScoreCell(tRow, tColumns);
    const PbnResultDef Result =
        tResult.Tricks ? static_cast<PbnResultDef>(*tResult.Tricks) : PBN_RESULT_NONE;
    if (bContract) {
      tResult.ScoreNS = GameScoreNS(tResult.tContract, Result, tFacts.tSituation.Vulner);
    }
    if (tResult.ScoreNS) {
      tResult.tFile.ScoreNS = ScoreCell;
    } else if (ScoreCell) {
      tResult.ScoreNS = static_cast<int>(ScoreCell->Value);
    } else {
      const CellKindDef Kind = RowScoreKind(tRow, tColumns);
      const bool bUnknown = Kind == CellKindDef::Unknown ||
                            CellKind(tRow.Cell(tColumns.Contract)) == CellKindDef::Unknown ||
                            CellKind(tRow.Cell(tColumns.Result)) == CellKindDef::Unknown;
      if (Kind == CellKindDef::Adjusted) {
        tResult.Unscored = UnscoredDef::Adjusted;
        const std::string_view NS = TrimBlanks(tRow.Cell(tColumns.ScoreNS));
        tResult.UnscoredText = PbnTextToUtf8(
            CellKind(NS) == CellKindDef::Adjusted ? NS : TrimBlanks(tRow.Cell(tColumns.ScoreEW)));
      } else {
        tResult.Unscored =
            WhyUnscored(bUnknown, tResult.tContract, tResult.Tricks, tFacts.tSituation.Vulner);
        if (tResult.Unscored == UnscoredDef::None) tResult.Unscored = UnscoredDef::NoContract;
      }
    }
    for (int Side = 0; Side < 2; Side++) {
      tResult.tFile.aMp[Side] = tRow.Number(tColumns.aMp[Side]);
      tResult.tFile.aPct[Side] = tRow.Number(tColumns.aPct[Side]);
      tResult.tFile.aImps[Side] = tRow.Number(tColumns.aImps[Side]);
    }
    tResult.tFile.Datum = tRow.Number(tColumns.Datum);
    AddResult(std::move(tResult));
  }
  return true;
}

void SessionDef::AddGame(UInt32 FileNr, UInt32 GameNr, const PbnGameDataDef& tGameData,
                         const PbnGameTagsDef& tGameTags) {
  if (FileNr >= aFiles_.size()) return;
  const GameFactsDef tFacts = ReadFacts(tGameData, tGameTags);
  std::vector<UInt32>& aGameResults = aaGameResults_[FileNr];
  if (aGameResults.size() <= GameNr) aGameResults.resize(GameNr + 1, kNone);
  aGameResults[GameNr] = static_cast<UInt32>(atResults_.size());
  // A game that carries its board's traveller stands for the board: its own contract is one of
  // the rows, so it adds no result of its own.
  if (AddTableRows(tFacts, tGameTags, FileNr, GameNr)) {
    if (atResults_.size() == aGameResults[GameNr]) aGameResults[GameNr] = kNone;
    return;
  }
  ResultDef tResult;
  tResult.FileNr = FileNr;
  tResult.GameNr = GameNr;
  tResult.BoardNr = BoardOf(tFacts, FileNr, GameNr);
  tResult.SectionNr = SectionOf(tFacts.Event, tFacts.Section);
  tResult.Table = tFacts.Table;
  tResult.Room = tFacts.Room;
  tResult.Round = tFacts.Round;
  tResult.PairNS = tFacts.PairNS;
  tResult.PairEW = tFacts.PairEW;
  tResult.HomeTeam = tFacts.HomeTeam;
  tResult.VisitTeam = tFacts.VisitTeam;
  tResult.tContract = tGameData.tContract;
  tResult.Tricks = ResultTricks(tGameData.Result);
  tResult.Lead = LeadText(tGameData);
  const PbnSideDef Declarer = tGameData.tContract.Declarer;
  const std::optional<bool> DeclarerNS =
      PbnSideIsValid(Declarer) ? std::optional<bool>(Declarer == PBN_NORTH || Declarer == PBN_SOUTH)
                               : std::nullopt;
  const std::optional<int> FileScore = ParseScoreTag(tFacts.ScoreTag, DeclarerNS);
  if (!tFacts.bUnknownMark) {
    tResult.ScoreNS = GameScoreNS(tGameData.tContract, tGameData.Result, tFacts.tSituation.Vulner);
  }
  if (tResult.ScoreNS) {
    if (FileScore) tResult.tFile.ScoreNS = FileNumberDef{static_cast<double>(*FileScore), 0.5};
  } else if (FileScore) {
    tResult.ScoreNS = FileScore;
  } else if (CellKind(tFacts.ScoreTag) == CellKindDef::Adjusted) {
    tResult.Unscored = UnscoredDef::Adjusted;
    tResult.UnscoredText = tFacts.ScoreTag;
  } else {
    tResult.Unscored =
        WhyUnscored(tFacts.bUnknownMark || CellKind(tFacts.ScoreTag) == CellKindDef::Unknown,
                    tGameData.tContract, tResult.Tricks, tFacts.tSituation.Vulner);
  }
  const SideValuesDef tMp = ParseSideValues(tFacts.ScoreMp);
  const SideValuesDef tPct = ParseSideValues(tFacts.ScorePct);
  const SideValuesDef tImps = ParseSideValues(tFacts.ScoreImp);
  for (int Side = 0; Side < 2; Side++) {
    tResult.tFile.aMp[Side] = SideOf(tMp, Side);
    tResult.tFile.aPct[Side] = SideOf(tPct, Side);
    tResult.tFile.aImps[Side] = SideOf(tImps, Side);
  }
  AddResult(std::move(tResult));
}

const ResultDef* SessionDef::GameResult(UInt32 FileNr, UInt32 GameNr) const {
  if (FileNr >= aaGameResults_.size() || GameNr >= aaGameResults_[FileNr].size()) return nullptr;
  const UInt32 ResultNr = aaGameResults_[FileNr][GameNr];
  return ResultNr < atResults_.size() ? &atResults_[ResultNr] : nullptr;
}

const BoardDef* SessionDef::GameBoard(UInt32 FileNr, UInt32 GameNr) const {
  const ResultDef* ptResult = GameResult(FileNr, GameNr);
  return ptResult != nullptr ? &atBoards_[ptResult->BoardNr] : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Scoring

void SessionDef::Score(const ScoreOptionsDef& tOptions) {
  for (ResultDef& tResult : atResults_) {
    tResult.MpNS = tResult.MpEW = tResult.Top = tResult.PctNS = tResult.PctEW = std::nullopt;
    tResult.ImpsNS = tResult.ImpsEW = tResult.ImpsAvgNS = tResult.ImpsAvgEW = std::nullopt;
    tResult.Datum = std::nullopt;
    tResult.TeamNS.clear();
    tResult.TeamEW.clear();
    tResult.MatchNr = kNone;
    tResult.Disagree = 0;
  }
  for (FileCountsDef& tCounts : atFileCounts_) {
    tCounts.atChecks = {};
    tCounts.NrNotCompared = 0;
  }
  atMatches_.clear();
  aMatchIds_.clear();
  tCounts_.NrSingleResults = tCounts_.NrMissingRooms = tCounts_.NrCrowdedMatches = 0;
  tCounts_.NrBothDirections = 0;
  // Each section's most-played board, over the results of its boards.
  std::vector<std::unordered_map<UInt32, UInt32>> aaPlayed(atSections_.size());
  for (const ResultDef& tResult : atResults_)
    aaPlayed[tResult.SectionNr][tResult.BoardNr] += tResult.Multiplicity;
  for (UInt32 SectionNr = 0; SectionNr < atSections_.size(); SectionNr++) {
    SectionDef& tSection = atSections_[SectionNr];
    tSection.MostPlayed = 0;
    tSection.NrBoards = static_cast<UInt32>(aaPlayed[SectionNr].size());
    tSection.Method = std::nullopt;
    tSection.bOneField = false;
    for (const auto& [BoardNr, NrPlayed] : aaPlayed[SectionNr])
      tSection.MostPlayed = std::max(tSection.MostPlayed, NrPlayed);
  }
  for (BoardDef& tBoard : atBoards_)
    ScoreBoard(tBoard, tOptions);
  CountDirections();
}

void SessionDef::ScoreBoard(BoardDef& tBoard, const ScoreOptionsDef& tOptions) {
  bool bTeamsBoard = false;
  UInt32 NrResults = 0;
  for (UInt32 ResultNr : tBoard.aResults) {
    const ResultDef& tResult = atResults_[ResultNr];
    bTeamsBoard = bTeamsBoard || !tResult.Room.empty() || !tResult.HomeTeam.empty() ||
                  !tResult.VisitTeam.empty();
    NrResults += tResult.Multiplicity;
  }
  if (NrResults == 1) tCounts_.NrSingleResults++;
  const std::optional<MethodDef> Own = MethodOfScoring(tBoard.Scoring, bTeamsBoard);
  tBoard.Method = tOptions.Method ? *tOptions.Method
                  : Own           ? *Own
                                  : (bTeamsBoard ? MethodDef::Teams : MethodDef::Matchpoints);
  const bool bOwnMethod = !tOptions.Method || !Own || *Own == *tOptions.Method;
  std::stable_sort(tBoard.aResults.begin(), tBoard.aResults.end(), [this](UInt32 a, UInt32 b) {
    return atResults_[a].SectionNr < atResults_[b].SectionNr;
  });
  std::vector<UInt32> aGroup;
  for (size_t First = 0; First < tBoard.aResults.size();) {
    const UInt32 SectionNr = atResults_[tBoard.aResults[First]].SectionNr;
    aGroup.clear();
    size_t End = First;
    for (; End < tBoard.aResults.size() && atResults_[tBoard.aResults[End]].SectionNr == SectionNr;
         End++) {
      aGroup.push_back(tBoard.aResults[End]);
    }
    SectionDef& tSection = atSections_[SectionNr];
    if (!tSection.Method) {
      tSection.Method = tBoard.Method;
      tSection.bMean = ScoringHasMean(tBoard.Scoring);
    }
    ScoreGroup(tBoard.Method, aGroup);
    CheckFileValues(tBoard, bOwnMethod, aGroup);
    First = End;
  }
  if (tBoard.Method == MethodDef::Teams) {
    std::stable_sort(tBoard.aResults.begin(), tBoard.aResults.end(), [this](UInt32 a, UInt32 b) {
      const ResultDef& tFirst = atResults_[a];
      const ResultDef& tSecond = atResults_[b];
      if (tFirst.SectionNr != tSecond.SectionNr) return tFirst.SectionNr < tSecond.SectionNr;
      return tFirst.MatchNr < tSecond.MatchNr;
    });
  }
}

// The results of one board in one section, scored by Method after one sort of their scores.
void SessionDef::ScoreGroup(MethodDef Method, const std::vector<UInt32>& aGroup) {
  if (Method == MethodDef::Teams) {
    ScoreMatches(aGroup);
    return;
  }
  std::vector<std::pair<EntryDef, UInt32>> atScored;  // the entry and its result
  for (UInt32 ResultNr : aGroup) {
    const ResultDef& tResult = atResults_[ResultNr];
    if (tResult.Scored()) atScored.push_back({{*tResult.ScoreNS, tResult.Multiplicity}, ResultNr});
  }
  std::sort(atScored.begin(), atScored.end(), [](const auto& First, const auto& Second) {
    return First.first.ScoreNS < Second.first.ScoreNS;
  });
  std::vector<EntryDef> atEntries;
  atEntries.reserve(atScored.size());
  for (const auto& tScored : atScored)
    atEntries.push_back(tScored.first);
  const UInt32 NrScored = NrResults(atEntries);
  if (Method == MethodDef::Matchpoints) {
    const UInt32 Expected = atSections_[atResults_[aGroup[0]].SectionNr].MostPlayed;
    const double Top = 2.0 * (std::max(Expected, NrScored) - 1.0);
    if (Top <= 0) return;
    const std::vector<double> aMp = MatchpointsNS(atEntries);
    for (size_t i = 0; i < atScored.size(); i++) {
      ResultDef& tResult = atResults_[atScored[i].second];
      const double Mp = NeubergMp(aMp[i], NrScored, Expected);
      tResult.MpNS = Mp;
      tResult.MpEW = Top - Mp;
      tResult.Top = Top;
      tResult.PctNS = 100 * Mp / Top;
      tResult.PctEW = 100 - *tResult.PctNS;
    }
    return;
  }
  if (NrScored < 2) return;  // nothing to compare with
  if (Method == MethodDef::CrossImps) {
    const std::vector<int> aImps = CrossImpsNS(atEntries);
    for (size_t i = 0; i < atScored.size(); i++) {
      ResultDef& tResult = atResults_[atScored[i].second];
      tResult.ImpsNS = aImps[i];
      tResult.ImpsEW = -aImps[i];
      tResult.ImpsAvgNS = static_cast<double>(aImps[i]) / (NrScored - 1);
      tResult.ImpsAvgEW = -*tResult.ImpsAvgNS;
    }
    return;
  }
  const int Datum = ButlerDatum(atEntries);
  for (const auto& [tEntry, ResultNr] : atScored) {
    ResultDef& tResult = atResults_[ResultNr];
    tResult.Datum = Datum;
    tResult.ImpsNS = ImpsOf(tEntry.ScoreNS - Datum);
    tResult.ImpsEW = -*tResult.ImpsNS;
  }
}

namespace {

// The results of a board that form one team match: the same two teams, else the same table of
// the same round, else (a file of one match) the whole board.
std::string MatchKey(const ResultDef& tResult) {
  if (!tResult.HomeTeam.empty() && !tResult.VisitTeam.empty()) {
    const bool bOrdered = tResult.HomeTeam < tResult.VisitTeam;
    return std::string("T") + (bOrdered ? tResult.HomeTeam : tResult.VisitTeam) + '\0' +
           (bOrdered ? tResult.VisitTeam : tResult.HomeTeam);
  }
  if (!tResult.Table.empty()) return "R" + tResult.Round + '\0' + tResult.Table;
  return "";
}

// The names of the teams of a match of two rooms, First the room whose North-South team is A.
// The home team sits North-South in the first room and East-West in the other, unless the games
// name the teams the other way round in the second room (then each names its North-South team
// first).
void NameTeams(ResultDef* ptFirst, ResultDef* ptSecond) {
  std::string Home = ptFirst->HomeTeam;
  std::string Visit = ptFirst->VisitTeam;
  if (Home.empty() || Visit.empty()) {
    const std::string Where = ptFirst->Table.empty() ? "" : " (table " + ptFirst->Table + ")";
    Home = "Home" + Where;
    Visit = "Visit" + Where;
  }
  ptFirst->TeamNS = ptSecond->TeamEW = Home;
  ptFirst->TeamEW = ptSecond->TeamNS = Visit;
}

}  // namespace

void SessionDef::ScoreMatches(const std::vector<UInt32>& aGroup) {
  std::vector<std::pair<std::string, UInt32>> atKeyed;
  for (UInt32 ResultNr : aGroup)
    atKeyed.emplace_back(MatchKey(atResults_[ResultNr]), ResultNr);
  std::stable_sort(atKeyed.begin(), atKeyed.end(), [](const auto& First, const auto& Second) {
    return First.first < Second.first;
  });
  for (size_t First = 0; First < atKeyed.size();) {
    size_t End = First + 1;
    while (End < atKeyed.size() && atKeyed[End].first == atKeyed[First].first)
      End++;
    if (End - First == 1) {
      tCounts_.NrMissingRooms++;
    } else if (End - First > 2) {
      tCounts_.NrCrowdedMatches++;
    } else {
      ResultDef* ptFirst = &atResults_[atKeyed[First].second];
      ResultDef* ptSecond = &atResults_[atKeyed[First + 1].second];
      if (IsOpenRoom(ptSecond->Room) && !IsOpenRoom(ptFirst->Room)) std::swap(ptFirst, ptSecond);
      NameTeams(ptFirst, ptSecond);
      const std::string Key = std::to_string(ptFirst->SectionNr) + '\0' +
                              std::min(ptFirst->TeamNS, ptFirst->TeamEW) + '\0' +
                              std::max(ptFirst->TeamNS, ptFirst->TeamEW);
      auto it = aMatchIds_.find(Key);
      if (it == aMatchIds_.end()) {
        MatchDef tMatch;
        tMatch.SectionNr = ptFirst->SectionNr;
        tMatch.TeamA = ptFirst->TeamNS;
        tMatch.TeamB = ptFirst->TeamEW;
        atMatches_.push_back(std::move(tMatch));
        it = aMatchIds_.emplace(Key, static_cast<UInt32>(atMatches_.size() - 1)).first;
      }
      ptFirst->MatchNr = ptSecond->MatchNr = it->second;
      if (ptFirst->Scored() && ptSecond->Scored()) {
        const int Imps = ImpsOf(*ptFirst->ScoreNS - *ptSecond->ScoreNS);
        ptFirst->ImpsNS = ptSecond->ImpsEW = Imps;
        ptFirst->ImpsEW = ptSecond->ImpsNS = -Imps;
        MatchDef& tMatch = atMatches_[it->second];
        const bool bAIsNS = tMatch.TeamA == ptFirst->TeamNS;
        const int ImpsA = bAIsNS ? Imps : -Imps;
        (ImpsA > 0 ? tMatch.ImpsA : tMatch.ImpsB) += std::abs(ImpsA);
        tMatch.NrBoards++;
      }
    }
    First = End;
  }
}

void SessionDef::CheckFileValues(const BoardDef& tBoard, bool bOwnMethod,
                                 const std::vector<UInt32>& aGroup) {
  bool bDatumGiven = false;
  bool bDatumDisagrees = false;
  for (UInt32 ResultNr : aGroup) {
    ResultDef& tResult = atResults_[ResultNr];
    FileCountsDef& tCounts = atFileCounts_[tResult.FileNr];
    const auto Check = [&](FileValueDef Kind, bool bAgrees) {
      tCounts.atChecks[Kind].NrChecked++;
      if (bAgrees) return;
      tCounts.atChecks[Kind].NrDisagree++;
      tResult.Disagree |= static_cast<UInt8>(1 << Kind);
    };
    if (tResult.tFile.ScoreNS && tResult.Scored()) {
      Check(FILE_VALUE_SCORE, tResult.tFile.ScoreNS->Agrees(*tResult.ScoreNS));
    }
    for (FileValueDef Kind : {FILE_VALUE_MP, FILE_VALUE_PCT, FILE_VALUE_IMPS}) {
      const auto& aFile = *FileSides(tResult.tFile, Kind);
      if (!aFile[0] && !aFile[1]) continue;
      if (Kind == FILE_VALUE_IMPS && !bOwnMethod) continue;  // the file's IMPs are its method's
      if (!Computed(tResult, Kind, 0)) {
        tCounts.NrNotCompared++;
        continue;
      }
      bool bAgrees = true;
      for (int Side = 0; Side < 2; Side++) {
        if (aFile[Side]) bAgrees = bAgrees && ValueAgrees(tResult, Kind, Side, *aFile[Side]);
      }
      Check(Kind, bAgrees);
    }
    if (tResult.tFile.Datum && tBoard.Method == MethodDef::Butler && bOwnMethod) {
      if (!tResult.Datum) {
        tCounts.NrNotCompared++;
        continue;
      }
      bDatumGiven = true;
      if (!tResult.tFile.Datum->Agrees(*tResult.Datum)) {
        bDatumDisagrees = true;
        tResult.Disagree |= 1 << FILE_VALUE_DATUM;
      }
    }
  }
  if (!bDatumGiven) return;  // a datum is the board's: counted once
  CheckCountDef& tCheck = atFileCounts_[atResults_[aGroup[0]].FileNr].atChecks[FILE_VALUE_DATUM];
  tCheck.NrChecked++;
  if (bDatumDisagrees) tCheck.NrDisagree++;
}

void SessionDef::CountDirections() {
  std::unordered_map<std::string, UInt8> aDirections;  // section and pair: 1 NS, 2 EW
  for (const ResultDef& tResult : atResults_) {
    if (!tResult.Scored() || atBoards_[tResult.BoardNr].Method == MethodDef::Teams) continue;
    const std::string Section = std::to_string(tResult.SectionNr) + '\0';
    if (!tResult.PairNS.empty()) aDirections[Section + tResult.PairNS] |= 1;
    if (!tResult.PairEW.empty()) aDirections[Section + tResult.PairEW] |= 2;
  }
  for (const auto& [Key, Directions] : aDirections) {
    if (Directions != 3) continue;
    tCounts_.NrBothDirections++;
    atSections_[static_cast<UInt32>(std::stoul(Key))].bOneField = true;
  }
}

}  // namespace scoring
