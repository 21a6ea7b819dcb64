// The annotation layout: line order, marker codes, backslash rules, note, suffix and NAG lines,
// the ranges of sections, calls and cards, how far the text is revealed, and the 16-bit limits.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "import/admin.h"
#include "replay/game_builder.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_play.h"

namespace {

using namespace pbn;
using namespace replay_test;
using Lines = std::vector<std::string>;

// A stored line with its marker codes spelled out: [AUCTION], [PLAY], {S} for a suit symbol
// (code and end code), <1)> for a note number.
std::string Show(const unsigned char* pcLine) {
  static const char* const apcMarkers[] = {"[AUCTION]", "[PLAY]", "{H", "{D", "{C",
                                           "{S",        "}",      "<",  ">"};
  std::string acShown;
  for (; *pcLine != 0; ++pcLine) {
    if (*pcLine >= ANNO_AUCTION_HEADER && *pcLine <= ANNO_NOTE_END) {
      acShown += apcMarkers[*pcLine - ANNO_AUCTION_HEADER];
    } else {
      acShown += static_cast<char>(*pcLine);
    }
  }
  return acShown;
}

std::vector<unsigned char> Bytes(const unsigned char* pcLine) {
  return std::vector<unsigned char>(pcLine,
                                    pcLine + std::strlen(reinterpret_cast<const char*>(pcLine)));
}

std::pair<int, int> Range(const TextSizeDef& tTextSize) {
  return {tTextSize.FirstLine, tTextSize.NrLines};
}

class AnnotationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ptTags = std::make_unique<PbnGameTagsDef>();
    ASSERT_EQ(GameTagsInit(ptTags.get()), PBN_ERR_OK);
    tGame = EmptyGame();
    tGameAdmin = PbnGameAdminDef{};
  }
  void TearDown() override {
    TextAnnoTerm();
    GameTagsTerm(ptTags.get());
    tGameAdmin = PbnGameAdminDef{};
  }

  // What the game collection does once the game is imported.
  PbnErrDef Layout() {
    tGameAdmin.ptGameData = &tGame;
    PbnGetPlayCards(&tGame, tGameAdmin.aNrWonNS.data(), &tGameAdmin.NrPlayCards,
                    tGameAdmin.atPlayCards.data(), tGameAdmin.aacIllegals.data());
    return LayoutKeepingPlay();
  }
  // The same with tGameAdmin's play as the test left it.
  PbnErrDef LayoutKeepingPlay() {
    EXPECT_TRUE(TextAnnoInit());
    return TextAnnoCompute(&tGame, ptTags.get());
  }

  Lines Shown() const {
    Lines atLines;
    for (UInt32 Line = 0; Line < TextAnnoNrLines(); ++Line)
      atLines.push_back(Show(TextAnnoLine(Line)));
    return atLines;
  }

  PbnMoveAnnoDef& CallAnno(int Call) { return ptTags->atCallAnno[Call]; }
  PbnRangeDef& CallComment(int Call, PbnCommentTypeDef Type) {
    return ptTags->atCallAnno[Call].tComment.atTypes[Type];
  }

  std::unique_ptr<PbnGameTagsDef> ptTags;
  PbnGameDataDef tGame{};
};

TEST_F(AnnotationTest, GameWithoutAnnotationsHasOnlyTheSectionHeaders) {
  SetDeal(&tGame, "A...", "2...", "K...", "3...");
  tGame.tContract.Declarer = PBN_NORTH;
  for (int Call = 0; Call < 4; ++Call)
    AddCall(&tGame, PBN_CALL_PASS);
  SetTrick(&tGame, 0, PBN_EAST, {"S3", "SA", "S2", "SK"});
  EXPECT_EQ(Layout(), PBN_ERR_OK);

  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "[PLAY]"}));
  EXPECT_EQ(Bytes(TextAnnoLine(0)), std::vector<unsigned char>{129});
  EXPECT_EQ(Bytes(TextAnnoLine(1)), std::vector<unsigned char>{130});
  EXPECT_EQ(TextAnnoLine(2), nullptr);
  EXPECT_EQ(Range(tAnnoAdmin.tIdent), std::make_pair(0, 0));
  EXPECT_EQ(Range(tAnnoAdmin.tAuction), std::make_pair(0, 1));
  EXPECT_EQ(Range(tAnnoAdmin.tPlay), std::make_pair(1, 1));
  for (int Call = 0; Call < 4; ++Call)
    EXPECT_EQ(Range(tAnnoAdmin.atCall[Call]), std::make_pair(1, 0));
  for (int Entry = 0; Entry < 4; ++Entry)
    EXPECT_EQ(Range(tAnnoAdmin.atCard[Entry]), std::make_pair(2, 0));
  EXPECT_EQ(tAnnoAdmin.MaxLineLength, 2);
}

