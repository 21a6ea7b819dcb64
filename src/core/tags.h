// Everything of a game that is text rather than play data: tag values, comment text with the
// ranges that tie each comment to its place, the NAG list, notes and per-move annotations.
// The comment collector takes comment text piece by piece from the importer.
#pragma once

#include <array>

#include "core/pbn.h"
#include "core/tables.h"

namespace pbn {

enum PbnTagIdDef : int {
  PBN_TAG_ID_ANNOTATOR,
  PBN_TAG_ID_ANNOTATORNA,
  PBN_TAG_ID_AUCTION,
  PBN_TAG_ID_BIDSYSTEMEW,
  PBN_TAG_ID_BIDSYSTEMNS,
  PBN_TAG_ID_BOARD,
  PBN_TAG_ID_COMPETITION,
  PBN_TAG_ID_CONTRACT,
  PBN_TAG_ID_DATE,
  PBN_TAG_ID_DEALER,
  PBN_TAG_ID_DEAL,
  PBN_TAG_ID_DECLARER,
  PBN_TAG_ID_DESCRIPTION,
  PBN_TAG_ID_EAST,
  PBN_TAG_ID_EASTNA,
  PBN_TAG_ID_EASTTYPE,
  PBN_TAG_ID_EVENT,
  PBN_TAG_ID_EVENTDATE,
  PBN_TAG_ID_EVENTSPONSOR,
  PBN_TAG_ID_FRENCHMP,
  PBN_TAG_ID_GENERATOR,
  PBN_TAG_ID_HIDDEN,
  PBN_TAG_ID_HOMETEAM,
  PBN_TAG_ID_MODE,
  PBN_TAG_ID_NORTH,
  PBN_TAG_ID_NORTHNA,
  PBN_TAG_ID_NORTHTYPE,
  PBN_TAG_ID_NOTE,
  PBN_TAG_ID_PLAY,
  PBN_TAG_ID_RESULT,
  PBN_TAG_ID_ROOM,
  PBN_TAG_ID_ROUND,
  PBN_TAG_ID_SCORE,
  PBN_TAG_ID_SCOREIMP,
  PBN_TAG_ID_SCOREPERC,
  PBN_TAG_ID_SCORERUBBER,
  PBN_TAG_ID_SCORING,
  PBN_TAG_ID_SECTION,
  PBN_TAG_ID_SITE,
  PBN_TAG_ID_SOUTH,
  PBN_TAG_ID_SOUTHNA,
  PBN_TAG_ID_SOUTHTYPE,
  PBN_TAG_ID_STAGE,
  PBN_TAG_ID_TABLE,
  PBN_TAG_ID_TERMINATION,
  PBN_TAG_ID_TIME,
  PBN_TAG_ID_TIMECALL,
  PBN_TAG_ID_TIMECARD,
  PBN_TAG_ID_TIMECONTROL,
  PBN_TAG_ID_UTCDATE,
  PBN_TAG_ID_UTCTIME,
  PBN_TAG_ID_VISITTEAM,
  PBN_TAG_ID_VULNERABLE,
  PBN_TAG_ID_WEST,
  PBN_TAG_ID_WESTNA,
  PBN_TAG_ID_WESTTYPE,
  // The tags that only a later standard knows follow here (see atPbnTags).
  PBN_TAG_ID_APPLICATION,
  PBN_TAG_ID_DEALID,
  PBN_TAG_ID_OPTIMUMSCORE,
  PBN_TAG_ID_PAIREW,
  PBN_TAG_ID_PAIRNS,
  PBN_TAG_ID_SCOREMP,
  PBN_TAG_ID_SCORERUBBERHISTORY,
  PBN_TAG_ID_ACTIONTABLE,  // the tables, in this order to the end
  PBN_TAG_ID_AUCTIONTIMETABLE,
  PBN_TAG_ID_INSTANTSCORETABLE,
  PBN_TAG_ID_OPTIMUMPLAYTABLE,
  PBN_TAG_ID_OPTIMUMRESULTTABLE,
  PBN_TAG_ID_PLAYTIMETABLE,
  PBN_TAG_ID_SCORETABLE,
  PBN_TAG_ID_TOTALSCORETABLE,
  PBN_N_TAG_IDS
};
inline constexpr int PBN_N_TAG_IDS_10 = PBN_TAG_ID_WESTTYPE + 1;  // the tags of PBN 1.0

constexpr bool PbnTagIsTable(int TagId) {
  return TagId >= PBN_TAG_ID_ACTIONTABLE && TagId < PBN_N_TAG_IDS;
}

// The PBN standards, in the order in which each adds to the one before.
enum PbnStandardDef : UInt8 { PBN_STANDARD_1_0, PBN_STANDARD_2_1 };

struct PbnTagDef {
  const char* pcName;
  PbnStandardDef Standard = PBN_STANDARD_1_0;  // the first standard that knows the tag
  PbnSectionDef Section = PBN_SECTION_IDENT;   // the section that its tag pair opens, if any
};

// One row per tag, in PbnTagIdDef order. The 56 tags of PBN 1.0 keep their places; a tag that
// only a later standard knows gets its id before PBN_N_TAG_IDS and its row after them, marked
// with that standard.
inline constexpr std::array<PbnTagDef, PBN_N_TAG_IDS> atPbnTags = {{
    {"Annotator"},
    {"AnnotatorNA"},
    {"Auction", PBN_STANDARD_1_0, PBN_SECTION_AUCTION},
    {"BidSystemEW"},
    {"BidSystemNS"},
    {"Board"},
    {"Competition"},
    {"Contract"},
    {"Date"},
    {"Dealer"},
    {"Deal"},
    {"Declarer"},
    {"Description"},
    {"East"},
    {"EastNA"},
    {"EastType"},
    {"Event"},
    {"EventDate"},
    {"EventSponsor"},
    {"FrenchMP"},
    {"Generator"},
    {"Hidden"},
    {"HomeTeam"},
    {"Mode"},
    {"North"},
    {"NorthNA"},
    {"NorthType"},
    {"Note"},
    {"Play", PBN_STANDARD_1_0, PBN_SECTION_PLAY},
    {"Result"},
    {"Room"},
    {"Round"},
    {"Score"},
    {"ScoreIMP"},
    {"ScorePercentage"},
    {"ScoreRubber"},
    {"Scoring"},
    {"Section"},
    {"Site"},
    {"South"},
    {"SouthNA"},
    {"SouthType"},
    {"Stage"},
    {"Table"},
    {"Termination"},
    {"Time"},
    {"TimeCall"},
    {"TimeCard"},
    {"TimeControl"},
    {"UTCDate"},
    {"UTCTime"},
    {"VisitTeam"},
    {"Vulnerable"},
    {"West"},
    {"WestNA"},
    {"WestType"},
    {"Application", PBN_STANDARD_2_1},
    {"DealId", PBN_STANDARD_2_1},
    {"OptimumScore", PBN_STANDARD_2_1},
    {"PairEW", PBN_STANDARD_2_1},
    {"PairNS", PBN_STANDARD_2_1},
    {"ScoreMP", PBN_STANDARD_2_1},
    {"ScoreRubberHistory", PBN_STANDARD_2_1},
    {"ActionTable", PBN_STANDARD_2_1},
    {"AuctionTimeTable", PBN_STANDARD_2_1},
    {"InstantScoreTable", PBN_STANDARD_2_1},
    {"OptimumPlayTable", PBN_STANDARD_2_1},
    {"OptimumResultTable", PBN_STANDARD_2_1},
    {"PlayTimeTable", PBN_STANDARD_2_1},
    {"ScoreTable", PBN_STANDARD_2_1},
    {"TotalScoreTable", PBN_STANDARD_2_1},
}};
static_assert(PBN_TAG_ID_WESTTYPE == 55, "the ids of the PBN 1.0 tags never change");

// Tag names in PbnTagIdDef order, ended by an empty entry.
inline constexpr std::array<const char*, PBN_N_TAG_IDS + 1> aPbnTagNames = [] {
  std::array<const char*, PBN_N_TAG_IDS + 1> apcNames{};
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++)
    apcNames[TagId] = atPbnTags[TagId].pcName;
  apcNames[PBN_N_TAG_IDS] = "";
  return apcNames;
}();

