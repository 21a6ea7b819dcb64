// Where a reader that takes a line by runs of characters can go wrong: lines of 254 to 511
// characters, a token cut by the 255th, a file without its last line feed or cut inside a tag,
// carriage returns alone, NUL bytes and tabs. The log, the count and the offsets of every case
// must stay exactly those kept in tests/import/data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "games/pbn_game.h"
#include "import/import.h"
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

// What the index pass logs (with line numbers) and counts, and what the import of the first
// game gives.
std::string Reading(const EdgeCase& tCase, const PbnImportOptionsDef& tOptions) {
  TempFile File(tCase.Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  std::string Log;
  PbnLogSinkDef tSink;
  tSink.pMemory = &Log;
  tSink.bLineNumbers = PBN_TRUE;
  PbnImportLog(tSink);
  UInt32 NrGames = 0;
  GamesLoad(pFile.get(), &NrGames, tOptions);
  PbnImportLog({});
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

}  // namespace
}  // namespace pbn
