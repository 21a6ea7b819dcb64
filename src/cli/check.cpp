// karvelon-cli check FILE [--log PATH] [--line-numbers] [--with-mistakes [--list]]: the index
// pass of the menu Open, with its log.
#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

constexpr const char* kCheckUsage =
    "karvelon-cli check FILE [--log PATH] [--line-numbers] [--with-mistakes [--list]]";

struct CheckArgs {
  std::string Path;
  std::string LogPath = "karvelon.log";
  bool bLineNumbers = false;
  bool bWithMistakes = false;
  bool bList = false;
};

bool Refuse(const std::string& Text) {
  Fail("check: " + Text);
  return false;
}

// Parses the arguments; on a wrong one says so and returns false.
bool ParseArgs(const Args& args, CheckArgs* ptArgs) {
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == "--log") {
      if (i + 1 >= args.size()) return Refuse("--log needs a PATH");
      ptArgs->LogPath = args[++i];
    } else if (args[i] == "--line-numbers") {
      ptArgs->bLineNumbers = true;
    } else if (args[i] == kWithMistakes) {
      ptArgs->bWithMistakes = true;
    } else if (args[i] == "--list") {
      ptArgs->bList = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Refuse("unknown option '" + args[i] + "'");
    } else if (ptArgs->Path.empty()) {
      ptArgs->Path = args[i];
    } else {
      return Refuse("more than one FILE given");
    }
  }
  if (ptArgs->Path.empty())
    return Refuse(std::string("no FILE given (usage: ") + kCheckUsage + ")");
  if (ptArgs->bList && !ptArgs->bWithMistakes) return Refuse("--list needs --with-mistakes");
  return true;
}

// One line per game, tab-separated: number, first line in the file, Board, mistakes.
void PrintGameList(std::FILE* pFile, unsigned NrGames) {
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile, Game, &NrLines);  // the Board may be inherited
    const std::string Board = TagText(*pbn::tGameAdmin.ptGameTags, pbn::PBN_TAG_ID_BOARD);
    std::printf("%u\t%u\t%s\t%u\n", static_cast<unsigned>(Game),
                static_cast<unsigned>(pbn::GameFirstLine(Game)), Board.c_str(),
                static_cast<unsigned>(pbn::GameNrMistakes(Game)));
  }
}

}  // namespace

int Check(const Args& args) {
  CheckArgs tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;

  FilePtr pFile = OpenPbnFile(tArgs.Path, tArgs.bWithMistakes);
  if (!pFile) return kExitError;
  pbn::PbnImportOptionsDef tOptions = UseReading(pFile.get(), tArgs.Path, true);

  FilePtr pLog(nullptr, std::fclose);
  std::FILE* pLogStream = nullptr;
  if (tArgs.LogPath == "-") {
    pLogStream = stdout;
  } else {
    pLog.reset(std::fopen(tArgs.LogPath.c_str(), "w"));
    if (!pLog) {
      std::fprintf(stderr, "karvelon-cli: cannot create log %s: %s; checking without a log\n",
                   tArgs.LogPath.c_str(), std::strerror(errno));
    }
    pLogStream = pLog.get();
  }
  pbn::PbnLogSinkDef tSink;
  tSink.pFile = pLogStream;
  tSink.bLineNumbers = tArgs.bLineNumbers;
  tOptions.bKeepRefused = tArgs.bWithMistakes;
  const unsigned NrGames = IndexGames(pFile.get(), tSink, tOptions, true);
  if (pLog && std::fclose(pLog.release()) != 0) {
    std::fprintf(stderr, "karvelon-cli: writing log %s failed\n", tArgs.LogPath.c_str());
  }
  if (tArgs.bList) PrintGameList(pFile.get(), NrGames);
  if (tArgs.bWithMistakes) {
    std::printf("%u games, %u with mistakes\n", NrGames,
                static_cast<unsigned>(pbn::GamesNrWithMistakes()));
  } else {
    std::printf("%u games\n", NrGames);
  }
  return NrGames > 0 ? kExitOk : kExitNone;
}

}  // namespace cli
