// karvelon-cli annotate FILES... --dd [--replace] [-o OUT] [--jobs N] [--with-mistakes]
// [--shard K/N]: the double-dummy table and par written into each indexed game of each file. A file
// is rewritten whole through a temporary file beside it, renamed over it only when complete and
// only when the file has not changed since it was read; a run that is stopped leaves every file as
// it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/dd.h"
#include "cli/cli.h"
#include "cli/dd_json.h"
#include "cli/inputs.h"
#include "formats/lin.h"
#include "games/annotate.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"

namespace cli {

namespace {

using namespace pbn;

constexpr const char* kUsage =
    "karvelon-cli annotate FILE... --dd [--replace | --verify] [-o OUT] [--jobs N] "
    "[--with-mistakes] "
    "[--shard K/N]";

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
  int Jobs = 0;
};

// A game that waits for its deal to be solved.
struct GameJobDef {
  unsigned GameNr;
  GameSpanDef tSpan;
  size_t Input;  // its deal among the round's inputs
};

// A file read and indexed, waiting for its deals.
struct FileJobDef {
  std::string Path;    // read from
  std::string Target;  // written to: the file itself, or OUT
  std::string Text;    // the whole file as read
  struct stat tStat;   // of the file when it was read
  PbnHeadDef tHead;
  unsigned NrGames;
  unsigned NrAlready;  // games that hold every tag already
  std::vector<GameJobDef> atGames;
};

// --- the temporary file, removed when a signal stops the run ---

char acTempPath[4096];
volatile std::sig_atomic_t bTempActive = 0;

extern "C" void RemoveTempAndStop(int Signal) {
  if (bTempActive) unlink(acTempPath);
  std::signal(Signal, SIG_DFL);
  std::raise(Signal);
}

constexpr int aStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A signal that is ignored (nohup, a background job) stays ignored.
void CatchStopSignals() {
  for (int Signal : aStopSignals) {
    if (std::signal(Signal, RemoveTempAndStop) == SIG_IGN) std::signal(Signal, SIG_IGN);
  }
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit then fails the write instead of the run
}

// Blocks the stop signals while the name of the temporary file changes hands.
class StopSignalsBlocked {
 public:
  StopSignalsBlocked() {
    sigset_t tSet;
    sigemptyset(&tSet);
    for (int Signal : aStopSignals)
      sigaddset(&tSet, Signal);
    sigprocmask(SIG_BLOCK, &tSet, &tOld);
  }
  ~StopSignalsBlocked() { sigprocmask(SIG_SETMASK, &tOld, nullptr); }

 private:
  sigset_t tOld;
};

// --- arguments ---

int Refuse(const std::string& Text) {
  return Fail("annotate: " + Text + " (usage: " + kUsage + ")");
}

int ParseArgs(const Args& args, AnnotateArgsDef* ptArgs) {
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == "--dd") {
      ptArgs->bDd = true;
    } else if (args[i] == "--replace") {
      ptArgs->bReplace = true;
    } else if (args[i] == "--verify") {
      ptArgs->bVerify = true;
    } else if (args[i] == kWithMistakes) {
      ptArgs->bWithMistakes = true;
    } else if (args[i] == "-o") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return Refuse("-o needs a file name");
      ptArgs->Out = args[++i];
    } else if (args[i] == "--jobs") {
      if (i + 1 >= args.size() || !ParseJobs(args[++i], &ptArgs->Jobs)) {
        return Refuse("--jobs needs a number of threads from 1");
      }
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Refuse("unknown option '" + args[i] + "'");
    } else {
      ptArgs->aOperands.push_back(args[i]);
    }
  }
  if (ptArgs->aOperands.empty()) return Refuse("no FILE given");
  if (!ptArgs->bDd) return Refuse("say what to write: --dd");
  return kExitOk;
}

// --- reading ---

std::string DirectoryOf(const std::string& Path) {
  const size_t Slash = Path.rfind('/');
  if (Slash == std::string::npos) return ".";
  return Slash == 0 ? "/" : Path.substr(0, Slash);
}

