// The JSON values of a game's fields as show prints them, shared by show and list.
#pragma once

#include <nlohmann/json.hpp>

#include "core/pbn.h"
#include "core/tags.h"

namespace cli {

// "N", "E", "S", "W".
const char* SideLetter(pbn::PbnSideDef Side);
// A side's letter; "" for an empty value, null when not given, "?" when unknown.
nlohmann::ordered_json SideValue(pbn::PbnSideDef Side);
nlohmann::ordered_json VulnerableValue(pbn::PbnVulnerDef Vulner);
// Every tag the game gives, by name.
nlohmann::ordered_json TagsValue(const pbn::PbnGameTagsDef& tTags);
// {"N": "AKQ.JT9.876.5432", "E": ..., "S": ..., "W": ...}
nlohmann::ordered_json DealValue(const pbn::PbnDealDef& tDeal);
// {"level", "strain", "risk", "declarer", "irregular_declarer"}
nlohmann::ordered_json ContractValue(const pbn::PbnContractDef& tContract);
// {"tricks", "irregular", "empty"}
nlohmann::ordered_json ResultValue(pbn::PbnResultDef Result);

}  // namespace cli
