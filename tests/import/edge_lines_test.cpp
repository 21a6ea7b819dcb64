// Where a reader that takes a line by runs of characters can go wrong: lines of 254 to 511
// characters, a token cut by the 255th, a file without its last line feed or cut inside a tag,
// carriage returns alone, NUL bytes and tabs. The log, the count and the offsets of every case
// must stay exactly those kept in tests/import/data. Whole tokens read in one go must read every
// such text, and a generated file, exactly as the steps of one character each do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../bench/pbn_generator.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "import/import_internal.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using namespace std::string_literals;
using testing_support::ReadFile;
using testing_support::TempFile;
using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

struct EdgeCase {
  const char* pcName;
  std::string Text;
};

std::vector<EdgeCase> EdgeCases() {
  const std::string Auction =
      "[Dealer \"N\"]\n" + testing_support::TestDealTag() + "[Auction \"N\"]\n";
  const auto Blanks = [](size_t NrBlanks) { return std::string(NrBlanks, ' '); };
  const auto Comment = [](size_t Length) { return "{" + std::string(Length - 2, 'c') + "}"; };
  return {
      {"a line of 254 characters", "[Event \"a\"]\n" + Comment(254) + "\n"},
      {"a line of 255 characters", "[Event \"a\"]\n" + Comment(255) + "\n"},
      {"a line of 256 characters", "[Event \"a\"]\n" + Comment(256) + "\n"},
      {"510 blanks", Blanks(510) + "\n[Event \"a\"]\n"},
      {"511 blanks", Blanks(511) + "\n[Event \"a\"]\n"},
      {"a game after 300 blanks", Blanks(300) + "[Event \"a\"]\n"},
      {"a value over the 255th character", "[Event \"" + std::string(260, 'v') + "\"]\n"},
      {"a call over the 255th character", Auction + Blanks(252) + "Pass Pass\n"},
      {"a call ending at the 255th character", Auction + Blanks(251) + "Pass\n"},
      {"no last line feed", "[Event \"a\"]\n[Site \"b\"]"},
      {"no line feed after a call", Auction + "1C Pass"},
      {"a comment open at the end", "[Event \"a\"] {open"},
      {"a value open at the end", "[Event \"x"},
      {"a tag open at the end", "[Event \"x\""},
      {"a lone bracket", "["},
      {"carriage returns alone", "[Event \"a\"]\r[Site \"b\"]\r\r[Date \"c\"]\r"},
      {"a carriage return in a value", "[Event \"a\rb\"]\n"},
      {"an escape line after a carriage return", "\r% escape\n[Event \"a\"]\n"},
      {"CR LF", "[Event \"a\"]\r\n\r\n[Site \"b\"]\r\n"},
      {"a NUL in a value", "[Event \"a\0b\"]\n"s},
      {"a NUL first on a line", "\0[Event \"a\"]\n[Site \"b\"]\n"s},
      {"a NUL after a call", Auction + "1C\0 x\nPass\n"s},
      {"a NUL after 255 blanks", "[Event \"a\"]\n" + Blanks(255) + "\0q\n[Site \"b\"]\n"s},
      {"a call cut by the chunk, then a NUL", Auction + Blanks(253) + "1C\0x\nPass\n"s},
      {"tabs and a vertical tab", "[Event\t\"a\"]\v\n[Site \"a\tb\"]\n"},
      {"bytes above 127", "[Event \"caf\xc3\xa9 \x80\x9f\"]\n{\xe2\x82\xac \x7f}\n"},
  };
}

