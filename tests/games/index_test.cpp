// The index pass: which games are indexed, where they begin, and which earlier game each "#"
// stands for.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "games/pbn_game.h"
#include "import/import.h"
#include "support/test_support.h"

namespace pbn {
namespace {

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

  // A game begins at its first non-blank line.
  Result = IndexText("\n\n{comment}\n[Event \"a\"]\n");
  ASSERT_EQ(Result.NrGames, 1u);
  EXPECT_EQ(Element(1).FilePosBegin, 2);
}

TEST(IndexPass, InheritanceChainsPointAtTheOwnValue) {
  const std::string Text =
      "[Event \"one\"]\n[Site \"#\"]\n[Annotator \"a\"]\n\n"
      "[Event \"#\"]\n[Site \"s\"]\n\n"
      "[Event \"#\"]\n[Site \"#\"]\n\n"
      "[Event \"two\"]\n[Site \"#\"]\n[Result \"99\"]\n\n"  // refused, yet a source
      "[Event \"#\"]\n[Site \"#\"]\n[Annotator \"#\"]\n\n"
      "[Event \"#x\"]\n[Site \"#\"]\n";
  auto Result = IndexText(Text);
  ASSERT_EQ(Result.NrGames, 5u);
  const PbnFilePosDef Refused = static_cast<PbnFilePosDef>(Text.find("[Event \"two"));
  // Game, tag, and the start of the game whose value it shows (kNoSource: its own).
  const std::tuple<UInt32, int, PbnFilePosDef> atCases[] = {
      {1, PBN_TAG_ID_SITE, kNoSource},  // first game: nothing earlier
      {2, PBN_TAG_ID_EVENT, 0},
      {3, PBN_TAG_ID_EVENT, 0},  // through game 2 to game 1
      {3, PBN_TAG_ID_SITE, Element(2).FilePosBegin},
      {4, PBN_TAG_ID_EVENT, Refused},
      {4, PBN_TAG_ID_SITE, Element(2).FilePosBegin},  // the refused game's is "#" too
      {4, PBN_TAG_ID_ANNOTATOR, Refused},             // the refused game has none
      {5, PBN_TAG_ID_EVENT, kNoSource},               // "#x" is an own value
      {5, PBN_TAG_ID_BOARD, kNoSource},
  };
  for (const auto& [GameNr, TagId, SourcePos] : atCases)
    EXPECT_EQ(IndexSources(GameNr)[TagId], SourcePos) << GameNr << " " << TagId;
  EXPECT_EQ(tFileAdmin.NrGamesRead, 6u);
}

TEST(IndexPass, ValuesNeverLeakFromOneFileIntoAnother) {
  IndexText("[Date \"2026.13.01\"]\n");  // refused, but remembered for "#"
  auto Result = IndexText("[Date \"#\"]\n");
  EXPECT_EQ(Result.NrGames, 1u);
  EXPECT_EQ(Result.Log, "");
}

}  // namespace
}  // namespace pbn
