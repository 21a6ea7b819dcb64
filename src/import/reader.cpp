// The lowest layer of the importer: characters of the file one at a time with one character
// of push-back, character classes, case-insensitive comparison and number reading.
#include <climits>
#include <cstring>

#include "import/import_internal.h"

namespace pbn {

char acFileLine[PBN_VALUE_SIZE];
int FileCharIndex = 0;
int FileCharNumber = 0;
PbnFilePosDef FilePosGet = 0;
PbnFilePosDef FilePosRead = 0;
char InputBuffer[PBN_VALUE_SIZE];
unsigned long InputIndex = 0;
unsigned long PrevInputIndex = 0;

void PbnReaderReset(PbnFilePosDef FilePos) {
  FileCharIndex = 0;
  FileCharNumber = 0;
  InputIndex = 0;
  FilePosRead = FilePos;
}

PbnErrDef PbnReadChunk(std::FILE* pFile) {
  // The stream's offset is counted here rather than asked for at every chunk.
  FilePosGet = FilePosRead;
  if (std::fgets(acFileLine, sizeof acFileLine, pFile) == nullptr) return PBN_ERR_FILE;
  FileCharIndex = 0;
  const size_t Length = std::strlen(acFileLine);  // a NUL byte ends the chunk
  FileCharNumber = static_cast<int>(Length);
  // The line read stops after a line feed or with the buffer full. A chunk that ends otherwise
  // met the end of the file or a NUL byte, and only the stream knows how far it read.
  if (Length == kMaxLineChars || (Length > 0 && acFileLine[Length - 1] == '\n')) {
    FilePosRead += static_cast<PbnFilePosDef>(Length);
  } else {
    FilePosRead = static_cast<PbnFilePosDef>(std::ftell(pFile));
  }
  return PBN_ERR_OK;
}

PbnErrDef PbnBackspace(int* pChar) {
  FileCharIndex--;
  InputIndex = PrevInputIndex;
  *pChar = 1;  // neutral: no state reacts to it and it is no line feed
  return PBN_ERR_OK;
}

void CharSkipSpace(const char** pacBuffer) {
  // Bytes are taken as signed here, so 128 to 255 are skipped as blanks too.
  while (**pacBuffer != '\0' && CharIsSpace(static_cast<signed char>(**pacBuffer))) {
    (*pacBuffer)++;
  }
}

int PbnStrcmp(const char* pc1, const char* pc2) {
  for (;; pc1++, pc2++) {
    int c1 = static_cast<unsigned char>(*pc1);
    int c2 = static_cast<unsigned char>(*pc2);
    if (c1 >= 'A' && c1 <= 'Z') c1 += 'a' - 'A';
    if (c2 >= 'A' && c2 <= 'Z') c2 += 'a' - 'A';
    if (c1 != c2) return c1 - c2;
    if (c1 == '\0') return 0;
  }
}

PbnErrDef TagValueGetNumber(const char** pacBuffer, long* pNumber) {
  const char* pc = *pacBuffer;
  long long Value = 0;
  bool bDigit = false;
  bool bNegative = false;
  bool bOverflow = false;
  PbnErrDef Error = PBN_ERR_OK;
  for (int Position = 0;; Position++, pc++) {
    const char c = *pc;
    if (c == '-' || c == '+') {
      if (Position != 0) {
        Error = PBN_ERR_BAD_NUMBER;
        break;
      }
      bNegative = c == '-';
    } else if (CharIsDigit(c)) {
      // A number beyond 32 bits cannot be represented; it is refused rather than wrapped.
      if (!bOverflow) Value = Value * 10 + (c - '0');
      if (Value > INT32_MAX) bOverflow = true;
      bDigit = true;
    } else {
      break;
    }
  }
  if (!bDigit || bOverflow) {
    Error = PBN_ERR_BAD_NUMBER;
    if (bOverflow) Value = INT32_MAX;
  }
  if (bNegative) Value = -Value;
  *pacBuffer = pc;
  *pNumber = static_cast<long>(Value);
  return Error;
}

PbnErrDef TagValueGetNumberPos(const char** pacBuffer, long* pNumber) {
  const PbnErrDef Error = TagValueGetNumber(pacBuffer, pNumber);
  if (Error != PBN_ERR_OK) return Error;
  return *pNumber < 0 ? PBN_ERR_BAD_NUMBER : PBN_ERR_OK;
}

}  // namespace pbn
