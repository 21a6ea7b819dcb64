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

pbn::ReadingChoiceDef tReadingChoice = pbn::ReadingChoiceDef::AsDeclared;

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

FilePtr OpenInput(const std::string& Path, bool bTextOnly, std::string* pRefusal, bool bAsIs) {
  FilePtr pFile(bAsIs ? pbn::GameFileOpen(Path.c_str()) : lin::OpenGameFile(Path.c_str()),
                std::fclose);
  if (!pFile && errno == EISDIR) {
    *pRefusal = Path + ": is a directory";
  } else if (!pFile && errno == ESPIPE) {
    *pRefusal = Path + ": is not a regular file";
  } else if (!pFile && errno == EFBIG) {
    *pRefusal = Path + ": " + pbn::kGameFileTooLargeText;
  } else if (!pFile) {
    *pRefusal = "cannot open " + Path + ": " + std::strerror(errno);
  } else if (pbn::GameFileTooLarge(pFile.get())) {
    *pRefusal = Path + ": " + pbn::kGameFileTooLargeText;
    pFile.reset();
  } else if (bTextOnly && !pbn::GameFileIsText(pFile.get())) {
    *pRefusal = Path + ": " + pbn::kGameFileNotTextText;
    pFile.reset();
  }
  return pFile;
}

FilePtr OpenPbnFile(const std::string& Path, bool bWithMistakes) {
  std::string Refusal;
  FilePtr pFile = OpenInput(Path, bWithMistakes, &Refusal);
  if (!pFile) Fail(Refusal);
  return pFile;
}

namespace {

// The games a command's index passes read and left out, over all its files.
struct LeftOutDef {
  unsigned NrFiles = 0;
  unsigned NrFilesLeavingOut = 0;
  unsigned long long NrRead = 0;
  unsigned long long NrLeftOut = 0;
  std::string Path;  // of the file indexed last
};
LeftOutDef tLeftOut;

}  // namespace

void NoteIndexPass(const std::string& Command, const std::string& Path, unsigned NrGames,
                   bool bSayNoGames) {
  const unsigned NrLeftOut = pbn::GamesRefused();
  tLeftOut.NrFiles++;
  tLeftOut.NrRead += pbn::tFileAdmin.NrGamesRead;
  tLeftOut.NrLeftOut += NrLeftOut;
  tLeftOut.NrFilesLeavingOut += NrLeftOut > 0;
  tLeftOut.Path = Path;
  // A file whose games were all left out is said at the end, with the games left out.
  if (NrGames == 0 && NrLeftOut == 0 && bSayNoGames) Fail(Command + ": " + Path + ": no PBN games");
}

void SayGamesLeftOut(const std::string& Command) {
  if (tLeftOut.NrLeftOut == 0) return;
  const bool bOneFile = tLeftOut.NrFiles == 1;
  std::fprintf(stderr,
               "karvelon-cli: %s: %s%llu of %llu games with mistakes left out%s; "
               "--with-mistakes shows them\n",
               Command.c_str(), bOneFile ? (tLeftOut.Path + ": ").c_str() : "", tLeftOut.NrLeftOut,
               tLeftOut.NrRead,
               bOneFile ? ""
                        : (", in " + std::to_string(tLeftOut.NrFilesLeavingOut) + " of " +
                           std::to_string(tLeftOut.NrFiles) + " files")
                              .c_str());
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
  static const bool bErrorsToTerminal = isatty(STDERR_FILENO);  // once, not for every file
  const bool bTerminal = bProgress && bErrorsToTerminal && fstat(fileno(pFile), &tStat) == 0;
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

std::string TagText(const pbn::PbnGameTagsDef& tTags, int TagId) {
  return pbn::PbnTextToUtf8(pbn::TagValueText(pbn::TagValue(tTags, TagId)));
}

namespace {

std::string CsvField(const std::string& Text) {
  if (Text.find_first_of(",\"\r\n") == Text.npos) return Text;
  std::string Quoted = "\"";
  for (char c : Text) {
    Quoted += c;
    if (c == '"') Quoted += '"';
  }
  return Quoted + '"';
}

}  // namespace

std::string CsvLine(const std::vector<std::string>& Fields) {
  std::string Line;
  for (size_t i = 0; i < Fields.size(); i++) {
    if (i > 0) Line += ',';
    Line += CsvField(Fields[i]);
  }
  return Line + "\r\n";
}

}  // namespace cli
