// The chronological play: leaders, trick winners, North-South tricks, lead and revoke marks,
// and cards that the record leaves unrecorded.
#include <gtest/gtest.h>

#include <string>

#include "replay/game_builder.h"
#include "replay/pbn_play.h"

namespace {

using namespace pbn;
using namespace replay_test;

struct Reconstruction {
  std::array<UInt8, PBN_N_TRICKS> aNrWonNS;
  Int8 NrPlayCards;
  std::array<PbnPlayCardDef, PBN_MAX_PLAY_CARDS + 1> atPlayCards;
  std::array<std::array<Int8, PBN_N_SIDES>, PBN_N_TRICKS> aacIllegals;

  // The sides of the entries in order, one letter each, a blank after every trick.
  std::string Sides() const {
    std::string acSides;
    for (int Entry = 0; Entry < NrPlayCards; ++Entry) {
      if (Entry > 0 && Entry % 4 == 0) acSides += ' ';
      acSides += "SWNE"[atPlayCards[Entry].Side % 4];
    }
    return acSides;
  }
  std::string Marks(int Trick) const {  // per side S, W, N, E; "." for none
    std::string acMarks;
    for (Int8 Mark : aacIllegals[Trick])
      acMarks += Mark != 0 ? static_cast<char>(Mark) : '.';
    return acMarks;
  }
  std::vector<int> WonNS(int NrTricks) const {
    return std::vector<int>(aNrWonNS.begin(), aNrWonNS.begin() + NrTricks);
  }
};

Reconstruction Reconstruct(const PbnGameDataDef* ptGame) {
  Reconstruction tResult;
  // Left-overs of an earlier game must not survive.
  tResult.aNrWonNS.fill(77);
  tResult.NrPlayCards = 99;
  tResult.atPlayCards.fill(PbnPlayCardDef{3, PbnCardDef{2, 0x0400}});
  for (auto& acMarks : tResult.aacIllegals)
    acMarks.fill('R');
  PbnGetPlayCards(ptGame, tResult.aNrWonNS.data(), &tResult.NrPlayCards, tResult.atPlayCards.data(),
                  tResult.aacIllegals.data());
  return tResult;
}

// A deal of three small suits, declarer South, so West leads first.
PbnGameDataDef ThreeTrickGame(PbnTrumpDef Trump) {
  PbnGameDataDef tGame = EmptyGame();
  SetDeal(&tGame, "A.5.2.", "2.A.3.", "K.3.A.", "3.4.4.");
  tGame.tContract.Declarer = PBN_SOUTH;
  tGame.tContract.Trump = Trump;
  SetTrick(&tGame, 0, PBN_WEST, {"HA", "H3", "H4", "H5"});   // West wins
  SetTrick(&tGame, 1, PBN_WEST, {"S2", "SK", "S3", "SA"});   // South wins
  SetTrick(&tGame, 2, PBN_SOUTH, {"D2", "D3", "DA", "D4"});  // North wins
  return tGame;
}

// Every hand holds one suit: South spades, West hearts, North diamonds, East clubs. The side
// on lead plays its cards from the ace down, the others discard from the top.
PbnGameDataDef OneSuitGame(PbnSideDef Declarer, PbnTrumpDef Trump, int NrTricks) {
  PbnGameDataDef tGame = EmptyGame();
  const std::string acAll = "AKQJT98765432";
  SetDeal(&tGame, acAll + "...", "." + acAll + "..", ".." + acAll + ".", "..." + acAll);
  tGame.tContract.Declarer = Declarer;
  tGame.tContract.Trump = Trump;
  const char acSuitOf[] = "SHDC";  // by side: South, West, North, East
  for (int Trick = 0; Trick < NrTricks; ++Trick) {
    for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
      tGame.tPlay.atTricks[Trick].atCards[Side] = Card({acSuitOf[Side], acAll[Trick]});
    }
  }
  return tGame;
}

