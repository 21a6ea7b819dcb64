// karvelon-cli hand-records: the pages of each layout, one diagram per board, the text of two
// files whole, the double-dummy table, par and makeable contracts of one solved deal, where the
// texts of a page stand and how large, the commentary over pages, and the faults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
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

class HandRecordsCommand : public cli_testing::FolderTest {
 protected:
  // What a poppler tool prints about the PDF.
  std::string Poppler(const std::string& Tool, const std::string& Pdf) {
    const std::string Out = (Dir / "poppler.txt").string();
    std::system((Tool + " " + Quote(Pdf) + " " + (Tool == "pdfinfo" ? "" : "- ") + ">" +
                 Quote(Out) + " 2>/dev/null")
                    .c_str());
    return ReadFile(Out);
  }

  // The words of the PDF where pdftotext -bbox finds them, in points from the page's top left;
  // Size is the font's, from the height of a line of DejaVu Sans (ascent and descent, 1.164 em).
  struct WordDef {
    std::string Text;
    int Page;
    double Left, Top, Right, Size;
  };
  std::vector<WordDef> Words(const std::string& Pdf) {
    const std::string Boxes = Poppler("pdftotext -bbox", Pdf);
    static const std::regex kWord(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<WordDef> atWords;
    int Page = 0;
    std::istringstream tLines(Boxes);
    for (std::string Line; std::getline(tLines, Line);) {
      std::smatch tMatch;
      if (Line.find("<page ") != std::string::npos) Page++;
      if (!std::regex_search(Line, tMatch, kWord)) continue;
      const double Top = std::stod(tMatch[2]);
      atWords.push_back({tMatch[5], Page, std::stod(tMatch[1]), Top, std::stod(tMatch[3]),
                         (std::stod(tMatch[4]) - Top) / 1.164});
    }
    return atWords;
  }
  std::string Pdf() const { return (Dir / "out.pdf").string(); }
};

// The tests that read the PDF back need poppler's tools; without them they skip.
class HandRecordsPdf : public HandRecordsCommand {
 protected:
  void SetUp() override {
    if (!testing_support::ProgramsFound("pdfinfo pdftotext pdffonts")) {
      GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext, pdffonts) is not installed";
    }
    HandRecordsCommand::SetUp();
  }
};

TEST_F(HandRecordsPdf, EachLayoutGivesItsPageCount) {
  struct {
    const char* pcFile;
    int PerPage;
    int NrPages;
  } const atCases[] = {
      {"showcase.pbn", 1, 5},
      {"showcase.pbn", 2, 3},
      {"showcase.pbn", 4, 2},
      {"showcase.pbn", 6, 1},
      {"showcase.pbn", 12, 1},
      {"club-36.pbn", 1, 36},
      {"club-36.pbn", 2, 18},
      {"club-36.pbn", 4, 9},
      {"club-36.pbn", 6, 6},
      {"club-36.pbn", 12, 3},
      // Boards played at several tables: each once, or each game with --every-table.
      {"club-session.pbn", 1, 3},
      {"club-session.pbn --every-table", 1, 12},
      {"club-session.pbn", 4, 1},
      {"club-session.pbn --every-table", 4, 3},
      {"online-match.pbn", 2, 1},
      {"online-match.pbn --every-table", 2, 2},
  };
  for (const auto& tCase : atCases) {
    const std::string Pdf = (Dir / "out.pdf").string();
    const auto Run = RunCli("hand-records " + Example(tCase.pcFile) + " -o out.pdf --no-dd " +
                                "--paper a4 --per-page " + std::to_string(tCase.PerPage),
                            Dir.string());
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    const std::string Info = Poppler("pdfinfo", Pdf);
    EXPECT_NE(Info.find("Pages:           " + std::to_string(tCase.NrPages) + "\n"), Info.npos)
        << tCase.pcFile << " " << tCase.PerPage << "\n"
        << Info;
    EXPECT_NE(Info.find("A4"), Info.npos);
  }
  // Nothing but the PDF is left beside it: the temporary file was renamed.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 2);  // + poppler.txt
}

TEST_F(HandRecordsPdf, ShowcaseTextWhole) {
  const auto Run = RunCli(
      "hand-records " + Quote(Example("showcase.pbn")) + " -o out.pdf --no-dd --paper letter",
      Dir.string());
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  const std::string Pdf = (Dir / "out.pdf").string();
  EXPECT_EQ(Poppler("pdftotext -raw", Pdf),
            ReadFile(std::string(KARVELON_SOURCE_DIR) + "/tests/cli/showcase-hand-records.txt"));
  const std::string Info = Poppler("pdfinfo", Pdf);
  EXPECT_NE(Info.find("Title:           Karvelon Club Championship\n"), Info.npos) << Info;
  EXPECT_NE(Info.find("Creator:         Karvelon "), Info.npos);
  EXPECT_NE(Info.find("letter"), Info.npos);
  EXPECT_EQ(Poppler("pdffonts", Pdf).find(" no "), std::string::npos);  // every font embedded
}

