// Importing one game of a PBN file, the import log, and the inheritance record.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"
#include "core/text.h"

namespace pbn {

// The text encodings of a PBN file.
enum PbnEncodingDef : UInt8 {
  PBN_ENCODING_ISO_8859_1,
  PBN_ENCODING_UTF_8,  // PBN 2.1 only, and only when the file declares it
};

// How a file is imported: set once before its index pass and kept for loading its games.
struct PbnImportOptionsDef {
  PbnStandardDef Standard = PBN_STANDARD_1_0;
  PbnEncodingDef Encoding = PBN_ENCODING_ISO_8859_1;
  PbnBoolDef bKeepRefused = PBN_FALSE;  // refused games are indexed too
};

void PbnImportSetOptions(const PbnImportOptionsDef& tOptions);
// The options in force; asked at every tag value, so inline. Set through PbnImportSetOptions.
extern PbnImportOptionsDef tPbnImportOptions;
inline const PbnImportOptionsDef& PbnImportOptions() {
  return tPbnImportOptions;
}

// Whether the text of the file read last, and of the games loaded from it, is UTF-8: the one
// answer for every place that shows or writes that text.
inline bool PbnTextIsUtf8() {
  return PbnImportOptions().Encoding == PBN_ENCODING_UTF_8;
}

// A text of the file read last (a tag value, a comment, a line) as UTF-8 by its encoding.
inline std::string PbnTextToUtf8(std::string_view Text) {
  return TextToUtf8(Text, PbnTextIsUtf8());
}

// Reads one game from FilePosIn. *pFilePosBegin: the start of its first non-blank line, or -1.
// *pFilePosOut: where the next game starts, or -1 at the end of the file. Neither is written
// when the result is PBN_ERR_FILE (the file cannot be positioned).
PbnErrDef PbnImportGame(std::FILE* pFile, PbnFilePosDef FilePosIn, PbnGameDataDef* ptGameData,
                        PbnGameTagsDef* ptGameTags, PbnFilePosDef* pFilePosBegin,
                        PbnFilePosDef* pFilePosOut);

// The importer reads a stream ahead and keeps what it read for the import of the next game,
// as long as nobody else moves the stream. An index pass begins by dropping it, so that a stream
// opened where a closed one was is never taken for it.
void PbnReaderForget();

// One entry of the log: an erroneous line of the file with its marker line and first message,
// or a message of the whole-game checks alone (Text and Marks empty).
struct PbnLogEntryDef {
  UInt32 LineNr;  // the line of the file, from 1; a whole-game message: the line that ended it
  std::string Text;
  std::string Marks;
  std::string Message;
};

// The import log: every erroneous line with its marker line and first message. It goes to a
// stream (a file or standard output), to memory, to a list of entries, to any of them or nowhere.
struct PbnLogSinkDef {
  std::FILE* pFile = nullptr;
  std::string* pMemory = nullptr;  // lines appended, each with its line feed
  std::vector<PbnLogEntryDef>* ptEntries = nullptr;
  // Entries beyond this many in *ptEntries are only counted, in *pNrUnkept: a line of megabytes
  // gives an entry for every 255 characters.
  std::size_t MaxEntries = SIZE_MAX;
  UInt32* pNrUnkept = nullptr;
  PbnBoolDef bLineNumbers = PBN_FALSE;  // each line with its file line's number in front: "134: "
};
void PbnImportLog(const PbnLogSinkDef& tSink);
const PbnLogSinkDef& PbnImportLogSink();
void PbnImportFile(std::FILE* pFile);  // the stream alone, or nowhere
void ImportPrintf(const char* pString);
void ImportPrintf2(const char* pString, long Value);
// An input line; with its marker line and message when both are given.
void ImportPrintLine(const char* pcLine, const char* pcMarks, const char* pcMessage);
// Of the game imported last: the line of the file where it begins, and whether it held a tag.
UInt32 PbnImportLineBegin();
PbnBoolDef PbnImportTagFound();
extern int PbnVerbose;  // > 0: also echo error-free lines (nothing sets it)

// A stream of PBN text converted from another format (LIN): the place in the source file of
// each of its lines, so that its log names those places, and the log lines of the conversion.
struct PbnSourcePosDef {
  UInt32 Line;    // from 1
  UInt32 Column;  // from 1, in characters
};
struct PbnConvertedDef {
  const char* pcFormat = "";               // "LIN"
  std::vector<PbnSourcePosDef> atLinePos;  // element i: line i + 1 of the converted text
  std::vector<std::string> aLogLines;      // what the conversion found wrong, written first
};
// Registers pFile as converted (null: no longer); the stream's close must unregister it.
void PbnStreamSetConverted(std::FILE* pFile, std::shared_ptr<const PbnConvertedDef> ptConverted);
const PbnConvertedDef* PbnStreamConverted(std::FILE* pFile);
// The index pass of pFile begins: a converted stream writes its conversion's log lines, and each
// log line after names its place in the source file ("12:40: ") in front.
void PbnImportLogBegin(std::FILE* pFile);
// The line of the source file that a line of the stream of the last index pass comes from.
UInt32 PbnImportSourceLine(UInt32 LineNr);

// Where a tag pair sits in a file: its "[", its name, its value between the quotes as written,
// and where it ends: after its "]", or after the last token of the section data that follows it.
struct PbnTagPlaceDef {
  size_t TagBegin;
  size_t NameBegin;
  size_t NameEnd;
  size_t ValueBegin;
  size_t ValueEnd;
  size_t DataEnd;
  bool bClosed;  // its "]" was read; else the places after the fault stay at TagBegin
  struct TokenDef {
    size_t Begin;
    size_t End;  // a string without its quotes
  };
  std::vector<TokenDef> atTokens;
};

// The tag pairs of the game that starts at Begin of the file text Text, as the importer reads
// them by the PBN 2.1 grammar (every tag followed by its section data), whatever their values:
// for tools that edit a file in place. The index and the games on display are left as they are;
// the import of a game records nothing unless asked here.
std::vector<PbnTagPlaceDef> PbnReadTagPlaces(std::string_view Text, size_t Begin);

// The sides that the Hidden tag of the game imported last hides.
const std::array<PbnBoolDef, PBN_N_SIDES>& PbnImportHiddenSides();
// The side that the Play tag of the game imported last names.
PbnSideDef PbnImportPlaySide();

// Replaces the inheritance record by the tag values of ptGameTags, or empties it (null).
void PbnImportTags(const PbnGameTagsDef* ptGameTags);
// Whether the game imported last gave tag TagId a value that its check refused.
PbnBoolDef PbnImportRefusedTag(int TagId);
// What a "#" of tag TagId stands for at this point of the file: the latest value read that was
// not "#".
const char* PbnImportInheritedValue(int TagId);
// The inheritance record saved and put back, by the characters of its values only: a pass does
// both for every run of games, and a folder runs a pass for every file.
using PbnTagValuesDef = std::array<PbnTagValueDef, PBN_N_TAG_IDS>;
void PbnImportInheritedSave(PbnTagValuesDef* patValues);
void PbnImportInheritedRestore(const PbnTagValuesDef& atValues);

// What an index pass carries from one game to the next besides the stream: the file's line count,
// the inheritance record and the log. A pass that lets other imports run between its games (the
// viewer loads the game on display while it reads on) suspends after a run of games, which keeps
// this state and detaches the log, so that an import between them writes nothing, and resumes
// before the next run. Both are called at a game boundary, where a line of the file has ended.
struct PbnImportPassStateDef {
  UInt32 LineNr = 0;
  PbnTagValuesDef atInherited{};
  PbnLogSinkDef tSink;
};
void PbnImportPassSuspend(PbnImportPassStateDef* ptState);
void PbnImportPassResume(const PbnImportPassStateDef& tState);

}  // namespace pbn
