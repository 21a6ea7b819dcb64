#include "core/pbn.h"

#include <bit>

namespace pbn {

namespace {

// The number of bits of every byte: a count in two look-ups, since without the processor's own
// instruction (not in the x86-64 baseline) std::popcount is a library call.
constexpr std::array<UInt8, 256> aNrBits = [] {
  std::array<UInt8, 256> aCounts{};
  for (unsigned Byte = 0; Byte < 256; Byte++)
    aCounts[Byte] = static_cast<UInt8>(std::popcount(Byte));
  return aCounts;
}();

}  // namespace

UInt8 PbnRanksGetNumber(PbnRankDef Ranks) {
  // Bit 0 ("x") is outside the precondition and is not counted.
  return static_cast<UInt8>(aNrBits[Ranks & 0xFE] + aNrBits[Ranks >> 8]);
}

UInt8 PbnRankGetIndex(PbnRankDef Rank) {
  if (Rank == 0) return 13;
  if (Rank == PBN_RANK_X) return 14;
  for (UInt8 Index = 0; Index < 13; Index++) {
    if (Rank == (PBN_RANK_2 << Index)) return Index;
  }
  return 15;
}

void PbnHandGetNumber(const PbnHandDef* ptHand, PbnNrHandDef* ptNrHand) {
  for (int Suit = 0; Suit < PBN_N_SUITS; Suit++) {
    ptNrHand->Ranks[Suit] = PbnRanksGetNumber(ptHand->Ranks[Suit]);
  }
}

void PbnDealGetNumber(const PbnDealDef* ptDeal, PbnNrDealDef* ptNrDeal) {
  for (int Side = 0; Side < PBN_N_SIDES; Side++) {
    PbnHandGetNumber(&ptDeal->tHands[Side], &ptNrDeal->tHands[Side]);
  }
}

PbnBoolDef PbnAuctionEnds(const PbnAuctionDef* ptAuction, int* pNrPasses) {
  *pNrPasses = 0;
  if (ptAuction->NrCalls < 4) return PBN_FALSE;
  int NrPasses = 0;
  for (int Call = ptAuction->NrCalls - 1; Call >= 0; Call--) {
    if (ptAuction->atCalls[Call].CallType != PBN_CALL_PASS) break;
    NrPasses++;
  }
  *pNrPasses = NrPasses;
  return NrPasses >= 3;
}

}  // namespace pbn
