// Importing one game of a PBN file, the import log, and the inheritance record.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"

namespace pbn {

// Reads one game from FilePosIn. *pFilePosBegin: the start of its first non-blank line, or -1.
// *pFilePosOut: where the next game starts, or -1 at the end of the file. Neither is written
// when the result is PBN_ERR_FILE (the file cannot be positioned).
PbnErrDef PbnImportGame(std::FILE* pFile, PbnFilePosDef FilePosIn, PbnGameDataDef* ptGameData,
                        PbnGameTagsDef* ptGameTags, PbnFilePosDef* pFilePosBegin,
                        PbnFilePosDef* pFilePosOut);

// The import log: every erroneous line with its marker line and first message.
void PbnImportFile(std::FILE* pFile);
void ImportPrintf(const char* pString);
void ImportPrintf2(const char* pString, long Value);
// An input line; with its marker line and message when both are given.
void ImportPrintLine(const char* pcLine, const char* pcMarks, const char* pcMessage);

// One entry of the log: an erroneous line of the file with its marker line and first message,
// or a message of the whole-game checks alone (Text and Marks empty).
struct PbnLogEntryDef {
  UInt32 LineNr;  // the line of the file, from 1; a whole-game message: the line that ended it
  std::string Text;
  std::string Marks;
  std::string Message;
};
// While a list is attached, every entry written to the log is also appended to it, with or
// without a log file.
void PbnImportEntries(std::vector<PbnLogEntryDef>* ptEntries);
// Every log line with the number of the file line it concerns in front ("134: ").
void PbnImportLineNumbers(PbnBoolDef bOn);
// Of the game imported last: the line of the file where it begins, and whether it held a tag.
UInt32 PbnImportLineBegin();
PbnBoolDef PbnImportTagFound();
extern int PbnVerbose;  // > 0: also echo error-free lines (nothing sets it)

// Replaces the inheritance record by the tag values of ptGameTags, or empties it (null).
void PbnImportTags(const PbnGameTagsDef* ptGameTags);

}  // namespace pbn
