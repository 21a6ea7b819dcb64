// karvelon-cli: check, show and render PBN files from the command line.
#include <cstdio>
#include <cstring>

#include "cli/cli.h"

namespace {

constexpr const char* kUsage =
    "Usage: karvelon-cli COMMAND ...\n"
    "Reads PBN 1.0 files as the Karvelon viewer does.\n"
    "\n"
    "Commands:\n"
    "  check FILE [--log PATH]   import and validate every game of FILE, write the import log\n"
    "                            (karvelon.log, PATH, or - for standard output), print \"N "
    "games\"\n"
    "        [--line-numbers]    each log line with the number of its line in FILE in front\n"
    "        [--list]            with --with-mistakes: one line per game, tab-separated:\n"
    "                            number, first line in FILE, Board, number of mistakes\n"
    "  show FILE N [--dd]        print game N of FILE as JSON (--dd: with its double-dummy\n"
    "                            table and par)\n"
    "  render FILE -o OUT.png [--game N] [--steps K] [--raw] [--hide SIDES] [--dd]\n"
    "                            draw the viewer's window for game N into a PNG (--dd: with\n"
    "                            the double-dummy panel)\n"
    "  dd FILE [--jobs N] [--json]\n"
    "                            the double-dummy table and par of every game, one line each\n"
    "                            (N solver threads, default all cores; --json: JSON lines)\n"
    "  convert IN -o OUT         LIN to PBN (IN.lin, OUT.pbn) or PBN to LIN (IN.pbn, OUT.lin);\n"
    "                            every command also reads .lin files directly\n"
    "\n"
    "  --with-mistakes           (check, show, render) index every game, also those with\n"
    "                            mistakes, each with its own log lines: check prints\n"
    "                            \"N games, M with mistakes\", show adds \"mistakes\"\n"
    "\n"
    "Options:\n"
    "  --pbn 1.0|2.1|auto        the standard to read by (check, show, render, dd): PBN 1.0 (the\n"
    "                            default), PBN 2.1, or 2.1 when the file declares \"% PBN 2.x\"\n"
    "  -h, --help                show this help\n"
    "  -V, --version             show the version\n"
    "\n"
    "Exit status: 0 success, 1 no game found or game number out of range,\n"
    "2 a file that cannot be opened or a wrong argument.\n";

}  // namespace

int main(int argc, char** argv) {
  cli::Args args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return cli::kExitError;
  }
  const std::string& command = args[0];
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return cli::kExitOk;
  }
  if (command == "-V" || command == "--version") {
    std::printf("karvelon-cli %s\n", KARVELON_VERSION);
    return cli::kExitOk;
  }
  cli::Args rest(args.begin() + 1, args.end());
  if (!cli::TakeReadingOption(command, &rest)) return cli::kExitError;
  if (command == "check") return cli::Check(rest);
  if (command == "show") return cli::Show(rest);
  if (command == "render") return cli::Render(rest);
  if (command == "dd") return cli::DoubleDummy(rest);
  if (command == "convert") return cli::Convert(rest);
  return cli::Fail("unknown command '" + command + "' (try 'karvelon-cli --help')");
}
