// The game collection: one import pass that indexes the acceptable games of an open file, and
// loading of one game on demand with its inherited tag values, replay data and raw text.
#pragma once

#include <array>
#include <cstdio>

#include "core/pbn.h"
#include "core/pbn_util.h"
#include "core/tags.h"
#include "import/import.h"

namespace pbn {

struct GameTagDataDef {
  PbnFilePosDef FilePosBegin;
  std::array<UInt32, PBN_N_TAG_IDS_10> aGameNrs;  // game whose value a "#" stands for, or 0
};

// The same for the tags that only the 2.1 reading knows, kept apart so that the index of a
// file read by 1.0 does not grow.
struct GameTag21DataDef {
  std::array<UInt32, PBN_N_TAG_IDS - PBN_N_TAG_IDS_10> aGameNrs;
};

struct GameTxtDataDef {
  UInt32 Offset;  // of the line's first character in tCharTxtDD
  Int32 Width;
};

struct FileAdminDef {
  PbnGameTagsDef* ptPrevTags;   // inherited values collected for the game being loaded
  DynamicDataDef tGameTagDD;    // the index; element n is game n, element 0 unused
  DynamicDataDef tGameTag21DD;  // GameTag21DataDef of game n, filled by the 2.1 reading only
  DynamicDataDef tGameTxtDD;    // one per raw text line, plus one after the last
  DynamicDataDef tCharTxtDD;    // raw text, each line NUL-terminated
  UInt32 NrRefused;             // games of the file that the index pass left out
};

extern FileAdminDef tFileAdmin;

PbnBoolDef GameInit();
void GameTerm();
void GamesLoad(std::FILE* pFile, UInt32* pNrGames, const PbnImportOptionsDef& tOptions = {});
// The number of games with mistakes that the last index pass left out.
inline UInt32 GamesRefused() {
  return tFileAdmin.NrRefused;
}
void GameLoad(std::FILE* pFile, UInt32 GameIndex, UInt32* pNrLines);

// For every tag, the game whose value game GameNr shows in its place (a "#" of its own, or a
// "##value" of an earlier game in the 2.1 reading), or 0.
std::array<UInt32, PBN_N_TAG_IDS> IndexGameNrs(UInt32 GameNr);

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
