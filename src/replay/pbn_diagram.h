// A deal as plain text for the clipboard: board, dealer and vulnerability on a heading line, then
// the four hands in compass layout (North on top, West left, East right, South below), a suit a
// line with its letter, the ranks from the ace down and "-" for a void.
#pragma once

#include <string>

#include "core/pbn.h"

namespace pbn {

// pcBoard: the Board tag's value ("" when none); the dealer and vulnerability as the game has
// them (a value not given is left out of the heading).
std::string PbnDealDiagram(const char* pcBoard, const PbnSituationDef& tSituation,
                           const PbnDealDef& tDeal);

}  // namespace pbn
