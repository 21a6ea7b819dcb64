// karvelon-cli dd FILE [--jobs N] [--json]: the double-dummy table and par of every game,
// solved in batches by the library's threads.
#include <unistd.h>

#include <cstdlib>

#include "cli/cli.h"
#include "cli/dd_json.h"
#include "core/defs.h"
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
  std::string Board;
  std::string Deal;
};

std::string DealText(const PbnDealDef& tDeal) {
  std::string Text = "N:";
  for (PbnSideDef Side : {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST}) {
    if (Side != PBN_NORTH) Text += ' ';
    Text += HandText(tDeal.tHands[Side]);
  }
  return Text;
}

Json ParValue(const analysis::ParDef& tPar) {
  if (!tPar.Error.empty()) return Json{{"error", tPar.Error}};
  return Json{{"score", analysis::ParScoreText(tPar.Score)}, {"contracts", tPar.Contracts}};
}

std::string TextLine(unsigned GameNr, const GameRowDef& tRow, const analysis::DealAnalysisDef& t) {
  std::string Line = std::to_string(GameNr) + "\t" + tRow.Board + "\t" + tRow.Deal + "\t";
  if (!t.Error.empty()) return Line + "error: " + t.Error;
  Line += DoubleDummyTricksText(t.aaTricks) + "\t";
  if (!t.tPar.Error.empty()) return Line + "par: " + t.tPar.Error;
  Line += "par " + analysis::ParScoreText(t.tPar.Score);
  for (size_t i = 0; i < t.tPar.Contracts.size(); ++i) {
    Line += (i == 0 ? ": " : ", ") + t.tPar.Contracts[i];
  }
  return Line;
}

bool ParseJobs(const std::string& Text, int* pJobs) {
  if (Text.empty() || Text.size() > 4 || Text.find_first_not_of("0123456789") != Text.npos) {
    return false;
  }
  *pJobs = std::atoi(Text.c_str());
  return *pJobs >= 1;
}

}  // namespace

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

int DoubleDummy(const Args& args) {
  std::string Path;
  int Jobs = 0;
  bool bJson = false;
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == "--json") {
      bJson = true;
    } else if (args[i] == "--jobs") {
      if (i + 1 >= args.size() || !ParseJobs(args[++i], &Jobs)) {
        return Fail("dd: --jobs needs a number of threads from 1");
      }
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Fail("dd: unknown option '" + args[i] + "'");
    } else if (Path.empty()) {
      Path = args[i];
    } else {
      return Fail("dd: more than one FILE given");
    }
  }
  if (Path.empty())
    return Fail("dd: no FILE given (usage: karvelon-cli dd FILE [--jobs N] [--json])");
  FilePtr pFile = OpenPbnFile(Path);
  if (!pFile) return kExitError;
  const unsigned NrGames = IndexGames(pFile.get(), {}, UseReading(pFile.get(), Path, false));

  std::vector<GameRowDef> atRows;
  std::vector<analysis::DealInputDef> atInputs;
  for (unsigned GameNr = 1; GameNr <= NrGames; ++GameNr) {
    UInt32 NrLines = 0;
    GameLoad(pFile.get(), GameNr, &NrLines);
    const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
    atRows.push_back({TagText(*tGameAdmin.ptGameTags, PBN_TAG_ID_BOARD), DealText(tData.tDeal)});
    atInputs.push_back(DealInput(tData));
  }
  analysis::SetSolverThreads(Jobs);
  const bool bProgress = isatty(STDERR_FILENO) != 0;
  const auto Progress = [&](size_t NrDone) {
    if (bProgress) std::fprintf(stderr, "\rdd: %zu/%zu deals", NrDone, atInputs.size());
  };
  const auto atResults = analysis::AnalyseDeals(atInputs, Progress);
  if (bProgress && !atInputs.empty()) std::fputc('\n', stderr);

  for (size_t i = 0; i < atResults.size(); ++i) {
    const unsigned GameNr = static_cast<unsigned>(i + 1);
    if (bJson) {
      const Json Line{{"game", GameNr},
                      {"board", atRows[i].Board},
                      {"deal", atRows[i].Deal},
                      {"double_dummy", DoubleDummyValue(atResults[i])}};
      std::printf("%s\n", Line.dump().c_str());
    } else {
      std::printf("%s\n", TextLine(GameNr, atRows[i], atResults[i]).c_str());
    }
  }
  return NrGames > 0 ? kExitOk : kExitNone;
}

}  // namespace cli
