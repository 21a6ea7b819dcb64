// Files that other programs wrote badly, files cut short and files that are not PBN at all:
// each gives a count and a log, or a clear message, and nothing else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_play.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::IndexFile;
using testing_support::Lines;
using testing_support::TempFile;

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

const std::string kDeal = testing_support::TestDealTag();

// Indexes a text, then loads every game and steps it to the end and back, as a user would.
struct Walk {
  UInt32 NrGames = 0;
  std::string Log;
  UInt32 NrRawLines = 0;  // of the last game loaded
};

Walk WalkText(const std::string& Text, UInt32 MaxGames = 8) {
  Walk Result;
  TempFile File(Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  auto Index = IndexFile(pFile.get());
  Result.NrGames = Index.NrGames;
  Result.Log = Index.Log;
  for (UInt32 Game = 1; Game <= Index.NrGames && Game <= MaxGames; Game++) {
    GameLoad(pFile.get(), Game, &Result.NrRawLines);
    for (int Step = 0; Step < 200 && !tGameAdmin.bPlayDone; Step++)
      PlayExec();
    for (int Step = 0; Step < 400 && tGameAdmin.Section != PBN_SECTION_IDENT; Step++)
      PlayBack();
  }
  return Result;
}

TEST(HostileFiles, BinaryGarbageAndNulBytes) {
  std::mt19937 Random(7);
  std::string Garbage(1 << 16, '\0');
  for (char& c : Garbage)
    c = static_cast<char>(Random());
  auto Result = WalkText(Garbage);
  EXPECT_EQ(Result.NrGames, 0u);
  EXPECT_NE(Result.Log.find("E: Bad character"), std::string::npos);

  // A run of NUL bytes hands out one NUL, a blank, per line read: the tag that shares a line
  // read with them is never seen, and nothing is wrong with what is.
  std::string Nuls(5000, '\0');
  Result = WalkText(Nuls + "[Event \"a\"]\n" + Nuls);
  EXPECT_EQ(Result.NrGames, 0u);
  EXPECT_EQ(Result.Log, "");
}

TEST(HostileFiles, HugeLinesAndValues) {
  // One line of 10 MB: cut into logical lines of 255 characters, each logged.
  auto Result = WalkText("[Event \"a\"] " + std::string(10 << 20, 'x') + "\n");
  EXPECT_EQ(Result.NrGames, 0u);
  EXPECT_EQ(Lines(Result.Log).size(), 3u * ((12 + (10 << 20)) / 255 + 1));

  // A value of 10 MB continued by backslashes: refused, the next game still indexed.
  std::string Value;
  for (int i = 0; i < (10 << 20) / 64; i++)
    Value += std::string(62, 'v') + "\\\n";
  Result = WalkText("[Event \"" + Value + "\"]\n\n[Event \"b\"]\n");
  EXPECT_EQ(Result.NrGames, 1u);
  EXPECT_EQ(Lines(Result.Log).back(), "E: Bad tag value");
}

TEST(HostileFiles, LongInheritanceChains) {
  std::string Text = "[Event \"root\"]\n[Site \"s\"]\n\n";
  for (int i = 0; i < 100000; i++)
    Text += "[Event \"#\"]\n[Site \"#\"]\n\n";
  TempFile File(Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  const UInt32 NrGames = IndexFile(pFile.get()).NrGames;
  ASSERT_EQ(NrGames, 100001u);
  UInt32 NrLines = 0;
  GameLoad(pFile.get(), NrGames, &NrLines);
  EXPECT_STREQ(TagValue(*tGameAdmin.ptGameTags, PBN_TAG_ID_EVENT), "root");
  EXPECT_STREQ(TagValue(*tGameAdmin.ptGameTags, PBN_TAG_ID_SITE), "s");
}

TEST(HostileFiles, AFileThatShrinksBeforeAGameIsShown) {
  std::string Text;
  for (int i = 1; i <= 20; i++) {
    Text += "[Board \"" + std::to_string(i) + "\"]\n[Dealer \"N\"]\n" + kDeal +
            "[Auction \"N\"]\n1C AP\n\n";
  }
  TempFile File(Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  const UInt32 NrGames = IndexFile(pFile.get()).NrGames;
  ASSERT_EQ(NrGames, 20u);
  ASSERT_EQ(truncate(File.Path().c_str(), 40), 0);
  for (UInt32 Game = 1; Game <= NrGames; Game++) {
    UInt32 NrLines = 0;
    GameLoad(pFile.get(), Game, &NrLines);
    for (UInt32 Line = 0; Line < NrLines; Line++)
      ASSERT_NE(GameTxtLine(Line), nullptr);
    for (int Step = 0; Step < 200 && !tGameAdmin.bPlayDone; Step++)
      PlayExec();
  }
  EXPECT_EQ(GameTxtLine(100), nullptr);
}

}  // namespace
}  // namespace pbn
