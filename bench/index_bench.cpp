// karvelon-bench --file PBN [--cli KARVELON_CLI] [benchmark options]
// Measures on one file in one run: the floor (reading the file through 256-byte line reads),
// the index pass with and without a log, loading single games for display, and the peak memory
// of `karvelon-cli check`; then prints MB/s, games/s and the ratio of the index pass to the floor.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_play.h"

namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string FilePath;
std::string CliPath;
long long FileBytes = 0;
std::FILE* pPbnFile = nullptr;
pbn::UInt32 NrGames = 0;

struct ChosenGameDef {
  const char* pcLabel;
  pbn::UInt32 GameNr;
};
std::vector<ChosenGameDef> atChosenGames;

// The bare reading loop: every chunk of at most 255 characters, every byte touched.
void BM_Floor(benchmark::State& state) {
  unsigned long long Sum = 0;
  for (auto _ : state) {
    std::rewind(pPbnFile);
    char acLine[256];
    while (std::fgets(acLine, sizeof acLine, pPbnFile) != nullptr) {
      for (const char* pc = acLine; *pc != '\0'; pc++)
        Sum += static_cast<unsigned char>(*pc);
    }
    benchmark::DoNotOptimize(Sum);
  }
  state.SetBytesProcessed(state.iterations() * FileBytes);
}

void BM_IndexPass(benchmark::State& state, bool bLog) {
  const std::string LogPath = FilePath + ".bench.log";
  pbn::UInt32 NrIndexed = 0;
  for (auto _ : state) {
    FilePtr pLog(bLog ? std::fopen(LogPath.c_str(), "w") : nullptr,
                 [](std::FILE* p) { return p != nullptr ? std::fclose(p) : 0; });
    pbn::PbnImportFile(pLog.get());
    std::rewind(pPbnFile);
    pbn::GamesLoad(pPbnFile, &NrIndexed);
    pbn::PbnImportFile(nullptr);
  }
  state.SetBytesProcessed(state.iterations() * FileBytes);
  state.counters["games/s"] =
      benchmark::Counter(static_cast<double>(NrIndexed) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

void BM_GameLoad(benchmark::State& state, pbn::UInt32 GameNr) {
  pbn::UInt32 NrLines = 0;
  for (auto _ : state) {
    pbn::GameLoad(pPbnFile, GameNr, &NrLines);
    benchmark::DoNotOptimize(NrLines);
  }
}

// A game of full play with comments, searched from Start towards Step.
bool FullGame(pbn::UInt32 GameNr) {
  pbn::UInt32 NrLines;
  pbn::GameLoad(pPbnFile, GameNr, &NrLines);
  return pbn::tGameAdmin.NrPlayCards == 52 && pbn::tGameAdmin.ptGameTags->IxComments > 0 &&
         pbn::IndexSources(GameNr)[pbn::PBN_TAG_ID_ANNOTATOR] == pbn::kNoSource;
}

pbn::UInt32 FindFullGame(pbn::UInt32 Start, int Step) {
  for (pbn::UInt32 GameNr = Start; GameNr >= 1 && GameNr <= NrGames; GameNr += Step) {
    if (FullGame(GameNr)) return GameNr;
  }
  return Start;
}

// The last game whose Annotator stands for a value far back in the file.
pbn::UInt32 FindFarInheritingGame() {
  pbn::UInt32 Best = 0;
  pbn::PbnFilePosDef BestDistance = 0;
  for (pbn::UInt32 GameNr = 1; GameNr <= NrGames; GameNr++) {
    const auto* ptElement =
        pbn::DynamicDataAt<pbn::GameTagDataDef>(pbn::tFileAdmin.tGameTagDD, GameNr);
    for (pbn::PbnFilePosDef SourcePos : pbn::IndexSources(GameNr)) {
      if (SourcePos != pbn::kNoSource && ptElement->FilePosBegin - SourcePos >= BestDistance) {
        Best = GameNr;
        BestDistance = ptElement->FilePosBegin - SourcePos;
      }
    }
  }
  return Best;
}

// Keeps the best time per iteration of each benchmark for the summary: the "min" statistic of
// repeated ones, the single run of the others.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  SummaryReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& aRuns) override {
    for (const Run& tRun : aRuns) {
      const bool bRepeated = tRun.repetitions > 1;
      if (bRepeated ? tRun.aggregate_name != "min" : tRun.run_type != Run::RT_Iteration) continue;
      Best[tRun.run_name.function_name] =
          tRun.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(tRun.time_unit);
    }
    ConsoleReporter::ReportRuns(aRuns);
  }
  std::map<std::string, double> Best;
};

double Minimum(const std::vector<double>& aValues) {
  return *std::min_element(aValues.begin(), aValues.end());
}

// Peak resident memory of `karvelon-cli check FILE` in KiB, from GNU time; -1 when unknown.
long PeakMemoryKiB() {
  if (CliPath.empty()) return -1;
  const std::string Command = "/usr/bin/time -v '" + CliPath + "' check '" + FilePath +
                              "' --log '" + FilePath + ".check.log' 2>&1";
  FilePtr pPipe(popen(Command.c_str(), "r"), pclose);
  if (!pPipe) return -1;
  long PeakKiB = -1;
  char acLine[512];
  while (std::fgets(acLine, sizeof acLine, pPipe.get()) != nullptr) {
    const char* pc = std::strstr(acLine, "Maximum resident set size (kbytes):");
    if (pc != nullptr) PeakKiB = std::atol(std::strchr(pc, ':') + 1);
  }
  return PeakKiB;
}