TEST_F(AnnotationTest, CommentBeforeTheGameAndANagOfTheSecondCall) {
  AddComment(ptTags.get(), &ptTags->tGameComment, {"Board of the week"});
  AddCall(&tGame, PBN_CALL_BID, 1, PBN_TRUMP_NT);
  for (int Call = 0; Call < 3; ++Call)
    AddCall(&tGame, PBN_CALL_PASS);
  AddNag(ptTags.get(), &CallAnno(1), 14);
  Layout();

  EXPECT_EQ(Shown(), (Lines{"Board of the week", "[AUCTION]", "Pass $14", "[PLAY]"}));
  EXPECT_EQ(Range(tAnnoAdmin.tIdent), std::make_pair(0, 1));
  EXPECT_EQ(Range(tAnnoAdmin.tAuction), std::make_pair(1, 1));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[0]), std::make_pair(2, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[1]), std::make_pair(2, 1));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[2]), std::make_pair(3, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[3]), std::make_pair(3, 0));
  EXPECT_EQ(Range(tAnnoAdmin.tPlay), std::make_pair(3, 1));
}

// Comments handed over by the comment collector, as the importer does: a brace comment, one
// input line after the other.
void Collect(PbnCommentTypeDef Type, int Index, const Lines& atLines) {
  if (Type != PBN_COMMENT_TYPE_IDENT) PbnCommentSetType(Type, Index);
  for (size_t Ix = 0; Ix < atLines.size(); ++Ix) {
    const bool bFirst = Ix == 0;
    const bool bLast = Ix + 1 == atLines.size();
    std::string acInput = (bFirst ? "{" : "") + atLines[Ix] + (bLast ? "}" : "");
    acInput.push_back('\0');
    const unsigned long End = (bFirst ? 1 : 0) + atLines[Ix].size();
    if (bFirst) PbnCommentBegin(1);
    if (bLast) {
      PbnCommentEnd(acInput.data(), End);
    } else {
      PbnCommentNext(acInput.data(), End);
    }
  }
}

