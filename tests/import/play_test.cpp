// Cards against the hands, trick evaluation (leader, revokes, winner, tricks won), and the
// whole-game checks of notes, declarer and result.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "import/admin.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::ImportResult;
using testing_support::ImportText;
using testing_support::Lines;

using testing_support::kTestDeal;
constexpr const char* kDeal = kTestDeal;

// Two cards each: North H2 D3, East SK D4, South S3 D5, West SA D2.
constexpr const char* kTwoCards = "N:.2.3. K..4. 3..5. A..2.";

std::string Game(const std::string& Contract, const std::string& Declarer,
                 const std::string& PlaySide, const std::string& Play,
                 const std::string& Extra = "", const std::string& Deal = kDeal) {
  return "[Dealer \"S\"]\n[Deal \"" + Deal + "\"]\n[Declarer \"" + Declarer + "\"]\n[Contract \"" +
         Contract + "\"]\n" + Extra + "[Play \"" + PlaySide + "\"]\n" + Play + "\n";
}

// The messages of the log, joined by "|".
std::string Messages(const ImportResult& Result) {
  std::string Text;
  for (const std::string& Line : Lines(Result.Log)) {
    if (Line.size() > 2 && Line[1] == ':' &&
        std::string("IWEF").find(Line[0]) != std::string::npos) {
      if (!Text.empty()) Text += '|';
      Text += Line;
    }
  }
  return Text;
}

TEST(Cards, RefusedCardsRevokesAndMarks) {
  struct Case {
    const char* pcLine;
    const char* pcMessages;
  };
  const Case aCases[] = {
      {"SJ SQ SA S8", "E: Bad card"},  // North holds no spade queen
      {"SJ Sx SA S8", "E: Bad card"},
      {"SJ S SA S8", "E: Bad rank"},
      {"SJ SAK SA S8", "E: Bad card"},
      {"ZA", "E: Bad suit"},
      {"SJ - S8 S2", ""},  // "-" holds no card: trick not credited, no error
      // West leads a spade; North holds spades.
      {"SJ HK S5 S2", "E: Revoke"},
      {"SJ ^R HK S5 S2", ""},
      {"SJ ^R SA S5 S2", "E: Bad revoke"},
      {"^R SJ SA S5 S2", "E: Bad revoke"},
      {"^R ^R SJ", "E: Double illegal"},
      {"^L ^R SJ", "E: Bad illegal"},
      {"^X SJ", "E: Bad illegal"},
      {"^L SJ SA S5 S2", "E: Bad lead"},  // West is on lead: the mark is wrong
  };
  for (const Case& tCase : aCases) {
    auto Result = ImportText(Game("3NT", "S", "W", tCase.pcLine));
    EXPECT_EQ(Messages(Result), tCase.pcMessages) << tCase.pcLine;
  }
  // A card refused because its hand cannot play it is stored all the same, in its hand's place.
  auto Result = ImportText(Game("3NT", "S", "W", "SJ SQ SA S8"));
  EXPECT_EQ(Result.tGameData.tPlay.atTricks[0].atCards[PBN_NORTH].Rank, 0x0800);
  // A hand without the led suit may discard, but not as a marked revoke.
  EXPECT_EQ(Messages(ImportText(Game("1NT", "S", "W", "SA ^R H2 SK S3", "", kTwoCards))),
            "E: Bad revoke");
}

TEST(Tricks, LeadsOutOfTurn) {
  // East leads out of turn: East's spade leads the trick and is recorded.
  auto Result = ImportText(Game("3NT", "S", "W", "SJ SA ^L S5 S2"));
  EXPECT_EQ(Messages(Result), "");
  EXPECT_EQ(Result.tGameData.tPlay.aFirsts[0], PBN_EAST);
  EXPECT_EQ(ImportText(Game("3NT", "S", "W", "^L SJ ^L SA")).Error, PBN_ERR_DOUBLE_ILLEGAL);
}

TEST(Tricks, WinnersAndTricksWon) {
  // The spade ace led, then the heart two: in hearts the two wins, in no trump the ace.
  auto Hearts = ImportText(Game("1H", "S", "W", "SA H2 SK S3\nD2 D3 D4 D5", "", kTwoCards));
  EXPECT_EQ(Messages(Hearts), "");
  EXPECT_EQ(tAdmin.NrWon[PBN_NORTH], 1);
  EXPECT_EQ(tAdmin.NrWon[PBN_SOUTH], 1);  // North led the diamonds; South's five won
  auto NoTrump = ImportText(Game("1NT", "S", "W", "SA H2 SK S3\nD2 D3 D4 D5", "", kTwoCards));
  EXPECT_EQ(Messages(NoTrump), "");
  EXPECT_EQ(tAdmin.NrWon[PBN_WEST], 1);
  EXPECT_EQ(tAdmin.NrWon[PBN_SOUTH], 1);

  // A trick with an unrecorded card credits nobody, but its best card leads next.
  auto Missing = ImportText(Game("1NT", "S", "W", "SA - SK S3\n^L D2 D3 D4 D5", "", kTwoCards));
  EXPECT_EQ(Messages(Missing), "E: Bad lead");  // West won and leads anyway
  EXPECT_EQ(tAdmin.NrWon[PBN_WEST] + tAdmin.NrWon[PBN_NORTH] + tAdmin.NrWon[PBN_EAST], 0);
}

