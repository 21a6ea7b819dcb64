// The game index: records of the game on display, and one import pass that indexes every game
// of an open file that imports without error or warning.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_play.h"

namespace pbn {

FileAdminDef tFileAdmin;

namespace {

template <typename T>
T* AllocZeroed() {
  return static_cast<T*>(std::calloc(1, sizeof(T)));
}

template <typename T>
void Release(T*& ptRecord) {
  std::free(ptRecord);
  ptRecord = nullptr;
}

}  // namespace

PbnBoolDef GameInit() {
  tFileAdmin = FileAdminDef{};
  tGameAdmin = PbnGameAdminDef{};
  tFileAdmin.ptPrevTags = AllocZeroed<PbnGameTagsDef>();
  if (tFileAdmin.ptPrevTags == nullptr) return PBN_FALSE;
  if (!DynamicDataInit(&tFileAdmin.tGameTagDD, 64, sizeof(GameTagDataDef)) ||
      !DynamicDataInit(&tFileAdmin.tGameTxtDD, 64, sizeof(GameTxtDataDef)) ||
      !DynamicDataInit(&tFileAdmin.tCharTxtDD, 1024, 1)) {
    return PBN_FALSE;
  }
  tGameAdmin.ptGameData = AllocZeroed<PbnGameDataDef>();
  tGameAdmin.ptGameTags = AllocZeroed<PbnGameTagsDef>();
  return tGameAdmin.ptGameData != nullptr && tGameAdmin.ptGameTags != nullptr;
}

void GameTerm() {
  if (tGameAdmin.ptGameTags != nullptr) GameTagsTerm(tGameAdmin.ptGameTags);
  Release(tFileAdmin.ptPrevTags);
  Release(tGameAdmin.ptGameData);
  Release(tGameAdmin.ptGameTags);
  DynamicDataTerm(&tFileAdmin.tGameTagDD);
  DynamicDataTerm(&tFileAdmin.tGameTxtDD);
  DynamicDataTerm(&tFileAdmin.tCharTxtDD);
}

void GameDataInit(PbnGameDataDef* ptGameData) {
  std::memset(static_cast<void*>(ptGameData), 0, sizeof *ptGameData);
  ptGameData->tSituation.Dealer = PBN_SIDE_NOT_GIVEN;
  ptGameData->tSituation.Vulner = PBN_VULNER_NOT_GIVEN;
  ptGameData->tContract.Declarer = PBN_SIDE_NOT_GIVEN;
  ptGameData->tContract.Trump = PBN_TRUMP_NOT_GIVEN;
  ptGameData->tContract.Risk = PBN_RISK_UNKNOWN;
  ptGameData->Result = PBN_RESULT_NONE;
  ptGameData->tPlay.aFirsts.fill(PBN_SIDE_NONE);
}

PbnErrDef GameTagsReset(PbnGameTagsDef* ptGameTags) {
  GameTagsTerm(ptGameTags);
  return GameTagsInit(ptGameTags);
}

PbnErrDef FillGameTagData(const PbnGameTagsDef* ptGameTags, PbnFilePosDef FilePosBegin) {
  DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  const UInt32 PrevGameNr = tIndex.CurData;
  if (PrevGameNr + 1 >= tIndex.MaxData && !DynamicDataExtend(&tIndex)) return PBN_ERR_RESOURCES;
  tIndex.CurData++;
  GameTagDataDef* ptElement = DynamicDataAt<GameTagDataDef>(tIndex, PrevGameNr + 1);
  const GameTagDataDef* ptPrevious = DynamicDataAt<GameTagDataDef>(tIndex, PrevGameNr);
  ptElement->FilePosBegin = FilePosBegin;
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    UInt32 GameNr = 0;
    const char* pcValue = TagValue(*ptGameTags, TagId);
    if (pcValue[0] == '#' && pcValue[1] == '\0') {
      // The nearest earlier game with a value of its own (0 for the first game of a file).
      GameNr = ptPrevious->aGameNrs[TagId] != 0 ? ptPrevious->aGameNrs[TagId] : PrevGameNr;
    }
    ptElement->aGameNrs[TagId] = GameNr;
  }
  return PBN_ERR_OK;
}

void GamesLoad(std::FILE* pFile, UInt32* pNrGames) {
  DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  tIndex.CurData = 0;
  tFileAdmin.NrRefused = 0;
  // One file's values must never be inherited by the games of another.
  PbnImportTags(nullptr);
  PbnGameDataDef* ptGameData = tGameAdmin.ptGameData;
  PbnGameTagsDef* ptGameTags = tGameAdmin.ptGameTags;
  if (pFile != nullptr && ptGameData != nullptr && ptGameTags != nullptr &&
      tIndex.ptData != nullptr && !GameFileTooLarge(pFile)) {
    GameTagsTerm(ptGameTags);  // blocks of the game on display, if any
    long FilePos = std::ftell(pFile);
    // Positioned once, the stream keeps count of its offset, so that each import can find the
    // stream already where it starts without a system call.
    bool bDone = FilePos < 0 || std::fseek(pFile, FilePos, SEEK_SET) != 0;
    while (!bDone) {
      GameDataInit(ptGameData);
      if (GameTagsInit(ptGameTags) != PBN_ERR_OK) break;
      PbnFilePosDef FilePosBegin = -1;
      PbnFilePosDef FilePosOut = -1;
      const PbnErrDef Error = PbnImportGame(pFile, static_cast<PbnFilePosDef>(FilePos), ptGameData,
                                            ptGameTags, &FilePosBegin, &FilePosOut);
      if (Error == PBN_ERR_OK && FillGameTagData(ptGameTags, FilePosBegin) != PBN_ERR_OK) {
        bDone = true;
      }
      if (Error != PBN_ERR_OK && Error != PBN_ERR_NO_TAG && Error != PBN_ERR_FILE) {
        tFileAdmin.NrRefused++;
      }
      // Positioning failed, the file ended, or no progress: the pass is over.
      if (Error == PBN_ERR_FILE || FilePosOut < 0 || FilePosOut <= FilePos) bDone = true;
      FilePos = FilePosOut;
      GameTagsTerm(ptGameTags);
    }
    GameTagsInit(ptGameTags);  // leave a usable record behind for the game on display
  }
  *pNrGames = tIndex.CurData;
  PlaySetGamesLoaded(tIndex.CurData != 0);
}

PbnBoolDef GameFileTooLarge(std::FILE* pFile) {
  struct stat tStat;
  if (fstat(fileno(pFile), &tStat) != 0) return PBN_FALSE;
  return tStat.st_size > INT32_MAX;
}

const char* GameTxtLine(UInt32 Line) {
  const DynamicDataDef& tLines = tFileAdmin.tGameTxtDD;
  if (tLines.ptData == nullptr || Line + 1 >= tLines.CurData) return nullptr;
  const UInt32 Offset = DynamicDataAt<GameTxtDataDef>(tLines, Line)->Offset;
  if (Offset >= tFileAdmin.tCharTxtDD.CurData) return nullptr;
  return DynamicDataAt<char>(tFileAdmin.tCharTxtDD, Offset);
}

}  // namespace pbn