TEST_F(AnnotationTest, IdentificationFollowsTheMandatoryTagOrder) {
  tAdmin.Section = PBN_SECTION_IDENT;
  Collect(PBN_COMMENT_TYPE_IDENT, 0, {"before the first tag"});
  // In the file the comments stand in another order than they are laid out in.
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_HIDDEN, {"hidden"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_RESULT, {"result"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_DEAL, {"deal"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_VULNERABLE, {"vulnerable"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_SITE, {"site"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_EVENT, {"event one", "event two", "event three"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_NORTH, {"north"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_WEST, {"west"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_ANNOTATOR, {"annotator"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_PLAY, {"play tag"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_AUCTION, {"auction tag"});
  Collect(PBN_COMMENT_TYPE_TAG, PBN_TAG_ID_NOTE, {"never shown"});
  Layout();

  EXPECT_EQ(Shown(), (Lines{"before the first tag", "event one", "event two", "event three", "site",
                            "west", "north", "vulnerable", "deal", "result", "annotator", "hidden",
                            "[AUCTION]", "auction tag", "[PLAY]", "play tag"}));
  EXPECT_EQ(Range(tAnnoAdmin.tIdent), std::make_pair(0, 12));
  EXPECT_EQ(Range(tAnnoAdmin.tAuction), std::make_pair(12, 2));
  EXPECT_EQ(Range(tAnnoAdmin.tPlay), std::make_pair(14, 2));
}

TEST_F(AnnotationTest, BackslashRulesDependOnTheKindOfText) {
  AddCall(&tGame, PBN_CALL_PASS);
  AddCall(&tGame, PBN_CALL_PASS);
  AddComment(
      ptTags.get(), &CallComment(0, PBN_COMMENT_TYPE_MOVE),
      {"Lead the \\S K", "a\\\\b", "\\\"q\\\"", "\\x", "end\\", "\\h\\d\\c\\s\\H\\D\\C", "\\\\S"});
  CallAnno(1).Note = 1;
  SetNote(&ptTags->atCallNote, 1, "a\\\\b \\\"q\\\" \\S \\x");
  AddComment(ptTags.get(), &ptTags->atCallNoteComment[0], {"x\\\\y"});
  Layout();

  EXPECT_EQ(Shown(), (Lines{"[AUCTION]",
                            // comments keep backslashes except before a suit letter
                            "Lead the {S} K", "a\\\\b", "\\\"q\\\"", "\\x", "end\\",
                            "{H}{D}{C}{S}{H}{D}{C}", "\\\\S",
                            // note texts are tag values: escaped backslashes and quotes
                            "Pass <1)> a\\b \"q\" {S} \\x", "x\\y", "[PLAY]"}));
  const std::vector<unsigned char> acLead = {'L', 'e', 'a', 'd', ' ', 't', 'h',
                                             'e', ' ', 134, 135, ' ', 'K'};
  EXPECT_EQ(Bytes(TextAnnoLine(1)), acLead);
  EXPECT_EQ(TextAnnoLine(1)[acLead.size()], 0);
}

TEST_F(AnnotationTest, MoveAnnotationsComeInTheirFixedOrder) {
  AddCall(&tGame, PBN_CALL_PASS);
  AddCall(&tGame, PBN_CALL_BID, 2, PBN_HEARTS);
  PbnMoveAnnoDef& tAnno = CallAnno(1);
  // Stored in the order the importer meets them, which is not the layout order.
  AddComment(ptTags.get(), &CallComment(1, PBN_COMMENT_TYPE_NAG), {"after a nag"});
  AddComment(ptTags.get(), &CallComment(1, PBN_COMMENT_TYPE_SUFFIX), {"after the suffix"});
  AddComment(ptTags.get(), &CallComment(1, PBN_COMMENT_TYPE_NOTE_REF), {"after the note"});
  AddComment(ptTags.get(), &CallComment(1, PBN_COMMENT_TYPE_MOVE), {"after the call"});
  tAnno.Note = 2;
  SetNote(&ptTags->atCallNote, 2, "transfer");
  AddComment(ptTags.get(), &ptTags->atCallNoteComment[1], {"note comment"});
  for (int Nag : {14, 1, 20, 8})
    AddNag(ptTags.get(), &tAnno, Nag);
  Layout();

  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "after the call", "2{H} <2)> transfer", "note comment",
                            "after the note", "2{H} good call", "2{H} poor card",
                            "after the suffix", "2{H} $14", "2{H} $20", "after a nag", "[PLAY]"}));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[0]), std::make_pair(1, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[1]), std::make_pair(1, 10));
  const std::vector<unsigned char> acNote = {'2', 131, 135, ' ', 136, '2', ')', 137, ' ',
                                             't', 'r', 'a', 'n', 's', 'f', 'e', 'r'};
  EXPECT_EQ(Bytes(TextAnnoLine(2)), acNote);
}

TEST_F(AnnotationTest, NotesNeedATextButTheirCommentsDoNot) {
  for (int Call = 0; Call < 3; ++Call)
    AddCall(&tGame, PBN_CALL_PASS);
  CallAnno(0).Note = 3;  // no Note tag for 3, but a comment after where it would be
  AddComment(ptTags.get(), &ptTags->atCallNoteComment[2], {"orphan comment"});
  CallAnno(1).Note = 0;  // no reference: the note's text and comment are not shown
  SetNote(&ptTags->atCallNote, 1, "unused");
  AddComment(ptTags.get(), &ptTags->atCallNoteComment[0], {"unused comment"});
  CallAnno(2).Note = 33;  // beyond the notes that exist
  Layout();
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "orphan comment", "[PLAY]"}));
}

TEST_F(AnnotationTest, SuffixAndNagOfABid) {
  AddCall(&tGame, PBN_CALL_BID, 1, PBN_HEARTS);
  CallAnno(0).Suffix = PBN_SUFFIX_GOOD;
  AddNag(ptTags.get(), &CallAnno(0), PBN_NAG_AUCTION_GOOD);  // the suffix "!" as stored
  AddNag(ptTags.get(), &CallAnno(0), 14);
  Layout();
  const std::vector<unsigned char> acSuffix = {'1', 131, 135, ' ', 'g', 'o', 'o',
                                               'd', ' ', 'c', 'a', 'l', 'l'};
  const std::vector<unsigned char> acNag = {'1', 131, 135, ' ', '$', '1', '4'};
  ASSERT_EQ(TextAnnoNrLines(), 4u);
  EXPECT_EQ(Bytes(TextAnnoLine(1)), acSuffix);
  EXPECT_EQ(Bytes(TextAnnoLine(2)), acNag);
}

TEST_F(AnnotationTest, CallTexts) {
  AddCall(&tGame, PBN_CALL_PASS);
  AddCall(&tGame, PBN_CALL_DOUBLE);
  AddCall(&tGame, PBN_CALL_REDOUBLE);
  AddCall(&tGame, PBN_CALL_BID, 3, PBN_TRUMP_NT);
  AddCall(&tGame, PBN_CALL_INSUFFICIENT, 2, PBN_SPADES);
  AddCall(&tGame, PBN_CALL_SPECIAL);
  AddCall(&tGame, PBN_CALL_BID, 7, PBN_CLUBS);
  AddCall(&tGame, PBN_CALL_BID, 1, PBN_DIAMONDS);
  AddCall(&tGame, PBN_CALL_PLACEHOLDER);  // never stored; has no text
  for (int Call = 0; Call < tGame.tAuction.NrCalls; ++Call)
    AddNag(ptTags.get(), &CallAnno(Call), 14);
  Layout();
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "Pass $14", "X $14", "XX $14", "3NT $14", "^I 2{S} $14",
                            "^S $14", "7{C} $14", "1{D} $14", " $14", "[PLAY]"}));
}

