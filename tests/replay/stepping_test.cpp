// The step commands in every section: the forward and backward sequences, the section check
// boxes, repaint requests, the timer stop and the done state.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "replay/game_builder.h"
#include "replay/pbn_play.h"
#include "support/recording_host.h"

namespace {

using namespace pbn;
using namespace replay_test;
using testing_support::RecordingHost;

struct StepState {
  PbnSectionDef Section;
  int NrCalls;
  int NrCards;
  bool bTrick;
  bool bPlayDone;

  bool operator==(const StepState&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const StepState& tState) {
  static const char* const apcSections[] = {"IDENT", "AUCTION", "PLAY"};
  return Out << "{" << apcSections[tState.Section % 3] << " calls " << tState.NrCalls << " cards "
             << tState.NrCards << (tState.bTrick ? " trick" : "")
             << (tState.bPlayDone ? " done" : "") << "}";
}

StepState Now() {
  return StepState{tGameAdmin.Section, tGameAdmin.NrCalls, tGameAdmin.NrCards, tGameAdmin.bTrick,
                   tGameAdmin.bPlayDone};
}

int CardsInHands() {
  int NrCards = 0;
  for (const PbnHandDef& tHand : tGameAdmin.tDeal.tHands) {
    for (PbnRankDef Ranks : tHand.Ranks)
      NrCards += PbnRanksGetNumber(Ranks);
  }
  return NrCards;
}

PbnBoolDef InHand(const PbnPlayCardDef& tPlayCard) {
  return (tGameAdmin.tDeal.tHands[tPlayCard.Side].Ranks[tPlayCard.Card.Suit] &
          tPlayCard.Card.Rank) != 0;
}

class SteppingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer::InstallControlHost(&Host);
    tGameAdmin = PbnGameAdminDef{};
    PlaySetGamesLoaded(PBN_TRUE);
  }
  void TearDown() override {
    viewer::InstallControlHost(nullptr);
    PlaySetGamesLoaded(PBN_FALSE);
    tGameAdmin = PbnGameAdminDef{};
  }

  // Four calls; every hand holds one suit, East leads clubs in no trump for NrTricks tricks.
  void Load(int NrTricks) {
    tGame = EmptyGame();
    const std::string acAll = "AKQJT98765432";
    SetDeal(&tGame, acAll + "...", "." + acAll + "..", ".." + acAll + ".", "..." + acAll);
    tGame.tSituation.Dealer = PBN_NORTH;
    AddCall(&tGame, PBN_CALL_BID, 1, PBN_TRUMP_NT);
    for (int Pass = 0; Pass < 3; ++Pass)
      AddCall(&tGame, PBN_CALL_PASS);
    tGame.tContract = PbnContractDef{PBN_NORTH, 1, PBN_TRUMP_NT, PBN_RISK_NONE, PBN_FALSE};
    const char acSuitOf[] = "SHDC";
    for (int Trick = 0; Trick < NrTricks; ++Trick) {
      for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
        tGame.tPlay.atTricks[Trick].atCards[Side] = Card({acSuitOf[Side], acAll[Trick]});
      }
    }
    // What the game collection does when it loads a game.
    tGameAdmin.ptGameData = &tGame;
    tGameAdmin.Section = PBN_SECTION_IDENT;
    GameReset();
    PbnGetPlayCards(&tGame, tGameAdmin.aNrWonNS.data(), &tGameAdmin.NrPlayCards,
                    tGameAdmin.atPlayCards.data(), tGameAdmin.aacIllegals.data());
  }

  // Runs a command and checks that it asked for exactly one repaint of the table, and that
  // the section boxes show the section.
  void Step(void (*pCommand)()) {
    const int NrPaints = Host.PaintRequests();
    pCommand();
    EXPECT_EQ(Host.PaintRequests(), NrPaints + 1) << "after " << Now();
    EXPECT_EQ(Host.GetCheck(viewer::ID_AUCTION), tGameAdmin.Section == PBN_SECTION_AUCTION ? 1 : 0);
    EXPECT_EQ(Host.GetCheck(viewer::ID_PLAY), tGameAdmin.Section == PBN_SECTION_PLAY ? 1 : 0);
    EXPECT_EQ(CardsInHands(), 52 - tGameAdmin.NrCards) << "after " << Now();
  }

  void StepTo(PbnSectionDef Section) {
    while (tGameAdmin.Section != Section)
      PlayExec();
  }

  RecordingHost Host;
  PbnGameDataDef tGame{};
};

