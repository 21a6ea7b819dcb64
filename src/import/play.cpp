// Cards of the play checked against the hands, tricks evaluated (leader, revokes, winner,
// tricks won), and the whole-game checks of notes, declarer and result.
#include <array>
#include <bit>
#include <cstring>

#include "core/defs.h"
#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {

namespace {

// The revoke rules for a card that is not the lead.
PbnErrDef CheckRevoke(PbnSideDef Side, const PbnCardDef& tCard, PbnSuitDef LeadSuit) {
  const bool bMarked = (tAdmin.IllegalPlay[Side] & PBN_ILLEGAL_R) != 0;
  if (tCard.Suit == LeadSuit) return bMarked ? PBN_ERR_BAD_REVOKE : PBN_ERR_OK;
  if (tAdmin.abUnknownSide[Side]) return PBN_ERR_OK;  // a hand given as "-" is not checked
  const bool bHoldsLeadSuit = tAdmin.tNrDeal.tHands[Side].Ranks[LeadSuit] > 0;
  if (bHoldsLeadSuit && !bMarked) return PBN_ERR_REVOKE;
  if (!bHoldsLeadSuit && bMarked) return PBN_ERR_BAD_REVOKE;
  return PBN_ERR_OK;
}

PbnErrDef EvaluateTrick(PbnGameDataDef* ptGameData, PbnSideDef Leader) {
  const PbnTrickDef& tTrick = ptGameData->tPlay.atTricks[tAdmin.NrTricks];
  const PbnCardDef& tLead = tTrick.atCards[Leader];
  const PbnTrumpDef Trump = ptGameData->tContract.Trump;
  PbnErrDef Error = PBN_ERR_OK;
  std::array<PbnCardDef, PBN_N_SIDES> atPlayed;  // in the order played
  bool bUnrecorded = false;
  for (int Step = 0; Step < PBN_N_SIDES; Step++) {
    const auto Side = static_cast<PbnSideDef>((Leader + static_cast<unsigned>(Step)) % 4);
    const PbnCardDef& tCard = tTrick.atCards[Side];
    atPlayed[Step] = tCard;
    if (Step == 0) continue;
    if (!PbnCardIsReal(tCard)) {
      bUnrecorded = true;
      continue;
    }
    const PbnErrDef RevokeError = CheckRevoke(Side, tCard, tLead.Suit);
    if (RevokeError != PBN_ERR_OK) Error = RevokeError;
  }
  const auto Winner = static_cast<PbnSideDef>((Leader + PbnTrickWinner(atPlayed, Trump)) % 4);
  if (!bUnrecorded) tAdmin.NrWon[Winner]++;
  tAdmin.Leader = Winner;
  return Error;
}

// What a walk over the stored calls finds for the declarer check.
struct AuctionWalkDef {
  static constexpr int kNever = 1000;  // a side that never bid a strain: later than any call
  std::array<std::array<int, PBN_N_TRUMPS>, PBN_N_SIDES> aaFirstBid;  // call number, from 1
  PbnSideDef LastBidder = PBN_SIDE_NONE;
  PbnTrumpDef LastStrain = PBN_TRUMP_NOT_GIVEN;
  PbnRiskDef Risk = PBN_RISK_NONE;  // of the last bid
  int NrPasses = 0;                 // passes at the end
  bool bBid = false;
};

AuctionWalkDef WalkAuction(const PbnGameDataDef& tGameData) {
  AuctionWalkDef tWalk;
  for (auto& aFirst : tWalk.aaFirstBid)
    aFirst.fill(AuctionWalkDef::kNever);
  const PbnAuctionDef& tAuction = tGameData.tAuction;
  for (int Index = 0; Index < tAuction.NrCalls; Index++) {
    const PbnCallDef& tCall = tAuction.atCalls[Index];
    const int Side = (tGameData.tSituation.Dealer + Index) % 4;
    switch (tCall.CallType) {
      case PBN_CALL_BID:
      case PBN_CALL_INSUFFICIENT:
        if (tCall.Trump < PBN_N_TRUMPS &&
            tWalk.aaFirstBid[Side][tCall.Trump] == AuctionWalkDef::kNever) {
          tWalk.aaFirstBid[Side][tCall.Trump] = Index + 1;
        }
        tWalk.LastBidder = static_cast<PbnSideDef>(Side);
        tWalk.LastStrain = tCall.Trump;
        tWalk.Risk = PBN_RISK_NONE;
        tWalk.NrPasses = 0;
        tWalk.bBid = true;
        break;
      case PBN_CALL_DOUBLE:
        tWalk.Risk = PBN_RISK_DOUBLED;
        tWalk.NrPasses = 0;
        break;
      case PBN_CALL_REDOUBLE:
        tWalk.Risk = PBN_RISK_REDOUBLED;
        tWalk.NrPasses = 0;
        break;
      case PBN_CALL_PASS:
        tWalk.NrPasses++;
        break;
      default:
        tWalk.NrPasses = 0;
        break;
    }
  }
  return tWalk;
}

// The side that plays the contract for a Declarer tag; "^" names the partner of that side.
PbnSideDef PlayingSide(const PbnContractDef& tContract, PbnSideDef Side) {
  return tContract.bIrregularDeclarer ? PbnPartnerSide(Side) : Side;
}

// Four passes: no declarer and no strain, filled in when the tags give none.
PbnErrDef JudgePassedOut(PbnContractDef& tContract) {
  if (tContract.Declarer == PBN_SIDE_NOT_GIVEN) {
    tContract.Declarer = PBN_SIDE_EMPTY;
  } else if (tContract.Declarer != PBN_SIDE_EMPTY) {
    return PBN_ERR_BAD_DECLARER;
  }
  if (tContract.Trump == PBN_TRUMP_NOT_GIVEN) {
    tContract.Trump = PBN_TRUMP_PASS;
    tContract.Risk = PBN_RISK_NONE;
  } else if (tContract.Trump != PBN_TRUMP_PASS) {
    return PBN_ERR_BAD_TRUMP;
  }
  return PBN_ERR_OK;
}

// Three passes after a bid: the first of the last bidder's pair to bid the strain declares.
PbnErrDef JudgeFinished(PbnContractDef& tContract, const AuctionWalkDef& tWalk) {
  if (tContract.Trump == PBN_TRUMP_PASS) return PBN_ERR_BAD_TRUMP;
  const PbnSideDef Bidder = tWalk.LastBidder;
  const PbnSideDef Partner = PbnPartnerSide(Bidder);
  const auto& aaFirst = tWalk.aaFirstBid;
  const PbnSideDef AuctionDeclarer =
      aaFirst[Partner][tWalk.LastStrain] < aaFirst[Bidder][tWalk.LastStrain] ? Partner : Bidder;
  const PbnSideDef Declarer = tContract.Declarer;
  if (Declarer == PBN_SIDE_NOT_GIVEN) {
    tContract.Declarer = AuctionDeclarer;
  } else if (PbnSideIsValid(Declarer) && PlayingSide(tContract, Declarer) != AuctionDeclarer) {
    return PBN_ERR_BAD_DECLARER;
  }
  if (tContract.Trump == PBN_TRUMP_NOT_GIVEN) {
    tContract.Trump = tWalk.LastStrain;
    tContract.Risk = tWalk.Risk;
    return PBN_ERR_OK;
  }
  if (tContract.Trump != tWalk.LastStrain) return PBN_ERR_BAD_TRUMP;
  return tContract.Risk != tWalk.Risk ? PBN_ERR_BAD_RISK : PBN_ERR_OK;
}

// An auction not finished: a declarer given must still be the first of the pair in the strain.
PbnErrDef JudgeUnfinished(const PbnContractDef& tContract, const AuctionWalkDef& tWalk) {
  const PbnTrumpDef Trump = tContract.Trump;
  if (Trump == PBN_TRUMP_PASS && tWalk.bBid) return PBN_ERR_BAD_TRUMP;
  if (!PbnTrumpIsValid(Trump) || !PbnSideIsValid(tContract.Declarer)) return PBN_ERR_OK;
  const PbnSideDef Side = PlayingSide(tContract, tContract.Declarer);
  const auto& aaFirst = tWalk.aaFirstBid;
  return aaFirst[PbnPartnerSide(Side)][Trump] < aaFirst[Side][Trump] ? PBN_ERR_BAD_DECLARER
                                                                     : PBN_ERR_OK;
}

// The card of a token: a suit and a rank, or "-" for a place without a card.
PbnErrDef CardRead(const char* acBuffer, PbnCardDef* ptCard) {
  const char* pc = acBuffer;
  if (*pc == '-') {
    pc++;
  } else {
    // The tables of CharSuitCheck and CharRankCheck, looked up by byte: a byte beyond 127 is
    // neither a suit nor a rank in them.
    ptCard->Suit = aPbnCharSuits[static_cast<unsigned char>(pc[0])];
    if (ptCard->Suit == PBN_SUIT_NO_CARD) return PBN_ERR_BAD_SUIT;
    ptCard->Rank = aPbnCharRanks[static_cast<unsigned char>(pc[1])];
    if (ptCard->Rank == 0) return PBN_ERR_BAD_RANK;
    pc += 2;
  }
  return *pc != '\0' ? PBN_ERR_BAD_CARD : PBN_ERR_OK;
}

}  // namespace

