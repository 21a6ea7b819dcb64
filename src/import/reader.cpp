// The lowest layer of the importer: characters of the file one at a time with one character
// of push-back, character classes, case-insensitive comparison and number reading.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "import/import_internal.h"

namespace pbn {

PbnFilePosDef FilePosGet = 0;
PbnFilePosDef FilePosRead = 0;
UInt32 FileLineNr = 0;

namespace {

bool bChunkEndedLine = true;  // the chunk read last ended its line of the file

// The bytes of the file are read in blocks, and the chunks are cut from the block as the line
// read of 256 bytes would cut them: a line read costs more than the importer spends on the line.
// A block read after positioning is small, so that loading one game reads little; each further
// block of the same run is twice as large, up to the whole buffer. At the start of the file a
// pass begins, which reads on: its first block is whole.
constexpr size_t kBlockSize = 64 * 1024;
constexpr size_t kFirstRead = 4 * 1024;

struct BlockDef {
  std::FILE* pFile;              // the stream the block was read from
  long long Begin;               // the file offset of acData[0]
  size_t NrBytes;                // bytes held
  size_t Next;                   // where the next chunk begins
  size_t ReadSize;               // of the next read
  bool bEnd;                     // the stream has no more
  char acData[kBlockSize + 64];  // room for the words and blocks read beyond a chunk
};
BlockDef tBlock;

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
  return NrRead > 0;
}

// Where a chunk of at most NrMax bytes at pcChunk ends: up to and including the next line feed,
// and its characters up to the first NUL byte, as a line read of 256 bytes gives them. Read a word
// at a time: the block has room for the word read beyond its end.
struct ChunkEndsDef {
  size_t Length;
  size_t NrChars;
};

ChunkEndsDef FindChunkEnds(const char* pcChunk, size_t NrMax) {
#if defined(__SSE2__)
  // The first line feed or NUL, sixteen bytes at a time (the block has room for the bytes read
  // beyond its end). A NUL is rare; the chunk then still runs on to its line feed.
  const __m128i LineFeed = _mm_set1_epi8('\n');
  const __m128i Nul = _mm_setzero_si128();
  for (size_t Pos = 0; Pos < NrMax; Pos += 16) {
    const __m128i Bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pcChunk + Pos));
    const auto Marks = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(Bytes, LineFeed), _mm_cmpeq_epi8(Bytes, Nul))));
    if (Marks == 0) continue;
    const size_t MarkPos = Pos + std::countr_zero(Marks);
    if (MarkPos >= NrMax) break;
    if (pcChunk[MarkPos] == '\n') return {MarkPos + 1, MarkPos + 1};
    const void* pvLineFeed = std::memchr(pcChunk + MarkPos, '\n', NrMax - MarkPos);
    return {pvLineFeed != nullptr ? static_cast<const char*>(pvLineFeed) - pcChunk + 1 : NrMax,
            MarkPos};
  }
  return {NrMax, NrMax};
#else
  if constexpr (std::endian::native != std::endian::little) {
    const void* pvLineFeed = std::memchr(pcChunk, '\n', NrMax);
    const size_t Length =
        pvLineFeed != nullptr ? static_cast<const char*>(pvLineFeed) - pcChunk + 1 : NrMax;
    const void* pvNul = std::memchr(pcChunk, '\0', Length);
    return {Length, pvNul != nullptr ? static_cast<const char*>(pvNul) - pcChunk : Length};
  }
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  // The high bit of each byte that is zero, and of none below the first zero byte.
  const auto ZeroBytes = [](std::uint64_t Word) { return (Word - kOnes) & ~Word & kHighs; };
  size_t NulPos = NrMax;
  for (size_t Pos = 0; Pos < NrMax; Pos += 8) {
    std::uint64_t Word;
    std::memcpy(&Word, pcChunk + Pos, sizeof Word);
    const std::uint64_t Nuls = ZeroBytes(Word);
    const std::uint64_t LineFeeds = ZeroBytes(Word ^ (kOnes * '\n'));
    if (Nuls != 0 && NulPos == NrMax) {
      NulPos = std::min(NrMax, Pos + std::countr_zero(Nuls) / 8);
    }
    if (LineFeeds != 0) {
      const size_t LineFeedPos = Pos + std::countr_zero(LineFeeds) / 8;
      if (LineFeedPos < NrMax) return {LineFeedPos + 1, std::min(NulPos, LineFeedPos + 1)};
    }
  }
  return {NrMax, NulPos};
#endif
}

}  // namespace

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
    tBlock.pFile = nullptr;
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
  tBlock.pFile = nullptr;
}

PbnErrDef PbnReadChunk(PbnChunkDef* ptChunk) {
  FilePosGet = FilePosRead;
  if (tBlock.pFile == nullptr) return PBN_ERR_FILE;
  if (tBlock.NrBytes - tBlock.Next < kMaxLineChars) FillBlock();
  const size_t NrLeft = tBlock.NrBytes - tBlock.Next;
  // Offsets are signed 32-bit: a stream that runs on beyond them (a device) ends there.
  const size_t NrRoom = static_cast<size_t>(INT32_MAX - FilePosRead);
  const size_t NrMax = std::min({NrLeft, kMaxLineChars, NrRoom});
  if (NrMax == 0) return PBN_ERR_FILE;
  const char* pcChunk = tBlock.acData + tBlock.Next;
  const ChunkEndsDef tEnds = FindChunkEnds(pcChunk, NrMax);
  tBlock.Next += tEnds.Length;
  ptChunk->pcChars = pcChunk;
  ptChunk->NrChars = static_cast<int>(tEnds.NrChars);
  const size_t Length = tEnds.Length;
  FileLineNr += bChunkEndedLine;
  bChunkEndedLine = pcChunk[Length - 1] == '\n';
  FilePosRead += static_cast<PbnFilePosDef>(Length);
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
