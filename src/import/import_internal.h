// Shared by the importer's source files: the reader and line store, character classes, number
// reading, and the checks that the state machine calls.
#pragma once

#include <array>
#include <cstdio>

#include "core/pbn.h"
#include "core/pbn_util.h"
#include "core/tags.h"
#include "import/admin.h"
#include "import/tag_names.h"

namespace pbn {

inline constexpr unsigned long kMaxLineChars = 255;  // characters stored per logical line
// Texts are copied in whole blocks of this many characters: a buffer has room for the last block
// after its characters, and the reader's block holds the bytes after a chunk.
inline constexpr size_t kCopyBlock = 16;

// Reader. A chunk of the file is what a line read of 256 bytes gives: at most 255 characters, up
// to and including the next line feed. Its characters end at its first NUL byte.
struct PbnChunkDef {
  const char* pcChars;
  int NrChars;
};
extern PbnFilePosDef FilePosGet;   // the file offset of the chunk read last
extern PbnFilePosDef FilePosRead;  // the file offset after it
extern UInt32 FileLineNr;          // the line of the file that the chunk belongs to, from 1

// Positions the reader at FilePos of pFile for a game import; false when the stream cannot be
// positioned there. The stream's own position is then the reader's business.
bool PbnReaderStart(std::FILE* pFile, PbnFilePosDef FilePos);
// The chunks themselves are read by PbnReadChunk (reader_block.h).

// Whether the importer reads whole tokens in one go (the default) or every character by its own
// step; both read alike, which the tests compare.
void PbnImportWholeTokens(bool bOn);

// Character classes; the character is a byte value 0..255 (or the neutral 1).
constexpr PbnBoolDef IsPbnChar(int c) {
  return (c >= 0 && c <= 126) || (c >= 160 && c <= 255);
}
constexpr PbnBoolDef CharIsSpace(int c) {
  return c <= 32;
}
constexpr PbnBoolDef CharIsDigit(int c) {
  return c >= '0' && c <= '9';
}
constexpr PbnBoolDef CharIsDateChar(int c) {
  return CharIsDigit(c) || c == '?';
}
constexpr PbnBoolDef CharIsLetter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr PbnBoolDef CharInMove(int c) {
  return CharIsLetter(c) || CharIsDigit(c) || c == '-';
}
constexpr PbnBoolDef CharInTagName(int c) {
  return CharIsLetter(c) || CharIsDigit(c) || c == '_';
}

// Whether a text is the one character c and nothing else ("#", "?", "-").
constexpr bool TextIs(const char* pcText, char c) {
  return pcText[0] == c && pcText[1] == '\0';
}

// Whether a text is the word, its letters A to Z in either case: PbnStrcmp(...) == 0, but
// inline, since the words of calls and of tag values are compared at every call and game.
constexpr char CharFoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}
constexpr bool TextIsWord(const char* pcText, const char* pcWord) {
  for (;; pcText++, pcWord++) {
    if (CharFoldCase(*pcText) != CharFoldCase(*pcWord)) return false;
    if (*pcText == '\0') return true;
  }
}
// The same for a word written out, which the compiler then compares letter by letter.
template <size_t N>
constexpr bool TextIsLiteral(const char* pcText, const char (&acWord)[N]) {
  for (size_t i = 0; i < N; i++) {
    if (CharFoldCase(pcText[i]) != CharFoldCase(acWord[i])) return false;
  }
  return true;
}

void CharSkipSpace(const char** pacBuffer);
int PbnStrcmp(const char* pc1, const char* pc2);
PbnErrDef TagValueGetNumber(const char** pacBuffer, long* pNumber);
PbnErrDef TagValueGetNumberPos(const char** pacBuffer, long* pNumber);

// The number of the NrDigits digits at pc, read at once: mostly a few (board numbers, NAGs,
// notes, scores), and nine cannot overflow. -1 for none or more than nine, which the number reader
// reads its general way.
inline long ShortNumber(const char* pc, size_t NrDigits) {
  if (NrDigits == 0 || NrDigits > 9) return -1;
  long Number = 0;
  for (size_t i = 0; i < NrDigits; i++)
    Number = Number * 10 + (pc[i] - '0');
  return Number;
}

// Character parsers of tag values, calls and cards (sides and suits: core/pbn_util.h).

// The rank of every character: ranks in either case, "x" a small card, "?" unknown; 0 for none.
inline constexpr std::array<PbnRankDef, 256> aPbnCharRanks = [] {
  std::array<PbnRankDef, 256> aRanks{};
  constexpr char acRanks[] = "23456789TJQKA";
  for (int Index = 0; Index < 13; Index++) {
    const auto Rank = static_cast<PbnRankDef>(PBN_RANK_2 << Index);
    const char cRank = acRanks[Index];
    aRanks[static_cast<unsigned char>(cRank)] = Rank;
    if (cRank >= 'A') aRanks[static_cast<unsigned char>(cRank - 'A' + 'a')] = Rank;
  }
  aRanks['x'] = PBN_RANK_X;
  aRanks['?'] = PBN_RANK_UNKNOWN;
  return aRanks;
}();

inline PbnErrDef CharRankCheck(int cRank, PbnRankDef* pRank) {
  *pRank = cRank >= 0 && cRank <= 255 ? aPbnCharRanks[cRank] : PbnRankDef{0};
  return *pRank != 0 ? PBN_ERR_OK : PBN_ERR_BAD_RANK;
}

PbnErrDef CharTrumpCheck(const char** pacTrump, PbnTrumpDef* pTrump);

