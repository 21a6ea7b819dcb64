#include "cli/inputs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "games/pbn_game.h"

namespace cli {

namespace {

bool IsFolder(const std::string& Path) {
  struct stat tStat;
  return stat(Path.c_str(), &tStat) == 0 && S_ISDIR(tStat.st_mode);
}

// Whether the entry is a folder to descend into: a real one, not a symbolic link to one (a link
// may lead back up and never end).
bool IsRealFolder(const std::string& Path) {
  struct stat tStat;
  return lstat(Path.c_str(), &tStat) == 0 && S_ISDIR(tStat.st_mode);
}

// Adds the files of Folder and its subfolders; false when a folder could not be read.
bool AddFolder(const std::string& Folder, std::vector<std::string>* pFiles) {
  DIR* pDir = opendir(Folder.c_str());
  if (pDir == nullptr) {
    Fail("cannot read folder " + Folder + ": " + std::strerror(errno));
    return false;
  }
  // The type the folder gives spares a look-up per entry; a link or an unknown type is looked up.
  std::vector<std::pair<std::string, unsigned char>> aEntries;
  while (const dirent* ptEntry = readdir(pDir)) {
    const std::string Name = ptEntry->d_name;
    if (Name != "." && Name != "..") aEntries.emplace_back(Name, ptEntry->d_type);
  }
  closedir(pDir);
  std::sort(aEntries.begin(), aEntries.end());
  const std::string Prefix = Folder.ends_with('/') ? Folder : Folder + "/";
  bool bAllRead = true;
  for (const auto& [Name, Type] : aEntries) {
    const std::string Path = Prefix + Name;
    const bool bKnownType = Type == DT_DIR || Type == DT_REG;
    if (bKnownType ? Type == DT_DIR : IsRealFolder(Path)) {
      bAllRead = AddFolder(Path, pFiles) && bAllRead;
    } else if (IsInputFileName(Name)) {
      pFiles->push_back(Path);  // one that cannot be read is said when it is opened
    }
  }
  return bAllRead;
}

}  // namespace

bool IsInputFileName(const std::string& Name) {
  return std::any_of(kInputFileEndings.begin(), kInputFileEndings.end(), [&](const auto& End) {
    return Name.size() > End.size() &&
           strcasecmp(Name.c_str() + Name.size() - End.size(), End.c_str()) == 0;
  });
}

InputsDef ExpandInputs(const std::vector<std::string>& Operands) {
  InputsDef tInputs;
  tInputs.bMany = Operands.size() > 1;
  for (const std::string& Operand : Operands) {
    if (!IsFolder(Operand)) {
      tInputs.Files.push_back(Operand);
      continue;
    }
    tInputs.bMany = true;
    const size_t NrBefore = tInputs.Files.size();
    if (!AddFolder(Operand, &tInputs.Files)) tInputs.Status = kExitError;
    if (tInputs.Files.size() == NrBefore) {
      Fail(Operand + ": no file named *.pbn or *.lin in the folder");
      tInputs.Status = kExitError;
    }
  }
  return tInputs;
}

int ForEachFile(const InputsDef& tInputs, const EachFileFn& Each) {
  int Status = tInputs.Status;
  for (size_t i = 0; i < tInputs.Files.size(); i++) {
    FilePtr pFile = OpenPbnFile(tInputs.Files[i], tInputs.bTextOnly);
    Status = std::max(Status, pFile ? Each(tInputs.Files[i], pFile.get(), i) : kExitError);
  }
  return Status;
}

namespace {

bool ParseCount(const std::string& Text, unsigned* pValue) {
  if (Text.empty() || Text.size() > 6 || Text.find_first_not_of("0123456789") != Text.npos) {
    return false;
  }
  *pValue = static_cast<unsigned>(std::stoul(Text));
  return true;
}

// The games a file indexes, read quietly: a file that cannot be read counts none here and is
// said when the command opens it.
unsigned CountGames(const std::string& Path, bool bKeepRefused) {
  std::string Refusal;
  FilePtr pFile = OpenInput(Path, bKeepRefused, &Refusal);
  if (!pFile) return 0;
  pbn::PbnImportOptionsDef tOptions = UseReading(pFile.get(), Path, false);
  tOptions.bKeepRefused = bKeepRefused;
  return IndexGames(pFile.get(), {}, tOptions);
}

}  // namespace

bool ParseShard(const std::string& Text, ShardDef* ptShard) {
  const size_t Slash = Text.find('/');
  if (Slash == Text.npos) return false;
  return ParseCount(Text.substr(0, Slash), &ptShard->Part) &&
         ParseCount(Text.substr(Slash + 1), &ptShard->NrParts) && ptShard->Part >= 1 &&
         ptShard->Part <= ptShard->NrParts;
}

std::vector<GameRangeDef> ShardRanges(const ShardDef& tShard,
                                      const std::vector<unsigned>& aNrGames) {
  unsigned long long Total = 0;
  for (unsigned NrGames : aNrGames)
    Total += NrGames;
  const unsigned long long Begin = (tShard.Part - 1) * Total / tShard.NrParts;
  const unsigned long long End = tShard.Part * Total / tShard.NrParts;
  std::vector<GameRangeDef> atRanges;
  unsigned long long FileStart = 0;  // the position of the file's first game in the job
  for (unsigned NrGames : aNrGames) {
    const unsigned long long First = std::clamp(Begin, FileStart, FileStart + NrGames);
    const unsigned long long Last = std::clamp(End, FileStart, FileStart + NrGames);
    atRanges.push_back({static_cast<unsigned>(First - FileStart + 1),
                        static_cast<unsigned>(Last - FileStart + 1)});
    FileStart += NrGames;
  }
  return atRanges;
}

std::vector<GameRangeDef> ShardRanges(const ShardDef& tShard, const std::vector<std::string>& Files,
                                      bool bKeepRefused) {
  if (tShard.Whole()) return std::vector<GameRangeDef>(Files.size(), {1, UINT_MAX});
  std::vector<unsigned> aNrGames;
  for (const std::string& Path : Files)
    aNrGames.push_back(CountGames(Path, bKeepRefused));
  return ShardRanges(tShard, aNrGames);
}

}  // namespace cli
