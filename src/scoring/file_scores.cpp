#include "scoring/file_scores.h"

#include <strings.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/pbn_util.h"

namespace scoring {

using namespace pbn;

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool SameText(std::string_view Text, std::string_view Word) {
  return Text.size() == Word.size() && strncasecmp(Text.data(), Word.data(), Text.size()) == 0;
}

std::vector<std::string_view> Words(std::string_view Text) {
  std::vector<std::string_view> aWords;
  while (!Text.empty()) {
    while (!Text.empty() && IsBlank(Text.front()))
      Text.remove_prefix(1);
    size_t End = 0;
    while (End < Text.size() && !IsBlank(Text[End]))
      End++;
    if (End > 0) aWords.push_back(Text.substr(0, End));
    Text.remove_prefix(End);
  }
  return aWords;
}

}  // namespace

bool FileNumberDef::Agrees(double Computed) const {
  return std::fabs(Computed - Value) <= Tolerance;
}

std::optional<FileNumberDef> ParseFileNumber(std::string_view Text) {
  Text = TrimBlanks(Text);
  size_t i = 0;
  const bool bNegative = !Text.empty() && Text[0] == '-';
  if (!Text.empty() && (Text[0] == '-' || Text[0] == '+')) i++;
  double Value = 0;
  int NrDigits = 0;
  for (; i < Text.size() && IsDigit(Text[i]) && NrDigits < 9; i++, NrDigits++)
    Value = Value * 10 + (Text[i] - '0');
  double Unit = 1;
  if (i < Text.size() && Text[i] == '.') {
    for (i++; i < Text.size() && IsDigit(Text[i]) && Unit > 1e-6; i++, NrDigits++) {
      Unit /= 10;
      Value += (Text[i] - '0') * Unit;
    }
  }
  if (NrDigits == 0 || i != Text.size()) return std::nullopt;
  return FileNumberDef{bNegative ? -Value : Value, Unit / 2 + 1e-9};
}

SideValuesDef ParseSideValues(std::string_view Text) {
  SideValuesDef tValues;
  const std::vector<std::string_view> aWords = Words(Text);
  for (size_t i = 0; i + 1 < aWords.size(); i += 2) {
    const bool bNS = SameText(aWords[i], "NS");
    if (!bNS && !SameText(aWords[i], "EW")) break;
    if (aWords[i + 1] == "?") tValues.bUnknown = true;
    (bNS ? tValues.NS : tValues.EW) = ParseFileNumber(aWords[i + 1]);
  }
  return tValues;
}

std::optional<int> ParseScoreTag(std::string_view Text, std::optional<bool> DeclarerNS) {
  const SideValuesDef tValues = ParseSideValues(Text);
  const auto Whole = [](double Value) { return static_cast<int>(std::lround(Value)); };
  if (tValues.NS) return Whole(tValues.NS->Value);
  if (tValues.EW) return -Whole(tValues.EW->Value);
  const std::optional<FileNumberDef> Number = ParseFileNumber(Text);
  if (!Number) return std::nullopt;
  if (Number->Value == 0) return 0;
  if (!DeclarerNS) return std::nullopt;
  return *DeclarerNS ? Whole(Number->Value) : -Whole(Number->Value);
}

CellKindDef CellKind(std::string_view Text) {
  Text = TrimBlanks(Text);
  if (Text.empty() || Text == "-") return CellKindDef::NotApplicable;
  if (Text == "?") return CellKindDef::Unknown;
  if (ParseFileNumber(Text)) return CellKindDef::Number;
  if (SameText(Text, "Bye")) return CellKindDef::Bye;
  if (Text.back() == '%' || SameText(Text, "ADJ") || SameText(Text, "AVE") ||
      SameText(Text, "AVG")) {
    return CellKindDef::Adjusted;
  }
  const bool bAdjustedMark = (Text[0] == 'A' || Text[0] == 'a') && Text.size() <= 4 &&
                             Text.find_first_not_of("0123456789+-=", 1) == Text.npos;
  return bAdjustedMark ? CellKindDef::Adjusted : CellKindDef::Other;
}

bool ParseContractCell(std::string_view Text, PbnContractDef* ptContract) {
  Text = TrimBlanks(Text);
  if (SameText(Text, "Pass") || SameText(Text, "P") || SameText(Text, "AP")) {
    ptContract->NrTricks = 0;
    ptContract->Trump = PBN_TRUMP_PASS;
    ptContract->Risk = PBN_RISK_NONE;
    return true;
  }
  if (Text.size() < 2 || Text[0] < '1' || Text[0] > '7') return false;
  std::string_view Rest = Text.substr(1);
  PbnTrumpDef Trump;
  PbnSuitDef Suit;
  if (Rest.size() >= 2 && SameText(Rest.substr(0, 2), "NT")) {
    Trump = PBN_TRUMP_NT;
    Rest.remove_prefix(2);
  } else if (Rest[0] == 'N' || Rest[0] == 'n') {
    Trump = PBN_TRUMP_NT;
    Rest.remove_prefix(1);
  } else if (CharSuitCheck(Rest[0], &Suit) == PBN_ERR_OK) {
    Trump = Suit;
    Rest.remove_prefix(1);
  } else {
    return false;
  }
  PbnRiskDef Risk;
  if (Rest.empty()) {
    Risk = PBN_RISK_NONE;
  } else if (SameText(Rest, "X")) {
    Risk = PBN_RISK_DOUBLED;
  } else if (SameText(Rest, "XX")) {
    Risk = PBN_RISK_REDOUBLED;
  } else {
    return false;
  }
  ptContract->NrTricks = static_cast<PbnNrTricksDef>(Text[0] - '0');
  ptContract->Trump = Trump;
  ptContract->Risk = Risk;
  return true;
}

}  // namespace scoring
