// The state of an index pass between two runs of its games (import.h).
#include "import/import.h"
#include "import/import_internal.h"

namespace pbn {

void PbnImportPassSuspend(PbnImportPassStateDef* ptState) {
  ptState->LineNr = FileLineNr;
  PbnImportInheritedSave(&ptState->atInherited);
  ptState->tSink = PbnImportLogSink();
  PbnImportLog({});
}

void PbnImportPassResume(const PbnImportPassStateDef& tState) {
  FileLineNr = tState.LineNr;
  PbnImportInheritedRestore(tState.atInherited);
  PbnImportLog(tState.tSink);
}

}  // namespace pbn
