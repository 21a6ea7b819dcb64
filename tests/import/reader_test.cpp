// The reader as the log shows it: how lines are stored, cut and echoed, and the number reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "games/pbn_game.h"
#include "import/import_internal.h"
#include "import/reader_block.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::ImportText;
using testing_support::Lines;

TEST(StoredLines, LineEndsTabsAndForeignBytes) {
  // A CR LF line end adds nothing; a tab is one blank in the line and in the marker line.
  auto Result = ImportText("[Event \"x\"]\r\nx\ty\r\n");
  EXPECT_EQ(Result.Log, "x y\n^ ^\nE: Bad character\n");

  // DEL and 128..159 are stored as "?" and refused; 160..255 are PBN characters.
  Result = ImportText("{a \x7f b \x80}\n");
  EXPECT_EQ(Lines(Result.Log)[0], "{a ? b ?}");
  Result = ImportText("[Event \"caf\xe9\"]\n");
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  EXPECT_EQ(Result.Log, "");
  Result = ImportText("[Event \"\x9f\"]\n");
  EXPECT_EQ(Result.Log, "[Event \"?\"]\n       ^^^^\nE: Bad character\n");
}

TEST(StoredLines, LongLinesAreCutAfter255Characters) {
  // 255 characters and a line feed: too long, and the empty rest is a blank line that ends
  // the game, since a tag has been read.
  const std::string Line255 = "{" + std::string(253, 'c') + "}";
  auto Result = ImportText("[Event \"a\"]\n" + Line255 + "\n[Site \"b\"]\n");
  auto LogLines = Lines(Result.Log);
  ASSERT_EQ(LogLines.size(), 3u);
  EXPECT_EQ(LogLines[0], Line255);
  EXPECT_EQ(LogLines[1], std::string(255, ' '));
  EXPECT_EQ(LogLines[2], "E: Line too long");
  EXPECT_EQ(Result.Error, PBN_ERR_LINE_TOO_LONG);
  EXPECT_EQ(Result.FilePosOut, static_cast<PbnFilePosDef>(12 + 256));
}

TEST(StoredLines, EndOfFileAndNulBytes) {
  // A last line without a line feed is read, then the end of the file ends it.
  auto Result = ImportText("[Event \"a\"]\nx");
  EXPECT_EQ(Result.Log, "x\n^\nE: Bad character\n");
  EXPECT_EQ(Result.FilePosOut, -1);

  // A NUL byte ends the chunk: the rest of the physical line is not handed out, so the
  // logical line runs on into the next one.
  Result = ImportText(std::string("[Event \"a\"]\nx\0zz\nyy\n", 20));
  EXPECT_EQ(Result.Log, "xyy\n^^^\nE: Bad character\n");
  // A chunk that begins with a NUL hands out that one character, a blank to the machine.
  Result = ImportText(std::string("[Event \"a\"]\n\0q\n", 15));
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  EXPECT_EQ(Result.Log, "");
}

// The chunks are cut as a line read of 256 bytes cuts them: up to and including a line feed,
// at most 255 bytes, and their characters up to the first NUL. Random text, dense in line feeds,
// NULs and long lines, is read across several blocks of the reader and compared with that rule.
TEST(StoredLines, ChunksAsLineReadsCutThem) {
  unsigned Seed = 27;
  const auto Next = [&Seed]() { return Seed = Seed * 1103515245u + 12345u, Seed >> 16; };
  std::string Text;
  while (Text.size() < 300 * 1024) {
    const unsigned Kind = Next() % 16;
    if (Kind == 0) {
      Text += '\0';
    } else if (Kind == 1) {
      Text.append(200 + Next() % 120, 'x');  // around the 255th byte
    } else if (Kind < 5) {
      Text += '\n';
    } else {
      Text += static_cast<char>('a' + Next() % 26);
    }
  }
  std::FILE* pFile = fmemopen(Text.data(), Text.size(), "rb");
  ASSERT_NE(pFile, nullptr);
  ASSERT_TRUE(PbnReaderStart(pFile, 0));
  size_t Pos = 0;
  PbnChunkDef tChunk;
  while (PbnReadChunk(&tChunk) == PBN_ERR_OK) {
    ASSERT_LT(Pos, Text.size());
    const size_t NrMax = std::min<size_t>(255, Text.size() - Pos);
    const size_t LineFeed = Text.find('\n', Pos);
    const size_t Length = LineFeed < Pos + NrMax ? LineFeed - Pos + 1 : NrMax;
    const size_t Nul = Text.find('\0', Pos);
    const size_t NrChars = Nul < Pos + Length ? Nul - Pos : Length;
    ASSERT_EQ(static_cast<size_t>(tChunk.NrChars), NrChars) << "at " << Pos;
    ASSERT_EQ(std::memcmp(tChunk.pcChars, Text.data() + Pos, NrChars), 0) << "at " << Pos;
    Pos += Length;
  }
  EXPECT_EQ(Pos, Text.size());
  PbnReaderForget();
  std::fclose(pFile);
}

