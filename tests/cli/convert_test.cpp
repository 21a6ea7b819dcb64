// karvelon-cli convert, and the other commands on LIN files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_support.h"

namespace {

using cli_testing::Example;
using cli_testing::Quote;
using cli_testing::RunCli;
using nlohmann::json;
using testing_support::ReadFile;

class ConvertCommand : public cli_testing::FolderTest {
 protected:
  std::string In(const std::string& Name) const { return Quote((Dir / Name).string()); }
};

// What a game shows that LIN holds too.
json LinFields(const std::string& File, int Game, const std::string& Options = "") {
  const json Show =
      json::parse(RunCli("show " + Quote(File) + " " + std::to_string(Game) + " " + Options).Out);
  json Fields = {Show["dealer"],
                 Show["vulnerable"],
                 Show["deal"],
                 Show["contract"],
                 Show["result"]["tricks"],
                 Show["tags"].value("Board", ""),
                 Show["tags"].value("Room", "")};
  for (const char* pcSide : {"North", "East", "South", "West"})
    Fields.push_back(Show["tags"].value(pcSide, ""));
  for (const json& Call : Show["auction"]) {
    const std::string Note =
        Call["note"] == 0 ? "" : Show["notes"]["auction"].value(Call["note"].dump(), "");
    Fields.push_back({Call["side"], Call["call"], Note});
  }
  for (const json& Card : Show["play"])
    Fields.push_back({Card["side"], Card["card"]});
  return Fields;
}

TEST_F(ConvertCommand, LinToPbnWritesTheExampleWhole) {
  const auto Run =
      RunCli("convert " + Quote(Example("online-match.lin")) + " -o out.pbn", Dir.string());
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Out, "4 games\n");
  EXPECT_EQ(Run.Err, "");
  EXPECT_EQ(ReadFile((Dir / "out.pbn").string()), ReadFile(Example("online-match.pbn")));
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir), {}), 1);
}

// Every LIN file of the examples converts to a PBN text file, which opens with the games with
// mistakes as the LIN file itself does.
TEST_F(ConvertCommand, LinExamplesGivePbnTextFiles) {
  for (const auto& tEntry : std::filesystem::directory_iterator(Example(""))) {
    if (tEntry.path().extension() != ".lin") continue;
    const std::string Lin = tEntry.path().string();
    const std::string Pbn = (Dir / "out.pbn").string();
    ASSERT_EQ(RunCli("convert " + Quote(Lin) + " -o " + Quote(Pbn)).Status, 0) << Lin;
    const std::string Text = ReadFile(Pbn);
    EXPECT_TRUE(std::none_of(Text.begin(), Text.end(), [](char c) {
      return static_cast<unsigned char>(c) < 0x20 && c != '\n';
    })) << Lin;
    for (const std::string& File : {Lin, Pbn}) {
      const auto Run = RunCli("check " + Quote(File) + " --with-mistakes --log /dev/null");
      EXPECT_EQ(Run.Status, 0) << File << ": " << Run.Err;
      EXPECT_NE(Run.Out.find(" games, 0 with mistakes\n"), std::string::npos) << File << Run.Out;
    }
  }
}

TEST_F(ConvertCommand, PbnToLinToPbnKeepsWhatShowReports) {
  const struct {
    std::string File;
    std::string Options;
    std::vector<int> aGames;  // games that LIN can hold
  } atCases[] = {
      {Example("online-match.pbn"), "--pbn 2.1", {1, 2, 3, 4}},
      {Example("showcase.pbn"), "", {1, 3}},  // no irregularities, no partial deal
  };
  for (const auto& tCase : atCases) {
    const std::string Lin = (Dir / "games.lin").string();
    const auto Run =
        RunCli("convert " + Quote(tCase.File) + " -o " + Quote(Lin) + " " + tCase.Options);
    ASSERT_EQ(Run.Status, 0) << Run.Err;
    for (std::size_t i = 0; i < tCase.aGames.size(); i++) {
      EXPECT_EQ(LinFields(Lin, static_cast<int>(i) + 1),
                LinFields(tCase.File, tCase.aGames[i], tCase.Options))
          << tCase.File << " game " << tCase.aGames[i];
    }
  }
}

TEST_F(ConvertCommand, CommandsReadLinFilesAndNameLinPlaces) {
  auto Run = RunCli("check " + Quote(Example("online-match.lin")) + " --log -");
  EXPECT_EQ(Run.Out, "4 games\n");
  std::FILE* pFile = std::fopen((Dir / "bad.lin").c_str(), "wb");
  std::fputs("md|3S2,S2,|\nmb|1Z|", pFile);
  std::fclose(pFile);
  Run = RunCli("check " + In("bad.lin") + " --log -");
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Out,
            "1:1: E: LIN deal: cards missing, 1 of 52 (S 1, W 0, N 0, E 0)\n"
            "1:9: E: LIN deal: duplicate card S2\n"
            "2:4: E: LIN call cannot be read: '1Z'\n"
            "1 games\n");
  Run = RunCli("convert " + In("bad.lin") + " -o " + In("bad.pbn"));
  EXPECT_EQ(Run.Err.substr(0, Run.Err.find('\n')),
            (Dir / "bad.lin").string() +
                ":1:1: E: LIN deal: cards missing, 1 of 52 (S 1, W 0, N 0, E 0)");
}

