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
int Results(const Args& args);

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

// Opens an input as the viewer does: a PBN file as it is (binary mode), a LIN file (".lin") as
// its PBN text converted in memory. Refuses what is not a regular file (a folder, a pipe, a
// socket, a device such as /dev/zero), files of 2 GiB or more and, with bTextOnly, a file whose
// first 64 KiB hold a NUL byte: it is no text. Null with the reason in *pRefusal. Every command
// opens its inputs here, also to count the games of a shard. With bAsIs a LIN file is opened as
// it is, for the command that converts it.
FilePtr OpenInput(const std::string& Path, bool bTextOnly, std::string* pRefusal,
                  bool bAsIs = false);

// OpenInput that says the reason on standard error.
FilePtr OpenPbnFile(const std::string& Path, bool bWithMistakes = false);

// The reading that --pbn chose (as the file declares when not given), for every command.
extern pbn::ReadingChoiceDef tReadingChoice;

// The reading of a file by tReadingChoice, for the index pass; the stream is left where the
// index pass starts. With bHint, a file that declares PBN 2.x but is read as 1.0 (--pbn 1.0) is
// said so once on standard error.
pbn::PbnImportOptionsDef UseReading(std::FILE* pFile, const std::string& Path, bool bHint);

// The option of check, show, list, render, hand-records and annotate that indexes every game,
// each with its mistakes.
inline constexpr const char* kWithMistakes = "--with-mistakes";

// A command's own index pass of a file has ended with NrGames: counts the games it left out for
// their mistakes, and with bSayNoGames says "FILE: no PBN games" on standard error when it read
// none at all (so that exit status 1 never comes without a line).
void NoteIndexPass(const std::string& Command, const std::string& Path, unsigned NrGames,
                   bool bSayNoGames = true);

// Says once, at the end of a command, how many games of how many its index passes left out for
// their mistakes, and that --with-mistakes shows them; nothing when none was left out.
void SayGamesLeftOut(const std::string& Command);

// Creates the index of the games of an open file with the options; the log goes to the sink.
// With bProgress a pass of more than a second shows its progress on standard error if that is a
// terminal.
unsigned IndexGames(std::FILE* pFile, const pbn::PbnLogSinkDef& tSink,
                    const pbn::PbnImportOptionsDef& tOptions, bool bProgress = false);

// A tag value as UTF-8, the mark of a tag present with an empty value as "".
std::string TagText(const pbn::PbnGameTagsDef& tTags, int TagId);

// One CSV line as RFC 4180 writes it, CRLF at its end: a field that holds a comma, a quote or a
// line end is put in quotes, its quotes doubled.
std::string CsvLine(const std::vector<std::string>& Fields);

}  // namespace cli
