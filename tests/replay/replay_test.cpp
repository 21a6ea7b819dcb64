// The replay model: the reconstruction of the play, the step commands in every section, and the
// annotation layout with how far it is revealed.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/tags.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_diagram.h"
#include "replay/pbn_play.h"
#include "support/recording_host.h"

namespace {

using namespace pbn;
using namespace std::string_literals;

// "SA", "H7", "Dx", "S?"; "-" is the card place without a card; "" a place never filled.
PbnCardDef Card(const std::string& acCard) {
  if (acCard.empty()) return PbnCardDef{0, 0};
  if (acCard == "-") return PbnCardDef{PBN_SUIT_NO_CARD, PBN_RANK_UNKNOWN};
  return PbnCardDef{static_cast<PbnSuitDef>(std::string("CDHS").find(acCard[0])),
                    static_cast<PbnRankDef>(1 << std::string("x23456789TJQKA-?").find(acCard[1]))};
}

// A game as the importer leaves it, no lead out of turn; the cards by side: {"SA H7", "D2", ...}.
PbnGameDataDef Game(PbnSideDef Declarer, PbnTrumpDef Trump,
                    const std::array<std::string, PBN_N_SIDES>& aHands = {}) {
  PbnGameDataDef tGame{};
  tGame.tContract = PbnContractDef{Declarer, 0, Trump, PBN_RISK_UNKNOWN, PBN_FALSE};
  tGame.tPlay.aFirsts.fill(PBN_SIDE_NONE);
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    std::istringstream Cards(aHands[Side]);
    for (std::string acCard; Cards >> acCard;)
      tGame.tDeal.tHands[Side].Ranks[Card(acCard).Suit] |= Card(acCard).Rank;
  }
  return tGame;
}

// A trick in playing order from First; each card goes to the side that played it.
void SetTrick(PbnGameDataDef* ptGame, int Trick, PbnSideDef First,
              const std::array<const char*, PBN_N_SIDES>& Cards) {
  for (const char* pcCard : Cards) {
    ptGame->tPlay.atTricks[Trick].atCards[First] = Card(pcCard);
    First = PbnNextSide(First);
  }
}

// One suit a hand (South spades, ..., East clubs), played from the top for NrTricks tricks.
PbnGameDataDef OneSuitGame(PbnSideDef Declarer, PbnTrumpDef Trump, int NrTricks) {
  PbnGameDataDef tGame = Game(Declarer, Trump);
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    tGame.tDeal.tHands[Side].Ranks[PBN_SPADES - Side] = PBN_RANKS_ALL;
    for (int Trick = 0; Trick < NrTricks; ++Trick)
      tGame.tPlay.atTricks[Trick].atCards[Side] = Card({"SHDC"[Side], "AKQJT98765432"[Trick]});
  }
  return tGame;
}

// Reconstructs the play into tGameAdmin, as the game collection does, over an earlier game's.
void Reconstruct(const PbnGameDataDef* ptGame) {
  std::memset(&tGameAdmin.aNrWonNS, 77, sizeof tGameAdmin.aNrWonNS);
  std::memset(&tGameAdmin.aacIllegals, 'R', sizeof tGameAdmin.aacIllegals);
  PbnGetPlayCards(ptGame, tGameAdmin.aNrWonNS.data(), &tGameAdmin.NrPlayCards,
                  tGameAdmin.atPlayCards.data(), tGameAdmin.aacIllegals.data());
}

// Per trick the sides in playing order (lower case: no card), the marks by side S, W, N, E if any
// and North-South's tricks so far: "WNES 0, ESWN ...L 1". Checks that the entries end with Side 6
// and that no record of an earlier game survives beyond the play.
std::string Play(const PbnGameDataDef* ptGame) {
  Reconstruct(ptGame);
  EXPECT_EQ(tGameAdmin.atPlayCards[tGameAdmin.NrPlayCards].Side, PBN_SIDE_NONE);
  std::string acPlay;
  for (int Trick = 0; Trick < PBN_N_TRICKS; ++Trick) {
    std::string acMarks;
    for (Int8 Mark : tGameAdmin.aacIllegals[Trick])
      acMarks += Mark != 0 ? static_cast<char>(Mark) : '.';
    const std::string acWon = std::to_string(tGameAdmin.aNrWonNS[Trick]);
    if (Trick * 4 >= tGameAdmin.NrPlayCards) {
      EXPECT_EQ(acMarks + acWon, "....0") << "trick " << Trick << " not played";
      continue;
    }
    acPlay += Trick > 0 ? ", " : "";
    for (const PbnPlayCardDef& tEntry : std::span(tGameAdmin.atPlayCards).subspan(Trick * 4, 4))
      acPlay += (PbnCardIsReal(tEntry.Card) ? "SWNE" : "swne")[tEntry.Side % 4];
    acPlay += (acMarks == "...." ? "" : " " + acMarks) + " " + acWon;
  }
  return acPlay;
}

