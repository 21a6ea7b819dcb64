#include "core/tags.h"

#include <bit>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace pbn {

PbnCommentAdminDef tCommentAdmin;

namespace {

constexpr Int32 kCommentStep = 1024;
constexpr Int32 kNagStep = 16;
constexpr Int32 kExtraTagStep = 8;

void CopyValue(PbnTagValueDef* ptValue, const char* pcText) {
  size_t Length = 0;
  for (; Length < PBN_VALUE_SIZE - 1 && pcText[Length] != '\0'; Length++)
    ptValue->acValue[Length] = pcText[Length];
  ptValue->acValue[Length] = '\0';
}

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

// The range that a finished comment belongs to, or none.
PbnRangeDef* CommentTarget(const PbnCommentPlaceDef& tPlace) {
  PbnGameTagsDef* ptGameTags = tCommentAdmin.ptGameTags;
  const int Index = tCommentAdmin.Index;
  switch (tCommentAdmin.Type) {
    case PBN_COMMENT_TYPE_IDENT:
      return tPlace.Section == PBN_SECTION_IDENT ? &ptGameTags->tGameComment : nullptr;
    case PBN_COMMENT_TYPE_TAG:
      return Index >= 0 && Index < PBN_N_TAG_IDS ? &ptGameTags->atTagComment[Index] : nullptr;
    case PBN_COMMENT_TYPE_NOTE_TAG:
      if (Index < 0 || Index >= PBN_N_NOTES) return nullptr;
      if (tPlace.Section == PBN_SECTION_AUCTION) return &ptGameTags->atCallNoteComment[Index];
      if (tPlace.Section == PBN_SECTION_PLAY) return &ptGameTags->atCardNoteComment[Index];
      return nullptr;
    case PBN_COMMENT_TYPE_MOVE:
    case PBN_COMMENT_TYPE_NOTE_REF:
    case PBN_COMMENT_TYPE_SUFFIX:
    case PBN_COMMENT_TYPE_NAG: {
      PbnMoveAnnoDef* ptAnno = tPlace.ptMoveAnno;
      return ptAnno != nullptr ? &ptAnno->tComment.atTypes[tCommentAdmin.Type] : nullptr;
    }
    default:
      return nullptr;
  }
}

void CommentAttach(const PbnCommentPlaceDef& tPlace) {
  if (tCommentAdmin.ptGameTags == nullptr) return;
  PbnRangeDef* ptTarget = CommentTarget(tPlace);
  if (ptTarget == nullptr) return;  // the text stays in the block, unreferenced
  if (tCommentAdmin.Type >= PBN_N_MOVE_COMMENT_TYPES) tCommentAdmin.ptGameTags->bRangesUsed = true;
  if (ptTarget->End == 0) ptTarget->Begin = tCommentAdmin.tRange.Begin;
  ptTarget->End = tCommentAdmin.tRange.End;
}

// Empties every value: one store each, written out (a loop takes several instructions a value).
template <size_t... aIndexes>
void ClearFirstChars(std::array<PbnTagValueDef, PBN_N_TAG_IDS>& atValues,
                     std::index_sequence<aIndexes...>) {
  ((atValues[aIndexes].acValue[0] = '\0'), ...);
}

}  // namespace

