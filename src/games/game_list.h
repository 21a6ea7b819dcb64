// The list of games: a compact table of the few fields the window's game list shows, one row per
// game of the index, filled during the index pass; the list's filter, order and travellers over it.
// Texts (boards, events, players) are kept once each and named by a number.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"

namespace pbn {

enum class GameListColumnDef : UInt8 {
  Number,  // the game number, "!" after a game with mistakes
  Board,
  Contract,  // with declarer and risk: "4SX N"
  Result,    // tricks taken
  Score,     // "NS 620"
  Players,   // "North & South v East & West"
  Mistakes,
  Par,  // as the file carries it (OptimumScore, ParContract) or the double-dummy panel found it
};
inline constexpr int kGameListNrColumns = 8;
inline constexpr const char* apcGameListHeaders[kGameListNrColumns] = {
    "Game", "Board", "Contract", "Result", "Score", "Players", "Mistakes", "Par"};

inline constexpr Int16 kGameListNoPar = std::numeric_limits<Int16>::min();

// One game as the index pass read it. A value the import refused is left out.
struct GameListRowDef {
  UInt32 idBoard;  // texts by number; 0 is the empty text
  UInt32 idEvent;
  std::array<UInt32, PBN_N_SIDES> aidPlayers;  // by side code
  UInt32 idParContract;
  PbnContractDef tContract;
  PbnResultDef Result;
  PbnVulnerDef Vulner;
  Int16 ParNS;  // kGameListNoPar when not known
};

// The index pass fills a table of its own; it becomes the list once the pass has completed (or is
// published), and a cancelled pass leaves the list of the file before. Only a program that shows
// the list keeps one (off at first): the others pay nothing for it in the index pass.
void GameListKeep(PbnBoolDef bKeep);
void GameListPassBegin();
void GameListAddGame(const PbnGameDataDef& tGameData, const PbnGameTagsDef& tGameTags);
// From here on the list is the one the pass fills: it grows as the pass goes on.
void GameListPassPublish();
void GameListPassEnd(PbnBoolDef bCompleted);

UInt32 GameListSize();
const GameListRowDef& GameListRow(UInt32 GameNr);  // 1 to GameListSize()
const std::string& GameListString(UInt32 idText);
std::string GameListText(UInt32 GameNr, GameListColumnDef Column);
// Par found for a game by the double-dummy analysis, shown where the file gives none.
void GameListSetPar(UInt32 GameNr, int ParNS);
// Whether any game has a par to show.
PbnBoolDef GameListHasPar();

// The games, in file order, that every word of Filter matches: a board number ("12"), a contract
// ("4S", "6NT", "3NTX"), "!" for a game with mistakes, or a part of a player's name in any case.
std::vector<UInt32> GameListSelect(std::string_view Filter);
void GameListSort(std::vector<UInt32>* paGames, GameListColumnDef Column, PbnBoolDef bDescending);
// The traveller of game GameNr: the games of the same Board in the same Event, in file order.
std::vector<UInt32> GameListSameBoard(UInt32 GameNr);

// The game of the index that starts at FilePos, or else the nearest one; 0 for an empty index.
UInt32 GameAtFilePos(PbnFilePosDef FilePos);
PbnFilePosDef GameFilePos(UInt32 GameNr);

// The bytes the list holds: rows, texts and their lookup.
std::size_t GameListMemory();

}  // namespace pbn
