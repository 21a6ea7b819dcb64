#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "cli/cli.h"
#include "games/pbn_game.h"
#include "import/import.h"

namespace cli {

pbn::ReadingChoiceDef tReadingChoice = pbn::ReadingChoiceDef::Pbn10;

bool TakeReadingOption(const std::string& Command, Args* pArgs) {
  for (std::size_t i = 0; i < pArgs->size(); i++) {
    if ((*pArgs)[i] != "--pbn") continue;
    if (i + 1 >= pArgs->size() ||
        !pbn::PbnParseReadingChoice((*pArgs)[i + 1].c_str(), &tReadingChoice)) {
      Fail(Command + ": --pbn takes 1.0, 2.1 or auto");
      return false;
    }
    pArgs->erase(pArgs->begin() + static_cast<long>(i), pArgs->begin() + static_cast<long>(i) + 2);
    i--;
  }
  return true;
}

pbn::PbnImportOptionsDef UseReading(std::FILE* pFile, const std::string& Path, bool bHint) {
  const pbn::PbnHeadDef tHead = pbn::PbnReadHead(pFile);
  const pbn::PbnImportOptionsDef tReading = pbn::PbnReadingFor(tReadingChoice, tHead);
  if (bHint && tReading.Standard == pbn::PBN_STANDARD_1_0 && pbn::PbnHeadDeclares2(tHead)) {
    std::fprintf(stderr, "%s declares PBN %s; --pbn 2.1 reads it by that standard\n", Path.c_str(),
                 tHead.acVersion);
  }
  pbn::PbnSkipBom(pFile, tHead, tReading);
  return tReading;
}

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

unsigned IndexGames(std::FILE* pFile, std::FILE* pLog, const pbn::PbnImportOptionsDef& tOptions) {
  static const bool bInit = pbn::GameInit();
  if (!bInit) return 0;
  pbn::PbnImportFile(pLog);
  pbn::UInt32 NrGames = 0;
  pbn::GamesLoad(pFile, &NrGames, tOptions);
  pbn::PbnImportFile(nullptr);
  return NrGames;
}

}  // namespace cli
