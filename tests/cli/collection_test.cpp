// Many files in one run: folders, the per-file counts and logs, list's rows and the shards.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/cli_support.h"
#include "cli/inputs.h"

namespace {

using cli_testing::Example;
using cli_testing::Quote;
using cli_testing::RunCli;
using testing_support::ReadFile;
namespace fs = std::filesystem;

// A folder of examples, with a subfolder, a name in capitals and what a folder must survive:
// files of other names, a dangling link, a pipe and a folder named like a PBN file. (The tests
// run as root, whom no file mode stops, so these stand for the files that cannot be read.)
class Collection : public cli_testing::FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    fs::create_directories(Dir / "sub" / "x.pbn");
    fs::copy_file(Example("showcase.pbn"), Dir / "b.pbn");
    fs::copy_file(Example("mistakes.pbn"), Dir / "a.pbn");
    fs::copy_file(Example("real-world-mistakes.pbn"), Dir / "sub" / "C.PBN");
    fs::copy_file(Example("showcase.pbn"), Dir / "sub" / "x.pbn" / "d.pbn");
    fs::copy_file(Example("showcase.pbn"), Dir / "notes.txt");
    fs::create_symlink(Dir / "gone", Dir / "gone.pbn");
    mkfifo((Dir / "pipe.pbn").c_str(), 0644);
  }
  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
};

TEST_F(Collection, OneRunOfAFolderCountsAsOneCallPerFile) {
  auto Run = RunCli("check " + Quote(Dir.string()) + " --with-mistakes --log all.log", Dir);
  EXPECT_EQ(Run.Status, 2);  // the files that cannot be read
  EXPECT_NE(Run.Err.find("gone.pbn: No such file"), std::string::npos) << Run.Err;
  EXPECT_NE(Run.Err.find("pipe.pbn: is not a regular file"), std::string::npos) << Run.Err;

  std::string ExpectedOut;
  std::string ExpectedLog;
  for (const char* pcName : {"a.pbn", "b.pbn", "sub/C.PBN", "sub/x.pbn/d.pbn"}) {
    const auto One = RunCli("check " + Quote(Path(pcName)) + " --with-mistakes --log one.log", Dir);
    EXPECT_EQ(One.Status, 0) << pcName;
    ExpectedOut += Path(pcName) + ": " + One.Out;
    ExpectedLog += "==> " + Path(pcName) + " <==\n" + ReadFile(Path("one.log"));
  }
  EXPECT_EQ(Run.Out, ExpectedOut + "total: 30 games, 18 with mistakes\n");
  EXPECT_EQ(ReadFile(Path("all.log")), ExpectedLog);

  // Files given by name are read whatever their name; the worst status wins.
  Run =
      RunCli("check --log - " + Quote(Path("notes.txt")) + " " + Quote(Example("pbn21.pbn")), Dir);
  EXPECT_EQ(Run.Status, 1);
  EXPECT_NE(Run.Out.find(Path("notes.txt") + ": 5 games\n"), std::string::npos) << Run.Out;
}

TEST_F(Collection, ListCsvParsesWithOneRowPerGame) {
  fs::remove(Dir / "pipe.pbn");
  // The first game of the showcase with a comma, quotes and ISO 8859-1 in its Event.
  std::string Text = ReadFile(Example("showcase.pbn"));
  const std::string Event = "[Event \"Karvelon Club Championship\"]";
  Text.replace(Text.find(Event), Event.size(), "[Event \"Club, \\\"A\\\" \xe9t\xe9\"]");
  std::ofstream(Dir / "quote.pbn", std::ios::binary) << Text;
  const auto Run = RunCli("list " + Quote(Dir.string()) + " --csv > list.csv", Dir);
  EXPECT_EQ(Run.Status, 2);  // the dangling link
  if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "no python3";
  const std::string Script =
      "import csv, collections\n"
      "rows = list(csv.DictReader(open('list.csv', encoding='utf-8', newline='')))\n"
      "print(len(rows), collections.Counter(r['file'].split('/')[-1] for r in rows)['b.pbn'],\n"
      "      [r['event'] for r in rows if r['file'].endswith('quote.pbn')][0],\n"
      "      rows[1]['shape_s'], rows[1]['hcp_n'], rows[1]['score'], rows[1]['score_ns'])\n";
  std::ofstream(Dir / "parse.py") << Script;
  const auto Parsed = cli_testing::RunShell("cd " + Quote(Dir.string()) + " && python3 parse.py");
  // a.pbn 1, b.pbn 5, quote.pbn 5, C.PBN 1, d.pbn 5 clean games.
  EXPECT_EQ(Parsed, "17 5 Club, \"A\" \xc3\xa9t\xc3\xa9 6-3-1-3 17 NS 420 420\n");
}