TEST(Tricks, PlayBeyondThirteenTricksEndsSoundly) {
  std::string Play;
  for (int i = 0; i < 40; i++)
    Play += "- - - -\n";
  auto Result = ImportText(Game("3NT", "S", "W", Play + "=1= $13"));
  EXPECT_NE(Messages(Result).find("E: Bad card"), std::string::npos);
  EXPECT_EQ(tAdmin.NrTricks, PBN_N_TRICKS);
}

TEST(FinalChecks, DeclarerFromTheAuction) {
  const std::string Head = std::string("[Dealer \"S\"]\n");
  auto Run = [&](const std::string& Tags, const std::string& Calls) {
    return ImportText(Head + Tags + "[Auction \"S\"]\n" + Calls + "\n");
  };
  const std::string Spades = "1S Pass 4S Pass Pass Pass";
  EXPECT_EQ(Run("[Declarer \"N\"]\n", Spades).Error, PBN_ERR_BAD_DECLARER);
  EXPECT_EQ(Run("[Declarer \"^N\"]\n", Spades).Error, PBN_ERR_OK);
  auto Filled = Run("", Spades);
  EXPECT_EQ(Filled.Error, PBN_ERR_OK);
  EXPECT_EQ(Filled.tGameData.tContract.Declarer, PBN_SOUTH);
  EXPECT_EQ(Filled.tGameData.tContract.Trump, PBN_SPADES);
  EXPECT_EQ(Filled.tGameData.tContract.Risk, PBN_RISK_NONE);
  EXPECT_EQ(Filled.tGameData.tContract.NrTricks, 0);  // the level is never filled in

  EXPECT_EQ(Run("[Contract \"4H\"]\n", Spades).Error, PBN_ERR_BAD_TRUMP);
  EXPECT_EQ(Run("[Contract \"4S\"]\n", "1S X Pass Pass Pass").Error, PBN_ERR_BAD_RISK);
  EXPECT_EQ(Run("[Contract \"4S?\"]\n", Spades).Error, PBN_ERR_BAD_RISK);
  EXPECT_EQ(Run("[Contract \"4SX\"]\n", "1S X Pass Pass Pass").Error, PBN_ERR_OK);
  EXPECT_EQ(Run("[Contract \"Pass\"]\n", Spades).Error, PBN_ERR_BAD_TRUMP);

  EXPECT_EQ(Run("[Declarer \"\"]\n[Contract \"Pass\"]\n", "AP").Error, PBN_ERR_OK);
  EXPECT_EQ(Run("[Declarer \"S\"]\n[Contract \"Pass\"]\n", "AP").Error, PBN_ERR_BAD_DECLARER);
  auto PassedOut = Run("", "AP");
  EXPECT_EQ(PassedOut.tGameData.tContract.Declarer, PBN_SIDE_EMPTY);
  EXPECT_EQ(PassedOut.tGameData.tContract.Trump, PBN_TRUMP_PASS);

  // An unfinished auction: the partner who bid the strain first would be declarer.
  EXPECT_EQ(Run("[Declarer \"N\"]\n[Contract \"2S\"]\n", "1S Pass 2S").Error, PBN_ERR_BAD_DECLARER);
  EXPECT_EQ(Run("[Declarer \"S\"]\n[Contract \"2S\"]\n", "1S Pass 2S").Error, PBN_ERR_OK);
  EXPECT_EQ(Run("[Contract \"Pass\"]\n", "1S Pass").Error, PBN_ERR_BAD_TRUMP);
}

TEST(FinalChecks, ResultAgainstThePlay) {
  // No trump by South: West wins the first trick, South the second.
  const std::string Play = "SA H2 SK S3\nD2 D3 D4 D5";
  auto Run = [&](const std::string& Result) {
    return ImportText(Game("1NT", "S", "W", Play, "[Result \"" + Result + "\"]\n", kTwoCards));
  };
  EXPECT_EQ(Run("12").Error, PBN_ERR_OK);
  EXPECT_EQ(Run("13").Error, PBN_ERR_BAD_RESULT);
  EXPECT_EQ(Run("^13").Error, PBN_ERR_OK);
  EXPECT_EQ(Run("^12").Error, PBN_ERR_BAD_RESULT);
  EXPECT_EQ(Run("EW 1").Error, PBN_ERR_OK);
  EXPECT_EQ(Run("EW 0").Error, PBN_ERR_BAD_RESULT);
  EXPECT_EQ(Run("").Error, PBN_ERR_OK);
  // A passed-out deal cannot have a declarer, nor a result without a strain; both logged.
  auto PassedOut =
      ImportText("[Dealer \"S\"]\n[Declarer \"S\"]\n[Result \"0\"]\n[Auction \"S\"]\nAP\n");
  EXPECT_EQ(PassedOut.Log, "E: Bad declarer\nE: Bad result\n");
  EXPECT_EQ(PassedOut.Error, PBN_ERR_BAD_DECLARER);
}

