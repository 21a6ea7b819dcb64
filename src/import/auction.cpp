// Calls of the auction with their legality, irregularity marks, and the notes, NAGs and
// suffixes that attach to the last call or card read.
#include "core/defs.h"
#include "import/import_internal.h"

namespace pbn {

namespace {

bool CallIsBid(const PbnCallDef& tCall) {
  return tCall.CallType == PBN_CALL_BID || tCall.CallType == PBN_CALL_INSUFFICIENT;
}

bool BidIsHigher(const PbnCallDef& tBid, const PbnCallDef& tThan) {
  return tBid.NrTricks > tThan.NrTricks ||
         (tBid.NrTricks == tThan.NrTricks && tBid.Trump > tThan.Trump);
}

// Opponents made the calls at these two indices when their distance is odd.
bool ByOpponent(int NrCalls, int Index) {
  return (NrCalls - Index) % 2 != 0;
}

PbnErrDef AuctionCallValid(const PbnGameDataDef* ptGameData, const PbnCallDef* ptCall) {
  const PbnAuctionDef& tAuction = ptGameData->tAuction;
  const int NrCalls = tAuction.NrCalls;
  // The end of the auction tells: the passes that close it, and the last double or redouble
  // after the last bid. Walking back stops at that bid.
  int NrPasses = 0;
  while (NrPasses < NrCalls && tAuction.atCalls[NrCalls - 1 - NrPasses].CallType == PBN_CALL_PASS) {
    NrPasses++;
  }
  int LastBid = NrCalls - 1;
  int LastDouble = -1;
  for (; LastBid >= 0 && !CallIsBid(tAuction.atCalls[LastBid]); LastBid--) {
    const PbnCallTypeDef CallType = tAuction.atCalls[LastBid].CallType;
    const bool bDouble = CallType == PBN_CALL_DOUBLE || CallType == PBN_CALL_REDOUBLE;
    if (bDouble && LastDouble < 0) LastDouble = LastBid;
  }
  const bool bOpen = LastBid >= 0 ? NrPasses < 3 : NrPasses < 4;
  bool bLegal = false;
  if (bOpen) {
    switch (ptCall->CallType) {
      case PBN_CALL_PASS:
      case PBN_CALL_SPECIAL:
        bLegal = true;
        break;
      case PBN_CALL_DOUBLE:
        bLegal = LastBid >= 0 && LastDouble < 0 && ByOpponent(NrCalls, LastBid);
        break;
      case PBN_CALL_REDOUBLE:
        bLegal = LastDouble >= 0 && tAuction.atCalls[LastDouble].CallType == PBN_CALL_DOUBLE &&
                 ByOpponent(NrCalls, LastDouble);
        break;
      case PBN_CALL_BID:
        bLegal = LastBid < 0 || BidIsHigher(*ptCall, tAuction.atCalls[LastBid]);
        break;
      case PBN_CALL_INSUFFICIENT:
        bLegal = LastBid >= 0 && !BidIsHigher(*ptCall, tAuction.atCalls[LastBid]);
        break;
      default:
        break;
    }
  }
  if (bLegal) return PBN_ERR_OK;
  return ptCall->CallType == PBN_CALL_INSUFFICIENT ? PBN_ERR_SUFFICIENT : PBN_ERR_BAD_CALL;
}

PbnErrDef AuctionCallStore(PbnGameDataDef* ptGameData, PbnCallDef tCall) {
  PbnErrDef Error = PBN_ERR_OK;
  if (tCall.CallType != PBN_CALL_PLACEHOLDER) {
    Error = AdminCallInc();
    if (Error == PBN_ERR_OK && !tAdmin.bFirstCall) {
      tAdmin.bFirstCall = PBN_TRUE;
      if (tAdmin.AuctionSide != ptGameData->tSituation.Dealer) Error = PBN_ERR_BAD_SIDE;
    }
    if (Error == PBN_ERR_OK) Error = AuctionCallValid(ptGameData, &tCall);
    if (Error == PBN_ERR_OK) {
      PbnAuctionDef& tAuction = ptGameData->tAuction;
      tCall.Side = tAdmin.AuctionSide;
      tAuction.atCalls[tAuction.NrCalls++] = tCall;
    }
  }
  tAdmin.AuctionSide = PbnNextSide(tAdmin.AuctionSide);
  MoveClear();
  return Error;
}

PbnCallDef MakeCall(PbnCallTypeDef CallType) {
  PbnCallDef tCall{};
  tCall.CallType = CallType;
  return tCall;
}

PbnErrDef NoteStore(PbnGameTagsDef* ptGameTags, long Note) {
  PbnMoveAnnoDef* ptAnno = MoveAnno(ptGameTags);
  if (ptAnno == nullptr) return PBN_ERR_BAD_NOTE;
  PbnNoteUsed(ptGameTags, tAdmin.Section != PBN_SECTION_AUCTION, Note).bReference = PBN_TRUE;
  if (ptAnno->Note != 0) return PBN_ERR_DOUBLE_NOTE;
  ptAnno->Note = static_cast<UInt8>(Note);
  return PBN_ERR_OK;
}

PbnErrDef NagStore(PbnGameTagsDef* ptGameTags, long Nag) {
  PbnMoveAnnoDef* ptAnno = MoveAnno(ptGameTags);
  if (ptAnno == nullptr) return PBN_ERR_BAD_NAG;
  for (Int32 Index = ptAnno->tNag.Begin; Index < ptAnno->tNag.End; Index++) {
    const long Stored = ptGameTags->pNags[Index];
    if (PbnNagIsSuffix(Nag) ? PbnNagIsSuffix(Stored) : Stored == Nag) return PBN_ERR_DOUBLE_NAG;
  }
  Int32 IxNag;
  const PbnErrDef Error = PbnNagPut(ptGameTags, static_cast<PbnNagDef>(Nag), &IxNag);
  if (Error != PBN_ERR_OK) return Error;
  if (ptAnno->tNag.Begin == ptAnno->tNag.End) ptAnno->tNag.Begin = IxNag;
  ptAnno->tNag.End = IxNag + 1;
  return PBN_ERR_OK;
}

PbnErrDef SuffixStore(PbnGameTagsDef* ptGameTags, PbnSuffixDef Suffix) {
  PbnMoveAnnoDef* ptAnno = MoveAnno(ptGameTags);
  if (ptAnno == nullptr) return PBN_ERR_BAD_SUFFIX;
  if (ptAnno->Suffix != PBN_SUFFIX_NONE) return PBN_ERR_DOUBLE_SUFFIX;
  ptAnno->Suffix = Suffix;
  // A suffix is also its NAG: 1 to 6 in the auction, 7 to 12 in the play.
  return NagStore(ptGameTags, tAdmin.Section == PBN_SECTION_AUCTION ? Suffix : Suffix + 6);
}

}  // namespace

PbnMoveAnnoDef* MoveAnno(PbnGameTagsDef* ptGameTags) {
  if (tAdmin.Section == PBN_SECTION_AUCTION && tAdmin.NrCalls >= 0) {
    ptGameTags->CallAnnosUsed |= UInt64{1} << tAdmin.NrCalls;  // what GameTagsInit clears
    return &ptGameTags->atCallAnno[tAdmin.NrCalls];
  }
  if (tAdmin.Section == PBN_SECTION_PLAY && tAdmin.NrTricks >= 0 &&
      tAdmin.NrTricks < PBN_N_TRICKS) {
    ptGameTags->CardAnnosUsed |= UInt64{1} << (tAdmin.NrTricks * PBN_N_SIDES + tAdmin.PlaySide);
    return &ptGameTags->aatCardAnno[tAdmin.NrTricks][tAdmin.PlaySide];
  }
  return nullptr;
}

PbnErrDef AuctionCallCheck(PbnGameDataDef* ptGameData, const char* acBuffer) {
  // The words of the auction begin with a letter or "-": a call that begins with a digit is a bid.
  if (!CharIsDigit(acBuffer[0])) {
    if (TextIs(acBuffer, '-')) return AuctionCallStore(ptGameData, MakeCall(PBN_CALL_PLACEHOLDER));
    if (TextIsLiteral(acBuffer, "AP")) {
      const int NrPasses = ptGameData->tAuction.NrCalls == 0 ? 4 : 3;
      PbnErrDef Error = PBN_ERR_OK;
      for (int Pass = 0; Pass < NrPasses; Pass++) {
        Error = AuctionCallStore(ptGameData, MakeCall(PBN_CALL_PASS));
      }
      return Error;
    }
    if (TextIsLiteral(acBuffer, acPbnPass)) {
      return AuctionCallStore(ptGameData, MakeCall(PBN_CALL_PASS));
    }
    if (TextIsWord(acBuffer, apcPbnRiskNames[PBN_RISK_DOUBLED])) {
      return AuctionCallStore(ptGameData, MakeCall(PBN_CALL_DOUBLE));
    }
    if (TextIsWord(acBuffer, apcPbnRiskNames[PBN_RISK_REDOUBLED])) {
      return AuctionCallStore(ptGameData, MakeCall(PBN_CALL_REDOUBLE));
    }
  }
  PbnCallDef tCall =
      MakeCall((tAdmin.IllegalMove & PBN_ILLEGAL_I) ? PBN_CALL_INSUFFICIENT : PBN_CALL_BID);
  if (acBuffer[0] < '1' || acBuffer[0] > '7') return PBN_ERR_BAD_CALL;
  tCall.NrTricks = static_cast<PbnNrTricksDef>(acBuffer[0] - '0');
  const char* pc = acBuffer + 1;
  if (CharTrumpCheck(&pc, &tCall.Trump) != PBN_ERR_OK) return PBN_ERR_BAD_TRUMP;
  if (*pc != '\0') return PBN_ERR_BAD_CALL;
  return AuctionCallStore(ptGameData, tCall);
}

PbnErrDef CheckCallIllegal(PbnGameDataDef* ptGameData, const char* acBuffer) {
  switch (acBuffer[0]) {
    case 'I':
      if (tAdmin.IllegalMove & PBN_ILLEGAL_I) return PBN_ERR_DOUBLE_ILLEGAL;
      tAdmin.IllegalMove |= PBN_ILLEGAL_I;
      return PBN_ERR_OK;
    case 'S':
      tAdmin.IllegalMove = PBN_ILLEGAL_S;
      return AuctionCallStore(ptGameData, MakeCall(PBN_CALL_SPECIAL));
    default:
      return PBN_ERR_BAD_ILLEGAL;
  }
}

PbnErrDef NoteCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer) {
  const char* pc = acBuffer;
  long Note;
  if (TagValueGetNumberPos(&pc, &Note) != PBN_ERR_OK || *pc != '\0') return PBN_ERR_BAD_NOTE;
  return NoteCheckNumber(ptGameTags, Note);
}

