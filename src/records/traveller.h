// The traveller of a board of a session as hand records print it: the scoring layer's columns
// and cells, with suit symbols, the columns that no result fills left out.
#pragma once

#include "records/board.h"
#include "scoring/session.h"

namespace records {

// The traveller of tBoard; ptOwn is the result of the game whose diagram it goes with, when the
// hand records print one diagram a table (its row is marked), or null.
TravellerDef TravellerOf(const scoring::SessionDef& tSession, const scoring::BoardDef& tBoard,
                         const scoring::ResultDef* ptOwn = nullptr);

}  // namespace records
