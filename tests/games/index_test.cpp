// The index pass: which games are indexed, where they begin, and which earlier game each "#"
// stands for.
#include <gtest/gtest.h>

#include <string>

#include "games/pbn_game.h"
#include "import/import.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::IndexResult;
using testing_support::IndexText;

const GameTagDataDef& Element(UInt32 GameNr) {
  return *DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr);
}

TEST(IndexPass, GamesWithErrorsAreLeftOut) {
  auto Result = IndexText("[Event \"a\"]\n\n[Event \"b\"] x\n\n[Event \"c\"]\n\n\n");
  EXPECT_EQ(Result.NrGames, 2u);
  EXPECT_EQ(Element(1).FilePosBegin, 0);
  EXPECT_EQ(Element(2).FilePosBegin, 28);  // the file's third game
  EXPECT_EQ(Result.Log, "[Event \"b\"] x\n            ^\nE: Bad character\n");

  // Warnings count as failures too; a trailing stretch without a tag adds nothing.
  Result = IndexText("[Event \"a\"]\n[Scoring \"MP\"]\n\n{a comment}\n\n");
  EXPECT_EQ(Result.NrGames, 0u);

  Result = IndexText("");
  EXPECT_EQ(Result.NrGames, 0u);
  EXPECT_EQ(Result.Log, "");
}

TEST(IndexPass, GameBeginsAtItsFirstNonBlankLine) {
  auto Result = IndexText("\n\n{comment}\n[Event \"a\"]\n");
  ASSERT_EQ(Result.NrGames, 1u);
  EXPECT_EQ(Element(1).FilePosBegin, 2);
}

TEST(IndexPass, InheritanceChainsPointAtTheOwnValue) {
  auto Result = IndexText(
      "[Event \"one\"]\n[Site \"#\"]\n\n"
      "[Event \"#\"]\n[Site \"s\"]\n\n"
      "[Event \"#\"]\n[Site \"#\"]\n\n"
      "[Event \"#x\"]\n[Site \"#\"]\n");
  ASSERT_EQ(Result.NrGames, 4u);
  EXPECT_EQ(Element(1).aGameNrs[PBN_TAG_ID_SITE], 0u);  // first game: nothing earlier
  EXPECT_EQ(Element(2).aGameNrs[PBN_TAG_ID_EVENT], 1u);
  EXPECT_EQ(Element(3).aGameNrs[PBN_TAG_ID_EVENT], 1u);  // through game 2 to game 1
  EXPECT_EQ(Element(3).aGameNrs[PBN_TAG_ID_SITE], 2u);
  EXPECT_EQ(Element(4).aGameNrs[PBN_TAG_ID_EVENT], 0u);  // "#x" is an own value
  EXPECT_EQ(Element(4).aGameNrs[PBN_TAG_ID_SITE], 2u);
  EXPECT_EQ(Element(4).aGameNrs[PBN_TAG_ID_BOARD], 0u);
}

TEST(IndexPass, ValuesNeverLeakFromOneFileIntoAnother) {
  IndexText("[Date \"2026.13.01\"]\n");  // refused, but remembered for "#"
  auto Result = IndexText("[Date \"#\"]\n");
  EXPECT_EQ(Result.NrGames, 1u);
  EXPECT_EQ(Result.Log, "");
}

}  // namespace
}  // namespace pbn
