// The index pass over a generated tournament file (full tags, auctions and plays with notes,
// NAGs, suffixes and comments, "#" inheritance, CR LF games and games with mistakes) must give
// exactly the log, the game count and the index entries kept in tests/games/data, and importing
// a game into a record that held another game must give the same record as a fresh one.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

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

// The index as text: the count, then per game its number, its start and every "#" source.
std::string IndexAsText(UInt32 NrGames) {
  std::string Text = std::to_string(NrGames) + " games\n";
  for (UInt32 GameNr = 1; GameNr <= NrGames; GameNr++) {
    const GameTagDataDef& tElement = *DynamicDataAt<GameTagDataDef>(tFileAdmin.tGameTagDD, GameNr);
    Text += std::to_string(GameNr) + " " + std::to_string(tElement.FilePosBegin);
    for (int TagId = 0; TagId < PBN_N_TAG_IDS_10; TagId++) {
      if (tElement.aGameNrs[TagId] == 0) continue;
      Text +=
          std::string(" ") + aPbnTagNames[TagId] + "=" + std::to_string(tElement.aGameNrs[TagId]);
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

// Whether two tags records read the same: values and note texts as texts, the comment text
// and the NAG list as far as they are filled, the ranges and move annotations as bytes (every
// reset zeroes them whole).
void ExpectSameTags(const PbnGameTagsDef& tA, const PbnGameTagsDef& tB, PbnFilePosDef FilePos) {
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    EXPECT_STREQ(TagValue(tA, TagId), TagValue(tB, TagId)) << "game at " << FilePos;
  }
  for (int Note = 0; Note < PBN_N_NOTES; Note++) {
    for (const auto& atNotes :
         {std::pair(&tA.atCallNote, &tB.atCallNote), std::pair(&tA.atCardNote, &tB.atCardNote)}) {
      EXPECT_EQ((*atNotes.first)[Note].bReference, (*atNotes.second)[Note].bReference);
      EXPECT_STREQ((*atNotes.first)[Note].tTagValue.acValue.data(),
                   (*atNotes.second)[Note].tTagValue.acValue.data());
    }
  }
  ASSERT_EQ(tA.IxComments, tB.IxComments);
  EXPECT_EQ(std::memcmp(tA.pcComments, tB.pcComments, tA.IxComments), 0);
  ASSERT_EQ(tA.IxNags, tB.IxNags);
  EXPECT_EQ(std::memcmp(tA.pNags, tB.pNags, tA.IxNags * sizeof(PbnNagDef)), 0);
  const auto* pcA = reinterpret_cast<const char*>(&tA.tGameComment);
  const auto* pcB = reinterpret_cast<const char*>(&tB.tGameComment);
  const size_t Size = reinterpret_cast<const char*>(&tA + 1) - pcA;
  EXPECT_EQ(std::memcmp(pcA, pcB, Size), 0) << "ranges or move annotations, game at " << FilePos;
}

// The fields of the game record (padding bytes are nobody's business).
std::string GameDataAsText(const PbnGameDataDef& tData) {
  const PbnContractDef& tContract = tData.tContract;
  std::string Text =
      std::to_string(tData.tSituation.Dealer) + " " + std::to_string(tData.tSituation.Vulner) +
      " " + std::to_string(tContract.Declarer) + " " + std::to_string(tContract.NrTricks) +
      std::to_string(tContract.Trump) + std::to_string(tContract.Risk) +
      std::to_string(tContract.bIrregularDeclarer) + " " + std::to_string(tData.Result);
  for (const PbnHandDef& tHand : tData.tDeal.tHands) {
    for (PbnRankDef Ranks : tHand.Ranks)
      Text += " " + std::to_string(Ranks);
  }
  for (int Call = 0; Call < tData.tAuction.NrCalls; Call++) {
    const PbnCallDef& tCall = tData.tAuction.atCalls[Call];
    Text += " " + std::to_string(tCall.Side * 1000 + tCall.CallType * 100 + tCall.NrTricks * 10 +
                                 tCall.Trump);
  }
  for (int Trick = 0; Trick < PBN_N_TRICKS; Trick++) {
    for (const PbnCardDef& tCard : tData.tPlay.atTricks[Trick].atCards) {
      Text += " " + std::to_string(tCard.Suit) + "/" + std::to_string(tCard.Rank);
    }
    Text += " " + std::to_string(tData.tPlay.aFirsts[Trick]);
  }
  return Text;
}

TEST(GeneratedFile, ReusedRecordsReadAsFreshOnes) {
  const std::string Text = GeneratedText();
  testing_support::TempFile File(Text);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> pFile(std::fopen(File.Path().c_str(), "rb"),
                                                        std::fclose);
  ASSERT_TRUE(pFile);
  auto ptReused = std::make_unique<PbnGameTagsDef>();
  auto ptReusedData = std::make_unique<PbnGameDataDef>();
  ASSERT_EQ(GameTagsInit(ptReused.get()), PBN_ERR_OK);
  PbnImportTags(nullptr);
  PbnFilePosDef FilePos = 0;
  int NrGames = 0;
  while (FilePos >= 0) {
    // The same game, into a record that held the previous game and into a fresh one; the
    // inheritance record is the same for both, as the fresh import comes second.
    PbnFilePosDef FilePosBegin, FilePosOut, FreshBegin, FreshOut;
    GameDataInit(ptReusedData.get());
    ASSERT_EQ(GameTagsReset(ptReused.get()), PBN_ERR_OK);
    const PbnErrDef Error = PbnImportGame(pFile.get(), FilePos, ptReusedData.get(), ptReused.get(),
                                          &FilePosBegin, &FilePosOut);

    auto ptFresh = std::make_unique<PbnGameTagsDef>();
    auto ptFreshData = std::make_unique<PbnGameDataDef>();
    GameDataInit(ptFreshData.get());
    ASSERT_EQ(GameTagsInit(ptFresh.get()), PBN_ERR_OK);
    EXPECT_EQ(PbnImportGame(pFile.get(), FilePos, ptFreshData.get(), ptFresh.get(), &FreshBegin,
                            &FreshOut),
              Error);
    EXPECT_EQ(FreshBegin, FilePosBegin);
    EXPECT_EQ(FreshOut, FilePosOut);
    ExpectSameTags(*ptFresh, *ptReused, FilePos);
    EXPECT_EQ(GameDataAsText(*ptFreshData), GameDataAsText(*ptReusedData)) << "game at " << FilePos;
    GameTagsTerm(ptFresh.get());
    FilePos = FilePosOut;
    if (Error != PBN_ERR_NO_TAG) NrGames++;
  }
  GameTagsTerm(ptReused.get());
  EXPECT_EQ(NrGames, 400);
}

}  // namespace
}  // namespace pbn
