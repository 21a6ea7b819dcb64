// Loading one game: its records with their inherited tag values, and its raw text.
#include <climits>
#include <cstring>

#include "games/game_admin.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"

namespace pbn {

namespace {

// The raw text reader: a line buffer of its own, separate from the importer's reader.
struct RawReaderDef {
  char acLine[PBN_VALUE_SIZE];
  int NrChars;
  int Index;
};
RawReaderDef tRawReader;

PbnErrDef RawGetChar(std::FILE* pFile, char* pcChar) {
  if (tRawReader.Index >= tRawReader.NrChars) {
    tRawReader.Index = 0;
    tRawReader.NrChars = 0;
    const long Before = std::ftell(pFile);
    if (std::fgets(tRawReader.acLine, sizeof tRawReader.acLine, pFile) == nullptr) {
      return PBN_ERR_FILE;
    }
    // Counted by the stream position, so that a NUL byte in the line loses no character.
    const long NrRead = std::ftell(pFile) - Before;
    tRawReader.NrChars = Before >= 0 && NrRead > 0 && NrRead < PBN_VALUE_SIZE
                             ? static_cast<int>(NrRead)
                             : static_cast<int>(std::strlen(tRawReader.acLine));
    if (tRawReader.NrChars == 0) return PBN_ERR_FILE;
  }
  *pcChar = tRawReader.acLine[tRawReader.Index++];
  return PBN_ERR_OK;
}

bool AppendChar(char cChar) {
  DynamicDataDef& tChars = tFileAdmin.tCharTxtDD;
  if (tChars.CurData == tChars.MaxData && !DynamicDataExtend(&tChars)) return false;
  *DynamicDataAt<char>(tChars, tChars.CurData++) = cChar;
  return true;
}

bool AppendLine(UInt32 Offset) {
  DynamicDataDef& tLines = tFileAdmin.tGameTxtDD;
  if (tLines.CurData == tLines.MaxData && !DynamicDataExtend(&tLines)) return false;
  GameTxtDataDef* ptLine = DynamicDataAt<GameTxtDataDef>(tLines, tLines.CurData++);
  ptLine->Offset = Offset;
  ptLine->Width = 0;
  return true;
}

// Imports the game that starts at FilePosIn into the records tRecords.
void ImportGameAt(std::FILE* pFile, PbnFilePosDef FilePosIn, const GameRecordsDef& tRecords,
                  PbnFilePosDef* pFilePosBegin, PbnFilePosDef* pFilePosOut) {
  GameDataInit(tRecords.ptGameData);
  GameTagsReset(tRecords.ptGameTags);
  PbnImportGame(pFile, FilePosIn, tRecords.ptGameData, tRecords.ptGameTags, pFilePosBegin,
                pFilePosOut);
}

// The values of the source game imported last: games loaded in order (a list of every game)
// mostly inherit from the same one. Forgotten when a file is indexed.
struct SourceCacheDef {
  PbnFilePosDef Pos = kNoSource;
  std::array<PbnTagValueDef, PBN_N_TAG_IDS> atValue;
};
SourceCacheDef tSourceCache;

// The source game is imported into tScratch, the records the game itself is read into next.
const std::array<PbnTagValueDef, PBN_N_TAG_IDS>& SourceValues(std::FILE* pFile,
                                                              PbnFilePosDef SourcePos,
                                                              const GameRecordsDef& tScratch) {
  if (tSourceCache.Pos == SourcePos) return tSourceCache.atValue;
  PbnImportTags(nullptr);
  PbnFilePosDef FilePosBegin;
  PbnFilePosDef FilePosOut;
  // A refused source game still stores the values it gives.
  ImportGameAt(pFile, SourcePos, tScratch, &FilePosBegin, &FilePosOut);
  tSourceCache.Pos = SourcePos;
  tSourceCache.atValue = tScratch.ptGameTags->atTagValue;
  return tSourceCache.atValue;
}

void CollectInheritedValues(std::FILE* pFile, const GameSourcesDef& aSourcePos,
                            const GameRecordsDef& tScratch) {
  PbnGameTagsDef* ptPrevTags = tFileAdmin.ptPrevTags;
  for (PbnTagValueDef& tValue : ptPrevTags->atTagValue)
    tValue.acValue[0] = '\0';
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    const PbnFilePosDef SourcePos = aSourcePos[TagId];
    if (SourcePos < 0 || ptPrevTags->atTagValue[TagId].acValue[0] != '\0') continue;
    const auto& atValue = SourceValues(pFile, SourcePos, tScratch);
    // One import of the source game serves every tag it supplies.
    for (int Other = TagId; Other < PBN_N_TAG_IDS; Other++) {
      if (aSourcePos[Other] == SourcePos) ptPrevTags->atTagValue[Other] = atValue[Other];
    }
  }
}

// The import of a game with mistakes stores a card that its hand does not hold before it refuses
// it: such a card is left out, so that the replay takes out of the hands only what they hold.
void DropRefusedCards(PbnGameDataDef* ptGameData) {
  constexpr PbnRankDef kAllRanks = static_cast<PbnRankDef>((PBN_RANK_A << 1) - PBN_RANK_2);
  PbnDealDef tLeft = ptGameData->tDeal;
  PbnHandDef tUnknown{};  // the cards no hand holds, which a hand given as unknown may play
  for (int Suit = 0; Suit < PBN_N_SUITS; Suit++) {
    PbnRankDef Given = 0;
    for (const PbnHandDef& tHand : tLeft.tHands)
      Given |= tHand.Ranks[Suit];
    tUnknown.Ranks[Suit] = static_cast<PbnRankDef>(kAllRanks & ~Given);
  }
  for (PbnTrickDef& tTrick : ptGameData->tPlay.atTricks) {
    for (int Side = 0; Side < PBN_N_SIDES; Side++) {
      PbnCardDef& tCard = tTrick.atCards[Side];
      if (!PbnCardIsReal(tCard)) continue;
      const PbnHandDef& tDealt = ptGameData->tDeal.tHands[Side];
      const bool bUnknown =
          (tDealt.Ranks[0] | tDealt.Ranks[1] | tDealt.Ranks[2] | tDealt.Ranks[3]) == 0;
      PbnRankDef& Ranks = (bUnknown ? tUnknown : tLeft.tHands[Side]).Ranks[tCard.Suit];
      if ((Ranks & tCard.Rank) != 0 && PbnRanksGetNumber(tCard.Rank) == 1) {
        Ranks = static_cast<PbnRankDef>(Ranks & ~tCard.Rank);
      } else {
        tCard = PbnCardDef{};
      }
    }
  }
}

}  // namespace

