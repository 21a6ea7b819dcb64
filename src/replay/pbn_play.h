// The replay state of the game on display: the play in chronological order with trick winners
// and irregularity marks, the step position (section, calls shown, cards played) and the step
// commands that the buttons and the automatic-play timer invoke.
#pragma once

#include <array>
#include <cstdio>

#include "core/pbn.h"
#include "core/tags.h"
#include "games/game_admin.h"

namespace pbn {

// The entries of tGameAdmin.atPlayCards; at most PBN_MAX_PLAY_CARDS, bound where counted.
inline int PlayNrEntries() {
  return tGameAdmin.NrPlayCards;
}

void PbnGetPlayCards(const PbnGameDataDef* ptGameData, UInt8* aNrWonNS, Int8* pNrPlayCards,
                     PbnPlayCardDef* atPlayCards, std::array<Int8, PBN_N_SIDES>* aacIllegals);

// Loads game GameIndex of the index for display: its records with their inherited values
// (GameLoadRecords), the replay reset with the chronological play, the raw text (*pNrLines
// lines) and the annotation text.
void GameLoad(std::FILE* pFile, UInt32 GameIndex, UInt32* pNrLines);

void GameReset();
void GameDeal();
PbnBoolDef PlayIsDone();
void PlayHead();
void PlayBack();
void PlayExec();
void PlayTail();
void SetHiddenSides();

// Whether the open file has games; the step commands do nothing without them.
void PlaySetGamesLoaded(PbnBoolDef bGamesLoaded);

}  // namespace pbn
