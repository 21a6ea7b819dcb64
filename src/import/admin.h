// The importer's running state: the state stack of the import machine, the section of the game,
// the bookkeeping record tAdmin of the game being imported and the state through which a tag
// value reaches its check. After an import tAdmin keeps the state of the game imported last.
#pragma once

#include <array>

#include "core/pbn.h"
#include "core/tags.h"

namespace pbn {

enum PbnStateDef : UInt8 {
  PBN_STATE_IDLE,
  PBN_STATE_TAG_BEGIN,
  PBN_STATE_TAG_NAME,  // token
  PBN_STATE_TAG_EQUAL,
  PBN_STATE_TAG_VALUE,  // token
  PBN_STATE_TAG_END,
  PBN_STATE_AUCTION_IDLE,
  PBN_STATE_AUCTION_CALL,  // token
  PBN_STATE_AUCTION_ILL,
  PBN_STATE_NOTE,    // token
  PBN_STATE_NAG,     // token
  PBN_STATE_SUFFIX,  // token
  PBN_STATE_PLAY_IDLE,
  PBN_STATE_PLAY_CARD,  // token
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

enum PbnSectionDef : UInt8 { PBN_SECTION_IDENT, PBN_SECTION_AUCTION, PBN_SECTION_PLAY };

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
  std::array<PbnBoolDef, PBN_N_TAG_IDS> abStickyTag;  // given as "##value" (PBN 2.1)
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
PbnErrDef AdminCallInc();
void AdminCardInc();
PbnBoolDef AdminIllegalLead(PbnSideDef* pIllegalSide);
void MoveClear();

void PbnStateInit();

// Pushed, popped and replaced at nearly every token: inline.
inline void PbnStateInc(PbnStateDef NewState) {
  if (StateIndex + 1 >= PBN_STATE_STACK_SIZE) return;  // the grammar nests at most 4 deep
  States[++StateIndex] = NewState;
  switch (NewState) {
    case PBN_STATE_AUCTION_CALL:
    case PBN_STATE_PLAY_CARD:
      PbnCommentSetType(PBN_COMMENT_TYPE_MOVE, 0);
      break;
    case PBN_STATE_NOTE:
      PbnCommentSetType(PBN_COMMENT_TYPE_NOTE_REF, 0);
      break;
    case PBN_STATE_NAG:
      PbnCommentSetType(PBN_COMMENT_TYPE_NAG, 0);
      break;
    case PBN_STATE_SUFFIX:
      PbnCommentSetType(PBN_COMMENT_TYPE_SUFFIX, 0);
      break;
    default:
      break;
  }
}

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