TEST(PlayReconstruction, LeadersAndTrickWinners) {
  // The first trick from its leader on; a second trick without cards shows who won it.
  using Case = std::tuple<PbnSideDef, PbnTrumpDef, std::array<const char*, 4>, const char*>;
  const Case atCases[] = {
      // The side after the declarer leads, South if none is given; a lone card wins.
      {PBN_EAST, PBN_TRUMP_NT, {"SA", "-", "-", "-"}, "Swne 1, swne 1"},
      {PBN_SIDE_NOT_GIVEN, PBN_TRUMP_NT, {"SA", "-", "-", "-"}, "Swne 1, swne 1"},
      // North leads.
      {PBN_WEST, PBN_HEARTS, {"SA", "H2", "SK", "S3"}, "NESW 0, eswn 0"},    // a low trump wins
      {PBN_WEST, PBN_HEARTS, {"SA", "H2", "H5", "H3"}, "NESW 1, swne 1"},    // the highest one
      {PBN_WEST, PBN_TRUMP_NT, {"S2", "HA", "S3", "DK"}, "NESW 1, swne 1"},  // or of the led suit
      {PBN_WEST, PBN_TRUMP_NT, {"-", "HK", "H4", "D2"}, "nESW 0, nesw 0"},   // no lead, no winner
      {PBN_WEST, PBN_HEARTS, {"", "D2", "H4", "DA"}, "nESW 0, nesw 0"},      // not even a trump
  };
  for (const auto& [Declarer, Trump, Cards, pcPlay] : atCases) {
    PbnGameDataDef tGame = Game(Declarer, Trump);
    SetTrick(&tGame, 0, PbnNextSide(Declarer), Cards);
    SetTrick(&tGame, 1, PBN_SOUTH, {"-", "-", "-", "-"});
    EXPECT_EQ(Play(&tGame), pcPlay);
  }
}

TEST(PlayReconstruction, LeadOutOfTurnAndRevokes) {
  // West won the first trick, but East leads the second; a lead record of no side is ignored.
  PbnGameDataDef tGame = Game(PBN_SOUTH, PBN_TRUMP_NT);
  SetTrick(&tGame, 0, PBN_WEST, {"HA", "H3", "H4", "H5"});
  SetTrick(&tGame, 1, PBN_EAST, {"S3", "SA", "S2", "SK"});
  SetTrick(&tGame, 2, PBN_SOUTH, {"D2", "D3", "DA", "D4"});
  tGame.tPlay.aFirsts[1] = PBN_EAST;
  tGame.tPlay.aFirsts[2] = 9;
  EXPECT_EQ(Play(&tGame), "WNES 0, ESWN ...L 1, SWNE 2");

  // A revoke is judged by what the hand still holds; the deal leaves East's hand empty.
  tGame = Game(PBN_SOUTH, PBN_TRUMP_NT, {"S3 H5 H4", "S2 HA HK", "SA H3 D4", ""});
  SetTrick(&tGame, 0, PBN_WEST, {"HA", "SA", "C2", "H5"});  // North still holds a heart
  SetTrick(&tGame, 1, PBN_WEST, {"HK", "H3", "C3", "S3"});  // so does South
  SetTrick(&tGame, 2, PBN_WEST, {"S2", "C9", "C4", "H4"});  // no spade left; a club not dealt
  SetTrick(&tGame, 3, PBN_WEST, {"CA", "D4", "C5", "-"});   // North holds no club all the same
  EXPECT_EQ(Play(&tGame), "WNES ..R. 0, WNES R... 0, WNES 0, WNEs 0");
}

