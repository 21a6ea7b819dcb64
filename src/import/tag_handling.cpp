// Tag names, duplicate tags, "#" inheritance, and storing checked values and note texts.
#include <cstring>

#include "import/import.h"
#include "import/import_internal.h"
#include "import/reading.h"

namespace pbn {

namespace {

// The inheritance record: the latest value read for each tag that was not "#".
std::array<PbnTagValueDef, PBN_N_TAG_IDS> atPrevTagValue;

// The 2.1 reading reads the value of a repeated tag (an identical repeat is ignored) and of an
// unknown tag (kept as an extra tag under this name).
bool bRepeatedTag = false;
char acExtraTagName[PBN_VALUE_SIZE];

// Copies Length characters (at most 255) and the terminator; the rest of the slot is never read.
void CopyLength(char* pcTarget, const char* pcValue, size_t Length) {
  std::memcpy(pcTarget, pcValue, Length);
  pcTarget[Length] = '\0';
}

// The length of a value as stored: at most 255 characters.
size_t ValueLength(const char* pcValue) {
  return strnlen(pcValue, PBN_VALUE_SIZE - 1);
}

void CopyText(char* pcTarget, const char* pcValue) {
  CopyLength(pcTarget, pcValue, ValueLength(pcValue));
}

PbnErrDef StoreTagValue(PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId, const char* pcValue,
                        size_t Length) {
  if (TagIdExist(ptGameTags, TagId)) return PBN_ERR_TAG_EXISTS;
  CopyLength(ptGameTags->atTagValue[TagId].acValue.data(), pcValue, Length);
  return PBN_ERR_OK;
}

// Copies a value of Length characters (at most 255) and the terminator into a value slot, in
// whole blocks: the value has a block's room after it (see TagValueCheck), the slot holds the last
// block, and what a block copies beyond the terminator is never read.
void CopyInBlocks(char* pcTarget, const char* pcValue, size_t Length) {
  for (size_t i = 0; i < Length; i += kCopyBlock)
    std::memcpy(pcTarget + i, pcValue + i, kCopyBlock);
  pcTarget[Length] = '\0';
}

bool SameText(const char* pc1, const char* pc2) {
  while (*pc1 != '\0' && *pc1 == *pc2) {
    pc1++;
    pc2++;
  }
  return *pc1 == *pc2;
}

// The value of a tag that the game has not stored yet: copied once, into the game's slot of the
// tag, and checked there; the slot keeps it when the check accepts it.
[[gnu::noinline]] PbnErrDef CheckInSlot(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags,
                                        PbnTagIdDef TagId, const char* pcValue, size_t Length) {
  // Remembered before the check: a value that fails is still what a later "#" inherits.
  CopyInBlocks(atPrevTagValue[TagId].acValue.data(), pcValue, Length);
  char* acSlot = ptGameTags->atTagValue[TagId].acValue.data();
  CopyInBlocks(acSlot, pcValue, Length);
  long Note = 0;
  const PbnErrDef Error = TagValueCheckById(ptGameData, ptGameTags, TagId, acSlot, &Note);
  if (Error != PBN_ERR_OK) {
    acSlot[0] = '\0';                       // not stored
    tAdmin.abRefusedTag[TagId] = PBN_TRUE;  // whatever the check wrote is not to be used
    return Error;
  }
  if (acSlot[0] == PBN_EMPTY_VALUE_MARKER) acSlot[1] = '\0';  // the marker alone
  return PBN_ERR_OK;
}

}  // namespace

PbnImportOptionsDef tPbnImportOptions;

void PbnImportSetOptions(const PbnImportOptionsDef& tOptions) {
  tPbnImportOptions = tOptions;
}

PbnErrDef TagNameCheck(PbnGameTagsDef* ptGameTags, const char* acBuffer, size_t Length,
                       PbnTagIdDef* pTagId) {
  TagIdGet(acBuffer, Length, pTagId);
  return TagNameCheckFound(ptGameTags, acBuffer, Length, *pTagId);
}

PbnErrDef TagNameCheckFound(PbnGameTagsDef* ptGameTags, const char* acBuffer, size_t Length,
                            PbnTagIdDef TagId) {
  bRepeatedTag = false;
  if (TagId == PBN_N_TAG_IDS) {
    if (!PbnReading21()) return PBN_ERR_BAD_TAG_NAME;
    CopyLength(acExtraTagName, acBuffer, Length);
    PbnCommentSetType(PBN_COMMENT_TYPE_TAG, -1);  // its comments belong to no known tag
    return PBN_ERR_OK;
  }
  if (TagId == PBN_TAG_ID_NOTE) {
    return tAdmin.Section == PBN_SECTION_IDENT ? PBN_ERR_BAD_SECTION : PBN_ERR_OK;
  }
  PbnCommentSetType(PBN_COMMENT_TYPE_TAG, TagId);
  if (!TagIdExist(ptGameTags, TagId)) return PBN_ERR_OK;
  bRepeatedTag = PbnReading21();
  return bRepeatedTag ? PBN_ERR_OK : PBN_ERR_TAG_EXISTS;
}

namespace {

// A repeat of a tag with the same value is ignored; with another value it is an error, since
// conflicting data are never dropped silently.
PbnErrDef RepeatedTagCheck(const PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId,
                           const char* acBuffer) {
  const char* pcStored = TagValue(*ptGameTags, TagId);
  const bool bSame = SameText(pcStored, acBuffer) ||
                     (TextIs(pcStored, PBN_EMPTY_VALUE_MARKER) && acBuffer[0] == '\0');
  return bSame ? PBN_ERR_OK : PBN_ERR_TAG_EXISTS;
}

}  // namespace

PbnErrDef TagValueCheck(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId,
                        const char* acBuffer) {
  // Copied where it has a block's room after it.
  static char acValue[PBN_VALUE_SIZE + kCopyBlock];
  const size_t Length = ValueLength(acBuffer);
  CopyLength(acValue, acBuffer, Length);
  return TagValueCheck(ptGameData, ptGameTags, TagId, acValue, Length);
}

namespace {

// A "#", a note or a repeated tag: checked on the value it inherits, or on its own copy.
[[gnu::noinline]] PbnErrDef CheckOnCopy(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags,
                                        PbnTagIdDef TagId, const char* pcValue, size_t Length,
                                        bool bInherited) {
  const bool bNote = TagId == PBN_TAG_ID_NOTE;
  if (bInherited) {
    bUsePrevTag = PBN_TRUE;
    CopyText(acValueBuffer, atPrevTagValue[TagId].acValue.data());
  } else {
    if (!bNote) CopyInBlocks(atPrevTagValue[TagId].acValue.data(), pcValue, Length);
    CopyInBlocks(acValueBuffer, pcValue, Length);
  }

  long Note = 0;
  const PbnErrDef Error = TagValueCheckById(ptGameData, ptGameTags, TagId, acValueBuffer, &Note);
  if (Error != PBN_ERR_OK) {
    tAdmin.abRefusedTag[TagId] = PBN_TRUE;  // whatever the check wrote is not to be used
    return Error;
  }

  if (bNote) return GameNoteCopy(ptGameTags, Note, pcValue, Length);
  if (acValueBuffer[0] == PBN_EMPTY_VALUE_MARKER) {
    return GameTagCopy(ptGameTags, TagId, acTagValueEmpty);
  }
  return StoreTagValue(ptGameTags, TagId, pcValue, Length);
}

// The value of a known tag. Its checks are out of line, so that choosing one takes no stack frame.
PbnErrDef CheckKnownTag(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId,
                        const char* pcValue, size_t Length) {
  if (TagId < 0 || TagId >= PBN_N_TAG_IDS) return PBN_ERR_BAD_TAG_NAME;
  bUsePrevTag = PBN_FALSE;
  const bool bNote = TagId == PBN_TAG_ID_NOTE;
  const bool bInherited = !bNote && Length == 1 && pcValue[0] == acTagValueIdent[0];
  if (!bNote && !bInherited && !TagIdExist(ptGameTags, TagId)) {
    return CheckInSlot(ptGameData, ptGameTags, TagId, pcValue, Length);
  }
  return CheckOnCopy(ptGameData, ptGameTags, TagId, pcValue, Length, bInherited);
}

// The 2.1 reading: an unknown tag is kept as an extra tag, a repeated tag compared with the value
// stored, and "##value" is the value for this game and every later one that lacks the tag.
[[gnu::noinline]] PbnErrDef CheckTag21(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags,
                                       PbnTagIdDef TagId, const char* pcValue, size_t Length) {
  if (TagId == PBN_N_TAG_IDS || bRepeatedTag) {
    CopyInBlocks(acValueBuffer, pcValue, Length);
    if (TagId == PBN_N_TAG_IDS) return PbnExtraTagPut(ptGameTags, acExtraTagName, acValueBuffer);
    return RepeatedTagCheck(ptGameTags, TagId, acValueBuffer);
  }
  if (Length >= 2 && pcValue[0] == '#' && pcValue[1] == '#') {
    if (TagValueIsOwnData(TagId)) return PBN_ERR_BAD_INHERITANCE;
    pcValue += 2;
    Length -= 2;
    tAdmin.abStickyTag[TagId] = PBN_TRUE;
  }
  return CheckKnownTag(ptGameData, ptGameTags, TagId, pcValue, Length);
}

}  // namespace

PbnErrDef TagValueCheck(PbnGameDataDef* ptGameData, PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId,
                        const char* pcValue, size_t Length) {
  if (PbnReading21()) return CheckTag21(ptGameData, ptGameTags, TagId, pcValue, Length);
  return CheckKnownTag(ptGameData, ptGameTags, TagId, pcValue, Length);
}

PbnErrDef GameTagCopy(PbnGameTagsDef* ptGameTags, PbnTagIdDef TagId, const char* pcBuffer) {
  return StoreTagValue(ptGameTags, TagId, pcBuffer, ValueLength(pcBuffer));
}

PbnErrDef GameNoteCopy(PbnGameTagsDef* ptGameTags, long Note, const char* pcValue, size_t Length) {
  if (Note < 1 || Note > PBN_N_NOTES) return PBN_ERR_BAD_NOTE;
  if (tAdmin.Section != PBN_SECTION_AUCTION && tAdmin.Section != PBN_SECTION_PLAY) {
    return PBN_ERR_BAD_SECTION;
  }
  PbnMoveNoteDef* ptNote = &PbnNoteUsed(ptGameTags, tAdmin.Section == PBN_SECTION_PLAY, Note);
  if (ptNote->tTagValue.acValue[0] != '\0') return PBN_ERR_TAG_EXISTS;
  const auto* pcColon = static_cast<const char*>(std::memchr(pcValue, ':', Length));
  const size_t Text = pcColon != nullptr ? static_cast<size_t>(pcColon + 1 - pcValue) : Length;
  CopyInBlocks(ptNote->tTagValue.acValue.data(), pcValue + Text, Length - Text);
  return PBN_ERR_OK;
}

void PbnImportTags(const PbnGameTagsDef* ptGameTags) {
  if (ptGameTags != nullptr) {
    atPrevTagValue = ptGameTags->atTagValue;
  } else {
    for (PbnTagValueDef& tValue : atPrevTagValue)
      tValue.acValue[0] = '\0';
  }
}

PbnBoolDef PbnImportRefusedTag(int TagId) {
  return tAdmin.abRefusedTag[TagId];
}

const char* PbnImportInheritedValue(int TagId) {
  return atPrevTagValue[TagId].acValue.data();
}

void PbnImportInheritedSave(PbnTagValuesDef* patValues) {
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++)
    CopyText((*patValues)[TagId].acValue.data(), atPrevTagValue[TagId].acValue.data());
}

void PbnImportInheritedRestore(const PbnTagValuesDef& atValues) {
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++)
    CopyText(atPrevTagValue[TagId].acValue.data(), atValues[TagId].acValue.data());
}

}  // namespace pbn
