// The files a command reads, and the part of a job a shard does. Shared by check, dd, list,
// annotate and hand-records.
//
// A command collects its FILE and folder operands and expands them once:
//
//   InputsDef tInputs = ExpandInputs(Operands);     // folders read recursively, sorted
//   ShardDef tShard;                                // ParseShard of --shard K/N
//   const auto atRanges = ShardRanges(tShard, tInputs.Files, bKeepRefused);
//   int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t i) {
//     ... index pFile, do games atRanges[i].First .. atRanges[i].End - 1 (1-based) ...
//     return kExitOk;                               // or kExitNone, kExitError
//   });
//
// ForEachFile opens each file (one that cannot be read is said on standard error and the run
// goes on) and returns the worst status of the files and of the expansion. With tInputs.bMany
// (several operands, or a folder) a command names each file in its output; with one FILE its
// output stays as it always was.
//
// A shard does a contiguous range of the sequence of (file, game) of the whole job, so the
// outputs of parts 1..N concatenated equal the output of one run.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace cli {

// The endings (compared in any case) of the files read from a folder. A file given by name is
// read whatever its name.
inline const std::vector<std::string> kInputFileEndings = {".pbn", ".lin"};

struct InputsDef {
  std::vector<std::string> Files;  // in the order of the operands; a folder's sorted by name
  bool bMany = false;              // more than one operand, or a folder
  int Status = kExitOk;            // kExitError when a folder cannot be read or holds no file
  bool bTextOnly = false;          // --with-mistakes: a file that is no text is refused
};

// Expands FILE and folder operands into files. A folder is read recursively (symbolic links to
// folders are not followed), entries in byte order of their names; a folder that cannot be read
// or holds no file to read is said on standard error.
InputsDef ExpandInputs(const std::vector<std::string>& Operands);

// Whether Name ends in one of kInputFileEndings, in any case.
bool IsInputFileName(const std::string& Name);

// Runs Each on every file in order, open for reading (OpenInput); returns the worst of the statuses
// (a file that cannot be opened counts kExitError) and tInputs.Status.
using EachFileFn = std::function<int(const std::string& Path, std::FILE* pFile, size_t Index)>;
int ForEachFile(const InputsDef& tInputs, const EachFileFn& Each);

// "--shard K/N": the K-th of N parts of a job (1 <= K <= N).
struct ShardDef {
  unsigned Part = 1;
  unsigned NrParts = 1;
  bool Whole() const { return NrParts == 1; }
};

// Reads "K/N"; false for anything else.
bool ParseShard(const std::string& Text, ShardDef* ptShard);

// The games of one file a shard does: numbers First .. End - 1 (counted from 1).
struct GameRangeDef {
  unsigned First = 1;
  unsigned End = 1;
  bool Holds(unsigned GameNr) const { return GameNr >= First && GameNr < End; }
  bool Empty() const { return End <= First; }
};

// The part of (file, game) pairs the shard does, given every file's number of games: part K of
// N takes the positions [(K-1)*T/N, K*T/N) of the T games in order.
std::vector<GameRangeDef> ShardRanges(const ShardDef& tShard,
                                      const std::vector<unsigned>& aNrGames);

// As above, counting each file's games with the reading --pbn chose (bKeepRefused: every game,
// as --with-mistakes), each file opened as the command opens it. For the whole job no file is
// read and every range holds all games.
std::vector<GameRangeDef> ShardRanges(const ShardDef& tShard, const std::vector<std::string>& Files,
                                      bool bKeepRefused);

}  // namespace cli
