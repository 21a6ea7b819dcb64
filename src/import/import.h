// Importing one game of a PBN file, the import log, and the inheritance record.
#pragma once

#include <cstdio>

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
extern int PbnVerbose;  // > 0: also echo error-free lines (nothing sets it)

// Replaces the inheritance record by the tag values of ptGameTags, or empties it (null).
void PbnImportTags(const PbnGameTagsDef* ptGameTags);

}  // namespace pbn
