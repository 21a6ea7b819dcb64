// Annotate's edits of a file's text: the lines added, the bytes kept, the tags already present.
#include "games/annotate.h"

#include "import/import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace pbn {
namespace {

// The first game of examples/pbn21.pbn: by NT S H D C, 9 10 7 7 8 for North and South and
// 3 3 5 5 4 for East and West; par 4S by North-South.
DdAnnotationDef ExampleAnalysis() {
  DdAnnotationDef tDd;
  const int aNS[PBN_N_TRUMPS] = {8, 7, 7, 10, 9};  // by trump code: C D H S NT
  const int aEW[PBN_N_TRUMPS] = {4, 5, 5, 3, 3};
  for (int Trump = 0; Trump < PBN_N_TRUMPS; Trump++) {
    tDd.aaTricks[PBN_NORTH][Trump] = tDd.aaTricks[PBN_SOUTH][Trump] = aNS[Trump];
    tDd.aaTricks[PBN_EAST][Trump] = tDd.aaTricks[PBN_WEST][Trump] = aEW[Trump];
  }
  tDd.bPar = true;
  tDd.ParScore = 420;
  tDd.ParContracts = {"4S by NS", "4S by N"};
  return tDd;
}

// The lines annotate adds for ExampleAnalysis, each ended by Eol.
std::string AddedLines(const std::string& Eol) {
  std::string Lines = "[OptimumScore \"NS 420 EW -420\"]" + Eol +
                      "[ParContract \"NS 4S=; N 4S=\"]" + Eol +
                      "[DoubleDummyTricks \"9a7789a7783355433554\"]" + Eol +
                      "[OptimumResultTable \"Declarer;Denomination\\2R;Result\\2R\"]" + Eol;
  for (const char* pcSide : {"N", "E", "S", "W"}) {
    const bool bNS = pcSide[0] == 'N' || pcSide[0] == 'S';
    const char* apcRows[5] = {" NT  9", "  S 10", "  H  7", "  D  7", "  C  8"};
    const char* apcRowsEW[5] = {" NT  3", "  S  3", "  H  5", "  D  5", "  C  4"};
    for (int Row = 0; Row < 5; Row++)
      Lines += pcSide + std::string(bNS ? apcRows[Row] : apcRowsEW[Row]) + Eol;
  }
  return Lines;
}

GameEditsDef Edits(const std::string& Text, size_t Begin, UInt32 NrLines, bool bReplace = false) {
  return AnnotateGame(Text, GameSpanOf(Text, Begin, NrLines), ExampleAnalysis(), bReplace);
}

std::string Annotated(const std::string& Text, size_t Begin, UInt32 NrLines,
                      bool bReplace = false) {
  return ApplyEdits(Text, Edits(Text, Begin, NrLines, bReplace).atEdits);
}

TEST(Annotate, AddsTheTagsAfterTheGamesLastLineWithItsLineEnds) {
  EXPECT_EQ(DoubleDummyTricksText(ExampleAnalysis().aaTricks), "9a7789a7783355433554");

  // Comments, escapes and odd spacing stay; a tag inside a comment is no tag.
  const std::string Game =
      "[Event \"a \\\"b\\\"\"] {[OptimumScore \"NS 1\"]}\r\n"
      "[Deal \"N:...\"]\r\n"
      "%[ParContract \"x\"]\r\n"
      "[Auction \"N\"]\r\n1C ; [DoubleDummyTricks \"0\"]\r\n";
  const std::string Text = "% head\n\n" + Game + "  \r\n\n[Event \"next\"]\n";
  EXPECT_EQ(Annotated(Text, 8, 6),
            "% head\n\n" + Game + AddedLines("\r\n") + "  \r\n\n" + "[Event \"next\"]\n");

  // A last line without a line end gets the file's; the added lines end without one.
  const std::string Last = "[Event \"x\"]\n[Board \"1\"]";
  std::string Expected = Last + "\n" + AddedLines("\n");
  Expected.pop_back();
  EXPECT_EQ(Annotated(Last, 0, 2), Expected);

  // A game that ends inside a comment would hold the new lines: no edit, and it is said.
  for (const std::string Open :
       {"[Event \"x\"]\n{open\n", "[Event \"x\"]\n{open", "[Event \"x\"] {a\n\n"}) {
    const GameEditsDef tOpen = Edits(Open, 0, 3);
    EXPECT_TRUE(tOpen.atEdits.empty() && tOpen.bNotReadBack) << Open;
  }

  // Without par only the tricks are written.
  DdAnnotationDef tNoPar = ExampleAnalysis();
  tNoPar.bPar = false;
  const GameEditsDef tEdits = AnnotateGame(Last, GameSpanOf(Last, 0, 2), tNoPar, false);
  EXPECT_EQ(tEdits.NrAdded, 2);
}

TEST(Annotate, TagsPresentAreKeptUnlessTheyDifferAndReplaceIsGiven) {
  const std::string Once = Annotated("[Event \"x\"]\n\n", 0, 2);
  EXPECT_EQ(Annotated(Once, 0, 26), Once);  // a second run adds nothing
  EXPECT_EQ(AnnotateTagsPresent(Once, GameSpanOf(Once, 0, 26)),
            (std::array<bool, ANNOTATE_N_TAGS>{true, true, true, true}));

  // Other writers' forms of the same values are the same; rows in any order and spacing.
  const std::string Same =
      "[OptimumScore \"NS 420\"]\n[ParContract \"4S NS, 4S N\"]\n"
      "[DoubleDummyTricks \"9A7789A7783355433554\"]\n"
      "[OptimumResultTable \"Result;Declarer;Denomination\"]\n"
      "9 N NT 10 N S 7 N H 7 N D 8 N C 3 E NT 3 E S 5 E H 5 E D 4 E C\n"
      "9 S NT 10 S S 7 S H 7 S D 8 S C 3 W NT 3 W S 5 W H 5 W D 4 W C\n";
  EXPECT_TRUE(Edits(Same, 0, 6).atEdits.empty());
  // A table that leaves cells out (here South's and East's rows) differs only in those it gives.
  const std::string Rows =
      "[OptimumResultTable \"Declarer;Denomination;Result\"]\n"
      "N NT 9 N S 10 N H 7 N D 7 N C 8 W NT 3 W S 3 W H 5 W D 5 W C 4\n";
  EXPECT_TRUE(Edits(Rows, 0, 2).atConflicts.empty());
  std::string Wrong = Rows;
  Wrong.replace(Wrong.find("W C 4"), 5, "W C 5");
  EXPECT_EQ(Edits(Wrong, 0, 2).atConflicts.size(), 1u);

  const std::string Other =
      "[OptimumScore \"EW 50\"] {kept}\n[ParContract \"4S N\"]\n"
      "[DoubleDummyTricks \"9a7789a7783355433554\"]\n"
      "[OptimumResultTable \"Declarer;Denomination;Result\"]\nN NT 8\n[Board \"1\"] ; short\n";
  const GameEditsDef tKept = Edits(Other, 0, 7);
  EXPECT_TRUE(tKept.atEdits.empty());
  ASSERT_EQ(tKept.atConflicts.size(), 3u);
  EXPECT_EQ(tKept.atConflicts[0].Tag, ANNOTATE_OPTIMUM_SCORE);
  EXPECT_EQ(tKept.atConflicts[0].FileValue, "EW 50");
  EXPECT_EQ(tKept.atConflicts[1].SolverValue, "NS 4S=; N 4S=");
  EXPECT_EQ(tKept.atConflicts[2].Tag, ANNOTATE_OPTIMUM_TABLE);
  EXPECT_EQ(tKept.atConflicts[2].FileValue, "8???????????????????");  // the cells it gives

  // Replaced in place: a value between its quotes, a table with its rows up to its last one.
  std::string Table = AddedLines("\n").substr(AddedLines("\n").find("[OptimumResultTable"));
  Table.pop_back();
  EXPECT_EQ(Annotated(Other, 0, 7, true),
            "[OptimumScore \"NS 420 EW -420\"] {kept}\n[ParContract \"NS 4S=; N 4S=\"]\n"
            "[DoubleDummyTricks \"9a7789a7783355433554\"]\n" +
                Table + "\n[Board \"1\"] ; short\n");
}

// ParContract is read in the forms the files write: side first ("NS 4S=") or contract first
// ("4S NS"), the result after the contract ("=" where none is written), in any order.
TEST(Annotate, ParContractIsComparedInEitherForm) {
  const struct {
    const char* pcValue;
    bool bSame;  // as the solver's 4S by NS and by N
  } atCases[] = {
      {"NS 4S=; N 4S=", true},  {"N 4S; NS 4S", true},    {"4S NS, 4S N", true},
      {"ns 4s=, n 4s", true},   {"NS 4S=", false},        {"NS 4S+1; N 4S=", false},
      {"EW 4S=; N 4S=", false}, {"NS 4H=; N 4S=", false}, {"NS 4SX-1; N 4S=", false},
      {"NS; N 4S=", false},     {"Pass", false},          {"", false},
  };
  for (const auto& tCase : atCases) {
    const std::string Text = std::string("[ParContract \"") + tCase.pcValue + "\"]\n";
    EXPECT_EQ(Edits(Text, 0, 1).atConflicts.empty(), tCase.bSame) << tCase.pcValue;
  }
  // What annotate writes of other results: the side first, the result after the contract.
  DdAnnotationDef tDd = ExampleAnalysis();
  tDd.ParContracts = {"5DX-2 by EW", "3NT+1 by W"};
  const std::string Added = ApplyEdits("", AnnotateGame("", {0, 0}, tDd, false).atEdits);
  EXPECT_NE(Added.find("[ParContract \"EW 5DX-2; W 3NT+1\"]"), std::string::npos) << Added;
  tDd.ParContracts = {};
  const std::string PassOut = ApplyEdits("", AnnotateGame("", {0, 0}, tDd, false).atEdits);
  EXPECT_NE(PassOut.find("[ParContract \"Pass\"]"), std::string::npos) << PassOut;
}

TEST(Annotate, TheHeadDeclaresPbn21) {
  struct CaseDef {
    std::string Text;
    std::string Expected;  // the text after the edit
  } const atCases[] = {
      {"[Event \"x\"]\r\n", "% PBN 2.1\r\n[Event \"x\"]\r\n"},
      {"\xEF\xBB\xBF{c}\n[Event \"x\"]\n", "\xEF\xBB\xBF% PBN 2.1\n{c}\n[Event \"x\"]\n"},
      {"% EXPORT\n%  PBN 1.0 \n[Event \"x\"]\n", "% EXPORT\n%  PBN 2.1 \n[Event \"x\"]\n"},
      {"% PBN 2.0\n", "% PBN 2.1\n"},
      {"% PBN 2.1\n", "% PBN 2.1\n"},
      {"% PBN 3.0\n", "% PBN 3.0\n"},
  };
  for (const CaseDef& tCase : atCases) {
    std::FILE* pFile = fmemopen(const_cast<char*>(tCase.Text.data()), tCase.Text.size(), "rb");
    ASSERT_NE(pFile, nullptr);
    const PbnHeadDef tHead = PbnReadHead(pFile);
    std::fclose(pFile);
    const auto tEdit = VersionEdit(tCase.Text, tHead);
    EXPECT_EQ(tEdit ? ApplyEdits(tCase.Text, {*tEdit}) : tCase.Text, tCase.Expected) << tCase.Text;
  }
}

// Any bytes, any span: the edit reads nothing outside the text and keeps every byte of it.
TEST(Annotate, AnyTextKeepsItsBytes) {
  const char acAlphabet[] = "[]{}\";%\\\n\r \t#aNS0OptimumScore";
  unsigned Seed = 1;
  const auto Next = [&Seed](unsigned Range) {
    Seed = Seed * 1103515245u + 12345u;
    return (Seed >> 16) % Range;
  };
  for (int Run = 0; Run < 2000; Run++) {
    std::string Text;
    for (unsigned i = Next(80); i > 0; i--)
      Text += acAlphabet[Next(sizeof acAlphabet - 1)];
    const GameEditsDef tEdits = Edits(Text, Next(90), Next(6), Next(2) == 1);
    const std::string Result = ApplyEdits(Text, tEdits.atEdits);
    if (tEdits.atConflicts.empty()) {  // only additions: the text is still there in order
      size_t Found = 0;
      for (char c : Text) {
        Found = Result.find(c, Found);
        ASSERT_NE(Found, std::string::npos) << Text;
        Found++;
      }
    }
  }
}

// Where the importer finds tags in texts that faults cut: every place stays inside the text, and
// a token cut before its end is empty, so that the value annotate takes of it is a real part.
TEST(Annotate, PlacesOfCutTagsAndTokensStayInTheText) {
  const std::string atTexts[] = {
      "[Dealer \"S\"]\nQJ4\"]\n[Declarer \"S\"]\n[Contract \"3NT\"]\n[Result \"^0\"]\n"
      "[Auc!!on \"S\"]\n1NT Pass 3NT AP\n[\n",
      "[Event \"d\tx\"]\v\n\n[Event \"x\"]\n", "[Event \"a\"]\nx \"cut", "[Ev"};
  for (const std::string& Text : atTexts) {
    for (const PbnTagPlaceDef& tPlace : PbnReadTagPlaces(Text, 0)) {
      EXPECT_LE(std::max({tPlace.NameEnd, tPlace.ValueEnd, tPlace.DataEnd}), Text.size()) << Text;
      for (const PbnTagPlaceDef::TokenDef& tToken : tPlace.atTokens)
        EXPECT_TRUE(tToken.Begin <= tToken.End && tToken.End <= Text.size()) << Text;
    }
  }
}

}  // namespace
}  // namespace pbn
