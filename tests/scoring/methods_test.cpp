// The scoring arithmetic against worked examples of published sources and of the scoring
// programs whose files carry their own figures.
#include <gtest/gtest.h>

#include <algorithm>

#include "scoring/methods.h"

namespace scoring {
namespace {

std::vector<EntryDef> Entries(std::vector<int> aScores) {
  std::sort(aScores.begin(), aScores.end());
  std::vector<EntryDef> atEntries;
  for (int Score : aScores)
    atEntries.push_back({Score, 1});
  return atEntries;
}

TEST(Methods, ImpScale) {
  // Each row of the scale: the least and the largest difference of its IMPs.
  struct Row {
    int From;
    int To;
    int Imps;
  };
  constexpr Row atScale[] = {
      {0, 10, 0},       {20, 40, 1},      {50, 80, 2},      {90, 120, 3},     {130, 160, 4},
      {170, 210, 5},    {220, 260, 6},    {270, 310, 7},    {320, 360, 8},    {370, 420, 9},
      {430, 490, 10},   {500, 590, 11},   {600, 740, 12},   {750, 890, 13},   {900, 1090, 14},
      {1100, 1290, 15}, {1300, 1490, 16}, {1500, 1740, 17}, {1750, 1990, 18}, {2000, 2240, 19},
      {2250, 2490, 20}, {2500, 2990, 21}, {3000, 3490, 22}, {3500, 3990, 23}, {4000, 7600, 24},
  };
  for (const Row& r : atScale) {
    EXPECT_EQ(ImpsOf(r.From), r.Imps) << r.From;
    EXPECT_EQ(ImpsOf(r.To), r.Imps) << r.To;
    EXPECT_EQ(ImpsOf(-r.To), -r.Imps) << -r.To;
  }
  EXPECT_EQ(ImpsOf(1440 - 520), 14);  // the Olympiad board of 1440 against 520
}

TEST(Methods, MatchpointsAndNeuberg) {
  // The EBU's example: ten results where eleven were expected, on a top of 20.
  const auto atEntries = Entries({520, 500, 490, 480, 460, 450, 430, 420, 400, -50});
  const std::vector<double> aMp = MatchpointsNS(atEntries);
  const double aExpected[] = {0.1, 2.3, 4.5, 6.7, 8.9, 11.1, 13.3, 15.5, 17.7, 19.9};
  for (size_t i = 0; i < aMp.size(); i++) {
    EXPECT_DOUBLE_EQ(aMp[i], 2.0 * i);
    EXPECT_NEAR(NeubergMp(aMp[i], 10, 11), aExpected[i], 1e-9) << atEntries[i].ScoreNS;
  }
  // The encyclopaedia's: six results where seven were expected, 4 and 9 of 10 out of 12.
  EXPECT_NEAR(NeubergMp(4, 6, 7), 4.83, 0.005);
  EXPECT_NEAR(NeubergMp(9, 6, 7), 10.67, 0.005);
  // A fouled board of seven results split 3 + 4: the tops become 88.9% and 93.8% of 12.
  EXPECT_NEAR(100 * NeubergMp(4, 3, 7) / 12, 88.9, 0.05);
  EXPECT_NEAR(100 * NeubergMp(6, 4, 7) / 12, 93.8, 0.05);
  EXPECT_DOUBLE_EQ(NeubergMp(6, 4, 4), 6);

  // Ties share: 2 for each result beaten, 1 for each tied; a row of Multiplicity 2 ties itself.
  const std::vector<EntryDef> atTied = {{-50, 1}, {420, 2}, {450, 1}};
  EXPECT_EQ(MatchpointsNS(atTied), (std::vector<double>{0, 3, 6}));
}

TEST(Methods, CrossImps) {
  // 420 twice, 170 and -50: 420 gains 0 + 6 (250) + 10 (470), 170 loses 6 twice and gains 6.
  EXPECT_EQ(CrossImpsNS(Entries({420, 420, 170, -50})), (std::vector<int>{-26, -6, 16, 16}));
  EXPECT_EQ(CrossImpsNS(std::vector<EntryDef>{{170, 1}, {420, 2}}), (std::vector<int>{-12, 6}));
  EXPECT_TRUE(CrossImpsNS({}).empty());
}

TEST(Methods, ButlerDatum) {
  struct Case {
    std::vector<int> aScores;
    int Datum;
  };
  // Boards of two files of a scoring program ("IMP;Butler-2;Mean") and the datums they print.
  const Case atCases[] = {
      {{50, -50, -100}, -50},
      {{600, 300, -100}, 300},
      {{120, 50, -80, -80, -110, -140, -150, -150}, -90},     // -510 / 6 = -85
      {{110, 50, -110, -140, -140, -140, -140, -470}, -100},  // -620 / 6 = -103.3
      {{420, 400}, 410},                                      // nothing left out
      {{}, 0},
  };
  for (const Case& c : atCases)
    EXPECT_EQ(ButlerDatum(Entries(c.aScores)), c.Datum) << c.aScores.size();
  // Halves away from zero: -85 -> -90, -495 -> -500, -65 -> -70.
  EXPECT_EQ(RoundHalfAway(-85, 10), -9);
  EXPECT_EQ(RoundHalfAway(-495, 10), -50);
  EXPECT_EQ(RoundHalfAway(-65, 10), -7);
  EXPECT_EQ(RoundHalfAway(84, 10), 8);
  EXPECT_EQ(RoundHalfAway(85, 10), 9);
}

}  // namespace
}  // namespace scoring