// Games without a deal are no board played at several tables: each is printed, with its own
// auction and no traveller, also where they share a Board.
TEST_F(HandRecordsPdf, GamesWithoutADealAreEachPrinted) {
  std::ofstream(Dir / "auctions.pbn")
      << "[Event \"Bidding\"]\n[Board \"1\"]\n[Dealer \"N\"]\n[Auction \"N\"]\n1C Pass 1H Pass\n\n"
      << "[Event \"Bidding\"]\n[Board \"1\"]\n[Dealer \"N\"]\n[Auction \"N\"]\n1S Pass 2S Pass\n";
  const auto Run =
      RunCli("hand-records auctions.pbn -o out.pdf --no-dd --per-page 2", Dir.string());
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  const std::string Text = Poppler("pdftotext -raw", Pdf());
  for (const char* pcCall : {"1♥", "2♠"})
    EXPECT_NE(Text.find(pcCall), Text.npos) << pcCall << "\n" << Text;
  EXPECT_EQ(Text.find("Traveller"), Text.npos) << Text;  // no results of one deal
}

// A game kept with --with-mistakes: its commentary is printed, its mistakes are not.
TEST_F(HandRecordsPdf, MistakesAreNoCommentary) {
  std::ofstream(Dir / "flags.pbn")
      << "[Event \"Lesson\"]\n[Board \"1\"]\n[BCFlags \"1f\"]\n[Dealer \"N\"]\n"
      << "[Vulnerable \"None\"]\n"
      << "[Deal \"N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\"]\n"
      << "{Lead a trump.}\n";
  const auto Run = RunCli("hand-records flags.pbn -o out.pdf --no-dd --per-page 1 --with-mistakes",
                          Dir.string());
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  const std::string Text = Poppler("pdftotext -raw", Pdf());
  EXPECT_NE(Text.find("Lead a trump."), Text.npos) << Text;
  for (const char* pcText : {"MISTAKES", "Bad tag name", "BCFlags"})
    EXPECT_EQ(Text.find(pcText), Text.npos) << pcText << "\n" << Text;
}

// A session of four tables: each board once, from its first game, with its traveller and the
// matchpoints under the deal, the file's own percentage that disagrees marked.
TEST_F(HandRecordsPdf, ClubSessionTextWhole) {
  const auto Run = RunCli("hand-records " + Quote(Example("club-session.pbn")) +
                              " -o out.pdf --no-dd --paper a4 --per-page 2",
                          Dir.string());
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_EQ(Poppler("pdftotext -raw", Pdf()), ReadFile(std::string(KARVELON_SOURCE_DIR) +
                                                       "/tests/cli/club-session-hand-records.txt"));
}

// Where the texts of a page stand and how large they are: a long title and a long file name keep
// clear of the date and of the foot's note, the double-dummy figures are at least 7 pt at four
// boards a page and 6 pt at twelve, and a board's number is never smaller than its dealer.
TEST_F(HandRecordsPdf, TextsOfAPageKeepTheirPlaceAndSize) {
  const std::string Name = std::string(90, 'x') + ".pbn";
  std::filesystem::copy_file(Example("club-36.pbn"), Dir / Name);
  for (int PerPage : {4, 12}) {
    const auto Run =
        RunCli("hand-records " + Name + " -o out.pdf --paper a4 --boards 1-12 " + "--title " +
                   std::string(160, 'T') + " --per-page " + std::to_string(PerPage),
               Dir.string());
    ASSERT_EQ(Run.Status, 0) << Run.Err;
    const std::vector<WordDef> atWords = Words(Pdf());
    // The first word that starts with Start, or one at the page's origin.
    const auto Find = [&](const std::string& Start) {
      for (const WordDef& tWord : atWords) {
        if (tWord.Text.rfind(Start, 0) == 0) return tWord;
      }
      ADD_FAILURE() << "no word " << Start;
      return WordDef{Start, 0, 0, 0, 0, 0};
    };
    EXPECT_LT(Find("TTTT").Right, Find("2026.02.02").Left) << PerPage;
    EXPECT_LT(Find("xxxx").Right, Find("Double").Left) << PerPage;
    double Smallest = 100;
    double Board = 100;
    double Dealer = 0;
    for (const WordDef& tWord : atWords) {
      if (tWord.Text == "NT") Smallest = std::min(Smallest, tWord.Size);
      if (tWord.Text == "Board") Board = std::min(Board, tWord.Size);
      if (tWord.Text == "Dealer") Dealer = std::max(Dealer, tWord.Size);
    }
    EXPECT_GE(Smallest, PerPage == 4 ? 7 : 6) << PerPage;
    EXPECT_GE(Board, Dealer) << PerPage;
  }
}

