// The game on display: the records that the game collection fills when it loads a game (its data
// and tags, allocated once by GameInit), and the replay state that the step commands move over
// them. Declared here, with the collection that owns the records; the replay builds on it.
#pragma once

#include <array>

#include "core/pbn.h"
#include "core/tags.h"

namespace pbn {

inline constexpr int PBN_MAX_PLAY_CARDS = 52;

struct PbnGameAdminDef {
  PbnGameDataDef* ptGameData;  // the game on display (allocated by GameInit)
  PbnGameTagsDef* ptGameTags;
  PbnSectionDef Section;
  PbnDealDef tDeal;      // the deal minus the cards played so far
  Int16 NrCalls;         // calls shown
  Int8 NrTricks;         // tricks shown complete in the play history (written by the painting)
  Int8 NrCards;          // entries of atPlayCards played so far
  PbnBoolDef bTrick;     // a complete trick still lies on the table
  PbnBoolDef bPlayDone;  // stepped to the end; the result is shown
  std::array<PbnBoolDef, PBN_N_SIDES> abHiddenSide;
  std::array<UInt8, PBN_N_TRICKS> aNrWonNS;  // NS tricks up to and including each trick
  Int8 NrPlayCards;
  std::array<PbnPlayCardDef, PBN_MAX_PLAY_CARDS + 1> atPlayCards;       // ends with Side 6
  std::array<std::array<Int8, PBN_N_SIDES>, PBN_N_TRICKS> aacIllegals;  // 0, 'L' or 'R'
};

extern PbnGameAdminDef tGameAdmin;

}  // namespace pbn
