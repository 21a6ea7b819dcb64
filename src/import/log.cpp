// The import log: lines written while a file is indexed.
#include <cstdio>

#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {

int PbnVerbose = 0;

namespace {

std::FILE* pOutputFile = nullptr;
std::vector<PbnLogEntryDef>* ptLogEntries = nullptr;
PbnBoolDef bLineNumbers = PBN_FALSE;

void WriteLine(const char* pString) {
  if (pOutputFile == nullptr) return;
  if (bLineNumbers) std::fprintf(pOutputFile, "%lu: ", static_cast<unsigned long>(FileLineNr));
  std::fprintf(pOutputFile, "%s\n", pString);
}

}  // namespace

void PbnImportFile(std::FILE* pFile) {
  pOutputFile = pFile;
}

void PbnImportEntries(std::vector<PbnLogEntryDef>* ptEntries) {
  ptLogEntries = ptEntries;
}

void PbnImportLineNumbers(PbnBoolDef bOn) {
  bLineNumbers = bOn;
}

void ImportPrintf(const char* pString) {
  WriteLine(pString);
  if (ptLogEntries != nullptr) ptLogEntries->push_back({FileLineNr, "", "", pString});
}

void ImportPrintLine(const char* pcLine, const char* pcMarks, const char* pcMessage) {
  WriteLine(pcLine);
  if (pcMarks == nullptr || pcMessage == nullptr) return;  // an echo of a line without error
  WriteLine(pcMarks);
  WriteLine(pcMessage);
  if (ptLogEntries != nullptr) ptLogEntries->push_back({FileLineNr, pcLine, pcMarks, pcMessage});
}

void ImportPrintf2(const char* pString, long Value) {
  if (pOutputFile == nullptr && ptLogEntries == nullptr) return;
  char acBuffer[81];
  std::snprintf(acBuffer, sizeof acBuffer, pString, static_cast<int>(Value));
  ImportPrintf(acBuffer);
}

}  // namespace pbn
