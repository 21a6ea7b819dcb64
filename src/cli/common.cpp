#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "cli/cli.h"
#include "core/pbn_util.h"
#include "formats/lin.h"
#include "games/pbn_game.h"
#include "import/import.h"

namespace cli {

pbn::ReadingChoiceDef tReadingChoice = pbn::ReadingChoiceDef::Pbn10;

bool TakeReadingOption(const std::string& Command, Args* pArgs) {
  for (std::size_t i = 0; i < pArgs->size(); i++) {
    if ((*pArgs)[i] != "--pbn") continue;
    if (i + 1 >= pArgs->size() ||
        !pbn::PbnParseReadingChoice((*pArgs)[i + 1].c_str(), &tReadingChoice)) {
      Fail(Command + ": --pbn takes 1.0, 2.1 or auto");
      return false;
    }
    pArgs->erase(pArgs->begin() + static_cast<long>(i), pArgs->begin() + static_cast<long>(i) + 2);
    i--;
  }
  return true;
}

pbn::PbnImportOptionsDef UseReading(std::FILE* pFile, const std::string& Path, bool bHint) {
  const pbn::PbnHeadDef tHead = pbn::PbnReadHead(pFile);
  const pbn::PbnImportOptionsDef tReading = pbn::PbnReadingFor(tReadingChoice, tHead);
  if (bHint && tReading.Standard == pbn::PBN_STANDARD_1_0 && pbn::PbnHeadDeclares2(tHead)) {
    std::fprintf(stderr, "%s declares PBN %s; --pbn 2.1 reads it by that standard\n", Path.c_str(),
                 tHead.acVersion);
  }
  pbn::PbnSkipBom(pFile, tHead, tReading);
  return tReading;
}

int Fail(const std::string& Text) {
  std::fprintf(stderr, "karvelon-cli: %s\n", Text.c_str());
  return kExitError;
}

FilePtr OpenPbnFile(const std::string& Path, bool bWithMistakes) {
  FilePtr pFile(lin::OpenGameFile(Path.c_str()), std::fclose);
  if (!pFile && errno == EISDIR) {
    Fail(Path + ": is a directory");
  } else if (!pFile && errno == ESPIPE) {
    Fail(Path + ": is not a regular file");
  } else if (!pFile && errno == EFBIG) {
    Fail(Path + ": " + pbn::kGameFileTooLargeText);
  } else if (!pFile) {
    Fail("cannot open " + Path + ": " + std::strerror(errno));
  } else if (pbn::GameFileTooLarge(pFile.get())) {
    Fail(Path + ": " + pbn::kGameFileTooLargeText);
    pFile.reset();
  } else if (bWithMistakes && !pbn::GameFileIsText(pFile.get())) {
    Fail(Path + ": " + pbn::kGameFileNotTextText);
    pFile.reset();
  }
  return pFile;
}

namespace {

using Clock = std::chrono::steady_clock;

// The progress line of a long pass on a terminal: written once the pass has run a second, at
// most ten times a second, and wiped at the end.
struct ProgressLineDef {
  Clock::time_point Next;  // the first after a second
  long FileSize;
  bool bShown;
};
ProgressLineDef tProgressLine;

bool ShowProgress(long FilePos, pbn::UInt32 NrGames) {
  const Clock::time_point Now = Clock::now();
  if (Now < tProgressLine.Next) return true;
  tProgressLine.Next = Now + std::chrono::milliseconds(100);
  const long Percent = tProgressLine.FileSize > 0 ? FilePos * 100 / tProgressLine.FileSize : 0;
  std::fprintf(stderr, "\rkarvelon-cli: %ld%% read, %u games", Percent,
               static_cast<unsigned>(NrGames));
  std::fflush(stderr);
  tProgressLine.bShown = true;
  return true;
}

}  // namespace

unsigned IndexGames(std::FILE* pFile, const pbn::PbnLogSinkDef& tSink,
                    const pbn::PbnImportOptionsDef& tOptions, bool bProgress) {
  static const bool bInit = pbn::GameInit();
  if (!bInit) return 0;
  struct stat tStat;
  const bool bTerminal = bProgress && isatty(STDERR_FILENO) && fstat(fileno(pFile), &tStat) == 0;
  if (bTerminal) {
    tProgressLine = {Clock::now() + std::chrono::seconds(1), static_cast<long>(tStat.st_size),
                     false};
  }
  pbn::PbnImportLog(tSink);
  pbn::UInt32 NrGames = 0;
  pbn::GamesLoad(pFile, &NrGames, tOptions, bTerminal ? ShowProgress : nullptr);
  pbn::PbnImportLog({});
  if (bTerminal && tProgressLine.bShown) std::fputs("\r\033[K", stderr);
  return NrGames;
}

bool WriteFileReplacing(const std::string& Path, const std::string& Text) {
  std::string TempPath = Path + ".XXXXXX";
  const int Fd = mkstemp(TempPath.data());
  if (Fd < 0) return Fail("cannot create " + TempPath + ": " + std::strerror(errno)), false;
  const mode_t Mask = umask(0);
  umask(Mask);
  fchmod(Fd, 0666 & ~Mask);  // as a file made by fopen, not mkstemp's owner-only mode
  FilePtr pFile(fdopen(Fd, "wb"), std::fclose);
  if (!pFile) close(Fd);
  const bool bWritten = pFile &&
                        std::fwrite(Text.data(), 1, Text.size(), pFile.get()) == Text.size() &&
                        std::fflush(pFile.get()) == 0 && fsync(fileno(pFile.get())) == 0;
  const int Error = errno;
  const bool bClosed = pFile && std::fclose(pFile.release()) == 0;
  if (!bWritten || !bClosed || std::rename(TempPath.c_str(), Path.c_str()) != 0) {
    const std::string Reason = std::strerror(bWritten ? errno : Error);
    std::remove(TempPath.c_str());
    return Fail("cannot write " + Path + ": " + Reason), false;
  }
  return true;
}

std::string TagText(const pbn::PbnGameTagsDef& tTags, int TagId) {
  return pbn::PbnTextToUtf8(pbn::TagValueText(pbn::TagValue(tTags, TagId)));
}

}  // namespace cli