// What the index pass of Text logs, with line numbers; *pNrGames: how many it indexes.
std::string PassLog(const std::string& Text, const PbnImportOptionsDef& tOptions,
                    UInt32* pNrGames) {
  if (tFileAdmin.tGameTagDD.ptData == nullptr) GameInit();
  TempFile File(Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  std::string Log;
  PbnLogSinkDef tSink;
  tSink.pMemory = &Log;
  tSink.bLineNumbers = PBN_TRUE;
  PbnImportLog(tSink);
  GamesLoad(pFile.get(), pNrGames, tOptions);
  PbnImportLog({});
  return Log;
}

// What the index pass logs (with line numbers) and counts, and what the import of the first
// game gives.
std::string Reading(const EdgeCase& tCase, const PbnImportOptionsDef& tOptions) {
  UInt32 NrGames = 0;
  const std::string Log = PassLog(tCase.Text, tOptions, &NrGames);
  auto Result = testing_support::ImportText(tCase.Text);  // by the reading of the pass
  PbnImportSetOptions({});
  return "== " + std::string(tCase.pcName) + ": " + std::to_string(NrGames) +
         " games; the first: error " + std::to_string(Result.Error) + ", begins " +
         std::to_string(Result.FilePosBegin) + ", next " + std::to_string(Result.FilePosOut) +
         "\n" + Log;
}

TEST(EdgeLines, LogsCountsAndOffsetsAreUnchanged) {
  if (tFileAdmin.tGameTagDD.ptData == nullptr) GameInit();
  std::string Text;
  for (const EdgeCase& tCase : EdgeCases())
    Text += Reading(tCase, {});
  // The 2.1 reading of UTF-8 text stores the bytes above 127 as they are.
  Text += "== PBN 2.1, UTF-8\n";
  for (const EdgeCase& tCase : EdgeCases())
    Text += Reading(tCase, {PBN_STANDARD_2_1, PBN_ENCODING_UTF_8});
  EXPECT_EQ(Text,
            ReadFile(std::string(KARVELON_SOURCE_DIR) + "/tests/import/data/edge_lines.expected"));
}

// Where reading a whole tag pair or a whole call or card in one go must stop or hand over: at the
// 255th character and the chunk's end, at every error of a tag or a move, at a character that a
// move's state must take itself, and where a tag follows a section or its data.
std::vector<EdgeCase> WholeTokenCases() {
  const std::string Auction =
      "[Dealer \"N\"]\n" + testing_support::TestDealTag() + "[Auction \"N\"]\n";
  const std::string Play = "[Dealer \"S\"]\n" + testing_support::TestDealTag() +
                           "[Declarer \"S\"]\n[Contract \"3NT\"]\n[Play \"W\"]\n";
  const auto Blanks = [](size_t NrBlanks) { return std::string(NrBlanks, ' '); };
  std::vector<EdgeCase> atCases;
  // A tag whose "]" or line feed is the 254th, 255th or 256th character; calls likewise.
  for (size_t NrBlanks = 239; NrBlanks <= 245; NrBlanks++) {
    atCases.push_back(
        {"a tag late on its line", Blanks(NrBlanks) + "[Event \"abcd\"]\n[Site \"s\"]\n"});
  }
  for (size_t NrBlanks = 240; NrBlanks <= 254; NrBlanks++) {
    atCases.push_back({"calls late on their line", Auction + Blanks(NrBlanks) + "1C Pass Pass\n"});
    atCases.push_back({"annotations late on their line",
                       Auction + Blanks(NrBlanks) + "1C !? ! =1= $5 {c} ;x\nPass\n"});
  }
  for (size_t NrBlanks = 240; NrBlanks <= 254; NrBlanks++)
    atCases.push_back({"cards late on their line", Play + Blanks(NrBlanks) + "HA H6 HT H4\nS2\n"});
  // After a NUL the line goes on in the next chunk, so that a token may meet the 255th character
  // of the line before the end of its chunk.
  for (size_t NrBlanks = 40; NrBlanks <= 56; NrBlanks++) {
    atCases.push_back({"tokens after a NUL", Auction + std::string(200, ' ') + "1C\0x\n"s +
                                                 Blanks(NrBlanks) +
                                                 "1C =1= $5 !? ! {c} [Event \"e\"] ;z\nPass\n"});
  }
  for (size_t NrBlanks = 40; NrBlanks <= 48; NrBlanks++) {
    atCases.push_back({"a tag after a NUL", "[Event \"a\"]" + Blanks(190) + "\0z\n"s +
                                                Blanks(NrBlanks) + "[Site \"s\"]\n"});
  }
  const std::vector<std::string> aTexts = {
      "[Evnt \"a\"] [Board \"x\"] [Event \"b\"]\n",
      "[Board \"x\"]x\n[Board \"\"]\n[Event \"a\"] ]\n",
      "[Event \"a\"][Site \"b\"]\n[Date\"c\"]\n[Round  \"d\"]\n[Board \"1\" ]\n",
      "[Event \"a\\\"b\"]\n[Site \"100%\"]\n[Date \"a\tb\"]\n[Event \"\xc3\xa9\x85\"]\n",
      "[Event \"a\"]\r\n[Site \"b\"]\r[Date \"c\"]\n",
      "[Event \"" + std::string(240, 'v') + "\"]\n",
      "[" + std::string(252, 'N') + " \"v\"]\n",
      Auction + "1C 1C Pass 8C pass\nPass\n",
      Auction + "1C=1= Pass! 1H$12 Pass{c} 2H;x\nPass*\n",
      Auction + "1C\tPass\x85 Pass\r\n1H %x\n1C^S Pass\n",
      Play + "HA H6 HT ^R H4\nS2 SX S3 S4 H7\nC2 C3 C4 C5 D2 D3\n",
      Play + "HA H6 HT H4\n[Result \"9\"]\n",
      Play + "HA HA H6 HT H4\nC4 D5 C3 C2\nhj  h8 -   h5\nCQ\tC5 Cx C7\n",
      Play + "HA H6 $1 HT! H4 =1=\nS2 {a} S3 ; b\nS4* S5\n",
      Auction + "1C!?=1=$3{x}Pass;y\n1H $ $99999999999 =x= =1 !!! ?x 1S\n",
      Auction + "1C {a\tb} {} {a%b} ; c\td\n;\n1H {open\nstill} Pass ;last",
      Auction + "1C =12345= $0 ?? ?! !x\r\n1D ;\r\nPass $1\n",
      Auction + "1C !\x85 Pass !% Pass !\x01 Pass ?\t1D !\x7f\n",
      Auction + "1C Pass Pass Pass\n[Play \"E\"]\nD2 D3\n[Note \"1:x\"]\n",
      "% PBN 2.1\n[Event \"a\"] x \"y\" z\n[Site \"b\"] {c} [Date \"d\"]\n",
      Blanks(253) + "[E \"\"]\n" + Blanks(255) + "[Event \"a\"]\n" + Blanks(300) + "[Site \"s\"]\n",
  };
  for (const std::string& Text : aTexts)
    atCases.push_back({"tokens that hand over", Text});
  return atCases;
}

// What an import stores of the moves and their annotations: the calls, the cards, and per move
// its note, suffix, NAGs and the comments of each place, with the comments' text.
std::string StoredMoves(const PbnGameDataDef& tData, const PbnGameTagsDef& tTags) {
  std::string Stored;
  const auto Number = [&Stored](long Value) { Stored += std::to_string(Value) + " "; };
  const auto Anno = [&](const PbnMoveAnnoDef& tAnno) {
    Number(tAnno.Note);
    Number(tAnno.Suffix);
    for (Int32 Index = tAnno.tNag.Begin; Index < tAnno.tNag.End; Index++)
      Number(tTags.pNags[Index]);
    for (const PbnRangeDef& tRange : tAnno.tComment.atTypes) {
      Number(tRange.Begin);
      Number(tRange.End);
    }
    Stored += "| ";
  };
  for (int Call = 0; Call < tData.tAuction.NrCalls; Call++) {
    const PbnCallDef& tCall = tData.tAuction.atCalls[Call];
    for (const long Value :
         {long{tCall.Side}, long{tCall.CallType}, long{tCall.NrTricks}, long{tCall.Trump}})
      Number(Value);
  }
  for (const PbnMoveAnnoDef& tAnno : tTags.atCallAnno)
    Anno(tAnno);
  for (int Trick = 0; Trick < PBN_N_TRICKS; Trick++) {
    Number(tData.tPlay.aFirsts[Trick]);
    for (int Side = 0; Side < PBN_N_SIDES; Side++) {
      Number(tData.tPlay.atTricks[Trick].atCards[Side].Suit);
      Number(tData.tPlay.atTricks[Trick].atCards[Side].Rank);
      Anno(tTags.aatCardAnno[Trick][Side]);
    }
  }
  if (tTags.pcComments != nullptr) Stored.append(tTags.pcComments, tTags.IxComments);
  return Stored + "\n";
}

// All that a reading of Text gives: the log of its index pass with line numbers, the count and
// the offsets, then each game imported on its own after the one before, with its moves.
std::string EverythingRead(const std::string& Text, const PbnImportOptionsDef& tOptions) {
  UInt32 NrGames = 0;
  const std::string Log = PassLog(Text, tOptions, &NrGames);
  std::string Read = std::to_string(NrGames) + " games\n" + Log;
  for (UInt32 GameNr = 1; GameNr <= NrGames; GameNr++) {
    Read +=
        std::to_string(DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr)->FilePosBegin) +
        " ";
  }
  PbnImportSetOptions(tOptions);
  PbnFilePosDef FilePos = 0;
  for (int Game = 0; Game < 1000 && FilePos >= 0; Game++) {
    testing_support::TagsPtr ptTags = testing_support::MakeTags();
    const auto Result = testing_support::ImportText(Text, FilePos, ptTags.get());
    Read += "\n" + std::to_string(Result.Error) + " " + std::to_string(Result.FilePosBegin) + " " +
            std::to_string(Result.FilePosOut) + "\n" + Result.Log +
            StoredMoves(Result.tGameData, *ptTags);
    FilePos = Result.FilePosOut;
  }
  PbnImportSetOptions({});
  return Read;
}