TEST_F(AnnotationTest, CardTextsCarryTheirIrregularityMarks) {
  // The play as the reconstruction leaves it, written directly.
  const std::vector<std::pair<PbnSideDef, const char*>> atEntries = {
      {PBN_EAST, "SA"},  {PBN_SOUTH, "H2"}, {PBN_WEST, "-"}, {PBN_NORTH, "Dx"},
      {PBN_NORTH, "CT"}, {PBN_EAST, "S?"},  {PBN_SOUTH, ""}, {PBN_WEST, "D9"}};
  for (size_t Entry = 0; Entry < atEntries.size(); ++Entry) {
    tGameAdmin.atPlayCards[Entry] =
        PbnPlayCardDef{atEntries[Entry].first, Card(atEntries[Entry].second)};
  }
  tGameAdmin.NrPlayCards = 8;
  tGameAdmin.atPlayCards[8].Side = PBN_SIDE_NONE;
  tGameAdmin.aacIllegals[0][PBN_EAST] = 'L';
  tGameAdmin.aacIllegals[0][PBN_SOUTH] = 'R';
  tGameAdmin.aacIllegals[1][PBN_WEST] = 'R';
  tGameAdmin.aacIllegals[1][PBN_EAST] = 'L';  // a mark on a card that holds none is not shown
  for (const auto& [Side, pcCard] : atEntries) {
    (void)pcCard;
    for (int Trick = 0; Trick < 2; ++Trick) {
      PbnMoveAnnoDef& tAnno = ptTags->aatCardAnno[Trick][Side];
      if (tAnno.tNag.End == 0) AddNag(ptTags.get(), &tAnno, 14);
    }
  }
  LayoutKeepingPlay();
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "[PLAY]", "^L{S}A $14", "^R{H}2 $14", "- $14", "- $14",
                            "{C}T $14", "- $14", "- $14", "^R{D}9 $14"}));
  for (int Entry = 0; Entry < 8; ++Entry) {
    EXPECT_EQ(Range(tAnnoAdmin.atCard[Entry]), std::make_pair(2 + Entry, 1));
  }
}

