// Tag names, duplicates, "#" inheritance and the bookkeeping of the import.
#include <gtest/gtest.h>

#include <map>
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

  // The record can be installed and emptied from outside.
  PbnGameTagsDef tInstalled{};
  std::snprintf(tInstalled.atTagValue[PBN_TAG_ID_DATE].acValue.data(), PBN_VALUE_SIZE,
                "2026.13.01");
  PbnImportTags(&tInstalled);
  EXPECT_EQ(Message("[Date \"#\"]\n"), "E: Bad tag value");
  PbnImportTags(nullptr);
  EXPECT_EQ(ImportText("[Date \"#\"]\n").Error, PBN_ERR_OK);
}

// Every name of the tag table with a value that its check accepts: one game, no log line.
TEST(TagNames, EveryTagIsKnownAndStored) {
  const std::map<int, std::string> Values = {{PBN_TAG_ID_BOARD, "1"},
                                             {PBN_TAG_ID_COMPETITION, "Pairs"},
                                             {PBN_TAG_ID_CONTRACT, "1C"},
                                             {PBN_TAG_ID_DATE, "2026.12.06"},
                                             {PBN_TAG_ID_DEALER, "N"},
                                             {PBN_TAG_ID_DEAL, testing_support::kTestDeal},
                                             {PBN_TAG_ID_DECLARER, "N"},
                                             {PBN_TAG_ID_EASTTYPE, "human"},
                                             {PBN_TAG_ID_EVENTDATE, "2026.12.06"},
                                             {PBN_TAG_ID_FRENCHMP, "Yes"},
                                             {PBN_TAG_ID_HIDDEN, "N"},
                                             {PBN_TAG_ID_MODE, "TABLE"},
                                             {PBN_TAG_ID_NORTHTYPE, "program"},
                                             {PBN_TAG_ID_RESULT, "7"},
                                             {PBN_TAG_ID_ROOM, "Open"},
                                             {PBN_TAG_ID_SCORE, "NS 90"},
                                             {PBN_TAG_ID_SCOREIMP, "NS 1.5"},
                                             {PBN_TAG_ID_SCOREPERC, "NS 50"},
                                             {PBN_TAG_ID_SCORERUBBER, "NS 30/60"},
                                             {PBN_TAG_ID_SCORING, "IMP"},
                                             {PBN_TAG_ID_SOUTHTYPE, "human"},
                                             {PBN_TAG_ID_TABLE, "2"},
                                             {PBN_TAG_ID_TIME, "20:15:00"},
                                             {PBN_TAG_ID_TIMECALL, "3"},
                                             {PBN_TAG_ID_TIMECARD, "4"},
                                             {PBN_TAG_ID_TIMECONTROL, "40/7200"},
                                             {PBN_TAG_ID_UTCDATE, "2026.12.06"},
                                             {PBN_TAG_ID_UTCTIME, "19:15:00"},
                                             {PBN_TAG_ID_VULNERABLE, "None"},
                                             {PBN_TAG_ID_WESTTYPE, "human"}};
  std::string Text;
  for (int TagId = 0; TagId < PBN_N_TAG_IDS_10; TagId++) {
    if (TagId == PBN_TAG_ID_AUCTION || TagId == PBN_TAG_ID_NOTE || TagId == PBN_TAG_ID_PLAY)
      continue;
    const auto Value = Values.find(TagId);
    Text += std::string("[") + aPbnTagNames[TagId] + " \"" +
            (Value != Values.end() ? Value->second : "x") + "\"]\n";
  }
  Text += "[Auction \"N\"]\n1C =1= Pass Pass Pass\n[Note \"1:x\"]\n[Play \"E\"]\n";
  auto ptTags = MakeTags();
  auto Result = ImportText(Text, 0, ptTags.get());
  EXPECT_EQ(Result.Log, "");
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  for (int TagId = 0; TagId < PBN_N_TAG_IDS_10; TagId++) {
    const bool bStored = TagId == PBN_TAG_ID_NOTE || TagValue(*ptTags, TagId)[0] != '\0';
    EXPECT_TRUE(bStored) << aPbnTagNames[TagId];  // a Note's text goes to the notes
  }
}

TEST(Bookkeeping, CommentsAfterANagAndASuffix) {
  auto ptTags = MakeTags();
  ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C $14 {a} ! {b}\n", 0, ptTags.get());
  const auto& atTypes = ptTags->atCallAnno[0].tComment.atTypes;
  auto Comment = [&](int Type) {
    return std::string(ptTags->pcComments + atTypes[Type].Begin,
                       ptTags->pcComments + atTypes[Type].End);
  };
  EXPECT_EQ(Comment(PBN_COMMENT_TYPE_NAG), std::string("a\0", 2));
  EXPECT_EQ(Comment(PBN_COMMENT_TYPE_SUFFIX), std::string("b\0", 2));
}

}  // namespace
}  // namespace pbn
