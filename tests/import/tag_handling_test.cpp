// Tag names, duplicates, "#" inheritance and the bookkeeping of the import.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "import/admin.h"
#include "import/import.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::ImportText;
using testing_support::Lines;

std::string Message(const std::string& Text) {
  auto LogLines = Lines(ImportText(Text).Log);
  return LogLines.size() >= 3 ? LogLines[2] : "";
}

TEST(TagNames, CaseDuplicatesAndSections) {
  PbnImportTags(nullptr);
  EXPECT_EQ(Message("[event \"a\"]\n"), "W: Bad tag name");
  EXPECT_EQ(Message("[EVENT \"a\"]\n"), "W: Bad tag name");
  EXPECT_EQ(Message("[Event \"a\"]\n[Event \"b\"]\n"), "W: Tag exists already");
  EXPECT_EQ(Message("[Note \"1:a\"]\n"), "E: Bad section");
  EXPECT_EQ(Message("[Site \"\"]\n[Site \"b\"]\n"), "W: Tag exists already");  // marker counts

  auto ptTags = std::make_unique<PbnGameTagsDef>();
  auto Result = ImportText("[Event \"a\"]\n[Event \"b\"]\n", 0, ptTags.get());
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "a");  // the first value stays
  GameTagsTerm(ptTags.get());

  // Notes of one number in the two sections are two notes; twice in one section is a
  // duplicate.
  Result =
      ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C =1= Pass\n[Note \"1:x:y\"]\n[Note \"1:z\"]\n",
                 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_TAG_EXISTS);
  EXPECT_STREQ(ptTags->atCallNote[0].tTagValue.acValue.data(), "x:y");
  GameTagsTerm(ptTags.get());
}

TEST(Inheritance, HashTakesTheLatestValueOfEarlierGames) {
  PbnImportTags(nullptr);
  auto ptTags = std::make_unique<PbnGameTagsDef>();
  // Nothing remembered: the check sees an empty value; Event stores "#", Site the marker.
  auto Result = ImportText("[Event \"#\"]\n[Board \"#\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "\x01");
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_BOARD), "\x01");
  GameTagsTerm(ptTags.get());

  // A remembered value is checked in place of "#", and "#" itself is stored.
  ImportText("[Board \"x7\"]\n[Event \"Club\"]\n");  // refused, but still remembered
  Result = ImportText("[Board \"#\"]\n[Event \"#\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_BAD_NUMBER);
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "#");
  GameTagsTerm(ptTags.get());

  for (const char* pcTag :
       {"Auction", "Contract", "Deal", "Dealer", "Declarer", "Play", "Vulnerable"}) {
    EXPECT_EQ(Message(std::string("[") + pcTag + " \"#\"]\n"), "E: Bad inheritance") << pcTag;
  }

  // The record can be installed and emptied from outside.
  PbnGameTagsDef tInstalled{};
  std::snprintf(tInstalled.atTagValue[PBN_TAG_ID_DATE].acValue.data(), PBN_VALUE_SIZE,
                "2026.13.01");
  PbnImportTags(&tInstalled);
  EXPECT_EQ(Message("[Date \"#\"]\n"), "E: Bad tag value");
  PbnImportTags(nullptr);
  EXPECT_EQ(ImportText("[Date \"#\"]\n").Error, PBN_ERR_OK);
}

TEST(Bookkeeping, StackAndCommentTypes) {
  tAdmin.IllegalPlay = {0, PBN_ILLEGAL_L, PBN_ILLEGAL_L, 0};  // West and North
  PbnSideDef Side = PBN_SIDE_NONE;
  EXPECT_TRUE(AdminIllegalLead(&Side));
  EXPECT_EQ(Side, PBN_WEST);  // the lower code

  PbnGameTagsDef tTags{};
  ASSERT_EQ(GameTagsInit(&tTags), PBN_ERR_OK);
  PbnStateInit();
  PbnStateDec();
  EXPECT_EQ(StateIndex, 0);
  PbnStateInc(PBN_STATE_NAG);
  EXPECT_EQ(tCommentAdmin.Type, PBN_COMMENT_TYPE_NAG);
  PbnStateDec();
  PbnStateInc(PBN_STATE_SUFFIX);
  EXPECT_EQ(tCommentAdmin.Type, PBN_COMMENT_TYPE_SUFFIX);
  PbnStateInc(PBN_STATE_COMMENT);
  EXPECT_EQ(tCommentAdmin.Type, PBN_COMMENT_TYPE_SUFFIX);
  GameTagsTerm(&tTags);
}

TEST(Bookkeeping, HiddenSidesOutliveTheImport) {
  ImportText("[Hidden \"ws\"]\n");
  EXPECT_TRUE(tAdmin.abHiddenSide[PBN_WEST]);
  EXPECT_TRUE(tAdmin.abHiddenSide[PBN_SOUTH]);
  EXPECT_FALSE(tAdmin.abHiddenSide[PBN_NORTH]);
  ImportText("[Event \"a\"]\n");
  EXPECT_FALSE(tAdmin.abHiddenSide[PBN_WEST]);  // reset by the next game
}

}  // namespace
}  // namespace pbn
