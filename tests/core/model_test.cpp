// The tags store: the growing comment text block and the extra tags.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/defs.h"
#include "core/pbn.h"
#include "core/pbn_util.h"
#include "core/tags.h"

namespace pbn {
namespace {

class CommentStore : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GameTagsInit(&tTags), PBN_ERR_OK); }
  void TearDown() override { GameTagsTerm(&tTags); }

  // A one-line brace comment, stored where the collector's place says.
  void BraceComment(const std::string& Text) {
    std::strcpy(acLine, Text.c_str());
    PbnCommentBegin(0);
    PbnCommentEnd(acLine, Text.size(), tPlace);
  }

  PbnGameTagsDef tTags{};
  PbnCommentPlaceDef tPlace{PBN_SECTION_IDENT, nullptr};
  char acLine[PBN_VALUE_SIZE];
};

TEST_F(CommentStore, TextBlockGrowsBeforeItWouldFill) {
  // 1024 bytes would be filled exactly by fill + piece + NUL: the block grows first.
  std::string Piece(200, 'x');
  for (int i = 0; i < 4; i++)
    BraceComment(Piece);  // 4 x 201 = 804 bytes
  EXPECT_EQ(tTags.NrComments, 1024);
  BraceComment(std::string(219, 'y'));  // 804 + 219 + 1 = 1024
  EXPECT_EQ(tTags.NrComments, 2048);
  EXPECT_EQ(tTags.IxComments, 1024);
  EXPECT_EQ(tTags.pcComments[1022], 'y');
}

TEST_F(CommentStore, ExtraTagsKeepTheirOrderAndAreCut) {
  const std::string Long(300, 'v');
  for (int Tag = 0; Tag < 9; Tag++)  // one beyond the first block
    ASSERT_EQ(PbnExtraTagPut(&tTags, ("Tag" + std::to_string(Tag)).c_str(), Long.c_str()),
              PBN_ERR_OK);
  ASSERT_EQ(tTags.IxExtraTags, 9);
  EXPECT_STREQ(tTags.ptExtraTags[8].tName.acValue.data(), "Tag8");
  EXPECT_EQ(std::string(tTags.ptExtraTags[8].tValue.acValue.data()), Long.substr(0, 255));
}

}  // namespace
}  // namespace pbn
