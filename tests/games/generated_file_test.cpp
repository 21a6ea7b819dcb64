// The index pass over a generated tournament file (full tags, auctions and plays with notes,
// NAGs, suffixes and comments, "#" inheritance, CR LF games and games with mistakes) must give
// exactly the log, the game count and the index entries kept in tests/games/data.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../../bench/pbn_generator.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::IndexText;
using testing_support::ReadFile;

std::string GeneratedText() {
  pbngen::GeneratorOptionsDef tOptions;
  tOptions.Seed = 7;
  tOptions.ErrorPerMille = 80;
  tOptions.FarInheritEvery = 97;
  return pbngen::GeneratePbn(tOptions, 400);
}

std::string ExpectedFile(const std::string& Name) {
  return ReadFile(std::string(KARVELON_SOURCE_DIR) + "/tests/games/data/" + Name);
}

// The index as text: the count, then per game its number, its start and every "#" source, by
// its game number when indexed, else by its position ("@1234").
std::string IndexAsText(UInt32 NrGames) {
  std::map<PbnFilePosDef, UInt32> aGameNrs;
  for (UInt32 GameNr = 1; GameNr <= NrGames; GameNr++)
    aGameNrs[DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr)->FilePosBegin] = GameNr;
  std::string Text = std::to_string(NrGames) + " games\n";
  for (UInt32 GameNr = 1; GameNr <= NrGames; GameNr++) {
    const GameTagDataDef& tElement = *DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr);
    Text += std::to_string(GameNr) + " " + std::to_string(tElement.FilePosBegin);
    const GameSourcesDef aSourcePos = IndexSources(GameNr);
    for (int TagId = 0; TagId < PBN_N_TAG_IDS_10; TagId++) {
      const PbnFilePosDef SourcePos = aSourcePos[TagId];
      if (SourcePos == kNoSource) continue;
      const auto it = aGameNrs.find(SourcePos);
      Text += std::string(" ") + aPbnTagNames[TagId] + "=" +
              (it != aGameNrs.end() ? std::to_string(it->second) : "@" + std::to_string(SourcePos));
    }
    Text += "\n";
  }
  return Text;
}

TEST(GeneratedFile, LogCountAndIndexAreUnchanged) {
  const auto Result = IndexText(GeneratedText());
  EXPECT_EQ(Result.Log, ExpectedFile("generated_games.expected.log"));
  EXPECT_EQ(IndexAsText(Result.NrGames), ExpectedFile("generated_games.expected.index"));
}

}  // namespace
}  // namespace pbn
