// The double-dummy analysis of a game as JSON, shared by show --dd and dd --json.
#pragma once

#include <nlohmann/json.hpp>

#include "analysis/dd.h"
#include "core/pbn.h"

namespace cli {

analysis::DealInputDef DealInput(const pbn::PbnGameDataDef& tData);

// {"tricks": {"N": {"NT": n, "S": n, ...}, ...}, "par": {"score": ..., "contracts": [...]}},
// or {"error": "..."}; a par that cannot be known is {"error": "..."} in its place.
nlohmann::ordered_json DoubleDummyValue(const analysis::DealAnalysisDef& tAnalysis);

}  // namespace cli
