// Double-dummy tables, par and card values for deals whose answers can be checked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "analysis/dd.h"
#include "core/score.h"
#include "replay/pbn_play.h"
#include "support/test_support.h"

namespace {

using namespace pbn;
using analysis::DdTableDef;

PbnGameDataDef Imported(const std::string& Deal, const std::string& Extra = "") {
  const auto tResult = testing_support::ImportText("[Dealer \"N\"]\n[Vulnerable \"None\"]\n" +
                                                   ("[Deal \"" + Deal + "\"]\n") + Extra);
  EXPECT_EQ(tResult.Error, PBN_ERR_OK) << tResult.Log;
  return tResult.tGameData;
}

analysis::DealAnalysisDef Analysed(const PbnGameDataDef& tData, PbnVulnerDef Vulner = 0) {
  return analysis::AnalyseDeal({tData.tDeal, tData.tSituation.Dealer, Vulner});
}

// Rows N, E, S, W; columns NT, S, H, D, C, as a reader writes a table.
void ExpectTable(const DdTableDef& aaTricks, const int (&aaExpected)[4][5]) {
  constexpr PbnSideDef aSides[4] = {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST};
  constexpr int aTrumps[5] = {PBN_TRUMP_NT, PBN_SPADES, PBN_HEARTS, PBN_DIAMONDS, PBN_CLUBS};
  for (int Row = 0; Row < 4; ++Row) {
    for (int Column = 0; Column < 5; ++Column) {
      EXPECT_EQ(aaTricks[aSides[Row]][aTrumps[Column]], aaExpected[Row][Column])
          << "declarer "
          << "NESW"[Row] << ", strain " << Column;
    }
  }
}

// North all spades, East all hearts, South all diamonds, West all clubs: a side with trumps
// ruffs the lead and takes every trick; in no trump the leader runs its suit.
constexpr const char* kOneSuitEach =
    "N:AKQJT98765432... .AKQJT98765432.. ..AKQJT98765432. ...AKQJT98765432";

TEST(DoubleDummy, OneSuitPerHandPutsEachSideAndStrainInItsPlace) {
  const auto tAnalysis = Analysed(Imported(kOneSuitEach));
  ASSERT_EQ(tAnalysis.Error, "");
  ExpectTable(tAnalysis.aaTricks, {{0, 13, 0, 13, 0},    // N
                                   {0, 0, 13, 0, 13},    // E
                                   {0, 13, 0, 13, 0},    // S
                                   {0, 0, 13, 0, 13}});  // W
}

// North holds the four top cards of spades, hearts and diamonds and the club ace; the others
// hold three cards of each of those suits: par is North-South's grand slam in no trump.
constexpr const char* kTopCards =
    "N:AKQJ.AKQJ.AKQJ.A T98.T98.T98.KQJT 765.765.765.9876 432.432.432.5432";

TEST(DoubleDummy, ParFollowsTheVulnerability) {
  const auto tAnalysis = Analysed(Imported(kTopCards));
  ASSERT_EQ(tAnalysis.Error, "");
  const struct {
    PbnVulnerDef Vulner;
    PbnSideDef Dealer;
    std::string Score;
  } atCases[] = {{PBN_VULNER_NONE, PBN_NORTH, "NS 1520"},
                 {PBN_VULNER_NS, PBN_EAST, "NS 2220"},
                 {PBN_VULNER_EW, PBN_SOUTH, "NS 1520"},
                 {PBN_VULNER_ALL, PBN_WEST, "NS 2220"},
                 {PBN_VULNER_NS, PBN_SIDE_UNKNOWN, "NS 2220"}};
  for (const auto& tCase : atCases) {
    const auto tPar = analysis::ComputePar(tAnalysis.aaTricks, tCase.Dealer, tCase.Vulner);
    EXPECT_EQ(tPar.Error, "");
    EXPECT_EQ(ScoreText(tPar.Score), tCase.Score);
    EXPECT_EQ(tPar.Contracts, std::vector<std::string>{"7NT by NS"});
  }
  EXPECT_NE(analysis::ComputePar(tAnalysis.aaTricks, PBN_NORTH, PBN_VULNER_UNKNOWN).Error, "");
}

// The cards of a hand, suit by suit.
std::vector<PbnCardDef> CardsOf(const PbnHandDef& tHand) {
  std::vector<PbnCardDef> atCards;
  for (int Suit = 0; Suit < PBN_N_SUITS; Suit++) {
    for (PbnRankDef Rank = PBN_RANK_2; Rank <= PBN_RANK_A;
         Rank = static_cast<PbnRankDef>(Rank << 1))
      if (tHand.Ranks[Suit] & Rank) atCards.push_back({static_cast<PbnSuitDef>(Suit), Rank});
  }
  return atCards;
}

// Card First of hand Side and card Second of the hand after it change places.
void SwapCards(PbnDealDef* ptDeal, PbnSideDef Side, int First, int Second) {
  PbnHandDef& tHand = ptDeal->tHands[Side];
  PbnHandDef& tNext = ptDeal->tHands[PbnNextSide(Side)];
  const PbnCardDef tGiven = CardsOf(tHand)[First % 13];
  const PbnCardDef tTaken = CardsOf(tNext)[Second % 13];
  tHand.Ranks[tGiven.Suit] ^= tGiven.Rank;
  tNext.Ranks[tGiven.Suit] ^= tGiven.Rank;
  tNext.Ranks[tTaken.Suit] ^= tTaken.Rank;
  tHand.Ranks[tTaken.Suit] ^= tTaken.Rank;
}

// More deals than one library batch holds, each with a table of its own, and one the solver
// refuses among them: each gets the table of the single call, in its place. The deals are one
// quick to solve with a card of North and one of South given to the next hand for another.
TEST(DoubleDummy, BatchCallsGiveEachDealItsOwnTable) {
  const PbnDealDef tBase = Imported(kTopCards).tDeal;
  std::vector<analysis::DealInputDef> atInputs;
  for (int Deal = 0; Deal < 48; Deal++) {
    PbnDealDef tDeal = tBase;
    SwapCards(&tDeal, PBN_NORTH, Deal, 3 * Deal);
    SwapCards(&tDeal, PBN_SOUTH, Deal / 4, 5 * Deal);
    atInputs.push_back({tDeal, PBN_NORTH, PBN_VULNER_NONE});
  }
  PbnDealDef tRefused = tBase;
  tRefused.tHands[PBN_EAST].Ranks = {};
  atInputs.insert(atInputs.begin() + 17, {tRefused, PBN_NORTH, PBN_VULNER_NONE});
  const auto atBatch = analysis::AnalyseDeals(atInputs);
  ASSERT_EQ(atBatch.size(), atInputs.size());
  std::set<DdTableDef> aaTables;
  for (std::size_t i = 0; i < atBatch.size(); i++) {
    const auto tSingle = analysis::AnalyseDeal(atInputs[i]);
    EXPECT_EQ(atBatch[i].Error, tSingle.Error) << i;
    EXPECT_EQ(atBatch[i].aaTricks, tSingle.aaTricks) << i;
    if (tSingle.Error.empty()) aaTables.insert(tSingle.aaTricks);
  }
  EXPECT_EQ(atBatch[17].Error, "East's hand is not given");
  EXPECT_GT(aaTables.size(), 40u) << "the deals must differ in their tables";
}

TEST(DoubleDummy, RefusesDealsItCannotSolve) {
  const PbnDealDef tFull = Imported(testing_support::kTestDeal).tDeal;
  const struct {
    void (*Change)(PbnDealDef&);
    const char* Reason;
  } atCases[] = {
      {[](PbnDealDef& t) { t.tHands[PBN_EAST].Ranks = {}; }, "East's hand is not given"},
      {[](PbnDealDef& t) { t.tHands[PBN_WEST].Ranks[0] |= PBN_RANK_X; },
       "West has cards of unknown rank"},
      {[](PbnDealDef& t) { t.tHands[PBN_NORTH].Ranks[PBN_SPADES] = PBN_RANK_A; },
       "the deal has fewer than 52 cards"},
      {[](PbnDealDef& t) { t.tHands[PBN_SOUTH].Ranks[PBN_HEARTS] |= PBN_RANK_A; },
       "the deal gives a card twice"},
  };
  for (const auto& tCase : atCases) {
    PbnDealDef tDeal = tFull;
    tCase.Change(tDeal);
    const auto tAnalysis = analysis::AnalyseDeal({tDeal, PBN_NORTH, PBN_VULNER_NONE});
    EXPECT_EQ(tAnalysis.Error, tCase.Reason);
    EXPECT_EQ(analysis::AnalysePlay(tDeal, {}, nullptr, 0).Error, tCase.Reason);
  }
}

// Along the showcase play (4S by South) the best card of the side to play keeps what the
// table promised at the start, and each position offers exactly the legal cards.
TEST(DoubleDummy, CardValuesDuringThePlay) {
  const auto tResult = testing_support::ImportText(
      testing_support::ReadFile(KARVELON_SOURCE_DIR "/examples/showcase.pbn"));
  const PbnGameDataDef& tData = tResult.tGameData;
  std::array<UInt8, PBN_N_TRICKS> aWon{};
  Int8 NrPlayCards = 0;
  std::array<PbnPlayCardDef, PBN_MAX_PLAY_CARDS + 1> atCards{};
  std::array<std::array<Int8, PBN_N_SIDES>, PBN_N_TRICKS> aacIllegals{};
  PbnGetPlayCards(&tData, aWon.data(), &NrPlayCards, atCards.data(), aacIllegals.data());
  ASSERT_EQ(NrPlayCards, 52);
  const int Declared = Analysed(tData).aaTricks[PBN_SOUTH][PBN_SPADES];

  const auto tStart = analysis::AnalysePlay(tData.tDeal, tData.tContract, atCards.data(), 0);
  ASSERT_EQ(tStart.Error, "");
  EXPECT_EQ(tStart.ToPlay, PBN_WEST);
  EXPECT_EQ(tStart.atCards.size(), 13u);
  int Best = 0;
  for (const auto& tCard : tStart.atCards)
    Best = std::max(Best, tCard.Tricks);
  EXPECT_EQ(Best, 13 - Declared);

  // After the lead of the spade jack North must follow with one of the ace and king.
  const auto tSecond = analysis::AnalysePlay(tData.tDeal, tData.tContract, atCards.data(), 1);
  EXPECT_EQ(tSecond.ToPlay, PBN_NORTH);
  ASSERT_EQ(tSecond.atCards.size(), 2u);
  EXPECT_EQ(tSecond.atCards[0].Card.Rank, PBN_RANK_A);
  EXPECT_EQ(tSecond.atCards[1].Card.Rank, PBN_RANK_A >> 1);
  EXPECT_TRUE(
      analysis::AnalysePlay(tData.tDeal, tData.tContract, atCards.data(), 52).atCards.empty());
}

TEST(DoubleDummy, ComparisonWithTheFilesTableMarksOnlyDisagreements) {
  DdTableDef aaSolver{};
  aaSolver[PBN_NORTH][PBN_TRUMP_NT] = 9;
  DdTableDef aaFile = aaSolver;
  aaFile[PBN_EAST][PBN_CLUBS] = 4;
  analysis::DdMarksDef aaMarks{};
  aaMarks[PBN_EAST][PBN_CLUBS] = true;
  EXPECT_EQ(analysis::CompareTables(aaSolver, aaFile), aaMarks);
  EXPECT_EQ(analysis::CompareTables(aaSolver, std::nullopt), analysis::DdMarksDef{});
  // A file's OptimumResultTable as the 2.1 reading stores it: its cells by declarer and strain,
  // whatever the order of its columns; the cells it leaves out (or gives as "?") are the solver's.
  PbnImportOptionsDef t21;
  t21.Standard = PBN_STANDARD_2_1;
  PbnImportSetOptions(t21);
  const auto ptTags = testing_support::MakeTags();
  const auto tResult = testing_support::ImportText(
      "[Event \"\"]\n[OptimumResultTable \"Result\\2R;Declarer;Denomination\\2R\"]\n"
      "9 N NT\n4 e  c\n? W  S\n",
      0, ptTags.get());
  PbnImportSetOptions({});
  ASSERT_EQ(tResult.Error, PBN_ERR_OK) << tResult.Log;
  EXPECT_EQ(analysis::FileOptimumTable(*ptTags, aaSolver), aaFile);
  EXPECT_EQ(analysis::FileOptimumTable(*testing_support::MakeTags(), aaSolver), std::nullopt);
}

}  // namespace
