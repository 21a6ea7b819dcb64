// The state of an index pass between two runs of its games (import.h).
#include <cstring>

#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {

namespace {

PbnGameTagsDef tInheritedTags;  // the record handed back, through the importer's own entry point

}  // namespace

PbnImportPassStateDef PbnImportPassSuspend() {
  PbnImportPassStateDef tState;
  tState.LineNr = FileLineNr;
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    const char* pcValue = PbnImportInheritedValue(TagId);
    std::array<char, PBN_VALUE_SIZE>& acValue = tState.atInherited[TagId].acValue;
    std::strncpy(acValue.data(), pcValue, acValue.size() - 1);
    acValue.back() = '\0';
  }
  tState.tSink = PbnImportLogSink();
  PbnImportLog({});
  return tState;
}

void PbnImportPassResume(const PbnImportPassStateDef& tState) {
  FileLineNr = tState.LineNr;
  tInheritedTags.atTagValue = tState.atInherited;
  PbnImportTags(&tInheritedTags);
  PbnImportLog(tState.tSink);
}

}  // namespace pbn