inline constexpr int PBN_VALUE_SIZE = 256;  // 255 characters and the terminator
inline constexpr int PBN_N_NOTES = 32;
inline constexpr char PBN_EMPTY_VALUE_MARKER = '\x01';  // a tag present with an empty value

enum PbnSuffixDef : UInt8 {
  PBN_SUFFIX_NONE,
  PBN_SUFFIX_GOOD,
  PBN_SUFFIX_POOR,
  PBN_SUFFIX_VERY_GOOD,
  PBN_SUFFIX_VERY_POOR,
  PBN_SUFFIX_SPECULATIVE,
  PBN_SUFFIX_QUESTIONABLE
};

enum PbnCommentTypeDef : int {
  PBN_COMMENT_TYPE_MOVE,      // right after the call or card
  PBN_COMMENT_TYPE_NOTE_REF,  // after the note reference
  PBN_COMMENT_TYPE_SUFFIX,    // after the suffix
  PBN_COMMENT_TYPE_NAG,       // after a NAG
  PBN_COMMENT_TYPE_IDENT,     // before the first tag
  PBN_COMMENT_TYPE_TAG,       // after a tag
  PBN_COMMENT_TYPE_NOTE_TAG,  // after a Note tag
  PBN_N_COMMENT_TYPES
};
inline constexpr int PBN_N_MOVE_COMMENT_TYPES = 4;

