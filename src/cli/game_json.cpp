#include "cli/game_json.h"

#include "cli/cli.h"
#include "core/defs.h"

namespace cli {

using Json = nlohmann::ordered_json;
using namespace pbn;

// Side codes 0..3 are South, West, North, East.
const char* SideLetter(PbnSideDef Side) {
  static constexpr const char* apcLetters[4] = {"S", "W", "N", "E"};
  return apcLetters[Side & 3];
}

Json SideValue(PbnSideDef Side) {
  if (PbnSideIsValid(Side)) return SideLetter(Side);
  if (Side == PBN_SIDE_EMPTY) return "";
  if (Side == PBN_SIDE_NOT_GIVEN) return nullptr;
  return "?";
}

Json VulnerableValue(PbnVulnerDef Vulner) {
  if (Vulner == PBN_VULNER_NOT_GIVEN || Vulner > PBN_VULNER_UNKNOWN) return nullptr;
  return apcPbnVulnerNames[Vulner];
}

Json TagsValue(const PbnGameTagsDef& tTags) {
  Json Tags = Json::object();
  for (int TagId = 0; TagId < PBN_N_TAG_IDS; TagId++) {
    if (TagValue(tTags, TagId)[0] != '\0') Tags[aPbnTagNames[TagId]] = TagText(tTags, TagId);
  }
  return Tags;
}

Json DealValue(const PbnDealDef& tDeal) {
  Json Deal = Json::object();
  for (PbnSideDef Side : {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST}) {
    Deal[SideLetter(Side)] = HandText(tDeal.tHands[Side]);
  }
  return Deal;
}

Json ContractValue(const PbnContractDef& tContract) {
  Json Strain = nullptr;
  if (PbnTrumpIsValid(tContract.Trump)) Strain = apcPbnTrumpNames[tContract.Trump];
  if (tContract.Trump == PBN_TRUMP_PASS) Strain = std::string(acPbnPass);
  return Json{{"level", tContract.NrTricks},
              {"strain", Strain},
              {"risk", apcPbnRiskNames[tContract.Risk & 3]},
              {"declarer", SideValue(tContract.Declarer)},
              {"irregular_declarer", tContract.bIrregularDeclarer}};
}

Json ResultValue(PbnResultDef Result) {
  const int Tricks = Result & ~PBN_RESULT_IRREGULAR;
  const bool bEmpty = Tricks == PBN_RESULT_EMPTY;
  return Json{{"tricks", Tricks <= 13 ? Json(Tricks) : Json(nullptr)},
              {"irregular", (Result & PBN_RESULT_IRREGULAR) != 0},
              {"empty", bEmpty}};
}

}  // namespace cli
