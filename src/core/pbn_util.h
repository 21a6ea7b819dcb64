// Side, suit and rank characters, and the growable array of fixed-size elements.
#pragma once

#include <array>
#include <string_view>

#include "core/pbn.h"

namespace pbn {

// Writes the ranks of a set, ace first; acRanks must hold 15 characters.
// White space of a text line, its end included.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Text without its white space at either end.
constexpr std::string_view TrimBlanks(std::string_view Text) {
  while (!Text.empty() && IsBlank(Text.front()))
    Text.remove_prefix(1);
  while (!Text.empty() && IsBlank(Text.back()))
    Text.remove_suffix(1);
  return Text;
}

void PbnRanksGetChars(PbnRankDef Ranks, char* acRanks);

// The side of a character "NESW", in either case.
inline PbnErrDef CharSideCheck(int cSide, PbnSideDef* pSide) {
  switch (cSide) {
    case 'N':
    case 'n':
      *pSide = PBN_NORTH;
      return PBN_ERR_OK;
    case 'E':
    case 'e':
      *pSide = PBN_EAST;
      return PBN_ERR_OK;
    case 'S':
    case 's':
      *pSide = PBN_SOUTH;
      return PBN_ERR_OK;
    case 'W':
    case 'w':
      *pSide = PBN_WEST;
      return PBN_ERR_OK;
    default:
      return PBN_ERR_BAD_SIDE;
  }
}

// The suit of every character, in either case; PBN_SUIT_NO_CARD for none. A table, since the
// suits of the cards of a play follow no pattern that a branch could learn.
inline constexpr std::array<PbnSuitDef, 256> aPbnCharSuits = [] {
  std::array<PbnSuitDef, 256> aSuits;
  aSuits.fill(PBN_SUIT_NO_CARD);
  aSuits['C'] = aSuits['c'] = PBN_CLUBS;
  aSuits['D'] = aSuits['d'] = PBN_DIAMONDS;
  aSuits['H'] = aSuits['h'] = PBN_HEARTS;
  aSuits['S'] = aSuits['s'] = PBN_SPADES;
  return aSuits;
}();

inline PbnErrDef CharSuitCheck(int cSuit, PbnSuitDef* pSuit) {
  const PbnSuitDef Suit = cSuit >= 0 && cSuit <= 255 ? aPbnCharSuits[cSuit] : PBN_SUIT_NO_CARD;
  if (Suit == PBN_SUIT_NO_CARD) return PBN_ERR_BAD_SUIT;
  *pSuit = Suit;
  return PBN_ERR_OK;
}

// A growable, zero-filled array. The caller writes the elements and advances CurData.
struct DynamicDataDef {
  UInt32 MaxData;
  UInt32 CurData;
  UInt32 IncData;  // the first capacity, and the least a growth adds
  UInt32 DataSize;
  void* ptData;
};

PbnBoolDef DynamicDataInit(DynamicDataDef* ptDynamicData, UInt32 IncData, UInt32 DataSize);
// Grows the capacity by half (by IncData at least), so that filling n elements copies each a few
// times at most: a growth by a fixed step copies the whole array at every step.
PbnBoolDef DynamicDataExtend(DynamicDataDef* ptDynamicData);
PbnBoolDef DynamicDataCheck(DynamicDataDef* ptDynamicData);
void DynamicDataTerm(DynamicDataDef* ptDynamicData);

template <typename T>
T* DynamicDataAt(const DynamicDataDef& tDynamicData, UInt32 Index) {
  return static_cast<T*>(tDynamicData.ptData) + Index;
}

}  // namespace pbn