void ForgetRefusedValues(PbnGameDataDef* ptGameData, const PbnGameTagsDef& tGameTags) {
  const auto Absent = [&tGameTags](int TagId) { return TagValue(tGameTags, TagId)[0] == '\0'; };
  PbnContractDef& tContract = ptGameData->tContract;
  if (Absent(PBN_TAG_ID_DEAL)) ptGameData->tDeal = PbnDealDef{};
  if (Absent(PBN_TAG_ID_RESULT)) ptGameData->Result = PBN_RESULT_NONE;
  if (Absent(PBN_TAG_ID_DECLARER)) tContract.bIrregularDeclarer = PBN_FALSE;
  // A value the auction filled in for a missing tag stays: only a refused one goes.
  if (PbnImportRefusedTag(PBN_TAG_ID_DEALER)) ptGameData->tSituation.Dealer = PBN_SIDE_NOT_GIVEN;
  if (PbnImportRefusedTag(PBN_TAG_ID_VULNERABLE)) {
    ptGameData->tSituation.Vulner = PBN_VULNER_NOT_GIVEN;
  }
  if (PbnImportRefusedTag(PBN_TAG_ID_DECLARER)) tContract.Declarer = PBN_SIDE_NOT_GIVEN;
  if (PbnImportRefusedTag(PBN_TAG_ID_CONTRACT)) {
    tContract.NrTricks = 0;
    tContract.Trump = PBN_TRUMP_NOT_GIVEN;
    tContract.Risk = PBN_RISK_UNKNOWN;
  }
}

