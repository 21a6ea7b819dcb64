// karvelon-cli show --dd and dd: the analysis of the showcase games as a script reads it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/cli_support.h"

namespace {

using cli_testing::Example;
using cli_testing::Quote;
using cli_testing::RunCli;
using nlohmann::json;

TEST(DoubleDummyCommands, ShowAddsTheTableOnlyWhenAsked) {
  const auto Plain = RunCli("show " + Quote(Example("showcase.pbn")) + " 1");
  const auto Run = RunCli("show " + Quote(Example("showcase.pbn")) + " 1 --dd");
  ASSERT_EQ(Run.Status, 0) << Run.Err;
  json Game = json::parse(Run.Out);
  // South makes ten tricks in spades, East-West three; par is South's game.
  EXPECT_EQ(Game["double_dummy"]["tricks"]["S"]["S"], 10);
  EXPECT_EQ(Game["double_dummy"]["tricks"]["E"]["S"], 3);
  EXPECT_EQ(Game["double_dummy"]["par"],
            json::parse(R"({"score":"NS 420","contracts":["4S by NS"]})"));
  Game.erase("double_dummy");
  EXPECT_EQ(Game, json::parse(Plain.Out));
  EXPECT_EQ(
      json::parse(RunCli("show " + Quote(Example("showcase.pbn")) + " 5 --dd").Out)["double_dummy"],
      json::parse(R"({"error":"South's hand is not given"})"));
}

TEST(DoubleDummyCommands, DdListsEveryGameAsTextOrJsonLines) {
  const auto Text = RunCli("dd " + Quote(Example("showcase.pbn")) + " --jobs 1");
  ASSERT_EQ(Text.Status, 0) << Text.Err;
  EXPECT_EQ(Text.Err, "");  // no progress bar when standard error is not a terminal
  const auto Lines = testing_support::Lines(Text.Out);
  ASSERT_EQ(Lines.size(), 5u);
  EXPECT_EQ(Lines[0],
            "1\t1\tN:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\t"
            "7a8697a8693356433564\tpar NS 420: 4S by NS");
  EXPECT_EQ(Lines[4], "5\t5\tN:AKQJT98765432... - - -\terror: South's hand is not given");

  const auto Json = RunCli("dd " + Quote(Example("showcase.pbn")) + " --json");
  const auto JsonLines = testing_support::Lines(Json.Out);
  ASSERT_EQ(JsonLines.size(), 5u);
  EXPECT_EQ(json::parse(JsonLines[0])["double_dummy"]["tricks"]["N"]["NT"], 7);

  for (const char* pcArgs : {"dd", "dd --jobs 0 x.pbn", "dd --jobs", "dd x.pbn --fast"}) {
    EXPECT_EQ(RunCli(pcArgs).Status, 2) << pcArgs;
  }
}

}  // namespace
