// pbn-generate OUT [--megabytes M | --games N] [--seed S] [--errors PERMILLE] [--tables T]:
// writes a realistic PBN file for the benchmark; with --tables every deal is played at T tables
// (T games in a row), as a session of pairs plays it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pbn_generator.h"

namespace {

constexpr char kUsage[] =
    "usage: pbn-generate OUT [--megabytes M | --games N] [--seed S] [--errors PERMILLE]"
    " [--tables T]\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  // A name that begins with "-" is an option mistyped, never a file to write 100 MB into.
  if (argc < 2 || argv[1][0] == '-' || argc % 2 != 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  pbngen::GeneratorOptionsDef tOptions;
  long long MinBytes = 100ll << 20;
  long NrGames = -1;
  for (int i = 2; i < argc; i += 2) {
    const std::string Option = argv[i];
    const long long Value = std::atoll(argv[i + 1]);
    if (Option == "--megabytes") {
      MinBytes = Value << 20;
    } else if (Option == "--games") {
      NrGames = static_cast<long>(Value);
    } else if (Option == "--seed") {
      tOptions.Seed = static_cast<std::uint64_t>(Value);
    } else if (Option == "--tables") {
      tOptions.Tables = static_cast<int>(Value);
    } else if (Option == "--errors") {
      tOptions.ErrorPerMille = static_cast<int>(Value);
    } else {
      std::fprintf(stderr, "pbn-generate: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (NrGames >= 0) {
    const std::string Text = pbngen::GeneratePbn(tOptions, static_cast<int>(NrGames));
    std::FILE* pFile = std::fopen(argv[1], "wb");
    if (pFile == nullptr || std::fwrite(Text.data(), 1, Text.size(), pFile) != Text.size() ||
        std::fclose(pFile) != 0) {
      std::fprintf(stderr, "pbn-generate: cannot write %s\n", argv[1]);
      return 1;
    }
    std::printf("%ld games, %zu bytes\n", NrGames, Text.size());
    return 0;
  }
  const int Written = pbngen::WritePbnFile(argv[1], tOptions, MinBytes);
  if (Written < 0) {
    std::fprintf(stderr, "pbn-generate: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%d games, at least %lld bytes\n", Written, MinBytes);
  return 0;
}
