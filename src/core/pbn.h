// The play data of one PBN game and the codes of sides, suits, strains, ranks, risks,
// vulnerabilities, calls and results that every layer of Karvelon shares.
#pragma once

#include <array>
#include <cstdint>

namespace pbn {

using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;

using PbnBoolDef = bool;
inline constexpr PbnBoolDef PBN_FALSE = false;
inline constexpr PbnBoolDef PBN_TRUE = true;

// The result code of nearly every operation; messages in PbnErrors (defs.h).
enum PbnErrDef : int {
  PBN_ERR_OK = 0,
  PBN_ERROR,
  PBN_ERR_BAD_CALL,
  PBN_ERR_BAD_CARD,
  PBN_ERR_BAD_CHAR,
  PBN_ERR_BAD_DEAL,
  PBN_ERR_BAD_DECLARER,
  PBN_ERR_BAD_ILLEGAL,
  PBN_ERR_BAD_INHERITANCE,
  PBN_ERR_BAD_LEAD,
  PBN_ERR_BAD_NAG,
  PBN_ERR_BAD_NOTE,
  PBN_ERR_BAD_NUMBER,
  PBN_ERR_BAD_RANK,
  PBN_ERR_BAD_RESULT,
  PBN_ERR_BAD_REVOKE,
  PBN_ERR_BAD_RISK,
  PBN_ERR_BAD_SECTION,
  PBN_ERR_BAD_SIDE,
  PBN_ERR_BAD_SUFFIX,
  PBN_ERR_BAD_SUIT,
  PBN_ERR_BAD_TAG_NAME,
  PBN_ERR_BAD_TAG_VALUE,
  PBN_ERR_BAD_TRUMP,
  PBN_ERR_DOUBLE_ILLEGAL,
  PBN_ERR_DOUBLE_NAG,
  PBN_ERR_DOUBLE_NOTE,
  PBN_ERR_DOUBLE_SUFFIX,
  PBN_ERR_FILE,
  PBN_ERR_LINE_TOO_LONG,
  PBN_ERR_NO_CONTRACT,
  PBN_ERR_NO_DEAL,
  PBN_ERR_NO_DEALER,
  PBN_ERR_NO_DECLARER,
  PBN_ERR_NO_NOTE,
  PBN_ERR_NO_SCORING,
  PBN_ERR_NO_TAG,
  PBN_ERR_NO_TAG_VALUE,
  PBN_ERR_RESOURCES,
  PBN_ERR_REVOKE,
  PBN_ERR_SUFFICIENT,
  PBN_ERR_TAG_EXISTS,
  PBN_ERR_UNKNOWN_LEAD,
  PBN_ERR_UNKNOWN_TAG_VALUE,
  PBN_ERR_UNUSED_NOTE,
  // Codes of the PBN 2.1 reading, after the codes of 1.0 so that none of those changes.
  PBN_ERR_BAD_SECTION_DATA,
  PBN_ERR_BAD_TABLE,
  PBN_N_ERRORS
};

using PbnSideDef = UInt8;
using PbnSuitDef = UInt8;
using PbnTrumpDef = UInt8;
using PbnRankDef = UInt16;
using PbnRiskDef = UInt8;
using PbnVulnerDef = UInt8;
using PbnCallTypeDef = UInt8;
using PbnNrCardsDef = UInt8;
using PbnNrTricksDef = UInt8;
using PbnResultDef = UInt8;
using PbnIllegalDef = UInt8;
using PbnNoteDef = UInt8;
using PbnFilePosDef = Int32;

// Sides, clockwise from South; partner is side ^ 2, next side (side + 1) % 4.
inline constexpr PbnSideDef PBN_SOUTH = 0;
inline constexpr PbnSideDef PBN_WEST = 1;
inline constexpr PbnSideDef PBN_NORTH = 2;
inline constexpr PbnSideDef PBN_EAST = 3;
inline constexpr int PBN_N_SIDES = 4;
inline constexpr PbnSideDef PBN_SIDE_NONE = 6;     // no leader yet / regular lead / list end
inline constexpr PbnSideDef PBN_SIDE_EMPTY = 7;    // tag present with an empty value
inline constexpr PbnSideDef PBN_SIDE_UNKNOWN = 8;  // tag value "?"
inline constexpr PbnSideDef PBN_SIDE_NOT_GIVEN = 255;

inline constexpr PbnSuitDef PBN_CLUBS = 0;
inline constexpr PbnSuitDef PBN_DIAMONDS = 1;
inline constexpr PbnSuitDef PBN_HEARTS = 2;
inline constexpr PbnSuitDef PBN_SPADES = 3;
inline constexpr int PBN_N_SUITS = 4;
inline constexpr PbnSuitDef PBN_SUIT_NO_CARD = 5;  // the "-" of the play section

inline constexpr PbnTrumpDef PBN_TRUMP_NT = 4;
inline constexpr int PBN_N_TRUMPS = 5;
inline constexpr PbnTrumpDef PBN_TRUMP_PASS = 5;  // the deal was passed out
inline constexpr PbnTrumpDef PBN_TRUMP_NOT_GIVEN = 255;

inline constexpr PbnRankDef PBN_RANK_X = 0x0001;  // a small card of unknown rank
inline constexpr PbnRankDef PBN_RANK_2 = 0x0002;
inline constexpr PbnRankDef PBN_RANK_T = 0x0200;
inline constexpr PbnRankDef PBN_RANK_A = 0x2000;
inline constexpr PbnRankDef PBN_RANK_UNKNOWN = 0x8000;
inline constexpr PbnRankDef PBN_RANKS_ALL = 0x3FFE;

inline constexpr PbnRiskDef PBN_RISK_NONE = 0;
inline constexpr PbnRiskDef PBN_RISK_DOUBLED = 1;
inline constexpr PbnRiskDef PBN_RISK_REDOUBLED = 2;
inline constexpr PbnRiskDef PBN_RISK_UNKNOWN = 3;

inline constexpr PbnVulnerDef PBN_VULNER_NONE = 0;
inline constexpr PbnVulnerDef PBN_VULNER_NS = 1;
inline constexpr PbnVulnerDef PBN_VULNER_EW = 2;
inline constexpr PbnVulnerDef PBN_VULNER_ALL = 3;
inline constexpr PbnVulnerDef PBN_VULNER_EMPTY = 4;
inline constexpr PbnVulnerDef PBN_VULNER_UNKNOWN = 5;
inline constexpr PbnVulnerDef PBN_VULNER_NOT_GIVEN = 255;

inline constexpr PbnCallTypeDef PBN_CALL_PASS = 0;
inline constexpr PbnCallTypeDef PBN_CALL_DOUBLE = 1;
inline constexpr PbnCallTypeDef PBN_CALL_REDOUBLE = 2;
inline constexpr PbnCallTypeDef PBN_CALL_BID = 3;
inline constexpr PbnCallTypeDef PBN_CALL_INSUFFICIENT = 4;  // bid announced by "^I"
inline constexpr PbnCallTypeDef PBN_CALL_SPECIAL = 5;       // the entry "^S" makes
inline constexpr PbnCallTypeDef PBN_CALL_PLACEHOLDER = 6;   // "-": takes a turn, not stored

inline constexpr PbnResultDef PBN_RESULT_IRREGULAR = 128;  // bit 7: "^" before the result
inline constexpr PbnResultDef PBN_RESULT_EMPTY = 32;
inline constexpr PbnResultDef PBN_RESULT_NONE = 64;

inline constexpr PbnIllegalDef PBN_ILLEGAL_I = 1;  // the next bid is insufficient
inline constexpr PbnIllegalDef PBN_ILLEGAL_L = 2;  // the next card leads out of turn
inline constexpr PbnIllegalDef PBN_ILLEGAL_R = 4;  // the next card is a revoke
inline constexpr PbnIllegalDef PBN_ILLEGAL_S = 8;  // set while "^S" makes its entry

// The part of a game being read or shown: the tags, the auction or the play.
enum PbnSectionDef : UInt8 { PBN_SECTION_IDENT, PBN_SECTION_AUCTION, PBN_SECTION_PLAY };

inline constexpr int PBN_MAX_CALLS = 64;
inline constexpr int PBN_N_TRICKS = 13;

struct PbnSituationDef {
  PbnSideDef Dealer;
  PbnVulnerDef Vulner;
};

struct PbnHandDef {
  std::array<PbnRankDef, PBN_N_SUITS> Ranks;  // indexed by suit code
};

struct PbnDealDef {
  std::array<PbnHandDef, PBN_N_SIDES> tHands;  // indexed by side code
};

struct PbnNrHandDef {
  std::array<UInt8, PBN_N_SUITS> Ranks;
};

struct PbnNrDealDef {
  std::array<PbnNrHandDef, PBN_N_SIDES> tHands;
};

struct PbnContractDef {
  PbnSideDef Declarer;
  PbnNrTricksDef NrTricks;
  PbnTrumpDef Trump;
  PbnRiskDef Risk;
  PbnBoolDef bIrregularDeclarer;
};

struct PbnCallDef {
  PbnSideDef Side;
  PbnCallTypeDef CallType;
  PbnNrTricksDef NrTricks;
  PbnTrumpDef Trump;
};

struct PbnAuctionDef {
  UInt8 NrCalls;
  std::array<PbnCallDef, PBN_MAX_CALLS> atCalls;
};

struct PbnCardDef {
  PbnSuitDef Suit;
  PbnRankDef Rank;
};

struct PbnTrickDef {
  std::array<PbnCardDef, PBN_N_SIDES> atCards;  // indexed by the side that played the card
};

struct PbnPlayDef {
  std::array<PbnTrickDef, PBN_N_TRICKS> atTricks;
  std::array<UInt8, PBN_N_TRICKS> aFirsts;  // side that led out of turn, or 6
};

struct PbnPlayCardDef {
  PbnSideDef Side;
  PbnCardDef Card;
};

struct PbnGameDataDef {
  PbnSituationDef tSituation;
  PbnDealDef tDeal;
  PbnContractDef tContract;
  PbnResultDef Result;
  PbnAuctionDef tAuction;
  PbnPlayDef tPlay;
};

constexpr PbnSideDef PbnNextSide(int Side) {
  return static_cast<PbnSideDef>((Side + 1) % 4);
}
constexpr PbnSideDef PbnPartnerSide(int Side) {
  return static_cast<PbnSideDef>(Side ^ 2);
}
constexpr PbnBoolDef PbnSideIsValid(int Side) {
  return Side >= 0 && Side < 4;
}
constexpr PbnBoolDef PbnTrumpIsValid(int Trump) {
  return Trump >= 0 && Trump < 5;
}
// A play place holds a card unless it is the PBN "-" or was never filled.
constexpr PbnBoolDef PbnCardIsReal(const PbnCardDef& Card) {
  return Card.Suit < PBN_N_SUITS && Card.Rank != 0;
}

UInt8 PbnRanksGetNumber(PbnRankDef Ranks);
UInt8 PbnRankGetIndex(PbnRankDef Rank);
void PbnHandGetNumber(const PbnHandDef* ptHand, PbnNrHandDef* ptNrHand);
void PbnDealGetNumber(const PbnDealDef* ptDeal, PbnNrDealDef* ptNrDeal);
PbnBoolDef PbnAuctionEnds(const PbnAuctionDef* ptAuction, int* pNrPasses);

// The place (0 to 3) of the card that wins a trick, its cards in the order played: the highest
// trump, else the highest card of the suit led. Trump is a strain code; no trump, a passed-out
// deal or none given has no trumps. A place without a card takes no part (the lead always does).
// Inline: the index pass judges every trick of every game.
constexpr int PbnTrickWinner(const std::array<PbnCardDef, PBN_N_SIDES>& atCards, int Trump) {
  // Each card's standing as one number: a trump above the suit led above anything else, each by
  // rank; the first of the highest wins. Which card wins is what the cards say, so a branch on it
  // is mispredicted at trick after trick: the choices are selects.
  const int LedSuit = atCards[0].Suit;
  const auto Standing = [LedSuit, Trump](const PbnCardDef& tCard) {
    const int Class = tCard.Suit == Trump ? 2 : (tCard.Suit == LedSuit ? 1 : 0);
    return Class == 0 ? 0 : (Class << 16) | tCard.Rank;  // ranks are 16-bit
  };
  int Winner = 0;
  int Best = Standing(atCards[0]);
  for (int Place = 1; Place < PBN_N_SIDES; Place++) {
    const int Own = PbnCardIsReal(atCards[Place]) ? Standing(atCards[Place]) : 0;
    Winner = Own > Best ? Place : Winner;
    Best = Own > Best ? Own : Best;
  }
  return Winner;
}

}  // namespace pbn
