// karvelon-cli convert IN -o OUT [--break-links]: LIN to PBN or PBN to LIN, as the extensions
// say. OUT is checked before the work starts and written by the safe writer, from PBN a game at a
// time; it replaces OUT only when IN has not changed during the run.
#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "cli/options.h"
#include "cli/writing.h"
#include "files/safe_writer.h"
#include "formats/lin.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

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

bool ParseArgs(const Args& args, ConvertArgsDef* ptArgs) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("convert", args, &tLine, &Error)) return Refuse(Error);
  if (tLine.aOperands.size() > 1) return Refuse("more than one IN given");
  if (!tLine.aOperands.empty()) ptArgs->In = tLine.aOperands[0];
  ptArgs->Out = tLine.Value("-o");
  ptArgs->tRules.bBreakLinks = tLine.Has(kBreakLinks);
  const std::string& In = ptArgs->In;
  const std::string& Out = ptArgs->Out;
  if (In.empty() || Out.empty())
    return Refuse("usage: " + CommandUsage("convert") + " (one .lin, one .pbn)");
  const bool bToPbn = lin::IsLinPath(In) && IsPbnPath(Out);
  const bool bToLin = IsPbnPath(In) && lin::IsLinPath(Out);
  if (!bToPbn && !bToLin) return Refuse("IN and OUT must be one .lin and one .pbn file");
  return true;
}

// The LIN text of IN, refused as every command refuses an input (a folder, a pipe, 2 GiB), and
// read once: converting it is this command's work.
bool ReadLin(const std::string& Path, std::string* pText) {
  std::string Refusal;
  FilePtr pFile = OpenInput(Path, false, &Refusal, true);
  if (!pFile) return Fail(Refusal), false;
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
  NoteIndexPass("convert", tArgs.In, NrGames, false);  // said below
  if (NrGames == 0) return Fail("convert: " + tArgs.In + ": no acceptable game"), kExitNone;
  files::SafeWriter tWriter(kTempTag);
  if (!OpenOut(&tWriter, tArgs)) return kExitError;
  unsigned NrWritten = 0;
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile.get(), Game, &NrLines);
    const std::string GameLin = lin::GameToLin();  // empty: LIN has no board without a card
    NrWritten += !GameLin.empty();
    if (!tWriter.Write(GameLin)) break;  // the reason is said by Finish
  }
  if (NrWritten < NrGames) {
    Fail("convert: " + tArgs.In + ": " + std::to_string(NrGames - NrWritten) + " of " +
         std::to_string(NrGames) + " games left out: their deal holds no card");
  }
  if (NrWritten == 0) return tWriter.Abandon(), kExitNone;
  return Finish(&tWriter, tArgs, tInput, NrWritten);
}

}  // namespace

int Convert(const Args& args) {
  ConvertArgsDef tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;
  // OUT is checked before any work, and IN stamped before it is read.
  const std::string Problem = files::TargetProblem(tArgs.Out, tArgs.tRules);
  if (!Problem.empty()) {
    return Fail("convert: cannot write " + tArgs.Out + ": " + TargetRefusal(Problem));
  }
  const InputStampsDef tInput({tArgs.In});
  return lin::IsLinPath(tArgs.In) ? LinToPbn(tArgs, tInput) : PbnToLin(tArgs, tInput);
}

}  // namespace cli
