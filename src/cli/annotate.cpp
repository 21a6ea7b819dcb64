// karvelon-cli annotate FILES... --dd [--replace | --verify] [-o OUT] [--jobs N] [--with-mistakes]
// [--break-links] [--shard K/N]: the double-dummy table and par written into each indexed game of
// each file. A file is rewritten whole by the safe writer, only when something is added, and only
// when the file has not changed since it was read; a run that is stopped leaves every file as it
// was.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/dd.h"
#include "cli/cli.h"
#include "cli/dd_json.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "cli/writing.h"
#include "files/safe_writer.h"
#include "formats/lin.h"
#include "games/annotate.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

using namespace pbn;

// Names the temporary files: ".NAME.annotate-HOST-PID-XXXXXX".
constexpr const char* kTempTag = "annotate";

// --verify found a tag whose value differs from the solver's.
constexpr int kExitDiffer = 3;

// Files are solved together until this many deals wait, so that small files still fill the
// solver's batches.
constexpr size_t kDealsPerRound = 400;

struct AnnotateArgsDef {
  std::vector<std::string> aOperands;  // files and folders
  std::string Out;
  bool bDd = false;
  bool bReplace = false;
  bool bVerify = false;  // solve also the games that hold every tag
  bool bWithMistakes = false;
  bool bBreakLinks = false;
  int Jobs = 0;
};

// A game that waits for its deal to be solved.
struct GameJobDef {
  unsigned GameNr;
  GameSpanDef tSpan;
  size_t Input;  // its deal among the round's inputs
  bool bAnyTag;  // it gives some of the tags already: their values are checked
};

// A file read and indexed, waiting for its deals.
struct FileJobDef {
  std::string Path;            // read from
  std::string Target;          // written to: the file itself, or OUT
  std::string Text;            // the whole file as read
  files::FileStampDef tStamp;  // of the file when it was read
  PbnHeadDef tHead;
  unsigned NrGames;
  unsigned NrAlready;  // games that hold every tag already
  unsigned NrLacking;  // games that lack a tag
  std::vector<GameJobDef> atGames;
};

// --- arguments ---

int Refuse(const std::string& Text) {
  return Fail("annotate: " + Text + " (usage: " + CommandUsage("annotate") + ")");
}

int ParseArgs(const Args& args, AnnotateArgsDef* ptArgs, ShardDef* ptShard) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("annotate", args, &tLine, &Error)) return Refuse(Error);
  ptArgs->aOperands = tLine.aOperands;
  ptArgs->Out = tLine.Value("-o");
  ptArgs->bDd = tLine.Has("--dd");
  ptArgs->bReplace = tLine.Has("--replace");
  ptArgs->bVerify = tLine.Has("--verify");
  ptArgs->bWithMistakes = tLine.Has(kWithMistakes);
  if (tLine.Has("--jobs")) ParseJobs(tLine.Value("--jobs"), &ptArgs->Jobs);
  if (tLine.Has("--shard")) ParseShard(tLine.Value("--shard"), ptShard);
  ptArgs->bBreakLinks = tLine.Has(kBreakLinks);
  if (ptArgs->aOperands.empty()) return Refuse("no FILE given");
  if (!ptArgs->bDd) return Refuse("say what to write: --dd");
  return kExitOk;
}

// --- reading ---

bool ReadWhole(std::FILE* pFile, const files::FileStampDef& tStamp, std::string* pText) {
  pText->resize(static_cast<size_t>(tStamp.Size));
  if (std::fseek(pFile, 0, SEEK_SET) != 0) return false;
  const size_t NrRead = std::fread(pText->data(), 1, pText->size(), pFile);
  const bool bWhole = NrRead == pText->size() && std::fgetc(pFile) == EOF;
  std::rewind(pFile);
  return bWhole;
}

bool Unchanged(const FileJobDef& tJob) {
  return files::Unchanged(tJob.Path, tJob.tStamp);
}

// Whether the file's run writes its target: always with -o, else when a game lacks a tag or
// --replace may replace one.
bool WillWrite(const FileJobDef& tJob, const AnnotateArgsDef& tArgs) {
  return !tArgs.Out.empty() || tJob.NrLacking > 0 || (tArgs.bReplace && !tJob.atGames.empty());
}

