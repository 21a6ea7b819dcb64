// Bookkeeping of the game being imported and the state stack of the import machine.
#include <cstring>

#include "import/admin.h"
#include "import/import.h"

namespace pbn {

PbnTagAdminDef tAdmin;
std::array<PbnStateDef, PBN_STATE_STACK_SIZE> States;
int StateIndex = 0;

PbnBoolDef bUsePrevTag = PBN_FALSE;
char acValueBuffer[PBN_VALUE_SIZE];
const char acTagValueIdent[] = "#";
const char acTagValueUnknown[] = "?";
const char acTagValueEmpty[] = {PBN_EMPTY_VALUE_MARKER, '\0'};

void AdminInit() {
  std::memset(static_cast<void*>(&tAdmin), 0, sizeof tAdmin);
  tAdmin.NrCalls = -1;
  tAdmin.NrTricks = -1;
  tAdmin.NrPlayed = 3;
  tAdmin.Leader = PBN_SIDE_NONE;
}

const std::array<PbnBoolDef, PBN_N_SIDES>& PbnImportHiddenSides() {
  return tAdmin.abHiddenSide;
}

PbnSideDef PbnImportPlaySide() {
  return tAdmin.TagPlaySide;
}

void PbnStateInit() {
  StateIndex = 0;
  States[0] = PBN_STATE_IDLE;
  tAdmin.Section = PBN_SECTION_IDENT;
}

}  // namespace pbn
