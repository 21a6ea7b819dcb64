// karvelon-cli check: the log bytes, the count line and the exit statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
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

using CheckCommand = cli_testing::FolderTest;

TEST_F(CheckCommand, ExamplesGiveTheirLogAndCount) {
  auto Run = RunCli("check " + Quote(Example("showcase.pbn")), Dir);
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Out, "5 games\n");
  EXPECT_EQ(Run.Err, "");
  EXPECT_EQ(ReadFile(Dir / "karvelon.log"), "");  // created in the current directory

  Run = RunCli("check " + Quote(Example("mistakes.pbn")) + " --log mistakes.log", Dir);
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Out, "1 games\n");
  EXPECT_EQ(ReadFile(Dir / "mistakes.log"), ReadFile(Example("mistakes.expected.log")));

  Run = RunCli("check --log - " + Quote(Example("mistakes.pbn")), Dir);
  EXPECT_EQ(Run.Out, ReadFile(Example("mistakes.expected.log")) + "1 games\n");

  // A log that cannot be created is reported, the check goes on.
  Run = RunCli("check " + Quote(Example("showcase.pbn")) + " --log /nonexistent/dir/log", Dir);
  EXPECT_EQ(Run.Status, 0);
  EXPECT_EQ(Run.Out, "5 games\n");
  EXPECT_NE(Run.Err.find("cannot create log"), std::string::npos);
}

TEST_F(CheckCommand, WithMistakesListsEveryGameAndNumbersTheLogLines) {
  const std::string File = Quote(Example("real-world-mistakes.pbn"));
  auto Run = RunCli("check " + File + " --with-mistakes --list --line-numbers --log -", Dir);
  EXPECT_EQ(Run.Status, 0);
  const std::string Expected = ReadFile(Example("real-world-mistakes.expected.txt"));
  EXPECT_EQ(Run.Out, Expected);
  // Without the options: the same log lines, without their numbers, and the clean game only.
  std::string Log;
  for (const std::string& Line : testing_support::Lines(Expected)) {
    if (Line.find('\t') == std::string::npos && Line.find(" games, ") == std::string::npos)
      Log += Line.substr(Line.find(": ") + 2) + "\n";
  }
  Run = RunCli("check " + File + " --log -", Dir);
  EXPECT_EQ(Run.Out, Log + "1 games\n");
  EXPECT_EQ(RunCli("check " + File + " --list", Dir).Status, 2);  // a list needs every game
}

// A file is read by the standard it declares unless --pbn 1.0 forces the strict reading, which
// says what the file declares and how many games it left out.
TEST_F(CheckCommand, TheReadingIsTheDeclaredOneUnlessForced) {
  const std::string Example21 = Quote(Example("pbn21.pbn"));
  for (const std::string Option : {"", "--pbn 2.1", "--pbn auto"}) {
    auto Run = RunCli("check " + Example21 + " --log - " + Option, Dir);
    EXPECT_EQ(Run.Out, "4 games\n") << Option;  // an empty log
    EXPECT_EQ(Run.Err, "") << Option;
  }
  auto Run = RunCli("check pbn21.pbn --log /dev/null --pbn 1.0", Example(""));
  EXPECT_EQ(Run.Status, 1);  // a file without games
  EXPECT_EQ(Run.Out, "0 games\n");
  EXPECT_EQ(Run.Err,
            "pbn21.pbn declares PBN 2.1; --pbn 2.1 reads it by that standard\n"
            "karvelon-cli: check: pbn21.pbn: 4 of 4 games with mistakes left out; "
            "--with-mistakes shows them\n");
  Run = RunCli("check " + Quote(Example("pbn21-mistakes.pbn")) + " --log -", Dir);
  EXPECT_EQ(Run.Out, ReadFile(Example("pbn21-mistakes.expected.log")) + "1 games\n");
  EXPECT_EQ(RunCli("check " + Example21 + " --pbn 2.0", Dir).Status, 2);
}