files::TargetRulesDef TargetRules(const AnnotateArgsDef& tArgs) {
  return {.bBreakLinks = tArgs.bBreakLinks};
}

// Reads and indexes a file and lists the games that lack a tag (with --replace or --verify: every
// game), their deals appended to patInputs; refuses a target that cannot be written before any
// deal is solved. Returns the exit status of the file so far.
int PrepareFile(const std::string& Path, std::FILE* pFile, const AnnotateArgsDef& tArgs,
                FileJobDef* ptJob, std::vector<analysis::DealInputDef>* patInputs) {
  ptJob->Path = Path;
  if (lin::IsLinPath(Path)) {  // its games are a conversion: tags written there would be lost
    Fail(Path + ": a LIN file holds no PBN tags; convert it to PBN first, skipped");
    return kExitError;
  }
  ptJob->Target = files::RealTarget(tArgs.Out.empty() ? Path : tArgs.Out);
  ReportLeftovers(files::RemoveLeftovers(ptJob->Target, kTempTag));
  struct stat tStat;
  if (fstat(fileno(pFile), &tStat) != 0 || !S_ISREG(tStat.st_mode) ||
      !files::StampDescriptor(fileno(pFile), &ptJob->tStamp)) {
    Fail(Path + ": not a regular file, skipped");
    return kExitError;
  }
  if (!ReadWhole(pFile, ptJob->tStamp, &ptJob->Text)) {
    Fail(Path + ": changed while it was read; left as it is");
    return kExitError;
  }
  ptJob->tHead = PbnReadHead(pFile);
  PbnImportOptionsDef tOptions = UseReading(pFile, Path, true);
  tOptions.bKeepRefused = tArgs.bWithMistakes;
  ptJob->NrGames = IndexGames(pFile, {}, tOptions);
  NoteIndexPass("annotate", Path, ptJob->NrGames);
  ptJob->NrAlready = 0;
  ptJob->NrLacking = 0;
  for (unsigned GameNr = 1; GameNr <= ptJob->NrGames; GameNr++) {
    UInt32 NrLines = 0;
    GameLoad(pFile, GameNr, &NrLines);
    const PbnFilePosDef Begin =
        DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr)->FilePosBegin;
    const GameSpanDef tSpan = GameSpanOf(ptJob->Text, static_cast<size_t>(Begin), NrLines);
    const auto abPresent = AnnotateTagsPresent(ptJob->Text, tSpan);
    const bool bAll = std::find(abPresent.begin(), abPresent.end(), false) == abPresent.end();
    const bool bAny = std::find(abPresent.begin(), abPresent.end(), true) != abPresent.end();
    ptJob->NrAlready += bAll;
    ptJob->NrLacking += !bAll;
    if (bAll && !tArgs.bReplace && !tArgs.bVerify) continue;
    ptJob->atGames.push_back({GameNr, tSpan, patInputs->size(), bAny});
    patInputs->push_back(DealInput(*tGameAdmin.ptGameData));
  }
  if (!Unchanged(*ptJob)) {
    Fail(Path + ": changed while it was read; left as it is");
    return kExitError;
  }
  if (WillWrite(*ptJob, tArgs)) {
    const std::string Problem = files::TargetProblem(ptJob->Target, TargetRules(tArgs));
    if (!Problem.empty()) {
      Fail(ptJob->Target + ": " + TargetRefusal(Problem) + ", skipped");
      return kExitError;
    }
  }
  return ptJob->NrGames > 0 ? kExitOk : kExitNone;
}

// The LIN files that folders gave are left out with one line: their games are conversions, whose
// tags would be lost. A LIN file named is refused when it is read.
void SkipFolderLinFiles(const std::vector<std::string>& aOperands, InputsDef* ptInputs) {
  std::vector<std::string>& Files = ptInputs->Files;
  const auto ptFirstSkipped = std::remove_if(Files.begin(), Files.end(), [&](const auto& Path) {
    return lin::IsLinPath(Path) &&
           std::find(aOperands.begin(), aOperands.end(), Path) == aOperands.end();
  });
  const auto NrSkipped = std::distance(ptFirstSkipped, Files.end());
  Files.erase(ptFirstSkipped, Files.end());
  if (NrSkipped > 0) {
    std::fprintf(stderr,
                 "karvelon-cli: annotate: %ld LIN %s of the folders skipped: a LIN file holds no "
                 "PBN tags; convert it to PBN first\n",
                 static_cast<long>(NrSkipped), NrSkipped == 1 ? "file" : "files");
  }
}

