// karvelon-cli convert IN -o OUT: LIN to PBN or PBN to LIN, as the extensions say.
#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "formats/lin.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

constexpr const char* kConvertUsage = "karvelon-cli convert IN -o OUT (one .lin, one .pbn)";

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
  for (std::size_t i = 0; i < args.size(); i++) {
    if (args[i] == "-o") {
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
  if (NrGames == 0) return Fail("convert: " + In + ": no acceptable game"), kExitNone;
  std::string Lin;
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile.get(), Game, &NrLines);
    Lin += lin::GameToLin();
  }
  if (!WriteFileReplacing(Out, Lin)) return kExitError;
  std::printf("%u games\n", NrGames);
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
