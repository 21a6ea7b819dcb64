// Helpers shared by the test programs: PBN texts in temporary files, the import log as a
// string, and the index pass over a text.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"
#include "import/import.h"

namespace testing_support {

// A full deal for the tests. North: SAK HK86 DAK95 CT865; East: S85 HT92 DQ8764 CK93;
// South: SQT9742 HQ54 D3 CA72; West: SJ63 HAJ73 DJT2 CQJ4.
inline constexpr const char* kTestDeal =
    "N:AK.K86.AK95.T865 85.T92.Q8764.K93 QT9742.Q54.3.A72 J63.AJ73.JT2.QJ4";

// The Deal tag line of kTestDeal.
inline std::string TestDealTag() {
  return std::string("[Deal \"") + kTestDeal + "\"]\n";
}

// A temporary file that holds the given bytes; removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::string& Contents, const std::string& Suffix = ".pbn");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& Path);

// Whether every program named (a list of words) is on the path: a test that needs a tool that
// is not installed skips, and says which.
inline bool ProgramsFound(const std::string& Names) {
  const std::string Command = "for p in " + Names + "; do command -v $p || exit 1; done";
  return std::system((Command + " >/dev/null 2>&1").c_str()) == 0;
}

// One game imported from the start of a text, with what it logged.
struct ImportResult {
  pbn::PbnErrDef Error;
  pbn::PbnFilePosDef FilePosBegin;
  pbn::PbnFilePosDef FilePosOut;
  std::string Log;
  pbn::PbnGameDataDef tGameData;
};

// A tags record whose blocks are freed however the test ends; ImportText fills it.
struct GameTagsRelease {
  void operator()(pbn::PbnGameTagsDef* ptGameTags) const {
    pbn::GameTagsTerm(ptGameTags);
    delete ptGameTags;
  }
};
using TagsPtr = std::unique_ptr<pbn::PbnGameTagsDef, GameTagsRelease>;
inline TagsPtr MakeTags() {
  return TagsPtr(new pbn::PbnGameTagsDef{});
}

// Imports the game that starts at FilePosIn of Text; the tags record is left in ptGameTags
// when given (a record of MakeTags, emptied first).
ImportResult ImportText(const std::string& Text, pbn::PbnFilePosDef FilePosIn = 0,
                        pbn::PbnGameTagsDef* ptGameTags = nullptr);

// The index pass over a text: the log and the number of games.
struct IndexResult {
  pbn::UInt32 NrGames;
  std::string Log;
};
IndexResult IndexText(const std::string& Text, const pbn::PbnImportOptionsDef& tOptions = {});
// The index pass over an open file, with its log.
IndexResult IndexFile(std::FILE* pFile, const pbn::PbnImportOptionsDef& tOptions = {});

// The log lines of a text, split at line feeds (no trailing empty line).
std::vector<std::string> Lines(const std::string& Text);

}  // namespace testing_support
