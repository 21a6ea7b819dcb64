#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cli/cli.h"

namespace cli {

#ifdef KARVELON_DRAW_HELPER
namespace {

// The folder of the running program.
std::string ProgramFolder() {
  char acPath[PATH_MAX];
  const ssize_t Length = readlink("/proc/self/exe", acPath, sizeof acPath - 1);
  if (Length <= 0) return ".";
  const std::string Path(acPath, static_cast<size_t>(Length));
  return Path.substr(0, Path.rfind('/'));
}

}  // namespace
#endif

int RunDrawCommand(char** argv) {
#ifndef KARVELON_DRAW_HELPER
  return Fail(std::string(argv[1]) + ": this build has no viewer");
#else
  // Beside karvelon-cli in the build tree; in lib/karvelon of the prefix when installed.
  const std::string Folder = ProgramFolder();
  const std::string aPaths[2] = {Folder + "/" KARVELON_DRAW_HELPER,
                                 Folder + "/../lib/karvelon/" KARVELON_DRAW_HELPER};
  for (const std::string& Path : aPaths) {
    if (access(Path.c_str(), X_OK) != 0) continue;
    execv(Path.c_str(), argv);
    return Fail(std::string("cannot run ") + Path + ": " + std::strerror(errno));
  }
  return Fail(std::string(argv[1]) + " needs " KARVELON_DRAW_HELPER ", which is in neither " +
              aPaths[0] + " nor " + aPaths[1]);
#endif
}

}  // namespace cli
