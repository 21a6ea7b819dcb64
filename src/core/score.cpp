#include "core/score.h"

#include <bit>

namespace pbn {

namespace {

constexpr PbnRankDef kJack = PBN_RANK_T << 1;

int TrickValue(PbnTrumpDef Trump) {
  return Trump == PBN_CLUBS || Trump == PBN_DIAMONDS ? 20 : 30;
}

int MadeScore(int Level, PbnTrumpDef Trump, int Multiplier, bool bVulnerable, int Overtricks) {
  const int TrickScore =
      (Level * TrickValue(Trump) + (Trump == PBN_TRUMP_NT ? 10 : 0)) * Multiplier;
  int Score = TrickScore;
  Score += TrickScore >= 100 ? (bVulnerable ? 500 : 300) : 50;
  if (Level == 6) Score += bVulnerable ? 750 : 500;
  if (Level == 7) Score += bVulnerable ? 1500 : 1000;
  if (Multiplier > 1) Score += 25 * Multiplier;  // the insult: 50 doubled, 100 redoubled
  const int OvertrickValue =
      Multiplier == 1 ? TrickValue(Trump) : (bVulnerable ? 100 : 50) * Multiplier;
  return Score + Overtricks * OvertrickValue;
}

int DownScore(int Multiplier, bool bVulnerable, int Undertricks) {
  if (Multiplier == 1) return Undertricks * (bVulnerable ? 100 : 50);
  int Penalty = 0;
  for (int Trick = 1; Trick <= Undertricks; Trick++) {
    if (bVulnerable) {
      Penalty += Trick == 1 ? 200 : 300;
    } else {
      Penalty += Trick == 1 ? 100 : Trick <= 3 ? 200 : 300;
    }
  }
  return Penalty * Multiplier / 2;
}

}  // namespace

int ContractScore(int Level, PbnTrumpDef Trump, PbnRiskDef Risk, bool bVulnerable, int Tricks) {
  const int Multiplier = Risk == PBN_RISK_REDOUBLED ? 4 : Risk == PBN_RISK_DOUBLED ? 2 : 1;
  const int Needed = Level + 6;
  if (Tricks >= Needed) return MadeScore(Level, Trump, Multiplier, bVulnerable, Tricks - Needed);
  return -DownScore(Multiplier, bVulnerable, Needed - Tricks);
}

std::optional<int> ResultTricks(PbnResultDef Result) {
  const int Tricks = Result & ~PBN_RESULT_IRREGULAR;
  if (Tricks > PBN_N_TRICKS) return std::nullopt;
  return Tricks;
}

bool SideVulnerable(PbnSideDef Side, PbnVulnerDef Vulner) {
  if (Vulner == PBN_VULNER_ALL) return true;
  const bool bNorthSouth = Side == PBN_NORTH || Side == PBN_SOUTH;
  return bNorthSouth ? Vulner == PBN_VULNER_NS : Vulner == PBN_VULNER_EW;
}

std::optional<int> GameScoreNS(const PbnContractDef& tContract, PbnResultDef Result,
                               PbnVulnerDef Vulner) {
  if (tContract.Trump == PBN_TRUMP_PASS) return 0;
  const std::optional<int> Tricks = ResultTricks(Result);
  if (!Tricks || !PbnTrumpIsValid(tContract.Trump) || !PbnSideIsValid(tContract.Declarer) ||
      tContract.NrTricks < 1 || tContract.NrTricks > 7 || tContract.Risk == PBN_RISK_UNKNOWN ||
      Vulner > PBN_VULNER_ALL) {
    return std::nullopt;
  }
  const int Score = ContractScore(tContract.NrTricks, tContract.Trump, tContract.Risk,
                                  SideVulnerable(tContract.Declarer, Vulner), *Tricks);
  const bool bNorthSouth = tContract.Declarer == PBN_NORTH || tContract.Declarer == PBN_SOUTH;
  return bNorthSouth ? Score : -Score;
}

std::string ScoreText(int ScoreNS) {
  if (ScoreNS == 0) return "0";
  return (ScoreNS > 0 ? "NS " : "EW ") + std::to_string(ScoreNS > 0 ? ScoreNS : -ScoreNS);
}

int HandPoints(const PbnHandDef& tHand) {
  int Points = 0;
  for (const PbnRankDef Ranks : tHand.Ranks) {
    Points += (Ranks & PBN_RANK_A ? 4 : 0) + (Ranks & (PBN_RANK_A >> 1) ? 3 : 0) +
              (Ranks & (PBN_RANK_A >> 2) ? 2 : 0) + (Ranks & kJack ? 1 : 0);
  }
  return Points;
}

std::string HandShape(const PbnHandDef& tHand) {
  std::string Shape;
  for (int Suit = PBN_SPADES; Suit >= PBN_CLUBS; Suit--) {
    Shape += std::to_string(std::popcount(static_cast<unsigned>(tHand.Ranks[Suit])));
    if (Suit != PBN_CLUBS) Shape += '-';
  }
  return Shape;
}

}  // namespace pbn
