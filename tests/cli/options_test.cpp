// The option table: what a command line gives, what it refuses, and the usage lines it makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/options.h"

namespace {

TEST(OptionTable, ParsesEveryCommandLineByTheTable) {
  const struct {
    const char* pcCommand;
    cli::Args args;
    std::string Error;  // empty: parsed
    std::vector<std::string> aOperands;
  } atCases[] = {
      {"check", {"a.pbn", "--log", "-", "b"}, "", {"a.pbn", "b"}},
      {"check", {"a.pbn", "--log"}, "--log needs a PATH", {}},
      {"check", {"a.pbn", "--list"}, "--list needs --with-mistakes", {}},
      {"check", {"--list", "a.pbn", "--with-mistakes"}, "", {"a.pbn"}},
      {"list", {"a.pbn", "--json", "--csv"}, "choose one of --json and --csv", {}},
      {"list", {"a.pbn", "--shard", "3/2"}, "--shard takes K/N, part K of N (1 <= K <= N)", {}},
      {"show", {"a.pbn", "1", "--log", "x"}, "unknown option '--log'", {}},
      {"show", {"a.pbn", "-1"}, "unknown option '-1'", {}},
      {"dd", {"-", "--jobs", "0"}, "--jobs needs a number of threads from 1", {}},
      {"annotate", {"a.pbn", "-o", ""}, "-o needs a file name", {}},
      {"convert", {"a.lin", "-o", "a.pbn", "--pbn", "2.0"}, "--pbn takes 1.0, 2.1 or auto", {}},
      {"hand-records", {"a.pbn", "--title", "--help", "-o", "x.pdf"}, "", {"a.pbn"}},
      {"render", {"a.pbn", "--with-mistakes", "--dd"}, "", {"a.pbn"}},
  };
  for (const auto& tCase : atCases) {
    cli::CommandLineDef tLine;
    std::string Error;
    const bool bParsed = cli::ParseCommandLine(tCase.pcCommand, tCase.args, &tLine, &Error);
    EXPECT_EQ(bParsed, tCase.Error.empty()) << tCase.pcCommand << " " << Error;
    EXPECT_EQ(Error, tCase.Error) << tCase.pcCommand;
    if (bParsed) {
      EXPECT_EQ(tLine.aOperands, tCase.aOperands) << tCase.pcCommand;
    }
  }
  cli::CommandLineDef tLine;
  std::string Error;
  ASSERT_TRUE(cli::ParseCommandLine(
      "hand-records", {"--boards", "1-3", "--title", "--help", "--boards", "7"}, &tLine, &Error));
  EXPECT_EQ(tLine.Values("--boards"), (std::vector<std::string>{"1-3", "7"}));
  EXPECT_EQ(tLine.Value("--title"), "--help");  // a value, not a request for help
  EXPECT_FALSE(cli::HelpAsked("hand-records", {"--title", "--help"}));
  EXPECT_TRUE(cli::HelpAsked("hand-records", {"x.pbn", "-h"}));
}

// Groups, options that need another and required ones in the usage lines.
TEST(OptionTable, UsageLines) {
  EXPECT_EQ(cli::CommandUsage("check"),
            "karvelon-cli check FILES... [--log PATH] [--line-numbers] [--with-mistakes [--list]] "
            "[--pbn 1.0|2.1|auto]");
  EXPECT_EQ(cli::CommandUsage("list"),
            "karvelon-cli list FILES... [--csv | --json] [--dd] [--with-mistakes] [--shard K/N] "
            "[--pbn 1.0|2.1|auto]");
  EXPECT_EQ(cli::CommandUsage("annotate"),
            "karvelon-cli annotate FILES... --dd [--replace | --verify] [-o OUT] [--jobs N] "
            "[--with-mistakes] [--shard K/N] [--break-links] [--pbn 1.0|2.1|auto]");
  // Every line of the help fits a terminal of 80 columns.
  std::string Help = cli::TopHelp();
  for (const cli::CommandDef& tCommand : cli::atCommands)
    Help += cli::CommandHelp(tCommand.pcName);
  for (size_t Begin = 0, End; Begin < Help.size(); Begin = End + 1) {
    End = Help.find('\n', Begin);
    EXPECT_LE(End - Begin, 79u) << Help.substr(Begin, End - Begin);
  }
}

}  // namespace