void PrintSummary(const SummaryReporter& Reporter) {
  auto Seconds = [&](const std::string& Name) {
    const auto it = Reporter.Best.find(Name);
    return it != Reporter.Best.end() ? it->second : 0.0;
  };
  const double MB = static_cast<double>(FileBytes) / 1e6;
  const double Floor = Seconds("Floor");
  std::printf("\nKarvelon index pass on %s: %.1f MB, %u games indexed (best of the runs)\n",
              FilePath.c_str(), MB, NrGames);
  std::printf("  %-34s %8.1f MB/s  %8.3f s\n", "floor (fgets 256 bytes, touch all)", MB / Floor,
              Floor);
  for (const char* pcName : {"IndexPass/no_log", "IndexPass/log"}) {
    const double T = Seconds(pcName);
    std::printf("  %-34s %8.1f MB/s  %8.3f s  %9.0f games/s  ratio to floor %.2f\n", pcName, MB / T,
                T, NrGames / T, T / Floor);
  }
  for (const ChosenGameDef& tGame : atChosenGames) {
    const std::string Name = std::string("GameLoad/") + tGame.pcLabel;
    std::printf("  %-34s %8.3f ms  (game %u)\n", Name.c_str(), Seconds(Name) * 1e3, tGame.GameNr);
  }
  const long PeakKiB = PeakMemoryKiB();
  const auto Bytes = [](const pbn::DynamicDataDef& tArray, pbn::UInt32 NrElements) {
    return static_cast<double>(NrElements) * tArray.DataSize;
  };
  const pbn::DynamicDataDef& tIndex = pbn::tFileAdmin.tGameTagDD;
  const pbn::DynamicDataDef& tSources = pbn::tFileAdmin.tSourceDD;
  const double IndexMiB =
      (Bytes(tIndex, tIndex.MaxData) + Bytes(tSources, tSources.MaxData)) / (1024.0 * 1024.0);
  std::printf(
      "  index: %.1f bytes per game (%u bytes a game and %u a \"#\", %.2f \"#\" per game), "
      "%.1f with the room grown\n",
      (Bytes(tIndex, tIndex.CurData) + Bytes(tSources, tSources.CurData)) / NrGames,
      tIndex.DataSize, tSources.DataSize, static_cast<double>(tSources.CurData) / NrGames,
      IndexMiB * 1024.0 * 1024.0 / NrGames);
  if (PeakKiB < 0) {
    std::printf("  peak memory of karvelon-cli check: unknown (no --cli or no /usr/bin/time)\n");
  } else {
    std::printf(
        "  peak memory of karvelon-cli check: %.1f MiB (index %.1f MiB, beyond the "
        "index %.1f MiB)\n",
        PeakKiB / 1024.0, IndexMiB, PeakKiB / 1024.0 - IndexMiB);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The repetitions of the floor and of the index pass alternate, so that a busy machine slows
  // both alike; options given on the command line come later and win.
  char acInterleave[] = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> aArgs = {argv[0], acInterleave};
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--file") == 0 && i + 1 < argc) {
      FilePath = argv[++i];
    } else if (std::strcmp(argv[i], "--cli") == 0 && i + 1 < argc) {
      CliPath = argv[++i];
    } else {
      aArgs.push_back(argv[i]);
    }
  }
  struct stat tStat;
  if (FilePath.empty() || stat(FilePath.c_str(), &tStat) != 0) {
    std::fprintf(stderr, "usage: karvelon-bench --file PBN [--cli KARVELON_CLI] [options]\n");
    return 2;
  }
  FileBytes = tStat.st_size;
  FilePtr pFile(std::fopen(FilePath.c_str(), "rb"), std::fclose);
  if (!pFile || !pbn::GameInit()) return 2;
  pPbnFile = pFile.get();

  // One pass to build the index that the single-game loads use; it also warms the page cache.
  pbn::GamesLoad(pPbnFile, &NrGames);
  if (NrGames == 0) {
    std::fprintf(stderr, "karvelon-bench: %s holds no acceptable game\n", FilePath.c_str());
    return 1;
  }
  atChosenGames = {{"start", FindFullGame(1, 1)},
                   {"middle", FindFullGame(NrGames / 2, 1)},
                   {"end", FindFullGame(NrGames, -1)},
                   {"far_inheritance", FindFarInheritingGame()}};

  // Whole-file passes take long enough for one iteration each; repeated, the best one counts.
  for (benchmark::internal::Benchmark* ptBench :
       {benchmark::RegisterBenchmark("Floor", BM_Floor),
        benchmark::RegisterBenchmark("IndexPass/no_log", BM_IndexPass, false),
        benchmark::RegisterBenchmark("IndexPass/log", BM_IndexPass, true)}) {
    ptBench->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(5)
        ->ComputeStatistics("min", Minimum)
        ->ReportAggregatesOnly(true);
  }
  for (const ChosenGameDef& tGame : atChosenGames) {
    if (tGame.GameNr == 0) continue;
    benchmark::RegisterBenchmark((std::string("GameLoad/") + tGame.pcLabel).c_str(), BM_GameLoad,
                                 tGame.GameNr)
        ->Unit(benchmark::kMicrosecond);
  }

  int NrArgs = static_cast<int>(aArgs.size());
  benchmark::Initialize(&NrArgs, aArgs.data());
  SummaryReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  PrintSummary(Reporter);
  benchmark::Shutdown();
  pbn::GameTerm();
  return 0;
}