PbnErrDef NoteCheckNumber(PbnGameTagsDef* ptGameTags, long Note) {
  if (Note < 1 || Note > PBN_N_NOTES) return PBN_ERR_BAD_NOTE;
  return NoteStore(ptGameTags, Note);
}

PbnBoolDef PbnNagIsSuffix(long Nag) {
  return Nag >= 1 && Nag <= 12;
}

PbnErrDef NagCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer) {
  const char* pc = acBuffer;
  long Nag;
  const PbnErrDef Error = TagValueGetNumberPos(&pc, &Nag);
  if (Error != PBN_ERR_OK) return Error;
  if (*pc != '\0') return PBN_ERR_BAD_NAG;
  return NagCheckNumber(ptGameTags, Nag);
}

PbnErrDef NagCheckNumber(PbnGameTagsDef* ptGameTags, long Nag) {
  if (Nag > 255) return PBN_ERR_BAD_NAG;
  if (tAdmin.Section == PBN_SECTION_AUCTION && Nag >= 7 && Nag <= 12) return PBN_ERR_BAD_NAG;
  if (tAdmin.Section == PBN_SECTION_PLAY && Nag >= 1 && Nag <= 6) return PBN_ERR_BAD_NAG;
  if (PbnNagIsSuffix(Nag)) {
    // A comment after it then belongs to the suffix, not to the NAG.
    PbnStateDec();
    PbnStateInc(PBN_STATE_SUFFIX);
  }
  return NagStore(ptGameTags, Nag);
}

PbnErrDef SuffixCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer) {
  // "!" 1, "?" 2, "!!" 3, "??" 4, "!?" 5, "?!" 6: read by their characters, not looked up.
  const bool bGood = acBuffer[0] == '!';
  if (!bGood && acBuffer[0] != '?') return PBN_ERR_BAD_SUFFIX;
  int Suffix;
  if (acBuffer[1] == '\0') {
    Suffix = bGood ? 1 : 2;
  } else if (acBuffer[2] != '\0') {
    return PBN_ERR_BAD_SUFFIX;
  } else if (acBuffer[1] == '!') {
    Suffix = bGood ? 3 : 6;
  } else if (acBuffer[1] == '?') {
    Suffix = bGood ? 5 : 4;
  } else {
    return PBN_ERR_BAD_SUFFIX;
  }
  return SuffixStore(ptGameTags, static_cast<PbnSuffixDef>(Suffix));
}

}  // namespace pbn
