// The double-dummy analysis of a game as JSON and text, shared by show --dd, dd and list --dd.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "analysis/dd.h"
#include "core/pbn.h"

namespace cli {

analysis::DealInputDef DealInput(const pbn::PbnGameDataDef& tData);

// {"tricks": {"N": {"NT": n, "S": n, ...}, ...}, "par": {"score": ..., "contracts": [...]}},
// or {"error": "..."}; a par that cannot be known is {"error": "..."} in its place.
nlohmann::ordered_json DoubleDummyValue(const analysis::DealAnalysisDef& tAnalysis);

// The table as PBN's DoubleDummyTricks writes it: 20 hex digits, declarers N, S, E, W, each by
// NT, S, H, D, C.
std::string TricksText(const analysis::DdTableDef& aaTricks);

// "NS 420: 4S by NS", "0" (the par's error is not said).
std::string ParText(const analysis::ParDef& tPar);

}  // namespace cli