struct NumberCase {
  const char* pcText;
  PbnErrDef Error;
  long Value;
  int Stop;  // characters consumed
};

TEST(NumberReader, SignsDigitsAndStops) {
  const NumberCase aCases[] = {
      {"+12", PBN_ERR_OK, 12, 3},
      {"-12", PBN_ERR_OK, -12, 3},
      {"12ab", PBN_ERR_OK, 12, 2},
      {"", PBN_ERR_BAD_NUMBER, 0, 0},
      {"-", PBN_ERR_BAD_NUMBER, 0, 1},
      {"x", PBN_ERR_BAD_NUMBER, 0, 0},
      {"12-", PBN_ERR_BAD_NUMBER, 12, 2},
      {"+-1", PBN_ERR_BAD_NUMBER, 0, 1},
      {"2147483647", PBN_ERR_OK, 2147483647, 10},
      {"4294967296", PBN_ERR_BAD_NUMBER, 2147483647, 10},  // beyond 32 bits: refused
  };
  for (const NumberCase& tCase : aCases) {
    const char* pc = tCase.pcText;
    long Value = -99;
    EXPECT_EQ(TagValueGetNumber(&pc, &Value), tCase.Error) << tCase.pcText;
    EXPECT_EQ(Value, tCase.Value) << tCase.pcText;
    EXPECT_EQ(pc - tCase.pcText, tCase.Stop) << tCase.pcText;
  }
}

// A device that never ends, as /dev/zero: NUL bytes wherever it is positioned.
ssize_t ReadZeros(void*, char* pcBuffer, size_t Size) {
  std::memset(pcBuffer, 0, Size);
  return static_cast<ssize_t>(Size);
}

int SeekAnywhere(void* pvPos, off64_t* pOffset, int Whence) {
  auto& Pos = *static_cast<off64_t*>(pvPos);
  Pos = Whence == SEEK_SET ? *pOffset : Pos + *pOffset;
  *pOffset = Pos;
  return 0;
}

TEST(StoredLines, AStreamBeyondTheOffsetsEndsThere) {
  // Offsets are signed 32-bit: reading stops at the last one, as at the end of a file.
  off64_t Pos = 0;
  std::FILE* pFile = fopencookie(&Pos, "rb", {ReadZeros, nullptr, SeekAnywhere, nullptr});
  ASSERT_NE(pFile, nullptr);
  PbnGameDataDef tGameData{};
  auto ptTags = testing_support::MakeTags();
  GameDataInit(&tGameData);
  GameTagsReset(ptTags.get());
  PbnFilePosDef FilePosBegin = 0;
  PbnFilePosDef FilePosOut = 0;
  PbnImportGame(pFile, INT32_MAX - 1000, &tGameData, ptTags.get(), &FilePosBegin, &FilePosOut);
  EXPECT_EQ(FilePosOut, -1);
  EXPECT_EQ(FilePosBegin, INT32_MAX - 1000);
  std::fclose(pFile);
}

TEST(TextHelpers, NonBreakingSpaceIsAPbnCharacter) {
  EXPECT_TRUE(IsPbnChar(160));
  const char* pc = " \t\xa0x";
  CharSkipSpace(&pc);  // bytes above 127 count as blanks here
  EXPECT_EQ(*pc, 'x');
}

}  // namespace
}  // namespace pbn
