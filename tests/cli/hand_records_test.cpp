// karvelon-cli hand-records: the pages of each layout, the text of one file whole, the
// double-dummy table and par of one solved deal, and the faults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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
      {"showcase.pbn", 1, 5}, {"showcase.pbn", 2, 3},  {"showcase.pbn", 4, 2},
      {"showcase.pbn", 6, 1}, {"showcase.pbn", 12, 1}, {"club-36.pbn", 1, 36},
      {"club-36.pbn", 2, 18}, {"club-36.pbn", 4, 9},   {"club-36.pbn", 6, 6},
      {"club-36.pbn", 12, 3},
  };
  for (const auto& tCase : atCases) {
    const std::string Pdf = (Dir / "out.pdf").string();
    const auto Run =
        RunCli("hand-records " + Quote(Example(tCase.pcFile)) + " -o out.pdf --no-dd " +
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

// One deal solved: its table row and par, the game's own OptimumResultTable checked against the
// solver (one cell wrong), and a deal the solver cannot take with its reason.
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
      "[Deal \"N:AKQJT98765432... - - -\"]\n");
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
        "No double dummy: South's hand is not given", "Page 1 of 1"}) {
    EXPECT_NE(Text.find(pcText), Text.npos) << pcText << "\n" << Text;
  }
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
