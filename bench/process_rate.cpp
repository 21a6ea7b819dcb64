// process-rate --cli KARVELON_CLI --file PBN [--folder DIR] [--rounds N]
// Whole processes against the cost of reading the same bytes: `karvelon-cli check FILE` against
// the floor (this program reading FILE through 256-byte line reads, every byte touched) and
// `karvelon-cli check DIR` against `cat` of the folder's files. The commands run in turns, round
// after round, so that a busy machine slows all alike; the best round of each counts, by wall
// time and by CPU time (user and system, the steadier figure on a shared machine).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The bare reading loop, in a process of its own as the others.
int Floor(const char* pcPath) {
  std::FILE* pFile = std::fopen(pcPath, "rb");
  if (pFile == nullptr) return 1;
  unsigned long long Sum = 0;
  char acLine[256];
  while (std::fgets(acLine, sizeof acLine, pFile) != nullptr) {
    for (const char* pc = acLine; *pc != '\0'; pc++)
      Sum += static_cast<unsigned char>(*pc);
  }
  std::fclose(pFile);
  std::printf("%llu\n", Sum);
  return 0;
}

struct CommandDef {
  std::string Label;
  std::vector<std::string> aArgs;
  double BestWall = 1e30;
  double BestCpu = 1e30;
};

double Seconds(const timeval& tTime) {
  return static_cast<double>(tTime.tv_sec) + static_cast<double>(tTime.tv_usec) / 1e6;
}

// Runs the command with its output to /dev/null; false when it could not run or failed.
bool Run(CommandDef* ptCommand) {
  const auto Start = std::chrono::steady_clock::now();
  const pid_t Pid = fork();
  if (Pid < 0) return false;
  if (Pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::vector<char*> apcArgs;
    for (std::string& Arg : ptCommand->aArgs)
      apcArgs.push_back(Arg.data());
    apcArgs.push_back(nullptr);
    execvp(apcArgs[0], apcArgs.data());
    _exit(127);
  }
  int Status = 0;
  rusage tUsage{};
  if (wait4(Pid, &Status, 0, &tUsage) != Pid) return false;
  const double Wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  ptCommand->BestWall = std::min(ptCommand->BestWall, Wall);
  ptCommand->BestCpu =
      std::min(ptCommand->BestCpu, Seconds(tUsage.ru_utime) + Seconds(tUsage.ru_stime));
  // check exits 1 for a file with no acceptable game; anything else is a failure.
  return WIFEXITED(Status) && WEXITSTATUS(Status) <= 1;
}

std::vector<std::string> PbnFiles(const std::string& Folder) {
  std::vector<std::string> aFiles;
  for (const auto& tEntry : std::filesystem::recursive_directory_iterator(Folder)) {
    if (tEntry.is_regular_file() && tEntry.path().extension() == ".pbn") {
      aFiles.push_back(tEntry.path().string());
    }
  }
  std::sort(aFiles.begin(), aFiles.end());
  return aFiles;
}

void PrintRatio(const CommandDef& tCommand, const CommandDef& tBase) {
  std::printf("  %-26s %8.3f s wall %8.3f s CPU   %5.2f times %s by wall, %5.2f by CPU\n",
              tCommand.Label.c_str(), tCommand.BestWall, tCommand.BestCpu,
              tCommand.BestWall / tBase.BestWall, tBase.Label.c_str(),
              tCommand.BestCpu / tBase.BestCpu);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--floor") == 0) return Floor(argv[2]);
  std::string Cli;
  std::string File;
  std::string Folder;
  int NrRounds = 7;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string Option = argv[i];
    if (Option == "--cli") {
      Cli = argv[i + 1];
    } else if (Option == "--file") {
      File = argv[i + 1];
    } else if (Option == "--folder") {
      Folder = argv[i + 1];
    } else if (Option == "--rounds") {
      NrRounds = std::max(1, std::atoi(argv[i + 1]));
    }
  }
  if (Cli.empty() || File.empty()) {
    std::fprintf(stderr,
                 "usage: process-rate --cli KARVELON_CLI --file PBN [--folder DIR] [--rounds N]\n");
    return 2;
  }
  std::vector<CommandDef> atCommands = {
      {"floor (fgets 256, touch)", {argv[0], "--floor", File}},
      {"check FILE", {Cli, "check", File, "--log", "/dev/null"}},
  };
  if (!Folder.empty()) {
    CommandDef tCat{"cat of the folder", {"cat"}};
    const std::vector<std::string> aFiles = PbnFiles(Folder);
    tCat.aArgs.insert(tCat.aArgs.end(), aFiles.begin(), aFiles.end());
    atCommands.push_back(tCat);
    atCommands.push_back({"check FOLDER", {Cli, "check", Folder, "--log", "/dev/null"}});
    std::printf("folder %s: %zu files\n", Folder.c_str(), aFiles.size());
    std::fflush(stdout);  // else each child, forked with it buffered, prints it again
  }
  for (int Round = 0; Round < NrRounds; Round++) {
    for (CommandDef& tCommand : atCommands) {
      if (!Run(&tCommand)) {
        std::fprintf(stderr, "process-rate: %s failed\n", tCommand.Label.c_str());
        return 1;
      }
    }
  }
  std::printf("Whole processes, best of %d rounds in turns:\n", NrRounds);
  PrintRatio(atCommands[1], atCommands[0]);
  if (atCommands.size() == 4) PrintRatio(atCommands[3], atCommands[2]);
  return 0;
}
