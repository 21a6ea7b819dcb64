// The reader's block and its chunk read, inline: the pass reads every line of the file through
// the chunk read, and a call for each line cost as much as finding the line's end.
#pragma once

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

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
  // Bit i of word i / 64: whether acData[i] is a line feed or a NUL, for the bytes held. Marked
  // once per block, so that a chunk's end is found by a shift and a count, not by a scan whose
  // end the machine cannot predict; the last word has room for the one read after it.
  std::uint64_t aMarks[kBlockSize / 64 + 2];
  bool bNulHeld;  // a NUL among the marks: a mark may then end a chunk's characters only
};
extern BlockDef tBlock;
extern bool bChunkEndedLine;  // the chunk read last ended its line of the file

// The room of the next chunk when the block may hold less than a line: the block is filled first.
// Zero at the end of the file, and without a stream.
size_t ChunkRoom();

// The marks of the 64 bytes of the block from Pos on (bit 0: Pos), beyond the bytes held too.
inline std::uint64_t MarksFrom(size_t Pos) {
  const size_t Word = Pos / 64;
  const unsigned Shift = Pos % 64;
  // Shifted in two steps, so that a shift of 0 gives no bits of the next word.
  return tBlock.aMarks[Word] >> Shift | tBlock.aMarks[Word + 1] << 1 << (63 - Shift);
}

// Where a chunk of at most NrMax bytes at the block's Next ends: up to and including the next line
// feed, and its characters up to the first NUL byte, as a line read of 256 bytes gives them.
struct ChunkEndsDef {
  size_t Length;
  size_t NrChars;
  bool bLineEnd;  // the chunk ends with the line feed of its line
};

inline ChunkEndsDef FindChunkEnds(size_t Next, size_t NrMax) {
  for (size_t Pos = 0; Pos < NrMax; Pos += 64) {
    const std::uint64_t Marks = MarksFrom(Next + Pos);
    if (Marks == 0) continue;
    const size_t MarkPos = Pos + static_cast<size_t>(std::countr_zero(Marks));
    if (MarkPos >= NrMax) break;
    // Without a NUL in the block, the mark is a line feed: known without reading the byte.
    const char* pcChunk = tBlock.acData + Next;
    if (!tBlock.bNulHeld || pcChunk[MarkPos] == '\n') return {MarkPos + 1, MarkPos + 1, true};
    // A NUL is rare; the chunk then still runs on to its line feed.
    const void* pvLineFeed = std::memchr(pcChunk + MarkPos, '\n', NrMax - MarkPos);
    if (pvLineFeed == nullptr) return {NrMax, MarkPos, false};
    return {static_cast<size_t>(static_cast<const char*>(pvLineFeed) - pcChunk) + 1, MarkPos, true};
  }
  return {NrMax, NrMax, false};
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
  const reader::ChunkEndsDef tEnds = reader::FindChunkEnds(tBlock.Next, NrMax);
  tBlock.Next += tEnds.Length;
  ptChunk->pcChars = pcChunk;
  ptChunk->NrChars = static_cast<int>(tEnds.NrChars);
  const size_t Length = tEnds.Length;
  FileLineNr += reader::bChunkEndedLine;
  reader::bChunkEndedLine = tEnds.bLineEnd;
  FilePosRead += static_cast<PbnFilePosDef>(Length);
  return PBN_ERR_OK;
}

}  // namespace pbn