TEST(FinalChecks, NotesOfBothSections) {
  const std::string Text =
      "[Dealer \"S\"]\n[Deal \"N:.2.3. K..4. 3..5. A..2.\"]\n[Declarer \"S\"]\n"
      "[Contract \"1NT\"]\n[Auction \"S\"]\n1NT =2= Pass Pass Pass\n[Note \"1:unused\"]\n"
      "[Play \"W\"]\nSA =1= H2 SK S3\n[Note \"1:ok\"]\n[Note \"2:only here\"]\n";
  auto Result = ImportText(Text);
  EXPECT_EQ(Result.Log, "W: Unused note [1]\nW: No note for =2=\nW: Unused note [2]\n");
  EXPECT_EQ(Result.Error, PBN_ERR_UNUSED_NOTE);  // the last finding
}

bool RangeIsEmpty(const PbnRangeDef& tRange) {
  return tRange.Begin == 0 && tRange.End == 0;
}

bool AnnoIsEmpty(const PbnMoveAnnoDef& tAnno) {
  return tAnno.Note == 0 && tAnno.Suffix == PBN_SUFFIX_NONE && RangeIsEmpty(tAnno.tNag) &&
         std::all_of(tAnno.tComment.atTypes.begin(), tAnno.tComment.atTypes.end(), RangeIsEmpty);
}

// A record is cleared of what its game wrote, not as a whole: the next game read into it must
// find nothing of the one before, neither in its checks nor in the record.
TEST(FinalChecks, ARecordReadAgainHoldsNothingOfTheGameBefore) {
  const std::string Head =
      "[Dealer \"S\"]\n[Deal \"N:.2.3. K..4. 3..5. A..2.\"]\n[Declarer \"S\"]\n"
      "[Contract \"1NT\"]\n";
  const std::string Annotated = Head +
                                "{of a tag}\n[Auction \"S\"]\n"
                                "1NT =2= $1 {a call} Pass ! Pass Pass\n"
                                "[Note \"2:call\"] {of a note}\n[Play \"W\"]\n"
                                "SA =1= $7 {a card} H2 ?? SK S3 {the last}\n"
                                "D2 D3 D4 D5 $9\n[Note \"1:card\"]\n";
  const std::string Plain =
      Head + "[Auction \"S\"]\n1NT Pass Pass Pass\n[Play \"W\"]\nSA H2 SK S3\nD2 D3 D4 D5\n";
  auto ptTags = testing_support::MakeTags();
  ASSERT_EQ(ImportText(Annotated, 0, ptTags.get()).Log, "");
  ASSERT_FALSE(AnnoIsEmpty(ptTags->atCallAnno[0]));
  ASSERT_FALSE(AnnoIsEmpty(ptTags->aatCardAnno[1][PBN_SOUTH]));
  ASSERT_TRUE(ptTags->atCardNote[0].bReference);
  ASSERT_FALSE(RangeIsEmpty(ptTags->atTagComment[PBN_TAG_ID_CONTRACT]));

  EXPECT_EQ(ImportText(Plain, 0, ptTags.get()).Log, "");
  const PbnGameTagsDef& tTags = *ptTags;
  EXPECT_TRUE(std::all_of(tTags.atCallAnno.begin(), tTags.atCallAnno.end(), AnnoIsEmpty));
  for (const auto& atTrick : tTags.aatCardAnno)
    EXPECT_TRUE(std::all_of(atTrick.begin(), atTrick.end(), AnnoIsEmpty));
  for (const auto* patNotes : {&tTags.atCallNote, &tTags.atCardNote}) {
    for (const PbnMoveNoteDef& tNote : *patNotes)
      EXPECT_TRUE(!tNote.bReference && tNote.tTagValue.acValue[0] == '\0');
  }
  EXPECT_TRUE(std::all_of(tTags.atTagComment.begin(), tTags.atTagComment.end(), RangeIsEmpty));
  for (const auto* patRanges : {&tTags.atCallNoteComment, &tTags.atCardNoteComment})
    EXPECT_TRUE(std::all_of(patRanges->begin(), patRanges->end(), RangeIsEmpty));
}

}  // namespace
}  // namespace pbn
