// Rank characters and the growable array of fixed-size elements.
#pragma once

#include "core/pbn.h"

namespace pbn {

// Writes the ranks of a set, ace first; acRanks must hold 15 characters.
void PbnRanksGetChars(PbnRankDef Ranks, char* acRanks);

// A growable, zero-filled array. The caller writes the elements and advances CurData.
struct DynamicDataDef {
  UInt32 MaxData;
  UInt32 CurData;
  UInt32 IncData;
  UInt32 DataSize;
  void* ptData;
};

PbnBoolDef DynamicDataInit(DynamicDataDef* ptDynamicData, UInt32 IncData, UInt32 DataSize);
PbnBoolDef DynamicDataExtend(DynamicDataDef* ptDynamicData);
PbnBoolDef DynamicDataCheck(DynamicDataDef* ptDynamicData);
void DynamicDataTerm(DynamicDataDef* ptDynamicData);

template <typename T>
T* DynamicDataAt(const DynamicDataDef& tDynamicData, UInt32 Index) {
  return static_cast<T*>(tDynamicData.ptData) + Index;
}

}  // namespace pbn