constexpr PbnSectionDef I = PBN_SECTION_IDENT;
constexpr PbnSectionDef A = PBN_SECTION_AUCTION;
constexpr PbnSectionDef P = PBN_SECTION_PLAY;

TEST_F(SteppingTest, ForwardSequenceAndItsExactReverse) {
  Load(2);
  const std::vector<StepState> atForward = {
      {I, 0, 0, false, false},                           // as loaded
      {A, 0, 0, false, false},                           // the auction, no call shown
      {A, 1, 0, false, false}, {A, 2, 0, false, false},  //
      {A, 3, 0, false, false}, {A, 4, 0, false, false},  // all calls
      {P, 4, 0, false, false},                           // the play, no card yet
      {P, 4, 1, false, false}, {P, 4, 2, false, false},  //
      {P, 4, 3, false, false}, {P, 4, 4, true, false},   // the first trick on the table
      {P, 4, 4, false, false},                           // cleared away
      {P, 4, 5, false, false}, {P, 4, 6, false, false},  //
      {P, 4, 7, false, false}, {P, 4, 8, true, false},   // the last trick on the table
      {P, 4, 8, false, false},                           // cleared away
      {P, 4, 8, false, true},                            // the play is done
  };
  viewer::TimerStart();
  ASSERT_EQ(viewer::TimerRunning(), viewer::MY_TIMER_ID);
  ASSERT_EQ(Now(), atForward[0]);
  for (size_t Ix = 1; Ix < atForward.size(); ++Ix) {
    EXPECT_EQ(Host.NrKillTimers(), 0) << "the timer runs until the play is done";
    Step(PlayExec);
    ASSERT_EQ(Now(), atForward[Ix]) << "forward step " << Ix;
  }
  EXPECT_EQ(Host.NrKillTimers(), 1);
  EXPECT_EQ(viewer::TimerRunning(), 0u);

  // Further ticks stay done.
  Step(PlayExec);
  EXPECT_EQ(Now(), atForward.back());

  for (size_t Ix = atForward.size() - 1; Ix > 0; --Ix) {
    Step(PlayBack);
    ASSERT_EQ(Now(), atForward[Ix - 1]) << "backward step " << Ix;
  }
  // In the identification section there is nothing to go back to.
  const int NrPaints = Host.PaintRequests();
  PlayBack();
  EXPECT_EQ(Now(), atForward[0]);
  EXPECT_EQ(Host.PaintRequests(), NrPaints);
}

TEST_F(SteppingTest, TheCardsPlayedLeaveTheHands) {
  Load(13);
  StepTo(P);
  int NrSteps = 0;
  while (!tGameAdmin.bPlayDone) {
    Step(PlayExec);
    ++NrSteps;
    if (tGameAdmin.NrCards > 0) {
      EXPECT_FALSE(InHand(tGameAdmin.atPlayCards[tGameAdmin.NrCards - 1]));
    }
    if (tGameAdmin.NrCards < tGameAdmin.NrPlayCards) {
      EXPECT_TRUE(InHand(tGameAdmin.atPlayCards[tGameAdmin.NrCards])) << Now();
    }
    ASSERT_LT(NrSteps, 100);
  }
  // 52 cards, 13 tricks cleared away, and the step that ends the play.
  EXPECT_EQ(NrSteps, 66);
  EXPECT_EQ(CardsInHands(), 0);
}

