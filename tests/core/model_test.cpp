// The data model's primitives, the growable array and the tags store.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/defs.h"
#include "core/pbn.h"
#include "core/pbn_util.h"
#include "core/tags.h"

namespace pbn {
namespace {

PbnAuctionDef Auction(std::initializer_list<PbnCallTypeDef> aTypes) {
  PbnAuctionDef tAuction{};
  for (PbnCallTypeDef Type : aTypes)
    tAuction.atCalls[tAuction.NrCalls++].CallType = Type;
  return tAuction;
}

TEST(AuctionEnds, PassesAtTheEnd) {
  int NrPasses = -1;
  auto Four = Auction({PBN_CALL_PASS, PBN_CALL_PASS, PBN_CALL_PASS, PBN_CALL_PASS});
  EXPECT_TRUE(PbnAuctionEnds(&Four, &NrPasses));
  EXPECT_EQ(NrPasses, 4);
  auto Short = Auction({PBN_CALL_BID, PBN_CALL_PASS, PBN_CALL_PASS});
  EXPECT_FALSE(PbnAuctionEnds(&Short, &NrPasses));
  EXPECT_EQ(NrPasses, 0);
  auto Doubled = Auction({PBN_CALL_BID, PBN_CALL_DOUBLE, PBN_CALL_PASS, PBN_CALL_PASS});
  EXPECT_FALSE(PbnAuctionEnds(&Doubled, &NrPasses));
  EXPECT_EQ(NrPasses, 2);
  auto Ended = Auction({PBN_CALL_BID, PBN_CALL_PASS, PBN_CALL_PASS, PBN_CALL_PASS});
  EXPECT_TRUE(PbnAuctionEnds(&Ended, &NrPasses));
  EXPECT_EQ(NrPasses, 3);
}

class CommentStore : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GameTagsInit(&tTags), PBN_ERR_OK); }
  void TearDown() override { GameTagsTerm(&tTags); }

  // A brace comment whose lines are given; returns nothing, attaches as the collector says.
  void BraceComment(std::initializer_list<std::string> Lines) {
    size_t Line = 0;
    for (const std::string& Text : Lines) {
      std::strcpy(acLine, Text.c_str());
      if (Line == 0) PbnCommentBegin(0);
      if (++Line == Lines.size()) {
        PbnCommentEnd(acLine, Text.size(), tPlace);
      } else {
        PbnCommentNext(acLine, Text.size());
      }
    }
  }

  std::string Range(const PbnRangeDef& tRange) {
    return std::string(tTags.pcComments + tRange.Begin, tTags.pcComments + tRange.End);
  }

  PbnGameTagsDef tTags{};
  PbnCommentPlaceDef tPlace{PBN_SECTION_IDENT, nullptr};
  char acLine[PBN_VALUE_SIZE];
};

TEST_F(CommentStore, MoveCommentsGoToTheirPosition) {
  tPlace.Section = PBN_SECTION_AUCTION;
  PbnCommentSetType(PBN_COMMENT_TYPE_MOVE, 0);
  BraceComment({"before any call"});  // no current call: unreferenced
  tPlace.ptMoveAnno = &tTags.atCallAnno[2];
  BraceComment({"a"});
  BraceComment({"b"});
  PbnCommentSetType(PBN_COMMENT_TYPE_NAG, 0);
  BraceComment({"c"});
  const PbnCommentDef& tComment = tTags.atCallAnno[2].tComment;
  EXPECT_EQ(Range(tComment.atTypes[PBN_COMMENT_TYPE_MOVE]), std::string("a\0b\0", 4));
  EXPECT_EQ(Range(tComment.atTypes[PBN_COMMENT_TYPE_NAG]), std::string("c\0", 2));
  EXPECT_EQ(tTags.atCallAnno[0].tComment.atTypes[PBN_COMMENT_TYPE_MOVE].End, 0);
}

TEST_F(CommentStore, TextBlockGrowsBeforeItWouldFill) {
  // 1024 bytes would be filled exactly by fill + piece + NUL: the block grows first.
  std::string Piece(200, 'x');
  for (int i = 0; i < 4; i++)
    BraceComment({Piece});  // 4 x 201 = 804 bytes
  EXPECT_EQ(tTags.NrComments, 1024);
  BraceComment({std::string(219, 'y')});  // 804 + 219 + 1 = 1024
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
