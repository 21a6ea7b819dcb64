// karvelon-cli: check, show, list, analyse, render and print PBN files from the command line. The
// commands that draw run in karvelon-cli-draw, so that this program links neither Qt nor the solver
// library.
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "cli/options.h"

namespace {

// The commands of this program; the commands that draw are run by the helper.
int RunCommand(const std::string& Command, const cli::Args& args) {
  if (Command == "check") return cli::Check(args);
  if (Command == "show") return cli::Show(args);
  if (Command == "dd") return cli::DoubleDummy(args);
  if (Command == "list") return cli::List(args);
  if (Command == "annotate") return cli::Annotate(args);
  if (Command == "results") return cli::Results(args);
  return cli::Convert(args);
}

}  // namespace

int main(int argc, char** argv) {
  cli::Args args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(cli::TopHelp().c_str(), stderr);
    return cli::kExitError;
  }
  const std::string& command = args[0];
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(cli::TopHelp().c_str(), stdout);
    return cli::kExitOk;
  }
  if (command == "-V" || command == "--version") {
    std::printf("karvelon-cli %s\n", KARVELON_VERSION);
    return cli::kExitOk;
  }
  if (cli::FindCommand(command) == nullptr) {
    return cli::Fail("unknown command '" + command + "' (try 'karvelon-cli --help')");
  }
  cli::Args rest(args.begin() + 1, args.end());
  if (cli::HelpAsked(command, rest)) {  // also of the commands that draw, without the helper
    std::fputs(cli::CommandHelp(command).c_str(), stdout);
    return cli::kExitOk;
  }
  if (cli::IsDrawCommand(command)) return cli::RunDrawCommand(argv);
  const int Status = RunCommand(command, rest);
  cli::SayGamesLeftOut(command);
  return Status;
}
