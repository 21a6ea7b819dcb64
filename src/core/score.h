// The duplicate score of a played contract, and the measures of a hand that lists, the game list
// and hand records print: high-card points and shape. One place for all of them.
#pragma once

#include <optional>
#include <string>

#include "core/pbn.h"

namespace pbn {

// The declaring side's duplicate score of a contract of Level (1 to 7) in Trump at Risk (none,
// doubled, redoubled) that took Tricks (0 to 13): positive when made, negative when down.
int ContractScore(int Level, PbnTrumpDef Trump, PbnRiskDef Risk, bool bVulnerable, int Tricks);

// A game's score from North-South's view (East-West's score negated): 0 for a passed-out deal;
// nothing where the contract, its declarer, the result or the vulnerability is not known.
std::optional<int> GameScoreNS(const PbnContractDef& tContract, PbnResultDef Result,
                               PbnVulnerDef Vulner);

// "NS 620", "EW 100", "0": the side that gains and what it gains.
std::string ScoreText(int ScoreNS);

// The tricks a Result holds (0 to 13), or nothing for no result, an empty one or a bad one.
std::optional<int> ResultTricks(PbnResultDef Result);

// Whether the side of Side is vulnerable; false for an unknown vulnerability.
bool SideVulnerable(PbnSideDef Side, PbnVulnerDef Vulner);

// High-card points: ace 4, king 3, queen 2, jack 1.
int HandPoints(const PbnHandDef& tHand);

// The lengths of spades, hearts, diamonds and clubs: "5-3-3-2".
std::string HandShape(const PbnHandDef& tHand);

}  // namespace pbn