TEST(PlayReconstruction, FullPlayAndClaim) {
  PbnGameDataDef tGame = OneSuitGame(PBN_NORTH, PBN_SPADES, 13);  // South ruffs, runs spades
  std::string acPlay = "ESWN 1";
  for (int Trick = 2; Trick <= 13; ++Trick)
    acPlay += ", SWNE " + std::to_string(Trick);
  EXPECT_EQ(Play(&tGame), acPlay);

  tGame = OneSuitGame(PBN_WEST, PBN_TRUMP_NT, 9);             // North leads and wins every trick
  SetTrick(&tGame, 9, PBN_NORTH, {"-", "-", "-", "-"});       // and claims the rest
  SetTrick(&tGame, 11, PBN_NORTH, {"D2", "C2", "S2", "H2"});  // after a trick without cards
  EXPECT_EQ(Play(&tGame),
            "NESW 1, NESW 2, NESW 3, NESW 4, NESW 5, NESW 6, NESW 7, NESW 8, NESW 9, nesw 9");
  EXPECT_EQ(tGameAdmin.NrPlayCards, 40);
  EXPECT_EQ(Play(nullptr), "");  // no game on display
}

// Section I, A or P, calls shown "/" cards played, "T" a trick on the table, "D" done: "P4/8T".
std::string Now() {
  return "IAP"[tGameAdmin.Section % 3] + std::to_string(tGameAdmin.NrCalls) + "/" +
         std::to_string(tGameAdmin.NrCards) + (tGameAdmin.bTrick ? "T" : "") +
         (tGameAdmin.bPlayDone ? "D" : "");
}

class Stepping : public ::testing::Test {
 protected:
  // 1NT by North, three passes; East leads clubs. Loaded as the game collection does it.
  void Load(int NrTricks) {
    tGame = OneSuitGame(PBN_NORTH, PBN_TRUMP_NT, NrTricks);
    tGame.tAuction = PbnAuctionDef{4, {{{PBN_NORTH, PBN_CALL_BID, 1, PBN_TRUMP_NT}}}};
    tGameAdmin = PbnGameAdminDef{};
    tGameAdmin.ptGameData = &tGame;
    GameReset();
    Reconstruct(&tGame);
    PlaySetGamesLoaded(PBN_TRUE);
  }
  void TearDown() override { PlaySetGamesLoaded(PBN_FALSE); }

  // Runs a command; checks the position, one repaint, the section boxes and the hands.
  void Step(void (*pCommand)(), const std::string& acAfter) {
    const int NrPaints = Host.PaintRequests();
    pCommand();
    EXPECT_EQ(Now(), acAfter);
    EXPECT_EQ(Host.PaintRequests(), NrPaints + 1) << acAfter;
    EXPECT_EQ(Host.GetCheck(viewer::ID_AUCTION), acAfter[0] == 'A') << acAfter;
    EXPECT_EQ(Host.GetCheck(viewer::ID_PLAY), acAfter[0] == 'P') << acAfter;
    int NrCards = 0;
    for (const PbnHandDef& tHand : tGameAdmin.tDeal.tHands)
      for (PbnRankDef Ranks : tHand.Ranks)
        NrCards += PbnRanksGetNumber(Ranks);
    EXPECT_EQ(NrCards, 52 - tGameAdmin.NrCards) << acAfter;
  }

  testing_support::RecordingHost Host;
  testing_support::ScopedControlHost tScope{&Host};
  PbnGameDataDef tGame{};
};

