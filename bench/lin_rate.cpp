// lin-rate FILE.lin FILE.pbn [--runs N]: the time to convert and index a LIN file against the
// time to index the PBN file of the same boards (by the PBN 2.1 reading that LIN files get), each
// the best of N runs (20) in one process; then their ratio.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "formats/lin.h"
#include "games/pbn_game.h"
#include "import/reading.h"

namespace {

using Clock = std::chrono::steady_clock;

// Opens the file as karvelon-cli does, runs the index pass; the seconds it all took.
double TimeOpenAndIndex(const char* pcPath, pbn::UInt32* pNrGames) {
  const Clock::time_point Start = Clock::now();
  std::FILE* pFile = lin::OpenGameFile(pcPath);
  if (pFile == nullptr) {
    std::perror(pcPath);
    std::exit(2);
  }
  const pbn::PbnImportOptionsDef tReading =
      pbn::PbnReadingFor(pbn::ReadingChoiceDef::Pbn21, pbn::PbnReadHead(pFile));
  pbn::GamesLoad(pFile, pNrGames, tReading);
  std::fclose(pFile);
  return std::chrono::duration<double>(Clock::now() - Start).count();
}

double Best(const char* pcPath, int NrRuns, pbn::UInt32* pNrGames) {
  double BestTime = 1e9;
  for (int Run = 0; Run < NrRuns; Run++)
    BestTime = std::min(BestTime, TimeOpenAndIndex(pcPath, pNrGames));
  return BestTime;
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
  const double Lin = Best(argv[1], NrRuns, &NrLin);
  const double Pbn = Best(argv[2], NrRuns, &NrPbn);
  std::printf("LIN, converted and indexed: %u games, %.2f ms\n", NrLin, Lin * 1e3);
  std::printf("PBN 2.1, indexed:           %u games, %.2f ms\n", NrPbn, Pbn * 1e3);
  std::printf("ratio LIN / PBN: %.2f (best of %d runs each)\n", Lin / Pbn, NrRuns);
  return NrLin == NrPbn ? 0 : 1;
}
