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

inline constexpr PbnFilePosDef kNoSource = -1;

// One game of the index. Most games give every tag a value of their own, so the tags that stand
// for an earlier game's value are kept apart, in tSourceDD: those of game n are its elements
// from FirstSource of game n up to FirstSource of game n + 1 (for the last game, the fill count).
struct GameTagDataDef {
  PbnFilePosDef FilePosBegin;
  UInt32 FirstSource;
};

// A tag whose value a game takes from an earlier one: the start of the nearest earlier game of
// the file, indexed or refused, whose value of that tag is not "#".
struct GameSourceDef {
  UInt8 TagId;
  PbnFilePosDef SourcePos;
};

struct GameTxtDataDef {
  UInt32 Offset;  // of the line's first character in tCharTxtDD
  Int32 Width;
};

struct FileAdminDef {
  PbnGameTagsDef* ptPrevTags;  // inherited values collected for the game being loaded
  DynamicDataDef tGameTagDD;   // the index; element n is game n, element 0 unused
  DynamicDataDef tSourceDD;    // GameSourceDef of the games of the index, in their order
  DynamicDataDef tGameTxtDD;   // one per raw text line, plus one after the last
  DynamicDataDef tCharTxtDD;   // raw text, each line NUL-terminated
  UInt32 NrGamesRead;          // games the index pass read, refused ones included
};

extern FileAdminDef tFileAdmin;

PbnBoolDef GameInit();
void GameTerm();
// Told, every 256 KiB or so of the index pass, the file position reached and the games indexed so
// far; false cancels the pass.
using GamesLoadProgressDef = bool (*)(long FilePos, UInt32 NrGames);

// The index pass. PBN_FALSE when Progress cancelled it: the previous index then stays as it was.
// The options are kept for the games loaded from this file afterwards.
PbnBoolDef GamesLoad(std::FILE* pFile, UInt32* pNrGames, const PbnImportOptionsDef& tOptions = {},
                     GamesLoadProgressDef Progress = nullptr);
// The same pass in steps, for a program that shows games while it reads on (the viewer). Each
// step reads whole games, on from where the last one stopped until about MaxBytes more of the file
// are read; PBN_FALSE once the pass is over. Between steps other imports may run (the game on
// display is loaded): a step takes the importer's state of the pass back before it reads on.
// Until GamesPassPublish the index of before stays the index and the pass fills one of its own;
// from then on the games indexed so far are the index (and the list), and an end before the pass
// completed keeps them. GamesPassEnd(PBN_FALSE) before publishing restores what was before.
void GamesPassBegin(std::FILE* pFile, const PbnImportOptionsDef& tOptions);
PbnBoolDef GamesPassStep(long MaxBytes);
long GamesPassFilePos();  // where the next step reads on
void GamesPassPublish();
void GamesPassEnd(PbnBoolDef bCompleted);
// Forgets the values of source games kept by GameLoadRecords; the index pass calls it.
void GameForgetSources();
// A game loaded for lists and for display (the replay's GameLoad builds on it): the game's records
// (tGameAdmin's data and tags, inherited values filled in) without the replay, the raw text and
// the annotation; false for no such game.
bool GameLoadRecords(std::FILE* pFile, UInt32 GameIndex, PbnFilePosDef* pFilePosBegin,
                     PbnFilePosDef* pFilePosOut);
// The same into records of the caller's own, so that the game on display stays as it is.
struct GameRecordsDef {
  PbnGameDataDef* ptGameData;
  PbnGameTagsDef* ptGameTags;
};
bool GameLoadRecords(std::FILE* pFile, UInt32 GameIndex, const GameRecordsDef& tRecords,
                     PbnFilePosDef* pFilePosBegin, PbnFilePosDef* pFilePosOut);

// For every tag, the start of a game whose value stands in its place: the source of a "#" (of a
// game, or at the point the index pass has reached), or kNoSource for an own value.
using GameSourcesDef = std::array<PbnFilePosDef, PBN_N_TAG_IDS>;

// Of game GameNr of the index: the game whose value it shows in place of a "#" of its own, or of a
// "##value" of an earlier game in the 2.1 reading.
GameSourcesDef IndexSources(UInt32 GameNr);

// Appends the element of a game just indexed, its "#" pointing into paSources, and makes the game
// the source of every tag it gives no "#".
PbnErrDef FillGameTagData(const PbnGameTagsDef* ptGameTags, PbnFilePosDef FilePosBegin,
                          GameSourcesDef* paSources);

// The number of games of the file that the last index pass read but left out.
inline UInt32 GamesRefused() {
  return tFileAdmin.NrGamesRead - tFileAdmin.tGameTagDD.CurData;
}
void GameTxtLoad(std::FILE* pFile, PbnFilePosDef FilePosBegin, PbnFilePosDef FilePosEnd,
                 UInt32* pNrLines);
void GameDataInit(PbnGameDataDef* ptGameData);
PbnErrDef GameTagsReset(PbnGameTagsDef* ptGameTags);

// Opens a file of games for reading in binary mode. Null with errno set when it cannot be opened,
// EISDIR for a folder, ESPIPE for anything that is not a regular file (a pipe or a socket would
// block the open, a device such as /dev/zero never ends).
std::FILE* GameFileOpen(const char* pcPath);

// Offsets are signed 32-bit: a file of 2 GiB or more cannot be indexed.
PbnBoolDef GameFileTooLarge(std::FILE* pFile);
inline constexpr const char* kGameFileTooLargeText =
    "File too large: Karvelon reads PBN files smaller than 2 GiB";

// Whether the first 64 KiB of a file hold no NUL byte, as text does. Games with mistakes index
// whatever holds a tag, so a program or an image must be refused before; the strict readings
// find no game in it anyway. The file's position is kept.
PbnBoolDef GameFileIsText(std::FILE* pFile);
inline constexpr const char* kGameFileNotTextText = "not a PBN text file";

// Raw text line i of the game on display (NUL-terminated), or null beyond the stored lines.
const char* GameTxtLine(UInt32 Line);

}  // namespace pbn
