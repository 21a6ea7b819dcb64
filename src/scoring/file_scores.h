// The scores a file writes itself, as text: the Score, ScoreIMP, ScoreMP and ScorePercentage
// tags ("NS 620", "NS 4 EW -4", "EW 2.5") and the cells of a ScoreTable ("50", "1N", "2CX", "-",
// "?", "A60", "Bye").
#pragma once

#include <optional>
#include <string_view>

#include "core/pbn.h"

namespace scoring {

// A number as the file writes it ("12", "-2.5", "58.33") and half a unit of its last place: a
// computed value within that of it agrees with it.
struct FileNumberDef {
  double Value;
  double Tolerance;
  bool Agrees(double Computed) const;
};
std::optional<FileNumberDef> ParseFileNumber(std::string_view Text);

// The values a side-score tag gives for North-South and for East-West: "NS 4 EW -4", "NS 12",
// "EW 2.5". bUnknown when a value is "?".
struct SideValuesDef {
  std::optional<FileNumberDef> NS;
  std::optional<FileNumberDef> EW;
  bool bUnknown = false;
};
SideValuesDef ParseSideValues(std::string_view Text);

// North-South's score of a Score tag: "NS 620", "EW 100", "NS 620 EW -620", or a number without
// a side word ("+620", "-100", "0"), which is the declaring side's (DeclarerNS says which side
// that is; nothing when not known).
std::optional<int> ParseScoreTag(std::string_view Text, std::optional<bool> DeclarerNS);

// What a cell of a ScoreTable, or a Score tag, holds.
enum class CellKindDef : pbn::UInt8 {
  Number,
  NotApplicable,  // "-", or empty
  Unknown,        // "?"
  Adjusted,       // an adjusted score: "A60", "A+", "40%", "ADJ"
  Bye,            // "Bye": a pair sitting out, no result
  Other,
};
CellKindDef CellKind(std::string_view Text);

// A contract as a ScoreTable writes it: "4S", "3NT", "1N", "2CX", "6HXX", "Pass" (also "P",
// "AP"), in either case; the declarer is left as it was. False for anything else.
bool ParseContractCell(std::string_view Text, pbn::PbnContractDef* ptContract);

}  // namespace scoring