TEST_F(Collection, ListRowsHoldTheFieldsOfShow) {
  const std::string File = Quote(Example("real-world-mistakes.pbn"));
  const auto Rows = RunCli("list " + File + " --json --with-mistakes", Dir);
  std::istringstream Stream(Rows.Out);
  unsigned GameNr = 0;
  for (std::string Line; std::getline(Stream, Line);) {
    const auto Row = nlohmann::json::parse(Line);
    const auto Game = nlohmann::json::parse(
        RunCli("show " + File + " " + std::to_string(++GameNr) + " --with-mistakes", Dir).Out);
    EXPECT_EQ(Row["game"], GameNr);
    for (const char* pcField : {"dealer", "vulnerable", "deal", "contract", "result"}) {
      EXPECT_EQ(Row[pcField], Game[pcField]) << "game " << GameNr << " " << pcField;
    }
    EXPECT_EQ(Row["mistake_count"], Game["mistakes"].size()) << "game " << GameNr;
    EXPECT_EQ(Row["tags"]["Board"], Game["tags"]["Board"]) << "game " << GameNr;
  }
  EXPECT_EQ(GameNr, 11u);
}

TEST_F(Collection, ShardsTogetherGiveTheWholeRun) {
  fs::remove(Dir / "pipe.pbn");
  fs::remove(Dir / "gone.pbn");
  for (const char* pcFormat : {"--csv", "--json --with-mistakes"}) {
    const std::string Command = "list " + Quote(Dir.string()) + " " + pcFormat;
    const auto Whole = RunCli(Command, Dir);
    ASSERT_EQ(Whole.Status, 0) << Whole.Err;
    for (int NrParts : {3, 40}) {
      std::string Joined;
      for (int Part = 1; Part <= NrParts; Part++) {
        const std::string Shard =
            " --shard " + std::to_string(Part) + "/" + std::to_string(NrParts);
        const auto Run = RunCli(Command + Shard, Dir);
        EXPECT_EQ(Run.Status, 0) << Shard;
        Joined += Run.Out;
      }
      EXPECT_EQ(Joined, Whole.Out) << pcFormat << " in " << NrParts;
    }
  }
  for (const char* pcShard : {"0/3", "4/3", "1/", "a/b", "1/3x"}) {
    EXPECT_EQ(RunCli("list " + Quote(Dir.string()) + " --shard " + pcShard, Dir).Status, 2);
  }
}

TEST(ShardRanges, SplitTheGamesOfAllFilesInContiguousParts) {
  struct Case {
    cli::ShardDef tShard;
    std::vector<unsigned> aNrGames;
    std::vector<std::pair<unsigned, unsigned>> aRanges;  // First, End of each file
  };
  const Case atCases[] = {
      {{1, 1}, {3, 0, 2}, {{1, 4}, {1, 1}, {1, 3}}},
      {{1, 2}, {3, 0, 2}, {{1, 3}, {1, 1}, {1, 1}}},
      {{2, 2}, {3, 0, 2}, {{3, 4}, {1, 1}, {1, 3}}},
      {{2, 3}, {1, 1, 1}, {{2, 2}, {1, 2}, {1, 1}}},
      {{1, 4}, {2}, {{1, 1}}},  // more parts than games: some do nothing
      {{4, 4}, {2}, {{2, 3}}},
  };
  for (const Case& tCase : atCases) {
    const auto atRanges = cli::ShardRanges(tCase.tShard, tCase.aNrGames);
    ASSERT_EQ(atRanges.size(), tCase.aRanges.size());
    for (size_t i = 0; i < atRanges.size(); i++) {
      EXPECT_EQ(std::make_pair(atRanges[i].First, atRanges[i].End), tCase.aRanges[i])
          << tCase.tShard.Part << "/" << tCase.tShard.NrParts << " file " << i;
    }
  }
}

TEST(Startup, KarvelonCliLinksNeitherQtNorTheSolver) {
  const std::string Libraries = cli_testing::RunShell("ldd " + Quote(KARVELON_CLI));
  EXPECT_EQ(Libraries.find("libQt"), std::string::npos) << Libraries;
  EXPECT_EQ(Libraries.find("libdds"), std::string::npos) << Libraries;
}

}  // namespace
