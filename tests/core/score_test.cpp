// Duplicate scores, points and shapes, against scores any scoring table gives.
#include <gtest/gtest.h>

#include "core/score.h"

namespace pbn {
namespace {

TEST(Score, ContractsMadeAndDown) {
  struct Case {
    int Level;
    PbnTrumpDef Trump;
    PbnRiskDef Risk;
    bool bVulnerable;
    int Tricks;
    int Score;
  };
  constexpr Case atCases[] = {
      {4, PBN_SPADES, PBN_RISK_NONE, false, 10, 420},
      {4, PBN_HEARTS, PBN_RISK_NONE, true, 11, 650},
      {3, PBN_TRUMP_NT, PBN_RISK_NONE, false, 9, 400},
      {1, PBN_TRUMP_NT, PBN_RISK_NONE, false, 8, 120},
      {2, PBN_CLUBS, PBN_RISK_NONE, true, 8, 90},
      {5, PBN_DIAMONDS, PBN_RISK_NONE, true, 11, 600},
      {6, PBN_SPADES, PBN_RISK_NONE, true, 12, 1430},
      {7, PBN_TRUMP_NT, PBN_RISK_NONE, false, 13, 1520},
      {2, PBN_HEARTS, PBN_RISK_DOUBLED, false, 8, 470},   // doubled into game
      {1, PBN_CLUBS, PBN_RISK_REDOUBLED, true, 9, 1030},  // two redoubled overtricks
      {4, PBN_SPADES, PBN_RISK_NONE, true, 8, -200},
      {3, PBN_TRUMP_NT, PBN_RISK_DOUBLED, false, 5, -800},  // 100 + 200 + 200 + 300
      {5, PBN_DIAMONDS, PBN_RISK_DOUBLED, true, 9, -500},
      {4, PBN_HEARTS, PBN_RISK_REDOUBLED, false, 9, -200},
      {7, PBN_TRUMP_NT, PBN_RISK_REDOUBLED, true, 0, -7600},
  };
  for (const Case& c : atCases) {
    EXPECT_EQ(ContractScore(c.Level, c.Trump, c.Risk, c.bVulnerable, c.Tricks), c.Score)
        << c.Level << " " << int(c.Trump) << " risk " << int(c.Risk) << " tricks " << c.Tricks;
  }
}

TEST(Score, GameScoreFromNorthSouth) {
  const PbnContractDef t4SbyE{PBN_EAST, 4, PBN_SPADES, PBN_RISK_NONE, false};
  EXPECT_EQ(GameScoreNS(t4SbyE, 10, PBN_VULNER_EW), -620);
  EXPECT_EQ(GameScoreNS(t4SbyE, 10 | PBN_RESULT_IRREGULAR, PBN_VULNER_NS), -420);
  EXPECT_EQ(GameScoreNS(t4SbyE, PBN_RESULT_NONE, PBN_VULNER_NS), std::nullopt);
  EXPECT_EQ(GameScoreNS(t4SbyE, 10, PBN_VULNER_UNKNOWN), std::nullopt);
  const PbnContractDef tPass{PBN_SIDE_NONE, 0, PBN_TRUMP_PASS, PBN_RISK_NONE, false};
  EXPECT_EQ(GameScoreNS(tPass, PBN_RESULT_NONE, PBN_VULNER_NOT_GIVEN), 0);
  EXPECT_EQ(ScoreText(-620), "EW 620");
  EXPECT_EQ(ScoreText(0), "0");
}

TEST(Score, PointsAndShape) {
  // AKQ2 of spades, J of hearts, void in diamonds, 8 clubs.
  const PbnHandDef tHand{{0x01FE, 0, 0x0400, 0x3802}};
  EXPECT_EQ(HandPoints(tHand), 10);
  EXPECT_EQ(HandShape(tHand), "4-1-0-8");
}

}  // namespace
}  // namespace pbn
