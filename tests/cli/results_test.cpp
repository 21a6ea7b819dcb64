// karvelon-cli results: the travellers and the ranking of a session, its rows as CSV and JSON
// lines, the shards, and the faults it counts without stopping.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"

namespace {

using cli_testing::Example;
using cli_testing::Quote;
using cli_testing::RunCli;
using testing_support::ReadFile;
using testing_support::TempFile;

const std::string kSession = Quote(Example("club-session.pbn")) + " --pbn auto";

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> aLines;
  std::istringstream Stream(Text);
  for (std::string Line; std::getline(Stream, Line);)
    aLines.push_back(Line);
  return aLines;
}

// The travellers and rankings as a scoring program prints them; the figures are worked out in
// the comments of the example (Neuberg on board 3, the wrong percentage of board 2).
TEST(Results, TextOfAClubSession) {
  // Run beside the example, so that the output names it as the README does.
  const auto Run = RunCli("results examples/club-session.pbn --pbn auto", KARVELON_SOURCE_DIR);
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_EQ(Run.Out,
            ReadFile(std::string(KARVELON_SOURCE_DIR) + "/tests/cli/club-session-results.txt"));
  EXPECT_EQ(Run.Err,
            "examples/club-session.pbn"
            ": 12 results; 1 without a score (1 no contract); the file's own "
            "scores agree: scores 11 of 11, percentages 10 of 11\n");
  const auto Ranking = RunCli("results " + kSession + " --ranking", KARVELON_SOURCE_DIR);
  EXPECT_EQ(Run.Out.substr(Run.Out.find("Ranking")), Ranking.Out);
}

TEST(Results, JsonRowsHoldTheFieldsOfEachResult) {
  const auto Run = RunCli("results " + kSession + " --json");
  ASSERT_EQ(Run.Status, 0) << Run.Err;
  const std::vector<std::string> aLines = SplitLines(Run.Out);
  ASSERT_EQ(aLines.size(), 12u);
  const auto Row = nlohmann::ordered_json::parse(aLines[7]);  // board 2, table 4
  std::vector<std::string> aNames;
  for (const auto& tItem : Row.items())
    aNames.push_back(tItem.key());
  EXPECT_EQ(aNames,
            (std::vector<std::string>{
                "file",    "game",     "board",       "section",     "table",      "room",
                "round",   "ns",       "ew",          "contract",    "declarer",   "result",
                "lead",    "score_ns", "mp_ns",       "mp_ew",       "pct_ns",     "pct_ew",
                "imps_ns", "imps_ew",  "imps_avg_ns", "imps_avg_ew", "file_value", "note"}));
  EXPECT_EQ(Row["game"], 8);
  EXPECT_EQ(Row["contract"], "2H");
  EXPECT_EQ(Row["score_ns"], -140);
  EXPECT_EQ(Row["pct_ns"], 100.0);
  EXPECT_TRUE(Row["imps_ns"].is_null());
  EXPECT_EQ(Row["file_value"], nlohmann::json({{"pct_ns", 83.33}}));
  const auto Unplayed = nlohmann::ordered_json::parse(aLines[11]);
  EXPECT_TRUE(Unplayed["score_ns"].is_null());
  EXPECT_EQ(Unplayed["note"], "no contract");
}

TEST(Results, CsvRankingAndScoringChoice) {
  const auto Run = RunCli("results " + kSession + " --ranking --csv --scoring cross-imps");
  ASSERT_EQ(Run.Status, 0) << Run.Err;
  const std::vector<std::string> aLines = SplitLines(Run.Out);
  ASSERT_EQ(aLines.size(), 9u);
  EXPECT_EQ(aLines[0],
            "event,section,rank,pair,direction,boards,total,against,percentage,total_mean,"
            "scoring\r");
  // One field: IMPs compare across both directions. Pair 8 sits East-West: on board 1
  // against -50 NS gains 10, 11 and 10 of three (10.33), on board 2 against -430 1, 0 and 7
  // (2.67), on board 3 against 90 nothing.
  EXPECT_EQ(aLines[1], "Karvelon Club Pairs,,1,8,,3,13,,,,cross-imps\r");
  EXPECT_EQ(RunCli("results " + kSession + " --scoring bridge").Status, 2);
  EXPECT_EQ(RunCli("results " + kSession + " --csv --json").Status, 2);
  EXPECT_EQ(RunCli("results").Status, 2);
}

TEST(Results, ShardsTogetherGiveTheWholeRun) {
  for (const char* pcFormat : {"", " --csv", " --json"}) {
    const std::string Whole = RunCli("results " + kSession + pcFormat).Out;
    std::string Parts;
    for (int Part = 1; Part <= 3; Part++)
      Parts +=
          RunCli("results " + kSession + pcFormat + " --shard " + std::to_string(Part) + "/3").Out;
    EXPECT_EQ(Parts, Whole) << pcFormat;
  }
}

// Two deals under one Board, boards with one result, a ScoreTable that gives no score, a "?"
// and a team match with one room: all counted, the run goes on.
TEST(Results, FaultsAreCountedAndTheRunGoesOn) {
  const std::string Deal =
      "[Deal \"N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 "
      "J63.AJ73.JT2.QJ4\"]\n";
  const std::string Other =
      "[Deal \"E:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 "
      "J63.AJ73.JT2.QJ4\"]\n";
  const std::string Head = "[Event \"E\"]\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n";
  const TempFile File(
      "% PBN 2.1\n" + Head + "[Board \"1\"]\n" + Deal +
      "[Declarer \"N\"]\n[Contract \"4S\"]\n[Result \"10\"]\n\n" + Head + "[Board \"1\"]\n" +
      Other + "[Declarer \"N\"]\n[Contract \"4S\"]\n[Result \"?\"]\n\n" + Head + "[Board \"2\"]\n" +
      Deal +
      "[Room \"Open\"]\n[Declarer \"N\"]\n[Contract \"4S\"]\n"
      "[Result \"10\"]\n\n" +
      Head + "[Board \"3\"]\n" + Deal + "[ScoreTable \"PairId_NS;PairId_EW;MP_NS\"]\n1 2 4\n\n");
  const auto Run = RunCli("results " + Quote(File.Path()) + " --pbn auto --json");
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_EQ(SplitLines(Run.Out).size(), 4u);
  EXPECT_NE(Run.Err.find("4 results (1 from ScoreTables); 2 without a score (1 no contract, "
                         "1 unknown (?)); 1 of the file's scores not compared (no computed "
                         "value); 1 ScoreTables whose columns do not hold the score"),
            std::string::npos)
      << Run.Err;
  EXPECT_NE(Run.Err.find("results: 4 boards; 1 Board numbers with different deals (Board 1 of "
                         "E); 4 boards with one result; 1 team matches with a missing room"),
            std::string::npos)
      << Run.Err;
}

}  // namespace
