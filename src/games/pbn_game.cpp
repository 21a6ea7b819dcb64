// The game index: records of the game on display, and one import pass that indexes every game
// of an open file that imports without error or warning.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "games/game_admin.h"
#include "games/game_list.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/admin.h"
#include "import/import.h"
#include "import/reading.h"

namespace pbn {

FileAdminDef tFileAdmin;
PbnGameAdminDef tGameAdmin;

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

bool TagIsInherited(const PbnGameTagsDef& tGameTags, int TagId) {
  const char* pcValue = TagValue(tGameTags, TagId);
  return pcValue[0] == '#' && pcValue[1] == '\0';
}

// Per tag, the latest game of the file that gave it as "##value" (2.1 reading), or kNoSource.
GameSourcesDef aStickySources;

// Where each tag of a game just read takes its value from, appended to ptAppend (when given) for
// each tag that takes it from an earlier game, and the game as the source of the values it gives
// for the "#" of later games (paSources). A "##value" stands for every later game of the file that
// lacks the tag. False when ptAppend could not grow; the sources are taken all the same.
bool TakeSources(const PbnGameTagsDef& tGameTags, PbnFilePosDef FilePosBegin,
                 GameSourcesDef* paSources, DynamicDataDef* ptAppend) {
  const bool b21 = PbnReading21();
  bool bAppended = true;
  for (int TagId = 0; TagId < (b21 ? PBN_N_TAG_IDS : PBN_N_TAG_IDS_10); TagId++) {
    PbnFilePosDef& Source = (*paSources)[TagId];
    PbnFilePosDef Own = kNoSource;
    if (TagIsInherited(tGameTags, TagId)) {
      Own = Source;
    } else if (b21 && TagValue(tGameTags, TagId)[0] == '\0' && aStickySources[TagId] != kNoSource) {
      Own = Source = aStickySources[TagId];
    } else {
      Source = FilePosBegin;  // this game's value, or none, for the "#" of later games
    }
    if (b21 && tAdmin.abStickyTag[TagId]) aStickySources[TagId] = FilePosBegin;
    if (ptAppend == nullptr || Own == kNoSource || !bAppended) continue;
    bAppended = DynamicDataCheck(ptAppend);
    if (bAppended) {
      *DynamicDataAt<GameSourceDef>(*ptAppend, ptAppend->CurData++) = {static_cast<UInt8>(TagId),
                                                                       Own};
    }
  }
  return bAppended;
}

// The index blocks that the last pass did not keep (see BeginIndexBlock).
DynamicDataDef tSpareTagDD{};
DynamicDataDef tSpareSourceDD{};
// Kept from pass to pass, for a folder runs a pass for each of its files: the importer's state
// between runs of games, and the records the pass imports into (each game clears what it uses).
PbnImportPassStateDef tPassImport;
PbnGameDataDef* ptPassGameData = nullptr;
PbnGameTagsDef* ptPassGameTags = nullptr;

}  // namespace