TEST_F(AnnotationTest, CardAnnotationsFollowTrickAndSide) {
  SetDeal(&tGame, "A.2..", "2.A..", "K.3..", "3.4..");
  tGame.tContract.Declarer = PBN_SOUTH;
  tGame.tContract.Trump = PBN_TRUMP_NT;
  SetTrick(&tGame, 0, PBN_WEST, {"S2", "SK", "S3", "SA"});  // South wins
  SetTrick(&tGame, 1, PBN_SOUTH, {"H2", "HA", "H3", "H4"});
  AddComment(ptTags.get(), &ptTags->aatCardAnno[0][PBN_EAST].tComment.atTypes[0], {"east, first"});
  AddComment(ptTags.get(), &ptTags->aatCardAnno[1][PBN_EAST].tComment.atTypes[0], {"east, second"});
  AddComment(ptTags.get(), &ptTags->aatCardAnno[1][PBN_SOUTH].tComment.atTypes[0], {"lead"});
  Layout();
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "[PLAY]", "east, first", "lead", "east, second"}));
  EXPECT_EQ(Range(tAnnoAdmin.atCard[2]), std::make_pair(2, 1));  // East third to play
  EXPECT_EQ(Range(tAnnoAdmin.atCard[4]), std::make_pair(3, 1));  // South leads trick 2
  EXPECT_EQ(Range(tAnnoAdmin.atCard[7]), std::make_pair(4, 1));  // East last
  EXPECT_EQ(Range(tAnnoAdmin.atCard[5]), std::make_pair(4, 0));
}

TEST_F(AnnotationTest, EveryPieceAndInnerLineFeedMakesALine) {
  AddCall(&tGame, PBN_CALL_PASS);
  PbnRangeDef& tRange = CallComment(0, PBN_COMMENT_TYPE_MOVE);
  AddComment(ptTags.get(), &tRange, {"one", "two", "three"});  // a brace comment, 3 lines
  AddRawComment(ptTags.get(), &tRange, std::string("to the end of the line\n\0", 24));
  AddRawComment(ptTags.get(), &tRange, std::string("\0", 1));  // "{}"
  AddRawComment(ptTags.get(), &tRange, std::string("inner\nfeed\0", 11));
  AddRawComment(ptTags.get(), &tRange, std::string("blank\n\n\0", 8));
  AddRawComment(ptTags.get(), &tRange, std::string("\n\0", 2));  // an empty ";" comment
  Layout();
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "one", "two", "three", "to the end of the line", "",
                            "inner", "feed", "blank", "", "", "[PLAY]"}));
}

TEST_F(AnnotationTest, LongestLineCountsMarkersAndTerminator) {
  AddCall(&tGame, PBN_CALL_BID, 1, PBN_CLUBS);
  AddCall(&tGame, PBN_CALL_DOUBLE);
  AddCall(&tGame, PBN_CALL_REDOUBLE);
  AddNag(ptTags.get(), &CallAnno(2), PBN_NAG_AUCTION_GOOD);
  Layout();
  ASSERT_EQ(Shown(), (Lines{"[AUCTION]", "XX good call", "[PLAY]"}));
  EXPECT_EQ(tAnnoAdmin.MaxLineLength, 13);

  AddComment(ptTags.get(), &CallComment(0, PBN_COMMENT_TYPE_MOVE), {"\\S\\H\\D\\C\\S good"});
  Layout();
  EXPECT_EQ(tAnnoAdmin.MaxLineLength, 16);  // five symbols of two codes, " good", the NUL
}