// Tag names and values (TagIdGet: import/tag_names.h).
PbnErrDef TagNameCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer, size_t Length,
                       PbnTagIdDef* pTagId);
// The same for a name whose tag TagIdGet has found (PBN_N_TAG_IDS: none).
PbnErrDef TagNameCheckFound(PbnGameTagsDef* ptGameTags, const char* acBuffer, size_t Length,
                            PbnTagIdDef TagId);
PbnErrDef TagValueCheck(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId,
                        const char* acBuffer);
// The same for a value of Length characters (at most 255), none of them NUL, with a block's room
// (kCopyBlock) after them: a token, or a value where the reader's chunk holds it.
PbnErrDef TagValueCheck(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId,
                        const char* pcValue, size_t Length);
// The check of one tag's value in acBuffer (the only change it makes there: an empty value
// marked); *pNote receives a Note tag's number.
PbnErrDef TagValueCheckById(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags,
                            PbnTagIdDef TagId, char* acBuffer, long* pNote);
// The game's own data (Auction, Contract, Deal, ...): never inherited.
bool TagValueIsOwnData(PbnTagIdDef TagId);
PbnErrDef GameTagCopy(PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId, const char* pcBuffer);
// The text after the colon of a Note value of Length characters, with a block's room after them
// (as for TagValueCheck).
PbnErrDef GameNoteCopy(PbnGameTagsDef* ptGameTags, long Note, const char* pcValue, size_t Length);

// Auction and move annotations. MoveAnno: the move an annotation or comment belongs to, the last
// call or card read, or none yet.
PbnMoveAnnoDef* MoveAnno(PbnGameTagsDef* ptGameTags);
PbnErrDef AuctionCallCheck(PbnGameDataDef* ptGameData, const char* acBuffer);
PbnErrDef CheckCallIllegal(PbnGameDataDef* ptGameData, const char* acBuffer);
PbnErrDef NoteCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer);
PbnErrDef NagCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer);
// The same for the number of a note reference or a NAG read already (never negative).
PbnErrDef NoteCheckNumber(PbnGameTagsDef* ptGameTags, long Note);
PbnErrDef NagCheckNumber(PbnGameTagsDef* ptGameTags, long Nag);
PbnErrDef SuffixCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer);
PbnBoolDef PbnNagIsSuffix(long Nag);

// Play and the whole-game checks.
PbnErrDef CardCheck(PbnGameDataDef* ptGameData, const char* acBuffer);

// Takes a real card out of the hand that plays it; false when that hand cannot hold it.
inline bool TakeCardFromHand(PbnSideDef Side, const PbnCardDef& tCard) {
  if (!tAdmin.abUnknownSide[Side]) {
    UInt8& NrCards = tAdmin.tNrDeal.tHands[Side].Ranks[tCard.Suit];
    PbnRankDef& Ranks = tAdmin.tDeal.tHands[Side].Ranks[tCard.Suit];
    if (NrCards == 0 || (Ranks & tCard.Rank) == 0) return false;
    NrCards--;
    Ranks &= static_cast<PbnRankDef>(~tCard.Rank);
    return true;
  }
  PbnRankDef& Ranks = tAdmin.tUnknownHand.Ranks[tCard.Suit];
  if ((Ranks & tCard.Rank) == 0) return false;
  Ranks &= static_cast<PbnRankDef>(~tCard.Rank);
  return true;
}

// The card's place: the next one of its trick line; false when the play holds no further trick.
inline bool CardTakesPlace() {
  AdminCardInc();
  // The play holds 13 tricks; a card of a further trick line cannot be stored.
  return tAdmin.NrTricks < PBN_N_TRICKS;
}

// The card, or a place without one, played at its place: taken from its hand, its marks kept.
inline PbnErrDef CardPlay(PbnGameDataDef* ptGameData, const PbnCardDef& tCard) {
  PbnErrDef Error = PBN_ERR_OK;
  const PbnSideDef Side = tAdmin.PlaySide;
  if (tCard.Suit != PBN_SUIT_NO_CARD && !TakeCardFromHand(Side, tCard)) Error = PBN_ERR_BAD_CARD;
  tAdmin.IllegalPlay[Side] = tAdmin.IllegalMove;
  tAdmin.IllegalTrick |= tAdmin.IllegalMove;
  MoveClear();
  ptGameData->tPlay.atTricks[tAdmin.NrTricks].atCards[Side] = tCard;
  return Error;
}

// The same for a card read already, of a suit and a rank. Inline: the index pass checks every
// card of every game.
inline PbnErrDef CardCheck(PbnGameDataDef* ptGameData, const PbnCardDef& tCard) {
  if (!CardTakesPlace()) return PBN_ERR_BAD_CARD;
  return CardPlay(ptGameData, tCard);
}
// The trick that a good card completes: its leader, its revokes, its winner.
PbnErrDef CompleteTrick(PbnGameDataDef* ptGameData);
// After every good card, inline: only the fourth of a trick line completes the trick.
inline PbnErrDef TrickCheck(PbnGameDataDef* ptGameData) {
  ptGameData->tPlay.aFirsts[tAdmin.NrTricks] = PBN_SIDE_NONE;
  return tAdmin.NrPlayed != 3 ? PBN_ERR_OK : CompleteTrick(ptGameData);
}
PbnErrDef CheckCardIllegal(const char* acBuffer);
PbnErrDef CheckNotes(const PbnGameTagsDef* ptGameTags);
PbnErrDef CheckDeclarer(PbnGameDataDef* ptGameData);
PbnErrDef CheckResult(const PbnGameDataDef* ptGameData);

}  // namespace pbn