PbnBoolDef GameInit() {
  tFileAdmin = FileAdminDef{};
  tGameAdmin = PbnGameAdminDef{};
  tFileAdmin.ptPrevTags = AllocZeroed<PbnGameTagsDef>();
  if (tFileAdmin.ptPrevTags == nullptr) return PBN_FALSE;
  if (!DynamicDataInit(&tFileAdmin.tGameTagDD, 64, sizeof(GameTagDataDef)) ||
      !DynamicDataInit(&tFileAdmin.tSourceDD, 64, sizeof(GameSourceDef)) ||
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
  Release(ptPassGameData);
  Release(ptPassGameTags);
  DynamicDataTerm(&tFileAdmin.tGameTagDD);
  DynamicDataTerm(&tFileAdmin.tSourceDD);
  DynamicDataTerm(&tFileAdmin.tGameTxtDD);
  DynamicDataTerm(&tFileAdmin.tCharTxtDD);
  DynamicDataTerm(&tSpareTagDD);
  DynamicDataTerm(&tSpareSourceDD);
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

GameSourcesDef IndexSources(UInt32 GameNr) {
  GameSourcesDef aSourcePos;
  aSourcePos.fill(kNoSource);
  const DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  if (GameNr == 0 || GameNr > tIndex.CurData) return aSourcePos;
  const UInt32 First = DynamicDataAt<GameTagDataDef>(tIndex, GameNr)->FirstSource;
  const UInt32 End = GameNr < tIndex.CurData
                         ? DynamicDataAt<GameTagDataDef>(tIndex, GameNr + 1)->FirstSource
                         : tFileAdmin.tSourceDD.CurData;
  for (UInt32 Source = First; Source < End; Source++) {
    const GameSourceDef& tSource = *DynamicDataAt<GameSourceDef>(tFileAdmin.tSourceDD, Source);
    aSourcePos[tSource.TagId] = tSource.SourcePos;
  }
  return aSourcePos;
}

PbnErrDef FillGameTagData(const PbnGameTagsDef* ptGameTags, PbnFilePosDef FilePosBegin,
                          GameSourcesDef* paSources) {
  DynamicDataDef& tIndex = tFileAdmin.tGameTagDD;
  DynamicDataDef& tSources = tFileAdmin.tSourceDD;
  const UInt32 GameNr = tIndex.CurData + 1;
  if (GameNr >= tIndex.MaxData && !DynamicDataExtend(&tIndex)) return PBN_ERR_RESOURCES;
  const UInt32 FirstSource = tSources.CurData;
  if (!TakeSources(*ptGameTags, FilePosBegin, paSources, &tSources)) {
    tSources.CurData = FirstSource;  // the game is not indexed: none of its sources stays
    return PBN_ERR_RESOURCES;
  }
  tIndex.CurData++;
  *DynamicDataAt<GameTagDataDef>(tIndex, GameNr) = {FilePosBegin, FirstSource};
  return PBN_ERR_OK;
}

namespace {

constexpr long kProgressStep = 256 * 1024;

// A refused game is the source of every tag it gives no "#" all the same, unless nothing of it
// was stored.
void UpdateSources(const PbnGameTagsDef& tGameTags, PbnFilePosDef FilePosBegin,
                   GameSourcesDef* paSources) {
  const auto& atValues = tGameTags.atTagValue;
  if (std::none_of(atValues.begin(), atValues.end(),
                   [](const PbnTagValueDef& tValue) { return tValue.acValue[0] != '\0'; })) {
    return;
  }
  tFileAdmin.NrGamesRead++;
  TakeSources(tGameTags, FilePosBegin, paSources, nullptr);
}

// An index block of the pass starts empty and apart from the one of the file before, which stays
// until the pass has completed; then the block kept (the new one, or the one of before) is the
// index and the other is kept as the spare of the next pass. Filling a block grown before costs
// no page faults: a fresh block for every pass made the pass some 20% slower.
bool BeginIndexBlock(DynamicDataDef* ptBlock, const DynamicDataDef& tPrevious,
                     DynamicDataDef* ptSpare, UInt32 ElementSize) {
  if (tPrevious.ptData == nullptr) return false;
  if (ptSpare->ptData == nullptr || ptSpare->DataSize != ElementSize) {
    return DynamicDataInit(ptBlock, tPrevious.IncData, ElementSize);
  }
  *ptBlock = *ptSpare;
  *ptSpare = DynamicDataDef{};
  // Zero-filled as a fresh block: beyond the elements used the block has stayed zero.
  std::memset(ptBlock->ptData, 0, static_cast<size_t>(ptBlock->CurData) * ElementSize);
  ptBlock->CurData = 0;
  return true;
}

void EndIndexBlock(DynamicDataDef* ptBlock, const DynamicDataDef& tPrevious,
                   DynamicDataDef* ptSpare, bool bKeepNew) {
  DynamicDataDef tOther = bKeepNew ? tPrevious : *ptBlock;
  if (!bKeepNew) *ptBlock = tPrevious;
  if (tOther.ptData == ptBlock->ptData) return;
  DynamicDataTerm(ptSpare);
  *ptSpare = tOther;
}

// The pass itself, on records of its own: the game on display stays intact while it runs. It
// goes on from step to step, whole games each; between steps other imports may run.
struct IndexPassDef {
  std::FILE* pFile = nullptr;
  bool bRunning = false;
  bool bDone = true;
  bool bPublished = false;
  long FilePos = 0;
  PbnImportOptionsDef tPrevOptions;
  DynamicDataDef tPrevious{};  // the index of before, until the pass completes or publishes
  DynamicDataDef tPreviousSources{};
  UInt32 PrevNrGamesRead = 0;
  PbnGameDataDef* ptGameData = nullptr;
  PbnGameTagsDef* ptGameTags = nullptr;
  GameSourcesDef aSources{};
};
IndexPassDef tPass;

// Imports the next game of the pass into the index; false once the pass is over.
bool IndexNextGame() {
  PbnGameDataDef* ptGameData = tPass.ptGameData;
  PbnGameTagsDef* ptGameTags = tPass.ptGameTags;
  GameDataInit(ptGameData);
  if (GameTagsInit(ptGameTags) != PBN_ERR_OK) return false;
  bool bDone = false;
  PbnFilePosDef FilePosBegin = -1;
  PbnFilePosDef FilePosOut = -1;
  const PbnErrDef Error = PbnImportGame(tPass.pFile, static_cast<PbnFilePosDef>(tPass.FilePos),
                                        ptGameData, ptGameTags, &FilePosBegin, &FilePosOut);
  const PbnBoolDef bIndex = MistakesIndexGame(Error);
  if (bIndex) {
    tFileAdmin.NrGamesRead++;
    if (FillGameTagData(ptGameTags, FilePosBegin, &tPass.aSources) != PBN_ERR_OK) bDone = true;
    if (!bDone) GameListAddGame(*ptGameData, *ptGameTags);
  } else if (FilePosBegin >= 0) {
    UpdateSources(*ptGameTags, FilePosBegin, &tPass.aSources);
  }
  MistakesGameDone(bIndex && !bDone);
  // Positioning failed, the file ended, or no progress: the pass is over.
  if (Error == PBN_ERR_FILE || FilePosOut < 0 || FilePosOut <= tPass.FilePos) bDone = true;
  tPass.FilePos = FilePosOut;
  GameTagsTerm(ptGameTags);
  return !bDone;
}

}  // namespace

void GamesPassBegin(std::FILE* pFile, const PbnImportOptionsDef& tOptions) {
  if (tPass.bRunning) GamesPassEnd(PBN_FALSE);
  tPass = IndexPassDef{};
  tPass.bRunning = true;
  tPass.pFile = pFile;
  tPass.tPrevOptions = PbnImportOptions();
  PbnImportSetOptions(tOptions);  // kept for the games loaded from this file
  MistakesPassBegin();
  GameListPassBegin();
  PbnImportLogBegin(pFile);
  PbnReaderForget();
  // One file's values must never be inherited by the games of another.
  PbnImportTags(nullptr);
  GameForgetSources();
  aStickySources.fill(kNoSource);
  // The previous index stays until this pass has completed, so that a cancel keeps it.
  tPass.tPrevious = tFileAdmin.tGameTagDD;
  tPass.tPreviousSources = tFileAdmin.tSourceDD;
  tPass.PrevNrGamesRead = tFileAdmin.NrGamesRead;
  tFileAdmin.NrGamesRead = 0;
  if (ptPassGameData == nullptr) ptPassGameData = AllocZeroed<PbnGameDataDef>();
  if (ptPassGameTags == nullptr) ptPassGameTags = AllocZeroed<PbnGameTagsDef>();
  tPass.ptGameData = ptPassGameData;
  tPass.ptGameTags = ptPassGameTags;
  const bool bBlocks = BeginIndexBlock(&tFileAdmin.tGameTagDD, tPass.tPrevious, &tSpareTagDD,
                                       sizeof(GameTagDataDef)) &&
                       BeginIndexBlock(&tFileAdmin.tSourceDD, tPass.tPreviousSources,
                                       &tSpareSourceDD, sizeof(GameSourceDef));
  if (!bBlocks) {
    // Nothing to index into: the blocks of before serve as an empty index.
    EndIndexBlock(&tFileAdmin.tGameTagDD, tPass.tPrevious, &tSpareTagDD, false);
    EndIndexBlock(&tFileAdmin.tSourceDD, tPass.tPreviousSources, &tSpareSourceDD, false);
    tFileAdmin.tGameTagDD.CurData = tFileAdmin.tSourceDD.CurData = 0;
  } else if (pFile != nullptr && tPass.ptGameData != nullptr && tPass.ptGameTags != nullptr &&
             !GameFileTooLarge(pFile)) {
    tPass.FilePos = std::ftell(pFile);
    // Positioned once, the stream keeps count of its offset, so that each import can find the
    // stream already where it starts without a system call.
    tPass.bDone = tPass.FilePos < 0 || std::fseek(pFile, tPass.FilePos, SEEK_SET) != 0;
    tPass.aSources.fill(kNoSource);  // the first game of a file has nothing to inherit
  }
  PbnImportPassSuspend(&tPassImport);
}

PbnBoolDef GamesPassStep(long MaxBytes) {
  if (!tPass.bRunning || tPass.bDone) return PBN_FALSE;
  PbnImportPassResume(tPassImport);
  const long End = tPass.FilePos + MaxBytes;
  while (!tPass.bDone && tPass.FilePos < End)
    tPass.bDone = !IndexNextGame();
  PbnImportPassSuspend(&tPassImport);
  return !tPass.bDone;
}

long GamesPassFilePos() {
  return tPass.FilePos;
}

void GamesPassPublish() {
  if (!tPass.bRunning || tPass.bPublished) return;
  tPass.bPublished = true;
  EndIndexBlock(&tFileAdmin.tGameTagDD, tPass.tPrevious, &tSpareTagDD, true);
  EndIndexBlock(&tFileAdmin.tSourceDD, tPass.tPreviousSources, &tSpareSourceDD, true);
  GameListPassPublish();
}

void GamesPassEnd(PbnBoolDef bCompleted) {
  if (!tPass.bRunning) return;
  PbnImportPassResume(tPassImport);  // the log as it was before the pass
  const bool bKeep = bCompleted || tPass.bPublished;
  if (tPass.ptGameTags != nullptr) GameTagsTerm(tPass.ptGameTags);
  MistakesPassEnd(bKeep);
  GameListPassEnd(bKeep);
  if (!tPass.bPublished) {
    EndIndexBlock(&tFileAdmin.tGameTagDD, tPass.tPrevious, &tSpareTagDD, bKeep);
    EndIndexBlock(&tFileAdmin.tSourceDD, tPass.tPreviousSources, &tSpareSourceDD, bKeep);
  }
  if (!bKeep) {
    tFileAdmin.NrGamesRead = tPass.PrevNrGamesRead;
    PbnImportSetOptions(tPass.tPrevOptions);  // the games of the file kept are read as before
  }
  tPass = IndexPassDef{};
}

PbnBoolDef GamesLoad(std::FILE* pFile, UInt32* pNrGames, const PbnImportOptionsDef& tOptions,
                     GamesLoadProgressDef Progress) {
  GamesPassBegin(pFile, tOptions);
  PbnBoolDef bCompleted = PBN_TRUE;
  while (bCompleted && GamesPassStep(kProgressStep)) {
    if (Progress != nullptr && !Progress(GamesPassFilePos(), tFileAdmin.tGameTagDD.CurData)) {
      bCompleted = PBN_FALSE;
    }
  }
  GamesPassEnd(bCompleted);
  if (!bCompleted) return PBN_FALSE;
  *pNrGames = tFileAdmin.tGameTagDD.CurData;
  return PBN_TRUE;
}

std::FILE* GameFileOpen(const char* pcPath) {
  struct stat tPath;
  if (stat(pcPath, &tPath) == 0 && !S_ISREG(tPath.st_mode) && !S_ISDIR(tPath.st_mode)) {
    errno = ESPIPE;
    return nullptr;
  }
  std::FILE* pFile = std::fopen(pcPath, "rb");
  if (pFile == nullptr) return nullptr;
  // A folder opens for reading here but holds no games.
  struct stat tStat;
  if (fstat(fileno(pFile), &tStat) == 0 && !S_ISREG(tStat.st_mode)) {
    std::fclose(pFile);
    errno = S_ISDIR(tStat.st_mode) ? EISDIR : ESPIPE;
    return nullptr;
  }
  return pFile;
}

PbnBoolDef GameFileTooLarge(std::FILE* pFile) {
  struct stat tStat;
  if (fstat(fileno(pFile), &tStat) != 0) return PBN_FALSE;
  return tStat.st_size > INT32_MAX;
}

PbnBoolDef GameFileIsText(std::FILE* pFile) {
  const long FilePos = std::ftell(pFile);
  if (FilePos < 0 || std::fseek(pFile, 0, SEEK_SET) != 0) return PBN_TRUE;
  static char acHead[64 * 1024];
  const std::size_t NrRead = std::fread(acHead, 1, sizeof acHead, pFile);
  std::fseek(pFile, FilePos, SEEK_SET);
  return std::memchr(acHead, '\0', NrRead) == nullptr;
}

const char* GameTxtLine(UInt32 Line) {
  const DynamicDataDef& tLines = tFileAdmin.tGameTxtDD;
  if (tLines.ptData == nullptr || Line + 1 >= tLines.CurData) return nullptr;
  const UInt32 Offset = DynamicDataAt<GameTxtDataDef>(tLines, Line)->Offset;
  if (Offset >= tFileAdmin.tCharTxtDD.CurData) return nullptr;
  return DynamicDataAt<char>(tFileAdmin.tCharTxtDD, Offset);
}

}  // namespace pbn