enum PbnNagDef : Int32 {
  PBN_NAG_NONE,
  PBN_NAG_AUCTION_GOOD,
  PBN_NAG_AUCTION_POOR,
  PBN_NAG_AUCTION_VERY_GOOD,
  PBN_NAG_AUCTION_VERY_POOR,
  PBN_NAG_AUCTION_SPECULATIVE,
  PBN_NAG_AUCTION_QUESTIONABLE,
  PBN_NAG_PLAY_GOOD,
  PBN_NAG_PLAY_POOR,
  PBN_NAG_PLAY_VERY_GOOD,
  PBN_NAG_PLAY_VERY_POOR,
  PBN_NAG_PLAY_SPECULATIVE,
  PBN_NAG_PLAY_QUESTIONABLE
};

struct PbnTagValueDef {
  std::array<char, PBN_VALUE_SIZE> acValue;  // empty: the tag is absent
};

// A tag pair that the standard read does not know, kept as it was read.
struct PbnExtraTagDef {
  PbnTagValueDef tName;
  PbnTagValueDef tValue;
};

struct PbnMoveNoteDef {
  PbnBoolDef bReference;
  PbnTagValueDef tTagValue;  // the note text after the colon; empty when not given
};

struct PbnRangeDef {
  Int32 Begin;
  Int32 End;
};

struct PbnCommentDef {
  std::array<PbnRangeDef, PBN_N_MOVE_COMMENT_TYPES> atTypes;
};

struct PbnMoveAnnoDef {
  PbnCommentDef tComment;
  UInt8 Note;
  PbnSuffixDef Suffix;
  PbnRangeDef tNag;
};

struct PbnGameTagsDef {
  Int32 NrTags;
  Int32 IxTags;
  std::array<PbnTagValueDef, PBN_N_TAG_IDS> atTagValue;
  Int32 NrComments;
  Int32 IxComments;
  char* pcComments;
  Int32 NrNags;
  Int32 IxNags;
  PbnNagDef* pNags;
  Int32 NrExtraTags;  // places allocated
  Int32 IxExtraTags;  // places used, in the order read
  PbnExtraTagDef* ptExtraTags;
  std::array<PbnMoveNoteDef, PBN_N_NOTES> atCallNote;
  std::array<PbnMoveNoteDef, PBN_N_NOTES> atCardNote;
  PbnRangeDef tGameComment;
  std::array<PbnRangeDef, PBN_N_TAG_IDS> atTagComment;
  std::array<PbnRangeDef, PBN_N_NOTES> atCallNoteComment;
  std::array<PbnRangeDef, PBN_N_NOTES> atCardNoteComment;
  std::array<PbnMoveAnnoDef, PBN_MAX_CALLS> atCallAnno;
  std::array<std::array<PbnMoveAnnoDef, PBN_N_SIDES>, PBN_N_TRICKS> aatCardAnno;
  PbnTableStoreDef tTables;  // PBN 2.1 tables; no block until the game has one
  // Which comment ranges and move annotations may have been written since the record was
  // cleared: GameTagsInit clears only those, since a game annotates some moves and the whole
  // block is some 6 KB. The rest is zero; the importer marks each place as it hands it out
  // (MoveAnno, the comment collector).
  UInt64 CallAnnosUsed;    // bit n: atCallAnno[n]
  UInt64 CardAnnosUsed;    // bit 4 * trick + side: aatCardAnno[trick][side]
  UInt64 NotesUsed;        // bit n: atCallNote[n], bit 32 + n: atCardNote[n] (PbnNoteUsed)
  PbnBoolDef bRangesUsed;  // tGameComment to atCardNoteComment
};
static_assert(PBN_MAX_CALLS <= 64 && PBN_N_TRICKS * PBN_N_SIDES <= 64 && 2 * PBN_N_NOTES <= 64);