void GameForgetSources() {
  tSourceCache.Pos = kNoSource;
}

bool GameLoadRecords(std::FILE* pFile, UInt32 GameIndex, PbnFilePosDef* pFilePosBegin,
                     PbnFilePosDef* pFilePosOut) {
  return GameLoadRecords(pFile, GameIndex, {tGameAdmin.ptGameData, tGameAdmin.ptGameTags},
                         pFilePosBegin, pFilePosOut);
}

bool GameLoadRecords(std::FILE* pFile, UInt32 GameIndex, const GameRecordsDef& tRecords,
                     PbnFilePosDef* pFilePosBegin, PbnFilePosDef* pFilePosOut) {
  if (pFile == nullptr || tRecords.ptGameData == nullptr || tRecords.ptGameTags == nullptr ||
      tFileAdmin.ptPrevTags == nullptr || GameIndex == 0 ||
      GameIndex > tFileAdmin.tGameTagDD.CurData) {
    return false;
  }
  const GameTagDataDef tElement = *DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameIndex);
  const GameSourcesDef aSourcePos = IndexSources(GameIndex);
  CollectInheritedValues(pFile, aSourcePos, tRecords);
  PbnImportTags(tFileAdmin.ptPrevTags);

  *pFilePosBegin = tElement.FilePosBegin;
  *pFilePosOut = -1;
  ImportGameAt(pFile, tElement.FilePosBegin, tRecords, pFilePosBegin, pFilePosOut);
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    if (aSourcePos[TagId] != kNoSource) {
      tRecords.ptGameTags->atTagValue[TagId] = tFileAdmin.ptPrevTags->atTagValue[TagId];
    }
  }

  if (GameNrMistakes(GameIndex) != 0) {
    ForgetRefusedValues(tRecords.ptGameData, *tRecords.ptGameTags);
    DropRefusedCards(tRecords.ptGameData);
  }
  return true;
}

void GameTxtLoad(std::FILE* pFile, PbnFilePosDef FilePosBegin, PbnFilePosDef FilePosEnd,
                 UInt32* pNrLines) {
  if (FilePosBegin < 0 || std::fseek(pFile, FilePosBegin, SEEK_SET) != 0) return;
  tRawReader = RawReaderDef{};
  tFileAdmin.tGameTxtDD.CurData = 0;
  tFileAdmin.tCharTxtDD.CurData = 0;
  if (tFileAdmin.tGameTxtDD.ptData == nullptr || tFileAdmin.tCharTxtDD.ptData == nullptr ||
      !AppendLine(0)) {
    return;
  }
  const long End = FilePosEnd == -1 ? INT32_MAX : FilePosEnd;
  bool bLineEnded = true;  // the previous character ended a line
  for (long Count = FilePosBegin; Count < End; Count++) {
    char cChar;
    if (RawGetChar(pFile, &cChar) != PBN_ERR_OK) {
      if (bLineEnded) break;
      cChar = '\n';  // close the last line at the end of the file
      Count = End;
    }
    bLineEnded = cChar == '\n';
    bool bStored = true;
    if (cChar == '\n') {
      bStored = AppendChar('\0') && AppendLine(tFileAdmin.tCharTxtDD.CurData);
    } else if (cChar != '\r') {
      bStored = AppendChar(cChar);
    }
    if (!bStored) break;
  }
  // Only lines closed by a line feed (or by the end of the file) and stored whole are counted.
  *pNrLines = tFileAdmin.tGameTxtDD.CurData - 1;
}

}  // namespace pbn