TEST_F(CheckCommand, FilesThatDoNotOpenExitTwo) {
  // Devices are refused at once, as pipes are: /dev/zero never ends. A shard opens its files as
  // the command does.
  const std::string atArgs[] = {"check /nonexistent/file.pbn",
                                "check " + Quote(Example("showcase.pbn/")),
                                "check /dev/zero",
                                "check /dev/urandom --with-mistakes",
                                "show /dev/zero 1",
                                "list /dev/zero --shard 1/2",
                                "dd /dev/null"};
  for (const std::string& Args : atArgs) {
    auto Run = RunCli(Args, Dir);
    EXPECT_EQ(Run.Status, 2) << Args;
    EXPECT_EQ(Run.Out.find("games"), std::string::npos) << Args;
    EXPECT_EQ(Run.Err.rfind("karvelon-cli: ", 0), 0u) << Run.Err;
    EXPECT_EQ(std::count(Run.Err.begin(), Run.Err.end(), '\n'), 1) << Run.Err;
  }
  EXPECT_EQ(RunCli("check /dev/zero", Dir).Err, "karvelon-cli: /dev/zero: is not a regular file\n");
  // A NUL byte in its first 64 KiB: no text, refused where every game with a tag would count.
  const TempFile Binary(
      std::string("\x7f"
                  "ELF\0\0[Event \"a\"]\n",
                  18));
  const std::pair<std::string, int> atBinary[] = {
      {"check %s --with-mistakes", 2}, {"show %s 1 --with-mistakes", 2}, {"check %s", 1}};
  for (const auto& [Command, Status] : atBinary) {
    std::string Line = Command;
    Line.replace(Line.find("%s"), 2, Quote(Binary.Path()));
    auto Run = RunCli(Line, Dir);
    EXPECT_EQ(Run.Status, Status) << Line;
    EXPECT_EQ(Run.Err.find("not a PBN text file") != std::string::npos, Status == 2) << Run.Err;
  }
  if (geteuid() != 0) {  // root reads any file
    TempFile File("[Event \"a\"]\n");
    chmod(File.Path().c_str(), 0);
    EXPECT_EQ(RunCli("check " + Quote(File.Path()), Dir).Status, 2);
  }
}

// Exit status 1, no game, always comes with a line on standard error, whichever command.
TEST_F(CheckCommand, NoGameIsSaidByEveryCommand) {
  const TempFile None("% no game here\n", ".pbn");
  const TempFile Refused("[Event \"x\"]\n[Dealer \"Q\"]\n", ".pbn");
  for (const char* pcCommand : {"check %s --log /dev/null", "show %s 1", "list %s", "dd %s",
                                "annotate %s --dd", "convert %s -o x.lin"}) {
    for (const TempFile* ptFile : {&None, &Refused}) {
      std::string Line = pcCommand;
      Line.replace(Line.find("%s"), 2, Quote(ptFile->Path()));
      const auto Run = RunCli(Line, Dir);
      EXPECT_EQ(Run.Status, 1) << Line;
      EXPECT_NE(Run.Err.find(ptFile->Path()), std::string::npos) << Line << "\n" << Run.Err;
    }
  }
  EXPECT_EQ(RunCli("list " + Quote(Refused.Path()), Dir).Err,
            "karvelon-cli: list: " + Refused.Path() +
                ": 1 of 1 games with mistakes left out; --with-mistakes shows them\n");
}

// COMMAND --help prints the command's usage and options and runs nothing, also for the
// commands that draw and where an option's value reads "--help".
TEST_F(CheckCommand, EveryCommandHasItsHelp) {
  for (const char* pcCommand :
       {"check", "show", "list", "render", "dd", "hand-records", "annotate", "convert"}) {
    for (const char* pcHelp : {"--help", "-h"}) {
      const auto Run = RunCli(std::string(pcCommand) + " x.pbn " + pcHelp, Dir);
      EXPECT_EQ(Run.Status, 0) << pcCommand << " " << pcHelp;
      EXPECT_EQ(Run.Out.rfind(std::string("Usage: karvelon-cli ") + pcCommand + " ", 0), 0u)
          << Run.Out;
      EXPECT_NE(Run.Out.find("\nOptions:\n"), std::string::npos) << Run.Out;
      EXPECT_EQ(Run.Err, "") << pcCommand;
    }
  }
  const auto Run = RunCli("check --log --help " + Quote(Example("showcase.pbn")), Dir);
  EXPECT_EQ(Run.Out, "5 games\n");  // the log went to the file named "--help"
  EXPECT_TRUE(std::filesystem::exists(Dir / "--help"));
}

TEST_F(CheckCommand, WrongArgumentsExitTwo) {
  const std::string Showcase = Quote(Example("showcase.pbn"));
  for (const std::string& Args :
       {std::string("check"), "check " + Showcase + " --log", "check --bogus " + Showcase,
        std::string("frobnicate"), std::string("")}) {
    auto Run = RunCli(Args, Dir);
    EXPECT_EQ(Run.Status, 2) << Args;
    EXPECT_NE(Run.Err, "") << Args;
  }
  // --help is run by the manual page check.
  EXPECT_EQ(RunCli("--version", Dir).Out.rfind("karvelon-cli ", 0), 0u);
}

#ifdef PBN_GENERATE
TEST_F(CheckCommand, GeneratorWritesOnlyAFileItIsNamed) {
  const std::string Generate = "cd " + Quote(Dir.string()) + " && " + PBN_GENERATE;
  EXPECT_EQ(std::system((Generate + " --help >/dev/null").c_str()), 0);
  for (const char* pcArgs : {" -o x.pbn", " x.pbn --games", " --games 1"})
    EXPECT_NE(std::system((Generate + pcArgs + " 2>/dev/null").c_str()), 0) << pcArgs;
  EXPECT_TRUE(std::filesystem::is_empty(Dir));
}
#endif

}  // namespace
