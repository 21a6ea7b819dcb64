// Loading one game for display: its inherited tag values, its replay data, its annotation text
// and its raw text.
#include <climits>
#include <cstring>

#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"

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

// Imports game GameNr of the index into the records of the game on display.
void ImportIndexedGame(std::FILE* pFile, UInt32 GameNr, PbnFilePosDef* pFilePosBegin,
                       PbnFilePosDef* pFilePosOut) {
  GameDataInit(tGameAdmin.ptGameData);
  GameTagsReset(tGameAdmin.ptGameTags);
  const GameTagDataDef* ptElement = DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr);
  PbnImportGame(pFile, ptElement->FilePosBegin, tGameAdmin.ptGameData, tGameAdmin.ptGameTags,
                pFilePosBegin, pFilePosOut);
}

void CollectInheritedValues(std::FILE* pFile, const std::array<UInt32, PBN_N_TAG_IDS>& aGameNrs) {
  PbnGameTagsDef* ptPrevTags = tFileAdmin.ptPrevTags;
  for (PbnTagValueDef& tValue : ptPrevTags->atTagValue)
    tValue.acValue[0] = '\0';
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    const UInt32 GameNr = aGameNrs[TagId];
    if (GameNr == 0 || GameNr >= tFileAdmin.tGameTagDD.CurData + 1 ||
        ptPrevTags->atTagValue[TagId].acValue[0] != '\0') {
      continue;
    }
    PbnImportTags(nullptr);
    PbnFilePosDef FilePosBegin;
    PbnFilePosDef FilePosOut;
    ImportIndexedGame(pFile, GameNr, &FilePosBegin, &FilePosOut);
    // One import of the source game serves every tag it supplies.
    for (int Other = TagId; Other < PBN_N_TAG_IDS; Other++) {
      if (aGameNrs[Other] == GameNr) {
        ptPrevTags->atTagValue[Other] = tGameAdmin.ptGameTags->atTagValue[Other];
      }
    }
  }
}

}  // namespace

void GameLoad(std::FILE* pFile, UInt32 GameIndex, UInt32* pNrLines) {
  if (pFile == nullptr || tGameAdmin.ptGameData == nullptr || tGameAdmin.ptGameTags == nullptr ||
      tFileAdmin.ptPrevTags == nullptr || GameIndex == 0 ||
      GameIndex > tFileAdmin.tGameTagDD.CurData) {
    return;
  }
  const GameTagDataDef tElement = *DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameIndex);
  const std::array<UInt32, PBN_N_TAG_IDS> aGameNrs = IndexGameNrs(GameIndex);
  CollectInheritedValues(pFile, aGameNrs);
  PbnImportTags(tFileAdmin.ptPrevTags);

  PbnFilePosDef FilePosBegin = tElement.FilePosBegin;
  PbnFilePosDef FilePosOut = -1;
  ImportIndexedGame(pFile, GameIndex, &FilePosBegin, &FilePosOut);
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    if (aGameNrs[TagId] != 0) {
      tGameAdmin.ptGameTags->atTagValue[TagId] = tFileAdmin.ptPrevTags->atTagValue[TagId];
    }
  }

  tGameAdmin.Section = PBN_SECTION_IDENT;
  GameReset();
  PbnGetPlayCards(tGameAdmin.ptGameData, tGameAdmin.aNrWonNS.data(), &tGameAdmin.NrPlayCards,
                  tGameAdmin.atPlayCards.data(), tGameAdmin.aacIllegals.data());
  GameTxtLoad(pFile, FilePosBegin, FilePosOut, pNrLines);
  if (TextAnnoInit()) TextAnnoCompute(tGameAdmin.ptGameData, tGameAdmin.ptGameTags);
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
