#include "files/safe_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/temp_files.h"

namespace files {

using detail::BaseName;
using detail::DirectoryOf;

namespace {

constexpr size_t kBlock = 1 << 16;  // bytes collected before a write
constexpr int kMaxLinks = 40;       // symbolic links followed, as the system does

FileStampDef StampOf(const struct stat& tStat) {
  return {tStat.st_dev, tStat.st_ino, tStat.st_size, tStat.st_mtim, tStat.st_ctim};
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool WriteAll(int Fd, std::string_view Bytes) {
  while (!Bytes.empty()) {
    const ssize_t NrWritten = write(Fd, Bytes.data(), Bytes.size());
    if (NrWritten < 0 && errno == EINTR) continue;
    if (NrWritten <= 0) return false;
    Bytes.remove_prefix(static_cast<size_t>(NrWritten));
  }
  return true;
}

// The new file gets the target's mode and, where the system allows, its owner (else its group,
// where the writer belongs to it); a new target the mode a new file gets.
bool TakeTargetMode(int Fd, const std::string& Target) {
  struct stat tStat;
  if (stat(Target.c_str(), &tStat) == 0) {
    if (fchown(Fd, tStat.st_uid, tStat.st_gid) != 0 && fchown(Fd, -1, tStat.st_gid) != 0) {
      // Only an administrator may give a file away; the writer then owns the new file.
    }
    return fchmod(Fd, tStat.st_mode & 07777) == 0;
  }
  const mode_t Mask = umask(0);
  umask(Mask);
  return fchmod(Fd, 0666 & ~Mask) == 0;
}

void SyncFolder(const std::string& Folder) {
  const int Fd = open(Folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (Fd < 0) return;
  fsync(Fd);  // the rename itself survives a crash
  close(Fd);
}

constexpr const char* kHardLinks = " hard links, ";

std::string HardLinkText(nlink_t NrLinks) {
  return "has " + std::to_string(NrLinks) + kHardLinks +
         "which a new file would leave with the old content";
}

}  // namespace

bool StampFile(const std::string& Path, FileStampDef* ptStamp) {
  struct stat tStat;
  if (stat(Path.c_str(), &tStat) != 0) return false;
  *ptStamp = StampOf(tStat);
  return true;
}

bool StampDescriptor(int Fd, FileStampDef* ptStamp) {
  struct stat tStat;
  if (fstat(Fd, &tStat) != 0) return false;
  *ptStamp = StampOf(tStat);
  return true;
}

bool SameStamp(const FileStampDef& a, const FileStampDef& b) {
  return a.Dev == b.Dev && a.Ino == b.Ino && a.Size == b.Size && SameTime(a.Mtime, b.Mtime) &&
         SameTime(a.Ctime, b.Ctime);
}

bool Unchanged(const std::string& Path, const FileStampDef& tStamp) {
  FileStampDef tNow;
  return StampFile(Path, &tNow) && SameStamp(tNow, tStamp);
}

std::string RealTarget(const std::string& Path) {
  std::string Current = Path;
  for (int Hop = 0; Hop < kMaxLinks; Hop++) {
    struct stat tStat;
    if (lstat(Current.c_str(), &tStat) != 0 || !S_ISLNK(tStat.st_mode)) break;
    char acLink[PATH_MAX];
    const ssize_t Length = readlink(Current.c_str(), acLink, sizeof acLink - 1);
    if (Length <= 0) break;
    const std::string Link(acLink, static_cast<size_t>(Length));
    Current = Link[0] == '/' ? Link : DirectoryOf(Current) + "/" + Link;
  }
  char* pcFolder = realpath(DirectoryOf(Current).c_str(), nullptr);
  if (pcFolder == nullptr) return Current;  // said by TargetProblem
  const std::string Folder = pcFolder;
  std::free(pcFolder);
  return (Folder == "/" ? "" : Folder) + "/" + BaseName(Current);
}

std::string TargetProblem(const std::string& Path, const TargetRulesDef& tRules) {
  const std::string Target = RealTarget(Path);
  struct stat tStat;
  if (stat(Target.c_str(), &tStat) == 0) {
    if (S_ISDIR(tStat.st_mode)) return "is a folder";
    if (!S_ISREG(tStat.st_mode)) return "is not a regular file";
    // An administrator may write anything; a file without write permission stays read-only.
    if ((tStat.st_mode & 0222) == 0 || faccessat(AT_FDCWD, Target.c_str(), W_OK, AT_EACCESS) != 0)
      return "read-only";
    if (tStat.st_nlink > 1 && !tRules.bBreakLinks) return HardLinkText(tStat.st_nlink);
  } else if (errno != ENOENT) {
    return std::strerror(errno);
  }
  if (faccessat(AT_FDCWD, DirectoryOf(Target).c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "its folder does not exist";
    if (errno == EACCES || errno == EPERM || errno == EROFS) return "its folder is read-only";
    return std::strerror(errno);
  }
  return "";
}

bool IsHardLinkProblem(const std::string& Problem) {
  return Problem.rfind("has ", 0) == 0 && Problem.find(kHardLinks) != std::string::npos;
}

std::vector<LeftoverDef> RemoveLeftovers(const std::string& Target, const std::string& Tag) {
  std::vector<LeftoverDef> atRemoved;
  for (detail::RemovedDef& tRemoved : detail::RemoveLeftovers(DirectoryOf(RealTarget(Target)), Tag))
    atRemoved.push_back({std::move(tRemoved.Path), tRemoved.Pid});
  return atRemoved;
}

SafeWriter::SafeWriter(std::string Tag) : Tag_(std::move(Tag)) {}

SafeWriter::~SafeWriter() {
  Abandon();
}

bool SafeWriter::Fail(WriteFailDef Failure, int Error) {
  Abandon();
  Failure_ = Failure;
  Reason_ = std::strerror(Error);
  return false;
}

bool SafeWriter::Open(const std::string& Path, const TargetRulesDef& tRules) {
  Abandon();
  Path_ = Path;
  Target_ = RealTarget(Path);
  Failure_ = WriteFailDef::None;
  Reason_ = TargetProblem(Path, tRules);
  if (!Reason_.empty()) {
    Failure_ = WriteFailDef::Refused;
    return false;
  }
  atRemoved_ = RemoveLeftovers(Target_, Tag_);
  Slot_ = detail::CreateTemp(Target_, Tag_, &Fd_);
  if (Slot_ < 0) return Fail(WriteFailDef::Failed, errno);
  Buffer_.reserve(kBlock);
  return true;
}

bool SafeWriter::Flush() {
  if (!WriteAll(Fd_, Buffer_)) return Fail(WriteFailDef::Failed, errno);
  Buffer_.clear();
  return true;
}

bool SafeWriter::Write(std::string_view Bytes) {
  if (Fd_ < 0) return false;
  if (Buffer_.size() + Bytes.size() < kBlock) {
    Buffer_.append(Bytes);
    return true;
  }
  if (!Flush()) return false;
  if (Bytes.size() < kBlock) {
    Buffer_.append(Bytes);
    return true;
  }
  return WriteAll(Fd_, Bytes) || Fail(WriteFailDef::Failed, errno);
}

bool SafeWriter::Commit(const std::function<bool()>& StillValid) {
  if (Fd_ < 0) return false;
  if (!Flush()) return false;
  if (!TakeTargetMode(Fd_, Target_) || fsync(Fd_) != 0) return Fail(WriteFailDef::Failed, errno);
  const int Fd = Fd_;
  Fd_ = -1;
  if (close(Fd) != 0) return Fail(WriteFailDef::Failed, errno);  // a full disk may show only here
  if (StillValid && !StillValid()) {
    Abandon();
    Failure_ = WriteFailDef::Changed;
    Reason_ = "changed while it was written";
    return false;
  }
  if (!detail::RenameTemp(Slot_, Target_)) return Fail(WriteFailDef::NotReplaced, errno);
  Slot_ = -1;
  SyncFolder(DirectoryOf(Target_));
  return true;
}

void SafeWriter::Abandon() {
  if (Fd_ >= 0) close(Fd_);
  Fd_ = -1;
  if (Slot_ >= 0) detail::DropTemp(Slot_);
  Slot_ = -1;
  Buffer_.clear();
}

std::string SafeWriter::Message() const {
  switch (Failure_) {
    case WriteFailDef::None:
      return "";
    case WriteFailDef::Changed:
      return Path_ + ": " + Reason_;
    case WriteFailDef::NotReplaced:
      return "cannot replace " + Path_ + ": " + Reason_;
    default:
      return "cannot write " + Path_ + ": " + Reason_;
  }
}

bool WriteWholeFile(const std::string& Path, std::string_view Bytes, const std::string& Tag,
                    const TargetRulesDef& tRules, std::string* pMessage) {
  SafeWriter tWriter(Tag);
  if (tWriter.Open(Path, tRules) && tWriter.Write(Bytes) && tWriter.Commit()) return true;
  *pMessage = tWriter.Message();
  return false;
}

}  // namespace files
