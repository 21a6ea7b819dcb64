// lin-rate FILE.lin FILE.pbn [--runs N]: the time to convert and index a LIN file against the
// time to index the PBN file of the same boards (by the PBN 2.1 reading that LIN files get), each
// the best of N runs (20) in one process, taken in turns; then their ratio. Times are the
// process's CPU time, which other work on a shared machine disturbs less than the wall clock.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/lin.h"
#include "games/pbn_game.h"
#include "import/reading.h"

namespace {

double CpuSeconds() {
  timespec tNow;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &tNow);
  return static_cast<double>(tNow.tv_sec) + static_cast<double>(tNow.tv_nsec) * 1e-9;
}

// Opens the file as karvelon-cli does, runs the index pass; the seconds it all took.
double TimeOpenAndIndex(const char* pcPath, pbn::UInt32* pNrGames) {
  const double Start = CpuSeconds();
  std::FILE* pFile = lin::OpenGameFile(pcPath);
  if (pFile == nullptr) {
    std::perror(pcPath);
    std::exit(2);
  }
  const pbn::PbnImportOptionsDef tReading =
      pbn::PbnReadingFor(pbn::ReadingChoiceDef::Pbn21, pbn::PbnReadHead(pFile));
  pbn::GamesLoad(pFile, pNrGames, tReading);
  std::fclose(pFile);
  return CpuSeconds() - Start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: lin-rate FILE.lin FILE.pbn [--runs N]\n", stderr);
    return 2;
  }
  const int NrRuns = argc >= 5 && std::strcmp(argv[3], "--runs") == 0 ? std::atoi(argv[4]) : 20;
  if (!pbn::GameInit()) return 2;
  pbn::UInt32 NrLin = 0;
  pbn::UInt32 NrPbn = 0;
  double Lin = 1e9;
  double Pbn = 1e9;
  for (int Run = 0; Run < NrRuns; Run++) {
    Lin = std::min(Lin, TimeOpenAndIndex(argv[1], &NrLin));
    Pbn = std::min(Pbn, TimeOpenAndIndex(argv[2], &NrPbn));
  }
  std::printf("LIN, converted and indexed: %u games, %.2f ms\n", NrLin, Lin * 1e3);
  std::printf("PBN 2.1, indexed:           %u games, %.2f ms\n", NrPbn, Pbn * 1e3);
  std::printf("ratio LIN / PBN: %.2f (CPU time, best of %d runs each)\n", Lin / Pbn, NrRuns);
  return NrLin == NrPbn ? 0 : 1;
}