TEST_F(Stepping, EveryCommandInEverySection) {
  Load(13);
  // PlayExec goes call by call and card by card; a trick stays on the table after its fourth
  // card until the next step clears it, and a last step declares the play done.
  std::vector<std::string> aForward = {"I0/0", "A0/0", "A1/0", "A2/0", "A3/0", "A4/0", "P4/0"};
  for (int NrCards = 1; NrCards <= 52; ++NrCards) {
    aForward.push_back("P4/" + std::to_string(NrCards) + (NrCards % 4 == 0 ? "T" : ""));
    if (NrCards % 4 == 0) aForward.push_back("P4/" + std::to_string(NrCards));
  }
  aForward.push_back("P4/52D");

  for (void (*pCommand)() : {PlayHead, PlayTail, PlayBack})
    pCommand();
  EXPECT_EQ(Now(), "I0/0");  // the identification section has no start, end or step back
  EXPECT_EQ(Host.PaintRequests(), 0);
  Step(PlayExec, "A0/0");
  Step(PlayTail, "A4/0");
  Step(PlayHead, "A0/0");
  viewer::TimerStart();
  for (size_t Ix = 2; Ix < aForward.size(); ++Ix)
    Step(PlayExec, aForward[Ix]);
  EXPECT_EQ(Host.NrKillTimers(), 1);  // once, at the end of the play
  EXPECT_EQ(viewer::TimerRunning(), 0u);
  Step(PlayExec, "P4/52D");  // further ticks stay done

  // Back: leaves done, puts the last trick on the table, takes back the 52nd card, ...; from the
  // start of the play to the end of the auction, from its start out of both sections.
  for (size_t Ix = aForward.size() - 1; Ix > 0; --Ix)
    Step(PlayBack, aForward[Ix - 1]);

  // PlayTail ends the play, also with a trick on the table; PlayHead takes back the calls too.
  while (!tGameAdmin.bTrick)
    PlayExec();
  Step(PlayTail, "P4/52D");
  Step(PlayBack, "P4/52");
  Step(PlayHead, "P0/0");
}

TEST_F(Stepping, GameWithoutPlayAndWithoutGames) {
  Load(0);
  while (tGameAdmin.Section != PBN_SECTION_PLAY)
    PlayExec();
  viewer::TimerStart();
  Step(PlayExec, "P4/0D");
  EXPECT_EQ(Host.NrKillTimers(), 1);
  Step(PlayHead, "P0/0D");
  Step(PlayBack, "P0/0");  // leaves the done state
  Step(PlayBack, "A4/0");
  tGame.tAuction.NrCalls = 200;  // a corrupt count: the call table holds 64
  Step(PlayTail, "A64/0");

  // The commands do nothing on a game whose records are missing (without games: the window test).
  Host.ClearCalls();
  tGameAdmin.ptGameData = nullptr;
  for (void (*pCommand)() : {PlayHead, PlayBack, PlayExec, PlayTail})
    pCommand();
  EXPECT_TRUE(Now() == "A64/0" && Host.Invalidations.empty() && Host.CheckCalls.empty());
}

// The stored lines, each ended by "|", marker codes spelled out: 129 [AUCTION], 130 [PLAY],
// 131 to 134 {H {D {C {S for the suit symbols, 135 } after them, 136 < 137 > around a note number.
std::string Text() {
  const char* const apcMarkers[] = {"[AUCTION]", "[PLAY]", "{H", "{D", "{C", "{S", "}", "<", ">"};
  std::string acText;
  for (UInt32 Line = 0; Line < TextAnnoNrLines(); ++Line) {
    for (const unsigned char* pcChar = TextAnnoLine(Line); *pcChar != 0; ++pcChar)
      acText +=
          *pcChar > 128 && *pcChar < 138 ? apcMarkers[*pcChar - 129] : std::string(1, *pcChar);
    acText += '|';
  }
  return acText;
}

// What PaintAnnoExec reports: "new" if the revealed range grew, its first line ".." its end.
std::string Revealed() {
  UInt32 FirstLine = 99;
  UInt32 EndLine = 99;
  const bool bNew = PaintAnnoExec(&FirstLine, &EndLine);
  return (bNew ? "new " : "") + std::to_string(FirstLine) + ".." + std::to_string(EndLine);
}

class Annotation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GameTagsInit(&tTags), PBN_ERR_OK);
    tTags.NrComments = 1 << 17;  // room for the text of every test
    tTags.pcComments = static_cast<char*>(std::realloc(tTags.pcComments, tTags.NrComments));
  }
  void TearDown() override {
    TextAnnoTerm();
    GameTagsTerm(&tTags);
  }

  // The layout as the game collection makes it once the game is imported.
  PbnErrDef Layout() {
    Reconstruct(&tGame);
    return TextAnnoInit() ? TextAnnoCompute(&tGame, &tTags) : PBN_ERROR;
  }

  // Appends a comment as the collector stores it, NUL-terminated pieces: "one\n\0two".
  void Comment(PbnRangeDef* ptRange, const std::string& acText) {
    std::memcpy(tTags.pcComments + tTags.IxComments, acText.c_str(), acText.size() + 1);
    if (ptRange->End == 0) ptRange->Begin = tTags.IxComments;
    ptRange->End = tTags.IxComments += static_cast<Int32>(acText.size()) + 1;
  }
  void AddNags(PbnMoveAnnoDef* ptAnno, std::initializer_list<int> Nags) {
    ptAnno->tNag.Begin = tTags.IxNags;
    for (int Nag : Nags)
      PbnNagPut(&tTags, static_cast<PbnNagDef>(Nag), &ptAnno->tNag.End);
    ++ptAnno->tNag.End;
  }
  PbnRangeDef& CallComment(int Call, int Type = PBN_COMMENT_TYPE_MOVE) {
    return tTags.atCallAnno[Call].tComment.atTypes[Type];
  }

  PbnGameTagsDef tTags{};
  PbnGameDataDef tGame = Game(PBN_SOUTH, PBN_TRUMP_NT);
};

