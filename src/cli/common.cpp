#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "core/pbn_util.h"
#include "games/pbn_game.h"
#include "import/import.h"

namespace cli {

int Fail(const std::string& Text) {
  std::fprintf(stderr, "karvelon-cli: %s\n", Text.c_str());
  return kExitError;
}

FilePtr OpenPbnFile(const std::string& Path) {
  FilePtr pFile(nullptr, std::fclose);
  struct stat tStat;
  if (stat(Path.c_str(), &tStat) == 0 && S_ISDIR(tStat.st_mode)) {
    Fail(Path + ": is a directory");
    return pFile;
  }
  pFile.reset(std::fopen(Path.c_str(), "rb"));
  if (!pFile) {
    Fail("cannot open " + Path + ": " + std::strerror(errno));
    return pFile;
  }
  if (pbn::GameFileTooLarge(pFile.get())) {
    Fail(Path + ": " + pbn::kGameFileTooLargeText);
    pFile.reset();
  }
  return pFile;
}

unsigned IndexGames(std::FILE* pFile, std::FILE* pLog) {
  static const bool bInit = pbn::GameInit();
  if (!bInit) return 0;
  pbn::PbnImportFile(pLog);
  pbn::UInt32 NrGames = 0;
  pbn::GamesLoad(pFile, &NrGames);
  pbn::PbnImportFile(nullptr);
  return NrGames;
}

std::string HandText(const pbn::PbnHandDef& tHand) {
  if ((tHand.Ranks[0] | tHand.Ranks[1] | tHand.Ranks[2] | tHand.Ranks[3]) == 0) return "-";
  std::string Text;
  for (int Suit = pbn::PBN_SPADES; Suit >= pbn::PBN_CLUBS; Suit--) {
    char acRanks[15];
    pbn::PbnRanksGetChars(tHand.Ranks[Suit], acRanks);
    Text += acRanks;
    if (Suit != pbn::PBN_CLUBS) Text += '.';
  }
  return Text;
}

// PBN text is ISO 8859-1: every byte is the code point of the same value.
std::string Latin1ToUtf8(const char* pcText, size_t Length) {
  std::string Text;
  Text.reserve(Length);
  for (size_t i = 0; i < Length; i++) {
    const auto c = static_cast<unsigned char>(pcText[i]);
    if (c < 0x80) {
      Text += static_cast<char>(c);
    } else {
      Text += static_cast<char>(0xC0 | (c >> 6));
      Text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return Text;
}

std::string Latin1ToUtf8(const char* pcText) {
  return Latin1ToUtf8(pcText, std::strlen(pcText));
}

}  // namespace cli
