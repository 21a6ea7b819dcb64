// dds-rate FILE: the library's own batch rate, CalcAllTablesPBN over the [Deal] tags of FILE in
// full batches (MAXNOOFTABLES, 40 deals), as the yardstick for karvelon-cli dd on the same deals.
#include <dds/dll.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) return std::fprintf(stderr, "usage: dds-rate FILE\n"), 2;
  std::ifstream tFile(argv[1]);
  std::vector<std::string> aDeals;
  for (std::string Line; std::getline(tFile, Line);) {
    if (Line.rfind("[Deal \"", 0) == 0) aDeals.push_back(Line.substr(7, Line.find('"', 7) - 7));
  }
  SetMaxThreads(0);
  auto ptDeals = std::make_unique<ddTableDealsPBN>();
  auto ptResults = std::make_unique<ddTablesRes>();
  int aFilter[DDS_STRAINS] = {};
  const auto Start = std::chrono::steady_clock::now();
  const std::clock_t CpuStart = std::clock();  // all threads of the process
  for (size_t First = 0; First < aDeals.size(); First += MAXNOOFTABLES) {
    ptDeals->noOfTables = static_cast<int>(std::min<size_t>(MAXNOOFTABLES, aDeals.size() - First));
    for (int k = 0; k < ptDeals->noOfTables; ++k) {
      aDeals[First + k].copy(ptDeals->deals[k].cards, 79);
      ptDeals->deals[k].cards[std::min<size_t>(79, aDeals[First + k].size())] = '\0';
    }
    const int Code = CalcAllTablesPBN(ptDeals.get(), -1, aFilter, ptResults.get(), nullptr);
    if (Code != RETURN_NO_FAULT) return std::fprintf(stderr, "dds-rate: error %d\n", Code), 1;
  }
  const double Seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  const double Cpu = static_cast<double>(std::clock() - CpuStart) / CLOCKS_PER_SEC;
  std::printf(
      "library: %zu tables, %.2f s wall, %.2f s CPU: %.1f tables/s, %.1f tables per CPU s\n",
      aDeals.size(), Seconds, Cpu, aDeals.size() / Seconds, aDeals.size() / Cpu);
}
