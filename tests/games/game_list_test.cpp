// The list of games: the row each game gets from the index pass, the filter, the order, the
// traveller of a board, and the game found again by its place in the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "games/game_list.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::IndexFile;
using testing_support::IndexText;
using testing_support::TempFile;
using testing_support::TestDealTag;

std::string Game(const std::string& Tags) {
  return Tags + TestDealTag() + "\n";
}

// Two tables of board 1 and one of board 2 in the club's event, board 1 of another event.
const std::string kClub =
    Game(
        "[Event \"Club\"]\n[Board \"1\"]\n[North \"Ann\"]\n[South \"Bob\"]\n[East \"Cy\"]\n"
        "[West \"Di\"]\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n[Declarer \"S\"]\n"
        "[Contract \"4S\"]\n[Result \"10\"]\n") +
    Game(
        "[Event \"#\"]\n[Board \"1\"]\n[North \"Eve\"]\n[South \"Fay\"]\n[East \"Gus\"]\n"
        "[West \"Hal\"]\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n[Declarer \"W\"]\n"
        "[Contract \"3NTX\"]\n[Result \"7\"]\n") +
    Game(
        "[Event \"#\"]\n[Board \"2\"]\n[North \"#\"]\n[South \"Fay\"]\n[Dealer \"E\"]\n"
        "[Vulnerable \"NS\"]\n[Declarer \"N\"]\n[Contract \"6NT\"]\n[Result \"12\"]\n") +
    Game(
        "[Event \"Other\"]\n[Board \"1\"]\n[North \"Ann\"]\n[Dealer \"N\"]\n"
        "[Vulnerable \"None\"]\n[Contract \"Pass\"]\n");

std::string Row(UInt32 GameNr) {
  std::string Text;
  for (int Column = 0; Column < kGameListNrColumns; Column++)
    Text += (Column > 0 ? "|" : "") + GameListText(GameNr, static_cast<GameListColumnDef>(Column));
  return Text;
}

// Only a program that shows the list keeps it, as the viewer does.
class GameList : public ::testing::Test {
 protected:
  void SetUp() override { GameListKeep(PBN_TRUE); }
  void TearDown() override { GameListKeep(PBN_FALSE); }
};

TEST_F(GameList, EachGameItsRowWithInheritedValues) {
  ASSERT_EQ(IndexText(kClub).NrGames, 4u);
  ASSERT_EQ(GameListSize(), 4u);
  const char* const apcRows[] = {
      "1|1|4S S|10|NS 420|Ann & Bob v Cy & Di||",
      "2|1|3NTX W|7|NS 300|Eve & Fay v Gus & Hal||",
      "3|2|6NT N|12|NS 1440|Eve & Fay||",  // North "#" is Eve
      "4|1|Pass||0|Ann||",
  };
  for (UInt32 GameNr = 1; GameNr <= 4; GameNr++)
    EXPECT_EQ(Row(GameNr), apcRows[GameNr - 1]);
  EXPECT_EQ(GameListString(GameListRow(3).idEvent), "Club");
  EXPECT_FALSE(GameListHasPar());
  EXPECT_LE(sizeof(GameListRowDef), 48u);  // and a few bytes a game for the texts

  // The contract as list says it: a risk given as "?" shows; a strain that the auction gave
  // without its level is no contract.
  ASSERT_EQ(IndexText(Game("[Dealer \"N\"]\n[Declarer \"E\"]\n[Contract \"5D?\"]\n") +
                      "[Dealer \"N\"]\n" + TestDealTag() + "[Auction \"N\"]\n1H Pass Pass Pass\n")
                .NrGames,
            2u);
  EXPECT_EQ(GameListText(1, GameListColumnDef::Contract), "5D? E");
  EXPECT_EQ(GameListText(2, GameListColumnDef::Contract), "");
}

