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

PbnErrDef AdminCallInc() {
  tAdmin.NrCalls++;
  if (tAdmin.NrCalls >= PBN_MAX_CALLS) {
    tAdmin.NrCalls = PBN_MAX_CALLS - 1;
    return PBN_ERR_RESOURCES;
  }
  return PBN_ERR_OK;
}

void AdminCardInc() {
  tAdmin.NrPlayed++;
  if (tAdmin.NrPlayed >= 4) {
    tAdmin.NrPlayed = 0;
    // Trick lines beyond the thirteenth all count as trick 13, which holds no card.
    if (tAdmin.NrTricks < PBN_N_TRICKS) tAdmin.NrTricks++;
  }
  tAdmin.PlaySide = static_cast<PbnSideDef>((tAdmin.TagPlaySide + tAdmin.NrPlayed) % 4);
}

PbnBoolDef AdminIllegalLead(PbnSideDef* pIllegalSide) {
  for (PbnSideDef Side = 0; Side < PBN_N_SIDES; Side++) {
    if (tAdmin.IllegalPlay[Side] & PBN_ILLEGAL_L) {
      *pIllegalSide = Side;
      return PBN_TRUE;
    }
  }
  return PBN_FALSE;
}

void MoveClear() {
  tAdmin.IllegalMove = 0;
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
