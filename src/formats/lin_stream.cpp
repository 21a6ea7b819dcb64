// A LIN file opened for the index pass: its PBN text in a seekable stream in memory, registered
// as converted so that the reading and the log know it.
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include "formats/lin.h"
#include "games/pbn_game.h"

namespace lin {

namespace {

// The stream's own text and position; freed when the stream is closed.
struct MemoryStreamDef {
  std::string Text;
  std::size_t Pos = 0;
  std::FILE* pFile = nullptr;
};

ssize_t StreamRead(void* pCookie, char* pcBuffer, std::size_t Size) {
  auto* ptStream = static_cast<MemoryStreamDef*>(pCookie);
  const std::size_t NrLeft = ptStream->Text.size() - ptStream->Pos;
  const std::size_t NrRead = std::min(Size, NrLeft);
  std::memcpy(pcBuffer, ptStream->Text.data() + ptStream->Pos, NrRead);
  ptStream->Pos += NrRead;
  return static_cast<ssize_t>(NrRead);
}

int StreamSeek(void* pCookie, off64_t* pOffset, int Whence) {
  auto* ptStream = static_cast<MemoryStreamDef*>(pCookie);
  const off64_t Base = Whence == SEEK_SET   ? 0
                       : Whence == SEEK_CUR ? static_cast<off64_t>(ptStream->Pos)
                                            : static_cast<off64_t>(ptStream->Text.size());
  const off64_t Target = Base + *pOffset;
  if (Target < 0 || Target > static_cast<off64_t>(ptStream->Text.size())) return -1;
  ptStream->Pos = static_cast<std::size_t>(Target);
  *pOffset = Target;
  return 0;
}

int StreamClose(void* pCookie) {
  auto* ptStream = static_cast<MemoryStreamDef*>(pCookie);
  pbn::PbnStreamSetConverted(ptStream->pFile, nullptr);
  delete ptStream;
  return 0;
}

bool ReadAll(std::FILE* pFile, std::string* pText) {
  struct stat tStat;
  if (fstat(fileno(pFile), &tStat) == 0 && tStat.st_size > 0 && tStat.st_size <= INT32_MAX) {
    pText->reserve(static_cast<std::size_t>(tStat.st_size));
  }
  char acBuffer[65536];
  std::size_t NrRead;
  while ((NrRead = std::fread(acBuffer, 1, sizeof acBuffer, pFile)) > 0) {
    pText->append(acBuffer, NrRead);
    if (pText->size() > INT32_MAX) {
      errno = EFBIG;
      return false;
    }
  }
  return !std::ferror(pFile);
}

// "12:40: E: ..." for the log.
std::vector<std::string> LogLines(const std::vector<LinMessageDef>& atMessages) {
  std::vector<std::string> aLines;
  for (const LinMessageDef& tMessage : atMessages) {
    aLines.push_back(std::to_string(tMessage.tPos.Line) + ":" +
                     std::to_string(tMessage.tPos.Column) + ": " + tMessage.Text);
  }
  return aLines;
}

}  // namespace

std::FILE* LinOpenAsPbn(std::FILE* pLin) {
  std::string Lin;
  if (!ReadAll(pLin, &Lin)) return nullptr;
  LinToPbnDef tConversion = LinToPbn(Lin);
  if (tConversion.Pbn.size() > INT32_MAX) {
    errno = EFBIG;
    return nullptr;
  }
  auto ptConverted = std::make_shared<pbn::PbnConvertedDef>();
  ptConverted->pcFormat = "LIN";
  ptConverted->atLinePos = std::move(tConversion.atLinePos);
  ptConverted->aLogLines = LogLines(tConversion.atMessages);
  auto* ptStream = new MemoryStreamDef{std::move(tConversion.Pbn), 0, nullptr};
  std::FILE* pFile = fopencookie(ptStream, "rb", {StreamRead, nullptr, StreamSeek, StreamClose});
  if (pFile == nullptr) {
    delete ptStream;
    return nullptr;
  }
  // The index pass positions the stream at every game: a small buffer copies less again.
  setvbuf(pFile, nullptr, _IOFBF, 1024);
  ptStream->pFile = pFile;
  pbn::PbnStreamSetConverted(pFile, std::move(ptConverted));
  return pFile;
}

std::FILE* OpenGameFile(const char* pcPath) {
  std::FILE* pFile = pbn::GameFileOpen(pcPath);
  if (pFile == nullptr) return nullptr;
  if (!IsLinPath(pcPath)) return pFile;
  std::FILE* pConverted = LinOpenAsPbn(pFile);
  const int Error = errno;
  std::fclose(pFile);
  errno = Error;
  return pConverted;
}

}  // namespace lin
