// The game index: records of the game on display, and one import pass that indexes every game
// of an open file that imports without error or warning.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "games/pbn_game.h"
#include "import/admin.h"
#include "import/import.h"
#include "import/reading.h"
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

// Per tag, the latest indexed game of the file that gave it as "##value" (2.1 reading), or 0.
std::array<UInt32, PBN_N_TAG_IDS> aStickyGameNrs;

bool Store21(UInt32 GameNr, const std::array<UInt32, PBN_N_TAG_IDS>& aGameNrs) {
  DynamicDataDef& tIndex21 = tFileAdmin.tGameTag21DD;
  while (GameNr >= tIndex21.MaxData) {
    if (!DynamicDataExtend(&tIndex21)) return false;
  }
  GameTag21DataDef* ptElement = DynamicDataAt<GameTag21DataDef>(tIndex21, GameNr);
  std::copy(aGameNrs.begin() + PBN_N_TAG_IDS_10, aGameNrs.end(), ptElement->aGameNrs.begin());
  tIndex21.CurData = GameNr + 1;
  return true;
}

}  // namespace

PbnBoolDef GameInit() {
  tFileAdmin = FileAdminDef{};
  tGameAdmin = PbnGameAdminDef{};
  tFileAdmin.ptPrevTags = AllocZeroed<PbnGameTagsDef>();
  if (tFileAdmin.ptPrevTags == nullptr) return PBN_FALSE;
  if (!DynamicDataInit(&tFileAdmin.tGameTagDD, 64, sizeof(GameTagDataDef)) ||
      !DynamicDataInit(&tFileAdmin.tGameTag21DD, 64, sizeof(GameTag21DataDef)) ||
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
  DynamicDataTerm(&tFileAdmin.tGameTag21DD);
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

std::array<UInt32, PBN_N_TAG_IDS> IndexGameNrs(UInt32 GameNr) {
  std::array<UInt32, PBN_N_TAG_IDS> aGameNrs{};
  const GameTagDataDef* ptElement = DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr);
  std::copy(ptElement->aGameNrs.begin(), ptElement->aGameNrs.end(), aGameNrs.begin());
  const DynamicDataDef& tIndex21 = tFileAdmin.tGameTag21DD;
  if (GameNr < tIndex21.CurData) {
    const auto& aGameNrs21 = DynamicDataAt<GameTag21DataDef>(tIndex21, GameNr)->aGameNrs;
    std::copy(aGameNrs21.begin(), aGameNrs21.end(), aGameNrs.begin() + PBN_N_TAG_IDS_10);
  }
  return aGameNrs;
}

PbnErrDef FillGameTagData(const PbnGameTagsDef* ptGameTags, PbnFilePosDef FilePosBegin) {
  DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  const UInt32 PrevGameNr = tIndex.CurData;
  if (PrevGameNr + 1 >= tIndex.MaxData && !DynamicDataExtend(&tIndex)) return PBN_ERR_RESOURCES;
  const bool b21 = PbnReading21();
  const std::array<UInt32, PBN_N_TAG_IDS> aPrevious = IndexGameNrs(PrevGameNr);
  std::array<UInt32, PBN_N_TAG_IDS> aGameNrs{};
  for (int TagId = 0; TagId < (b21 ? PBN_N_TAG_IDS : PBN_N_TAG_IDS_10); TagId++) {
    const char* pcValue = TagValue(*ptGameTags, TagId);
    if (pcValue[0] == '#' && pcValue[1] == '\0') {
      // The nearest earlier game with a value of its own (0 for the first game of a file).
      aGameNrs[TagId] = aPrevious[TagId] != 0 ? aPrevious[TagId] : PrevGameNr;
    } else if (b21 && pcValue[0] == '\0') {
      aGameNrs[TagId] = aStickyGameNrs[TagId];  // a "##value" of an earlier game, if any
    }
  }
  if (b21 && !Store21(PrevGameNr + 1, aGameNrs)) return PBN_ERR_RESOURCES;
  tIndex.CurData++;
  GameTagDataDef* ptElement = DynamicDataAt<GameTagDataDef>(tIndex, PrevGameNr + 1);
  ptElement->FilePosBegin = FilePosBegin;
  std::copy(aGameNrs.begin(), aGameNrs.begin() + PBN_N_TAG_IDS_10, ptElement->aGameNrs.begin());
  for (int TagId = 0; b21 && TagId < PBN_N_TAG_IDS; TagId++) {
    if (tAdmin.abStickyTag[TagId]) aStickyGameNrs[TagId] = PrevGameNr + 1;
  }
  return PBN_ERR_OK;
}

void GamesLoad(std::FILE* pFile, UInt32* pNrGames, const PbnImportOptionsDef& tOptions) {
  PbnImportSetOptions(tOptions);  // kept for the games loaded from this file
  DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  tIndex.CurData = 0;
  tFileAdmin.tGameTag21DD.CurData = 0;
  tFileAdmin.NrRefused = 0;
  aStickyGameNrs.fill(0);
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