PbnErrDef CardCheck(PbnGameDataDef* ptGameData, const char* acBuffer) {
  PbnCardDef tCard{PBN_SUIT_NO_CARD, PBN_RANK_UNKNOWN};
  const PbnErrDef ReadError = CardRead(acBuffer, &tCard);
  if (ReadError == PBN_ERR_OK) return CardCheck(ptGameData, tCard);
  return CardTakesPlace() ? ReadError : PBN_ERR_BAD_CARD;  // a card not read takes its place too
}

PbnErrDef CompleteTrick(PbnGameDataDef* ptGameData) {
  PbnErrDef Error = PBN_ERR_OK;
  PbnSideDef Leader = tAdmin.Leader;
  PbnSideDef MarkedSide;
  if (AdminIllegalLead(&MarkedSide)) {
    ptGameData->tPlay.aFirsts[tAdmin.NrTricks] = MarkedSide;
    if (MarkedSide == tAdmin.Leader) Error = PBN_ERR_BAD_LEAD;
    Leader = MarkedSide;
  }
  if (Error == PBN_ERR_OK && PbnSideIsValid(Leader)) {
    const PbnCardDef& tLead = ptGameData->tPlay.atTricks[tAdmin.NrTricks].atCards[Leader];
    if (tAdmin.IllegalPlay[Leader] & PBN_ILLEGAL_R) {
      Error = PBN_ERR_BAD_REVOKE;  // a lead cannot revoke
    } else if (PbnCardIsReal(tLead)) {
      Error = EvaluateTrick(ptGameData, Leader);
    }
  }
  // Without a valid leader (no Declarer tag) the trick is not evaluated.
  tAdmin.IllegalTrick = 0;
  return Error;
}

