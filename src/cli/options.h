// The commands of karvelon-cli and their options, one table each. The tables give the parsing of
// every command line, the usage lines, the top help and each command's --help.
//
// A command parses its arguments once and reads what was given:
//
//   CommandLineDef tLine;
//   std::string Error;
//   if (!ParseCommandLine("list", args, &tLine, &Error)) return Refuse(Error);
//   const bool bJson = tLine.Has("--json");
//   for (const std::string& Operand : tLine.aOperands) ...
//
// A new command is a bit in CommandMaskDef, a row of atCommands, its bit in the rows of the
// options it shares (--pbn and --help hold for every command already; --with-mistakes, --shard,
// --jobs name theirs) and its call in main. A new option is a row of atOptions, placed where
// the usage lines should show it; the manual page gets its entry (a test checks).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli.h"

namespace cli {

// One bit per command, for the commands an option belongs to.
enum CommandMaskDef : unsigned {
  CMD_CHECK = 1u << 0,
  CMD_SHOW = 1u << 1,
  CMD_LIST = 1u << 2,
  CMD_RENDER = 1u << 3,
  CMD_DD = 1u << 4,
  CMD_HAND_RECORDS = 1u << 5,
  CMD_ANNOTATE = 1u << 6,
  CMD_CONVERT = 1u << 7,
  CMD_RESULTS = 1u << 8,
};

struct CommandDef {
  const char* pcName;      // "check"
  unsigned Mask;           // its bit
  const char* pcOperands;  // as the usage names them: "FILES...", "FILE N"
  const char* pcAbout;     // what it does, for the help
};

struct OptionDef {
  const char* pcName;            // "--log"
  const char* pcValue;           // its value as the usage names it ("PATH"); null for a flag
  unsigned Commands;             // the commands that take it: CMD_ bits
  const char* pcHelp;            // what it does
  const char* pcRule = nullptr;  // said after the name when the value is missing or not valid
  bool (*Valid)(const std::string& Value) = nullptr;  // null: any value
  bool bRequired = false;         // no brackets in the usage; the command says when it is missing
  int Group = 0;                  // options of one group exclude each other: [--csv | --json]
  const char* pcNeeds = nullptr;  // given only beside this option: [--with-mistakes [--list]]
  const char* pcShort = nullptr;  // another name: "-h" for "--help"
};

extern const std::vector<CommandDef> atCommands;
extern const std::vector<OptionDef> atOptions;

// The row of a command; null when there is none of that name.
const CommandDef* FindCommand(std::string_view Name);

// What a command line gave: its operands, and its options with their values in order.
struct CommandLineDef {
  std::vector<std::string> aOperands;
  std::vector<std::pair<const OptionDef*, std::string>> atGiven;

  bool Has(std::string_view Name) const;
  // The value of the option given last of that name; empty when it is not given.
  std::string Value(std::string_view Name) const;
  // Every value given to the option, in order.
  std::vector<std::string> Values(std::string_view Name) const;
};

// Parses the arguments of a command (after its name) by the table. An argument that starts with
// "-" and is longer is an option; every other one an operand. False with the reason in *pError
// ("unknown option '--x'", "--log needs a PATH"), which the command says in its own words. A
// valid --pbn sets tReadingChoice.
bool ParseCommandLine(std::string_view Command, const Args& args, CommandLineDef* ptLine,
                      std::string* pError);

// Whether the arguments of the command ask for its help (-h, --help), read as the table reads
// them: the value of an option is not taken for one.
bool HelpAsked(std::string_view Command, const Args& args);

// The usage line of a command, on one line: "karvelon-cli check FILES... [--log PATH] ...".
std::string CommandUsage(std::string_view Command);

// "karvelon-cli COMMAND --help": the usage, what the command does and each of its options.
std::string CommandHelp(std::string_view Command);

// "karvelon-cli --help": every command with its usage and what it does, then the options that
// several commands share.
std::string TopHelp();

// The N of "--jobs N": solver threads from 1 to 9999; false for anything else.
bool ParseJobs(const std::string& Text, int* pJobs);

}  // namespace cli
