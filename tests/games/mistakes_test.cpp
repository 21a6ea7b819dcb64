// Games with mistakes: which games the index holds in that mode, and the entries of the log
// that each keeps, with the line numbers of the file.
#include <gtest/gtest.h>

#include <string>

#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::IndexText;

// Every game of the index as "first line" and its entries as " line:message".
std::string Games() {
  std::string Text;
  for (UInt32 Game = 1; Game <= tFileAdmin.tGameTagDD.CurData; Game++) {
    Text += (Game > 1 ? "|" : "") + std::to_string(GameFirstLine(Game));
    for (UInt32 Entry = 0; Entry < GameNrKeptMistakes(Game); Entry++) {
      const PbnLogEntryDef& tEntry = GameMistakes(Game)[Entry];
      Text += " " + std::to_string(tEntry.LineNr) + ":" + tEntry.Message;
    }
  }
  return Text;
}

constexpr PbnImportOptionsDef kKeepRefused{.bKeepRefused = PBN_TRUE};

TEST(WithMistakes, EveryGameWithATagKeepsItsOwnLines) {
  const std::string kLong = "[Site \"" + std::string(300, 'x') + "\"]";
  const struct {
    std::string Text;
    std::string Games;
  } atCases[] = {
      {"[Event \"a\"]\n\n[Event \"b\"] x\n\n[Event \"c\"]\n", "1|3 3:E: Bad character|5"},
      // Text before a game is read with it; text after the last game holds no tag: no game.
      {"x\n[Event \"a\"]\n\n\ny z\n", "1 1:E: Bad character"},
      // Carriage returns, a line cut after 255 characters, a NUL byte: each still one line.
      {"[Event \"a\"]\r\n" + kLong + "\r\n[Date \"x\"]\r\n",
       "1 2:E: Bad character 2:E: Bad character 3:E: Bad tag value"},
      {std::string("[Event \"a\0b\"]\n[Date \"x\"]\n", 25), "1 2:E: Bad character"},
      // A whole-game message carries the line that ended the game.
      {"[Dealer \"N\"]\n[Auction \"N\"]\nPass =1= Pass Pass Pass\n\n[Event \"b\"]\n",
       "1 4:W: No note for =1=|5"},
  };
  for (const auto& tCase : atCases) {
    const auto Result = IndexText(tCase.Text, kKeepRefused);
    EXPECT_EQ(Games(), tCase.Games) << tCase.Text;
    EXPECT_EQ(IndexText(tCase.Text).Log, Result.Log) << tCase.Text;  // the same in either mode
  }
}

TEST(WithMistakes, CountsAndTheNextGameWithMistakes) {
  IndexText("[Event \"a\"] x\n\n[Event \"b\"]\n\n[Event \"c\"] x\n\n[Event \"d\"]\n", kKeepRefused);
  EXPECT_EQ(GamesNrWithMistakes(), 2u);
  EXPECT_EQ(GameNextWithMistakes(1), 3u);
  EXPECT_EQ(GameNextWithMistakes(3), 1u);  // on from the start past the last
  EXPECT_EQ(GameNextWithMistakes(0), 1u);

  IndexText("[Event \"a\"] x\n\n[Event \"b\"]\n");
  EXPECT_EQ(GamesNrWithMistakes(), 0u);
  EXPECT_EQ(GameNextWithMistakes(1), 0u);
  EXPECT_EQ(GameFirstLine(1), 0u);
}

TEST(WithMistakes, AHugeLineKeepsTheFirstEntriesAndCountsAll) {
  // A line of 1 MB gives an entry every 255 characters; the game after it keeps its own.
  const std::string Text = "[Event \"a\"] " + std::string(1 << 20, 'x') + "\n\n[Event \"b\"] y\n";
  IndexText(Text, kKeepRefused);
  EXPECT_EQ(GameNrMistakes(1), (12u + (1 << 20)) / 255 + 1);
  EXPECT_EQ(GameNrKeptMistakes(1), 200u);
  EXPECT_EQ(GameMistakes(1)[199].LineNr, 1u);
  ASSERT_EQ(GameNrKeptMistakes(2), 1u);
  EXPECT_EQ(GameMistakes(2)[0].LineNr, 3u);
}

}  // namespace
}  // namespace pbn
