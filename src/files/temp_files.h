// The temporary files of the safe writer: their names, the signal handler that removes them, and
// the leftovers of processes that were killed. Internal to src/files.
#pragma once

#include <string>
#include <vector>

namespace files::detail {

std::string DirectoryOf(const std::string& Path);
std::string BaseName(const std::string& Path);

// Creates ".NAME.TAG-HOST-PID-XXXXXX" beside Target, registered so that a signal that ends the
// process removes it; the slot of its name, or -1 with errno set. *pFd gets the descriptor.
int CreateTemp(const std::string& Target, const std::string& Tag, int* pFd);
// Removes the temporary file and frees its slot.
void DropTemp(int Slot);
// Renames the temporary file over Target and frees its slot; false with errno set (the file is
// then still there, for DropTemp).
bool RenameTemp(int Slot, const std::string& Target);

// The leftovers of TAG in Folder that this process can prove are its own kind's and whose maker
// is gone (the name, this host, this owner, no running process that made it), removed: each
// folder once per process. Their paths and the process numbers in their names.
struct RemovedDef {
  std::string Path;
  long Pid;
};
std::vector<RemovedDef> RemoveLeftovers(const std::string& Folder, const std::string& Tag);

}  // namespace files::detail