TEST_F(SteppingTest, TailThenBackLeavesDoneThenRestoresTheLastTrick) {
  Load(13);
  StepTo(P);
  Step(PlayTail);
  EXPECT_EQ(Now(), (StepState{P, 4, 52, false, true}));
  Step(PlayBack);
  EXPECT_EQ(Now(), (StepState{P, 4, 52, false, false}));
  Step(PlayBack);
  EXPECT_EQ(Now(), (StepState{P, 4, 52, true, false}));
  Step(PlayBack);
  EXPECT_EQ(Now(), (StepState{P, 4, 51, false, false}));
  EXPECT_EQ(CardsInHands(), 1);
  EXPECT_TRUE(InHand(tGameAdmin.atPlayCards[51]));

  // From the end the next forward step finds the play done and stops the timer.
  Step(PlayTail);
  viewer::TimerStart();
  Step(PlayExec);
  EXPECT_EQ(Now(), (StepState{P, 4, 52, false, true}));
  EXPECT_EQ(viewer::TimerRunning(), 0u);
}

TEST_F(SteppingTest, HeadAndTailStayInTheirSection) {
  Load(3);
  // The identification section has no start or end.
  const int NrPaints = Host.PaintRequests();
  PlayHead();
  PlayTail();
  EXPECT_EQ(Now(), (StepState{I, 0, 0, false, false}));
  EXPECT_EQ(Host.PaintRequests(), NrPaints);

  PlayExec();
  Step(PlayTail);
  EXPECT_EQ(Now(), (StepState{A, 4, 0, false, false}));
  Step(PlayHead);
  EXPECT_EQ(Now(), (StepState{A, 0, 0, false, false}));

  StepTo(P);
  for (int Ix = 0; Ix < 6; ++Ix)
    PlayExec();
  EXPECT_EQ(Now(), (StepState{P, 4, 5, false, false}));
  Step(PlayHead);
  // GameReset takes the calls back too; the play section stays.
  EXPECT_EQ(Now(), (StepState{P, 0, 0, false, false}));
  EXPECT_EQ(CardsInHands(), 52);
  Step(PlayTail);
  EXPECT_EQ(Now(), (StepState{P, 0, 12, false, true}));
  EXPECT_EQ(CardsInHands(), 40);
}

TEST_F(SteppingTest, BackLeavesTheSectionsAtTheirStart) {
  Load(1);
  StepTo(P);
  EXPECT_EQ(Now(), (StepState{P, 4, 0, false, false}));
  Step(PlayBack);  // to the end of the auction, all calls shown
  EXPECT_EQ(Now(), (StepState{A, 4, 0, false, false}));
  Step(PlayHead);
  Step(PlayBack);  // from the start of the auction out of both sections
  EXPECT_EQ(Now(), (StepState{I, 0, 0, false, false}));
  EXPECT_EQ(Host.GetCheck(viewer::ID_AUCTION), 0);
  EXPECT_EQ(Host.GetCheck(viewer::ID_PLAY), 0);
}

TEST_F(SteppingTest, GameWithoutPlayIsDoneAtOnce) {
  Load(0);
  EXPECT_EQ(tGameAdmin.NrPlayCards, 0);
  StepTo(P);
  viewer::TimerStart();
  Step(PlayExec);
  EXPECT_EQ(Now(), (StepState{P, 4, 0, false, true}));
  EXPECT_EQ(Host.NrKillTimers(), 1);
  Step(PlayHead);
  EXPECT_TRUE(tGameAdmin.bPlayDone);
  Step(PlayBack);  // leaves the done state
  EXPECT_EQ(Now(), (StepState{P, 0, 0, false, false}));
  Step(PlayBack);
  EXPECT_EQ(Now(), (StepState{A, 4, 0, false, false}));
}

TEST_F(SteppingTest, EndOfPlayWithoutARunningTimer) {
  Load(1);
  Host.bRefuseTimers = true;
  viewer::TimerStart();
  ASSERT_EQ(Host.MessageBoxes.size(), 1u);
  EXPECT_EQ(Host.MessageBoxes[0].Text, "No timers");
  EXPECT_EQ(viewer::TimerRunning(), 0u);
  StepTo(P);
  while (!tGameAdmin.bPlayDone)
    Step(PlayExec);
  EXPECT_EQ(Host.NrKillTimers(), 0);  // nothing to stop
  EXPECT_EQ(Now(), (StepState{P, 4, 4, false, true}));
}