TEST_F(Annotation, LinesComeInTheOrderOfTheGameAndAreRevealedAsItGoes) {
  tGame = Game(PBN_SOUTH, PBN_TRUMP_NT, {"", "", "H3", ""});  // North holds a heart
  // A line feed ends a piece or splits it; "{}" leaves an empty piece.
  Comment(&tTags.tGameComment, "game\n\0\0inner\nfeed\0blank\n\n\0\n"s);
  // The mandatory tags' comments come in their order, the others' by tag id; the Auction and
  // Play tags' comments follow their section header, the Note tag's is not shown.
  for (int TagId : {PBN_TAG_ID_WEST, PBN_TAG_ID_VULNERABLE, PBN_TAG_ID_SOUTH, PBN_TAG_ID_SITE,
                    PBN_TAG_ID_RESULT, PBN_TAG_ID_PLAY, PBN_TAG_ID_NOTE, PBN_TAG_ID_NORTH,
                    PBN_TAG_ID_HIDDEN, PBN_TAG_ID_EVENT, PBN_TAG_ID_EAST, PBN_TAG_ID_DECLARER,
                    PBN_TAG_ID_DEALER, PBN_TAG_ID_DEAL, PBN_TAG_ID_DATE, PBN_TAG_ID_CONTRACT,
                    PBN_TAG_ID_BOARD, PBN_TAG_ID_AUCTION, PBN_TAG_ID_ANNOTATOR})
    Comment(&tTags.atTagComment[TagId], aPbnTagNames[TagId]);
  // Passes but for a 2H bid with every kind of annotation, stored in another order.
  tGame.tAuction = PbnAuctionDef{3, {{{}, {PBN_WEST, PBN_CALL_BID, 2, PBN_HEARTS}}}};
  Comment(&CallComment(1, PBN_COMMENT_TYPE_NAG), "after a nag");
  Comment(&CallComment(1, PBN_COMMENT_TYPE_SUFFIX), "after the suffix");
  Comment(&CallComment(1, PBN_COMMENT_TYPE_NOTE_REF), "after the note");
  Comment(&CallComment(1), "after the call");
  tTags.atCallAnno[1].Note = 2;
  std::strcpy(tTags.atCallNote[1].tTagValue.acValue.data(), "transfer");
  Comment(&tTags.atCallNoteComment[1], "note comment");
  AddNags(&tTags.atCallAnno[1], {14, 1, 20, 8});  // 1 and 8 are suffixes
  tTags.atCallAnno[2].Note = 3;                   // a note without text
  Comment(&tTags.atCallNoteComment[2], "orphan comment");
  // South wins the first trick; East leads the second out of turn and North discards on it.
  SetTrick(&tGame, 0, PBN_WEST, {"S2", "Sx", "S3", "SA"});
  SetTrick(&tGame, 1, PBN_EAST, {"H4", "H?", "-", "D2"});
  tGame.tPlay.aFirsts[1] = PBN_EAST;
  AddNags(&tTags.aatCardAnno[0][PBN_NORTH], {14});
  Comment(&tTags.aatCardAnno[0][PBN_EAST].tComment.atTypes[PBN_COMMENT_TYPE_MOVE], "east");
  for (PbnMoveAnnoDef& tAnno : tTags.aatCardAnno[1])
    AddNags(&tAnno, {14});
  EXPECT_EQ(Layout(), PBN_ERR_OK);
  EXPECT_EQ(Text(),
            "game||inner|feed|blank|||Event|Site|Date|Board|West|North|East|South|Dealer|"
            "Vulnerable|Deal|Declarer|Contract|Result|Annotator|Hidden|"
            "[AUCTION]|Auction|after the call|2{H} <2)> transfer|note comment|after the note|"
            "2{H} good call|2{H} poor card|after the suffix|2{H} $14|2{H} $20|after a nag|"
            "orphan comment|[PLAY]|Play|- $14|east|^L{H}4 $14|- $14|- $14|^R{D}2 $14|");

  // Each paint names how far the replay has reached; only what grows the range is new.
  EXPECT_EQ((PaintAnnoSection(PBN_SECTION_IDENT), Revealed()), "new 0..23");
  EXPECT_EQ((PaintAnnoSection(PBN_SECTION_IDENT), Revealed()), "0..23");
  EXPECT_EQ((PaintAnnoSection(PBN_SECTION_AUCTION), Revealed()), "new 23..25");
  EXPECT_EQ((PaintAnnoCall(1), Revealed()), "23..25");  // the first pass has no lines
  EXPECT_EQ((PaintAnnoCall(2), Revealed()), "new 25..35");
  EXPECT_EQ((PaintAnnoCall(3), Revealed()), "new 35..36");
  PaintAnnoCall(2);  // stepping back hides nothing; counts beyond the calls and cards name nothing
  PaintAnnoSection(PBN_SECTION_IDENT);
  for (int Count : {-1, 0, 53, 65, 1000})
    PaintAnnoCall(Count), PaintAnnoCard(Count);
  EXPECT_EQ(Revealed(), "35..36");
  EXPECT_EQ((PaintAnnoSection(PBN_SECTION_PLAY), Revealed()), "new 36..38");
  EXPECT_EQ((PaintAnnoCard(3), Revealed()), "new 39..40");  // East's card
  EXPECT_EQ((PaintAnnoCard(4), Revealed()), "39..40");      // South's, without lines
  EXPECT_EQ((PaintAnnoCard(5), Revealed()), "new 40..41");
  // Switching the pane to annotations starts over; so does the next game.
  EXPECT_EQ((PaintAnnoReset(), Revealed()), "0..0");
  EXPECT_EQ((PaintAnnoCall(2), Revealed()), "new 25..35");
  Layout();
  EXPECT_EQ(Revealed(), "0..0");
}

