// karvelon-cli: check, show, list, analyse, render and print PBN files from the command line. The
// commands that draw run in karvelon-cli-draw, so that this program links neither Qt nor the solver
// library.
#include <cstdio>
#include <cstring>

#include "cli/cli.h"

namespace {

constexpr const char* kUsage =
    "Usage: karvelon-cli COMMAND ...\n"
    "Reads PBN 1.0 files as the Karvelon viewer does.\n"
    "\n"
    "Commands:\n"
    "  check FILES... [--log PATH]\n"
    "                            import and validate every game of each FILE (a folder: its\n"
    "                            *.pbn files, recursively), write the import log (karvelon.log,\n"
    "                            PATH, or - for standard output), print \"N games\" (with\n"
    "                            several files \"FILE: N games\" each, then a total)\n"
    "        [--line-numbers]    each log line with the number of its line in FILE in front\n"
    "        [--list]            with --with-mistakes: one line per game, tab-separated:\n"
    "                            number, first line in FILE, Board, number of mistakes\n"
    "  show FILE N [--dd]        print game N of FILE as JSON (--dd: with its double-dummy\n"
    "                            table and par)\n"
    "  list FILES... [--csv | --json] [--dd] [--shard K/N]\n"
    "                            one row per game: file, number, Board, Event, Date, dealer,\n"
    "                            vulnerability, deal, points and shape of each hand, contract,\n"
    "                            declarer, result, score, players, mistakes (--dd: the 20\n"
    "                            double-dummy tricks and par); CSV with a header row (the\n"
    "                            default) or JSON lines\n"
    "  render FILE -o OUT.png [--game N] [--steps K] [--raw] [--hide SIDES] [--dd]\n"
    "        [--scale F]\n"
    "                            draw the viewer's window for game N into a PNG (--dd: with\n"
    "                            the double-dummy panel; --scale: F times the size, 0.25 to 8)\n"
    "  dd FILES... [--jobs N] [--json] [--shard K/N]\n"
    "                            the double-dummy table and par of every game, one line each\n"
    "                            (N solver threads, default all cores; --json: JSON lines)\n"
    "  hand-records FILES... -o OUT.pdf [--per-page 1|2|4|6|12] [--paper a4|letter]\n"
    "        [--boards 1-18,20] [--title TEXT] [--no-dd] [--jobs N] [--break-links]\n"
    "                            the hand records of the games as a PDF: hands with points,\n"
    "                            double-dummy table and par for each board\n"
    "  annotate FILES... --dd [--replace | --verify] [-o OUT] [--jobs N] [--break-links]\n"
    "        [--shard K/N]\n"
    "                            write the double-dummy tags OptimumResultTable, OptimumScore,\n"
    "                            DoubleDummyTricks and ParContract into every game that lacks\n"
    "                            them, and \"% PBN 2.1\" into the head; all other bytes stay\n"
    "                            (--replace: also where a tag gives other values; --verify:\n"
    "                            solve also the games that hold all four, report those\n"
    "                            that differ, and exit 3 then; -o: write the one FILE to\n"
    "                            OUT; --pbn and --with-mistakes choose the games as in check)\n"
    "  convert IN -o OUT [--break-links]\n"
    "                            LIN to PBN (IN.lin, OUT.pbn) or PBN to LIN (IN.pbn, OUT.lin);\n"
    "                            every command also reads .lin files directly\n"
    "\n"
    "  --with-mistakes           (check, show, list, render, hand-records) index every game,\n"
    "                            also those with mistakes, each with its own log lines: check\n"
    "                            prints \"N games, M with mistakes\", show adds \"mistakes\"\n"
    "\n"
    "Options:\n"
    "  --pbn 1.0|2.1|auto        the standard to read by (check, show, list, render, dd,\n"
    "                            hand-records): PBN 1.0 (the default), PBN 2.1, or 2.1 when\n"
    "                            the file declares \"% PBN 2.x\"\n"
    "  --shard K/N               (list, dd, annotate) do the K-th of N parts of the games of\n"
    "                            all FILES in order; the parts' outputs together are the\n"
    "                            whole output (annotate: each file by the part that holds\n"
    "                            its first game)\n"
    "  --break-links             (annotate, convert, hand-records) replace a target that has\n"
    "                            other names (hard links), which keep the old content; without\n"
    "                            it such a target is refused\n"
    "  -h, --help                show this help\n"
    "  -V, --version             show the version\n"
    "\n"
    "Exit status: 0 success, 1 no game found or game number out of range,\n"
    "2 a file that cannot be opened or written or a wrong argument, 3 annotate --verify\n"
    "found values that differ; of several files the worst (2 before 3 before 1).\n";

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
  if (cli::IsDrawCommand(command)) return cli::RunDrawCommand(argv);
  cli::Args rest(args.begin() + 1, args.end());
  if (!cli::TakeReadingOption(command, &rest)) return cli::kExitError;
  if (command == "check") return cli::Check(rest);
  if (command == "show") return cli::Show(rest);
  if (command == "dd") return cli::DoubleDummy(rest);
  if (command == "list") return cli::List(rest);
  if (command == "annotate") return cli::Annotate(rest);
  if (command == "convert") return cli::Convert(rest);
  return cli::Fail("unknown command '" + command + "' (try 'karvelon-cli --help')");
}
