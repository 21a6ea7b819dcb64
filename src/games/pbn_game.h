// The game collection: one import pass that indexes the acceptable games of an open file, and
// loading of one game on demand with its inherited tag values, replay data and raw text.
#pragma once

#include <array>
#include <cstdio>

#include "core/pbn.h"
#include "core/pbn_util.h"
#include "core/tags.h"

namespace pbn {

struct GameTagDataDef {
  PbnFilePosDef FilePosBegin;
  std::array<UInt32, PBN_N_TAG_IDS> aGameNrs;  // game whose value a "#" stands for, or 0
};

struct GameTxtDataDef {
  UInt32 Offset;  // of the line's first character in tCharTxtDD
  Int32 Width;
};

struct FileAdminDef {
  PbnGameTagsDef* ptPrevTags;  // inherited values collected for the game being loaded
  DynamicDataDef tGameTagDD;   // the index; element n is game n, element 0 unused
  DynamicDataDef tGameTxtDD;   // one per raw text line, plus one after the last
  DynamicDataDef tCharTxtDD;   // raw text, each line NUL-terminated
  UInt32 NrRefused;            // games of the file that the index pass left out
};

extern FileAdminDef tFileAdmin;

PbnBoolDef GameInit();
void GameTerm();
void GamesLoad(std::FILE* pFile, UInt32* pNrGames);
// The number of games with mistakes that the last index pass left out.
inline UInt32 GamesRefused() {
  return tFileAdmin.NrRefused;
}
void GameLoad(std::FILE* pFile, UInt32 GameIndex, UInt32* pNrLines);

PbnErrDef FillGameTagData(const PbnGameTagsDef* ptGameTags, PbnFilePosDef FilePosBegin);
void GameTxtLoad(std::FILE* pFile, PbnFilePosDef FilePosBegin, PbnFilePosDef FilePosEnd,
                 UInt32* pNrLines);
void GameDataInit(PbnGameDataDef* ptGameData);
PbnErrDef GameTagsReset(PbnGameTagsDef* ptGameTags);

// Offsets are signed 32-bit: a file of 2 GiB or more cannot be indexed.
PbnBoolDef GameFileTooLarge(std::FILE* pFile);
inline constexpr const char* kGameFileTooLargeText =
    "File too large: Karvelon reads PBN files smaller than 2 GiB";

// Raw text line i of the game on display (NUL-terminated), or null beyond the stored lines.
const char* GameTxtLine(UInt32 Line);

}  // namespace pbn
