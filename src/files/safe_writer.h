// The one writer of every file Karvelon writes (annotate, convert, hand records, the viewer's PDF
// export). The new bytes go to a hidden temporary file beside the target, which is synced and
// renamed over the target only when complete: a crash, a signal or a full disk leaves the target
// as it was. The target keeps its mode and, where the system allows, its owner; a symbolic link
// stays a link and the file it names is replaced; a read-only target is refused, and so is one
// with other names (hard links), which a rename would leave with the old bytes, unless asked.
// Qt-free and knows nothing of PBN: it sits below cli/ and records/.
//
//   files::SafeWriter tWriter("convert");
//   if (!tWriter.Open(Path)) ... tWriter.Message() ...         // the target checked, temp made
//   while (...) tWriter.Write(Bytes);                           // streamed, buffered
//   if (!tWriter.Commit([&] { return InputsUnchanged(); })) ... // synced, renamed
//
// The temporary file is named ".NAME.TAG-HOST-PID-XXXXXX". Every signal that would end the
// process removes it; one left by a process that was killed (kill -9, a power cut) is removed by
// the next writer of the same TAG in that folder, once it can prove that its maker is gone.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace files {

// What tells whether another process changed or replaced a file: a write changes the size, the
// mtime or the ctime (which no process can set back), a replacement the device or the inode.
struct FileStampDef {
  dev_t Dev = 0;
  ino_t Ino = 0;
  off_t Size = 0;
  timespec Mtime{};
  timespec Ctime{};
};

// The stamp of the file Path names (following links), or of an open descriptor; false with
// errno set when there is none.
bool StampFile(const std::string& Path, FileStampDef* ptStamp);
bool StampDescriptor(int Fd, FileStampDef* ptStamp);
bool SameStamp(const FileStampDef& a, const FileStampDef& b);
// Whether Path still names the file stamped, unchanged.
bool Unchanged(const std::string& Path, const FileStampDef& tStamp);

struct TargetRulesDef {
  bool bBreakLinks = false;  // replace a file with other names; they keep the old bytes
};

// The file that writing Path replaces: symbolic links followed to the file they name (also one
// that does not exist yet), its folder made absolute.
std::string RealTarget(const std::string& Path);

// Why Path cannot be written ("read-only", "is a folder", ...), or "" when it can: the check a
// command makes before its work starts.
std::string TargetProblem(const std::string& Path, const TargetRulesDef& tRules = {});

// The refusal of a target with other names, as TargetProblem says it.
bool IsHardLinkProblem(const std::string& Problem);

// A leftover of a stopped run: its path and the process number in its name.
struct LeftoverDef {
  std::string Path;
  long Pid;
};

// Removes the leftovers of TAG in the folder of Target that this process can prove are of its
// kind and whose maker is gone: the name a writer of this host gives, this owner, and no running
// process that made it. Each folder is looked at once per process; SafeWriter::Open does it too.
std::vector<LeftoverDef> RemoveLeftovers(const std::string& Target, const std::string& Tag);

enum class WriteFailDef {
  None,
  Refused,      // TargetProblem said why
  Failed,       // creating, writing, syncing or closing the temporary file
  Changed,      // the check given to Commit said no
  NotReplaced,  // the rename
};

class SafeWriter {
 public:
  // Tag names the temporary files and their leftovers: the command that writes.
  explicit SafeWriter(std::string Tag);
  ~SafeWriter();  // removes an uncommitted temporary file
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  // Checks the target and creates the temporary file beside it.
  bool Open(const std::string& Path, const TargetRulesDef& tRules = {});
  // Appends bytes; false once anything failed (the reason is kept for the message).
  bool Write(std::string_view Bytes);
  // Syncs the temporary file, gives it the target's mode and owner, calls StillValid (when
  // given) right before the rename and renames over the target only when it says yes; then
  // syncs the folder. On failure the target stays as it was and the temporary file is removed.
  bool Commit(const std::function<bool()>& StillValid = {});
  // Removes the temporary file; the target stays as it was.
  void Abandon();

  const std::string& Target() const { return Target_; }  // the file replaced
  WriteFailDef Failure() const { return Failure_; }
  const std::string& Reason() const { return Reason_; }  // "read-only", "No space left on device"
  // "cannot write PATH: REASON" ("cannot replace ..." for the rename), PATH as given to Open;
  // for Changed "PATH: changed while it was written".
  std::string Message() const;
  // The leftovers of stopped runs that Open removed.
  const std::vector<LeftoverDef>& LeftoversRemoved() const { return atRemoved_; }

 private:
  bool Fail(WriteFailDef Failure, int Error);
  bool Flush();

  std::string Tag_;
  std::string Path_;    // as given
  std::string Target_;  // RealTarget(Path_)
  int Fd_ = -1;
  int Slot_ = -1;       // of the temporary file's name, which the signal handler removes
  std::string Buffer_;  // written in blocks
  WriteFailDef Failure_ = WriteFailDef::None;
  std::string Reason_;
  std::vector<LeftoverDef> atRemoved_;
};

// Writes Bytes whole to Path through a SafeWriter; on failure *pMessage says why.
bool WriteWholeFile(const std::string& Path, std::string_view Bytes, const std::string& Tag,
                    const TargetRulesDef& tRules, std::string* pMessage);

}  // namespace files