TEST_F(AnnotationTest, RecordsAreReadOnlyWithinWhatTheyHold) {
  for (int Call = 0; Call < 6; ++Call)
    AddCall(&tGame, PBN_CALL_PASS);
  AddComment(ptTags.get(), &CallComment(0, PBN_COMMENT_TYPE_MOVE), {"first"});
  AddNag(ptTags.get(), &CallAnno(0), 14);
  AddNag(ptTags.get(), &CallAnno(0), 15);
  // Comment ranges past the stored text, reversed or negative.
  CallComment(1, PBN_COMMENT_TYPE_MOVE) = PbnRangeDef{ptTags->IxComments - 6, 1 << 30};
  CallComment(2, PBN_COMMENT_TYPE_MOVE) = PbnRangeDef{5, 2};
  CallComment(3, PBN_COMMENT_TYPE_MOVE) = PbnRangeDef{-100, 3};
  // NAG ranges past the list or negative; a NAG number that no table holds.
  CallAnno(1).tNag = PbnRangeDef{1, 1000};
  CallAnno(2).tNag = PbnRangeDef{-3, 1};
  Int32 Ix = 0;
  PbnNagPut(ptTags.get(), static_cast<PbnNagDef>(-7), &Ix);
  CallAnno(4).tNag = PbnRangeDef{Ix, Ix + 1};
  // A note text that fills its whole buffer.
  CallAnno(5).Note = 4;
  ptTags->atCallNote[3].tTagValue.acValue.fill('n');
  Layout();

  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "first", "Pass $14", "Pass $15",
                            // call 1: the last piece of the text, up to its end, and the
                            // NAG entries that the list holds
                            "first", "Pass $15", "Pass $-7",
                            // calls 2 and 3 hold nothing that can be read; call 4 a NAG
                            // number that no table holds
                            "Pass $-7", "Pass <4)> " + std::string(255, 'n'), "[PLAY]"}));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[1]), std::make_pair(4, 3));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[2]), std::make_pair(7, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[3]), std::make_pair(7, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[4]), std::make_pair(7, 1));
}

TEST_F(AnnotationTest, OutOfRangeCountsAreBounded) {
  tGame.tAuction.NrCalls = 200;  // a corrupt record: the call table holds 64
  tGameAdmin.NrPlayCards = 100;
  for (int Entry = 0; Entry <= PBN_MAX_PLAY_CARDS; ++Entry)
    tGameAdmin.atPlayCards[Entry].Side = 9;
  LayoutKeepingPlay();
  EXPECT_EQ(Range(tAnnoAdmin.atCall[63]), std::make_pair(1, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCard[51]), std::make_pair(2, 0));
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "[PLAY]"}));

  tGameAdmin.NrPlayCards = -5;
  LayoutKeepingPlay();
  EXPECT_EQ(TextAnnoNrLines(), 2u);

  // Without a text block or NAG list there is nothing to lay out but the headers.
  tGame.tAuction.NrCalls = 1;
  AddNag(ptTags.get(), &CallAnno(0), 14);
  GameTagsTerm(ptTags.get());
  CallComment(0, PBN_COMMENT_TYPE_MOVE) = PbnRangeDef{0, 5};
  LayoutKeepingPlay();
  EXPECT_EQ(Shown(), (Lines{"[AUCTION]", "[PLAY]"}));
}

