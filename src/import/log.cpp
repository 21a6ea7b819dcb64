// The import log: lines written while a file is indexed.
#include <cstdio>

#include "import/import.h"

namespace pbn {

int PbnVerbose = 0;

namespace {
PbnLogSinkDef tLogSink;
}

void PbnImportLog(const PbnLogSinkDef& tSink) {
  tLogSink = tSink;
}

void PbnImportFile(std::FILE* pFile) {
  PbnImportLog({pFile, nullptr});
}

void ImportPrintf(const char* pString) {
  if (tLogSink.pFile != nullptr) std::fprintf(tLogSink.pFile, "%s\n", pString);
  if (tLogSink.pMemory != nullptr) tLogSink.pMemory->append(pString).push_back('\n');
}

void ImportPrintf2(const char* pString, long Value) {
  if (tLogSink.pFile == nullptr && tLogSink.pMemory == nullptr) return;
  char acBuffer[81];
  std::snprintf(acBuffer, sizeof acBuffer, pString, static_cast<int>(Value));
  ImportPrintf(acBuffer);
}

}  // namespace pbn
