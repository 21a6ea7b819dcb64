// karvelon-cli check FILES... [--log PATH] [--line-numbers] [--with-mistakes [--list]]: the index
// pass of the menu Open, with its log, for each file; with several files each count and each
// file's log come under the file's name, and a total follows.
#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

struct CheckArgs {
  std::vector<std::string> Operands;
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
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("check", args, &tLine, &Error)) return Refuse(Error);
  ptArgs->Operands = tLine.aOperands;
  if (tLine.Has("--log")) ptArgs->LogPath = tLine.Value("--log");
  ptArgs->bLineNumbers = tLine.Has("--line-numbers");
  ptArgs->bWithMistakes = tLine.Has(kWithMistakes);
  ptArgs->bList = tLine.Has("--list");
  if (ptArgs->Operands.empty())
    return Refuse("no FILE given (usage: " + CommandUsage("check") + ")");
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

struct TotalsDef {
  unsigned NrGames = 0;
  unsigned NrWithMistakes = 0;
};

// The log stream: standard output, the file PATH, or none when it cannot be created.
FilePtr OpenLog(const std::string& LogPath) {
  if (LogPath == "-") return FilePtr(stdout, [](std::FILE*) { return 0; });
  FilePtr pLog(std::fopen(LogPath.c_str(), "w"), std::fclose);
  if (!pLog) {
    std::fprintf(stderr, "karvelon-cli: cannot create log %s: %s; checking without a log\n",
                 LogPath.c_str(), std::strerror(errno));
  }
  return pLog;
}

std::string CountText(unsigned NrGames, unsigned NrWithMistakes, bool bWithMistakes) {
  std::string Text = std::to_string(NrGames) + " games";
  if (bWithMistakes) Text += ", " + std::to_string(NrWithMistakes) + " with mistakes";
  return Text;
}

// Indexes one open file into the log, prints its count (after its name when bNamed) and adds it
// to the totals.
int CheckFile(const std::string& Path, std::FILE* pFile, const CheckArgs& tArgs,
              std::FILE* pLogStream, bool bNamed, TotalsDef* ptTotals) {
  pbn::PbnImportOptionsDef tOptions = UseReading(pFile, Path, true);
  if (bNamed && pLogStream != nullptr) std::fprintf(pLogStream, "==> %s <==\n", Path.c_str());
  pbn::PbnLogSinkDef tSink;
  tSink.pFile = pLogStream;
  tSink.bLineNumbers = tArgs.bLineNumbers;
  tOptions.bKeepRefused = tArgs.bWithMistakes;
  const unsigned NrGames = IndexGames(pFile, tSink, tOptions, true);
  NoteIndexPass("check", Path, NrGames);
  if (tArgs.bList) PrintGameList(pFile, NrGames);
  const unsigned NrWithMistakes = tArgs.bWithMistakes ? pbn::GamesNrWithMistakes() : 0;
  std::printf("%s%s\n", bNamed ? (Path + ": ").c_str() : "",
              CountText(NrGames, NrWithMistakes, tArgs.bWithMistakes).c_str());
  ptTotals->NrGames += NrGames;
  ptTotals->NrWithMistakes += NrWithMistakes;
  return NrGames > 0 ? kExitOk : kExitNone;
}

}  // namespace

int Check(const Args& args) {
  CheckArgs tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;
  InputsDef tInputs = ExpandInputs(tArgs.Operands);
  tInputs.bTextOnly = tArgs.bWithMistakes;
  if (!tInputs.bMany && tInputs.Files.size() == 1 &&
      !OpenPbnFile(tInputs.Files[0], tArgs.bWithMistakes)) {
    return kExitError;  // one file that does not open: no log is created, as always
  }

  FilePtr pLog = OpenLog(tArgs.LogPath);
  TotalsDef tTotals;
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t) {
    return CheckFile(Path, pFile, tArgs, pLog.get(), tInputs.bMany, &tTotals);
  });
  if (tArgs.LogPath != "-" && pLog && std::fclose(pLog.release()) != 0) {
    std::fprintf(stderr, "karvelon-cli: writing log %s failed\n", tArgs.LogPath.c_str());
  }
  if (tInputs.bMany) {
    std::printf("total: %s\n",
                CountText(tTotals.NrGames, tTotals.NrWithMistakes, tArgs.bWithMistakes).c_str());
  }
  return Status;
}

}  // namespace cli
