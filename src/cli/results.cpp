// karvelon-cli results FILES... [--scoring mp|imps|butler|cross-imps|teams] [--csv | --json]
// [--ranking] [--with-mistakes] [--shard K/N]: the boards of a session with their travellers
// scored (matchpoints, IMPs, Butler, cross-IMPs, teams) and the ranking of the pairs or teams;
// the file's own scores are checked against the computed ones. The work is the scoring layer's;
// this command reads the files and prints.
#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "cli/game_json.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "core/defs.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"
#include "scoring/session.h"
#include "scoring/traveller.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;
using namespace pbn;
using scoring::BoardDef;
using scoring::ContractText;
using scoring::DeclarerText;
using scoring::FigureText;
using scoring::FileDifferences;
using scoring::FileDifferencesText;
using scoring::FileNumberDef;
using scoring::MethodDef;
using scoring::RankRowDef;
using scoring::ResultDef;
using scoring::SessionDef;
using scoring::UnscoredText;

struct ResultsArgs {
  std::vector<std::string> Operands;
  bool bCsv = false;
  bool bJson = false;
  bool bRanking = false;
  bool bWithMistakes = false;
  std::optional<MethodDef> Method;
  ShardDef tShard;
};

bool Refuse(const std::string& Text) {
  Fail("results: " + Text);
  return false;
}

