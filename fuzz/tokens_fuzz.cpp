// Fuzz target: the index pass reads whole tokens in one go exactly as it reads them one character
// at a time. The first byte chooses the reading (PBN 1.0, 2.1 in ISO 8859-1 or in UTF-8); the
// rest is the file. Both passes must log the same lines, count the same games and put them at the
// same offsets, and importing each game after the one before must give the same results.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "games/pbn_game.h"
#include "import/import.h"
#include "import/import_internal.h"

namespace {

using namespace pbn;

// The file's bytes as a stream of their own, read as the index pass reads a file.
std::FILE* OpenBytes(const std::uint8_t* pData, std::size_t Size) {
  const int Fd = memfd_create("pbn", 0);
  if (Fd < 0) return nullptr;
  if (write(Fd, pData, Size) != static_cast<ssize_t>(Size)) {
    close(Fd);
    return nullptr;
  }
  std::FILE* pFile = fdopen(Fd, "rb");
  if (pFile == nullptr) close(Fd);
  return pFile;
}

// The log of the pass with line numbers, the count and offsets, then every game imported on its
// own after the one before.
std::string EverythingRead(std::FILE* pFile, const PbnImportOptionsDef& tOptions) {
  std::string Log;
  PbnLogSinkDef tSink;
  tSink.pMemory = &Log;
  tSink.bLineNumbers = PBN_TRUE;
  PbnImportLog(tSink);
  std::rewind(pFile);
  UInt32 NrGames = 0;
  GamesLoad(pFile, &NrGames, tOptions);
  std::string Read = std::to_string(NrGames) + " games\n";
  for (UInt32 GameNr = 1; GameNr <= NrGames; GameNr++) {
    Read +=
        std::to_string(DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr)->FilePosBegin) +
        " ";
  }
  PbnImportSetOptions(tOptions);
  auto ptGameData = std::make_unique<PbnGameDataDef>();
  auto ptGameTags = std::make_unique<PbnGameTagsDef>();
  PbnFilePosDef FilePos = 0;
  for (int Game = 0; Game < 200 && FilePos >= 0; Game++) {
    GameDataInit(ptGameData.get());
    GameTagsReset(ptGameTags.get());
    PbnFilePosDef FilePosBegin = 0;
    PbnFilePosDef FilePosOut = 0;
    const PbnErrDef Error = PbnImportGame(pFile, FilePos, ptGameData.get(), ptGameTags.get(),
                                          &FilePosBegin, &FilePosOut);
    Read += "\n" + std::to_string(Error) + " " + std::to_string(FilePosBegin) + " " +
            std::to_string(FilePosOut) + " " + std::to_string(ptGameData->tAuction.NrCalls);
    FilePos = FilePosOut;
  }
  GameTagsTerm(ptGameTags.get());
  PbnImportLog({});
  return Read + "\n" + Log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t Size) {
  static const bool bInit = GameInit();
  if (!bInit || Size == 0) return 0;
  PbnImportOptionsDef tOptions;
  if (pData[0] % 3 != 0) tOptions.Standard = PBN_STANDARD_2_1;
  if (pData[0] % 3 == 2) tOptions.Encoding = PBN_ENCODING_UTF_8;
  std::FILE* pFile = OpenBytes(pData + 1, Size - 1);
  if (pFile == nullptr) return 0;
  PbnImportWholeTokens(false);
  const std::string ByCharacters = EverythingRead(pFile, tOptions);
  PbnImportWholeTokens(true);
  const std::string ByTokens = EverythingRead(pFile, tOptions);
  std::fclose(pFile);
  if (ByTokens != ByCharacters) {
    std::fprintf(stderr, "whole tokens read otherwise:\n%s\n-- one character at a time:\n%s\n",
                 ByTokens.c_str(), ByCharacters.c_str());
    std::abort();
  }
  return 0;
}
