// The import state machine: game boundaries and offsets, sections, tokens, error markers and
// how reading goes on after an error.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/tags.h"
#include "support/test_support.h"

namespace pbn {
namespace {

using testing_support::ImportResult;
using testing_support::ImportText;
using testing_support::Lines;
using testing_support::MakeTags;

const std::string kDeal = testing_support::TestDealTag();

// The marker line and message logged for a text of one erroneous line.
std::string Marker(const std::string& Text) {
  auto LogLines = Lines(ImportText(Text).Log);
  return LogLines.size() >= 3 ? LogLines[1] + "|" + LogLines[2] : "(no error)";
}

TEST(GameBoundaries, OffsetsOfGamesAndGaps) {
  // Two games, two blank lines between them.
  const std::string Text = "[Event \"a\"]\n\n\n[Event \"b\"]\n";
  auto First = ImportText(Text);
  EXPECT_EQ(First.Error, PBN_ERR_OK);
  EXPECT_EQ(First.FilePosBegin, 0);
  EXPECT_EQ(First.FilePosOut, 13);  // just after the first blank line
  auto Second = ImportText(Text, First.FilePosOut);
  EXPECT_EQ(Second.Error, PBN_ERR_OK);
  EXPECT_EQ(Second.FilePosBegin, 14);  // the blank line is skipped
  EXPECT_EQ(Second.FilePosOut, -1);    // no blank line after the last game
}

TEST(GameBoundaries, BlankLinesInsideCommentsAndSections) {
  auto InComment = ImportText("[Event \"a\"] {one\n\ntwo}\n[Site \"b\"]\n\n");
  EXPECT_EQ(InComment.Error, PBN_ERR_OK);
  EXPECT_EQ(InComment.FilePosOut, 35);

  const std::string Auction = "[Dealer \"N\"]\n[Auction \"N\"]\n1C Pass\n\nPass\n";
  auto Section = ImportText(Auction);
  EXPECT_EQ(Section.Error, PBN_ERR_OK);
  EXPECT_EQ(Section.FilePosOut, 36);  // the blank line in the auction ends the game
}

TEST(EscapeLines, FirstColumnInAnyState) {
  EXPECT_EQ(ImportText("% any text ] [ {\n[Event \"a\"]\n").Error, PBN_ERR_OK);
  auto InSection = ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C\n% 8Z\nPass\n");
  EXPECT_EQ(InSection.Error, PBN_ERR_OK);
  EXPECT_EQ(Marker("[Event \"a\"]\n %x\n"), " ^^|E: Bad character");
}

TEST(ErrorMarkers, TagsNamesAndValues) {
  EXPECT_EQ(Marker("[Event]\n"), " ^^^^^^|E: No tag value");
  EXPECT_EQ(Marker("[Evnt \"a\"] x\n"), " ^^^^^^^^^ ^|W: Bad tag name");
  EXPECT_EQ(Marker("[Evnt\"a\"]\n"), "     ^^^^|W: Bad tag name");  // only the quote, then IDLE
  EXPECT_EQ(Marker("[Board \"x\"]\n"), "       ^^^^|E: Bad number");
  EXPECT_EQ(Marker("[Event \"a\tb\"]\n"), "       ^^^^^^|E: Bad character");
  EXPECT_EQ(Marker("[Event \"a\"] ] [\n"), "            ^  |E: Bad character");
  EXPECT_EQ(Marker("[ 1 \"a\"x]\n"), "  ^^^^^^^|W: Bad tag name");
}

TEST(ErrorMarkers, MovesAndTrickChecks) {
  const std::string Head = std::string("[Dealer \"N\"]\n") + kDeal + "[Auction \"N\"]\n";
  // Refused calls are underlined without the character that ended them; a refused call
  // still takes its number, so the note after it is accepted.
  EXPECT_EQ(Marker(Head + "1C 1C=1= 8C\n"), "   ^^    ^^|E: Bad call");
  // A note abandoned at "x"; the next "=" opens another that a blank abandons; "$" alone.
  EXPECT_EQ(Marker(Head + "1C =3x= $\n"), "   ^^^^^^|E: Bad note");
  // A card refused by the trick check marks nothing.
  const std::string Play = std::string("[Dealer \"S\"]\n") + kDeal +
                           "[Declarer \"S\"]\n[Contract \"3NT\"]\n[Play \"W\"]\n";
  EXPECT_EQ(Marker(Play + "HA H6 HT ^R H4\n"), "              |E: Bad revoke");

  // A call cut by the 255th character of its line is checked as it stands, and the rest of it
  // is read as the next line.
  auto Cut = Lines(ImportText(Head + "1C" + std::string(249, ' ') + "1C Pass\n").Log);
  ASSERT_EQ(Cut.size(), 6u);
  EXPECT_EQ(Cut[1], std::string(251, ' ') + "^^ ^");
  EXPECT_EQ(Cut[2], "E: Bad call");
  EXPECT_EQ(Cut[3] + "|" + Cut[4] + "|" + Cut[5], "ass|^^^|E: Bad character");
}

TEST(Recovery, AbandonedConstructsAndReadingOn) {
  // A failing Auction tag opens no section: every call is a bad character.
  auto BadAuction = ImportText("[Auction \"Q\"]\n1C Pass [Event \"a\"]\n");
  auto LogLines = Lines(BadAuction.Log);
  ASSERT_EQ(LogLines.size(), 6u);
  EXPECT_EQ(LogLines[2], "E: Bad side");
  EXPECT_EQ(LogLines[4], "^^ ^^^^            ");
  EXPECT_EQ(LogLines[5], "E: Bad character");

  // "*" ends the auction; calls after it are bad characters until the next tag.
  auto Star = ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C * Pass\n[Event \"a\"]\n");
  EXPECT_EQ(Lines(Star.Log)[1], "     ^^^^");

  // A bad character between moves keeps the section open; a too long line ends it.
  auto KeptOpen = ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C # Pass\n");
  EXPECT_EQ(Lines(KeptOpen.Log)[1], "   ^     ");
  auto Cut = ImportText("[Dealer \"N\"]\n[Auction \"N\"]\n1C" + std::string(260, ' ') + "Pass\n");
  EXPECT_EQ(Lines(Cut.Log)[2], "E: Line too long");
  EXPECT_EQ(Lines(Cut.Log)[5], "E: Bad character");

  // A byte of 128..159 ends a comment; its "}" is then a bad character.
  auto Comment = ImportText("[Event \"a\"] {x \x81 y}\n");
  EXPECT_EQ(Comment.Log, "[Event \"a\"] {x ? y}\n               ^ ^^\nE: Bad character\n");
}

TEST(Tokens, SuffixesNotesNagsAndBackslashes) {
  auto ptTags = MakeTags();
  const std::string Head = std::string("[Dealer \"N\"]\n") + kDeal + "[Auction \"N\"]\n";
  auto Result = ImportText(Head + "1C!!! Pass=1=$13 Pass\n[Note \"1:n\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_DOUBLE_SUFFIX);  // "!!" then "!"
  EXPECT_EQ(ptTags->atCallAnno[0].Suffix, PBN_SUFFIX_VERY_GOOD);
  EXPECT_EQ(ptTags->atCallAnno[1].Note, 1);
  EXPECT_EQ(ptTags->pNags[ptTags->atCallAnno[1].tNag.Begin], 13);
  EXPECT_EQ(Result.tGameData.tAuction.NrCalls, 3);

  // A backslash keeps only a following quote or backslash, and both characters otherwise.
  Result = ImportText("[Event \"a\\\"b\\\\c\\d\"]\n", 0, ptTags.get());
  EXPECT_EQ(Result.Error, PBN_ERR_OK);
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "a\"b\\c\\d");
  // A value continued by a backslash keeps it and the line feed.
  Result = ImportText("[Event \"ab\\\ncd\"]\n", 0, ptTags.get());
  EXPECT_STREQ(TagValue(*ptTags, PBN_TAG_ID_EVENT), "ab\\\ncd");

  // The end of the file in the middle of a call: the call is checked.
  Result = ImportText(Head + "1C Pass 1C", 0, ptTags.get());
  EXPECT_EQ(Result.Log, "1C Pass 1C\n        ^^\nE: Bad call\n");
}

}  // namespace
}  // namespace pbn