PbnErrDef CheckCardIllegal(const char* acBuffer) {
  switch (acBuffer[0]) {
    case 'R':
      if (tAdmin.IllegalMove & PBN_ILLEGAL_R) return PBN_ERR_DOUBLE_ILLEGAL;
      if (tAdmin.IllegalMove & PBN_ILLEGAL_L) return PBN_ERR_BAD_ILLEGAL;
      tAdmin.IllegalMove |= PBN_ILLEGAL_R;
      return PBN_ERR_OK;
    case 'L':
      if (tAdmin.IllegalMove & PBN_ILLEGAL_L) return PBN_ERR_DOUBLE_ILLEGAL;
      if (tAdmin.IllegalMove & PBN_ILLEGAL_R) return PBN_ERR_BAD_ILLEGAL;
      if (tAdmin.IllegalTrick & PBN_ILLEGAL_L) return PBN_ERR_DOUBLE_ILLEGAL;
      tAdmin.IllegalMove |= PBN_ILLEGAL_L;
      return PBN_ERR_OK;
    default:
      return PBN_ERR_BAD_ILLEGAL;
  }
}

PbnErrDef CheckNotes(const PbnGameTagsDef* ptGameTags) {
  PbnErrDef Error = PBN_ERR_OK;
  // The notes of the auction, then those of the play, each in its order: only those written.
  for (UInt64 Used = ptGameTags->NotesUsed; Used != 0; Used &= Used - 1) {
    const int Place = std::countr_zero(Used);
    const int Note = Place % PBN_N_NOTES + 1;
    const PbnMoveNoteDef& tNote =
        (Place < PBN_N_NOTES ? ptGameTags->atCallNote : ptGameTags->atCardNote)[Note - 1];
    const bool bText = tNote.tTagValue.acValue[0] != '\0';
    if (tNote.bReference && !bText) {
      Error = PBN_ERR_NO_NOTE;
    } else if (!tNote.bReference && bText) {
      Error = PBN_ERR_UNUSED_NOTE;
    } else {
      continue;
    }
    ImportPrintf2(PbnErrors[Error], Note);
  }
  return Error;
}

PbnErrDef CheckDeclarer(PbnGameDataDef* ptGameData) {
  const AuctionWalkDef tWalk = WalkAuction(*ptGameData);
  PbnContractDef& tContract = ptGameData->tContract;
  if (tWalk.NrPasses == 4) return JudgePassedOut(tContract);
  if (ptGameData->tAuction.NrCalls >= 4 && tWalk.bBid && tWalk.NrPasses == 3) {
    return JudgeFinished(tContract, tWalk);
  }
  return JudgeUnfinished(tContract, tWalk);
}

PbnErrDef CheckResult(const PbnGameDataDef* ptGameData) {
  const bool bIrregular = (ptGameData->Result & PBN_RESULT_IRREGULAR) != 0;
  const int Result = ptGameData->Result & ~PBN_RESULT_IRREGULAR;
  if (Result >= 16) return PBN_ERR_OK;  // empty Result tag or no result
  const PbnContractDef& tContract = ptGameData->tContract;
  if (!PbnSideIsValid(tContract.Declarer) || !PbnTrumpIsValid(tContract.Trump)) {
    return PBN_ERR_BAD_RESULT;
  }
  const bool bDeclarerNS = (tContract.Declarer & 1) == 0;
  const int NrNS = bDeclarerNS ? Result : 13 - Result;
  const int NrEW = 13 - NrNS;
  const auto& NrWon = tAdmin.NrWon;
  const bool bAgrees =
      NrWon[PBN_NORTH] + NrWon[PBN_SOUTH] <= NrNS && NrWon[PBN_WEST] + NrWon[PBN_EAST] <= NrEW;
  return bAgrees != bIrregular ? PBN_ERR_OK : PBN_ERR_BAD_RESULT;
}

}  // namespace pbn
