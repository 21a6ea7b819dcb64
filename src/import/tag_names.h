// The look-up of a tag by its name: inline, since the tag pairs that the import reads whole find
// their tags where the chunk holds their names.
#pragma once

#include <array>
#include <cstring>

#include "core/tags.h"
#include "import/import.h"

namespace pbn {

namespace tag_names {

constexpr size_t TextLength(const char* pc) {
  size_t Length = 0;
  while (pc[Length] != '\0')
    Length++;
  return Length;
}

inline constexpr size_t kMinNameLength = 4;  // the shortest and longest names, checked below
inline constexpr size_t kMaxNameLength = 18;

// Every tag of every game is looked up by its name, in a table of 256 slots where no two names
// share a slot (checked below): the length and three characters of a name pick the one slot
// that can hold it, so that a look-up hashes it and compares it once.
inline constexpr unsigned kNameSlots = 256;

constexpr unsigned NameSlot(const char* pcName, size_t Length) {
  const auto First = static_cast<unsigned char>(pcName[0]);
  const auto BeforeLast = static_cast<unsigned char>(pcName[Length - 2]);
  const auto Last = static_cast<unsigned char>(pcName[Length - 1]);
  return (static_cast<unsigned>(Length) * 24 + First * 39 + BeforeLast * 2 + Last) % kNameSlots;
}

struct NameSlotDef {
  Int8 TagId;
  UInt8 Length;  // 0: free
};

inline constexpr std::array<NameSlotDef, kNameSlots> atNameSlots = [] {
  std::array<NameSlotDef, kNameSlots> atSlots{};
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    const size_t Length = TextLength(aPbnTagNames[TagId]);
    if (Length < kMinNameLength || Length > kMaxNameLength) throw "a name outside the lengths";
    NameSlotDef& tSlot = atSlots[NameSlot(aPbnTagNames[TagId], Length)];
    if (tSlot.Length != 0) throw "two names share a slot";
    tSlot = {static_cast<Int8>(TagId), static_cast<UInt8>(Length)};
  }
  return atSlots;
}();

template <typename T>
inline T LoadWord(const char* pc) {
  T Word;
  std::memcpy(&Word, pc, sizeof Word);
  return Word;
}

// Whether Length characters (kMinNameLength to kMaxNameLength) of two texts are the same,
// compared a word at a time; the last word overlaps the one before it.
inline bool SameName(const char* pc1, const char* pc2, size_t Length) {
  if (Length < 8) {
    return LoadWord<UInt32>(pc1) == LoadWord<UInt32>(pc2) &&
           LoadWord<UInt32>(pc1 + Length - 4) == LoadWord<UInt32>(pc2 + Length - 4);
  }
  for (size_t i = 0; i + 8 < Length; i += 8) {
    if (LoadWord<UInt64>(pc1 + i) != LoadWord<UInt64>(pc2 + i)) return false;
  }
  return LoadWord<UInt64>(pc1 + Length - 8) == LoadWord<UInt64>(pc2 + Length - 8);
}

}  // namespace tag_names

// The tag of the name of Length characters at acBuffer, or PBN_N_TAG_IDS and
// PBN_ERR_BAD_TAG_NAME: a tag of a later standard than the one read is as unknown as any other
// name.
inline PbnErrDef TagIdGet(const char* acBuffer, size_t Length, PbnTagIdDef* pTagId) {
  using namespace tag_names;
  if (Length >= kMinNameLength && Length <= kMaxNameLength) {
    const NameSlotDef& tSlot = atNameSlots[NameSlot(acBuffer, Length)];
    if (tSlot.Length == Length && SameName(acBuffer, aPbnTagNames[tSlot.TagId], Length)) {
      *pTagId = static_cast<PbnTagIdDef>(tSlot.TagId);
      if (atPbnTags[*pTagId].Standard <= tPbnImportOptions.Standard) return PBN_ERR_OK;
    }
  }
  *pTagId = PBN_N_TAG_IDS;
  return PBN_ERR_BAD_TAG_NAME;
}

}  // namespace pbn
