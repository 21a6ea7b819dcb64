// The tables of a PBN 2.1 game (OptimumResultTable, ScoreTable, ...): the columns that the tag
// value lists and the elements of the section data after it, as text. The store takes no memory
// until a game has a table, so a PBN 1.0 game costs a few empty fields.
#pragma once

#include <array>

#include "core/pbn.h"
#include "core/pbn_util.h"

namespace pbn {

inline constexpr int PBN_TABLE_MAX_COLUMNS = 32;
inline constexpr int PBN_TABLE_NAME_SIZE = 32;  // a column name of at most 31 characters

enum PbnTableOrderDef : UInt8 {
  PBN_TABLE_ORDER_NONE,
  PBN_TABLE_ORDER_ASCENDING,   // "-" before the name
  PBN_TABLE_ORDER_DESCENDING,  // "+" before the name
};

enum PbnTableAlignDef : UInt8 {
  PBN_TABLE_ALIGN_NONE,
  PBN_TABLE_ALIGN_LEFT,
  PBN_TABLE_ALIGN_RIGHT,
};

struct PbnTableColumnDef {
  std::array<char, PBN_TABLE_NAME_SIZE> acName;
  PbnTableOrderDef Order;
  UInt8 Width;  // the minimum width; 0 when not given
  PbnTableAlignDef Align;
};

struct PbnTableDef {
  Int32 TagId;
  Int32 NrColumns;
  std::array<PbnTableColumnDef, PBN_TABLE_MAX_COLUMNS> atColumns;
  UInt32 FirstElement;  // index of its first element in the store's element list
  UInt32 NrElements;
};

struct PbnTableStoreDef {
  DynamicDataDef tTablesDD;    // PbnTableDef, in the order of the file
  DynamicDataDef tElementsDD;  // UInt32: offset of each element's text in tTextDD
  DynamicDataDef tTextDD;      // the element texts, each NUL-terminated
};

// Parses a column list "col;col;...", each column "[+|-]name[\width[L|R]]". PBN_ERR_BAD_TABLE
// for anything else, an empty list, or more columns than a table holds.
PbnErrDef PbnTableColumnsParse(const char* pcValue, PbnTableDef* ptTable);

// Opens a table with the columns of ptTable; the elements that follow belong to it.
PbnErrDef PbnTableOpen(PbnTableStoreDef* ptStore, const PbnTableDef& tTable);
// Appends an element to the table opened last.
PbnErrDef PbnTableAddElement(PbnTableStoreDef* ptStore, const char* pcText);
// PBN_ERR_BAD_TABLE when a table's elements do not fill whole rows.
PbnErrDef PbnTablesCheck(const PbnTableStoreDef& tStore);
// Empties the store for the next game; the blocks stay.
void PbnTableStoreClear(PbnTableStoreDef* ptStore);
void PbnTableStoreTerm(PbnTableStoreDef* ptStore);

inline UInt32 PbnTableCount(const PbnTableStoreDef& tStore) {
  return tStore.tTablesDD.ptData != nullptr ? tStore.tTablesDD.CurData : 0;
}
inline const PbnTableDef& PbnTableAt(const PbnTableStoreDef& tStore, UInt32 Table) {
  return *DynamicDataAt<PbnTableDef>(tStore.tTablesDD, Table);
}
// Element Index (row-major) of a table.
const char* PbnTableElement(const PbnTableStoreDef& tStore, const PbnTableDef& tTable,
                            UInt32 Index);

// The column of a table with that name, or -1.
int PbnTableColumn(const PbnTableDef& tTable, const char* pcName);
// The side and strain of an OptimumResultTable row ("N", "NT", either case); false for others.
bool PbnOptimumResultRow(const char* pcDeclarer, const char* pcStrain, PbnSideDef* pSide,
                         PbnTrumpDef* pTrump);

// Cell(side, strain, result text) for each row of an OptimumResultTable (columns Declarer,
// Denomination, Result) whose declarer and strain are known; false when a column is missing.
template <typename CellFn>
bool PbnOptimumResultCells(const PbnTableStoreDef& tStore, const PbnTableDef& tTable, CellFn Cell) {
  const int DeclarerColumn = PbnTableColumn(tTable, "Declarer");
  const int StrainColumn = PbnTableColumn(tTable, "Denomination");
  const int ResultColumn = PbnTableColumn(tTable, "Result");
  if (DeclarerColumn < 0 || StrainColumn < 0 || ResultColumn < 0) return false;
  const auto NrColumns = static_cast<UInt32>(tTable.NrColumns);
  for (UInt32 First = 0; First + NrColumns <= tTable.NrElements; First += NrColumns) {
    PbnSideDef Side;
    PbnTrumpDef Trump;
    if (PbnOptimumResultRow(PbnTableElement(tStore, tTable, First + DeclarerColumn),
                            PbnTableElement(tStore, tTable, First + StrainColumn), &Side, &Trump)) {
      Cell(Side, Trump, PbnTableElement(tStore, tTable, First + ResultColumn));
    }
  }
  return true;
}

}  // namespace pbn