PbnErrDef GameTagsInit(PbnGameTagsDef* ptGameTags) {
  // Values and note texts are read as NUL-terminated texts only, so an empty first character
  // empties them; this spares zeroing some 30 KB of text slots for every game of a file.
  // Everything else is set to zero as it is.
  PbnGameTagsDef& tTags = *ptGameTags;
  tTags.NrTags = 0;
  tTags.IxTags = 0;
  ClearFirstChars(tTags.atTagValue, std::make_index_sequence<PBN_N_TAG_IDS>());
  tTags.NrComments = 0;
  tTags.IxComments = 0;
  tTags.pcComments = nullptr;
  tTags.NrNags = 0;
  tTags.IxNags = 0;
  tTags.pNags = nullptr;
  tTags.NrExtraTags = 0;
  tTags.IxExtraTags = 0;
  tTags.ptExtraTags = nullptr;  // allocated with the first extra tag
  for (UInt64 Used = tTags.NotesUsed; Used != 0; Used &= Used - 1) {
    const int Place = std::countr_zero(Used);
    PbnMoveNoteDef& tNote =
        (Place < PBN_N_NOTES ? tTags.atCallNote : tTags.atCardNote)[Place % PBN_N_NOTES];
    tNote.bReference = PBN_FALSE;
    tNote.tTagValue.acValue[0] = '\0';
  }
  tTags.NotesUsed = 0;
  // The comment ranges and move annotations: only those written since the last clear.
  if (tTags.bRangesUsed) {
    static_assert(offsetof(PbnGameTagsDef, tGameComment) < offsetof(PbnGameTagsDef, atCallAnno));
    char* pcRanges = reinterpret_cast<char*>(&tTags.tGameComment);
    std::memset(pcRanges, 0, reinterpret_cast<char*>(&tTags.atCallAnno) - pcRanges);
  }
  for (UInt64 Used = tTags.CallAnnosUsed; Used != 0; Used &= Used - 1)
    tTags.atCallAnno[std::countr_zero(Used)] = PbnMoveAnnoDef{};
  for (UInt64 Used = tTags.CardAnnosUsed; Used != 0; Used &= Used - 1) {
    const int Place = std::countr_zero(Used);
    tTags.aatCardAnno[Place / PBN_N_SIDES][Place % PBN_N_SIDES] = PbnMoveAnnoDef{};
  }
  tTags.CallAnnosUsed = 0;
  tTags.CardAnnosUsed = 0;
  tTags.bRangesUsed = PBN_FALSE;
  tTags.tTables = PbnTableStoreDef{};
  const PbnErrDef Error = PbnNagInit(ptGameTags);
  if (Error != PBN_ERR_OK) return Error;
  return PbnCommentInit(ptGameTags);
}

void GameTagsTerm(PbnGameTagsDef* ptGameTags) {
  PbnCommentTerm(ptGameTags);
  PbnNagTerm(ptGameTags);
  PbnExtraTagTerm(ptGameTags);
  PbnTableStoreTerm(&ptGameTags->tTables);
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

void PbnCommentBegin(unsigned long InputIndex) {
  tCommentAdmin.tRange.Begin = tCommentAdmin.tRange.End;
  tCommentAdmin.InputIndex = static_cast<Int32>(InputIndex);
}

PbnErrDef PbnCommentNext(char* pcInputBuffer, unsigned long InputIndex) {
  const PbnErrDef Error = CommentStorePiece(pcInputBuffer, InputIndex, true);
  tCommentAdmin.InputIndex = 0;  // the comment goes on at the start of the next line
  return Error;
}

PbnErrDef PbnCommentEnd(char* pcInputBuffer, unsigned long InputIndex,
                        const PbnCommentPlaceDef& tPlace) {
  const PbnErrDef Error = CommentStorePiece(pcInputBuffer, InputIndex, false);
  CommentAttach(tPlace);
  return Error;
}

PbnErrDef PbnCommentEol(char* pcInputBuffer, unsigned long InputIndex,
                        const PbnCommentPlaceDef& tPlace) {
  const PbnErrDef Error = CommentStorePiece(pcInputBuffer, InputIndex, true);
  CommentAttach(tPlace);
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

PbnErrDef PbnExtraTagPut(PbnGameTagsDef* ptGameTags, const char* pcName, const char* pcValue) {
  if (ptGameTags->IxExtraTags == ptGameTags->NrExtraTags) {
    const Int32 NrNew = ptGameTags->NrExtraTags + kExtraTagStep;
    auto* ptNew = static_cast<PbnExtraTagDef*>(
        std::realloc(ptGameTags->ptExtraTags, NrNew * sizeof(PbnExtraTagDef)));
    if (ptNew == nullptr) return PBN_ERR_RESOURCES;
    ptGameTags->ptExtraTags = ptNew;
    ptGameTags->NrExtraTags = NrNew;
  }
  PbnExtraTagDef& tExtra = ptGameTags->ptExtraTags[ptGameTags->IxExtraTags++];
  CopyValue(&tExtra.tName, pcName);
  CopyValue(&tExtra.tValue, pcValue);
  return PBN_ERR_OK;
}

void PbnExtraTagTerm(PbnGameTagsDef* ptGameTags) {
  std::free(ptGameTags->ptExtraTags);
  ptGameTags->ptExtraTags = nullptr;
  ptGameTags->NrExtraTags = 0;
  ptGameTags->IxExtraTags = 0;
}

}  // namespace pbn