std::string BaseName(const std::string& Path) {
  const size_t Slash = Path.rfind('/');
  return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

// A file that exists and that its owner or an administrator has made read-only: its mode has no
// write permission, the system refuses writing to it, or its folder cannot take the new file.
bool ReadOnly(const std::string& Path) {
  struct stat tStat;
  if (stat(Path.c_str(), &tStat) != 0) return false;
  return (tStat.st_mode & 0222) == 0 || access(Path.c_str(), W_OK) != 0 ||
         access(DirectoryOf(Path).c_str(), W_OK | X_OK) != 0;
}

// The file a symbolic link names, so that the link stays and the file it names is rewritten.
std::string RealTarget(const std::string& Path) {
  char* pcReal = realpath(Path.c_str(), nullptr);
  if (pcReal == nullptr) return Path;  // a new file, or one that is reported when it is read
  std::string Real = pcReal;
  std::free(pcReal);
  return Real;
}

bool ReadWhole(std::FILE* pFile, const struct stat& tStat, std::string* pText) {
  pText->resize(static_cast<size_t>(tStat.st_size));
  if (std::fseek(pFile, 0, SEEK_SET) != 0) return false;
  const size_t NrRead = std::fread(pText->data(), 1, pText->size(), pFile);
  const bool bWhole = NrRead == pText->size() && std::fgetc(pFile) == EOF;
  std::rewind(pFile);
  return bWhole;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool Unchanged(const FileJobDef& tJob) {
  struct stat tNow;
  return stat(tJob.Path.c_str(), &tNow) == 0 && SameFile(tNow, tJob.tStat);
}

// Reads and indexes a file and lists the games that lack a tag (with --replace or --verify: every
// game), their deals appended to patInputs. Returns the exit status of the file so far.
int PrepareFile(const std::string& Path, std::FILE* pFile, const AnnotateArgsDef& tArgs,
                FileJobDef* ptJob, std::vector<analysis::DealInputDef>* patInputs) {
  ptJob->Path = Path;
  if (lin::IsLinPath(Path)) {  // its games are a conversion: tags written there would be lost
    Fail(Path + ": a LIN file holds no PBN tags; convert it to PBN first, skipped");
    return kExitError;
  }
  ptJob->Target = RealTarget(tArgs.Out.empty() ? Path : tArgs.Out);
  if (ReadOnly(ptJob->Target)) {
    Fail(ptJob->Target + ": read-only, skipped");
    return kExitError;
  }
  if (fstat(fileno(pFile), &ptJob->tStat) != 0 || !S_ISREG(ptJob->tStat.st_mode)) {
    Fail(Path + ": not a regular file, skipped");
    return kExitError;
  }
  if (!ReadWhole(pFile, ptJob->tStat, &ptJob->Text)) {
    Fail(Path + ": changed while it was read; left as it is");
    return kExitError;
  }
  ptJob->tHead = PbnReadHead(pFile);
  PbnImportOptionsDef tOptions = UseReading(pFile, Path, true);
  tOptions.bKeepRefused = tArgs.bWithMistakes;
  ptJob->NrGames = IndexGames(pFile, {}, tOptions);
  ptJob->NrAlready = 0;
  for (unsigned GameNr = 1; GameNr <= ptJob->NrGames; GameNr++) {
    UInt32 NrLines = 0;
    GameLoad(pFile, GameNr, &NrLines);
    const PbnFilePosDef Begin =
        DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr)->FilePosBegin;
    const GameSpanDef tSpan = GameSpanOf(ptJob->Text, static_cast<size_t>(Begin), NrLines);
    const auto abPresent = AnnotateTagsPresent(ptJob->Text, tSpan);
    if (!tArgs.bReplace && !tArgs.bVerify &&
        std::find(abPresent.begin(), abPresent.end(), false) == abPresent.end()) {
      ptJob->NrAlready++;
      continue;
    }
    ptJob->atGames.push_back({GameNr, tSpan, patInputs->size()});
    patInputs->push_back(DealInput(*tGameAdmin.ptGameData));
  }
  if (!Unchanged(*ptJob)) {
    Fail(Path + ": changed while it was read; left as it is");
    return kExitError;
  }
  return ptJob->NrGames > 0 ? kExitOk : kExitNone;
}

// --- writing ---

bool WriteAll(int Fd, const std::string& Text) {
  for (size_t Done = 0; Done < Text.size();) {
    const ssize_t NrWritten = write(Fd, Text.data() + Done, Text.size() - Done);
    if (NrWritten < 0 && errno == EINTR) continue;
    if (NrWritten <= 0) return false;
    Done += static_cast<size_t>(NrWritten);
  }
  return true;
}

// The new file gets the target's mode and, where the system allows, its owner; a new target the
// mode a new file gets.
bool TakeTargetMode(int Fd, const std::string& Target) {
  struct stat tStat;
  if (stat(Target.c_str(), &tStat) == 0) {
    if (fchown(Fd, tStat.st_uid, tStat.st_gid) != 0) {
      // Only an administrator may give a file away; the writer then owns the new file.
    }
    return fchmod(Fd, tStat.st_mode & 07777) == 0;
  }
  const mode_t Mask = umask(0);
  umask(Mask);
  return fchmod(Fd, 0666 & ~Mask) == 0;
}

// The temporary file is hidden and does not end in ".pbn", so that a leftover of a killed run is
// never taken for a PBN file.
int CreateTemp(const std::string& Target) {
  const std::string Template = DirectoryOf(Target) + "/." + BaseName(Target) + ".annotate-XXXXXX";
  if (Template.size() >= sizeof acTempPath) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const StopSignalsBlocked tBlocked;
  std::memcpy(acTempPath, Template.c_str(), Template.size() + 1);
  const int Fd = mkstemp(acTempPath);
  bTempActive = Fd >= 0;
  return Fd;
}

void DropTemp() {
  const StopSignalsBlocked tBlocked;
  if (bTempActive) unlink(acTempPath);
  bTempActive = 0;
}

// Writes the new text beside the target and renames it over the target when it is complete and
// the file it was made from is still as it was read.
int WriteTarget(const FileJobDef& tJob, const std::string& Text) {
  const int Fd = CreateTemp(tJob.Target);
  if (Fd < 0) {
    return Fail("cannot write " + tJob.Target + ": " + std::strerror(errno) + "; left as it is");
  }
  bool bWritten = WriteAll(Fd, Text) && TakeTargetMode(Fd, tJob.Target) && fsync(Fd) == 0;
  int Error = errno;
  if (close(Fd) != 0 && bWritten) {  // a full disk may show only here
    bWritten = false;
    Error = errno;
  }
  if (!bWritten) {
    DropTemp();
    return Fail("cannot write " + tJob.Target + ": " + std::strerror(Error) + "; left as it is");
  }
  if (!Unchanged(tJob)) {
    DropTemp();
    return Fail(tJob.Path + ": changed while it was annotated; left as it is");
  }
  if (rename(acTempPath, tJob.Target.c_str()) != 0) {
    const int RenameError = errno;
    DropTemp();
    return Fail("cannot replace " + tJob.Target + ": " + std::strerror(RenameError) +
                "; left as it is");
  }
  bTempActive = 0;
  if (const int DirFd = open(DirectoryOf(tJob.Target).c_str(), O_RDONLY | O_DIRECTORY);
      DirFd >= 0) {
    fsync(DirFd);  // the rename itself survives a crash
    close(DirFd);
  }
  return kExitOk;
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
    NrAnnotated += tGameEdits.NrAdded > 0;
    for (TextEditDef& tEdit : tGameEdits.atEdits)
      atEdits.push_back(std::move(tEdit));
  }
  if (!atEdits.empty()) {
    if (auto tVersion = VersionEdit(tJob.Text, tJob.tHead)) atEdits.push_back(*tVersion);
  }
  int Status = tJob.NrGames > 0 ? kExitOk : kExitNone;
  if (!atEdits.empty() || tJob.Target != tJob.Path) {
    if (WriteTarget(tJob, ApplyEdits(tJob.Text, std::move(atEdits))) != kExitOk) return kExitError;
  }
  std::printf("%s: %u games, %u annotated, %u already annotated", tJob.Path.c_str(), tJob.NrGames,
              NrAnnotated, tJob.NrAlready);
  if (NrUnsolved > 0) std::printf(", %u not solved", NrUnsolved);
  std::printf("\n");
  std::fflush(stdout);
  return Status;
}

