// Which standard the importer follows: PBN 1.0 to the letter (the default), or PBN 2.1. The
// choice is always explicit; "as the file declares" reads the head of the file, the escape,
// comment and blank lines before its first tag, and takes 2.1 only for "% PBN 2.x".
#pragma once

#include <cstdio>

#include "core/pbn.h"
#include "import/import.h"

namespace pbn {

// What the user asked for: a standard, or the one the file declares.
enum class ReadingChoiceDef { Pbn10, Pbn21, AsDeclared };

// What the head of a file says about itself.
struct PbnHeadDef {
  char acVersion[8];  // "2.1" from "% PBN 2.1"; empty when no PBN version is declared
  long VersionPos;    // the offset of the version's first digit in the file, when declared
  bool bUtf8;         // an escape line declares charset=UTF-8
  bool bBom;          // the file starts with a UTF-8 byte-order mark
  bool bConverted;    // PBN text converted from another format (LIN), always read by 2.1
};

// Reads the head from the start of the file; the stream's position is restored.
PbnHeadDef PbnReadHead(std::FILE* pFile);

inline bool PbnHeadDeclares2(const PbnHeadDef& tHead) {
  return tHead.acVersion[0] == '2';
}

// The options of a file read by Choice: the standard, and UTF-8 only in 2.1 and only when the
// head declares it (or the file starts with a byte-order mark). A converted file is PBN 2.1 in
// UTF-8 whatever the choice.
PbnImportOptionsDef PbnReadingFor(ReadingChoiceDef Choice, const PbnHeadDef& tHead);

inline bool PbnReading21() {
  return PbnImportOptions().Standard == PBN_STANDARD_2_1;
}

// "PBN 1.0" or "PBN 2.1".
const char* PbnStandardName(PbnStandardDef Standard);

// Parses "1.0", "2.1" or "auto"; false for anything else.
bool PbnParseReadingChoice(const char* pcText, ReadingChoiceDef* pChoice);

// Positions the stream where the index pass starts: after a byte-order mark in a UTF-8 reading.
void PbnSkipBom(std::FILE* pFile, const PbnHeadDef& tHead, const PbnImportOptionsDef& tOptions);

}  // namespace pbn
