// Tag names, duplicates, "#" inheritance and the bookkeeping of the import.
#include <gtest/gtest.h>

#include <string>

#include "import/import.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::ImportText;
using testing_support::Lines;
using testing_support::MakeTags;

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

  auto ptTags = MakeTags();
  auto Result = ImportText("[Event \"a\"]\n[Event \"b\"]\n", 0, ptTags.get());
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "a");  // the first value stays

  // Notes of one number in the two sections are two notes; twice in one section is a
  // duplicate.
  Result =
      ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C =1= Pass\n[Note \"1:x:y\"]\n[Note \"1:z\"]\n",
                 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_TAG_EXISTS);
  EXPECT_STREQ(ptTags->atCallNote[0].tTagValue.acValue.data(), "x:y");
}

TEST(Inheritance, HashTakesTheLatestValueOfEarlierGames) {
  PbnImportTags(nullptr);
  auto ptTags = MakeTags();
  // Nothing remembered: the check sees an empty value; Event stores "#", Site the marker.
  auto Result = ImportText("[Event \"#\"]\n[Board \"#\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "\x01");
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_BOARD), "\x01");

  // A remembered value is checked in place of "#", and "#" itself is stored.
  ImportText("[Board \"x7\"]\n[Event \"Club\"]\n");  // refused, but still remembered
  Result = ImportText("[Board \"#\"]\n[Event \"#\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_BAD_NUMBER);
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "#");

  for (const char* pcTag :
       {"Auction", "Contract", "Deal", "Dealer", "Declarer", "Play", "Vulnerable"}) {
    EXPECT_EQ(Message(std::string("[") + pcTag + " \"#\"]\n"), "E: Bad inheritance") << pcTag;
  }
}

// A value is checked where the game stores it: a refused one is not stored, yet a later "#"
// inherits it; an accepted one is stored as read, the empty one as the marker.
TEST(Inheritance, ARefusedValueIsRememberedNotStored) {
  PbnImportTags(nullptr);
  auto ptTags = MakeTags();
  auto Result = ImportText("[Board \"x7\"]\n[Event \"\"]\n[Site \"Utrecht\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_BAD_NUMBER);
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_BOARD), "");
  EXPECT_STREQ(PbnImportInheritedValue(PBN_TAG_ID_BOARD), "x7");
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "\x01");
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_SITE), "Utrecht");
  EXPECT_STREQ(PbnImportInheritedValue(PBN_TAG_ID_SITE), "Utrecht");
}

// Every tag of PBN 1.0, spelled as files spell it, with a value its check accepts: one game,
// no log line, every value stored.
TEST(TagNames, EveryTagIsKnownAndStored) {
  const std::string Text =
      std::string(
          "[Annotator \"x\"] [AnnotatorNA \"x\"] [BidSystemEW \"x\"] [BidSystemNS \"x\"]\n"
          "[Board \"1\"] [Competition \"Pairs\"] [Contract \"1C\"] [Date \"2026.12.06\"]\n"
          "[Dealer \"N\"] [Deal \"") +
      testing_support::kTestDeal +
      "\"] [Declarer \"N\"] [Description \"x\"] [East \"x\"]\n"
      "[EastNA \"x\"] [EastType \"human\"] [Event \"x\"] [EventDate \"2026.12.06\"]\n"
      "[EventSponsor \"x\"] [FrenchMP \"Yes\"] [Generator \"x\"] [Hidden \"N\"]\n"
      "[HomeTeam \"x\"] [Mode \"TABLE\"] [North \"x\"] [NorthNA \"x\"] [NorthType \"program\"]\n"
      "[Result \"7\"] [Room \"Open\"] [Round \"x\"] [Score \"NS 90\"] [ScoreIMP \"NS 1.5\"]\n"
      "[ScorePercentage \"NS 50\"] [ScoreRubber \"NS 30/60\"] [Scoring \"IMP\"] [Section \"x\"]\n"
      "[Site \"x\"] [South \"x\"] [SouthNA \"x\"] [SouthType \"human\"] [Stage \"x\"]\n"
      "[Table \"2\"] [Termination \"x\"] [Time \"20:15:00\"] [TimeCall \"3\"] [TimeCard \"4\"]\n"
      "[TimeControl \"40/7200\"] [UTCDate \"2026.12.06\"] [UTCTime \"19:15:00\"]\n"
      "[VisitTeam \"x\"] [Vulnerable \"None\"] [West \"x\"] [WestNA \"x\"] [WestType \"human\"]\n"
      "[Auction \"N\"]\n1C =1= Pass Pass Pass\n[Note \"1:x\"]\n[Play \"E\"]\n";
  auto ptTags = MakeTags();
  auto Result = ImportText(Text, 0, ptTags.get());
  EXPECT_EQ(Result.Log, "");
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  for (int TagId = 0; TagId < PBN_N_TAG_IDS_10; TagId++) {
    const bool bStored = TagId == PBN_TAG_ID_NOTE || TagValue(*ptTags, TagId)[0] != '\0';
    EXPECT_TRUE(bStored) << aPbnTagNames[TagId];  // a Note's text goes to the notes
  }
}

// Each comment goes to the move before it, by what it follows; pieces of one kind join.
TEST(Bookkeeping, CommentsOfAMove) {
  auto ptTags = MakeTags();
  ImportText("[Dealer \"N\"]\n[Auction \"N\"]\nPass 1C {a} {b} $14 {c} ! {d}\n", 0, ptTags.get());
  EXPECT_EQ(ptTags->atCallAnno[0].tComment.atTypes[PBN_COMMENT_TYPE_MOVE].End, 0);
  const auto& atTypes = ptTags->atCallAnno[1].tComment.atTypes;
  auto Comment = [&](int Type) {
    return std::string(ptTags->pcComments + atTypes[Type].Begin,
                       ptTags->pcComments + atTypes[Type].End);
  };
  EXPECT_EQ(Comment(PBN_COMMENT_TYPE_MOVE), std::string("a\0b\0", 4));
  EXPECT_EQ(Comment(PBN_COMMENT_TYPE_NAG), std::string("c\0", 2));
  EXPECT_EQ(Comment(PBN_COMMENT_TYPE_SUFFIX), std::string("d\0", 2));
}

}  // namespace
}  // namespace pbn
