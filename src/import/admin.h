// The importer's running state: the state stack of the import machine, the section of the game,
// the bookkeeping record tAdmin of the game being imported and the state through which a tag
// value reaches its check. After an import tAdmin keeps the state of the game imported last.
#pragma once

#include <array>
#include <bit>

#include "core/pbn.h"
#include "core/tags.h"

namespace pbn {

// The states of the import machine; one row each in the machine's atStateRows, in this order.
enum PbnStateDef : UInt8 {
  PBN_STATE_IDLE,
  PBN_STATE_TAG_BEGIN,
  PBN_STATE_TAG_NAME,
  PBN_STATE_TAG_EQUAL,
  PBN_STATE_TAG_VALUE,
  PBN_STATE_TAG_END,
  PBN_STATE_AUCTION_IDLE,
  PBN_STATE_AUCTION_CALL,
  PBN_STATE_AUCTION_ILL,
  PBN_STATE_NOTE,
  PBN_STATE_NAG,
  PBN_STATE_SUFFIX,
  PBN_STATE_PLAY_IDLE,
  PBN_STATE_PLAY_CARD,
  PBN_STATE_PLAY_ILL,
  PBN_STATE_ESCAPE,
  PBN_STATE_COMMENT,
  PBN_STATE_COMMENT_EOL,
  PBN_STATE_BACKSLASH,
  // The PBN 2.1 reading: the section data after a tag, its tokens and its strings.
  PBN_STATE_SECTION_DATA,
  PBN_STATE_DATA_TOKEN,   // token
  PBN_STATE_DATA_STRING,  // token
  PBN_N_STATES
};

enum PbnScoringDef : Int32 {
  PBN_SCORING_NONE,
  PBN_SCORING_CHICAGO,
  PBN_SCORING_RUBBER,
  PBN_SCORING_IMP,
  PBN_SCORING_MP
};

struct PbnTagAdminDef {
  PbnDealDef tDeal;  // cards each hand still holds; played cards are taken out
  PbnNrDealDef tNrDeal;
  std::array<PbnBoolDef, PBN_N_SIDES> abUnknownSide;
  PbnHandDef tUnknownHand;  // cards that no known hand holds
  PbnSectionDef Section;
  PbnScoringDef Scoring;
  std::array<PbnBoolDef, PBN_N_SIDES> abHiddenSide;
  PbnSideDef TagAuctionSide;
  PbnSideDef AuctionSide;
  PbnBoolDef bIncompleteAuction;
  PbnBoolDef bFirstCall;
  Int16 NrCalls;  // index of the current call, -1 before the first
  PbnSideDef TagPlaySide;
  PbnSideDef PlaySide;
  PbnBoolDef bIncompletePlay;
  PbnSideDef Leader;
  Int8 NrTricks;  // index of the current trick, -1 before the first card
  Int8 NrPlayed;  // place of the current card in its line, 0 to 3
  std::array<UInt8, PBN_N_SIDES> NrWon;
  PbnIllegalDef IllegalMove;
  std::array<PbnIllegalDef, PBN_N_SIDES> IllegalPlay;
  PbnIllegalDef IllegalTrick;
  std::array<PbnBoolDef, PBN_N_TAG_IDS> abStickyTag;   // given as "##value" (PBN 2.1)
  std::array<PbnBoolDef, PBN_N_TAG_IDS> abRefusedTag;  // of this game: its value refused
};

inline constexpr int PBN_STATE_STACK_SIZE = 8;

extern PbnTagAdminDef tAdmin;
extern std::array<PbnStateDef, PBN_STATE_STACK_SIZE> States;
extern int StateIndex;

extern PbnBoolDef bUsePrevTag;
extern char acValueBuffer[PBN_VALUE_SIZE];
extern const char acTagValueIdent[];    // "#"
extern const char acTagValueUnknown[];  // "?"
extern const char acTagValueEmpty[];    // the empty-value marker

void AdminInit();

// The counts of calls and cards move on at every call and card: inline.
inline PbnErrDef AdminCallInc() {
  tAdmin.NrCalls++;
  if (tAdmin.NrCalls >= PBN_MAX_CALLS) {
    tAdmin.NrCalls = PBN_MAX_CALLS - 1;
    return PBN_ERR_RESOURCES;
  }
  return PBN_ERR_OK;
}

inline void AdminCardInc() {
  tAdmin.NrPlayed++;
  if (tAdmin.NrPlayed >= 4) {
    tAdmin.NrPlayed = 0;
    // Trick lines beyond the thirteenth all count as trick 13, which holds no card.
    if (tAdmin.NrTricks < PBN_N_TRICKS) tAdmin.NrTricks++;
  }
  // Both are 0 to 3, or a side code beyond them: the sum is never negative.
  tAdmin.PlaySide = static_cast<PbnSideDef>(
      (static_cast<unsigned>(tAdmin.TagPlaySide) + static_cast<unsigned>(tAdmin.NrPlayed)) % 4);
}

inline PbnBoolDef AdminIllegalLead(PbnSideDef* pIllegalSide) {
  // Mostly no side is marked: the four marks are tested at once.
  if ((std::bit_cast<UInt32>(tAdmin.IllegalPlay) & 0x01010101u * PBN_ILLEGAL_L) == 0) {
    return PBN_FALSE;
  }
  for (PbnSideDef Side = 0; Side < PBN_N_SIDES; Side++) {
    if (tAdmin.IllegalPlay[Side] & PBN_ILLEGAL_L) {
      *pIllegalSide = Side;
      return PBN_TRUE;
    }
  }
  return PBN_FALSE;
}

inline void MoveClear() {
  tAdmin.IllegalMove = 0;
}

void PbnStateInit();

// Pushing a state sets the comment type that its row gives (import machine).
void PbnStateInc(PbnStateDef NewState);

// Popped and replaced at nearly every token: inline.
inline void PbnStateDec() {
  if (StateIndex > 0) StateIndex--;
}

inline void PbnStateChange(PbnStateDef NewState) {
  States[StateIndex] = NewState;
}
inline PbnStateDef PbnStateCurrent() {
  return States[StateIndex];
}

inline PbnBoolDef TagIdExist(const PbnGameTagsDef* ptGameTags, int TagId) {
  return ptGameTags->atTagValue[TagId].acValue[0] != '\0';
}

}  // namespace pbn
