// Games with mistakes: when the import options keep refused games, the index holds every game
// of a file that holds a tag, and each game keeps its own entries of the import log, with the
// line numbers of the file.
#pragma once

#include "core/pbn.h"
#include "core/tags.h"
#include "import/import.h"

namespace pbn {

// Whether the file was indexed with its refused games (off by default: the clean games only).
inline PbnBoolDef GamesWithMistakes() {
  return PbnImportOptions().bKeepRefused;
}

// Of game GameIndex of the index (1 to the number of games), after an index pass in the mode;
// without the mode every game is clean.
UInt32 GameNrMistakes(UInt32 GameIndex);
// The entries kept of them: the first 200, so that a game with a line of megabytes (an entry
// every 255 characters) costs little memory.
UInt32 GameNrKeptMistakes(UInt32 GameIndex);
const PbnLogEntryDef* GameMistakes(UInt32 GameIndex);  // GameNrKeptMistakes entries
UInt32 GameFirstLine(UInt32 GameIndex);                // 0 without the mode
UInt32 GamesNrWithMistakes();
// The first game with mistakes after GameIndex, from the start again past the last; 0 if none.
UInt32 GameNextWithMistakes(UInt32 GameIndex);

// Of the game imported last (into ptGameData, with its tags tGameTags): the values its checks
// wrote before they refused them are left out, as if their tags were absent.
void ForgetRefusedValues(PbnGameDataDef* ptGameData, const PbnGameTagsDef& tGameTags);

// The index pass: whether a game with this result goes into the index, and the bookkeeping of
// each game's entries. A pass that did not complete leaves the entries of the file before.
void MistakesPassBegin();
PbnBoolDef MistakesIndexGame(PbnErrDef Error);
void MistakesGameDone(PbnBoolDef bIndexed);
void MistakesPassEnd(PbnBoolDef bCompleted);

}  // namespace pbn