// Solves the deals of the files read so far and writes the files.
int FinishRound(std::vector<FileJobDef>* patJobs, std::vector<analysis::DealInputDef>* patInputs,
                const AnnotateArgsDef& tArgs) {
  const bool bProgress = isatty(STDERR_FILENO) != 0 && !patInputs->empty();
  const auto Progress = [&](size_t NrDone) {
    if (bProgress) std::fprintf(stderr, "\rannotate: %zu/%zu deals", NrDone, patInputs->size());
  };
  const auto atResults = analysis::AnalyseDeals(*patInputs, Progress);
  if (bProgress) std::fputs("\r\033[K", stderr);
  int Status = kExitOk;
  for (const FileJobDef& tJob : *patJobs)
    Status = std::max(Status, FinishFile(tJob, tArgs, atResults));
  patJobs->clear();
  patInputs->clear();
  return Status;
}

}  // namespace

int Annotate(const Args& args) {
  Args rest = args;
  ShardDef tShard;
  if (!TakeShardOption("annotate", &rest, &tShard)) return kExitError;
  AnnotateArgsDef tArgs;
  if (ParseArgs(rest, &tArgs) != kExitOk) return kExitError;
  const InputsDef tInputs = ExpandInputs(tArgs.aOperands);
  if (!tArgs.Out.empty() && (tInputs.bMany || tInputs.Files.size() != 1)) {
    return Refuse("-o takes one FILE");
  }
  // A file is annotated whole by the shard that holds its first game, so that no two shards
  // rewrite the same file.
  const std::vector<GameRangeDef> atRanges =
      ShardRanges(tShard, tInputs.Files, tArgs.bWithMistakes);
  CatchStopSignals();
  analysis::SetSolverThreads(tArgs.Jobs);
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
      RoundStatus = std::max(RoundStatus, FinishRound(&atJobs, &atInputs, tArgs));
    }
    return FileStatus;
  });
  RoundStatus = std::max(RoundStatus, FinishRound(&atJobs, &atInputs, tArgs));
  return std::max(Status, RoundStatus);
}

}  // namespace cli
