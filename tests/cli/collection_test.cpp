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

// A folder of examples, with a subfolder, a name in capitals, a LIN file and what a folder must
// survive: files of other names, a dangling link, a pipe and a folder named like a PBN file. (The
// tests run as root, whom no file mode stops, so these stand for the files that cannot be read.)
class Collection : public cli_testing::FolderTest {
 protected:
  void SetUp() override {
    FolderTest::SetUp();
    fs::create_directories(Dir / "sub" / "x.pbn");
    fs::copy_file(Example("showcase.pbn"), Dir / "b.pbn");
    fs::copy_file(Example("mistakes.pbn"), Dir / "a.pbn");
    fs::copy_file(Example("real-world-mistakes.pbn"), Dir / "sub" / "C.PBN");
    fs::copy_file(Example("showcase.pbn"), Dir / "sub" / "x.pbn" / "d.pbn");
    fs::copy_file(Example("online-match.lin"), Dir / "sub" / "m.lin");
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
  for (const char* pcName : {"a.pbn", "b.pbn", "sub/C.PBN", "sub/m.lin", "sub/x.pbn/d.pbn"}) {
    const auto One = RunCli("check " + Quote(Path(pcName)) + " --with-mistakes --log one.log", Dir);
    EXPECT_EQ(One.Status, 0) << pcName;
    ExpectedOut += Path(pcName) + ": " + One.Out;
    ExpectedLog += "==> " + Path(pcName) + " <==\n" + ReadFile(Path("one.log"));
  }
  EXPECT_EQ(Run.Out, ExpectedOut + "total: 34 games, 18 with mistakes\n");
  EXPECT_EQ(ReadFile(Path("all.log")), ExpectedLog);

  // Files given by name are read whatever their name; the worst status wins.
  Run = RunCli(
      "check --pbn 1.0 --log - " + Quote(Path("notes.txt")) + " " + Quote(Example("pbn21.pbn")),
      Dir);
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
  // a.pbn 1, b.pbn 5, quote.pbn 5, C.PBN 1, m.lin 4, d.pbn 5 clean games.
  EXPECT_EQ(Parsed, "21 5 Club, \"A\" \xc3\xa9t\xc3\xa9 6-3-1-3 17 NS 420 420\n");
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
    size_t NrLinRows = 0;  // the shards count a LIN file's games as its rows do
    for (size_t At = Whole.Out.find("/sub/m.lin"); At != std::string::npos;
         At = Whole.Out.find("/sub/m.lin", At + 1))
      NrLinRows++;
    EXPECT_EQ(NrLinRows, 4u) << pcFormat;
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

// Games a reading leaves out are counted on standard error; a file with no game at all is named.
TEST_F(Collection, GamesLeftOutAreSaid) {
  fs::remove(Dir / "pipe.pbn");
  fs::remove(Dir / "gone.pbn");
  auto Run = RunCli("list " + Quote(Dir.string()), Dir);
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Err,
            "karvelon-cli: list: 18 of 34 games with mistakes left out, in 2 of 5 files; "
            "--with-mistakes shows them\n");
  EXPECT_EQ(RunCli("list " + Quote(Dir.string()) + " --with-mistakes", Dir).Err, "");
  std::ofstream(Dir / "empty.pbn") << "% no game\n";
  Run = RunCli("dd " + Quote(Path("empty.pbn")) + " " + Quote(Path("b.pbn")) + " --jobs 1", Dir);
  EXPECT_EQ(Run.Status, 1);
  EXPECT_EQ(Run.Err, "karvelon-cli: dd: " + Path("empty.pbn") + ": no PBN games\n");
}

// annotate writes PBN only: the LIN files of a folder are skipped with a word, one named is
// refused.
TEST_F(Collection, AnnotateSkipsTheLinFilesOfAFolder) {
  const std::string Lin = ReadFile(Path("sub/m.lin"));
  fs::create_directories(Dir / "lin");
  fs::copy_file(Path("sub/m.lin"), Dir / "lin" / "m.lin");  // nothing to solve beside it
  auto Run = RunCli("annotate " + Quote(Path("lin")) + " --dd", Dir);
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Out, "");
  EXPECT_EQ(Run.Err,
            "karvelon-cli: annotate: 1 LIN file of the folders skipped: a LIN file holds no PBN "
            "tags; convert it to PBN first\n");
  Run = RunCli("annotate " + Quote(Path("sub/m.lin")) + " --dd", Dir);
  EXPECT_EQ(Run.Status, 2);
  EXPECT_NE(Run.Err.find("m.lin: a LIN file holds no PBN tags"), std::string::npos) << Run.Err;
  EXPECT_EQ(ReadFile(Path("sub/m.lin")), Lin);
}

