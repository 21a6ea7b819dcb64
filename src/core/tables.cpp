#include "core/tables.h"

#include <strings.h>

#include <cstring>

namespace pbn {

namespace {

constexpr UInt32 kTableStep = 4;
constexpr UInt32 kElementStep = 64;
constexpr UInt32 kTextStep = 1024;

constexpr bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// One column "[+|-]name[\width[L|R]]" from *ppc up to ";" or the end.
PbnErrDef ColumnParse(const char** ppc, PbnTableColumnDef* ptColumn) {
  const char* pc = *ppc;
  *ptColumn = PbnTableColumnDef{};
  if (*pc == '+' || *pc == '-') {
    ptColumn->Order = *pc == '+' ? PBN_TABLE_ORDER_DESCENDING : PBN_TABLE_ORDER_ASCENDING;
    pc++;
  }
  int Length = 0;
  for (; IsNameChar(*pc); pc++) {
    if (Length == PBN_TABLE_NAME_SIZE - 1) return PBN_ERR_BAD_TABLE;
    ptColumn->acName[Length++] = *pc;
  }
  if (Length == 0) return PBN_ERR_BAD_TABLE;
  if (*pc == '\\') {
    pc++;
    if (*pc < '0' || *pc > '9') return PBN_ERR_BAD_TABLE;
    int Width = 0;
    for (; *pc >= '0' && *pc <= '9'; pc++) {
      Width = Width * 10 + (*pc - '0');
      if (Width > 255) return PBN_ERR_BAD_TABLE;
    }
    ptColumn->Width = static_cast<UInt8>(Width);
    if (*pc == 'L' || *pc == 'R') {
      ptColumn->Align = *pc == 'L' ? PBN_TABLE_ALIGN_LEFT : PBN_TABLE_ALIGN_RIGHT;
      pc++;
    }
  }
  *ppc = pc;
  return *pc == ';' || *pc == '\0' ? PBN_ERR_OK : PBN_ERR_BAD_TABLE;
}

// Room for one more element of DataSize bytes; the first use creates the block.
bool MakeRoom(DynamicDataDef* ptDD, UInt32 Step, UInt32 DataSize) {
  if (ptDD->ptData == nullptr) return DynamicDataInit(ptDD, Step, DataSize);
  return DynamicDataCheck(ptDD);
}

}  // namespace

PbnErrDef PbnTableColumnsParse(const char* pcValue, PbnTableDef* ptTable) {
  ptTable->NrColumns = 0;
  const char* pc = pcValue;
  do {
    if (ptTable->NrColumns == PBN_TABLE_MAX_COLUMNS) return PBN_ERR_BAD_TABLE;
    const PbnErrDef Error = ColumnParse(&pc, &ptTable->atColumns[ptTable->NrColumns]);
    if (Error != PBN_ERR_OK) return Error;
    ptTable->NrColumns++;
  } while (*pc++ == ';');
  return PBN_ERR_OK;
}

PbnErrDef PbnTableOpen(PbnTableStoreDef* ptStore, const PbnTableDef& tTable) {
  if (!MakeRoom(&ptStore->tTablesDD, kTableStep, sizeof(PbnTableDef))) return PBN_ERR_RESOURCES;
  PbnTableDef* ptTable = DynamicDataAt<PbnTableDef>(ptStore->tTablesDD, ptStore->tTablesDD.CurData);
  *ptTable = tTable;
  ptTable->FirstElement = ptStore->tElementsDD.ptData != nullptr ? ptStore->tElementsDD.CurData : 0;
  ptTable->NrElements = 0;
  ptStore->tTablesDD.CurData++;
  return PBN_ERR_OK;
}

PbnErrDef PbnTableAddElement(PbnTableStoreDef* ptStore, const char* pcText) {
  if (PbnTableCount(*ptStore) == 0) return PBN_ERROR;
  DynamicDataDef& tText = ptStore->tTextDD;
  const UInt32 Size = static_cast<UInt32>(std::strlen(pcText)) + 1;
  if (tText.ptData == nullptr && !DynamicDataInit(&tText, kTextStep, 1)) return PBN_ERR_RESOURCES;
  while (tText.MaxData - tText.CurData < Size) {
    if (!DynamicDataExtend(&tText)) return PBN_ERR_RESOURCES;
  }
  if (!MakeRoom(&ptStore->tElementsDD, kElementStep, sizeof(UInt32))) return PBN_ERR_RESOURCES;
  std::memcpy(DynamicDataAt<char>(tText, tText.CurData), pcText, Size);
  *DynamicDataAt<UInt32>(ptStore->tElementsDD, ptStore->tElementsDD.CurData++) = tText.CurData;
  tText.CurData += Size;
  DynamicDataAt<PbnTableDef>(ptStore->tTablesDD, ptStore->tTablesDD.CurData - 1)->NrElements++;
  return PBN_ERR_OK;
}

PbnErrDef PbnTablesCheck(const PbnTableStoreDef& tStore) {
  for (UInt32 Table = 0; Table < PbnTableCount(tStore); Table++) {
    const PbnTableDef& tTable = PbnTableAt(tStore, Table);
    if (tTable.NrElements % static_cast<UInt32>(tTable.NrColumns) != 0) return PBN_ERR_BAD_TABLE;
  }
  return PBN_ERR_OK;
}

const char* PbnTableElement(const PbnTableStoreDef& tStore, const PbnTableDef& tTable,
                            UInt32 Index) {
  const UInt32 Offset = *DynamicDataAt<UInt32>(tStore.tElementsDD, tTable.FirstElement + Index);
  return DynamicDataAt<char>(tStore.tTextDD, Offset);
}

void PbnTableStoreClear(PbnTableStoreDef* ptStore) {
  ptStore->tTablesDD.CurData = 0;
  ptStore->tElementsDD.CurData = 0;
  ptStore->tTextDD.CurData = 0;
}

void PbnTableStoreTerm(PbnTableStoreDef* ptStore) {
  DynamicDataTerm(&ptStore->tTablesDD);
  DynamicDataTerm(&ptStore->tElementsDD);
  DynamicDataTerm(&ptStore->tTextDD);
  *ptStore = PbnTableStoreDef{};
}

int PbnTableColumn(const PbnTableDef& tTable, const char* pcName) {
  for (int Column = 0; Column < tTable.NrColumns; Column++) {
    if (std::strcmp(tTable.atColumns[Column].acName.data(), pcName) == 0) return Column;
  }
  return -1;
}

bool PbnOptimumResultRow(const char* pcDeclarer, const char* pcStrain, PbnSideDef* pSide,
                         PbnTrumpDef* pTrump) {
  if (pcDeclarer[0] == '\0' || pcDeclarer[1] != '\0' ||
      CharSideCheck(pcDeclarer[0], pSide) != PBN_ERR_OK) {
    return false;
  }
  if (strcasecmp(pcStrain, "NT") == 0) {
    *pTrump = PBN_TRUMP_NT;
    return true;
  }
  PbnSuitDef Suit;
  if (pcStrain[0] == '\0' || pcStrain[1] != '\0' ||
      CharSuitCheck(pcStrain[0], &Suit) != PBN_ERR_OK) {
    return false;
  }
  *pTrump = Suit;
  return true;
}

}  // namespace pbn
