// karvelon-cli check FILE [--log PATH]: the index pass of the menu Open, with its log.
#include <cerrno>
#include <cstring>

#include "cli/cli.h"

namespace cli {

int Check(const Args& args) {
  std::string Path;
  std::string LogPath = "karvelon.log";
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == "--log") {
      if (i + 1 >= args.size()) return Fail("check: --log needs a PATH");
      LogPath = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Fail("check: unknown option '" + args[i] + "'");
    } else if (Path.empty()) {
      Path = args[i];
    } else {
      return Fail("check: more than one FILE given");
    }
  }
  if (Path.empty())
    return Fail("check: no FILE given (usage: karvelon-cli check FILE [--log PATH])");

  FilePtr pFile = OpenPbnFile(Path);
  if (!pFile) return kExitError;
  const pbn::PbnImportOptionsDef tOptions = UseReading(pFile.get(), Path, true);

  FilePtr pLog(nullptr, std::fclose);
  std::FILE* pLogStream = nullptr;
  if (LogPath == "-") {
    pLogStream = stdout;
  } else {
    pLog.reset(std::fopen(LogPath.c_str(), "w"));
    if (!pLog) {
      std::fprintf(stderr, "karvelon-cli: cannot create log %s: %s; checking without a log\n",
                   LogPath.c_str(), std::strerror(errno));
    }
    pLogStream = pLog.get();
  }
  const unsigned NrGames = IndexGames(pFile.get(), pLogStream, tOptions);
  if (pLog && std::fclose(pLog.release()) != 0) {
    std::fprintf(stderr, "karvelon-cli: writing log %s failed\n", LogPath.c_str());
  }
  std::printf("%u games\n", NrGames);
  return NrGames > 0 ? kExitOk : kExitNone;
}

}  // namespace cli
