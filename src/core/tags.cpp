#include "core/tags.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "import/admin.h"

namespace pbn {

const char* const aPbnTagNames[PBN_N_TAG_IDS + 1] = {"Annotator",
                                                     "AnnotatorNA",
                                                     "Auction",
                                                     "BidSystemEW",
                                                     "BidSystemNS",
                                                     "Board",
                                                     "Competition",
                                                     "Contract",
                                                     "Date",
                                                     "Dealer",
                                                     "Deal",
                                                     "Declarer",
                                                     "Description",
                                                     "East",
                                                     "EastNA",
                                                     "EastType",
                                                     "Event",
                                                     "EventDate",
                                                     "EventSponsor",
                                                     "FrenchMP",
                                                     "Generator",
                                                     "Hidden",
                                                     "HomeTeam",
                                                     "Mode",
                                                     "North",
                                                     "NorthNA",
                                                     "NorthType",
                                                     "Note",
                                                     "Play",
                                                     "Result",
                                                     "Room",
                                                     "Round",
                                                     "Score",
                                                     "ScoreIMP",
                                                     "ScorePercentage",
                                                     "ScoreRubber",
                                                     "Scoring",
                                                     "Section",
                                                     "Site",
                                                     "South",
                                                     "SouthNA",
                                                     "SouthType",
                                                     "Stage",
                                                     "Table",
                                                     "Termination",
                                                     "Time",
                                                     "TimeCall",
                                                     "TimeCard",
                                                     "TimeControl",
                                                     "UTCDate",
                                                     "UTCTime",
                                                     "VisitTeam",
                                                     "Vulnerable",
                                                     "West",
                                                     "WestNA",
                                                     "WestType",
                                                     "Application",
                                                     "DealId",
                                                     "OptimumScore",
                                                     "PairEW",
                                                     "PairNS",
                                                     "ScoreMP",
                                                     "ScoreRubberHistory",
                                                     "ActionTable",
                                                     "AuctionTimeTable",
                                                     "InstantScoreTable",
                                                     "OptimumPlayTable",
                                                     "OptimumResultTable",
                                                     "PlayTimeTable",
                                                     "ScoreTable",
                                                     "TotalScoreTable",
                                                     ""};

PbnCommentAdminDef tCommentAdmin;

namespace {

constexpr Int32 kCommentStep = 1024;
constexpr Int32 kNagStep = 16;

// Stores input characters [collector's InputIndex, End) and, when asked, a line feed, as one
// NUL-terminated piece at the fill level of the text block.
PbnErrDef CommentStorePiece(const char* pcInputBuffer, unsigned long End, bool bLineFeed) {
  PbnGameTagsDef* ptGameTags = tCommentAdmin.ptGameTags;
  if (ptGameTags == nullptr || ptGameTags->pcComments == nullptr) return PBN_ERR_RESOURCES;
  const unsigned long Begin = static_cast<unsigned long>(tCommentAdmin.InputIndex);
  const Int32 NrChars = End > Begin ? static_cast<Int32>(End - Begin) : 0;
  const Int32 Size = NrChars + (bLineFeed ? 1 : 0);
  if (tCommentAdmin.tRange.End + Size + 1 >= ptGameTags->NrComments) {
    char* pcNew = static_cast<char*>(
        std::realloc(ptGameTags->pcComments, ptGameTags->NrComments + kCommentStep));
    if (pcNew == nullptr) return PBN_ERR_RESOURCES;
    ptGameTags->pcComments = pcNew;
    ptGameTags->NrComments += kCommentStep;
  }
  char* pcPiece = ptGameTags->pcComments + tCommentAdmin.tRange.End;
  std::memcpy(pcPiece, pcInputBuffer + Begin, NrChars);
  if (bLineFeed) pcPiece[NrChars] = '\n';
  pcPiece[Size] = '\0';
  tCommentAdmin.tRange.End += Size + 1;
  ptGameTags->IxComments = tCommentAdmin.tRange.End;
  return PBN_ERR_OK;
}

PbnMoveAnnoDef* CommentMoveTarget() {
  PbnGameTagsDef* ptGameTags = tCommentAdmin.ptGameTags;
  if (tAdmin.Section == PBN_SECTION_AUCTION && tAdmin.NrCalls >= 0) {
    return &ptGameTags->atCallAnno[tAdmin.NrCalls];
  }
  if (tAdmin.Section == PBN_SECTION_PLAY && tAdmin.NrTricks >= 0 &&
      tAdmin.NrTricks < PBN_N_TRICKS) {
    return &ptGameTags->aatCardAnno[tAdmin.NrTricks][tAdmin.PlaySide];
  }
  return nullptr;
}

// The range that a finished comment belongs to, or none.
PbnRangeDef* CommentTarget() {
  PbnGameTagsDef* ptGameTags = tCommentAdmin.ptGameTags;
  const int Index = tCommentAdmin.Index;
  switch (tCommentAdmin.Type) {
    case PBN_COMMENT_TYPE_IDENT:
      return tAdmin.Section == PBN_SECTION_IDENT ? &ptGameTags->tGameComment : nullptr;
    case PBN_COMMENT_TYPE_TAG:
      return Index >= 0 && Index < PBN_N_TAG_IDS ? &ptGameTags->atTagComment[Index] : nullptr;
    case PBN_COMMENT_TYPE_NOTE_TAG:
      if (Index < 0 || Index >= PBN_N_NOTES) return nullptr;
      if (tAdmin.Section == PBN_SECTION_AUCTION) return &ptGameTags->atCallNoteComment[Index];
      if (tAdmin.Section == PBN_SECTION_PLAY) return &ptGameTags->atCardNoteComment[Index];
      return nullptr;
    case PBN_COMMENT_TYPE_MOVE:
    case PBN_COMMENT_TYPE_NOTE_REF:
    case PBN_COMMENT_TYPE_SUFFIX:
    case PBN_COMMENT_TYPE_NAG: {
      PbnMoveAnnoDef* ptAnno = CommentMoveTarget();
      return ptAnno != nullptr ? &ptAnno->tComment.atTypes[tCommentAdmin.Type] : nullptr;
    }
    default:
      return nullptr;
  }
}

void CommentAttach() {
  if (tCommentAdmin.ptGameTags == nullptr) return;
  PbnRangeDef* ptTarget = CommentTarget();
  if (ptTarget == nullptr) return;  // the text stays in the block, unreferenced
  if (ptTarget->End == 0) ptTarget->Begin = tCommentAdmin.tRange.Begin;
  ptTarget->End = tCommentAdmin.tRange.End;
}

}  // namespace

PbnErrDef GameTagsInit(PbnGameTagsDef* ptGameTags) {
  // Values and note texts are read as NUL-terminated texts only, so an empty first character
  // empties them; this spares zeroing some 30 KB of text slots for every game of a file.
  // Everything else is set to zero as it is.
  PbnGameTagsDef& tTags = *ptGameTags;
  tTags.NrTags = 0;
  tTags.IxTags = 0;
  for (PbnTagValueDef& tValue : tTags.atTagValue) {
    tValue.acValue[0] = '\0';
  }
  tTags.NrComments = 0;
  tTags.IxComments = 0;
  tTags.pcComments = nullptr;
  tTags.NrNags = 0;
  tTags.IxNags = 0;
  tTags.pNags = nullptr;
  for (auto* patNotes : {&tTags.atCallNote, &tTags.atCardNote}) {
    for (PbnMoveNoteDef& tNote : *patNotes) {
      tNote.bReference = PBN_FALSE;
      tNote.tTagValue.acValue[0] = '\0';
    }
  }
  // The comment ranges, the move annotations and the empty tables store close the record: one
  // block of some 6 KB.
  static_assert(offsetof(PbnGameTagsDef, atCardNote) < offsetof(PbnGameTagsDef, tGameComment) &&
                offsetof(PbnGameTagsDef, tGameComment) < offsetof(PbnGameTagsDef, aatCardAnno));
  char* pcRanges = reinterpret_cast<char*>(&tTags.tGameComment);
  std::memset(pcRanges, 0, reinterpret_cast<char*>(&tTags + 1) - pcRanges);
  const PbnErrDef Error = PbnNagInit(ptGameTags);
  if (Error != PBN_ERR_OK) return Error;
  return PbnCommentInit(ptGameTags);
}

void GameTagsTerm(PbnGameTagsDef* ptGameTags) {
  PbnCommentTerm(ptGameTags);
  PbnNagTerm(ptGameTags);
  PbnTableStoreTerm(&ptGameTags->tTables);
  DynamicDataTerm(&ptGameTags->tExtraTagsDD);
  DynamicDataTerm(&ptGameTags->tExtraTextDD);
  ptGameTags->tExtraTagsDD = ptGameTags->tExtraTextDD = DynamicDataDef{};
}

PbnErrDef PbnCommentInit(PbnGameTagsDef* ptGameTags) {
  tCommentAdmin = PbnCommentAdminDef{};
  tCommentAdmin.ptGameTags = ptGameTags;
  tCommentAdmin.Type = PBN_COMMENT_TYPE_IDENT;
  ptGameTags->pcComments = static_cast<char*>(std::malloc(kCommentStep));
  if (ptGameTags->pcComments == nullptr) return PBN_ERR_RESOURCES;
  ptGameTags->NrComments = kCommentStep;
  ptGameTags->IxComments = 0;
  return PBN_ERR_OK;
}

void PbnCommentSetType(PbnCommentTypeDef CommentType, int Index) {
  tCommentAdmin.Type = CommentType;
  tCommentAdmin.Index = static_cast<Int16>(Index);
}

void PbnCommentBegin(unsigned long InputIndex) {
  tCommentAdmin.tRange.Begin = tCommentAdmin.tRange.End;
  tCommentAdmin.InputIndex = static_cast<Int32>(InputIndex);
}

PbnErrDef PbnCommentNext(char* pcInputBuffer, unsigned long InputIndex) {
  const PbnErrDef Error = CommentStorePiece(pcInputBuffer, InputIndex, true);
  tCommentAdmin.InputIndex = 0;  // the comment goes on at the start of the next line
  return Error;
}

PbnErrDef PbnCommentEnd(char* pcInputBuffer, unsigned long InputIndex) {
  const PbnErrDef Error = CommentStorePiece(pcInputBuffer, InputIndex, false);
  CommentAttach();
  return Error;
}

PbnErrDef PbnCommentEol(char* pcInputBuffer, unsigned long InputIndex) {
  const PbnErrDef Error = CommentStorePiece(pcInputBuffer, InputIndex, true);
  CommentAttach();
  return Error;
}

void PbnCommentTerm(PbnGameTagsDef* ptGameTags) {
  std::free(ptGameTags->pcComments);
  ptGameTags->pcComments = nullptr;
}

PbnErrDef PbnNagInit(PbnGameTagsDef* ptGameTags) {
  ptGameTags->pNags = static_cast<PbnNagDef*>(std::malloc(kNagStep * sizeof(PbnNagDef)));
  if (ptGameTags->pNags == nullptr) return PBN_ERR_RESOURCES;
  ptGameTags->NrNags = kNagStep;
  ptGameTags->IxNags = 0;
  return PBN_ERR_OK;
}

PbnErrDef PbnNagPut(PbnGameTagsDef* ptGameTags, PbnNagDef Nag, Int32* pIxNag) {
  if (ptGameTags->pNags == nullptr) return PBN_ERR_RESOURCES;
  if (ptGameTags->IxNags == ptGameTags->NrNags) {
    auto* pNew = static_cast<PbnNagDef*>(
        std::realloc(ptGameTags->pNags, (ptGameTags->NrNags + kNagStep) * sizeof(PbnNagDef)));
    if (pNew == nullptr) return PBN_ERR_RESOURCES;
    ptGameTags->pNags = pNew;
    ptGameTags->NrNags += kNagStep;
  }
  *pIxNag = ptGameTags->IxNags;
  ptGameTags->pNags[ptGameTags->IxNags++] = Nag;
  return PBN_ERR_OK;
}

void PbnNagTerm(PbnGameTagsDef* ptGameTags) {
  std::free(ptGameTags->pNags);
  ptGameTags->pNags = nullptr;
}

namespace {

// Appends a NUL-terminated text to tExtraTextDD and its offset to tExtraTagsDD.
PbnErrDef ExtraTextAdd(PbnGameTagsDef* ptGameTags, const char* pcText) {
  DynamicDataDef& tText = ptGameTags->tExtraTextDD;
  DynamicDataDef& tOffsets = ptGameTags->tExtraTagsDD;
  if (tText.ptData == nullptr && !DynamicDataInit(&tText, 256, 1)) return PBN_ERR_RESOURCES;
  if (tOffsets.ptData == nullptr && !DynamicDataInit(&tOffsets, 16, sizeof(UInt32))) {
    return PBN_ERR_RESOURCES;
  }
  const UInt32 Size = static_cast<UInt32>(std::strlen(pcText)) + 1;
  while (tText.MaxData - tText.CurData < Size) {
    if (!DynamicDataExtend(&tText)) return PBN_ERR_RESOURCES;
  }
  if (!DynamicDataCheck(&tOffsets)) return PBN_ERR_RESOURCES;
  std::memcpy(DynamicDataAt<char>(tText, tText.CurData), pcText, Size);
  *DynamicDataAt<UInt32>(tOffsets, tOffsets.CurData++) = tText.CurData;
  tText.CurData += Size;
  return PBN_ERR_OK;
}

const char* ExtraText(const PbnGameTagsDef& tGameTags, UInt32 Index) {
  return DynamicDataAt<char>(tGameTags.tExtraTextDD,
                             *DynamicDataAt<UInt32>(tGameTags.tExtraTagsDD, Index));
}

}  // namespace

PbnErrDef PbnExtraTagAdd(PbnGameTagsDef* ptGameTags, const char* pcName, const char* pcValue) {
  const UInt32 NrBefore = PbnExtraTagCount(*ptGameTags);
  PbnErrDef Error = ExtraTextAdd(ptGameTags, pcName);
  if (Error == PBN_ERR_OK) Error = ExtraTextAdd(ptGameTags, pcValue);
  if (Error != PBN_ERR_OK) ptGameTags->tExtraTagsDD.CurData = NrBefore * 2;  // whole pairs only
  return Error;
}

const char* PbnExtraTagName(const PbnGameTagsDef& tGameTags, UInt32 Index) {
  return ExtraText(tGameTags, 2 * Index);
}

const char* PbnExtraTagValue(const PbnGameTagsDef& tGameTags, UInt32 Index) {
  return ExtraText(tGameTags, 2 * Index + 1);
}

}  // namespace pbn
