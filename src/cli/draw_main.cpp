// karvelon-cli-draw: the commands of karvelon-cli that draw with Qt. karvelon-cli hands them its
// command line, so that the commands that draw nothing start without loading Qt.
#include "cli/cli.h"

int main(int argc, char** argv) {
  if (argc < 2)
    return cli::Fail("karvelon-cli-draw is run by karvelon-cli (try 'karvelon-cli --help')");
  const std::string Command = argv[1];
  cli::Args rest(argv + 2, argv + argc);
  if (!cli::TakeReadingOption(Command, &rest)) return cli::kExitError;
  if (Command == "render") return cli::Render(rest);
  return cli::Fail("unknown command '" + Command + "' (try 'karvelon-cli --help')");
}
