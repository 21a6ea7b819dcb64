// The lowest layer of the importer: characters of the file one at a time with one character
// of push-back, character classes, case-insensitive comparison and number reading.
#include <algorithm>
#include <climits>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "import/reader_block.h"

namespace pbn {

PbnFilePosDef FilePosGet = 0;
PbnFilePosDef FilePosRead = 0;
UInt32 FileLineNr = 0;

namespace reader {

BlockDef tBlock;
bool bChunkEndedLine = true;

// The marks of the 64 bytes at pcBytes: a bit for each line feed or NUL; *pbNul set when a NUL
// is among them.
std::uint64_t MarkWord(const char* pcBytes, bool* pbNul) {
#if defined(__SSE2__)
  const __m128i LineFeed = _mm_set1_epi8('\n');
  const __m128i Nul = _mm_setzero_si128();
  std::uint64_t Marks = 0;
  __m128i Nuls = _mm_setzero_si128();
  for (int Part = 0; Part < 4; Part++) {
    const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pcBytes + 16 * Part));
    const __m128i PartNuls = _mm_cmpeq_epi8(Bytes, Nul);
    Nuls = _mm_or_si128(Nuls, PartNuls);
    const auto PartMarks = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(Bytes, LineFeed), PartNuls)));
    Marks |= static_cast<std::uint64_t>(PartMarks) << (16 * Part);
  }
  *pbNul |= _mm_movemask_epi8(Nuls) != 0;
  return Marks;
#else
  std::uint64_t Marks = 0;
  for (int i = 0; i < 64; i++) {
    if (pcBytes[i] == '\0') *pbNul = true;
    if (pcBytes[i] == '\n' || pcBytes[i] == '\0') Marks |= std::uint64_t{1} << i;
  }
  return Marks;
#endif
}

// The marks of every byte held. Those of the bytes beyond are left as they are: a chunk ends
// within the bytes held, so a mark beyond them only ends the search for one. A NUL in the bytes
// beyond counts as held, which only takes the longer way.
void MarkBlock() {
  const size_t NrWords = (tBlock.NrBytes + 63) / 64;
  tBlock.bNulHeld = false;
  for (size_t Word = 0; Word < NrWords; Word++)
    tBlock.aMarks[Word] = MarkWord(tBlock.acData + 64 * Word, &tBlock.bNulHeld);
}

// Keeps the bytes from Next on and appends what the stream gives; false when it gave nothing.
bool FillBlock() {
  if (tBlock.bEnd) return false;
  if (tBlock.Next > 0) {
    std::memmove(tBlock.acData, tBlock.acData + tBlock.Next, tBlock.NrBytes - tBlock.Next);
    tBlock.Begin += static_cast<long long>(tBlock.Next);
    tBlock.NrBytes -= tBlock.Next;
    tBlock.Next = 0;
  }
  const size_t Room = std::min(kBlockSize - tBlock.NrBytes, tBlock.ReadSize);
  const size_t NrRead = std::fread(tBlock.acData + tBlock.NrBytes, 1, Room, tBlock.pFile);
  tBlock.NrBytes += NrRead;
  tBlock.bEnd = NrRead < Room;  // the end of the file, or a read error: the same to the reader
  tBlock.ReadSize = std::min(kBlockSize, tBlock.ReadSize * 2);
  MarkBlock();
  return NrRead > 0;
}

size_t ChunkRoom() {
  if (tBlock.pFile == nullptr) return 0;
  if (tBlock.NrBytes - tBlock.Next < kMaxLineChars) FillBlock();
  const size_t NrLeft = tBlock.NrBytes - tBlock.Next;
  // Offsets are signed 32-bit: a stream that runs on beyond them (a device) ends there.
  const size_t NrRoom = static_cast<size_t>(INT32_MAX - FilePosRead);
  return std::min({NrLeft, kMaxLineChars, NrRoom});
}

// No stream: the block is emptied as well, so that a chunk read finds no room without asking.
void ForgetStream() {
  tBlock.pFile = nullptr;
  tBlock.NrBytes = 0;
  tBlock.Next = 0;
}

}  // namespace reader

using reader::bChunkEndedLine;
using reader::FillBlock;
using reader::ForgetStream;
using reader::kBlockSize;
using reader::kFirstRead;
using reader::tBlock;

bool PbnReaderStart(std::FILE* pFile, PbnFilePosDef FilePos) {
  if (FilePos < 0) return false;
  // The index pass asks for each game where the last one ended: mostly within the block. The
  // stream must still be where the block ends, or another reader has moved it.
  const long long BlockEnd = tBlock.Begin + static_cast<long long>(tBlock.NrBytes);
  const bool bInBlock = tBlock.pFile == pFile && FilePos >= tBlock.Begin && FilePos <= BlockEnd &&
                        std::ftell(pFile) == BlockEnd;
  if (bInBlock) {
    tBlock.Next = static_cast<size_t>(FilePos - tBlock.Begin);
  } else {
    ForgetStream();
    if (std::fseek(pFile, FilePos, SEEK_SET) != 0) return false;
    tBlock.pFile = pFile;
    tBlock.Begin = FilePos;
    tBlock.NrBytes = 0;
    tBlock.Next = 0;
    tBlock.ReadSize = FilePos == 0 ? kBlockSize : kFirstRead;
    tBlock.bEnd = false;
  }
  FilePosRead = FilePos;
  // Games follow one another, so the count goes on from game to game; only the start of the
  // file is a known line.
  if (FilePos == 0) {
    FileLineNr = 0;
    bChunkEndedLine = true;
  }
  return true;
}

void PbnReaderForget() {
  ForgetStream();
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
  // Mostly a few digits and no sign after them: read at once.
  const char* pc = *pacBuffer;
  size_t NrDigits = 0;
  while (NrDigits < 10 && CharIsDigit(pc[NrDigits]))
    NrDigits++;
  const long Short = ShortNumber(pc, NrDigits);
  const char cAfter = pc[NrDigits];
  if (Short >= 0 && cAfter != '-' && cAfter != '+') {
    *pacBuffer = pc + NrDigits;
    *pNumber = Short;
    return PBN_ERR_OK;
  }
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