TEST(PlayReconstruction, LeadersFollowTheTrickWinners) {
  const PbnGameDataDef tGame = ThreeTrickGame(PBN_TRUMP_NT);
  const Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.NrPlayCards, 12);
  EXPECT_EQ(tPlay.Sides(), "WNES WNES SWNE");
  EXPECT_EQ(tPlay.atPlayCards[12].Side, PBN_SIDE_NONE);
  EXPECT_EQ(tPlay.WonNS(13), (std::vector<int>{0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // The entries carry the cards as the record holds them.
  EXPECT_EQ(tPlay.atPlayCards[0].Card.Suit, PBN_HEARTS);
  EXPECT_EQ(tPlay.atPlayCards[0].Card.Rank, PBN_RANK_A);
  EXPECT_EQ(tPlay.atPlayCards[11].Card.Suit, PBN_DIAMONDS);
  EXPECT_EQ(tPlay.atPlayCards[11].Card.Rank, RankBit('4'));
  for (int Trick = 0; Trick < PBN_N_TRICKS; ++Trick)
    EXPECT_EQ(tPlay.Marks(Trick), "....");
}

TEST(PlayReconstruction, FirstLeaderIsTheSideAfterTheDeclarer) {
  for (const auto& [Declarer, acFirst] :
       std::vector<std::pair<PbnSideDef, char>>{{PBN_SOUTH, 'W'},
                                                {PBN_WEST, 'N'},
                                                {PBN_NORTH, 'E'},
                                                {PBN_EAST, 'S'},
                                                {PBN_SIDE_NOT_GIVEN, 'S'}}) {
    PbnGameDataDef tGame = OneSuitGame(Declarer, PBN_TRUMP_NT, 1);
    EXPECT_EQ(Reconstruct(&tGame).Sides()[0], acFirst) << "declarer " << int{Declarer};
  }
}

TEST(PlayReconstruction, TrumpsBeatTheLedSuitAndHigherTrumpsBeatTrumps) {
  // West leads the spade ace, North (void in spades) plays the heart two.
  PbnGameDataDef tGame = EmptyGame();
  SetDeal(&tGame, "3..2.", "A..3.", ".2.4.", "K..A.");
  tGame.tContract.Declarer = PBN_SOUTH;
  SetTrick(&tGame, 0, PBN_WEST, {"SA", "H2", "SK", "S3"});
  SetTrick(&tGame, 1, PBN_NORTH, {"D4", "DA", "D2", "D3"});

  tGame.tContract.Trump = PBN_HEARTS;  // the heart two takes the trick; North leads next
  Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.WonNS(2), (std::vector<int>{1, 1}));
  EXPECT_EQ(tPlay.Sides(), "WNES NESW");

  for (PbnTrumpDef Trump : {PBN_TRUMP_NT, PBN_TRUMP_NOT_GIVEN, PBN_TRUMP_PASS, PBN_SPADES}) {
    tGame.tContract.Trump = Trump;  // the spade ace holds; West leads next
    SetTrick(&tGame, 1, PBN_WEST, {"D3", "D4", "DA", "D2"});
    tPlay = Reconstruct(&tGame);
    EXPECT_EQ(tPlay.WonNS(1), (std::vector<int>{0})) << "trump " << int{Trump};
    EXPECT_EQ(tPlay.Sides().substr(5), "WNES") << "trump " << int{Trump};
  }

  // East over-ruffs North.
  PbnGameDataDef tOverruff = EmptyGame();
  SetDeal(&tOverruff, "3..2.", "A..3.", ".2.4.", ".5.A.");
  tOverruff.tContract.Declarer = PBN_SOUTH;
  tOverruff.tContract.Trump = PBN_HEARTS;
  SetTrick(&tOverruff, 0, PBN_WEST, {"SA", "H2", "H5", "S3"});
  SetTrick(&tOverruff, 1, PBN_EAST, {"DA", "D2", "D3", "D4"});
  tPlay = Reconstruct(&tOverruff);
  EXPECT_EQ(tPlay.Sides(), "WNES ESWN");
  EXPECT_EQ(tPlay.WonNS(2), (std::vector<int>{0, 0}));
}

TEST(PlayReconstruction, ThirteenTricksCountedForNorthSouth) {
  // East leads clubs in no trump and keeps every trick.
  PbnGameDataDef tGame = OneSuitGame(PBN_NORTH, PBN_TRUMP_NT, 13);
  Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.NrPlayCards, 52);
  EXPECT_EQ(tPlay.atPlayCards[52].Side, PBN_SIDE_NONE);
  EXPECT_EQ(tPlay.WonNS(13), std::vector<int>(13, 0));
  for (int Trick = 0; Trick < PBN_N_TRICKS; ++Trick)
    EXPECT_EQ(tPlay.Marks(Trick), "....");

  // With spades trumps South ruffs the first club and then runs the spades.
  tGame.tContract.Trump = PBN_SPADES;
  tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.WonNS(13), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(tPlay.Sides().substr(0, 9), "ESWN SWNE");
}

