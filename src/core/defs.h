// Fixed name tables that spell the codes of pbn.h, and the message of every error code.
#pragma once

#include "core/pbn.h"

namespace pbn {

extern const char acPbnRankNames[17];  // "23456789TJQKA-x?", indexed by PbnRankGetIndex
extern const char* const apcPbnSideNames[5];
extern const char* const apcPbnSuitNames[5];
extern const char* const apcPbnTrumpNames[6];
extern const char* const apcPbnRiskNames[4];
extern const char* const apcPbnVulnerNames[6];
extern const char* const apcPbnSuffixNames[7];
extern const char acPbnPass[5];  // "Pass"
extern const char acPbnMoveEnd[];

// Message of each PbnErrDef, severity letter first. Codes 34 and 44 are printf formats.
extern const char* const PbnErrors[PBN_N_ERRORS];

}  // namespace pbn