// The columns added after the first ones: the file's own Score, Room, Table, Round, the lead and
// the game's first line; par split in two. A pass-out has no risk.
using ListCommand = cli_testing::FolderTest;
TEST_F(ListCommand, AddedColumnsComeAfterTheOthers) {
  const std::string Deal =
      "[Deal \"N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4\"]\n";
  std::ofstream(Dir / "cols.pbn")
      << "[Event \"Club\"]\n[Board \"1\"]\n[Room \"Open\"]\n[Table \"3\"]\n[Round \"2\"]\n"
      << "[Dealer \"N\"]\n[Vulnerable \"None\"]\n"
      << Deal
      << "[Declarer \"S\"]\n[Contract \"4S\"]\n[Score \"NS 420\"]\n[Play \"W\"]\nHA H6 H2 H4\n*\n\n"
      << "[Event \"Club\"]\n[Board \"2\"]\n[Dealer \"E\"]\n[Vulnerable \"NS\"]\n"
      << Deal << "[Contract \"Pass\"]\n[Score \"0\"]\n";
  const std::string Hands =
      "N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4,17,5,8,10,2-3-4-4,"
      "2-3-5-3,6-3-1-3,3-4-3-3,";
  const std::string Tricks = "7,10,8,6,9,7,10,8,6,9,3,3,5,6,4,3,3,5,6,4,";
  const auto Run = RunCli("list cols.pbn --dd", Dir);
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_EQ(Run.Out,
            "file,game,board,event,date,dealer,vulnerable,deal,hcp_n,hcp_e,hcp_s,hcp_w,shape_n,"
            "shape_e,shape_s,shape_w,contract,declarer,result,score,score_ns,north,east,south,"
            "west,mistakes,dd_n_nt,dd_n_s,dd_n_h,dd_n_d,dd_n_c,dd_s_nt,dd_s_s,dd_s_h,dd_s_d,"
            "dd_s_c,dd_e_nt,dd_e_s,dd_e_h,dd_e_d,dd_e_c,dd_w_nt,dd_w_s,dd_w_h,dd_w_d,dd_w_c,par,"
            "file_score,room,table,round,lead,line,par_score,par_contract,pct_ns,imps_ns\r\n"
            "cols.pbn,1,1,Club,,N,None," +
                Hands + "4S,S,,,,,,,,0," + Tricks +
                "NS 420: 4S by NS,NS 420,Open,3,2,HA,1,NS 420,4S by NS,,\r\n"
                "cols.pbn,2,2,Club,,E,NS," +
                Hands + "Pass,,,0,0,,,,,0," + Tricks +
                "NS 620: 4S by NS,0,,,,,16,NS 620,4S by NS,,\r\n");
  const auto Lines = testing_support::Lines(RunCli("list cols.pbn --json", Dir).Out);
  ASSERT_EQ(Lines.size(), 2u);
  const auto Played = nlohmann::json::parse(Lines[0]);
  EXPECT_EQ(Played["tags"]["Room"], "Open");
  EXPECT_EQ(Played["file_score"], "NS 420");
  EXPECT_EQ(Played["lead"], "HA");
  EXPECT_EQ(Played["line"], 1);
  const auto PassedOut = nlohmann::json::parse(Lines[1]);
  EXPECT_EQ(PassedOut["contract"]["strain"], "Pass");
  EXPECT_EQ(PassedOut["contract"]["risk"], "");
  EXPECT_TRUE(PassedOut["lead"].is_null());
  EXPECT_EQ(PassedOut["line"], 16);
  EXPECT_TRUE(PassedOut["pct_ns"].is_null());  // a board of one result has no percentage
}

// The last columns: each game's percentage and IMPs by its board's scoring, the board made of
// all the games of the file, also those outside a shard's part; the rows stay in order when they
// wait for the solver across files.
TEST_F(ListCommand, ScoresOfEachGameByItsBoard) {
  // The values of a column counted from the last, on every line, each followed by a space.
  const auto Column = [](const std::string& Csv, size_t FromEnd) {
    std::string Values;
    for (const std::string& Line : testing_support::Lines(Csv)) {
      std::vector<std::string> aFields(1);
      bool bQuoted = false;
      for (char c : Line.substr(0, Line.size() - 1)) {  // without the CR
        if (c == '"') {
          bQuoted = !bQuoted;
        } else if (c == ',' && !bQuoted) {
          aFields.emplace_back();
        } else {
          aFields.back() += c;
        }
      }
      Values += aFields[aFields.size() - 1 - FromEnd] + " ";
    }
    return Values;
  };
  const std::string Club = Quote(Example("club-session.pbn"));
  auto Run = RunCli("list " + Club, Dir);
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_EQ(Column(Run.Out, 1), "pct_ns 66.67 100 33.33 0 66.67 33.33 0 100 27.78 27.78 94.44  ");
  EXPECT_EQ(Column(RunCli("list " + Club + " --shard 2/2", Dir).Out, 1),
            "0 100 27.78 27.78 94.44  ");
  const std::string Match = Quote(Example("online-match.pbn"));
  EXPECT_EQ(Column(RunCli("list " + Match, Dir).Out, 0), "imps_ns -6 6 -4 4 ");
  const auto Lines =
      testing_support::Lines(RunCli("list " + Match + " " + Club + " --json", Dir).Out);
  ASSERT_EQ(Lines.size(), 16u);
  EXPECT_EQ(nlohmann::json::parse(Lines[1])["imps_ns"], 6);
  EXPECT_TRUE(nlohmann::json::parse(Lines[1])["pct_ns"].is_null());
  EXPECT_EQ(nlohmann::json::parse(Lines[14])["pct_ns"], 94.44);
  Run = RunCli("list " + Match + " " + Match + " --dd", Dir);
  EXPECT_EQ(Run.Status, 0) << Run.Err;
  EXPECT_EQ(Column(Run.Out, 0), "imps_ns -6 6 -4 4 -6 6 -4 4 ");
  EXPECT_EQ(Column(Run.Out, 4), "line 1 39 55 80 1 39 55 80 ");
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
