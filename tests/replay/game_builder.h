// Builds the records of a game directly, as the importer would leave them, so that the replay
// and the annotation layout can be tested without PBN text.
#pragma once

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"

namespace replay_test {

using namespace pbn;

inline PbnRankDef RankBit(char cRank) {
  const std::string acRanks = "23456789TJQKA";
  if (cRank == 'x') return PBN_RANK_X;
  if (cRank == '?') return PBN_RANK_UNKNOWN;
  const auto Ix = acRanks.find(cRank);
  return Ix == std::string::npos ? 0 : static_cast<PbnRankDef>(PBN_RANK_2 << Ix);
}

inline PbnSuitDef SuitCode(char cSuit) {
  switch (cSuit) {
    case 'C':
      return PBN_CLUBS;
    case 'D':
      return PBN_DIAMONDS;
    case 'H':
      return PBN_HEARTS;
    default:
      return PBN_SPADES;
  }
}

// "SA", "H7", "Dx"; "-" is the card place without a card; "" a place never filled.
inline PbnCardDef Card(const std::string& acCard) {
  if (acCard.empty()) return PbnCardDef{0, 0};
  if (acCard == "-") return PbnCardDef{PBN_SUIT_NO_CARD, PBN_RANK_UNKNOWN};
  return PbnCardDef{SuitCode(acCard[0]), RankBit(acCard[1])};
}

// A hand as PBN writes it: "AKQ.JT9.876.5432", spades, hearts, diamonds, clubs; "-" for none.
inline PbnHandDef Hand(const std::string& acHand) {
  PbnHandDef tHand{};
  if (acHand == "-") return tHand;
  int Suit = PBN_SPADES;
  for (char cChar : acHand) {
    if (cChar == '.') {
      --Suit;
    } else {
      tHand.Ranks[Suit] |= RankBit(cChar);
    }
  }
  return tHand;
}

// The game data as the game collection resets it before an import.
inline PbnGameDataDef EmptyGame() {
  PbnGameDataDef tGame{};
  tGame.tSituation = PbnSituationDef{PBN_SIDE_NOT_GIVEN, PBN_VULNER_NOT_GIVEN};
  tGame.tContract.Declarer = PBN_SIDE_NOT_GIVEN;
  tGame.tContract.Trump = PBN_TRUMP_NOT_GIVEN;
  tGame.tContract.Risk = PBN_RISK_UNKNOWN;
  tGame.Result = PBN_RESULT_NONE;
  tGame.tPlay.aFirsts.fill(PBN_SIDE_NONE);
  return tGame;
}

// Hands given for South, West, North, East.
inline void SetDeal(PbnGameDataDef* ptGame, const std::string& S, const std::string& W,
                    const std::string& N, const std::string& E) {
  ptGame->tDeal.tHands[PBN_SOUTH] = Hand(S);
  ptGame->tDeal.tHands[PBN_WEST] = Hand(W);
  ptGame->tDeal.tHands[PBN_NORTH] = Hand(N);
  ptGame->tDeal.tHands[PBN_EAST] = Hand(E);
}

// Stores a trick given in playing order from First; each card goes to the side that played it.
inline void SetTrick(PbnGameDataDef* ptGame, int Trick, PbnSideDef First,
                     std::initializer_list<const char*> Cards) {
  PbnSideDef Side = First;
  for (const char* pcCard : Cards) {
    ptGame->tPlay.atTricks[Trick].atCards[Side] = Card(pcCard);
    Side = PbnNextSide(Side);
  }
}

inline void AddCall(PbnGameDataDef* ptGame, PbnCallTypeDef CallType, int Level = 0,
                    PbnTrumpDef Trump = 0) {
  PbnAuctionDef& tAuction = ptGame->tAuction;
  const PbnSideDef Dealer =
      PbnSideIsValid(ptGame->tSituation.Dealer) ? ptGame->tSituation.Dealer : PBN_SOUTH;
  tAuction.atCalls[tAuction.NrCalls] =
      PbnCallDef{static_cast<PbnSideDef>((Dealer + tAuction.NrCalls) % 4), CallType,
                 static_cast<PbnNrTricksDef>(Level), Trump};
  ++tAuction.NrCalls;
}

// Appends bytes to the text block as they are and extends the target range over them.
inline void AddRawComment(PbnGameTagsDef* ptTags, PbnRangeDef* ptRange,
                          const std::string& acBytes) {
  const Int32 Begin = ptTags->IxComments;
  const Int32 End = Begin + static_cast<Int32>(acBytes.size());
  if (End >= ptTags->NrComments) {
    const Int32 NrComments = End + 1024;
    ptTags->pcComments = static_cast<char*>(std::realloc(ptTags->pcComments, NrComments));
    ptTags->NrComments = NrComments;
  }
  std::memcpy(ptTags->pcComments + Begin, acBytes.data(), acBytes.size());
  ptTags->IxComments = End;
  if (ptRange->End == 0) ptRange->Begin = Begin;
  ptRange->End = End;
}

// Appends a comment to the text block the way the comment collector stores it (one
// NUL-terminated piece per line, a line feed ending every piece but the last) and extends the
// target range over it.
inline void AddComment(PbnGameTagsDef* ptTags, PbnRangeDef* ptRange,
                       std::initializer_list<std::string> Lines) {
  std::string acPieces;
  size_t Left = Lines.size();
  for (const std::string& acLine : Lines) {
    acPieces += acLine;
    if (--Left > 0) acPieces += '\n';
    acPieces += '\0';
  }
  AddRawComment(ptTags, ptRange, acPieces);
}

inline void AddNag(PbnGameTagsDef* ptTags, PbnMoveAnnoDef* ptAnno, int Nag) {
  Int32 Ix = 0;
  PbnNagPut(ptTags, static_cast<PbnNagDef>(Nag), &Ix);
  if (ptAnno->tNag.Begin == ptAnno->tNag.End) ptAnno->tNag.Begin = Ix;
  ptAnno->tNag.End = Ix + 1;
}

inline void SetNote(std::array<PbnMoveNoteDef, PBN_N_NOTES>* patNotes, int Note,
                    const std::string& acText) {
  auto& acValue = (*patNotes)[Note - 1].tTagValue.acValue;
  acValue.fill('\0');
  std::memcpy(acValue.data(), acText.data(), std::min(acText.size(), acValue.size() - 1));
}

}  // namespace replay_test
