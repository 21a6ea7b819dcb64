// The scores of the open file for the Same board and Results panels: the games of the index loaded
// one after the other into records of their own (the game on display stays as it is), added to a
// session of the scoring layer, which groups, scores and ranks them as karvelon-cli results does.
#include "viewer/results_view.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

#include "core/score.h"
#include "games/pbn_game.h"
#include "scoring/session.h"
#include "scoring/traveller.h"
#include "viewer/karvelon.h"
#include "viewer/viewer.h"

namespace viewer {

using namespace pbn;
using scoring::BoardDef;
using scoring::MethodDef;
using scoring::RankRowDef;
using scoring::ResultDef;

namespace {

// A step loads games for about this long: the window answers between steps.
constexpr auto kStepTime = std::chrono::milliseconds(12);
constexpr char kComputingText[] = "\xE2\x80\xA6";  // "…"

struct ScoresDef {
  bool bWanted = false;      // a panel shows scores
  bool bStepPosted = false;  // a WM_INDEX_PASS for the scores is on its way
  ScoresStateDef State = ScoresStateDef::None;
  std::unique_ptr<scoring::SessionDef> ptSession;
  std::vector<RankRowDef> atRanking;
  UInt32 NextGame = 1;
  UInt32 NrGames = 0;
  // The records the games are loaded into, apart from those of the game on display.
  PbnGameDataDef* ptGameData = nullptr;
  PbnGameTagsDef* ptGameTags = nullptr;
};
ScoresDef tScores;

void ReleaseRecords() {
  if (tScores.ptGameTags != nullptr) GameTagsTerm(tScores.ptGameTags);
  std::free(tScores.ptGameData);
  std::free(tScores.ptGameTags);
  tScores.ptGameData = nullptr;
  tScores.ptGameTags = nullptr;
}

void PostStep() {
  if (tScores.bStepPosted || hMyWnd == nullptr) return;
  tScores.bStepPosted = true;
  hMyWnd->IndexPassLater();
}

bool BeginComputing() {
  std::FILE* pFile = OpenGameFile();
  const UInt32 NrGames = tFileAdmin.tGameTagDD.CurData;
  if (pFile == nullptr || NrGames == 0) return false;
  tScores.ptGameData = static_cast<PbnGameDataDef*>(std::calloc(1, sizeof(PbnGameDataDef)));
  tScores.ptGameTags = static_cast<PbnGameTagsDef*>(std::calloc(1, sizeof(PbnGameTagsDef)));
  if (tScores.ptGameData == nullptr || tScores.ptGameTags == nullptr) {
    ReleaseRecords();
    return false;
  }
  tScores.ptSession = std::make_unique<scoring::SessionDef>();
  tScores.ptSession->AddFile(OpenFilePath());
  tScores.atRanking.clear();
  tScores.NextGame = 1;
  tScores.NrGames = NrGames;
  tScores.State = ScoresStateDef::Computing;
  return true;
}

// Loads and adds games until the step's time is up; true once every game is added.
bool AddGames(std::FILE* pFile) {
  const auto End = std::chrono::steady_clock::now() + kStepTime;
  while (tScores.NextGame <= tScores.NrGames) {
    const UInt32 GameNr = tScores.NextGame++;
    PbnFilePosDef FilePosBegin = -1;
    PbnFilePosDef FilePosOut = -1;
    // Into the session's own records: the game on display stays as it is.
    if (GameLoadRecords(pFile, GameNr, {tScores.ptGameData, tScores.ptGameTags}, &FilePosBegin,
                        &FilePosOut)) {
      tScores.ptSession->AddGame(0, GameNr, *tScores.ptGameData, *tScores.ptGameTags);
    }
    if (GameNr % 16 == 0 && std::chrono::steady_clock::now() >= End) break;
  }
  return tScores.NextGame > tScores.NrGames;
}

const scoring::SessionDef* ReadySession() {
  return tScores.State == ScoresStateDef::Ready ? tScores.ptSession.get() : nullptr;
}

// The traveller's cells of the columns chosen, by their place, of all a result's cells.
std::vector<std::string> CellsAt(const std::vector<std::string>& aAll,
                                 const std::vector<std::size_t>& aColumns) {
  std::vector<std::string> aCells;
  for (const std::size_t Column : aColumns)
    aCells.push_back(Column < aAll.size() ? aAll[Column] : std::string());
  return aCells;
}

// A ScoreTable row in the game list's columns, as a game shows there.
std::vector<std::string> ListCells(const BoardDef& tBoard, const ResultDef& tResult) {
  std::string Contract = scoring::ContractText(tResult);
  const std::string Declarer = scoring::DeclarerText(tResult);
  if (!Declarer.empty()) Contract += " " + Declarer;
  const std::string Players = tResult.PairNS.empty() && tResult.PairEW.empty()
                                  ? std::string()
                                  : tResult.PairNS + " v " + tResult.PairEW;
  return {"",
          tBoard.Board,
          Contract,
          tResult.Tricks ? std::to_string(*tResult.Tricks) : "",
          tResult.ScoreNS ? ScoreText(*tResult.ScoreNS) : scoring::UnscoredText(tResult),
          Players,
          "",
          ""};
}

// Whether the pair of a ranking row sat North-South in a result.
bool SatNorthSouth(const RankRowDef& tRow, const ResultDef& tResult, MethodDef Method) {
  if (!tRow.Direction.empty()) return tRow.Direction == "NS";
  return Method == MethodDef::Teams ? tResult.TeamNS == tRow.Pair : tResult.PairNS == tRow.Pair;
}

}  // namespace

void ScoresForget() {
  tScores.State = ScoresStateDef::None;
  tScores.ptSession.reset();
  tScores.atRanking.clear();
  tScores.atRanking.shrink_to_fit();
  ReleaseRecords();
}

void ScoresTerm() {
  ScoresForget();
  tScores = ScoresDef{};
}

void ScoresAfterIndexPass() {
  // A step asked for before may have gone to the pass: every WM_INDEX_PASS is the pass's while
  // it runs.
  tScores.bStepPosted = false;
  if (tScores.bWanted && tScores.State != ScoresStateDef::Ready) PostStep();
}

void ScoresPassStep() {
  tScores.bStepPosted = false;
  if (!tScores.bWanted || IndexPassRunning()) return;
  if (tScores.State == ScoresStateDef::None && !BeginComputing()) return;
  if (tScores.State != ScoresStateDef::Computing) return;
  std::FILE* pFile = OpenGameFile();
  if (pFile == nullptr) return ScoresForget();
  try {
    if (!AddGames(pFile)) return PostStep();
    ReleaseRecords();
    tScores.ptSession->Score({});
    tScores.atRanking = scoring::Ranking(*tScores.ptSession);
    tScores.State = ScoresStateDef::Ready;
  } catch (const std::bad_alloc&) {
    // Out of memory: the panels go on without scores until one is shown again.
    ScoresForget();
    tScores.bWanted = false;
  }
  if (hMyWnd != nullptr) hMyWnd->ScoresComputed();
}

void WantScores() {
  tScores.bWanted = true;
  if (tScores.State != ScoresStateDef::Ready && !IndexPassRunning()) PostStep();
}

ScoresStateDef ScoresState() {
  if (tScores.State == ScoresStateDef::Ready) return ScoresStateDef::Ready;
  if (!tScores.bWanted) return ScoresStateDef::None;
  const bool bComing = tScores.State == ScoresStateDef::Computing || tScores.bStepPosted ||
                       (IndexPassRunning() && OpenGameFile() != nullptr);
  return bComing ? ScoresStateDef::Computing : ScoresStateDef::None;
}

ScoreTableDef SameBoardScores(std::uint32_t GameNr, const std::vector<std::uint32_t>& aGames) {
  ScoreTableDef tTable;
  const scoring::SessionDef* ptSession = ReadySession();
  if (ptSession == nullptr) {
    if (ScoresState() != ScoresStateDef::Computing) return tTable;
    tTable.atColumns.push_back({"Scores", false});
    for (const std::uint32_t Game : aGames)
      tTable.atRows.push_back({Game, -1, false, {kComputingText}, {}});
    return tTable;
  }
  const BoardDef* ptBoard = ptSession->GameBoard(0, GameNr);
  if (ptBoard == nullptr) return tTable;
  const MethodDef Method = ptBoard->Method;
  // The games listed, then the rows of the board's ScoreTable: a game that carries one has its
  // rows for its results. Each with all the cells of its traveller's row.
  struct EntryDef {
    std::uint32_t GameNr;
    const ResultDef* ptResult;
    std::vector<std::string> aAll;
  };
  std::vector<EntryDef> atEntries;
  const auto Add = [&](std::uint32_t Game, const ResultDef* ptResult) {
    atEntries.push_back({Game, ptResult,
                         ptResult != nullptr ? scoring::TravellerCells(*ptResult, Method)
                                             : std::vector<std::string>()});
  };
  for (const std::uint32_t Game : aGames) {
    const ResultDef* ptResult = ptSession->GameResult(0, Game);
    Add(Game, ptResult != nullptr && ptResult->GameNr == Game ? ptResult : nullptr);
  }
  for (const scoring::UInt32 ResultNr : ptBoard->aResults) {
    const ResultDef& tResult = ptSession->Results()[ResultNr];
    if (tResult.GameNr == 0) Add(0, &tResult);
  }
  // Table and room where any result has them, the method's figures, the file's values that
  // disagree where any does: contract, tricks and score are the list's own columns.
  const std::vector<scoring::TravellerColumnDef> atAll = scoring::TravellerColumns(Method);
  constexpr std::size_t kFirstFigure = 10;
  std::vector<std::size_t> aColumns;
  for (std::size_t Column = 0; Column < atAll.size(); Column++) {
    const bool bFigure = Column >= kFirstFigure && Column + 1 < atAll.size();
    const bool bOptional = Column <= 1 || Column + 1 == atAll.size();
    if (!bFigure && !bOptional) continue;
    const bool bFilled =
        bFigure || std::any_of(atEntries.begin(), atEntries.end(), [&](const EntryDef& tEntry) {
          return Column < tEntry.aAll.size() && !tEntry.aAll[Column].empty();
        });
    if (bFilled) aColumns.push_back(Column);
  }
  for (const std::size_t Column : aColumns)
    tTable.atColumns.push_back({atAll[Column].pcHeader, atAll[Column].bRight});
  // Why a result takes no part in the arithmetic ("no contract", "adjusted A60"), where any.
  const bool bNotes = std::any_of(atEntries.begin(), atEntries.end(), [](const EntryDef& tEntry) {
    return tEntry.ptResult != nullptr && !tEntry.ptResult->Scored();
  });
  if (bNotes) tTable.atColumns.push_back({"Note", false});
  for (const EntryDef& tEntry : atEntries) {
    ScoreRowDef tRow{tEntry.GameNr, -1, false, CellsAt(tEntry.aAll, aColumns), {}};
    if (bNotes) {
      tRow.aCells.push_back(tEntry.ptResult != nullptr ? scoring::UnscoredText(*tEntry.ptResult)
                                                       : std::string());
    }
    if (tEntry.GameNr == 0) tRow.aListCells = ListCells(*ptBoard, *tEntry.ptResult);
    tTable.atRows.push_back(std::move(tRow));
  }
  tTable.Title = scoring::MethodName(Method);
  return tTable;
}

ScoreTableDef ResultsRanking() {
  ScoreTableDef tTable;
  const scoring::SessionDef* ptSession = ReadySession();
  if (ptSession == nullptr) return tTable;
  const std::pair<scoring::UInt32, std::string>* pField = nullptr;
  std::pair<scoring::UInt32, std::string> Field;
  for (std::size_t i = 0; i < tScores.atRanking.size(); i++) {
    const RankRowDef& tRow = tScores.atRanking[i];
    const scoring::SectionDef& tSection = ptSession->Sections()[tRow.SectionNr];
    if (pField == nullptr || Field != std::make_pair(tRow.SectionNr, tRow.Direction)) {
      Field = {tRow.SectionNr, tRow.Direction};
      pField = &Field;
      tTable.atRows.push_back({0, -1, true, {scoring::RankingTitle(*ptSession, tRow)}, {}});
      // The table's columns are those of its first field; a field of another method names its
      // own in a row under its heading.
      std::vector<ScoreColumnDef> atColumns;
      for (const scoring::TravellerColumnDef& tColumn : scoring::RankingColumns(tSection))
        atColumns.push_back({tColumn.pcHeader, tColumn.bRight});
      const auto Headers = [](const std::vector<ScoreColumnDef>& atOf) {
        std::vector<std::string> aHeaders;
        for (const ScoreColumnDef& tColumn : atOf)
          aHeaders.push_back(tColumn.Header);
        return aHeaders;
      };
      if (tTable.atColumns.empty()) {
        tTable.atColumns = atColumns;
      } else if (Headers(atColumns) != Headers(tTable.atColumns)) {
        tTable.atRows.push_back({0, -1, false, Headers(atColumns), {}});
      }
    }
    tTable.atRows.push_back(
        {0, static_cast<int>(i), false, scoring::RankingCells(tSection, tRow), {}});
  }
  const std::size_t NrBoards = ptSession->Boards().size();
  tTable.Title = std::to_string(NrBoards) + (NrBoards == 1 ? " board, " : " boards, ") +
                 std::to_string(tScores.atRanking.size()) + " ranked";
  return tTable;
}

ScoreTableDef ResultsPairBoards(int Pair) {
  ScoreTableDef tTable;
  const scoring::SessionDef* ptSession = ReadySession();
  if (ptSession == nullptr || Pair < 0 ||
      static_cast<std::size_t>(Pair) >= tScores.atRanking.size()) {
    return tTable;
  }
  const RankRowDef& tRow = tScores.atRanking[static_cast<std::size_t>(Pair)];
  const scoring::SectionDef& tSection = ptSession->Sections()[tRow.SectionNr];
  const bool bTeams = tSection.Method == MethodDef::Teams;
  const bool bMp = tSection.Method.value_or(MethodDef::Matchpoints) == MethodDef::Matchpoints;
  std::vector<scoring::UInt32> aResults = tRow.aResults;
  std::stable_sort(aResults.begin(), aResults.end(),
                   [ptSession](scoring::UInt32 a, scoring::UInt32 b) {
                     return ptSession->Results()[a].BoardNr < ptSession->Results()[b].BoardNr;
                   });
  // A team plays each board in both rooms: its boards and its results.
  std::size_t NrBoards = 0;
  for (std::size_t i = 0; i < aResults.size(); i++) {
    const auto BoardOf = [&](std::size_t j) { return ptSession->Results()[aResults[j]].BoardNr; };
    if (i == 0 || BoardOf(i) != BoardOf(i - 1)) NrBoards++;
  }
  tTable.Title = (bTeams ? "Team " : "Pair ") + tRow.Pair +
                 (tRow.Direction.empty() ? "" : " " + tRow.Direction) + ": " +
                 std::to_string(NrBoards) + (NrBoards == 1 ? " board" : " boards");
  if (aResults.size() != NrBoards)
    tTable.Title += ", " + std::to_string(aResults.size()) + " results";
  tTable.atColumns = {{"Board", false}, {"Sat", false},   {"Against", false}, {"Contract", false},
                      {"By", false},    {"Tricks", true}, {"Score NS", true}};
  if (bMp) {
    tTable.atColumns.insert(tTable.atColumns.end(), {{"MP", true}, {"%", true}});
  } else {
    tTable.atColumns.push_back({"IMPs", true});
  }
  for (const scoring::UInt32 ResultNr : aResults) {
    const ResultDef& tResult = ptSession->Results()[ResultNr];
    const BoardDef& tBoard = ptSession->Boards()[tResult.BoardNr];
    const bool bNS = SatNorthSouth(tRow, tResult, tBoard.Method);
    const std::string& Against =
        bTeams ? (bNS ? tResult.TeamEW : tResult.TeamNS) : (bNS ? tResult.PairEW : tResult.PairNS);
    std::vector<std::string> aCells = {
        tBoard.Board,
        bNS ? "NS" : "EW",
        Against,
        scoring::ContractText(tResult),
        scoring::DeclarerText(tResult),
        tResult.Tricks ? std::to_string(*tResult.Tricks) : "",
        tResult.ScoreNS ? std::to_string(*tResult.ScoreNS) : scoring::UnscoredText(tResult)};
    if (bMp) {
      aCells.push_back(scoring::FigureText(bNS ? tResult.MpNS : tResult.MpEW));
      aCells.push_back(scoring::FigureText(bNS ? tResult.PctNS : tResult.PctEW));
    } else if (tBoard.Method == MethodDef::CrossImps) {
      aCells.push_back(scoring::FigureText(bNS ? tResult.ImpsAvgNS : tResult.ImpsAvgEW));
    } else {
      aCells.push_back(scoring::FigureText(bNS ? tResult.ImpsNS : tResult.ImpsEW));
    }
    tTable.atRows.push_back({tResult.GameNr, -1, false, std::move(aCells), {}});
  }
  return tTable;
}

}  // namespace viewer
