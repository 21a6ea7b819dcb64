#include "games/game_mistakes.h"

#include <utility>
#include <vector>

namespace pbn {

namespace {

// At most this many entries of a game are kept; the others are counted.
constexpr UInt32 kMaxKeptEntries = 200;

struct GameLogDef {
  UInt32 FirstLine;   // of the game in the file
  UInt32 FirstEntry;  // in atEntries
  UInt32 NrEntries;   // all of them
  UInt32 NrKept;      // in atEntries
};

struct MistakeAdminDef {
  std::vector<PbnLogEntryDef> atEntries;  // of the games indexed, in file order
  std::vector<GameLogDef> atGames;        // per game of the index; element 0 unused
  UInt32 NrWithMistakes = 0;
  std::size_t GameFirstEntry = 0;  // of the game being imported
  UInt32 NrUnkept = 0;             // of the game being imported: entries counted, not kept
};

MistakeAdminDef tMistakeAdmin;
MistakeAdminDef tPrevMistakeAdmin;  // of the file before, while a pass runs

const GameLogDef* GameLog(UInt32 GameIndex) {
  const auto& atGames = tMistakeAdmin.atGames;
  return GameIndex >= 1 && GameIndex < atGames.size() ? &atGames[GameIndex] : nullptr;
}

}  // namespace

UInt32 GameNrMistakes(UInt32 GameIndex) {
  const GameLogDef* ptLog = GameLog(GameIndex);
  return ptLog != nullptr ? ptLog->NrEntries : 0;
}

UInt32 GameNrKeptMistakes(UInt32 GameIndex) {
  const GameLogDef* ptLog = GameLog(GameIndex);
  return ptLog != nullptr ? ptLog->NrKept : 0;
}

const PbnLogEntryDef* GameMistakes(UInt32 GameIndex) {
  const GameLogDef* ptLog = GameLog(GameIndex);
  if (ptLog == nullptr || ptLog->NrKept == 0) return nullptr;
  return tMistakeAdmin.atEntries.data() + ptLog->FirstEntry;
}

UInt32 GameFirstLine(UInt32 GameIndex) {
  const GameLogDef* ptLog = GameLog(GameIndex);
  return ptLog != nullptr ? ptLog->FirstLine : 0;
}

UInt32 GamesNrWithMistakes() {
  return tMistakeAdmin.NrWithMistakes;
}

UInt32 GameNextWithMistakes(UInt32 GameIndex) {
  const UInt32 NrGames = static_cast<UInt32>(tMistakeAdmin.atGames.size());
  if (NrGames <= 1) return 0;
  for (UInt32 Step = 1; Step < NrGames; Step++) {
    const UInt32 Game = (GameIndex + Step - 1) % (NrGames - 1) + 1;
    if (GameNrMistakes(Game) != 0) return Game;
  }
  return 0;
}

namespace {

// The next game's entries go after those kept so far, at most kMaxKeptEntries of them.
void StartGameEntries(MistakeAdminDef& t) {
  t.GameFirstEntry = t.atEntries.size();
  t.NrUnkept = 0;
  PbnLogSinkDef tSink = PbnImportLogSink();
  tSink.ptEntries = &t.atEntries;
  tSink.MaxEntries = t.GameFirstEntry + kMaxKeptEntries;
  tSink.pNrUnkept = &t.NrUnkept;
  PbnImportLog(tSink);
}

}  // namespace

void MistakesPassBegin() {
  std::swap(tPrevMistakeAdmin, tMistakeAdmin);
  MistakeAdminDef& t = tMistakeAdmin;
  t.atEntries.clear();
  t.atGames.assign(1, GameLogDef{});
  t.NrWithMistakes = 0;
  t.GameFirstEntry = 0;
  if (GamesWithMistakes()) StartGameEntries(t);
}

PbnBoolDef MistakesIndexGame(PbnErrDef Error) {
  if (Error == PBN_ERR_OK) return PBN_TRUE;
  // Text between games and after the last one holds no tag: that is no game.
  return GamesWithMistakes() && Error != PBN_ERR_FILE && Error != PBN_ERR_NO_TAG &&
         PbnImportTagFound();
}

void MistakesGameDone(PbnBoolDef bIndexed) {
  MistakeAdminDef& t = tMistakeAdmin;
  if (!GamesWithMistakes()) return;
  if (!bIndexed) {
    t.atEntries.resize(t.GameFirstEntry);
  } else {
    const auto NrKept = static_cast<UInt32>(t.atEntries.size() - t.GameFirstEntry);
    const UInt32 NrEntries = NrKept + t.NrUnkept;
    t.atGames.push_back({PbnImportSourceLine(PbnImportLineBegin()),
                         static_cast<UInt32>(t.GameFirstEntry), NrEntries, NrKept});
    t.NrWithMistakes += NrEntries != 0;
  }
  StartGameEntries(t);
}

void MistakesPassEnd(PbnBoolDef bCompleted) {
  PbnLogSinkDef tSink = PbnImportLogSink();
  tSink.ptEntries = nullptr;
  tSink.MaxEntries = SIZE_MAX;
  tSink.pNrUnkept = nullptr;
  PbnImportLog(tSink);
  if (!bCompleted) std::swap(tPrevMistakeAdmin, tMistakeAdmin);
  tPrevMistakeAdmin = {};
}

}  // namespace pbn