TEST_F(AnnotationTest, TextIsRevealedAsFarAsTheReplayReached) {
  AddComment(ptTags.get(), &ptTags->tGameComment, {"ident"});
  AddComment(ptTags.get(), &ptTags->atTagComment[PBN_TAG_ID_AUCTION], {"auction"});
  for (int Call = 0; Call < 4; ++Call)
    AddCall(&tGame, PBN_CALL_PASS);
  AddComment(ptTags.get(), &CallComment(1, PBN_COMMENT_TYPE_MOVE), {"call 1"});
  AddComment(ptTags.get(), &CallComment(2, PBN_COMMENT_TYPE_MOVE), {"call 2a", "call 2b"});
  Layout();
  ASSERT_EQ(Shown(),
            (Lines{"ident", "[AUCTION]", "auction", "call 1", "call 2a", "call 2b", "[PLAY]"}));
  UInt32 FirstLine = 99;
  UInt32 MaxNrLines = 99;
  auto Exec = [&]() { return PaintAnnoExec(&FirstLine, &MaxNrLines); };
  auto Shows = [&](UInt32 First, UInt32 Max) { return FirstLine == First && MaxNrLines == Max; };

  EXPECT_FALSE(Exec());
  EXPECT_TRUE(Shows(0, 0));
  PaintAnnoSection(PBN_SECTION_IDENT);
  EXPECT_TRUE(Exec());
  EXPECT_TRUE(Shows(0, 1));
  PaintAnnoSection(PBN_SECTION_IDENT);  // every paint reports again; reported only once
  EXPECT_FALSE(Exec());
  EXPECT_TRUE(Shows(0, 1));

  PaintAnnoSection(PBN_SECTION_AUCTION);
  EXPECT_TRUE(Exec());
  EXPECT_TRUE(Shows(1, 3));
  PaintAnnoCall(1);  // call 0 has no lines: nothing further
  EXPECT_FALSE(Exec());
  PaintAnnoCall(2);
  EXPECT_TRUE(Exec());
  EXPECT_TRUE(Shows(3, 4));
  PaintAnnoCall(3);
  EXPECT_TRUE(Exec());
  EXPECT_TRUE(Shows(4, 6));

  // Stepping back hides nothing.
  PaintAnnoCall(2);
  PaintAnnoCall(0);
  PaintAnnoSection(PBN_SECTION_IDENT);
  EXPECT_FALSE(Exec());
  EXPECT_TRUE(Shows(4, 6));
  for (int Count : {-1, 65, 1000})
    PaintAnnoCall(Count);
  for (int Count : {-1, 0, 53, 1000})
    PaintAnnoCard(Count);
  EXPECT_FALSE(Exec());

  PaintAnnoSection(PBN_SECTION_PLAY);
  EXPECT_TRUE(Exec());
  EXPECT_TRUE(Shows(6, 7));

  // Switching the pane to annotations starts over.
  PaintAnnoReset();
  EXPECT_FALSE(Exec());
  EXPECT_TRUE(Shows(0, 0));
  PaintAnnoCall(2);
  EXPECT_TRUE(Exec());
  EXPECT_TRUE(Shows(3, 4));

  // So does the next game.
  Layout();
  EXPECT_FALSE(Exec());
  EXPECT_TRUE(Shows(0, 0));
}

TEST_F(AnnotationTest, NoLayoutOutsideItsLifetime) {
  AddComment(ptTags.get(), &ptTags->tGameComment, {"ident"});
  EXPECT_EQ(TextAnnoCompute(&tGame, ptTags.get()), PBN_ERROR);  // before TextAnnoInit
  Layout();
  EXPECT_EQ(TextAnnoNrLines(), 3u);
  EXPECT_EQ(TextAnnoCompute(nullptr, ptTags.get()), PBN_ERROR);
  EXPECT_EQ(TextAnnoCompute(&tGame, nullptr), PBN_ERROR);

  TextAnnoTerm();
  EXPECT_EQ(TextAnnoNrLines(), 0u);
  EXPECT_EQ(TextAnnoLine(0), nullptr);
  EXPECT_EQ(TextAnnoCompute(&tGame, ptTags.get()), PBN_ERROR);
  PaintAnnoSection(PBN_SECTION_PLAY);
  UInt32 FirstLine = 0;
  UInt32 MaxNrLines = 0;
  EXPECT_FALSE(PaintAnnoExec(&FirstLine, &MaxNrLines));
  TextAnnoTerm();  // twice is harmless

  // A new layout replaces the previous one.
  ASSERT_TRUE(TextAnnoInit());
  EXPECT_EQ(TextAnnoNrLines(), 0u);
  ASSERT_TRUE(TextAnnoInit());
  EXPECT_EQ(TextAnnoCompute(&tGame, ptTags.get()), PBN_ERR_OK);
  EXPECT_EQ(Shown(), (Lines{"ident", "[AUCTION]", "[PLAY]"}));
}