TEST_F(SteppingTest, WithoutGamesTheCommandsDoNothing) {
  Load(2);
  StepTo(P);
  PlayExec();
  PlayExec();
  tGameAdmin.bPlayDone = PBN_TRUE;
  const StepState tBefore = Now();
  Host.ClearCalls();
  PlaySetGamesLoaded(PBN_FALSE);
  for (void (*pCommand)() : {PlayHead, PlayBack, PlayExec, PlayTail}) {
    pCommand();
    EXPECT_EQ(Now(), tBefore);
  }
  EXPECT_TRUE(Host.Invalidations.empty());
  EXPECT_TRUE(Host.CheckCalls.empty());
  EXPECT_TRUE(Host.TimerCalls.empty());

  // Nor do they act on a game whose records are missing.
  PlaySetGamesLoaded(PBN_TRUE);
  tGameAdmin.ptGameData = nullptr;
  for (void (*pCommand)() : {PlayHead, PlayBack, PlayExec, PlayTail})
    pCommand();
  EXPECT_EQ(Now(), tBefore);
  EXPECT_TRUE(Host.Invalidations.empty());
}

TEST_F(SteppingTest, StepsWorkWithoutAHost) {
  Load(1);
  viewer::InstallControlHost(nullptr);
  for (int Ix = 0; Ix < 12; ++Ix)
    PlayExec();
  EXPECT_TRUE(tGameAdmin.bPlayDone);
  PlayTail();
  PlayBack();
  SetHiddenSides();
  EXPECT_EQ(Now(), (StepState{P, 4, 4, false, false}));
}

TEST_F(SteppingTest, AuctionCountIsKeptInsideTheCallTable) {
  Load(1);
  tGame.tAuction.NrCalls = 200;  // a corrupt record
  PlayExec();
  Step(PlayTail);
  EXPECT_EQ(tGameAdmin.NrCalls, PBN_MAX_CALLS);
  Step(PlayExec);
  EXPECT_EQ(tGameAdmin.Section, P);
  Step(PlayBack);
  EXPECT_EQ(Now(), (StepState{A, PBN_MAX_CALLS, 0, false, false}));
}

TEST_F(SteppingTest, ResetKeepsSectionAndHiddenHands) {
  Load(2);
  StepTo(P);
  for (int Ix = 0; Ix < 5; ++Ix)
    PlayExec();
  tGameAdmin.abHiddenSide[PBN_EAST] = PBN_TRUE;
  tGameAdmin.NrTricks = 1;
  GameReset();
  EXPECT_EQ(Now(), (StepState{P, 0, 0, false, false}));
  EXPECT_EQ(tGameAdmin.NrTricks, 0);
  EXPECT_TRUE(tGameAdmin.abHiddenSide[PBN_EAST]);
  EXPECT_EQ(CardsInHands(), 52);

  // GameDeal follows NrCards, and ignores a count beyond the play.
  tGameAdmin.NrCards = 3;
  GameDeal();
  EXPECT_EQ(CardsInHands(), 49);
  tGameAdmin.NrCards = 100;
  GameDeal();
  EXPECT_EQ(CardsInHands(), 44);
}

TEST_F(SteppingTest, HiddenSidesSetTheirBoxes) {
  Load(0);
  tGameAdmin.abHiddenSide = {PBN_TRUE, PBN_FALSE, PBN_TRUE, PBN_FALSE};  // S, W, N, E
  Host.Checks[viewer::ID_HIDE_W] = 1;
  SetHiddenSides();
  EXPECT_EQ(Host.GetCheck(viewer::ID_HIDE_W), 0);
  EXPECT_EQ(Host.GetCheck(viewer::ID_HIDE_N), 1);
  EXPECT_EQ(Host.GetCheck(viewer::ID_HIDE_E), 0);
  EXPECT_EQ(Host.GetCheck(viewer::ID_HIDE_S), 1);
  EXPECT_EQ(Host.CheckCalls.size(), 4u);
  EXPECT_TRUE(Host.Invalidations.empty());
}

}  // namespace
