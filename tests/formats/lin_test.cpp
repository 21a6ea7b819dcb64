// LIN to PBN and back: the example file whole, the syntax the services write, bad input with its
// places, the index pass over a converted stream and the round trip.
#include <gtest/gtest.h>

#include <string>

#include "formats/lin.h"
#include "games/pbn_game.h"
#include "import/reading.h"
#include "replay/pbn_play.h"
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

// How the PBN text of a LIN file is read.
const pbn::PbnImportOptionsDef kUtf8Reading = [] {
  pbn::PbnImportOptionsDef tOptions;
  tOptions.Standard = pbn::PBN_STANDARD_2_1;
  tOptions.Encoding = pbn::PBN_ENCODING_UTF_8;
  return tOptions;
}();

std::string Messages(const LinToPbnDef& tOut) {
  std::string Text;
  for (const LinMessageDef& tMessage : tOut.atMessages) {
    Text += std::to_string(tMessage.tPos.Line) + ":" + std::to_string(tMessage.tPos.Column) + ": " +
            tMessage.Text + "\n";
  }
  return Text;
}

// The PBN text without the lines that LIN is not written with: event and commentary.
std::string WithoutEventLines(const std::string& Pbn) {
  std::string Text;
  for (const std::string& Line : testing_support::Lines(Pbn)) {
    if (Line.rfind("[Event ", 0) != 0 && Line.rfind("[Stage ", 0) != 0 && Line[0] != '{')
      Text += Line + "\n";
  }
  return Text;
}