// The 16-bit offsets and line numbers: what does not fit is left out, from the first line that
// does not fit on, and what is kept is complete.
TEST_F(AnnotationTest, TextStopsAtSixtyFiveThousandLines) {
  AddRawComment(ptTags.get(), &ptTags->tGameComment, std::string(66000, '\0'));
  AddComment(ptTags.get(), &ptTags->atTagComment[PBN_TAG_ID_EVENT], {"after the cap"});
  AddCall(&tGame, PBN_CALL_PASS);
  AddNag(ptTags.get(), &CallAnno(0), 14);
  EXPECT_EQ(Layout(), PBN_ERR_RESOURCES);

  ASSERT_EQ(TextAnnoNrLines(), 65535u);
  EXPECT_STREQ(reinterpret_cast<const char*>(TextAnnoLine(65534)), "");
  EXPECT_EQ(TextAnnoLine(65535), nullptr);
  EXPECT_EQ(tAnnoAdmin.tCharsDD.CurData, 65535u);
  EXPECT_EQ(Range(tAnnoAdmin.tIdent), std::make_pair(0, 65535));
  EXPECT_EQ(Range(tAnnoAdmin.tAuction), std::make_pair(65535, 0));
  EXPECT_EQ(Range(tAnnoAdmin.atCall[0]), std::make_pair(65535, 0));
  EXPECT_EQ(Range(tAnnoAdmin.tPlay), std::make_pair(65535, 0));

  UInt32 FirstLine = 0;
  UInt32 MaxNrLines = 0;
  PaintAnnoSection(PBN_SECTION_IDENT);
  PaintAnnoSection(PBN_SECTION_PLAY);
  PaintAnnoCall(1);
  EXPECT_TRUE(PaintAnnoExec(&FirstLine, &MaxNrLines));
  EXPECT_EQ(MaxNrLines, TextAnnoNrLines());
}

TEST_F(AnnotationTest, TextStopsAtSixtyFiveThousandCharacters) {
  // Lines of 999 characters take 1000 with their terminator: 65 fit.
  PbnRangeDef& tRange = ptTags->tGameComment;
  for (int Line = 0; Line < 70; ++Line)
    AddComment(ptTags.get(), &tRange, {std::string(999, 'a')});
  AddComment(ptTags.get(), &ptTags->atTagComment[PBN_TAG_ID_SITE], {"short"});
  Layout();
  ASSERT_EQ(TextAnnoNrLines(), 65u);
  for (UInt32 Line = 0; Line < 65; ++Line) {
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(TextAnnoLine(Line))), 999u);
  }
  EXPECT_EQ(tAnnoAdmin.tCharsDD.CurData, 65000u);
  EXPECT_EQ(tAnnoAdmin.MaxLineLength, 1000);
  EXPECT_EQ(Range(tAnnoAdmin.tPlay), std::make_pair(65, 0));
}

TEST_F(AnnotationTest, TextMayFillTheLastCharacterExactly) {
  // 13,107 lines of four characters and a terminator are 65,535 characters.
  ptTags->tGameComment = PbnRangeDef{};
  std::string acPieces;
  for (int Line = 0; Line < 13107; ++Line)
    acPieces += std::string("abcd\0", 5);
  AddRawComment(ptTags.get(), &ptTags->tGameComment, acPieces);
  Layout();
  EXPECT_EQ(TextAnnoNrLines(), 13107u);
  EXPECT_EQ(tAnnoAdmin.tCharsDD.CurData, 65535u);
  EXPECT_STREQ(reinterpret_cast<const char*>(TextAnnoLine(13106)), "abcd");
  EXPECT_EQ(Range(tAnnoAdmin.tAuction), std::make_pair(13107, 0));

  // One character less leaves room for a line of three, but not for a header after it.
  TextAnnoTerm();
  GameTagsTerm(ptTags.get());
  ASSERT_EQ(GameTagsInit(ptTags.get()), PBN_ERR_OK);
  acPieces.resize(acPieces.size() - 5);
  acPieces += std::string("abc\0", 4);
  AddRawComment(ptTags.get(), &ptTags->tGameComment, acPieces);
  Layout();
  EXPECT_EQ(TextAnnoNrLines(), 13107u);
  EXPECT_EQ(tAnnoAdmin.tCharsDD.CurData, 65534u);
  EXPECT_STREQ(reinterpret_cast<const char*>(TextAnnoLine(13106)), "abc");
}

}  // namespace