TEST(PlayReconstruction, LeadOutOfTurnStartsTheTrickAndIsMarked) {
  PbnGameDataDef tGame = ThreeTrickGame(PBN_TRUMP_NT);
  // West won the first trick, but East led the second out of turn.
  SetTrick(&tGame, 1, PBN_EAST, {"S3", "SA", "S2", "SK"});
  tGame.tPlay.aFirsts[1] = PBN_EAST;
  const Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.Sides(), "WNES ESWN SWNE");
  EXPECT_EQ(tPlay.Marks(0), "....");
  EXPECT_EQ(tPlay.Marks(1), "...L");
  EXPECT_EQ(tPlay.Marks(2), "....");
  EXPECT_EQ(tPlay.WonNS(3), (std::vector<int>{0, 1, 2}));
}

TEST(PlayReconstruction, LeadRecordOutsideTheSidesIsIgnored) {
  PbnGameDataDef tGame = ThreeTrickGame(PBN_TRUMP_NT);
  tGame.tPlay.aFirsts[1] = 9;
  tGame.tPlay.aFirsts[2] = PBN_SIDE_NOT_GIVEN;
  const Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.Sides(), "WNES WNES SWNE");
  EXPECT_EQ(tPlay.Marks(1), "....");
  EXPECT_EQ(tPlay.Marks(2), "....");
}

TEST(PlayReconstruction, RevokesAreJudgedByTheDeal) {
  PbnGameDataDef tGame = EmptyGame();
  // North holds a heart; East's hand is not given; South has no heart.
  SetDeal(&tGame, "3..2.", "2.A..", "A.3..", "-");
  tGame.tContract.Declarer = PBN_SOUTH;
  tGame.tContract.Trump = PBN_TRUMP_NT;
  SetTrick(&tGame, 0, PBN_WEST, {"HA", "SA", "SK", "D2"});
  // North has played its only spade: showing a heart on a spade lead is no revoke.
  SetTrick(&tGame, 1, PBN_WEST, {"S2", "H3", "CQ", "S3"});
  const Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.Marks(0), "..R.");
  EXPECT_EQ(tPlay.Marks(1), "....");
  EXPECT_EQ(tPlay.WonNS(2), (std::vector<int>{0, 1}));  // the spade three beats the two
}

TEST(PlayReconstruction, RevokeMarkNeedsTheLedSuitStillInHand) {
  // South holds two hearts; after following once it still holds one.
  PbnGameDataDef tGame = EmptyGame();
  SetDeal(&tGame, ".54.2.", ".AK..", ".Q.A.", ".J..2");
  tGame.tContract.Declarer = PBN_SOUTH;
  tGame.tContract.Trump = PBN_TRUMP_NT;
  SetTrick(&tGame, 0, PBN_WEST, {"HA", "HQ", "HJ", "H4"});
  SetTrick(&tGame, 1, PBN_WEST, {"HK", "DA", "C2", "D2"});
  const Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.Marks(0), "....");
  // North and East have no heart left; South still has the five.
  EXPECT_EQ(tPlay.Marks(1), "R...");
}

TEST(PlayReconstruction, CardsTheDealDoesNotGiveMakeNoLaterRevokes) {
  // South shows a heart it was never dealt while it still holds a diamond; later, with no
  // heart in its hand, it discards on a heart lead.
  PbnGameDataDef tGame = EmptyGame();
  SetDeal(&tGame, "A..2.", "2..3.", "K..4.", "3..5.");
  tGame.tContract.Declarer = PBN_SOUTH;
  tGame.tContract.Trump = PBN_TRUMP_NT;
  SetTrick(&tGame, 0, PBN_WEST, {"D3", "D4", "D5", "HA"});
  SetTrick(&tGame, 1, PBN_EAST, {"HK", "SA", "S2", "SK"});
  const Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.Sides(), "WNES ESWN");
  EXPECT_EQ(tPlay.Marks(0), "R...");
  EXPECT_EQ(tPlay.Marks(1), "....");
}