// Whether a converted text holds only what a PBN text may: printable characters, UTF-8, line
// feeds, and lines shorter than the 255 bytes that the reading takes for too long.
bool IsPbnText(const std::string& Pbn) {
  std::size_t LineLength = 0;
  for (const char c : Pbn) {
    LineLength = c == '\n' ? 0 : LineLength + 1;
    if (LineLength > 254 || (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F)
      return false;
  }
  return true;
}

// A team match, and a lesson movie with commentary, a variation and a claim inside a trick.
TEST(LinToPbn, ExamplesConvertWhole) {
  for (const auto& [pcName, NrBoards] : {std::pair("online-match", 4u), {"lesson", 2u}}) {
    const LinToPbnDef tOut = LinToPbn(Example(pcName + std::string(".lin")));
    EXPECT_EQ(tOut.Pbn, Example(pcName + std::string(".pbn")));
    EXPECT_EQ(Messages(tOut), "");
    EXPECT_EQ(tOut.NrBoards, NrBoards);
    EXPECT_EQ(tOut.NrUnknown, 0u);
    EXPECT_TRUE(IsPbnText(tOut.Pbn));
    ASSERT_EQ(tOut.atLinePos.size(), testing_support::Lines(tOut.Pbn).size());
  }
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

// A claim inside a trick pads the trick's row with "-" for every seat still to play.
TEST(LinToPbn, ClaimAtEachPlaceOfATrick) {
  const std::string Auction = std::string("md|") + kDeal + "|mb|7N|mb|p|mb|p|mb|p|";
  const std::string Trick1 = "pc|SK|pc|SA|pc|SQ|pc|S6|";  // East leads, South wins
  const struct {
    std::string Cards;
    std::string LastRow;
  } atCases[] = {
      {Trick1, "SK SA SQ S6"},
      {Trick1 + "pc|DQ|", "- DQ - -"},
      {Trick1 + "pc|DQ|pc|DA|", "- DQ DA -"},
      {Trick1 + "pc|DQ|pc|DA|pc|D2|", "- DQ DA D2"},
  };
  for (const auto& tCase : atCases) {
    const LinToPbnDef tOut = LinToPbn(Auction + tCase.Cards + "mc|12|");
    EXPECT_TRUE(IsPbnText(tOut.Pbn)) << tCase.Cards;
    EXPECT_NE(tOut.Pbn.find("\n" + tCase.LastRow + "\n*\n"), std::string::npos) << tOut.Pbn;
    EXPECT_NE(tOut.Pbn.find("[Result \"12\"]\n"), std::string::npos) << tOut.Pbn;
  }
}

// A teaching movie takes cards and calls back to show other lines: the game is the line it shows
// before it first takes anything back.
TEST(LinToPbn, MoviesKeepTheLineShownFirst) {
  const std::string Deal = std::string("md|") + kDeal + "|";
  const std::string Auction = "mb|1S|mb|p|mb|p|mb|p|";
  const std::string Trick1 = "pc|SK|pc|SA|pc|SQ|pc|S6|";
  const struct {
    std::string Lin;
    std::vector<std::string> aLines;
    std::string LeftOut;  // of what followed the first take-back
  } atCases[] = {
      // Back to the start after the claim: the play and the claim stay.
      {Deal + Auction + Trick1 + "pc|DQ|pc|DA|pc|D2|pc|D9|mc|9|pg||up|52|",
       {"SK SA SQ S6", "D9 DQ DA D2", "[Result \"9\"]"},
       "- DQ"},
      // Another card at trick 2 after the first line: the variation stays out.
      {Deal + Auction + Trick1 + "pc|DQ|pc|DA|pc|D2|up|3|pc|HA|pc|H2|mc|10|",
       {"- DQ DA D2", "*"},
       "Result"},
      // A call taken back and another made; nothing taken back before the first call.
      {"ub||up||" + Deal + "mb|1S|mb|p|mb|2S|ub|2|mb|p|mb|p|", {"1S Pass 2S"}, "Pass\n"},
  };
  for (const auto& tCase : atCases) {
    const LinToPbnDef tOut = LinToPbn(tCase.Lin);
    EXPECT_EQ(Messages(tOut), "") << tCase.Lin;
    for (const std::string& Line : tCase.aLines) {
      EXPECT_NE(tOut.Pbn.find("\n" + Line + "\n"), std::string::npos) << tCase.Lin << "\n"
                                                                      << tOut.Pbn;
    }
    EXPECT_EQ(tOut.Pbn.find(tCase.LeftOut), std::string::npos) << tCase.Lin << "\n" << tOut.Pbn;
  }
}

// Commentary stays where it stands: before the deal's tags, after a call, after a card in its
// trick's row (written by seat, not in the order played).
TEST(LinToPbn, CommentaryStaysWhereItStands) {
  const LinToPbnDef tOut = LinToPbn(
      std::string("nt|Before the deal|md|") + kDeal + "|nt|Dealt|mb|7N|nt|Grand|mb|p|mb|p|mb|p|" +
      "nt|Lead?|pc|S2|nt|Low|pc|S5|pc|SK|pc|SA|pc|D5|pc|D2|pc|DK|nt|King!d|mc|13|nt|Claimed|");
  EXPECT_EQ(Messages(tOut), "");
  const std::string Pbn = tOut.Pbn.substr(tOut.Pbn.find("\n\n") + 2);
  EXPECT_EQ(Pbn.substr(0, Pbn.find("[Deal ")), "{Before the deal}\n{Dealt}\n[Dealer \"N\"]\n");
  EXPECT_EQ(Pbn.substr(Pbn.find("[Auction ")),
            "[Auction \"N\"]\n7NT\n{Grand}\nPass Pass Pass\n{Lead?}\n[Play \"E\"]\n"
            "S2\n{Low}\nS5 SK SA\nD2 DK\n{King\\D}\n{Claimed}\n- D5\n*\n\n");
  ASSERT_EQ(tOut.atLinePos.size(), testing_support::Lines(tOut.Pbn).size());
  EXPECT_EQ(testing_support::IndexText(tOut.Pbn, kUtf8Reading).Log, "");
}

// Whatever a commentary holds, its comment stays one comment of the game, in lines a PBN
// reader takes.
TEST(LinToPbn, CommentaryCannotBreakThePbn) {
  std::string Words;
  std::string Emoji;
  for (int i = 0; i < 70; i++) {
    Words += i < 16 ? "abcd " : "";
    Emoji += "\xF0\x9F\x98\x80";
  }
  const struct {
    std::string Text;
    std::string Comment;
  } atCases[] = {
      {"a}b{c", "{a)b(c}\n"},
      {"tab\tbell\x07"
       "del\x7f"
       "end  ",
       "{tab bell del end}\n"},
      {"one\r\n\r\n  \n%two", "{one\n %two}\n"},
      {"Zo\xeb \xa3", "{Zo\xc3\xab \xc2\xa3}\n"},  // Latin-1
      // 78 characters to a line, broken at a blank; 254 bytes at most, whole characters.
      {Words, "{" + Words.substr(0, 74) + "\nabcd}\n"},
      {Emoji, "{" + Emoji.substr(0, 63 * 4) + "\n" + Emoji.substr(63 * 4) + "}\n"},
      {" \n ", ""},
  };
  for (const auto& tCase : atCases) {
    const LinToPbnDef tOut = LinToPbn(std::string("md|") + kDeal + "|nt|" + tCase.Text + "|");
    const std::string Pbn = tOut.Pbn.substr(tOut.Pbn.find("\n\n") + 2);
    EXPECT_EQ(Pbn.substr(0, Pbn.find("[Dealer ")), tCase.Comment) << tCase.Text;
    EXPECT_TRUE(IsPbnText(tOut.Pbn)) << tCase.Text;
    EXPECT_EQ(testing_support::IndexText(tOut.Pbn, kUtf8Reading).Log, "") << tCase.Text;
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
      {std::string("md|") + kDeal + "|mb|1S|\nmb\r\n", 1,
       "2:1: E: Cut LIN file: it ends in 'mb' without a bar\n"},
  };
  for (const auto& tCase : atCases) {
    const LinToPbnDef tOut = LinToPbn(tCase.Lin);
    EXPECT_EQ(Messages(tOut), tCase.Messages) << tCase.Lin;
    EXPECT_EQ(tOut.NrBoards, tCase.NrBoards) << tCase.Lin;
  }
}

// A text too long for its tag line is cut to the line's 254 bytes, never inside an escape or a
// UTF-8 character.
TEST(LinToPbn, LongTextsFitTheirTagLines) {
  const std::string Long = std::string(200, 'x') + std::string(40, '"') + "\xc3\xab\xc3\xab";
  const LinToPbnDef tOut = LinToPbn("vg|" + Long + "|pn|" + Long + "|md|" + kDeal + "|mb|1S|an|" +
                                    Long + "|mb|p|mb|p|mb|p|");
  EXPECT_TRUE(IsPbnText(tOut.Pbn)) << tOut.Pbn;
  EXPECT_EQ(testing_support::IndexText(tOut.Pbn, kUtf8Reading).Log, "");
}

// A file cut anywhere says so, unless the cut falls just after a whole command.
TEST(LinToPbn, EveryCutIsSaid) {
  const std::string Lin = Example("online-match.lin");
  bool bValue = false;  // the cut falls inside a value
  for (std::size_t Size = 0; Size < Lin.size(); Size++) {
    const LinToPbnDef tOut = LinToPbn(Lin.substr(0, Size));
    const std::string_view Before = pbn::TrimBlanks(std::string_view(Lin).substr(0, Size));
    const bool bClean = !bValue && (Before.empty() || Before.back() == '|');
    EXPECT_EQ(Messages(tOut).find("Cut LIN file") == std::string::npos, bClean)
        << Size << ": " << Lin.substr(0, Size) << "\n"
        << Messages(tOut);
    if (Lin[Size] == '|') bValue = !bValue;
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

// The LIN lines of the games of a file indexed by tReading, as convert writes them; closes it.
std::string LinOfFile(std::FILE* pFile, const pbn::PbnImportOptionsDef& tReading) {
  const pbn::UInt32 NrGames = testing_support::IndexFile(pFile, tReading).NrGames;
  std::string Lin;
  for (pbn::UInt32 Game = 1; Game <= NrGames; Game++) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile, Game, &NrLines);
    Lin += GameToLin();
  }
  std::fclose(pFile);
  return Lin;
}

std::string LinOfGames(const std::string& Pbn) {
  TempFile tFile(Pbn, ".pbn");
  return LinOfFile(OpenGameFile(tFile.Path().c_str()), kUtf8Reading);
}

// A game is written as a line that reads back as a board of its own, or not at all when its
// deal holds no card (LIN has no board without one): a cut file's lone "[" gives none.
TEST(LinRoundTrip, EveryLineWrittenReadsBack) {
  const std::string Deal = testing_support::TestDealTag();
  const struct {
    std::string Pbn;
    unsigned NrBoards;
  } atCases[] = {
      {"[", 0},
      {"[Event \"x\"", 0},
      {"[Board \"1\"]\n" + Deal + "\n[Event \"x\"", 1},
      // No dealer: the second game is not the first one's amended deal.
      {"[Dealer \"N\"]\n" + Deal + "\n" + Deal + "\n[Board \"3\"]\n" + Deal, 3},
  };
  for (const auto& tCase : atCases) {
    const std::string Lin = LinOfGames(tCase.Pbn);
    EXPECT_EQ(testing_support::Lines(Lin).size(), tCase.NrBoards) << tCase.Pbn << "\n" << Lin;
    const LinToPbnDef tBack = LinToPbn(Lin);
    EXPECT_EQ(tBack.NrBoards, tCase.NrBoards) << tCase.Pbn << "\n" << Lin;
    EXPECT_EQ(Messages(tBack), tCase.NrBoards ? "" : "1:1: E: No LIN board with a deal\n") << Lin;
  }
}

// A file read as UTF-8 may hold bytes that are none: LIN gets U+FFFD for them, so that the rest
// of its text still reads as UTF-8.
TEST(LinRoundTrip, TextsStayUtf8) {
  const std::string Lin = LinOfGames("[North \"Zo\xc3\xab\"]\n[South \"\xff\xed\xa0\x80\"]\n" +
                                     testing_support::TestDealTag());
  EXPECT_NE(Lin.find("pn|\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd,,Zo\xc3\xab,|"),
            std::string::npos)
      << Lin;
  EXPECT_NE(LinToPbn(Lin).Pbn.find("[North \"Zo\xc3\xab\"]"), std::string::npos);
}

// LIN to PBN to LIN keeps what LIN holds: the second PBN is the first but for the event.
TEST(LinRoundTrip, LinToPbnToLin) {
  TempFile tFile(Example("online-match.lin"), ".lin");
  std::FILE* pFile = OpenGameFile(tFile.Path().c_str());
  ASSERT_NE(pFile, nullptr);
  const std::string Lin = LinOfFile(pFile, pbn::PbnReadingFor({}, pbn::PbnReadHead(pFile)));
  ASSERT_EQ(testing_support::Lines(Lin).size(), 4u);
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