TEST_F(Annotation, CallTextsAndBackslashes) {
  auto& atCalls = tGame.tAuction.atCalls;  // the first a pass
  atCalls[1].CallType = PBN_CALL_DOUBLE;
  atCalls[2].CallType = PBN_CALL_REDOUBLE;
  atCalls[3] = PbnCallDef{PBN_SOUTH, PBN_CALL_BID, 3, PBN_TRUMP_NT};
  atCalls[4] = PbnCallDef{PBN_SOUTH, PBN_CALL_INSUFFICIENT, 2, PBN_SPADES};
  atCalls[5].CallType = PBN_CALL_SPECIAL;
  atCalls[6].CallType = PBN_CALL_PLACEHOLDER;  // never stored; has no text
  tGame.tAuction.NrCalls = 7;
  for (int Call = 0; Call < 7; ++Call)
    AddNags(&tTags.atCallAnno[Call], {Call == 2 ? PBN_NAG_AUCTION_GOOD : 14});
  Layout();
  EXPECT_EQ(Text(),
            "[AUCTION]|Pass $14|X $14|XX good call|3NT $14|^I 2{S} $14|^S $14| $14|[PLAY]|");
  EXPECT_EQ(tAnnoAdmin.MaxLineLength, 13);  // "XX good call" and its terminator

  // Comments keep their backslashes but before a suit letter; a note text is a tag value, in
  // which an escaped backslash or quote shows as one character, and so is the note's comment.
  const std::string acText = "\\S\\h\\d\\c\\s\\H\\D\\C a\\\\b \\\"q\\\" \\\\S \\x end\\";
  tGame.tAuction.NrCalls = 1;
  Comment(&CallComment(0), acText);
  tTags.atCallAnno[0].Note = 1;
  std::strcpy(tTags.atCallNote[0].tTagValue.acValue.data(), acText.c_str());
  Comment(&tTags.atCallNoteComment[0], acText);
  Layout();
  const std::string acNote = "{S}{H}{D}{C}{S}{H}{D}{C} a\\b \"q\" \\S \\x end\\";
  EXPECT_EQ(Text(),
            "[AUCTION]|{S}{H}{D}{C}{S}{H}{D}{C} a\\\\b \\\"q\\\" \\\\S \\x end\\|Pass <1)> " +
                acNote + "|" + acNote + "|Pass $14|[PLAY]|");
}

