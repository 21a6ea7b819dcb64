#include "core/pbn_util.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/defs.h"

namespace pbn {

void PbnRanksGetChars(PbnRankDef Ranks, char* acRanks) {
  // Bits 14 and 15 are outside the precondition and are dropped.
  int Length = 0;
  for (int Index = 12; Index >= 0; Index--) {  // ace down to two, then the "x" of bit 0
    if (Ranks & (PBN_RANK_2 << Index)) acRanks[Length++] = acPbnRankNames[Index];
  }
  if (Ranks & PBN_RANK_X) acRanks[Length++] = acPbnRankNames[14];
  acRanks[Length] = '\0';
}

PbnBoolDef DynamicDataInit(DynamicDataDef* ptDynamicData, UInt32 IncData, UInt32 DataSize) {
  ptDynamicData->IncData = IncData;
  ptDynamicData->DataSize = DataSize;
  ptDynamicData->ptData = std::calloc(IncData, DataSize);
  if (ptDynamicData->ptData == nullptr) return PBN_FALSE;
  ptDynamicData->CurData = 0;
  ptDynamicData->MaxData = IncData;
  return PBN_TRUE;
}

PbnBoolDef DynamicDataExtend(DynamicDataDef* ptDynamicData) {
  const size_t OldMax = ptDynamicData->MaxData;
  const size_t NewMax = OldMax + std::max<size_t>(ptDynamicData->IncData, OldMax / 2);
  if (NewMax > UINT32_MAX) return PBN_FALSE;
  void* ptNew = std::realloc(ptDynamicData->ptData, NewMax * ptDynamicData->DataSize);
  if (ptNew == nullptr) return PBN_FALSE;
  std::memset(static_cast<char*>(ptNew) + OldMax * ptDynamicData->DataSize, 0,
              (NewMax - OldMax) * ptDynamicData->DataSize);
  ptDynamicData->ptData = ptNew;
  ptDynamicData->MaxData = static_cast<UInt32>(NewMax);
  return PBN_TRUE;
}

PbnBoolDef DynamicDataCheck(DynamicDataDef* ptDynamicData) {
  if (ptDynamicData->CurData != ptDynamicData->MaxData) return PBN_TRUE;
  return DynamicDataExtend(ptDynamicData);
}

void DynamicDataTerm(DynamicDataDef* ptDynamicData) {
  std::free(ptDynamicData->ptData);
  ptDynamicData->ptData = nullptr;
}

}  // namespace pbn