// Deals solved: a table row and par, the game's own OptimumResultTable checked against the
// solver (one cell wrong), the makeable contracts, and a deal the solver cannot take with its
// reason.
TEST_F(HandRecordsPdf, DoubleDummyTableAndParOfOneDeal) {
  std::string Table = "[OptimumResultTable \"Declarer;Denomination\\2R;Result\\2R\"]\n";
  const char* apcRows[4] = {"N", "S", "E", "W"};
  const char* apcStrains[5] = {"NT", "S", "H", "D", "C"};
  const int aaTricks[4][5] = {{7, 10, 8, 6, 9}, {7, 10, 8, 6, 9}, {3, 3, 5, 6, 4}, {3, 3, 5, 6, 3}};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 5; ++c)
      Table += std::string(apcRows[r]) + " " + apcStrains[c] + " " +
               std::to_string(aaTricks[r][c]) + "\n";
  }
  const TempFile File(
      "% PBN 2.1\n[Event \"Pairs\"]\n[Board \"7\"]\n[Dealer \"N\"]\n"
      "[Vulnerable \"None\"]\n[Deal \"N:AK.K86.AK95.T865 85.T92.Q8764.K93 "
      "QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\"]\n" +
      Table +
      "\n[Event \"Pairs\"]\n[Board \"8\"]\n[Dealer \"E\"]\n[Vulnerable \"NS\"]\n"
      "[Deal \"N:AKQJT98765432... - - -\"]\n"
      "\n[Event \"Pairs\"]\n[Board \"9\"]\n[Dealer \"N\"]\n[Vulnerable \"None\"]\n"
      "[Deal \"N:KQJ8.72.J65.KQ83 AT32.KJ94.KT98.J 764.QT3.Q7.AT974 95.A865.A432.652\"]\n");
  const auto Run = RunCli("hand-records " + Quote(File.Path()) +
                              " -o out.pdf --pbn 2.1 --per-page 2 --title 'Club night' --jobs 1",
                          Dir.string());
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Err,
            "hand-records: the OptimumResultTable of 1 boards disagrees with the solver in 1 "
            "cells; the solver's tricks are printed\n");
  const std::string Text = Poppler("pdftotext -raw", (Dir / "out.pdf").string());
  for (const char* pcText :
       {"Club night", "Board 7", "N 7 10 8 6 9", "W 3 3 5 6 4", "Par NS 420", "4S by NS", "Board 8",
        "No double dummy: South's hand is not given", "Page 1 of 2",
        // The contracts each side makes, by its better declarer.
        "NS 1NT 4♠ 2♥ 3♣\n", "NS 1NT 2♣ · EW 3♥ 3♦\n"}) {
    EXPECT_NE(Text.find(pcText), Text.npos) << pcText << "\n" << Text;
  }
}

