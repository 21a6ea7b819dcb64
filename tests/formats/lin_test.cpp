// LIN to PBN and back: the example file whole, the syntax the services write, bad input with its
// places, the index pass over a converted stream and the round trip.
#include <gtest/gtest.h>

#include <string>

#include "formats/lin.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"
#include "import/reading.h"
#include "support/test_support.h"

namespace lin {
namespace {

using testing_support::ReadFile;
using testing_support::TempFile;

std::string Example(const std::string& Name) {
  return ReadFile(std::string(KARVELON_SOURCE_DIR) + "/examples/" + Name);
}

// The three hands the service gives (S, W, N); East holds the rest.
constexpr const char* kDeal = "3S65HAKQ73DK9CA862,SKJ94H82DQJT8CQJ3,SA87HJ954DA765CK4,";
constexpr const char* kPbnDeal =
    "[Deal \"N:A87.J954.A765.K4 QT32.T6.432.T975 65.AKQ73.K9.A862 KJ94.82.QJT8.QJ3\"]";

std::string Messages(const LinToPbnDef& tOut) {
  std::string Text;
  for (const LinMessageDef& tMessage : tOut.atMessages) {
    Text += std::to_string(tMessage.tPos.Line) + ":" + std::to_string(tMessage.tPos.Column) + ": " +
            tMessage.Text + "\n";
  }
  return Text;
}

// The PBN text without the lines that LIN has no command to write back.
std::string WithoutEventLines(const std::string& Pbn) {
  std::string Text;
  for (const std::string& Line : testing_support::Lines(Pbn)) {
    if (Line.rfind("[Event ", 0) != 0 && Line.rfind("[Stage ", 0) != 0) Text += Line + "\n";
  }
  return Text;
}

TEST(LinToPbn, ExampleConvertsWhole) {
  const LinToPbnDef tOut = LinToPbn(Example("online-match.lin"));
  EXPECT_EQ(tOut.Pbn, Example("online-match.pbn"));
  EXPECT_EQ(Messages(tOut), "");
  EXPECT_EQ(tOut.NrBoards, 4u);
  EXPECT_EQ(tOut.NrUnknown, 0u);
  ASSERT_EQ(tOut.atLinePos.size(), testing_support::Lines(tOut.Pbn).size());
}

TEST(LinToPbn, ReadsWhatTheServicesWrite) {
  // LIN text, and lines its PBN must hold.
  const struct {
    std::string Lin;
    std::vector<std::string> aLines;
  } atCases[] = {
      // Commands in any case, blanks and line breaks between, noise before a command.
      {std::string("PN|a,,c,d|\r\nnote MD|") + kDeal + "|\nSv|B|ah|Board 5|",
       {"[West \"?\"]", "[South \"a\"]", kPbnDeal, "[Vulnerable \"All\"]", "[Board \"5\"]"}},
      // Ranks in lower case and as "10", a void without its letter, all four hands.
      {"md|1s2345678910jqkah,hAKQJT98765432,dAKQJT98765432,cAKQJT98765432|sv|0|",
       {"[Deal \"N:..AKQJT98765432. ...AKQJT98765432 AKQJT98765432... .AKQJT98765432..\"]",
        "[Dealer \"S\"]", "[Vulnerable \"None\"]"}},
      // No dealer digit, no sv: both from the board number of qx.
      {std::string("qx|c7|md|") + (kDeal + 1) + "|",
       {"[Room \"Closed\"]", "[Dealer \"S\"]", "[Vulnerable \"All\"]"}},
      // Calls packed, alerted before or after, "!D" in an explanation; X and XX.
      {std::string("md|") + kDeal + "|mb|1d!|an|\"12\" !d|mb|!2c|mb|dR|mb|P-P|mb|p|",
       {"[Declarer \"E\"]", "[Contract \"2CXX\"]", "1D =1= 2C =2= X XX",
        "[Note \"1:\\\"12\\\" \\D\"]", "[Note \"2:alerted\"]"}},
      // Rows by seat from declarer's left; each trick's winner leads the next.
      {std::string("md|") + kDeal + "|mb|7N|mb|p|mb|p|mb|p|" +
           "pc|SK|pc|SA|pc|SQ|pc|S6|pc|DQ|pc|DA|pc|D2|pc|D9|",
       {"[Contract \"7NT\"]", "[Play \"E\"]", "SK SA SQ S6", "D9 DQ DA D2", "*"}},
  };
  for (const auto& tCase : atCases) {
    const LinToPbnDef tOut = LinToPbn(tCase.Lin);
    EXPECT_EQ(Messages(tOut), "") << tCase.Lin;
    for (const std::string& Line : tCase.aLines) {
      EXPECT_NE(tOut.Pbn.find(Line + "\n"), std::string::npos) << tCase.Lin << "\n" << tOut.Pbn;
    }
  }
}

TEST(LinToPbn, BadInputSaysWhereAndKeepsTheRest) {
  const struct {
    std::string Lin;
    unsigned NrBoards;
    std::string Messages;
  } atCases[] = {
      {"", 0, "1:1: E: No LIN board with a deal\n"},
      {std::string("\x7f"
                   "ELF\x02\x01\x01\0\0|md|x|",
                   11),
       0, "1:8: E: Binary data, not a LIN text\n"},
      {"md|3S2,S2,S3|", 1,
       "1:1: E: LIN deal: cards missing, 2 of 52 (S 1, W 0, N 1, E 0)\n"
       "1:9: E: LIN deal: duplicate card S2\n"},
      {std::string("zz|1|\nmd|") + kDeal + "|yy||mb|1S|mb|p|mb|p|mb|p|pc|h2|pc|CK", 1,
       "1:1: W: 2 unknown LIN commands skipped, the first 'zz'\n"
       "2:91: E: Cut LIN file: the value of 'pc' has no closing bar\n"},
      {std::string("md|") + kDeal + "|mb|1S|mb|8N|mb|p|pc|h2|pc|Z9|mb|1N!|mc|14|", 1,
       "1:69: E: LIN call cannot be read: '8N'\n"
       "1:77: E: LIN play without a contract: its cards are left out\n"
       "1:86: E: LIN card cannot be read: 'Z9'\n"
       "1:96: E: LIN claim '14' is no number of tricks 0 to 13\n"},
      {"md|3,,,|pn|a|md|3,|", 0, "1:20: E: No LIN board with a deal\n"},
  };
  for (const auto& tCase : atCases) {
    const LinToPbnDef tOut = LinToPbn(tCase.Lin);
    EXPECT_EQ(Messages(tOut), tCase.Messages) << tCase.Lin;
    EXPECT_EQ(tOut.NrBoards, tCase.NrBoards) << tCase.Lin;
  }
}

// The index pass over the stream of a LIN file: 2.1 in UTF-8, the log at LIN places.
TEST(LinStream, IndexPassNamesLinPlaces) {
  TempFile tFile(std::string("pn|Zoë,b,c,d|md|") + kDeal +
                     "|mb|1S|mb|p|mb|p|mb|p|\npc|HT|pc|H3|pc|H2|pc|SA|\nzz||",
                 ".lin");
  std::FILE* pFile = OpenGameFile(tFile.Path().c_str());
  ASSERT_NE(pFile, nullptr);
  const pbn::PbnImportOptionsDef tReading =
      pbn::PbnReadingFor(pbn::ReadingChoiceDef::Pbn10, pbn::PbnReadHead(pFile));
  EXPECT_EQ(tReading.Standard, pbn::PBN_STANDARD_2_1);
  EXPECT_EQ(tReading.Encoding, pbn::PBN_ENCODING_UTF_8);
  const testing_support::IndexResult tResult = testing_support::IndexFile(pFile, tReading);
  EXPECT_EQ(tResult.NrGames, 0u);
  EXPECT_EQ(tResult.Log,
            "3:1: W: 1 unknown LIN commands skipped, the first 'zz'\n"
            "2:1: HT H3 H2 SA\n"
            "2:1:            \n"
            "2:1: E: Revoke\n");
  std::fclose(pFile);
}

// LIN to PBN to LIN keeps what LIN holds: the second PBN is the first but for the event.
TEST(LinRoundTrip, LinToPbnToLin) {
  TempFile tFile(Example("online-match.lin"), ".lin");
  std::FILE* pFile = OpenGameFile(tFile.Path().c_str());
  ASSERT_NE(pFile, nullptr);
  const pbn::UInt32 NrGames =
      testing_support::IndexFile(pFile, pbn::PbnReadingFor({}, pbn::PbnReadHead(pFile))).NrGames;
  ASSERT_EQ(NrGames, 4u);
  std::string Lin;
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile, Game, &NrLines);
    Lin += GameToLin();
  }
  std::fclose(pFile);
  // As the service writes it: all four hands, capitals, a pause after each trick.
  EXPECT_EQ(testing_support::Lines(Lin)[2],
            "qx|o5|pn|s-one,w-one,n-one,e-one|st||md|"
            "3S65HAKQ73DK9CA862,SKJ94H82DQJT8CQJ3,SA87HJ954DA765CK4,SQT32HT6D432CT975|"
            "rh||ah|Board 5|sv|n|mb|1D!|an|2+ !D|mb|p|mb|1H|mb|p|mb|2H|mb|p|mb|4H|mb|p|mb|p|"
            "mb|p|pg||pc|DQ|pc|DA|pc|D2|pc|D9|pg||pc|H4|pc|H6|pc|HK|pc|H2|pg||pc|HA|pc|H8|"
            "pc|H5|pc|HT|pg||mc|11|pg||");
  const LinToPbnDef tBack = LinToPbn(Lin);
  EXPECT_EQ(Messages(tBack), "");
  EXPECT_EQ(tBack.Pbn, WithoutEventLines(Example("online-match.pbn")));
}

}  // namespace
}  // namespace lin
