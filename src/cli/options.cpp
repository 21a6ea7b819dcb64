#include "cli/options.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdlib>

#include "cli/inputs.h"
#include "import/reading.h"

namespace cli {

namespace {

// Every command, also one added later.
constexpr unsigned kAllCommands = ~0u;
constexpr const char* kHelpName = "--help";

bool ValidReading(const std::string& Value) {
  pbn::ReadingChoiceDef Choice;
  return pbn::PbnParseReadingChoice(Value.c_str(), &Choice);
}

bool ValidShard(const std::string& Value) {
  ShardDef tShard;
  return ParseShard(Value, &tShard);
}

bool ValidJobs(const std::string& Value) {
  int Jobs = 0;
  return ParseJobs(Value, &Jobs);
}

bool NotEmpty(const std::string& Value) {
  return !Value.empty();
}

}  // namespace

const std::vector<CommandDef> atCommands = {
    {"check", CMD_CHECK, "FILES...",
     "import and validate every game of each FILE (a folder: its *.pbn and *.lin files, "
     "recursively), write the import log, print \"N games\" (with several files \"FILE: N "
     "games\" each, then a total)"},
    {"show", CMD_SHOW, "FILE N", "print game N of FILE as JSON"},
    {"list", CMD_LIST, "FILES...",
     "one row per game: file, number, Board, Event, Date, dealer, vulnerability, deal, points "
     "and shape of each hand, contract, declarer, result, score, players, mistakes, the file's "
     "Score, Room, Table, Round, the opening lead, the game's first line in the file, and its "
     "percentage and IMPs by its board's Scoring; CSV with a header row (the default) or JSON "
     "lines"},
    {"render", CMD_RENDER, "FILE", "draw the viewer's window for game N into a PNG"},
    {"dd", CMD_DD, "FILES...",
     "the double-dummy table and par of every game, one line each: number, Board, deal, the "
     "20 tricks as hex digits and par"},
    {"hand-records", CMD_HAND_RECORDS, "FILES...",
     "the hand records of the boards as a PDF, each board once: hands with points, "
     "double-dummy table, par and makeable contracts, with one or two a page its traveller"},
    {"annotate", CMD_ANNOTATE, "FILES...",
     "write the double-dummy tags OptimumResultTable, OptimumScore, DoubleDummyTricks and "
     "ParContract into every game that lacks them, and \"% PBN 2.1\" into the head; all other "
     "bytes stay (LIN files in a folder are skipped)"},
    {"results", CMD_RESULTS, "FILES...",
     "the boards of a session: a traveller under each board scored by the event's Scoring (or "
     "--scoring), then the ranking of pairs or teams; the file's own scores checked"},
    {"convert", CMD_CONVERT, "IN",
     "LIN to PBN (IN.lin, OUT.pbn) or PBN to LIN (IN.pbn, OUT.lin); every command also reads "
     ".lin files directly"},
};

// In the order the usage lines show them.
const std::vector<OptionDef> atOptions = {
    {.pcName = "-o",
     .pcValue = "OUT.png",
     .Commands = CMD_RENDER,
     .pcHelp = "the PNG file to write",
     .bRequired = true},
    {.pcName = "-o",
     .pcValue = "OUT.pdf",
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "the PDF file to write, through a temporary file beside it",
     .bRequired = true},
    {.pcName = "-o",
     .pcValue = "OUT",
     .Commands = CMD_CONVERT,
     .pcHelp = "the file to write: OUT.pbn from a LIN file, OUT.lin from a PBN file",
     .pcRule = "needs OUT",
     .bRequired = true},
    {.pcName = "--log",
     .pcValue = "PATH",
     .Commands = CMD_CHECK,
     .pcHelp = "write the import log to PATH (- for standard output) instead of karvelon.log",
     .pcRule = "needs a PATH"},
    {.pcName = "--line-numbers",
     .pcValue = nullptr,
     .Commands = CMD_CHECK,
     .pcHelp = "each log line with the number of its line in FILE in front"},
    {.pcName = "--csv",
     .pcValue = nullptr,
     .Commands = CMD_LIST,
     .pcHelp = "CSV per RFC 4180 with a header row (the default)",
     .Group = 1},
    {.pcName = "--json",
     .pcValue = nullptr,
     .Commands = CMD_LIST,
     .pcHelp = "JSON lines with the field names and shapes of show",
     .Group = 1},
    {.pcName = "--dd",
     .pcValue = nullptr,
     .Commands = CMD_LIST,
     .pcHelp = "also the 20 double-dummy tricks and par (par_score, par_contract)"},
    {.pcName = "--scoring",
     .pcValue = "mp|imps|butler|cross-imps|teams",
     .Commands = CMD_RESULTS,
     .pcHelp = "score by this method instead of the event's Scoring tag",
     .pcRule = "takes mp, imps, butler, cross-imps or teams"},  // results checks the name
    {.pcName = "--csv",
     .pcValue = nullptr,
     .Commands = CMD_RESULTS,
     .pcHelp = "CSV per RFC 4180 with a header row: one row per result (or per pair with "
               "--ranking)",
     .Group = 2},
    {.pcName = "--json",
     .pcValue = nullptr,
     .Commands = CMD_RESULTS,
     .pcHelp = "JSON lines: one object per result (or per pair with --ranking)",
     .Group = 2},
    {.pcName = "--ranking",
     .pcValue = nullptr,
     .Commands = CMD_RESULTS,
     .pcHelp = "the ranking only: each pair or team with its total, percentage or IMPs and "
               "number of boards, per section"},
    {.pcName = "--game",
     .pcValue = "N",
     .Commands = CMD_RENDER,
     .pcHelp = "show game N (default 1)"},
    {.pcName = "--steps",
     .pcValue = "K",
     .Commands = CMD_RENDER,
     .pcHelp = "press the forward step button K times (default 0)"},
    {.pcName = "--raw",
     .pcValue = nullptr,
     .Commands = CMD_RENDER,
     .pcHelp = "show the raw PBN text instead of the annotation text"},
    {.pcName = "--hide",
     .pcValue = "SIDES",
     .Commands = CMD_RENDER,
     .pcHelp = "hide the hands of SIDES, letters from NESW"},
    {.pcName = "--per-page",
     .pcValue = "1|2|4|6|12",
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "boards per page (default 4); with 1 or 2 also the auction, play and commentary"},
    {.pcName = "--paper",
     .pcValue = "a4|letter",
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "the paper (default: letter where the locale's LC_PAPER says so, else A4)"},
    {.pcName = "--boards",
     .pcValue = "LIST",
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "only the boards whose Board is in LIST, numbers and ranges like 1-18,20"},
    {.pcName = "--title",
     .pcValue = "TEXT",
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "the title of every page (default: the Event of the first board)"},
    {.pcName = "--every-table",
     .pcValue = nullptr,
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "a diagram for every game, each table of a board, instead of one for each board "
               "from its first game"},
    {.pcName = "--no-dd",
     .pcValue = nullptr,
     .Commands = CMD_HAND_RECORDS,
     .pcHelp = "no double-dummy table and no par: nothing is solved"},
    {.pcName = "--dd",
     .pcValue = nullptr,
     .Commands = CMD_ANNOTATE,
     .pcHelp = "write the double-dummy tags (required)",
     .bRequired = true},
    {.pcName = "--replace",
     .pcValue = nullptr,
     .Commands = CMD_ANNOTATE,
     .pcHelp = "write the solver's value also where a game gives a tag with another value "
               "(every game is solved again)",
     .Group = 3},
    {.pcName = "--verify",
     .pcValue = nullptr,
     .Commands = CMD_ANNOTATE,
     .pcHelp = "solve also the games that hold all four tags and report the values that "
               "differ, with exit status 3; nothing is replaced",
     .Group = 3},
    {.pcName = "-o",
     .pcValue = "OUT",
     .Commands = CMD_ANNOTATE,
     .pcHelp = "write the annotated copy of the one FILE to OUT and leave FILE as it is",
     .pcRule = "needs a file name",
     .Valid = NotEmpty},
    {.pcName = "--jobs",
     .pcValue = "N",
     .Commands = CMD_DD | CMD_HAND_RECORDS | CMD_ANNOTATE,
     .pcHelp = "N solver threads (default: all cores)",
     .pcRule = "needs a number of threads from 1",
     .Valid = ValidJobs},
    {.pcName = "--json",
     .pcValue = nullptr,
     .Commands = CMD_DD,
     .pcHelp = "JSON lines with game, board, deal and double_dummy as show --dd gives it"},
    {.pcName = "--with-mistakes",
     .pcValue = nullptr,
     .Commands = CMD_CHECK | CMD_SHOW | CMD_LIST | CMD_RENDER | CMD_HAND_RECORDS | CMD_ANNOTATE |
                 CMD_RESULTS,
     .pcHelp = "index every game, also those with mistakes, each with its own log lines: check "
               "prints \"N games, M with mistakes\", show adds \"mistakes\"; without it the "
               "games left out are counted on standard error"},
    {.pcName = "--list",
     .pcValue = nullptr,
     .Commands = CMD_CHECK,
     .pcHelp = "one line per game, tab-separated: number, first line in FILE, Board, number of "
               "mistakes",
     .pcNeeds = "--with-mistakes"},
    {.pcName = "--dd",
     .pcValue = nullptr,
     .Commands = CMD_SHOW,
     .pcHelp = "with the game's double-dummy table and par"},
    {.pcName = "--dd",
     .pcValue = nullptr,
     .Commands = CMD_RENDER,
     .pcHelp = "with the double-dummy panel in place of the history"},
    {.pcName = "--scale",
     .pcValue = "F",
     .Commands = CMD_RENDER,
     .pcHelp = "F times the size, 0.25 to 8, drawn as the viewer draws a larger window"},
    {.pcName = "--shard",
     .pcValue = "K/N",
     .Commands = CMD_LIST | CMD_DD | CMD_ANNOTATE | CMD_RESULTS,
     .pcHelp = "do the K-th of N parts of the games of all FILES in order; the parts' outputs "
               "together are the whole output (annotate: each file by the part that holds its "
               "first game; results: part K of the boards, every file read by each part, the "
               "ranking with the last part)",
     .pcRule = "takes K/N, part K of N (1 <= K <= N)",
     .Valid = ValidShard},
    {.pcName = "--break-links",
     .pcValue = nullptr,
     .Commands = CMD_ANNOTATE | CMD_CONVERT | CMD_HAND_RECORDS,
     .pcHelp = "replace a target that has other names (hard links), which keep the old "
               "content; without it such a target is refused"},
    {.pcName = "--pbn",
     .pcValue = "1.0|2.1|auto",
     .Commands = kAllCommands,
     .pcHelp = "the standard to read by: auto (the default) reads a file that declares "
               "\"% PBN 2.x\" by PBN 2.1 and every other by PBN 1.0; 1.0 reads every file by "
               "PBN 1.0 to the letter, 2.1 by PBN 2.1",
     .pcRule = "takes 1.0, 2.1 or auto",
     .Valid = ValidReading},
    {.pcName = kHelpName,
     .pcValue = nullptr,
     .Commands = kAllCommands,
     .pcHelp = "show this help",
     .pcShort = "-h"},
};

const CommandDef* FindCommand(std::string_view Name) {
  for (const CommandDef& tCommand : atCommands) {
    if (Name == tCommand.pcName) return &tCommand;
  }
  return nullptr;
}

bool CommandLineDef::Has(std::string_view Name) const {
  return std::any_of(atGiven.begin(), atGiven.end(),
                     [&](const auto& tGiven) { return Name == tGiven.first->pcName; });
}

std::string CommandLineDef::Value(std::string_view Name) const {
  const std::vector<std::string> aValues = Values(Name);
  return aValues.empty() ? std::string() : aValues.back();
}

std::vector<std::string> CommandLineDef::Values(std::string_view Name) const {
  std::vector<std::string> aValues;
  for (const auto& [ptOption, Value] : atGiven) {
    if (Name == ptOption->pcName) aValues.push_back(Value);
  }
  return aValues;
}

namespace {

unsigned MaskOf(std::string_view Command) {
  const CommandDef* ptCommand = FindCommand(Command);
  return ptCommand != nullptr ? ptCommand->Mask : 0;
}

const OptionDef* FindOption(unsigned Mask, std::string_view Arg) {
  for (const OptionDef& tOption : atOptions) {
    if ((tOption.Commands & Mask) == 0) continue;
    if (Arg == tOption.pcName || (tOption.pcShort != nullptr && Arg == tOption.pcShort)) {
      return &tOption;
    }
  }
  return nullptr;
}

bool IsOption(const std::string& Arg) {
  return Arg.size() > 1 && Arg[0] == '-';
}

// The first option given of Group beside ptOption, or null.
const OptionDef* OtherOfGroup(const CommandLineDef& tLine, const OptionDef& tOption) {
  for (const auto& [ptGiven, Value] : tLine.atGiven) {
    if (ptGiven->Group == tOption.Group && ptGiven->pcName != std::string_view(tOption.pcName))
      return ptGiven;
  }
  return nullptr;
}

// What the options given say against each other: a group of which two are given, an option
// without the one it needs.
bool CheckTogether(const CommandLineDef& tLine, std::string* pError) {
  for (const auto& [ptOption, Value] : tLine.atGiven) {
    if (ptOption->Group != 0) {
      if (const OptionDef* ptOther = OtherOfGroup(tLine, *ptOption)) {
        *pError = std::string("choose one of ") + ptOption->pcName + " and " + ptOther->pcName;
        return false;
      }
    }
    if (ptOption->pcNeeds != nullptr && !tLine.Has(ptOption->pcNeeds)) {
      *pError = std::string(ptOption->pcName) + " needs " + ptOption->pcNeeds;
      return false;
    }
  }
  return true;
}

// Reads the arguments into tLine; the first fault found goes to *pError.
bool ReadArgs(unsigned Mask, const Args& args, CommandLineDef* ptLine, std::string* pError) {
  for (size_t i = 0; i < args.size(); i++) {
    if (!IsOption(args[i])) {
      ptLine->aOperands.push_back(args[i]);
      continue;
    }
    const OptionDef* ptOption = FindOption(Mask, args[i]);
    if (ptOption == nullptr) {
      *pError = "unknown option '" + args[i] + "'";
      return false;
    }
    std::string Value;
    if (ptOption->pcValue != nullptr) {
      const bool bGiven = i + 1 < args.size();
      if (bGiven) Value = args[++i];
      if (!bGiven || (ptOption->Valid != nullptr && !ptOption->Valid(Value))) {
        *pError = std::string(ptOption->pcName) + " " +
                  (ptOption->pcRule != nullptr ? ptOption->pcRule : "needs a value");
        return false;
      }
    }
    ptLine->atGiven.emplace_back(ptOption, Value);
  }
  return true;
}

}  // namespace

bool ParseCommandLine(std::string_view Command, const Args& args, CommandLineDef* ptLine,
                      std::string* pError) {
  *ptLine = CommandLineDef{};
  if (!ReadArgs(MaskOf(Command), args, ptLine, pError) || !CheckTogether(*ptLine, pError)) {
    return false;
  }
  // The reading is the one input option every command shares.
  if (ptLine->Has("--pbn")) {
    pbn::PbnParseReadingChoice(ptLine->Value("--pbn").c_str(), &tReadingChoice);
  }
  return true;
}

bool HelpAsked(std::string_view Command, const Args& args) {
  const unsigned Mask = MaskOf(Command);
  for (size_t i = 0; i < args.size(); i++) {
    if (!IsOption(args[i])) continue;
    const OptionDef* ptOption = FindOption(Mask, args[i]);
    if (ptOption == nullptr) continue;
    if (ptOption->pcName == std::string_view(kHelpName)) return true;
    if (ptOption->pcValue != nullptr) i++;  // its value, whatever it reads
  }
  return false;
}

// --- help ---

namespace {

constexpr size_t kWidth = 79;       // of a help line
constexpr size_t kHelpColumn = 28;  // where the text beside an option or command starts
constexpr const char* kUsageIndent = "        ";

// "[--log PATH]", "-o OUT.png", "[--with-mistakes [--list]]", "[--csv | --json]": the items of a
// command's usage after its operands.
std::vector<std::string> UsageItems(unsigned Mask) {
  std::vector<std::string> aItems;
  std::vector<std::pair<const OptionDef*, size_t>> atPlaces;  // where each option went
  for (const OptionDef& tOption : atOptions) {
    if ((tOption.Commands & Mask) == 0 || tOption.pcName == std::string_view(kHelpName)) continue;
    std::string Item = tOption.pcName;
    if (tOption.pcValue != nullptr) Item += std::string(" ") + tOption.pcValue;
    const auto ptGroupmate = std::find_if(atPlaces.begin(), atPlaces.end(), [&](const auto& t) {
      return tOption.Group != 0 && t.first->Group == tOption.Group;
    });
    const auto ptNeeded = std::find_if(atPlaces.begin(), atPlaces.end(), [&](const auto& t) {
      return tOption.pcNeeds != nullptr && t.first->pcName == std::string_view(tOption.pcNeeds);
    });
    if (ptGroupmate != atPlaces.end()) {  // "[--csv" becomes "[--csv | --json"
      std::string& Mate = aItems[ptGroupmate->second];
      Mate.insert(Mate.size() - 1, " | " + Item);
    } else if (ptNeeded != atPlaces.end()) {  // inside the brackets of the one it needs
      std::string& Needed = aItems[ptNeeded->second];
      Needed.insert(Needed.size() - 1, " [" + Item + "]");
    } else {
      atPlaces.emplace_back(&tOption, aItems.size());
      aItems.push_back(tOption.bRequired ? Item : "[" + Item + "]");
    }
  }
  return aItems;
}

// Words joined into lines of at most kWidth; each line after the first starts with Indent.
std::string Wrap(const std::vector<std::string>& aWords, const std::string& First,
                 const std::string& Indent) {
  std::string Text = First;
  const size_t LastBreak = Text.rfind('\n');
  size_t LineStart = LastBreak == std::string::npos ? 0 : LastBreak + 1;  // First may end a line
  bool bLineEmpty = true;
  for (const std::string& Word : aWords) {
    if (!bLineEmpty && Text.size() - LineStart + 1 + Word.size() > kWidth) {
      Text += "\n" + Indent;
      LineStart = Text.size() - Indent.size();
      bLineEmpty = true;
    }
    if (!bLineEmpty) Text += ' ';
    Text += Word;
    bLineEmpty = false;
  }
  return Text + "\n";
}

std::vector<std::string> Words(std::string_view Text) {
  std::vector<std::string> aWords;
  size_t Begin = 0;
  while (Begin < Text.size()) {
    const size_t End = std::min(Text.find(' ', Begin), Text.size());
    if (End > Begin) aWords.emplace_back(Text.substr(Begin, End - Begin));
    Begin = End + 1;
  }
  return aWords;
}

// A name in the left column and its text beside it, wrapped under the text.
std::string HelpEntry(const std::string& Name, std::string_view Text) {
  std::string First = "  " + Name;
  First += First.size() + 1 < kHelpColumn ? std::string(kHelpColumn - First.size(), ' ')
                                          : "\n" + std::string(kHelpColumn, ' ');
  return Wrap(Words(Text), First, std::string(kHelpColumn, ' '));
}

std::vector<std::string> UsageWords(const CommandDef& tCommand) {
  std::vector<std::string> aWords = {tCommand.pcName};
  for (const std::string& Operand : Words(tCommand.pcOperands))
    aWords.push_back(Operand);
  for (const std::string& Item : UsageItems(tCommand.Mask))
    aWords.push_back(Item);
  return aWords;
}

// "(check, show, list)", or "(every command)".
std::string CommandNames(unsigned Commands) {
  if (Commands == kAllCommands) return "(every command)";
  std::string Names;
  for (const CommandDef& tCommand : atCommands) {
    if ((Commands & tCommand.Mask) == 0) continue;
    Names += (Names.empty() ? "(" : ", ") + std::string(tCommand.pcName);
  }
  return Names + ")";
}

std::string OptionHead(const OptionDef& tOption) {
  std::string Head = tOption.pcShort != nullptr ? std::string(tOption.pcShort) + ", " : "";
  Head += tOption.pcName;
  if (tOption.pcValue != nullptr) Head += std::string(" ") + tOption.pcValue;
  return Head;
}

}  // namespace

std::string CommandUsage(std::string_view Command) {
  const CommandDef* ptCommand = FindCommand(Command);
  if (ptCommand == nullptr) return "";
  std::string Usage = "karvelon-cli";
  for (const std::string& Word : UsageWords(*ptCommand))
    Usage += " " + Word;
  return Usage;
}

std::string CommandHelp(std::string_view Command) {
  const CommandDef* ptCommand = FindCommand(Command);
  if (ptCommand == nullptr) return "";
  std::string Help = Wrap(UsageWords(*ptCommand), "Usage: karvelon-cli ", kUsageIndent);
  std::string About = ptCommand->pcAbout;
  About[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(About[0])));
  Help += Wrap(Words(About + "."), "", "");
  Help += "\nOptions:\n";
  for (const OptionDef& tOption : atOptions) {
    if ((tOption.Commands & ptCommand->Mask) != 0)
      Help += HelpEntry(OptionHead(tOption), tOption.pcHelp);
  }
  return Help;
}

