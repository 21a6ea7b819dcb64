// The import log: lines written while a file is indexed.
#include <cstdio>

#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {

int PbnVerbose = 0;

namespace {

PbnLogSinkDef tLogSink;

void WriteLine(const char* pString) {
  const bool bNumbered = tLogSink.bLineNumbers;
  if (tLogSink.pFile != nullptr) {
    if (bNumbered) std::fprintf(tLogSink.pFile, "%lu: ", static_cast<unsigned long>(FileLineNr));
    std::fprintf(tLogSink.pFile, "%s\n", pString);
  }
  if (tLogSink.pMemory != nullptr) {
    if (bNumbered) tLogSink.pMemory->append(std::to_string(FileLineNr)).append(": ");
    tLogSink.pMemory->append(pString).push_back('\n');
  }
}

}  // namespace

void PbnImportLog(const PbnLogSinkDef& tSink) {
  tLogSink = tSink;
}

const PbnLogSinkDef& PbnImportLogSink() {
  return tLogSink;
}

void PbnImportFile(std::FILE* pFile) {
  PbnImportLog({pFile, nullptr});
}

void ImportPrintf(const char* pString) {
  WriteLine(pString);
  if (tLogSink.ptEntries != nullptr) tLogSink.ptEntries->push_back({FileLineNr, "", "", pString});
}

void ImportPrintLine(const char* pcLine, const char* pcMarks, const char* pcMessage) {
  WriteLine(pcLine);
  if (pcMarks == nullptr || pcMessage == nullptr) return;  // an echo of a line without error
  WriteLine(pcMarks);
  WriteLine(pcMessage);
  if (tLogSink.ptEntries != nullptr) {
    tLogSink.ptEntries->push_back({FileLineNr, pcLine, pcMarks, pcMessage});
  }
}

void ImportPrintf2(const char* pString, long Value) {
  if (tLogSink.pFile == nullptr && tLogSink.pMemory == nullptr && tLogSink.ptEntries == nullptr) {
    return;
  }
  char acBuffer[81];
  std::snprintf(acBuffer, sizeof acBuffer, pString, static_cast<int>(Value));
  ImportPrintf(acBuffer);
}

}  // namespace pbn
