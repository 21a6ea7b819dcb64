// karvelon-cli convert IN -o OUT [--break-links]: LIN to PBN or PBN to LIN, as the extensions
// say. OUT is checked before the work starts and written by the safe writer, from PBN a game at a
// time; it replaces OUT only when IN has not changed during the run.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "cli/writing.h"
#include "files/safe_writer.h"
#include "formats/lin.h"
#include "games/pbn_game.h"

namespace cli {

namespace {

constexpr const char* kConvertUsage =
    "karvelon-cli convert IN -o OUT [--break-links] (one .lin, one .pbn)";

// Names the temporary files: ".NAME.convert-HOST-PID-XXXXXX".
constexpr const char* kTempTag = "convert";

struct ConvertArgsDef {
  std::string In;
  std::string Out;
  files::TargetRulesDef tRules;
};

bool Refuse(const std::string& Text) {
  Fail("convert: " + Text);
  return false;
}

bool IsPbnPath(const std::string& Path) {
  std::string Extension = Path.size() >= 4 ? Path.substr(Path.size() - 4) : "";
  for (char& c : Extension)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Extension == ".pbn";
}

bool ParseArgs(const Args& args, std::string* pIn, std::string* pOut, bool* pbBreakLinks) {
  for (std::size_t i = 0; i < args.size(); i++) {
    if (args[i] == kBreakLinks) {
      *pbBreakLinks = true;
    } else if (args[i] == "-o") {
      if (i + 1 >= args.size()) return Refuse("-o needs OUT");
      *pOut = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Refuse("unknown option '" + args[i] + "'");
    } else if (pIn->empty()) {
      *pIn = args[i];
    } else {
      return Refuse("more than one IN given");
    }
  }
  if (pIn->empty() || pOut->empty()) return Refuse(std::string("usage: ") + kConvertUsage);
  const bool bToPbn = lin::IsLinPath(*pIn) && IsPbnPath(*pOut);
  const bool bToLin = IsPbnPath(*pIn) && lin::IsLinPath(*pOut);
  if (!bToPbn && !bToLin) return Refuse("IN and OUT must be one .lin and one .pbn file");
  return true;
}

// The LIN text of IN, refused as every command refuses an input (a folder, a pipe, 2 GiB), and
// read once: converting it is this command's work.
bool ReadLin(const std::string& Path, std::string* pText) {
  struct stat tStat;
  if (stat(Path.c_str(), &tStat) == 0 && !S_ISREG(tStat.st_mode)) {
    return Fail(Path + (S_ISDIR(tStat.st_mode) ? ": is a directory" : ": is not a regular file")),
           false;
  }
  FilePtr pFile(std::fopen(Path.c_str(), "rb"), std::fclose);
  if (!pFile) return Fail("cannot open " + Path + ": " + std::strerror(errno)), false;
  if (pbn::GameFileTooLarge(pFile.get()))
    return Fail(Path + ": " + pbn::kGameFileTooLargeText), false;
  char acBuffer[65536];
  std::size_t NrRead;
  while ((NrRead = std::fread(acBuffer, 1, sizeof acBuffer, pFile.get())) > 0) {
    pText->append(acBuffer, NrRead);
  }
  if (std::ferror(pFile.get())) return Fail("cannot read " + Path), false;
  return true;
}

// Renames the written output over OUT when IN is still as it was at the start; the status.
int Finish(files::SafeWriter* ptWriter, const ConvertArgsDef& tArgs, const InputStampsDef& tInput,
           unsigned NrGames) {
  if (ptWriter->Commit([&] { return tInput.FirstChanged().empty(); })) {
    std::printf("%u games\n", NrGames);
    return kExitOk;
  }
  if (ptWriter->Failure() == files::WriteFailDef::Changed) {
    return Fail("convert: " + tArgs.In + ": changed during the run; " + tArgs.Out +
                " is not written");
  }
  return Fail("convert: " + ptWriter->Message());
}

bool OpenOut(files::SafeWriter* ptWriter, const ConvertArgsDef& tArgs) {
  const bool bOpen = ptWriter->Open(tArgs.Out, tArgs.tRules);
  ReportLeftovers(ptWriter->LeftoversRemoved());
  if (!bOpen) Fail("convert: " + ptWriter->Message());
  return bOpen;
}

int LinToPbn(const ConvertArgsDef& tArgs, const InputStampsDef& tInput) {
  std::string Lin;
  if (!ReadLin(tArgs.In, &Lin)) return kExitError;
  const lin::LinToPbnDef tConversion = lin::LinToPbn(Lin);
  for (const lin::LinMessageDef& tMessage : tConversion.atMessages) {
    std::fprintf(stderr, "%s:%u:%u: %s\n", tArgs.In.c_str(),
                 static_cast<unsigned>(tMessage.tPos.Line),
                 static_cast<unsigned>(tMessage.tPos.Column), tMessage.Text.c_str());
  }
  if (tConversion.NrBoards == 0) return kExitNone;
  files::SafeWriter tWriter(kTempTag);
  if (!OpenOut(&tWriter, tArgs)) return kExitError;
  tWriter.Write(tConversion.Pbn);
  return Finish(&tWriter, tArgs, tInput, tConversion.NrBoards);
}

// Each game's LIN line is written as it is made, so that the output is never held whole.
int PbnToLin(const ConvertArgsDef& tArgs, const InputStampsDef& tInput) {
  FilePtr pFile = OpenPbnFile(tArgs.In);
  if (!pFile) return kExitError;
  const unsigned NrGames = IndexGames(pFile.get(), {}, UseReading(pFile.get(), tArgs.In, true));
  if (NrGames == 0) return Fail("convert: " + tArgs.In + ": no acceptable game"), kExitNone;
  files::SafeWriter tWriter(kTempTag);
  if (!OpenOut(&tWriter, tArgs)) return kExitError;
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile.get(), Game, &NrLines);
    if (!tWriter.Write(lin::GameToLin())) break;  // the reason is said by Finish
  }
  return Finish(&tWriter, tArgs, tInput, NrGames);
}

}  // namespace

int Convert(const Args& args) {
  ConvertArgsDef tArgs;
  if (!ParseArgs(args, &tArgs.In, &tArgs.Out, &tArgs.tRules.bBreakLinks)) return kExitError;
  // OUT is checked before any work, and IN stamped before it is read.
  const std::string Problem = files::TargetProblem(tArgs.Out, tArgs.tRules);
  if (!Problem.empty()) {
    return Fail("convert: cannot write " + tArgs.Out + ": " + TargetRefusal(Problem));
  }
  const InputStampsDef tInput({tArgs.In});
  return lin::IsLinPath(tArgs.In) ? LinToPbn(tArgs, tInput) : PbnToLin(tArgs, tInput);
}

}  // namespace cli