std::string TopHelp() {
  std::string Help =
      "Usage: karvelon-cli COMMAND ...\n"
      "Reads PBN and LIN files as the Karvelon viewer does: a file that declares\n"
      "PBN 2.x by PBN 2.1, every other file by PBN 1.0 to the letter.\n"
      "\nCommands:\n";
  for (const CommandDef& tCommand : atCommands) {
    Help += Wrap(UsageWords(tCommand), "  ", kUsageIndent);
    Help +=
        Wrap(Words(tCommand.pcAbout), std::string(kHelpColumn, ' '), std::string(kHelpColumn, ' '));
  }
  Help += "\nOptions of several commands (karvelon-cli COMMAND --help: all of a command's):\n";
  for (const OptionDef& tOption : atOptions) {
    if (std::popcount(tOption.Commands) < 2) continue;
    const std::string Text = tOption.pcName == std::string_view(kHelpName)
                                 ? "show this help (after a command: its usage and options)"
                                 : CommandNames(tOption.Commands) + " " + tOption.pcHelp;
    Help += HelpEntry(OptionHead(tOption), Text);
  }
  Help += HelpEntry("-V, --version", "show the version");
  Help +=
      "\nExit status: 0 success, 1 no game found or game number out of range (with a\n"
      "line on standard error), 2 a file that cannot be opened or written or a wrong\n"
      "argument, 3 annotate --verify found values that differ; of several files the\n"
      "worst (2 before 3 before 1).\n";
  return Help;
}

bool ParseJobs(const std::string& Text, int* pJobs) {
  if (Text.empty() || Text.size() > 4 || Text.find_first_not_of("0123456789") != Text.npos) {
    return false;
  }
  *pJobs = std::atoi(Text.c_str());
  return *pJobs >= 1;
}

}  // namespace cli