// Offsets and line numbers are 16-bit: nothing is stored from the first line that does not fit.
TEST_F(Annotation, TextStopsAtSixtyFiveThousandLinesOrCharacters) {
  const auto Pieces = [](const std::string& acLine, int Count) {
    std::string acPieces = acLine;
    for (int Ix = 1; Ix < Count; ++Ix)
      acPieces += '\0' + acLine;
    return acPieces;
  };
  using Case = std::tuple<std::string, UInt32, UInt32>;  // the text, its lines and characters
  const Case atCases[] = {
      {Pieces("", 66000), 65535, 65535},
      {Pieces(std::string(999, 'a'), 70), 65, 65000},    // a 66th line would not fit whole
      {Pieces("abcd", 13107), 13107, 65535},             // the last character is filled
      {Pieces("abcd", 13106) + "\0abc"s, 13107, 65534},  // no room for the header
  };
  for (const auto& [acText, NrLines, NrChars] : atCases) {
    tTags.IxComments = 0;
    tTags.tGameComment = PbnRangeDef{};
    Comment(&tTags.tGameComment, acText);
    EXPECT_EQ(Layout(), PBN_ERR_RESOURCES);
    ASSERT_EQ(TextAnnoNrLines(), NrLines);
    EXPECT_EQ(tAnnoAdmin.tCharsDD.CurData, NrChars);
    EXPECT_EQ(TextAnnoLine(NrLines), nullptr);
  }
  // A store that cannot grow (as without memory) stops at the first line that does not fit too.
  tTags.IxComments = 0;
  tTags.tGameComment = PbnRangeDef{};
  Comment(&tTags.tGameComment, "ab\0"s + std::string(3000, 'a') + "\0b"s);
  ASSERT_TRUE(TextAnnoInit());
  tAnnoAdmin.tCharsDD.IncData = UINT32_MAX;
  EXPECT_EQ(TextAnnoCompute(&tGame, &tTags), PBN_ERR_RESOURCES);
  EXPECT_EQ(Text(), "ab|");
}

// The reveal reaches the 52nd card of a full play, also when the entries name no side.
TEST_F(Annotation, TheLastCardOfAFullPlayIsRevealed) {
  tGameAdmin.NrPlayCards = PBN_MAX_PLAY_CARDS;
  for (PbnPlayCardDef& tEntry : tGameAdmin.atPlayCards)
    tEntry.Side = 9;
  ASSERT_TRUE(TextAnnoInit());  // with the play as written
  TextAnnoCompute(&tGame, &tTags);
  EXPECT_EQ((PaintAnnoCard(52), Revealed()), "new 2..2");
}

// The deal for the clipboard: compass layout, a void as "-", the heading without what is not
// given.
TEST(DealDiagram, CompassLayoutWithHeading) {
  // "SQT9 H5" as the cards "SQ ST S9 H5".
  const auto Cards = [](const std::string& Hand) {
    std::istringstream Suits(Hand);
    std::string Text;
    for (std::string Suit; Suits >> Suit;) {
      for (std::size_t i = 1; i < Suit.size(); ++i)
        Text += std::string{Suit[0], Suit[i], ' '};
    }
    return Text;
  };
  const PbnGameDataDef tGame = Game(PBN_NORTH, PBN_SPADES,
                                    {Cards("SQT9742 HQ54 D3 CA72"), Cards("SJ63 HAJ73 DJT2 CQJ4"),
                                     Cards("SAK HK86 DAK95 CT865"), Cards("S85 HT92 DQ8764 CK93")});
  EXPECT_EQ(PbnDealDiagram("7", {PBN_NORTH, PBN_VULNER_EW}, tGame.tDeal),
            "Board 7   Dealer North   Vulnerable EW\n"
            "                    S AK\n"
            "                    H K86\n"
            "                    D AK95\n"
            "                    C T865\n"
            "S J63                                   S 85\n"
            "H AJ73                                  H T92\n"
            "D JT2                                   D Q8764\n"
            "C QJ4                                   C K93\n"
            "                    S QT9742\n"
            "                    H Q54\n"
            "                    D 3\n"
            "                    C A72\n");
  const PbnGameDataDef tVoids = Game(PBN_NORTH, PBN_SPADES, {Cards("SAKQJT98765432")});
  const std::string Text =
      PbnDealDiagram("", {PBN_SIDE_NOT_GIVEN, PBN_VULNER_NOT_GIVEN}, tVoids.tDeal);
  EXPECT_EQ(Text.substr(0, Text.find('\n')), "                    S -");
  EXPECT_NE(Text.find("S AKQJT98765432\n                    H -\n"), std::string::npos);
}

