// karvelon-cli dd FILES... [--jobs N] [--json] [--shard K/N]: the double-dummy table and par of
// every game, solved in batches by the library's threads; the deals of all files share the
// batches.
#include <unistd.h>

#include "cli/cli.h"
#include "cli/dd_json.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "core/defs.h"
#include "core/score.h"
#include "core/tags.h"
#include "games/annotate.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;
using namespace pbn;

constexpr PbnSideDef aTableSides[4] = {PBN_NORTH, PBN_SOUTH, PBN_EAST, PBN_WEST};
constexpr PbnTrumpDef aTableTrumps[5] = {PBN_TRUMP_NT, PBN_SPADES, PBN_HEARTS, PBN_DIAMONDS,
                                         PBN_CLUBS};
constexpr const char* apcLetters = "SWNE";  // by side code

struct GameRowDef {
  std::string File;  // with several files
  unsigned GameNr;
  std::string Board;
  std::string Deal;
};

Json ParValue(const analysis::ParDef& tPar) {
  if (!tPar.Error.empty()) return Json{{"error", tPar.Error}};
  return Json{{"score", ScoreText(tPar.Score)}, {"contracts", tPar.Contracts}};
}

std::string TextLine(const GameRowDef& tRow, const analysis::DealAnalysisDef& t) {
  std::string Line = tRow.File.empty() ? "" : tRow.File + "\t";
  Line += std::to_string(tRow.GameNr) + "\t" + tRow.Board + "\t" + tRow.Deal + "\t";
  if (!t.Error.empty()) return Line + "error: " + t.Error;
  Line += TricksText(t.aaTricks) + "\t";
  if (!t.tPar.Error.empty()) return Line + "par: " + t.tPar.Error;
  return Line + "par " + ParText(t.tPar);
}

}  // namespace

std::string TricksText(const analysis::DdTableDef& aaTricks) {
  return DoubleDummyTricksText(aaTricks);
}

std::string ParText(const analysis::ParDef& tPar) {
  std::string Text = ScoreText(tPar.Score);
  for (size_t i = 0; i < tPar.Contracts.size(); ++i) {
    Text += (i == 0 ? ": " : ", ") + tPar.Contracts[i];
  }
  return Text;
}

analysis::DealInputDef DealInput(const PbnGameDataDef& tData) {
  return {tData.tDeal, tData.tSituation.Dealer, tData.tSituation.Vulner};
}

Json DoubleDummyValue(const analysis::DealAnalysisDef& tAnalysis) {
  if (!tAnalysis.Error.empty()) return Json{{"error", tAnalysis.Error}};
  Json Tricks = Json::object();
  for (PbnSideDef Side : aTableSides) {
    Json Row = Json::object();
    for (PbnTrumpDef Trump : aTableTrumps) {
      Row[apcPbnTrumpNames[Trump]] = tAnalysis.aaTricks[Side][Trump];
    }
    Tricks[std::string(1, apcLetters[Side])] = Row;
  }
  return Json{{"tricks", Tricks}, {"par", ParValue(tAnalysis.tPar)}};
}

namespace {

struct DdJobDef {
  std::vector<GameRowDef> atRows;
  std::vector<analysis::DealInputDef> atInputs;
};

// Adds the games of the range of an open file to the job.
int AddFileGames(const std::string& Path, std::FILE* pFile, const GameRangeDef& tRange, bool bNamed,
                 DdJobDef* ptJob) {
  if (tRange.Empty()) return kExitOk;
  const unsigned NrGames = IndexGames(pFile, {}, UseReading(pFile, Path, false));
  NoteIndexPass("dd", Path, NrGames);
  for (unsigned GameNr = tRange.First; GameNr <= NrGames && GameNr < tRange.End; ++GameNr) {
    UInt32 NrLines = 0;
    GameLoad(pFile, GameNr, &NrLines);
    const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
    ptJob->atRows.push_back({bNamed ? Path : std::string(), GameNr,
                             TagText(*tGameAdmin.ptGameTags, PBN_TAG_ID_BOARD),
                             DealText(tData.tDeal)});
    ptJob->atInputs.push_back(DealInput(tData));
  }
  return NrGames > 0 ? kExitOk : kExitNone;
}

void PrintResult(const GameRowDef& tRow, const analysis::DealAnalysisDef& tResult, bool bJson) {
  if (!bJson) {
    std::printf("%s\n", TextLine(tRow, tResult).c_str());
    return;
  }
  Json Line = Json::object();
  if (!tRow.File.empty()) Line["file"] = tRow.File;
  Line["game"] = tRow.GameNr;
  Line["board"] = tRow.Board;
  Line["deal"] = tRow.Deal;
  Line["double_dummy"] = DoubleDummyValue(tResult);
  std::printf("%s\n", Line.dump().c_str());
}

}  // namespace

int DoubleDummy(const Args& args) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("dd", args, &tLine, &Error)) return Fail("dd: " + Error);
  ShardDef tShard;
  if (tLine.Has("--shard")) ParseShard(tLine.Value("--shard"), &tShard);
  int Jobs = 0;
  if (tLine.Has("--jobs")) ParseJobs(tLine.Value("--jobs"), &Jobs);
  const bool bJson = tLine.Has("--json");
  const std::vector<std::string>& Operands = tLine.aOperands;
  if (Operands.empty()) return Fail("dd: no FILE given (usage: " + CommandUsage("dd") + ")");
  const InputsDef tInputs = ExpandInputs(Operands);
  const std::vector<GameRangeDef> atRanges = ShardRanges(tShard, tInputs.Files, false);
  DdJobDef tJob;
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t i) {
    return AddFileGames(Path, pFile, atRanges[i], tInputs.bMany, &tJob);
  });

  analysis::SetSolverThreads(Jobs);
  const bool bProgress = isatty(STDERR_FILENO) != 0;
  const auto Progress = [&](size_t NrDone) {
    if (bProgress) std::fprintf(stderr, "\rdd: %zu/%zu deals", NrDone, tJob.atInputs.size());
  };
  const auto atResults = analysis::AnalyseDeals(tJob.atInputs, Progress);
  if (bProgress && !tJob.atInputs.empty()) std::fputc('\n', stderr);
  for (size_t i = 0; i < atResults.size(); ++i)
    PrintResult(tJob.atRows[i], atResults[i], bJson);
  return Status;
}

}  // namespace cli
