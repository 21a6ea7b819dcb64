#include "support/test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "games/pbn_game.h"
#include "import/import.h"

namespace testing_support {

namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

}  // namespace

TempFile::TempFile(const std::string& Contents, const std::string& Suffix) {
  const char* pcDir = std::getenv("TMPDIR");
  std::string Template =
      std::string(pcDir != nullptr ? pcDir : "/tmp") + "/karvelonXXXXXX" + Suffix;
  std::vector<char> acName(Template.begin(), Template.end());
  acName.push_back('\0');
  const int Fd = mkstemps(acName.data(), static_cast<int>(Suffix.size()));
  if (Fd < 0) throw std::runtime_error("cannot create a temporary file");
  path_ = acName.data();
  size_t Written = 0;
  while (Written < Contents.size()) {
    const ssize_t n = write(Fd, Contents.data() + Written, Contents.size() - Written);
    if (n <= 0) break;
    Written += static_cast<size_t>(n);
  }
  close(Fd);
}

TempFile::~TempFile() {
  std::remove(path_.c_str());
}

std::string ReadFile(const std::string& Path) {
  std::ifstream Stream(Path, std::ios::binary);
  std::ostringstream Text;
  Text << Stream.rdbuf();
  return Text.str();
}

ImportResult ImportText(const std::string& Text, pbn::PbnFilePosDef FilePosIn,
                        pbn::PbnGameTagsDef* ptGameTags) {
  TempFile File(Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  auto ptOwnTags = std::make_unique<pbn::PbnGameTagsDef>();
  pbn::PbnGameTagsDef* ptTags = ptGameTags != nullptr ? ptGameTags : ptOwnTags.get();
  ImportResult Result{};
  pbn::GameDataInit(&Result.tGameData);
  pbn::GameTagsReset(ptTags);
  pbn::PbnImportLog({nullptr, &Result.Log});
  Result.Error = pbn::PbnImportGame(pFile.get(), FilePosIn, &Result.tGameData, ptTags,
                                    &Result.FilePosBegin, &Result.FilePosOut);
  pbn::PbnImportLog({});
  if (ptGameTags == nullptr) pbn::GameTagsTerm(ptTags);
  return Result;
}

IndexResult IndexFile(std::FILE* pFile) {
  if (pbn::tFileAdmin.tGameTagDD.ptData == nullptr) pbn::GameInit();
  IndexResult Result{};
  pbn::PbnImportLog({nullptr, &Result.Log});
  pbn::GamesLoad(pFile, &Result.NrGames);
  pbn::PbnImportLog({});
  return Result;
}

IndexResult IndexText(const std::string& Text) {
  TempFile File(Text);
  FilePtr pFile(std::fopen(File.Path().c_str(), "rb"), std::fclose);
  return IndexFile(pFile.get());
}

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> Result;
  std::string::size_type Start = 0;
  while (Start < Text.size()) {
    const auto End = Text.find('\n', Start);
    if (End == std::string::npos) {
      Result.push_back(Text.substr(Start));
      break;
    }
    Result.push_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return Result;
}

}  // namespace testing_support