// --- writing ---

// Writes the new text beside the target and renames it over the target when it is complete and
// the file it was made from is still as it was read.
int WriteTarget(const FileJobDef& tJob, const AnnotateArgsDef& tArgs, const std::string& Text) {
  files::SafeWriter tWriter(kTempTag);
  const bool bWritten = tWriter.Open(tJob.Target, TargetRules(tArgs)) && tWriter.Write(Text) &&
                        tWriter.Commit([&] { return Unchanged(tJob); });
  ReportLeftovers(tWriter.LeftoversRemoved());
  if (bWritten) return kExitOk;
  if (tWriter.Failure() == files::WriteFailDef::Changed) {
    return Fail(tJob.Path + ": changed while it was annotated; left as it is");
  }
  if (tWriter.Failure() == files::WriteFailDef::Refused) {
    return Fail(tJob.Target + ": " + TargetRefusal(tWriter.Reason()) + ", skipped");
  }
  return Fail(tWriter.Message() + "; left as it is");
}

// --- solving and editing ---

DdAnnotationDef AnnotationOf(const analysis::DealAnalysisDef& tAnalysis) {
  DdAnnotationDef tDd;
  tDd.aaTricks = tAnalysis.aaTricks;
  tDd.bPar = tAnalysis.tPar.Error.empty();
  tDd.ParScore = tAnalysis.tPar.Score;
  tDd.ParContracts = tAnalysis.tPar.Contracts;
  return tDd;
}

void ReportConflict(const FileJobDef& tJob, unsigned GameNr, const TagConflictDef& tConflict) {
  std::fprintf(stderr, "%s: game %u: %s \"%s\" differs from the solver's \"%s\", %s\n",
               tJob.Path.c_str(), GameNr, apcAnnotateTagNames[tConflict.Tag],
               tConflict.FileValue.c_str(), tConflict.SolverValue.c_str(),
               tConflict.bReplaced ? "replaced" : "kept (--replace writes the solver's)");
}

// Edits the file's games with their results and writes it; returns the file's exit status.
int FinishFile(const FileJobDef& tJob, const AnnotateArgsDef& tArgs,
               const std::vector<analysis::DealAnalysisDef>& atResults) {
  std::vector<TextEditDef> atEdits;
  unsigned NrAnnotated = 0;
  unsigned NrUnsolved = 0;
  unsigned NrOpen = 0;     // games whose end leaves a comment or a string open
  unsigned NrChecked = 0;  // games whose tags were compared with the solver's values
  unsigned NrDiffer = 0;
  for (const GameJobDef& tGame : tJob.atGames) {
    const analysis::DealAnalysisDef& tAnalysis = atResults[tGame.Input];
    if (!tAnalysis.Error.empty()) {
      std::fprintf(stderr, "%s: game %u: %s; left as it is\n", tJob.Path.c_str(), tGame.GameNr,
                   tAnalysis.Error.c_str());
      NrUnsolved++;
      continue;
    }
    GameEditsDef tGameEdits =
        AnnotateGame(tJob.Text, tGame.tSpan, AnnotationOf(tAnalysis), tArgs.bReplace);
    for (const TagConflictDef& tConflict : tGameEdits.atConflicts)
      ReportConflict(tJob, tGame.GameNr, tConflict);
    if (tGameEdits.bNotReadBack) {
      std::fprintf(stderr,
                   "%s: game %u: it ends inside a comment or a string, which would hold the new "
                   "tags; left as it is\n",
                   tJob.Path.c_str(), tGame.GameNr);
      NrOpen++;
    }
    NrAnnotated += tGameEdits.NrAdded > 0;
    NrChecked += tGame.bAnyTag;
    NrDiffer += !tGameEdits.atConflicts.empty();
    for (TextEditDef& tEdit : tGameEdits.atEdits)
      atEdits.push_back(std::move(tEdit));
  }
  if (!atEdits.empty()) {
    if (auto tVersion = VersionEdit(tJob.Text, tJob.tHead)) atEdits.push_back(*tVersion);
  }
  int Status = tJob.NrGames > 0 ? kExitOk : kExitNone;
  if (tArgs.bVerify && NrDiffer > 0) Status = kExitDiffer;
  // A file that gains nothing keeps its inode, times and hard links; -o always writes its copy.
  const std::string NewText = ApplyEdits(tJob.Text, std::move(atEdits));
  if (!tArgs.Out.empty() || NewText != tJob.Text) {
    if (WriteTarget(tJob, tArgs, NewText) != kExitOk) return kExitError;
  }
  std::printf("%s: %u games, %u annotated, %u already annotated", tJob.Path.c_str(), tJob.NrGames,
              NrAnnotated, tJob.NrAlready);
  if (tArgs.bVerify) std::printf(", %u checked, %u differ", NrChecked, NrDiffer);
  if (NrUnsolved > 0) std::printf(", %u not solved", NrUnsolved);
  if (NrOpen > 0) std::printf(", %u left open", NrOpen);
  std::printf("\n");
  std::fflush(stdout);
  return Status;
}

