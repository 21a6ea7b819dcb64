#include "core/defs.h"

namespace pbn {

const char acPbnRankNames[17] = "23456789TJQKA-x?";
const char* const apcPbnSideNames[5] = {"South", "West", "North", "East", "?"};
const char* const apcPbnSuitNames[5] = {"Clubs", "Diamonds", "Hearts", "Spades", nullptr};
const char* const apcPbnTrumpNames[6] = {"C", "D", "H", "S", "NT", nullptr};
const char* const apcPbnRiskNames[4] = {"", "X", "XX", "?"};
const char* const apcPbnVulnerNames[6] = {"None", "NS", "EW", "All", "", "?"};
const char* const apcPbnSuffixNames[7] = {"", "!", "?", "!!", "??", "!?", "?!"};
const char acPbnPass[5] = "Pass";
const char acPbnMoveEnd[] = "*";

const char* const PbnErrors[PBN_N_ERRORS] = {
    "I: No error",         "E: General error",      "E: Bad call",         "E: Bad card",
    "E: Bad character",    "E: Bad deal",           "E: Bad declarer",     "E: Bad illegal",
    "E: Bad inheritance",  "E: Bad lead",           "E: Bad nag",          "E: Bad note",
    "E: Bad number",       "E: Bad rank",           "E: Bad result",       "E: Bad revoke",
    "E: Bad risk",         "E: Bad section",        "E: Bad side",         "E: Bad suffix",
    "E: Bad suit",         "W: Bad tag name",       "E: Bad tag value",    "E: Bad trump",
    "E: Double illegal",   "W: Double nag",         "E: Double note",      "E: Double suffix",
    "F: File error",       "E: Line too long",      "E: No contract",      "E: No deal",
    "E: No dealer",        "E: No declarer",        "W: No note for =%d=", "E: No scoring",
    "I: No tag",           "E: No tag value",       "F: No resources",     "E: Revoke",
    "E: Sufficient",       "W: Tag exists already", "E: Unknown lead",     "W: Unknown tag value",
    "W: Unused note [%d]", "E: Bad section data",   "E: Bad table",
};

}  // namespace pbn