TEST_F(GameList, FilterSortAndTraveller) {
  IndexText(kClub);
  const struct {
    const char* pcFilter;
    std::vector<UInt32> aGames;
  } atFilters[] = {
      {"", {1, 2, 3, 4}}, {"1", {1, 2, 4}}, {"4s", {1}},     {"3NT", {2}},
      {"3ntxx", {}},      {"6N", {3}},      {"fay", {2, 3}}, {" ann  1 ", {1, 4}},
      {"ANN 4S", {1}},    {"nobody", {}},   {"7", {}},       {"!", {}},
  };
  for (const auto& tCase : atFilters)
    EXPECT_EQ(GameListSelect(tCase.pcFilter), tCase.aGames) << tCase.pcFilter;

  const struct {
    GameListColumnDef Column;
    bool bDescending;
    std::vector<UInt32> aGames;
  } atOrders[] = {
      {GameListColumnDef::Number, true, {4, 3, 2, 1}},
      {GameListColumnDef::Board, false, {1, 2, 4, 3}},  // equal boards keep file order
      {GameListColumnDef::Score, true, {3, 1, 2, 4}},
      {GameListColumnDef::Contract, false, {4, 2, 1, 3}},  // no strain first
      {GameListColumnDef::Players, false, {4, 1, 3, 2}},
  };
  for (const auto& tCase : atOrders) {
    std::vector<UInt32> aGames = GameListSelect("");
    GameListSort(&aGames, tCase.Column, tCase.bDescending);
    EXPECT_EQ(aGames, tCase.aGames) << static_cast<int>(tCase.Column);
  }
  EXPECT_EQ(GameListSameBoard(2), (std::vector<UInt32>{1, 2}));  // not the other event's
  EXPECT_EQ(GameListSameBoard(4), (std::vector<UInt32>{4}));
  EXPECT_TRUE(GameListSameBoard(9).empty());
}

TEST_F(GameList, GameFoundAgainByItsPlaceInTheFile) {
  IndexText(kClub);
  const PbnFilePosDef aPos[] = {GameFilePos(1), GameFilePos(2), GameFilePos(3), GameFilePos(4)};
  const std::pair<PbnFilePosDef, UInt32> atCases[] = {
      {aPos[1], 2}, {aPos[1] + 3, 2}, {aPos[2] - 3, 3}, {0, 1}, {aPos[3] + 9999, 4}};
  for (const auto& [FilePos, GameNr] : atCases)
    EXPECT_EQ(GameAtFilePos(FilePos), GameNr) << FilePos;
  IndexText("");
  EXPECT_EQ(GameAtFilePos(aPos[1]), 0u);
}

// A refused value is left out of the list and of the game on display alike; the 2.1 reading's
// par and "##value".
TEST_F(GameList, MistakesParAndRefusedValues) {
  const std::string Text =
      Game(
          "[Event \"##Cup\"]\n[Board \"5\"]\n[Dealer \"North\"]\n[Vulnerable \"All\"]\n[Declarer "
          "\"South\"]\n"
          "[Contract \"2H\"]\n[Result \"8\"]\n") +
      Game(
          "[Board \"6\"]\n[Dealer \"S\"]\n[Vulnerable \"EW\"]\n[Declarer \"S\"]\n"
          "[Contract \"4H\"]\n[Result \"11\"]\n[OptimumScore \"EW 100\"]\n[ParContract \"4SX "
          "W\"]\n");
  const TempFile tFile(Text);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> pFile(std::fopen(tFile.Path().c_str(), "rb"),
                                                        std::fclose);
  IndexFile(pFile.get(), {.Standard = PBN_STANDARD_2_1, .bKeepRefused = PBN_TRUE});
  ASSERT_EQ(GameListSize(), 2u);
  EXPECT_EQ(Row(1), "1!|5|2H|8|||2|");  // no declarer, so no score
  EXPECT_EQ(GameListSelect("!"), std::vector<UInt32>{1});
  EXPECT_EQ(Row(2), "2|6|4H S|11|NS 450|||EW 100 4SX W");
  EXPECT_TRUE(GameListHasPar());
  EXPECT_EQ(GameListString(GameListRow(2).idEvent), "Cup");  // "##": for every later game
  UInt32 NrLines = 0;
  GameLoad(pFile.get(), 1, &NrLines);
  EXPECT_EQ(tGameAdmin.ptGameData->tSituation.Dealer, PBN_SIDE_NOT_GIVEN);
  EXPECT_EQ(tGameAdmin.ptGameData->tContract.Declarer, PBN_SIDE_NOT_GIVEN);
  EXPECT_EQ(tGameAdmin.ptGameData->tSituation.Vulner, PBN_VULNER_ALL);
}

}  // namespace
}  // namespace pbn
