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

std::string RankChars(PbnRankDef Ranks) {
  char acRanks[15];
  PbnRanksGetChars(Ranks, acRanks);
  return acRanks;
}

TEST(RankSets, CountIndexAndSpell) {
  EXPECT_EQ(PbnRanksGetNumber(0x3FFE), 13);
  EXPECT_EQ(PbnRanksGetNumber(0), 0);
  EXPECT_EQ(PbnRanksGetNumber(0x8002), 2);  // bit 15 counts

  EXPECT_EQ(PbnRankGetIndex(0x0002), 0);
  EXPECT_EQ(PbnRankGetIndex(0x2000), 12);
  EXPECT_EQ(PbnRankGetIndex(0), 13);
  EXPECT_EQ(PbnRankGetIndex(0x0001), 14);
  EXPECT_EQ(PbnRankGetIndex(0x6000), 15);  // two bits
  EXPECT_EQ(PbnRankGetIndex(0x4000), 15);  // bit 14
  EXPECT_EQ(acPbnRankNames[PbnRankGetIndex(0x0200)], 'T');

  EXPECT_EQ(RankChars(0x2201), "ATx");
  EXPECT_EQ(RankChars(0x3FFE), "AKQJT98765432");
  EXPECT_EQ(RankChars(0), "");
  EXPECT_EQ(RankChars(0x0001), "x");
  EXPECT_EQ(RankChars(0xC000), "");  // outside the precondition, but it ends
}

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

TEST(NameTables, EveryMessageStartsWithItsSeverity) {
  for (const char* pcMessage : PbnErrors) {
    ASSERT_NE(pcMessage, nullptr);
    EXPECT_TRUE(std::strchr("IWEF", pcMessage[0]) != nullptr && pcMessage[1] == ':') << pcMessage;
  }
  EXPECT_STREQ(PbnErrors[PBN_ERR_UNUSED_NOTE], "W: Unused note [%d]");
  EXPECT_STREQ(aPbnTagNames[PBN_TAG_ID_DEALER], "Dealer");  // Dealer comes before Deal
  EXPECT_STREQ(aPbnTagNames[PBN_TAG_ID_SCOREPERC], "ScorePercentage");
  EXPECT_STREQ(aPbnTagNames[PBN_N_TAG_IDS], "");
}

TEST(DynamicData, GrowsLinearlyKeepingAndZeroFilling) {
  DynamicDataDef tArray{};
  ASSERT_TRUE(DynamicDataInit(&tArray, 4, sizeof(UInt32)));
  EXPECT_EQ(tArray.MaxData, 4u);
  void* ptBefore = tArray.ptData;
  tArray.CurData = 3;
  EXPECT_TRUE(DynamicDataCheck(&tArray));
  EXPECT_EQ(tArray.ptData, ptBefore);  // room left: nothing allocated
  EXPECT_EQ(tArray.MaxData, 4u);
  for (UInt32 i = 0; i < 4; i++)
    *DynamicDataAt<UInt32>(tArray, i) = 100 + i;
  tArray.CurData = 4;
  ASSERT_TRUE(DynamicDataCheck(&tArray));
  EXPECT_EQ(tArray.MaxData, 8u);  // one step, not doubled
  for (UInt32 i = 0; i < 4; i++)
    EXPECT_EQ(*DynamicDataAt<UInt32>(tArray, i), 100 + i);
  for (UInt32 i = 4; i < 8; i++)
    EXPECT_EQ(*DynamicDataAt<UInt32>(tArray, i), 0u);
  DynamicDataTerm(&tArray);
  EXPECT_EQ(tArray.ptData, nullptr);
  DynamicDataTerm(&tArray);  // harmless
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

TEST_F(CommentStore, PiecesAndRanges) {
  BraceComment({""});  // "{}"
  EXPECT_EQ(tTags.tGameComment.Begin, 0);
  EXPECT_EQ(tTags.tGameComment.End, 1);
  EXPECT_EQ(Range(tTags.tGameComment), std::string(1, '\0'));

  PbnCommentSetType(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_EVENT);
  BraceComment({"one", "two", "three"});
  EXPECT_EQ(Range(tTags.atTagComment[PBN_TAG_ID_EVENT]), std::string("one\n\0two\n\0three\0", 16));
  EXPECT_EQ(tTags.IxComments, 17);
}

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

TEST_F(CommentStore, NagListGrowsBySixteen) {
  for (Int32 Expected = 0; Expected < 17; Expected++) {
    Int32 IxNag = -1;
    ASSERT_EQ(PbnNagPut(&tTags, static_cast<PbnNagDef>(13 + Expected), &IxNag), PBN_ERR_OK);
    EXPECT_EQ(IxNag, Expected);
  }
  EXPECT_EQ(tTags.NrNags, 32);
  EXPECT_EQ(tTags.pNags[16], 29);
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