// Note Note (1 to 32) of the auction's or the play's notes, marked as written.
inline PbnMoveNoteDef& PbnNoteUsed(PbnGameTagsDef* ptGameTags, bool bPlay, long Note) {
  ptGameTags->NotesUsed |= UInt64{1} << ((bPlay ? PBN_N_NOTES : 0) + Note - 1);
  return (bPlay ? ptGameTags->atCardNote : ptGameTags->atCallNote)[Note - 1];
}

// The comment collector: where the comment being read belongs and where its text goes.
struct PbnCommentAdminDef {
  PbnGameTagsDef* ptGameTags;
  PbnCommentTypeDef Type;
  Int16 Index;
  Int32 Length;
  void* pcData;
  Int32 InputIndex;
  PbnRangeDef tRange;
};

extern PbnCommentAdminDef tCommentAdmin;

inline const char* TagValue(const PbnGameTagsDef& tGameTags, int TagId) {
  return tGameTags.atTagValue[TagId].acValue.data();
}

// Whether a stored value is the empty-value marker: the tag is present, its value empty. The
// whole value is the marker; a value that merely starts with the byte 1 would be a text.
constexpr bool TagValueIsEmpty(const char* pcValue) {
  return pcValue[0] == PBN_EMPTY_VALUE_MARKER && pcValue[1] == '\0';
}

// A stored value as the text it stands for: "" for the empty-value marker.
constexpr const char* TagValueText(const char* pcValue) {
  return TagValueIsEmpty(pcValue) ? "" : pcValue;
}

PbnErrDef GameTagsInit(PbnGameTagsDef* ptGameTags);
void GameTagsTerm(PbnGameTagsDef* ptGameTags);

PbnErrDef PbnCommentInit(PbnGameTagsDef* ptGameTags);
// Where a comment read from now on belongs; set at every tag and state: inline.
inline void PbnCommentSetType(PbnCommentTypeDef CommentType, int Index) {
  tCommentAdmin.Type = CommentType;
  tCommentAdmin.Index = static_cast<Int16>(Index);
}
void PbnCommentBegin(unsigned long InputIndex);
PbnErrDef PbnCommentNext(char* pcInputBuffer, unsigned long InputIndex);
// Where a comment that ends now belongs: the section being read and the annotations of the move
// read last in it (none before the first).
struct PbnCommentPlaceDef {
  PbnSectionDef Section;
  PbnMoveAnnoDef* ptMoveAnno;
};

PbnErrDef PbnCommentEnd(char* pcInputBuffer, unsigned long InputIndex,
                        const PbnCommentPlaceDef& tPlace);
PbnErrDef PbnCommentEol(char* pcInputBuffer, unsigned long InputIndex,
                        const PbnCommentPlaceDef& tPlace);
void PbnCommentTerm(PbnGameTagsDef* ptGameTags);

PbnErrDef PbnNagInit(PbnGameTagsDef* ptGameTags);
PbnErrDef PbnNagPut(PbnGameTagsDef* ptGameTags, PbnNagDef Nag, Int32* pIxNag);
void PbnNagTerm(PbnGameTagsDef* ptGameTags);

// Adds a tag pair to the game's extra tags; name and value are cut at 255 characters.
PbnErrDef PbnExtraTagPut(PbnGameTagsDef* ptGameTags, const char* pcName, const char* pcValue);
void PbnExtraTagTerm(PbnGameTagsDef* ptGameTags);
inline UInt32 PbnExtraTagCount(const PbnGameTagsDef& tGameTags) {
  return tGameTags.ptExtraTags != nullptr ? static_cast<UInt32>(tGameTags.IxExtraTags) : 0;
}

}  // namespace pbn