bool ParseArgs(const Args& args, ResultsArgs* ptArgs) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("results", args, &tLine, &Error)) return Refuse(Error);
  if (tLine.Has("--shard")) ParseShard(tLine.Value("--shard"), &ptArgs->tShard);
  if (tLine.Has("--scoring")) {
    MethodDef Method;
    if (!scoring::MethodFromName(tLine.Value("--scoring"), &Method)) {
      return Refuse("--scoring takes mp, imps, butler, cross-imps or teams");
    }
    ptArgs->Method = Method;
  }
  ptArgs->bCsv = tLine.Has("--csv");
  ptArgs->bJson = tLine.Has("--json");
  ptArgs->bRanking = tLine.Has("--ranking");
  ptArgs->bWithMistakes = tLine.Has(kWithMistakes);
  ptArgs->Operands = tLine.aOperands;
  if (ptArgs->Operands.empty()) {
    return Refuse("no FILE given (usage: " + CommandUsage("results") + ")");
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Values of a result as text

Json OptionalJson(const std::optional<double>& Value) {
  return Value ? Json(std::round(*Value * 100) / 100) : Json(nullptr);
}

// ---------------------------------------------------------------------------------------------
// CSV and JSON lines

void PrintCsvLine(const std::vector<std::string>& Fields) {
  std::fputs(CsvLine(Fields).c_str(), stdout);
}

void PrintJsonLine(const Json& Object) {
  std::printf("%s\n", Object.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
}

const std::vector<std::string> kResultFields = {
    "file",    "game",     "board",       "section",     "table",      "room",
    "round",   "ns",       "ew",          "contract",    "declarer",   "result",
    "lead",    "score_ns", "mp_ns",       "mp_ew",       "pct_ns",     "pct_ew",
    "imps_ns", "imps_ew",  "imps_avg_ns", "imps_avg_ew", "file_value", "note"};

std::vector<std::string> ResultCsv(const SessionDef& tSession, const ResultDef& tResult) {
  const BoardDef& tBoard = tSession.Boards()[tResult.BoardNr];
  return {tSession.Files()[tResult.FileNr],
          tResult.GameNr != 0 ? std::to_string(tResult.GameNr) : "",
          tBoard.Board,
          tSession.Sections()[tResult.SectionNr].Section,
          tResult.Table,
          tResult.Room,
          tResult.Round,
          tResult.PairNS,
          tResult.PairEW,
          ContractText(tResult),
          DeclarerText(tResult),
          tResult.Tricks ? std::to_string(*tResult.Tricks) : "",
          tResult.Lead,
          tResult.ScoreNS ? std::to_string(*tResult.ScoreNS) : "",
          FigureText(tResult.MpNS),
          FigureText(tResult.MpEW),
          FigureText(tResult.PctNS),
          FigureText(tResult.PctEW),
          FigureText(tResult.ImpsNS),
          FigureText(tResult.ImpsEW),
          FigureText(tResult.ImpsAvgNS),
          FigureText(tResult.ImpsAvgEW),
          FileDifferencesText(tResult),
          UnscoredText(tResult)};
}

Json ResultJson(const SessionDef& tSession, const ResultDef& tResult) {
  const auto TextOrNull = [](const std::string& Text) {
    return Text.empty() ? Json(nullptr) : Json(Text);
  };
  Json Row;
  Row["file"] = tSession.Files()[tResult.FileNr];
  Row["game"] = tResult.GameNr != 0 ? Json(tResult.GameNr) : Json(nullptr);
  Row["board"] = tSession.Boards()[tResult.BoardNr].Board;
  Row["section"] = tSession.Sections()[tResult.SectionNr].Section;
  Row["table"] = tResult.Table;
  Row["room"] = tResult.Room;
  Row["round"] = tResult.Round;
  Row["ns"] = tResult.PairNS;
  Row["ew"] = tResult.PairEW;
  Row["contract"] = TextOrNull(ContractText(tResult));
  Row["declarer"] = TextOrNull(DeclarerText(tResult));
  Row["result"] = tResult.Tricks ? Json(*tResult.Tricks) : Json(nullptr);
  Row["lead"] = TextOrNull(tResult.Lead);
  Row["score_ns"] = tResult.ScoreNS ? Json(*tResult.ScoreNS) : Json(nullptr);
  Row["mp_ns"] = OptionalJson(tResult.MpNS);
  Row["mp_ew"] = OptionalJson(tResult.MpEW);
  Row["pct_ns"] = OptionalJson(tResult.PctNS);
  Row["pct_ew"] = OptionalJson(tResult.PctEW);
  Row["imps_ns"] = OptionalJson(tResult.ImpsNS);
  Row["imps_ew"] = OptionalJson(tResult.ImpsEW);
  Row["imps_avg_ns"] = OptionalJson(tResult.ImpsAvgNS);
  Row["imps_avg_ew"] = OptionalJson(tResult.ImpsAvgEW);
  Json FileValue = nullptr;
  for (const auto& [Name, Value] : FileDifferences(tResult))
    FileValue[Name] = Value;
  Row["file_value"] = FileValue;
  Row["note"] = TextOrNull(UnscoredText(tResult));
  return Row;
}

const std::vector<std::string> kRankingFields = {"event",      "section",    "rank",   "pair",
                                                 "direction",  "boards",     "total",  "against",
                                                 "percentage", "total_mean", "scoring"};

std::string SectionMethodName(const scoring::SectionDef& tSection) {
  return tSection.Method ? scoring::MethodName(*tSection.Method) : "";
}

std::vector<std::string> RankingCsv(const SessionDef& tSession, const RankRowDef& tRow) {
  const scoring::SectionDef& tSection = tSession.Sections()[tRow.SectionNr];
  return {tSection.Event,
          tSection.Section,
          std::to_string(tRow.Rank),
          tRow.Pair,
          tRow.Direction,
          std::to_string(tRow.NrBoards),
          FigureText(tRow.Total),
          FigureText(tRow.Against),
          FigureText(tRow.Percentage),
          FigureText(tRow.TotalMean),
          SectionMethodName(tSection)};
}

Json RankingJson(const SessionDef& tSession, const RankRowDef& tRow) {
  const scoring::SectionDef& tSection = tSession.Sections()[tRow.SectionNr];
  Json Row;
  Row["event"] = tSection.Event;
  Row["section"] = tSection.Section;
  Row["rank"] = tRow.Rank;
  Row["pair"] = tRow.Pair;
  Row["direction"] = tRow.Direction;
  Row["boards"] = tRow.NrBoards;
  Row["total"] = std::round(tRow.Total * 100) / 100;
  Row["against"] = OptionalJson(tRow.Against);
  Row["percentage"] = OptionalJson(tRow.Percentage);
  Row["total_mean"] = OptionalJson(tRow.TotalMean);
  Row["scoring"] = SectionMethodName(tSection);
  return Row;
}

// ---------------------------------------------------------------------------------------------
// Text: a traveller under each board, then the ranking

// The width of a UTF-8 text in characters.
size_t TextWidth(const std::string& Text) {
  return static_cast<size_t>(std::count_if(Text.begin(), Text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// Columns padded to their widest cell; a column whose header ends in ">" is right-aligned.
class TextTableDef {
 public:
  explicit TextTableDef(std::vector<std::string> aHeaders) : aaRows_{std::move(aHeaders)} {
    for (std::string& Header : aaRows_[0]) {
      abRight_.push_back(!Header.empty() && Header.back() == '>');
      if (abRight_.back()) Header.pop_back();
    }
  }
  void Add(std::vector<std::string> aCells) { aaRows_.push_back(std::move(aCells)); }
  std::string Text() const {
    // A column that no row fills is left out, its header too.
    std::vector<size_t> aWidths(abRight_.size(), 0);
    for (size_t Row = 1; Row < aaRows_.size(); Row++) {
      for (size_t i = 0; i < aaRows_[Row].size() && i < aWidths.size(); i++)
        aWidths[i] = std::max(aWidths[i], TextWidth(aaRows_[Row][i]));
    }
    for (size_t i = 0; i < aWidths.size(); i++) {
      if (aWidths[i] > 0) aWidths[i] = std::max(aWidths[i], TextWidth(aaRows_[0][i]));
    }
    std::string Text;
    for (const auto& aRow : aaRows_) {
      std::string Line = " ";
      for (size_t i = 0; i < aRow.size() && i < aWidths.size(); i++) {
        if (aWidths[i] == 0) continue;
        const std::string Pad(aWidths[i] - TextWidth(aRow[i]), ' ');
        Line += ' ' + (abRight_[i] ? Pad + aRow[i] : aRow[i] + Pad);
      }
      while (!Line.empty() && Line.back() == ' ')
        Line.pop_back();
      Text += Line + '\n';
    }
    return Text;
  }

 private:
  std::vector<std::vector<std::string>> aaRows_;
  std::vector<bool> abRight_;
};

std::string BoardHeading(const SessionDef& tSession, const BoardDef& tBoard) {
  std::string Text = "Board " + (tBoard.Board.empty() ? std::string("?") : tBoard.Board);
  if (!tBoard.Event.empty()) Text += "  " + tBoard.Event;
  const PbnSituationDef& tSituation = tBoard.tSituation;
  if (PbnSideIsValid(tSituation.Dealer)) {
    Text += std::string("  Dealer ") + SideLetter(tSituation.Dealer);
  }
  if (tSituation.Vulner <= PBN_VULNER_ALL) {
    Text += std::string("  Vulnerable ") + apcPbnVulnerNames[tSituation.Vulner];
  }
  Text += std::string("  (") + scoring::MethodName(tBoard.Method) + ", " +
          tSession.Files()[tBoard.FileNr] + ")";
  return Text;
}

void PrintTraveller(const SessionDef& tSession, const BoardDef& tBoard) {
  std::printf("%s\n", BoardHeading(tSession, tBoard).c_str());
  std::optional<scoring::UInt32> SectionNr;
  std::optional<TextTableDef> tTable;
  const auto Flush = [&tTable] {
    if (tTable) std::fputs(tTable->Text().c_str(), stdout);
    tTable.reset();
  };
  for (scoring::UInt32 ResultNr : tBoard.aResults) {
    const ResultDef& tResult = tSession.Results()[ResultNr];
    if (SectionNr != tResult.SectionNr) {
      Flush();
      SectionNr = tResult.SectionNr;
      const std::string& Section = tSession.Sections()[tResult.SectionNr].Section;
      if (!Section.empty()) std::printf(" Section %s\n", Section.c_str());
      std::vector<std::string> aHeaders;
      for (const scoring::TravellerColumnDef& tColumn : scoring::TravellerColumns(tBoard.Method))
        aHeaders.push_back(std::string(tColumn.pcHeader) + (tColumn.bRight ? ">" : ""));
      tTable.emplace(std::move(aHeaders));
    }
    tTable->Add(scoring::TravellerCells(tResult, tBoard.Method));
  }
  Flush();
  std::printf("\n");
}

void PrintMatches(const SessionDef& tSession) {
  if (tSession.Matches().empty()) return;
  std::printf("Matches\n");
  TextTableDef tTable({"Section", "Team", "IMPs>", "IMPs>", "Team", "Boards>"});
  for (const scoring::MatchDef& tMatch : tSession.Matches()) {
    tTable.Add({tSession.Sections()[tMatch.SectionNr].Section, tMatch.TeamA,
                FigureText(tMatch.ImpsA), FigureText(tMatch.ImpsB), tMatch.TeamB,
                std::to_string(tMatch.NrBoards)});
  }
  std::printf("%s\n", tTable.Text().c_str());
}

void PrintRanking(const SessionDef& tSession, const std::vector<RankRowDef>& atRows) {
  std::optional<std::pair<scoring::UInt32, std::string>> Field;
  std::optional<TextTableDef> tTable;
  const auto Flush = [&tTable] {
    if (tTable) std::printf("%s\n", tTable->Text().c_str());
    tTable.reset();
  };
  for (const RankRowDef& tRow : atRows) {
    const scoring::SectionDef& tSection = tSession.Sections()[tRow.SectionNr];
    if (Field != std::make_pair(tRow.SectionNr, tRow.Direction)) {
      Flush();
      Field = std::make_pair(tRow.SectionNr, tRow.Direction);
      std::printf("%s\n", scoring::RankingTitle(tSession, tRow).c_str());
      std::vector<std::string> aHeaders;
      for (const scoring::TravellerColumnDef& tColumn : scoring::RankingColumns(tSection))
        aHeaders.push_back(std::string(tColumn.pcHeader) + (tColumn.bRight ? ">" : ""));
      tTable.emplace(std::move(aHeaders));
    }
    tTable->Add(scoring::RankingCells(tSection, tRow));
  }
  Flush();
}

// ---------------------------------------------------------------------------------------------
// The report on standard error

std::string Counted(scoring::UInt32 Count, const std::string& What) {
  return std::to_string(Count) + " " + What;
}

void ReportFile(const SessionDef& tSession, scoring::UInt32 FileNr) {
  const scoring::FileCountsDef& tCounts = tSession.FileCounts(FileNr);
  std::vector<std::string> aParts;
  static constexpr const char* apcUnscored[scoring::kNrUnscored] = {
      "", "no contract", "no result", "no vulnerability", "adjusted", "unknown (?)"};
  std::string Unscored;
  scoring::UInt32 NrUnscored = 0;
  for (int Kind = 1; Kind < scoring::kNrUnscored; Kind++) {
    if (tCounts.aUnscored[Kind] == 0) continue;
    Unscored +=
        (Unscored.empty() ? "" : ", ") + Counted(tCounts.aUnscored[Kind], apcUnscored[Kind]);
    NrUnscored += tCounts.aUnscored[Kind];
  }
  if (NrUnscored > 0) aParts.push_back(Counted(NrUnscored, "without a score (" + Unscored + ")"));
  static constexpr const char* apcChecked[scoring::FILE_N_VALUES] = {
      "scores", "matchpoints", "percentages", "IMPs", "datums"};
  std::string Checked;
  for (int Kind = 0; Kind < scoring::FILE_N_VALUES; Kind++) {
    const scoring::CheckCountDef& tCheck = tCounts.atChecks[Kind];
    if (tCheck.NrChecked == 0) continue;
    Checked += (Checked.empty() ? "" : ", ") + std::string(apcChecked[Kind]) + " " +
               std::to_string(tCheck.NrChecked - tCheck.NrDisagree) + " of " +
               std::to_string(tCheck.NrChecked);
  }
  if (!Checked.empty()) aParts.push_back("the file's own scores agree: " + Checked);
  if (tCounts.NrNotCompared > 0) {
    aParts.push_back(
        Counted(tCounts.NrNotCompared, "of the file's scores not compared (no computed value)"));
  }
  if (tCounts.NrBadTables > 0) {
    aParts.push_back(
        Counted(tCounts.NrBadTables, "ScoreTables whose columns do not hold the score"));
  }
  if (aParts.empty()) return;
  std::string Line =
      tSession.Files()[FileNr] + ": " + Counted(tCounts.NrResults, "results") +
      (tCounts.NrTableRows > 0 ? " (" + Counted(tCounts.NrTableRows, "from ScoreTables") + ")"
                               : "");
  for (const std::string& Part : aParts)
    Line += "; " + Part;
  std::fprintf(stderr, "%s\n", Line.c_str());
}

void ReportRun(const SessionDef& tSession) {
  const scoring::RunCountsDef& tCounts = tSession.Counts();
  std::vector<std::string> aParts;
  if (tCounts.NrDealConflicts > 0) {
    std::string Names;
    for (const std::string& Name : tCounts.aDealConflicts)
      Names += (Names.empty() ? "" : ", ") + Name;
    if (tCounts.NrDealConflicts > tCounts.aDealConflicts.size()) Names += ", ...";
    aParts.push_back(
        Counted(tCounts.NrDealConflicts, "Board numbers with different deals (" + Names + ")"));
  }
  if (tCounts.NrSingleResults > 0)
    aParts.push_back(Counted(tCounts.NrSingleResults, "boards with one result"));
  if (tCounts.NrMissingRooms > 0) {
    aParts.push_back(Counted(tCounts.NrMissingRooms, "team matches with a missing room"));
  }
  if (tCounts.NrCrowdedMatches > 0) {
    aParts.push_back(Counted(tCounts.NrCrowdedMatches, "team matches with more than two rooms"));
  }
  if (tCounts.NrBothDirections > 0) {
    aParts.push_back(
        Counted(tCounts.NrBothDirections, "pairs that play both directions (ranked in one field)"));
  }
  if (aParts.empty()) return;
  std::string Line =
      "results: " + Counted(static_cast<scoring::UInt32>(tSession.Boards().size()), "boards");
  for (const std::string& Part : aParts)
    Line += "; " + Part;
  std::fprintf(stderr, "%s\n", Line.c_str());
}

// ---------------------------------------------------------------------------------------------

int ReadFile(const std::string& Path, std::FILE* pFile, const ResultsArgs& tArgs,
             SessionDef* ptSession) {
  PbnImportOptionsDef tOptions = UseReading(pFile, Path, true);
  tOptions.bKeepRefused = tArgs.bWithMistakes;
  const unsigned NrGames = IndexGames(pFile, {}, tOptions);
  NoteIndexPass("results", Path, NrGames);
  const scoring::UInt32 FileNr = ptSession->AddFile(Path);
  for (unsigned GameNr = 1; GameNr <= NrGames; GameNr++) {
    PbnFilePosDef FilePosBegin = -1;
    PbnFilePosDef FilePosOut = -1;
    if (!GameLoadRecords(pFile, GameNr, &FilePosBegin, &FilePosOut)) continue;
    ptSession->AddGame(FileNr, GameNr, *tGameAdmin.ptGameData, *tGameAdmin.ptGameTags);
  }
  return NrGames > 0 ? kExitOk : kExitNone;
}

// The boards a shard prints: a contiguous part of the boards in order, so that the parts'
// outputs together are the whole (each part reads and scores every file: a board needs all
// its results). The ranking comes with the last part, the CSV header with the first.
std::pair<size_t, size_t> ShardBoards(const ShardDef& tShard, size_t NrBoards) {
  return {(tShard.Part - 1) * NrBoards / tShard.NrParts, tShard.Part * NrBoards / tShard.NrParts};
}

void PrintResults(const SessionDef& tSession, const ResultsArgs& tArgs) {
  const auto [FirstBoard, EndBoard] = ShardBoards(tArgs.tShard, tSession.Boards().size());
  const bool bFirstPart = tArgs.tShard.Part == 1;
  const bool bLastPart = tArgs.tShard.Part == tArgs.tShard.NrParts;
  if (tArgs.bCsv || tArgs.bJson) {
    if (tArgs.bRanking) {
      if (!bLastPart) return;  // the ranking is one part's
      if (tArgs.bCsv) PrintCsvLine(kRankingFields);
      for (const RankRowDef& tRow : scoring::Ranking(tSession)) {
        if (tArgs.bCsv) {
          PrintCsvLine(RankingCsv(tSession, tRow));
        } else {
          PrintJsonLine(RankingJson(tSession, tRow));
        }
      }
      return;
    }
    if (tArgs.bCsv && bFirstPart) PrintCsvLine(kResultFields);
    for (size_t BoardNr = FirstBoard; BoardNr < EndBoard; BoardNr++) {
      for (scoring::UInt32 ResultNr : tSession.Boards()[BoardNr].aResults) {
        const ResultDef& tResult = tSession.Results()[ResultNr];
        if (tArgs.bCsv) {
          PrintCsvLine(ResultCsv(tSession, tResult));
        } else {
          PrintJsonLine(ResultJson(tSession, tResult));
        }
      }
    }
    return;
  }
  if (!tArgs.bRanking) {
    for (size_t BoardNr = FirstBoard; BoardNr < EndBoard; BoardNr++)
      PrintTraveller(tSession, tSession.Boards()[BoardNr]);
  }
  if (!bLastPart) return;
  PrintMatches(tSession);
  PrintRanking(tSession, scoring::Ranking(tSession));
}

}  // namespace

int Results(const Args& args) {
  ResultsArgs tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;
  InputsDef tInputs = ExpandInputs(tArgs.Operands);
  tInputs.bTextOnly = tArgs.bWithMistakes;
  SessionDef tSession;
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t) {
    return ReadFile(Path, pFile, tArgs, &tSession);
  });
  tSession.Score({tArgs.Method});
  PrintResults(tSession, tArgs);
  std::fflush(stdout);  // the counts follow the output they speak of, also on a terminal
  for (scoring::UInt32 FileNr = 0; FileNr < tSession.Files().size(); FileNr++)
    ReportFile(tSession, FileNr);
  ReportRun(tSession);
  return Status;
}

}  // namespace cli
