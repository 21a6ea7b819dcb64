// The texts of the model that every output shares: ranks, cards, hands, deals, calls and
// contracts as PBN spells them, and PBN text as UTF-8. One place, so that the viewer's list, the
// command line, LIN and the hand records say the same thing the same way.
#pragma once

#include <string>
#include <string_view>

#include "core/defs.h"
#include "core/pbn.h"

namespace pbn {

// The strains clubs, diamonds, hearts, spades and no trump as suit symbols (UTF-8), for texts
// that print; apcPbnTrumpNames spells them as PBN writes them.
inline constexpr const char* apcPbnStrainSymbols[PBN_N_TRUMPS] = {"\u2663", "\u2666", "\u2665",
                                                                  "\u2660", "NT"};

// The character of one rank: "2" to "A", "x" for a small card, "?" for an unknown rank.
char RankChar(PbnRankDef Rank);

// The ranks of a suit ace first, as PBN writes them ("AKT2"); "" for none.
std::string RanksText(PbnRankDef Ranks);

// A hand as PBN writes it ("AKQ.JT9.876.5432"), or "-" when it holds no card.
std::string HandText(const PbnHandDef& tHand);

// A deal as PBN writes it from North: "N:AKQ.JT9.876.5432 - ...".
std::string DealText(const PbnDealDef& tDeal);

// A card, suit then rank ("SA", "H7"), or "-" for a place without a card. apcStrains spells
// the suits (apcPbnStrainSymbols: "♠A").
std::string CardText(const PbnCardDef& tCard, const char* const* apcStrains = apcPbnTrumpNames);

// A call as the auction reads it: "Pass", "X", "XX", "^S", "3NT" ("3?" for a bid without a
// strain).
std::string CallText(const PbnCallDef& tCall, const char* const* apcStrains = apcPbnTrumpNames);

// A contract, level, strain and risk: "4S", "3NTX", "6H?" (given with "?" as its risk), "Pass"
// for a passed-out deal, which has no risk. "" where no contract is known: no strain, or a level
// outside 1 to 7 (a strain the auction gave without its level, an end position's strain alone).
std::string ContractText(const PbnContractDef& tContract,
                         const char* const* apcStrains = apcPbnTrumpNames);

// The length of the well-formed UTF-8 character that Text starts with (no overlong form, no
// surrogate, nothing beyond U+10FFFF); 0 when it is ill-formed or Text is empty.
std::size_t Utf8CharLength(std::string_view Text);

// Text as UTF-8. From ISO 8859-1 each byte is the code point of its value; from UTF-8
// (bFromUtf8) the characters stay and each ill-formed sequence (a stray byte, a surrogate, an
// overlong form, a cut character) becomes one U+FFFD, so that every text written is UTF-8.
std::string TextToUtf8(std::string_view Text, bool bFromUtf8);

}  // namespace pbn
