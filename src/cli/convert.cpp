// karvelon-cli convert IN -o OUT: LIN to PBN or PBN to LIN, as the extensions say.
#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "cli/options.h"
#include "formats/lin.h"
#include "games/pbn_game.h"

namespace cli {

namespace {

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

bool ParseArgs(const Args& args, std::string* pIn, std::string* pOut) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("convert", args, &tLine, &Error)) return Refuse(Error);
  if (tLine.aOperands.size() > 1) return Refuse("more than one IN given");
  if (!tLine.aOperands.empty()) *pIn = tLine.aOperands[0];
  *pOut = tLine.Value("-o");
  if (pIn->empty() || pOut->empty())
    return Refuse("usage: " + CommandUsage("convert") + " (one .lin, one .pbn)");
  const bool bToPbn = lin::IsLinPath(*pIn) && IsPbnPath(*pOut);
  const bool bToLin = IsPbnPath(*pIn) && lin::IsLinPath(*pOut);
  if (!bToPbn && !bToLin) return Refuse("IN and OUT must be one .lin and one .pbn file");
  return true;
}

bool ReadFile(const std::string& Path, std::string* pText) {
  FilePtr pFile(std::fopen(Path.c_str(), "rb"), std::fclose);
  if (!pFile) return Fail("cannot open " + Path + ": " + std::strerror(errno)), false;
  char acBuffer[65536];
  std::size_t NrRead;
  while ((NrRead = std::fread(acBuffer, 1, sizeof acBuffer, pFile.get())) > 0) {
    pText->append(acBuffer, NrRead);
  }
  if (std::ferror(pFile.get())) return Fail("cannot read " + Path), false;
  return true;
}

int LinToPbn(const std::string& In, const std::string& Out) {
  std::string Lin;
  FilePtr pCheck = OpenPbnFile(In);  // the refusals of every command: folders, size
  if (!pCheck || !ReadFile(In, &Lin)) return kExitError;
  const lin::LinToPbnDef tConversion = lin::LinToPbn(Lin);
  for (const lin::LinMessageDef& tMessage : tConversion.atMessages) {
    std::fprintf(stderr, "%s:%u:%u: %s\n", In.c_str(), static_cast<unsigned>(tMessage.tPos.Line),
                 static_cast<unsigned>(tMessage.tPos.Column), tMessage.Text.c_str());
  }
  if (tConversion.NrBoards == 0) return kExitNone;
  if (!WriteFileReplacing(Out, tConversion.Pbn)) return kExitError;
  std::printf("%u games\n", tConversion.NrBoards);
  return kExitOk;
}

int PbnToLin(const std::string& In, const std::string& Out) {
  FilePtr pFile = OpenPbnFile(In);
  if (!pFile) return kExitError;
  const unsigned NrGames = IndexGames(pFile.get(), {}, UseReading(pFile.get(), In, true));
  NoteIndexPass("convert", In, NrGames, false);  // said below
  if (NrGames == 0) return Fail("convert: " + In + ": no acceptable game"), kExitNone;
  std::string Lin;
  unsigned NrWritten = 0;
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile.get(), Game, &NrLines);
    const std::string GameLin = lin::GameToLin();  // empty: LIN has no board without a card
    NrWritten += !GameLin.empty();
    Lin += GameLin;
  }
  if (NrWritten < NrGames) {
    Fail("convert: " + In + ": " + std::to_string(NrGames - NrWritten) + " of " +
         std::to_string(NrGames) + " games left out: their deal holds no card");
  }
  if (NrWritten == 0) return kExitNone;
  if (!WriteFileReplacing(Out, Lin)) return kExitError;
  std::printf("%u games\n", NrWritten);
  return kExitOk;
}

}  // namespace

int Convert(const Args& args) {
  std::string In;
  std::string Out;
  if (!ParseArgs(args, &In, &Out)) return kExitError;
  return lin::IsLinPath(In) ? LinToPbn(In, Out) : PbnToLin(In, Out);
}

}  // namespace cli