// Of two exit statuses the one to give: a file left as it was before values that differ, those
// before a file without games.
int WorseStatus(int a, int b) {
  return a == kExitError || b == kExitError ? kExitError : std::max(a, b);
}

// Solves the deals of the files read so far and writes the files.
int FinishRound(std::vector<FileJobDef>* patJobs, std::vector<analysis::DealInputDef>* patInputs,
                const AnnotateArgsDef& tArgs) {
  const bool bProgress = isatty(STDERR_FILENO) != 0 && !patInputs->empty();
  const auto Progress = [&](size_t NrDone) {
    if (bProgress) std::fprintf(stderr, "\rannotate: %zu/%zu deals", NrDone, patInputs->size());
  };
  // The solver library is loaded with the first deal: a run refused or with nothing to solve
  // never waits for it.
  static bool bThreadsSet = false;
  if (!patInputs->empty() && !bThreadsSet) {
    analysis::SetSolverThreads(tArgs.Jobs);
    bThreadsSet = true;
  }
  const auto atResults = patInputs->empty() ? std::vector<analysis::DealAnalysisDef>()
                                            : analysis::AnalyseDeals(*patInputs, Progress);
  if (bProgress) std::fputs("\r\033[K", stderr);
  int Status = kExitOk;
  for (const FileJobDef& tJob : *patJobs)
    Status = WorseStatus(Status, FinishFile(tJob, tArgs, atResults));
  patJobs->clear();
  patInputs->clear();
  return Status;
}

}  // namespace

int Annotate(const Args& args) {
  ShardDef tShard;
  AnnotateArgsDef tArgs;
  if (ParseArgs(args, &tArgs, &tShard) != kExitOk) return kExitError;
  InputsDef tInputs = ExpandInputs(tArgs.aOperands);
  SkipFolderLinFiles(tArgs.aOperands, &tInputs);
  if (!tArgs.Out.empty() && (tInputs.bMany || tInputs.Files.size() != 1)) {
    return Refuse("-o takes one FILE");
  }
  // A file is annotated whole by the shard that holds its first game, so that no two shards
  // rewrite the same file.
  const std::vector<GameRangeDef> atRanges =
      ShardRanges(tShard, tInputs.Files, tArgs.bWithMistakes);
  int RoundStatus = kExitOk;
  std::vector<FileJobDef> atJobs;
  std::vector<analysis::DealInputDef> atInputs;
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t i) {
    if (atRanges[i].Empty() || atRanges[i].First != 1) return kExitOk;
    FileJobDef tJob;
    const size_t NrInputs = atInputs.size();
    const int FileStatus = PrepareFile(Path, pFile, tArgs, &tJob, &atInputs);
    if (FileStatus == kExitError) {
      atInputs.resize(NrInputs);
      return FileStatus;
    }
    atJobs.push_back(std::move(tJob));
    if (atInputs.size() >= kDealsPerRound) {
      RoundStatus = WorseStatus(RoundStatus, FinishRound(&atJobs, &atInputs, tArgs));
    }
    return FileStatus;
  });
  RoundStatus = WorseStatus(RoundStatus, FinishRound(&atJobs, &atInputs, tArgs));
  return WorseStatus(Status, RoundStatus);
}

}  // namespace cli