TEST_F(ConvertCommand, RefusesWhatItCannotConvert) {
  std::FILE* pFile = std::fopen((Dir / "empty.lin").c_str(), "wb");
  std::fclose(pFile);
  pFile = std::fopen((Dir / "cut.pbn").c_str(), "wb");
  std::fputs("[", pFile);  // a game without a card: LIN has no such board
  std::fclose(pFile);
  const struct {
    std::string Args;
    int Status;
    std::string Err;
  } atCases[] = {
      {"convert " + In("empty.lin") + " -o " + In("x.pbn"), 1,
       (Dir / "empty.lin").string() + ":1:1: E: No LIN board with a deal\n"},
      {"convert " + Quote(Example("showcase.pbn")) + " -o " + In("x.pbn"), 2,
       "karvelon-cli: convert: IN and OUT must be one .lin and one .pbn file\n"},
      {"convert " + In("none.lin") + " -o " + In("x.pbn"), 2,
       "karvelon-cli: cannot open " + (Dir / "none.lin").string() +
           ": No such file or directory\n"},
      {"convert " + In("cut.pbn") + " -o " + In("x.lin"), 1,
       "karvelon-cli: convert: " + (Dir / "cut.pbn").string() +
           ": 1 of 1 games left out: their deal holds no card\n"},
      {"convert " + In("empty.lin"), 2,
       "karvelon-cli: convert: usage: karvelon-cli convert IN -o OUT [--break-links] "
       "[--pbn 1.0|2.1|auto] (one .lin, one .pbn)\n"},
  };
  for (const auto& tCase : atCases) {
    const auto Run = RunCli(tCase.Args);
    EXPECT_EQ(Run.Status, tCase.Status) << tCase.Args;
    EXPECT_EQ(Run.Err, tCase.Err) << tCase.Args;
  }
  EXPECT_FALSE(std::filesystem::exists(Dir / "x.pbn"));
  EXPECT_FALSE(std::filesystem::exists(Dir / "x.lin"));
}

// OUT as annotate treats its target: a read-only file or a folder refused before the work, a
// file with other names refused unless --break-links, the mode and the owner kept, a symbolic
// link written through; nothing left beside it.
TEST_F(ConvertCommand, WritesOverAnExistingOutAsAnnotateDoes) {
  namespace fs = std::filesystem;
  const std::string Lin = Quote(Example("online-match.lin"));
  const std::string New = ReadFile(Example("online-match.pbn"));
  const auto Put = [&](const std::string& Name, mode_t Mode) {
    std::FILE* pFile = std::fopen((Dir / Name).c_str(), "wb");
    std::fputs("old", pFile);
    std::fclose(pFile);
    chmod((Dir / Name).c_str(), Mode);
  };
  const struct {
    const char* pcName;
    std::function<void()> Setup;
    std::string Options;
    int Status;
    std::string Err;
    const char* pcWritten;  // the file that gets the new text, or null
    mode_t Mode;
  } atCases[] = {
      {"read-only", [&] { Put("out.pbn", 0444); }, "", 2,
       "karvelon-cli: convert: cannot write out.pbn: read-only\n", nullptr, 0},
      {"a folder", [&] { fs::create_directory(Dir / "out.pbn"); }, "", 2,
       "karvelon-cli: convert: cannot write out.pbn: is a folder\n", nullptr, 0},
      {"owner-only", [&] { Put("out.pbn", 0600); }, "", 0, "", "out.pbn", 0600},
      {"a link",
       [&] {
         Put("named.pbn", 0640);
         fs::create_symlink("named.pbn", Dir / "out.pbn");
       },
       "", 0, "", "named.pbn", 0640},
      {"hard links",
       [&] {
         Put("out.pbn", 0644);
         fs::create_hard_link(Dir / "out.pbn", Dir / "other.pbn");
       },
       "", 2,
       "karvelon-cli: convert: cannot write out.pbn: has 2 hard links, which a new file would "
       "leave with the old content (--break-links replaces it anyway)\n",
       nullptr, 0},
      {"hard links broken",
       [&] {
         Put("out.pbn", 0644);
         fs::create_hard_link(Dir / "out.pbn", Dir / "other.pbn");
       },
       "--break-links", 0, "", "out.pbn", 0644},
  };
  for (const auto& tCase : atCases) {
    SCOPED_TRACE(tCase.pcName);
    fs::remove_all(Dir);
    fs::create_directories(Dir);
    tCase.Setup();
    std::vector<std::string> aBefore;
    for (const auto& tEntry : fs::directory_iterator(Dir))
      aBefore.push_back(tEntry.path().filename().string());
    std::sort(aBefore.begin(), aBefore.end());
    const auto Run = RunCli("convert " + Lin + " -o out.pbn " + tCase.Options, Dir.string());
    EXPECT_EQ(Run.Status, tCase.Status);
    EXPECT_EQ(Run.Err, tCase.Err);
    std::vector<std::string> aAfter;
    for (const auto& tEntry : fs::directory_iterator(Dir))
      aAfter.push_back(tEntry.path().filename().string());
    std::sort(aAfter.begin(), aAfter.end());
    EXPECT_EQ(aAfter, aBefore);  // nothing beside it
    if (tCase.pcWritten == nullptr) continue;
    EXPECT_EQ(ReadFile((Dir / tCase.pcWritten).string()), New);
    struct stat tStat;
    ASSERT_EQ(stat((Dir / tCase.pcWritten).c_str(), &tStat), 0);
    EXPECT_EQ(tStat.st_mode & 07777, tCase.Mode);
    EXPECT_EQ(fs::is_symlink(Dir / "out.pbn"), std::string(tCase.pcWritten) == "named.pbn");
  }
  EXPECT_EQ(ReadFile((Dir / "other.pbn").string()), "old");  // the other name of the last case
}

}  // namespace
