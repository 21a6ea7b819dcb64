// The reader's block and its chunk read, inline: the pass reads every line of the file through
// the chunk read, and a call for each line cost as much as finding the line's end.
#pragma once

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "import/import_internal.h"

namespace pbn {

namespace reader {

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
extern BlockDef tBlock;
extern bool bChunkEndedLine;  // the chunk read last ended its line of the file

// The room of the next chunk when the block may hold less than a line: the block is filled first.
// Zero at the end of the file, and without a stream.
size_t ChunkRoom();

// Where a chunk of at most NrMax bytes at pcChunk ends: up to and including the next line feed,
// and its characters up to the first NUL byte, as a line read of 256 bytes gives them. Read a word
// at a time: the block has room for the word read beyond its end.
struct ChunkEndsDef {
  size_t Length;
  size_t NrChars;
};

inline ChunkEndsDef FindChunkEnds(const char* pcChunk, size_t NrMax) {
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

}  // namespace reader

// The next chunk; PBN_ERR_FILE at the end of the file (or a read error). The chunk stays valid
// until the next one is read.
inline PbnErrDef PbnReadChunk(PbnChunkDef* ptChunk) {
  using reader::tBlock;
  FilePosGet = FilePosRead;
  // Mostly the block holds a whole line's room, far from the end of the offsets; a block without a
  // stream holds nothing.
  size_t NrMax = kMaxLineChars;
  if (tBlock.NrBytes - tBlock.Next < kMaxLineChars ||
      FilePosRead > INT32_MAX - static_cast<PbnFilePosDef>(kMaxLineChars)) {
    NrMax = reader::ChunkRoom();
    if (NrMax == 0) return PBN_ERR_FILE;
  }
  const char* pcChunk = tBlock.acData + tBlock.Next;
  const reader::ChunkEndsDef tEnds = reader::FindChunkEnds(pcChunk, NrMax);
  tBlock.Next += tEnds.Length;
  ptChunk->pcChars = pcChunk;
  ptChunk->NrChars = static_cast<int>(tEnds.NrChars);
  const size_t Length = tEnds.Length;
  FileLineNr += reader::bChunkEndedLine;
  reader::bChunkEndedLine = pcChunk[Length - 1] == '\n';
  FilePosRead += static_cast<PbnFilePosDef>(Length);
  return PBN_ERR_OK;
}

}  // namespace pbn
