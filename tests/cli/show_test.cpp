// karvelon-cli show and dd: the values a loaded game implies, as JSON, and its analysis.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_support.h"

namespace {

using cli_testing::Example;
using cli_testing::Quote;
using cli_testing::RunCli;
using nlohmann::json;
using testing_support::TempFile;

json Show(const std::string& Path, std::size_t GameNr, const std::string& Options = "") {
  auto Run = RunCli("show " + Quote(Path) + " " + std::to_string(GameNr) + Options);
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  return json::parse(Run.Out);
}

TEST(ShowCommand, WithMistakesEveryGameShowsItsDealAndItsMistakes) {
  const std::vector<std::string> atMistakes = {
      "",
      "29 E: Bad tag value",
      "45 E: Bad trump|47 E: Bad result",
      "48 E: Bad character",
      "61 W: Bad tag name|62 E: Bad character|63 E: Bad character",
      "70 E: No dealer|71 E: Bad character|72 E: Bad character",
      "83 E: Bad card",
      "97 E: Revoke",
      "111 E: Bad declarer",
      "123 E: Bad trump",
      "138 E: Bad result"};
  for (std::size_t GameNr = 1; GameNr <= atMistakes.size(); GameNr++) {
    const json Game = Show(Example("real-world-mistakes.pbn"), GameNr, " --with-mistakes");
    EXPECT_EQ(Game["deal"]["N"], "AK.K86.AK95.T865") << GameNr;
    std::string Mistakes;
    for (const json& Mistake : Game["mistakes"]) {
      Mistakes += (Mistakes.empty() ? "" : "|") + std::to_string(Mistake["line"].get<int>()) + " " +
                  Mistake["message"].get<std::string>();
    }
    EXPECT_EQ(Mistakes, atMistakes[GameNr - 1]) << GameNr;
    EXPECT_EQ(Game["annotation"][0], GameNr == 1 ? "AUCTION" : "MISTAKES") << GameNr;
    if (GameNr == 7) {  // West's heart king, which North holds, is left out
      EXPECT_EQ(Game["play"][0]["card"], "-");
      EXPECT_EQ(Game["mistakes"][0]["text"], "HK H6 H2 H4");
      EXPECT_EQ(Game["mistakes"][0]["marks"], "^^         ");
    }
  }
  EXPECT_FALSE(Show(Example("real-world-mistakes.pbn"), 1).contains("mistakes"));
}

// A value its check refused is not used: no dealer, vulnerability or declarer from it.
TEST(ShowCommand, WithMistakesARefusedValueIsLeftOut) {
  const TempFile File(
      "[Dealer \"North\"]\n[Vulnerable \"Both sides\"]\n[Declarer \"South\"]\n[Contract \"4S\"]\n"
      "[Deal \"N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\"]\n");
  const json Game = Show(File.Path(), 1, " --with-mistakes");
  EXPECT_TRUE(Game["dealer"].is_null() && Game["vulnerable"].is_null()) << Game.dump();
  EXPECT_TRUE(Game["contract"]["declarer"].is_null()) << Game["contract"].dump();
  EXPECT_EQ(Game["contract"]["level"], 4);
}

TEST(ShowCommand, FillsDeclarerStrainAndRiskFromTheAuction) {
  TempFile File(
      "[Event \"caf\xe9\"]\n[Dealer \"S\"]\n[Vulnerable \"Love\"]\n"
      "[Deal \"N:.2.3. K..4. 3..5. A..2.\"]\n[Result \"^NS 1\"]\n[Auction \"S\"]\n"
      "1S Pass 2H X\nPass Pass Pass\n");
  auto Game = Show(File.Path(), 1);
  EXPECT_EQ(Game["tags"]["Event"], "caf\u00e9");  // ISO 8859-1 in, UTF-8 out
  EXPECT_EQ(Game["vulnerable"], "None");
  EXPECT_EQ(Game["contract"]["declarer"], "N");  // North bid hearts first
  EXPECT_EQ(Game["contract"]["strain"], "H");
  EXPECT_EQ(Game["contract"]["risk"], "X");
  EXPECT_EQ(Game["contract"]["level"], 0);
  EXPECT_EQ(Game["result"]["tricks"], nullptr);  // no Declarer yet to give the tricks to
  EXPECT_EQ(Game["result"]["irregular"], true);
  EXPECT_EQ(Game["auction"][3]["side"], "E");
  EXPECT_EQ(Game["auction"][3]["call"], "X");
}

// A file that declares UTF-8 but holds bytes that are not: every text output replaces each
// ill-formed sequence by U+FFFD, CSV as JSON (which refuses them), and nothing else changes.
TEST(ShowCommand, TextOutputsAreUtf8) {
  TempFile File(
      "% PBN 2.1\n% charset=UTF-8\n[Event \"\xC5\x81\xFE\xFF|\xED\xA0\x80|\xC0\xAF\"]\n"
      "[Board \"1\"]\n{\xE2\x99\xA0 \xFE}\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n"
      "[Deal \"N:AKQJ.T98.765.432 - - -\"]\n\n");
  const std::string Event = "\u0141\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD";
  const auto Csv = RunCli("list " + Quote(File.Path()) + " --pbn auto --csv");
  EXPECT_NE(Csv.Out.find(",1," + Event + ","), std::string::npos) << Csv.Out;
  const auto Lines = RunCli("list " + Quote(File.Path()) + " --pbn auto --json");
  EXPECT_EQ(json::parse(Lines.Out)["tags"]["Event"], Event);
  const json Game = Show(File.Path(), 1, " --pbn auto");
  EXPECT_EQ(Game["tags"]["Event"], Event);
  EXPECT_EQ(Game["annotation"][0], "\u2660 \uFFFD");
}

// The 2.1 reading adds its fields; the tables come without quotes, escapes resolved.
TEST(ShowCommand, Pbn21TablesExtraTagsAndEndPositions) {
  auto Game = Show(Example("pbn21.pbn"), 1, " --pbn 2.1");
  EXPECT_EQ(Game["pbn"], "2.1");
  EXPECT_EQ(Game["tags"]["West"], "\u0141ucja");  // declared UTF-8 passes as it is
  const json Tables = Game["tables"];
  ASSERT_EQ(Tables.size(), 2u);
  EXPECT_EQ(Tables[0]["tag"], "OptimumResultTable");
  EXPECT_EQ(Tables[0]["columns"][1],
            json({{"name", "Denomination"}, {"order", ""}, {"width", 2}, {"align", "R"}}));
  EXPECT_EQ(Tables[0]["rows"].size(), 20u);
  EXPECT_EQ(Tables[1]["columns"][9]["order"], "+");
  EXPECT_EQ(Tables[1]["rows"][1][3], "Ann \"Sam\"");
  EXPECT_EQ(Tables[1]["rows"][2][4], "?");
  const json Annotation = Game["annotation"];
  EXPECT_NE(std::find(Annotation.begin(), Annotation.end(), " S   9  10   7   7   8"),
            Annotation.end());  // the double-dummy grid, declarers down

  Game = Show(Example("pbn21.pbn"), 2, " --pbn 2.1");
  EXPECT_EQ(Game["tags"]["Event"], "Karvelon Club Pairs");  // "##" of game 1
  EXPECT_EQ(Game["extra_tags"][1], json({{"name", "ParContract"}, {"value", "4S N"}}));
  Game = Show(Example("pbn21.pbn"), 3, " --pbn 2.1");
  EXPECT_EQ(Game["contract"]["strain"], "NT");  // an end position: the strain alone
  EXPECT_EQ(Game["play"][0]["side"], "W");      // led by the side the Play tag names
  EXPECT_EQ(Game["ns_tricks"], json({1, 2}));
}

TEST(ShowCommand, ChronologicalPlayMarksAndAnnotation) {
  auto Game = Show(Example("showcase.pbn"), 4);
  // East led the first trick out of turn; every later trick is led by the previous winner.
  auto Play = Game["play"];
  ASSERT_EQ(Play.size(), 40u);  // nine tricks and the claim line
  EXPECT_EQ(Play[0]["side"], "E");
  EXPECT_EQ(Play[0]["mark"], "L");
  for (size_t Entry = 36; Entry < 40; Entry++)
    EXPECT_EQ(Play[Entry]["card"], "-");
  EXPECT_EQ(Game["tags"]["Event"], "Karvelon Club Championship");  // "#" replaced
  EXPECT_EQ(Game["tags"]["West"], "Eva");  // game 3 is the nearest with its own value

  Game = Show(Example("showcase.pbn"), 2);
  EXPECT_EQ(Game["hidden"], json::array({"E", "W"}));
  EXPECT_EQ(Game["auction"][1]["insufficient"], true);

  Game = Show(Example("showcase.pbn"), 1);
  EXPECT_EQ(Game["annotation"][3], "AUCTION");
  EXPECT_EQ(Game["annotation"][4], "1\u2663 (1) Could be short: \u2663 2+");
  EXPECT_EQ(Game["notes"]["auction"]["1"], "Could be short: \\C 2+");
  EXPECT_EQ(Game["auction"][4]["nags"], json::array({14}));

  Game = Show(Example("showcase.pbn"), 3);
  EXPECT_EQ(Game["contract"]["strain"], "Pass");
  EXPECT_EQ(Game["result"]["empty"], true);
}

TEST(ShowCommand, RawTextWithoutCarriageReturns) {
  TempFile File("[Event \"a\"]\r\n[Site \"b\"]\r\n\r\n[Event \"c\"]\r\n");
  EXPECT_EQ(Show(File.Path(), 1)["raw"], json::array({"[Event \"a\"]", "[Site \"b\"]", ""}));
  const json Game = Show(File.Path(), 2);
  EXPECT_EQ(Game["raw"], json::array({"[Event \"c\"]"}));
  EXPECT_EQ(Game["games"], 2);
}

TEST(ShowCommand, GameNumbersAndFiles) {
  const std::string Showcase = Quote(Example("showcase.pbn"));
  for (const char* pcNumber : {"0", "6", "99999999999"}) {
    auto Run = RunCli("show " + Showcase + " " + pcNumber);
    EXPECT_EQ(Run.Status, 1) << pcNumber;
    EXPECT_NE(Run.Err.find("out of range"), std::string::npos) << Run.Err;
  }
  for (const std::string& Args : {"show " + Showcase, "show " + Showcase + " x",
                                  "show " + Showcase + " -1", std::string("show /nonexistent 1")}) {
    auto Run = RunCli(Args);
    EXPECT_EQ(Run.Status, 2) << Args;
    EXPECT_EQ(Run.Out, "") << Args;
  }
}

// The text line pins the whole table of a real deal; the JSON carries the same numbers by name.
TEST(DoubleDummyCommands, ShowAndDdGiveTheTableOnlyWhenAsked) {
  const std::string Showcase = Quote(Example("showcase.pbn"));
  json Game = Show(Example("showcase.pbn"), 1, " --dd");
  EXPECT_EQ(Game["double_dummy"]["tricks"]["S"]["S"], 10);
  EXPECT_EQ(Game["double_dummy"]["par"],
            json::parse(R"({"score":"NS 420","contracts":["4S by NS"]})"));
  Game.erase("double_dummy");
  EXPECT_EQ(Game, Show(Example("showcase.pbn"), 1));

  const auto Text = RunCli("dd " + Showcase + " --jobs 1");
  EXPECT_EQ(Text.Err, "");  // no progress bar when standard error is not a terminal
  const auto Lines = testing_support::Lines(Text.Out);
  ASSERT_EQ(Lines.size(), 5u);
  EXPECT_EQ(Lines[0],
            "1\t1\tN:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\t"
            "7a8697a8693356433564\tpar NS 420: 4S by NS");
  EXPECT_EQ(Lines[4], "5\t5\tN:AKQJT98765432... - - -\terror: South's hand is not given");
  const auto JsonLines = testing_support::Lines(RunCli("dd " + Showcase + " --json").Out);
  ASSERT_EQ(JsonLines.size(), 5u);
  EXPECT_EQ(json::parse(JsonLines[4])["double_dummy"]["error"], "South's hand is not given");
  for (const char* pcArgs : {"dd", "dd --jobs 0 x.pbn", "dd --jobs", "dd x.pbn --fast"})
    EXPECT_EQ(RunCli(pcArgs).Status, 2) << pcArgs;
}

}  // namespace
