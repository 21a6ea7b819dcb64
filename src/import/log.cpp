// The import log: lines written while a file is indexed.
#include <cstdio>

#include "import/import.h"

namespace pbn {

int PbnVerbose = 0;

namespace {
std::FILE* pOutputFile = nullptr;
}

void PbnImportFile(std::FILE* pFile) {
  pOutputFile = pFile;
}

void ImportPrintf(const char* pString) {
  if (pOutputFile != nullptr) std::fprintf(pOutputFile, "%s\n", pString);
}

void ImportPrintf2(const char* pString, long Value) {
  if (pOutputFile == nullptr) return;
  char acBuffer[81];
  std::snprintf(acBuffer, sizeof acBuffer, pString, static_cast<int>(Value));
  ImportPrintf(acBuffer);
}

}  // namespace pbn
