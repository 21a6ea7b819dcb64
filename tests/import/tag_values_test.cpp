// Every tag value check: what it accepts, what it refuses with which code, and what it writes
// into the game record and the bookkeeping.
#include <gtest/gtest.h>

#include <string>

#include "games/pbn_game.h"
#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {
namespace {

class TagValues : public ::testing::Test {
 protected:
  void SetUp() override { ResetImporter(); }
  void TearDown() override {
    GameTagsTerm(&tTags);
    PbnImportTags(nullptr);
  }

  // A fresh game record and importer, as at the start of a game's import.
  void ResetImporter() {
    GameDataInit(&tData);
    ASSERT_EQ(GameTagsReset(&tTags), PBN_ERR_OK);
    AdminInit();
    PbnStateInit();
    PbnImportTags(nullptr);
  }

  PbnErrDef Check(PbnTagIdDef TagId, const std::string& Value) {
    return TagValueCheck(&tData, &tTags, TagId, Value.c_str());
  }

  PbnGameDataDef tData{};
  PbnGameTagsDef tTags{};
};

struct ValueCase {
  PbnTagIdDef TagId;
  const char* pcValue;
  PbnErrDef Error;
};

TEST_F(TagValues, SyntaxOfValuesWithoutEffect) {
  const ValueCase aCases[] = {
      {PBN_TAG_ID_NORTHTYPE, "Program", PBN_ERR_OK},
      {PBN_TAG_ID_NORTHTYPE, "robot", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_BOARD, "+12", PBN_ERR_OK},
      {PBN_TAG_ID_BOARD, "-1", PBN_ERR_BAD_NUMBER},
      {PBN_TAG_ID_BOARD, "12a", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_BOARD, " 12", PBN_ERR_BAD_NUMBER},
      {PBN_TAG_ID_BOARD, "99999999999", PBN_ERR_BAD_NUMBER},
      {PBN_TAG_ID_TABLE, "?", PBN_ERR_OK},
      {PBN_TAG_ID_TABLE, "99999999999999999999", PBN_ERR_BAD_NUMBER},
      {PBN_TAG_ID_COMPETITION, "teams", PBN_ERR_OK},
      {PBN_TAG_ID_COMPETITION, "Swiss", PBN_ERR_UNKNOWN_TAG_VALUE},
      {PBN_TAG_ID_MODE, "table", PBN_ERR_OK},
      {PBN_TAG_ID_MODE, "BBO", PBN_ERR_UNKNOWN_TAG_VALUE},
      {PBN_TAG_ID_ROOM, "closed", PBN_ERR_OK},
      {PBN_TAG_ID_ROOM, "Other", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_FRENCHMP, "yes", PBN_ERR_OK},
      {PBN_TAG_ID_ROUND, "Final_1.2", PBN_ERR_OK},
      {PBN_TAG_ID_ROUND, "Final 1", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DATE, "2014.??.??", PBN_ERR_OK},
      {PBN_TAG_ID_DATE, "????.12.31", PBN_ERR_OK},
      {PBN_TAG_ID_DATE, "1899.01.01", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DATE, "19??.01.01", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DATE, "2014.13.01", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DATE, "2014.1.01", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DATE, "2014-01-01", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_UTCDATE, "2014.02.31", PBN_ERR_OK},  // the day is not checked by month
      {PBN_TAG_ID_TIME, "23:59:59", PBN_ERR_OK},
      {PBN_TAG_ID_TIME, "24:00:00", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_UTCTIME, "12:?0:00", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_TIMECONTROL, "-", PBN_ERR_OK},
      {PBN_TAG_ID_TIMECONTROL, "40 /120", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_TIMECONTROL, "40/x", PBN_ERR_BAD_NUMBER},
      {PBN_TAG_ID_SCORE, "NS 420 EW -420", PBN_ERR_OK},
      {PBN_TAG_ID_SCORE, "  -50  ", PBN_ERR_OK},
      {PBN_TAG_ID_SCORE, "420 x", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_SCORE, "NS", PBN_ERR_BAD_NUMBER},
      {PBN_TAG_ID_SCOREIMP, "NS 3.5 EW -3.5", PBN_ERR_OK},
      {PBN_TAG_ID_SCOREIMP, ".5", PBN_ERR_OK},
      {PBN_TAG_ID_SCOREPERC, "NS 100.0 EW 0", PBN_ERR_OK},
      {PBN_TAG_ID_SCOREPERC, "100.5", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_SCOREPERC, "EW 101", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_SCOREPERC, "55.25", PBN_ERR_OK},
      {PBN_TAG_ID_SCORERUBBER, "NS 120 / 500 EW 0/300", PBN_ERR_OK},
      {PBN_TAG_ID_SCORERUBBER, "120 500", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_SCORING, "imp", PBN_ERR_OK},
      {PBN_TAG_ID_SCORING, "MP", PBN_ERR_UNKNOWN_TAG_VALUE},
      {PBN_TAG_ID_SCORING, "IMP;Butler", PBN_ERR_UNKNOWN_TAG_VALUE},
      {PBN_TAG_ID_VULNERABLE, "Love", PBN_ERR_OK},
      {PBN_TAG_ID_VULNERABLE, "NS EW", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_NOTE, "33:text", PBN_ERR_BAD_NOTE},
      {PBN_TAG_ID_NOTE, "3 text", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_NOTE, "", PBN_ERR_BAD_NUMBER},
  };
  for (const ValueCase& tCase : aCases) {
    ResetImporter();
    tAdmin.Section = PBN_SECTION_AUCTION;  // where Note tags may stand
    EXPECT_EQ(Check(tCase.TagId, tCase.pcValue), tCase.Error)
        << aPbnTagNames[tCase.TagId] << " \"" << tCase.pcValue << "\"";
  }
}

TEST_F(TagValues, EmptyValuesAndTheMarker) {
  EXPECT_EQ(Check(PBN_TAG_ID_DEALER, ""), PBN_ERR_OK);
  EXPECT_EQ(tData.tSituation.Dealer, PBN_SIDE_EMPTY);
  EXPECT_STREQ(TagValue(tTags, PBN_TAG_ID_DEALER), "");  // stored as it is: absent
  EXPECT_EQ(Check(PBN_TAG_ID_AUCTION, "N"), PBN_ERR_NO_DEALER);
  EXPECT_EQ(tAdmin.TagAuctionSide, PBN_NORTH);

  EXPECT_EQ(Check(PBN_TAG_ID_VULNERABLE, ""), PBN_ERR_OK);
  EXPECT_EQ(tData.tSituation.Vulner, PBN_VULNER_EMPTY);
  EXPECT_EQ(Check(PBN_TAG_ID_RESULT, ""), PBN_ERR_OK);
  EXPECT_EQ(tData.Result, PBN_RESULT_EMPTY);
}

TEST_F(TagValues, DealerVulnerableContractDeclarer) {
  EXPECT_EQ(Check(PBN_TAG_ID_DEALER, "w"), PBN_ERR_OK);
  EXPECT_EQ(tData.tSituation.Dealer, PBN_WEST);
  EXPECT_EQ(Check(PBN_TAG_ID_VULNERABLE, "none"), PBN_ERR_OK);
  EXPECT_EQ(tData.tSituation.Vulner, PBN_VULNER_NONE);

  EXPECT_EQ(Check(PBN_TAG_ID_CONTRACT, "3NTxx"), PBN_ERR_OK);
  EXPECT_EQ(tData.tContract.NrTricks, 3);
  EXPECT_EQ(tData.tContract.Trump, PBN_TRUMP_NT);
  EXPECT_EQ(tData.tContract.Risk, PBN_RISK_REDOUBLED);
  ResetImporter();
  EXPECT_EQ(Check(PBN_TAG_ID_CONTRACT, "8C"), PBN_ERR_BAD_TAG_VALUE);
  EXPECT_EQ(Check(PBN_TAG_ID_CONTRACT, "3Z"), PBN_ERR_BAD_TRUMP);
  EXPECT_EQ(Check(PBN_TAG_ID_CONTRACT, "3N"), PBN_ERR_BAD_TRUMP);
  EXPECT_EQ(Check(PBN_TAG_ID_CONTRACT, "3SXXX"), PBN_ERR_BAD_TAG_VALUE);
  EXPECT_EQ(tData.tContract.Trump, PBN_TRUMP_NOT_GIVEN);  // refused: nothing changed
  EXPECT_EQ(Check(PBN_TAG_ID_CONTRACT, "pass"), PBN_ERR_OK);
  EXPECT_EQ(tData.tContract.Trump, PBN_TRUMP_PASS);
  EXPECT_EQ(tData.tContract.Risk, PBN_RISK_UNKNOWN);  // level and risk keep their values

  ResetImporter();
  EXPECT_EQ(Check(PBN_TAG_ID_DECLARER, "^N"), PBN_ERR_OK);
  EXPECT_EQ(tData.tContract.Declarer, PBN_NORTH);
  EXPECT_TRUE(tData.tContract.bIrregularDeclarer);
  EXPECT_EQ(tAdmin.Leader, PBN_EAST);
  ResetImporter();
  EXPECT_EQ(Check(PBN_TAG_ID_DECLARER, "NE"), PBN_ERR_BAD_TAG_VALUE);
  EXPECT_EQ(tData.tContract.Declarer, PBN_NORTH);  // written before the length check
  EXPECT_EQ(tAdmin.Leader, PBN_EAST);
}

TEST_F(TagValues, ResultForms) {
  struct ResultCase {
    PbnSideDef Declarer;
    const char* pcValue;
    PbnErrDef Error;
    int Result;  // -1: not looked at
  };
  const ResultCase aCases[] = {
      {PBN_SIDE_NOT_GIVEN, "10", PBN_ERR_NO_DECLARER, 10},  // recorded all the same
      {PBN_WEST, "NS 9", PBN_ERR_OK, 4},                    // East-West made 13 - 9
      {PBN_WEST, "NS 9 EW 5", PBN_ERR_BAD_NUMBER, -1},
      {PBN_SOUTH, "^ EW 4 NS 9 ", PBN_ERR_OK, 9 + PBN_RESULT_IRREGULAR},
      {PBN_SOUTH, "^14", PBN_ERR_BAD_NUMBER, 14 + PBN_RESULT_IRREGULAR},  // marked on failure too
      {PBN_SOUTH, "9 tricks", PBN_ERR_BAD_TAG_VALUE, -1},
      {PBN_SIDE_NOT_GIVEN, "?", PBN_ERR_OK, PBN_RESULT_NONE},
  };
  for (const ResultCase& tCase : aCases) {
    ResetImporter();
    tData.tContract.Declarer = tCase.Declarer;
    EXPECT_EQ(Check(PBN_TAG_ID_RESULT, tCase.pcValue), tCase.Error) << tCase.pcValue;
    EXPECT_TRUE(tCase.Result < 0 || tData.Result == tCase.Result) << tCase.pcValue;
  }
}

TEST_F(TagValues, Deals) {
  EXPECT_EQ(Check(PBN_TAG_ID_DEAL, "N:AKQJT98765432... - - -"), PBN_ERR_OK);
  EXPECT_EQ(tData.tDeal.tHands[PBN_NORTH].Ranks[PBN_SPADES], PBN_RANKS_ALL);
  EXPECT_TRUE(tAdmin.abUnknownSide[PBN_EAST]);
  EXPECT_EQ(tAdmin.tUnknownHand.Ranks[PBN_SPADES], 0);
  EXPECT_EQ(tAdmin.tUnknownHand.Ranks[PBN_HEARTS], PBN_RANKS_ALL);

  const ValueCase aCases[] = {
      {PBN_TAG_ID_DEAL, "N:AK.. .", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DEAL, "N:A... K...  Q... J...", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DEAL, "N: A... K... Q... J...", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DEAL, "N :A... K... Q... J...", PBN_ERR_OK},
      {PBN_TAG_ID_DEAL, "N:AKQ... 2.3.4. JT9... 876...", PBN_ERR_OK},
      {PBN_TAG_ID_DEAL, "N:AKQ... JT9... 876... 5432...", PBN_ERR_BAD_DEAL},
      {PBN_TAG_ID_DEAL, "N:A... A... K... Q...", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DEAL, "N:AA... K... Q... J...", PBN_ERR_OK},
      {PBN_TAG_ID_DEAL, "N:Ax... K... Q... J...", PBN_ERR_BAD_RANK},
      // A card given twice is refused at that card, before a bad character after it.
      {PBN_TAG_ID_DEAL, "N:A... Ax... K... Q...", PBN_ERR_BAD_TAG_VALUE},
      {PBN_TAG_ID_DEAL, "N:A..K. ..QKx. J... T...", PBN_ERR_BAD_TAG_VALUE},
      // The cards before an unknown hand's "-" count for its clubs, not as clubs given twice.
      {PBN_TAG_ID_DEAL, "N:...A A- - -", PBN_ERR_OK},
      {PBN_TAG_ID_DEAL, "Q:A... K... Q... J...", PBN_ERR_BAD_SIDE},
      {PBN_TAG_ID_DEAL, "N:- - - -", PBN_ERR_BAD_DEAL},
      {PBN_TAG_ID_DEAL, "N:A... K... Q...", PBN_ERR_BAD_TAG_VALUE},
  };
  for (const ValueCase& tCase : aCases) {
    ResetImporter();
    EXPECT_EQ(Check(tCase.TagId, tCase.pcValue), tCase.Error) << tCase.pcValue;
  }
  // A deal of 13, 13, 13 and 12 cards is written into the game although it is refused.
  ResetImporter();
  EXPECT_EQ(Check(PBN_TAG_ID_DEAL,
                  "N:AK.K86.AK95.T86 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4"),
            PBN_ERR_BAD_DEAL);
  EXPECT_EQ(tData.tDeal.tHands[PBN_NORTH].Ranks[PBN_SPADES], 0x3000);
}

TEST_F(TagValues, HiddenAuctionPlayAndNote) {
  EXPECT_EQ(Check(PBN_TAG_ID_HIDDEN, "NEx"), PBN_ERR_BAD_SIDE);
  EXPECT_TRUE(tAdmin.abHiddenSide[PBN_NORTH]);
  EXPECT_TRUE(tAdmin.abHiddenSide[PBN_EAST]);
  EXPECT_FALSE(tAdmin.abHiddenSide[PBN_SOUTH]);

  ResetImporter();
  Check(PBN_TAG_ID_DECLARER, "S");
  EXPECT_EQ(Check(PBN_TAG_ID_PLAY, "W"), PBN_ERR_NO_DEAL);  // Contract and Deal missing
  EXPECT_EQ(tAdmin.TagPlaySide, PBN_WEST);

  EXPECT_EQ(Check(PBN_TAG_ID_AUCTION, "NS"), PBN_ERR_BAD_TAG_VALUE);

  ResetImporter();
  tAdmin.Section = PBN_SECTION_PLAY;
  EXPECT_EQ(Check(PBN_TAG_ID_NOTE, "3 :a:b"), PBN_ERR_OK);
  EXPECT_STREQ(tTags.atCardNote[2].tTagValue.acValue.data(), "a:b");
  EXPECT_EQ(tCommentAdmin.Type, PBN_COMMENT_TYPE_NOTE_TAG);
  EXPECT_EQ(tCommentAdmin.Index, 2);
}

}  // namespace
}  // namespace pbn