TEST(PlayReconstruction, ClaimAfterNineTricksWithUnrecordedCards) {
  // North leads diamonds in no trump and wins every trick it plays.
  PbnGameDataDef tGame = OneSuitGame(PBN_WEST, PBN_TRUMP_NT, 9);
  SetTrick(&tGame, 9, PBN_NORTH, {"-", "-", "-", "-"});
  Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.NrPlayCards, 40);
  EXPECT_EQ(tPlay.atPlayCards[40].Side, PBN_SIDE_NONE);
  EXPECT_EQ(tPlay.Sides().substr(45), "NESW");
  for (int Entry = 36; Entry < 40; ++Entry) {
    EXPECT_EQ(tPlay.atPlayCards[Entry].Card.Suit, PBN_SUIT_NO_CARD);
  }
  // The unrecorded cards win nothing.
  EXPECT_EQ(tPlay.WonNS(10), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 9}));
  EXPECT_EQ(tPlay.Marks(9), "....");

  // With the lead recorded the trick is the leader's; the others take nothing.
  SetTrick(&tGame, 9, PBN_NORTH, {"D4", "-", "-", "-"});
  tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.NrPlayCards, 40);
  EXPECT_EQ(tPlay.aNrWonNS[9], 10);
}

TEST(PlayReconstruction, TrickWithoutALeadCardIsTakenOnlyByATrump) {
  PbnGameDataDef tGame = EmptyGame();
  SetDeal(&tGame, ".3.2.", ".2.3.", ".K.A.", ".4.4.");
  tGame.tContract.Declarer = PBN_SOUTH;
  tGame.tContract.Trump = PBN_TRUMP_NT;
  // West's lead is unrecorded; South discards a diamond although it holds a heart.
  SetTrick(&tGame, 0, PBN_WEST, {"-", "HK", "H4", "D2"});
  SetTrick(&tGame, 1, PBN_WEST, {"D3", "DA", "D4", "H3"});
  Reconstruction tPlay = Reconstruct(&tGame);
  // No card took the first trick: it counts for nobody and West leads again; without a led
  // suit nothing is judged a revoke.
  EXPECT_EQ(tPlay.Sides(), "WNES WNES");
  EXPECT_EQ(tPlay.WonNS(2), (std::vector<int>{0, 1}));
  EXPECT_EQ(tPlay.Marks(0), "....");
  EXPECT_EQ(tPlay.Marks(1), "....");

  // A place that the record never filled behaves the same.
  SetTrick(&tGame, 0, PBN_WEST, {"", "HK", "H4", "D2"});
  tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.WonNS(2), (std::vector<int>{0, 1}));

  // In hearts North's king is a trump and takes the trick.
  tGame.tContract.Trump = PBN_HEARTS;
  SetTrick(&tGame, 0, PBN_WEST, {"-", "HK", "H4", "H3"});
  SetTrick(&tGame, 1, PBN_NORTH, {"DA", "D4", "D2", "D3"});
  tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.Sides(), "WNES NESW");
  EXPECT_EQ(tPlay.WonNS(2), (std::vector<int>{1, 2}));
}

TEST(PlayReconstruction, PlayEndsAtTheFirstTrickWithoutCards) {
  PbnGameDataDef tGame = ThreeTrickGame(PBN_TRUMP_NT);
  tGame.tPlay.atTricks[1] = PbnTrickDef{};  // a gap: the third trick is not looked at
  Reconstruction tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.NrPlayCards, 4);
  EXPECT_EQ(tPlay.atPlayCards[4].Side, PBN_SIDE_NONE);
  EXPECT_EQ(tPlay.WonNS(13), std::vector<int>(13, 0));
  EXPECT_EQ(tPlay.Marks(2), "....");

  // An incomplete trick still gives four entries.
  tGame = ThreeTrickGame(PBN_TRUMP_NT);
  tGame.tPlay.atTricks[2] = PbnTrickDef{};
  SetTrick(&tGame, 2, PBN_SOUTH, {"D2", "D3"});
  tPlay = Reconstruct(&tGame);
  EXPECT_EQ(tPlay.NrPlayCards, 12);
  EXPECT_EQ(tPlay.Sides(), "WNES WNES SWNE");
  EXPECT_EQ(tPlay.WonNS(3), (std::vector<int>{0, 1, 1}));  // West's three wins

  const PbnGameDataDef tNoPlay = EmptyGame();
  tPlay = Reconstruct(&tNoPlay);
  EXPECT_EQ(tPlay.NrPlayCards, 0);
  EXPECT_EQ(tPlay.atPlayCards[0].Side, PBN_SIDE_NONE);
  for (int Trick = 0; Trick < PBN_N_TRICKS; ++Trick)
    EXPECT_EQ(tPlay.Marks(Trick), "....");

  tPlay = Reconstruct(nullptr);  // no game on display
  EXPECT_EQ(tPlay.NrPlayCards, 0);
  EXPECT_EQ(tPlay.atPlayCards[0].Side, PBN_SIDE_NONE);
}

}  // namespace
