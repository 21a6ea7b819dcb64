// The commands of karvelon-cli. Each returns the process exit status: 0 success, 1 nothing to
// show (no game, game number out of range), 2 a file that does not open or a wrong argument.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "import/import.h"
#include "import/reading.h"

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNone = 1;
inline constexpr int kExitError = 2;

using Args = std::vector<std::string>;
using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

int Check(const Args& args);
int Show(const Args& args);
int Render(const Args& args);
int DoubleDummy(const Args& args);
int HandRecords(const Args& args);
int List(const Args& args);
int Annotate(const Args& args);

// The commands that draw (render, hand-records) run in the helper program karvelon-cli-draw,
// which links Qt: replaces the process by it with the same arguments (argv[1] the command);
// returns only when it cannot be run, with the message said.
inline bool IsDrawCommand(const std::string& Command) {
  return Command == "render" || Command == "hand-records";
}
int RunDrawCommand(char** argv);
int Convert(const Args& args);

// Prints "karvelon-cli: <text>" on standard error; returns kExitError.
int Fail(const std::string& Text);

// Opens a PBN file for reading in binary mode as the viewer does, a LIN file (".lin") as its PBN
// text converted in memory; on failure says why on standard error and returns null. Refuses
// directories, pipes, sockets and files of 2 GiB or more. With bWithMistakes a file whose first
// 64 KiB hold a NUL byte is refused: it is no text.
FilePtr OpenPbnFile(const std::string& Path, bool bWithMistakes = false);

// The reading that --pbn chose (PBN 1.0 when not given), for every command.
extern pbn::ReadingChoiceDef tReadingChoice;

// Takes "--pbn 1.0|2.1|auto" out of the arguments of a command into tReadingChoice; false (with
// the message said) when its value is wrong or missing.
bool TakeReadingOption(const std::string& Command, Args* pArgs);

// The reading of a file by tReadingChoice, for the index pass; the stream is left where the
// index pass starts. With bHint, a file that declares PBN 2.x but is read as 1.0 is said so once
// on standard error.
pbn::PbnImportOptionsDef UseReading(std::FILE* pFile, const std::string& Path, bool bHint);

// The option of check, show and render that indexes every game, each with its mistakes.
inline constexpr const char* kWithMistakes = "--with-mistakes";

// Creates the index of the games of an open file with the options; the log goes to the sink.
// With bProgress a pass of more than a second shows its progress on standard error if that is a
// terminal.
unsigned IndexGames(std::FILE* pFile, const pbn::PbnLogSinkDef& tSink,
                    const pbn::PbnImportOptionsDef& tOptions, bool bProgress = false);

// Writes Text to a temporary file beside Path and renames it over Path once complete, so that
// a failure never leaves a damaged file; false (with the message said) on failure.
bool WriteFileReplacing(const std::string& Path, const std::string& Text);

// A tag value as UTF-8, the mark of a tag present with an empty value as "".
std::string TagText(const pbn::PbnGameTagsDef& tTags, int TagId);

}  // namespace cli