TEST(EdgeLines, WholeTokensReadAsSingleCharacters) {
  std::vector<EdgeCase> atCases = EdgeCases();
  const std::vector<EdgeCase> atWholeTokenCases = WholeTokenCases();
  atCases.insert(atCases.end(), atWholeTokenCases.begin(), atWholeTokenCases.end());
  pbngen::GeneratorOptionsDef tGenerated;
  tGenerated.Seed = 11;
  tGenerated.ErrorPerMille = 150;
  atCases.push_back({"a generated file", pbngen::GeneratePbn(tGenerated, 300)});
  const std::vector<PbnImportOptionsDef> atReadings = {
      {},
      {PBN_STANDARD_2_1, PBN_ENCODING_ISO_8859_1},
      {PBN_STANDARD_2_1, PBN_ENCODING_UTF_8, PBN_TRUE}};
  for (const EdgeCase& tCase : atCases) {
    for (const PbnImportOptionsDef& tOptions : atReadings) {
      PbnImportWholeTokens(false);
      const std::string ByCharacters = EverythingRead(tCase.Text, tOptions);
      PbnImportWholeTokens(true);
      EXPECT_EQ(EverythingRead(tCase.Text, tOptions), ByCharacters)
          << tCase.pcName << ", standard " << tOptions.Standard << ":\n"
          << tCase.Text.substr(0, 400);
    }
  }
}

}  // namespace
}  // namespace pbn