// The parts of a stored line that the decoder hands out, spelled: "T:text", "S" and the suit
// code, "N:(n)", "H:PLAY", "B:tag", each followed by "|".
class PartsDef final : public AnnoLineVisitorDef {
 public:
  void Header(const char* pcName) override { Parts += "H:" + std::string(pcName) + "|"; }
  void TableHeader(std::string_view Tag) override { Parts += "B:" + std::string(Tag) + "|"; }
  void Text(std::string_view Chars) override { Parts += "T:" + std::string(Chars) + "|"; }
  void Suit(PbnSuitDef Suit) override { Parts += "S" + std::to_string(Suit) + "|"; }
  void Note(std::string_view Reference) override { Parts += "N:" + std::string(Reference) + "|"; }
  std::string Parts;
};

TEST(AnnotationLine, PartsOfALineAndOfItsWindow) {
  const struct {
    const char* pcLine;
    UInt32 Begin;
    UInt32 End;
    const char* pcParts;
  } atCases[] = {
      {"1\x83\x87 good", 0, kAnnoWholeLine, "T:1|S2|T: good|"},
      {"1\x85\x87 \x88"
       "1)\x89 short",
       0, kAnnoWholeLine, "T:1|S0|T: |N:(1)|T: short|"},
      {"\x81", 0, kAnnoWholeLine, "H:AUCTION|"},
      {"\x82rest", 0, kAnnoWholeLine, "H:PLAY|"},
      {"\x8AMISTAKES", 0, 3, "H:MISTAKES|"},
      {"\x8BOptimumResultTable", 0, 8, "B:Optimum|"},
      // A window: cut text, a suit whose marker lies outside, the tail of a reference.
      {"ab\x86\x87"
       "cd",
       1, 5, "T:b|S3|T:c|"},
      {"ab\x86\x87"
       "cd",
       3, 6, "T:cd|"},
      {"x \x88"
       "12)\x89 y",
       4, kAnnoWholeLine, "N:2)|T: y|"},
      {"x \x88"
       "12)\x89 y",
       0, 5, "T:x |"},  // a reference the end cuts is left out
      {"x \x88"
       "12",
       0, kAnnoWholeLine, "T:x |N:(12|"},              // without its end: to the line's end
      {"a\x81z\x89", 0, kAnnoWholeLine, "T:a\x81z|"},  // a header byte inside, a stray end
  };
  for (const auto& t : atCases) {
    PartsDef tParts;
    AnnoLineVisit(reinterpret_cast<const unsigned char*>(t.pcLine), &tParts, t.Begin, t.End);
    EXPECT_EQ(tParts.Parts, t.pcParts) << &t - atCases;
  }
}

TEST(AnnotationLine, PlainTextInEitherEncoding) {
  const auto Line = [](const char* pcLine) {
    return AnnoLineText(reinterpret_cast<const unsigned char*>(pcLine));
  };
  EXPECT_EQ(Line("1\x86\x87 \x88"
                 "2)\x89 caf\xE9"),
            "1\u2660 (2) caf\u00E9");
  EXPECT_EQ(Line("\x82"), "PLAY");
  // UTF-8 text: a character whose tail takes a marker's value stays, a stray byte is U+FFFD.
  PbnImportSetOptions({PBN_STANDARD_2_1, PBN_ENCODING_UTF_8, PBN_FALSE});
  EXPECT_EQ(Line("\xC4\x81 \x85\x87 \xFE"), "\u0101 \u2663 \uFFFD");
  PbnImportSetOptions({});
}

}  // namespace
