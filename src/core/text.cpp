#include "core/text.h"

#include "core/pbn_util.h"

namespace pbn {

namespace {

constexpr PbnSideDef aDealSides[PBN_N_SIDES] = {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST};

// The length of the well-formed UTF-8 character that Text starts with; 0 when it is ill-formed,
// with *pNrBad the bytes of its longest start that could still have been one (at least 1), which
// one U+FFFD replaces: the practice of Unicode's chapter 3, which JSON writers follow too.
std::size_t Utf8CharLength(std::string_view Text, std::size_t* pNrBad) {
  const auto c = static_cast<unsigned char>(Text[0]);
  if (c < 0x80) return 1;
  std::size_t Length = 0;
  unsigned char Low = 0x80;  // the range of the second byte, narrower after some leads
  unsigned char High = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    Length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    Length = 3;
    if (c == 0xE0) Low = 0xA0;   // no overlong form
    if (c == 0xED) High = 0x9F;  // no surrogate
  } else if (c >= 0xF0 && c <= 0xF4) {
    Length = 4;
    if (c == 0xF0) Low = 0x90;   // no overlong form
    if (c == 0xF4) High = 0x8F;  // nothing beyond U+10FFFF
  } else {
    *pNrBad = 1;
    return 0;
  }
  std::size_t i = 1;
  for (; i < Length && i < Text.size(); i++) {
    const auto cNext = static_cast<unsigned char>(Text[i]);
    if (cNext < Low || cNext > High) break;
    Low = 0x80;
    High = 0xBF;
  }
  if (i == Length) return Length;
  *pNrBad = i;
  return 0;
}

}  // namespace

char RankChar(PbnRankDef Rank) {
  return acPbnRankNames[PbnRankGetIndex(Rank)];
}

std::string RanksText(PbnRankDef Ranks) {
  char acRanks[15];
  PbnRanksGetChars(Ranks, acRanks);
  return acRanks;
}

std::string HandText(const PbnHandDef& tHand) {
  if ((tHand.Ranks[0] | tHand.Ranks[1] | tHand.Ranks[2] | tHand.Ranks[3]) == 0) return "-";
  std::string Text;
  for (int Suit = PBN_SPADES; Suit >= PBN_CLUBS; Suit--) {
    Text += RanksText(tHand.Ranks[Suit]);
    if (Suit != PBN_CLUBS) Text += '.';
  }
  return Text;
}

std::string DealText(const PbnDealDef& tDeal) {
  std::string Text = "N:";
  for (PbnSideDef Side : aDealSides) {
    if (Side != PBN_NORTH) Text += ' ';
    Text += HandText(tDeal.tHands[Side]);
  }
  return Text;
}

std::string CardText(const PbnCardDef& tCard, const char* const* apcStrains) {
  if (!PbnCardIsReal(tCard)) return "-";
  return apcStrains[tCard.Suit] + std::string(1, RankChar(tCard.Rank));
}

std::string CallText(const PbnCallDef& tCall, const char* const* apcStrains) {
  switch (tCall.CallType) {
    case PBN_CALL_PASS:
      return acPbnPass;
    case PBN_CALL_DOUBLE:
      return apcPbnRiskNames[PBN_RISK_DOUBLED];
    case PBN_CALL_REDOUBLE:
      return apcPbnRiskNames[PBN_RISK_REDOUBLED];
    case PBN_CALL_SPECIAL:
      return "^S";
    default:
      return std::to_string(tCall.NrTricks) +
             (PbnTrumpIsValid(tCall.Trump) ? apcStrains[tCall.Trump] : "?");
  }
}

std::string ContractText(const PbnContractDef& tContract, const char* const* apcStrains) {
  if (tContract.Trump == PBN_TRUMP_PASS) return acPbnPass;
  if (!PbnTrumpIsValid(tContract.Trump) || tContract.NrTricks < 1 || tContract.NrTricks > 7) {
    return "";
  }
  return std::to_string(tContract.NrTricks) + apcStrains[tContract.Trump] +
         apcPbnRiskNames[tContract.Risk & 3];
}

std::size_t Utf8CharLength(std::string_view Text) {
  std::size_t NrBad = 0;
  return Text.empty() ? 0 : Utf8CharLength(Text, &NrBad);
}

std::string TextToUtf8(std::string_view Text, bool bFromUtf8) {
  std::string Utf8;
  Utf8.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size();) {
    const auto c = static_cast<unsigned char>(Text[i]);
    if (c < 0x80) {
      Utf8 += static_cast<char>(c);
      i++;
    } else if (!bFromUtf8) {
      Utf8 += static_cast<char>(0xC0 | (c >> 6));
      Utf8 += static_cast<char>(0x80 | (c & 0x3F));
      i++;
    } else {
      std::size_t NrBad = 0;
      const std::size_t Length = Utf8CharLength(Text.substr(i), &NrBad);
      if (Length > 0) {
        Utf8 += Text.substr(i, Length);
      } else {
        Utf8 += "\uFFFD";
      }
      i += Length > 0 ? Length : NrBad;
    }
  }
  return Utf8;
}

}  // namespace pbn