// At one board a page: the game's players and score, and its commentary alone (not the tables
// and other tags of the game), wrapped again to the page where the file wrapped it at its width,
// going on to a second page whole instead of ending in "…".
TEST_F(HandRecordsPdf, CommentaryGoesOnToTheNextPage) {
  std::string Comment;
  std::vector<std::pair<std::string, std::string>> atBreaks;  // words the file's lines part
  std::string Line;
  for (int Word = 1; Word <= 400; ++Word) {
    const std::string Text = "word" + std::to_string(Word);
    if (!Line.empty() && Line.size() + 1 + Text.size() > 50) {
      Comment += Line + "\n";
      atBreaks.emplace_back(Line.substr(Line.rfind(' ') + 1), Text);
      Line.clear();
    }
    Line += (Line.empty() ? "" : " ") + Text;
  }
  Comment += Line + "\n\nSecond paragraph.";
  std::ofstream(Dir / "lesson.pbn")
      << "% PBN 2.1\n[Event \"Lesson\"]\n[Board \"1\"]\n[West \"Di West\"]\n"
      << "[North \"Ann North\"]\n[East \"Bob East\"]\n[South \"Cy South\"]\n"
      << "[Dealer \"N\"]\n[Vulnerable \"None\"]\n"
      << "[Deal \"N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\"]\n"
      << "[Declarer \"S\"]\n[Contract \"4S\"]\n[Result \"10\"]\n{" << Comment << "}\n"
      << "[Auction \"N\"]\n1D Pass 1S Pass\n2NT Pass 4S Pass\nPass Pass\n"
      << "[BCFlags \"1f\"]\n[DoubleDummyTricks \"a9a8a9a8a9a8a9a8a9a8\"]\n"
      << "[OptimumResultTable \"Declarer;Denomination\\2R;Result\\2R\"]\nN NT 7\nS NT 7\n";
  const auto Run = RunCli("hand-records lesson.pbn -o out.pdf --no-dd --per-page 1", Dir.string());
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_NE(Poppler("pdfinfo", Pdf()).find("Pages:           2\n"), std::string::npos);
  const std::string Text = Poppler("pdftotext -raw", Pdf());
  for (const char* pcText :
       {"North Ann North", "West Di West", "Score NS 420", "word1 ", "word400\n",
        "Board 1, continued", "\nSecond paragraph.\n", "Page 2 of 2"}) {
    EXPECT_NE(Text.find(pcText), Text.npos) << pcText << "\n" << Text;
  }
  for (const char* pcText : {"\u2026", "BCFlags", "DoubleDummyTricks", "OptimumResultTable"})
    EXPECT_EQ(Text.find(pcText), Text.npos) << pcText << "\n" << Text;
  // Where the file broke its lines the page goes on, but where the page's lines end.
  const size_t NrJoined = std::count_if(atBreaks.begin(), atBreaks.end(), [&](const auto& tBreak) {
    return Text.find(tBreak.first + " " + tBreak.second) != std::string::npos;
  });
  EXPECT_GT(NrJoined, atBreaks.size() / 2) << Text;
}

TEST_F(HandRecordsPdf, BoardsSelectWhatIsPrinted) {
  struct {
    const char* pcBoards;
    const char* pcPrinted;  // the boards of showcase, 1 to 5, printed ('x') or not ('.')
  } const atCases[] = {{"2-3,9", ".xx.."}, {"5", "....x"}, {"1-1,4-5", "x..xx"}};
  for (const auto& tCase : atCases) {
    const auto Run = RunCli("hand-records " + Quote(Example("showcase.pbn")) + " -o out.pdf " +
                                "--no-dd --boards " + tCase.pcBoards,
                            Dir.string());
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    const std::string Text = Poppler("pdftotext -raw", (Dir / "out.pdf").string());
    for (int Board = 1; Board <= 5; ++Board) {
      const bool bPrinted = Text.find("Board " + std::to_string(Board) + "\n") != Text.npos;
      EXPECT_EQ(bPrinted, tCase.pcPrinted[Board - 1] == 'x') << tCase.pcBoards << " " << Board;
    }
  }
}

TEST_F(HandRecordsCommand, FaultsGiveTheirStatus) {
  const TempFile NoGames("% no games here\n");
  struct {
    std::string Args;
    int Status;
    const char* pcErr;
  } const atCases[] = {
      {Quote(NoGames.Path()) + " -o out.pdf", 1, "no PBN games"},
      {Quote(Example("showcase.pbn")) + " -o missing/out.pdf --no-dd", 2,
       "cannot write missing/out.pdf: its folder does not exist"},
      {Quote(Example("showcase.pbn")) + " -o out.pdf --boards 40-50 --no-dd", 1,
       "no board in the --boards given"},
      {Quote(Example("showcase.pbn")) + " -o out.pdf --per-page 3", 2, "--per-page takes"},
      {Quote(Example("showcase.pbn")) + " -o out.pdf --boards 2-x", 2, "--boards takes"},
      {Quote(Example("showcase.pbn")) + " -o out.pdf --paper a5", 2, "--paper takes"},
      {Quote(Example("showcase.pbn")), 2, "usage"},
      {"missing.pbn -o out.pdf", 2, "cannot open missing.pbn"},
      {Quote(NoGames.Path()) + " -o " + Quote(NoGames.Path()), 2, "is FILE itself"},
  };
  for (const auto& tCase : atCases) {
    const auto Run = RunCli("hand-records " + tCase.Args, Dir.string());
    EXPECT_EQ(Run.Status, tCase.Status) << tCase.Args;
    EXPECT_NE(Run.Err.find(tCase.pcErr), Run.Err.npos) << tCase.Args << ": " << Run.Err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(Dir));  // no PDF, whole or half
  // Refused games are left out and counted; the rest is printed.
  const auto Run = RunCli("hand-records " + Quote(Example("mistakes.pbn")) + " -o out.pdf --no-dd",
                          Dir.string());
  EXPECT_EQ(Run.Status, 0);
  EXPECT_NE(Run.Err.find("games with mistakes left out"), Run.Err.npos) << Run.Err;
}

}  // namespace
