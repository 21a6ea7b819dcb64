// A traveller as text: the columns of each method and the cells of a result, and the texts of
// its values. One set for the command line, the viewer's Same board panel and hand records.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scoring/session.h"

namespace scoring {

// Up to two decimals, without trailing zeros: "12", "19.9", "4.83", "-0.25"; "" for none.
std::string FigureText(double Value);
std::string FigureText(const std::optional<double>& Value);

// "4SX", "3NT", "Pass"; "" without a contract.
std::string ContractText(const ResultDef& tResult);
// "N", "E", "S", "W"; "" when not known or passed out.
std::string DeclarerText(const ResultDef& tResult);
// Why a result has no score: "no contract", "adjusted A60", ...; "" for a scored result.
std::string UnscoredText(const ResultDef& tResult);

// The file's values that disagree with the computed ones, by the names of the output fields
// ("pct_ns", "imps_ew", "datum", ...), and the same as one text "pct_ns=83.33;datum=-50".
std::vector<std::pair<std::string, double>> FileDifferences(const ResultDef& tResult);
std::string FileDifferencesText(const ResultDef& tResult);

struct TravellerColumnDef {
  const char* pcHeader;
  bool bRight;  // numbers are right-aligned
};
// Table, room, round, the pairs, contract, declarer, tricks, lead and score, then the method's
// figures, then the file's values that disagree.
std::vector<TravellerColumnDef> TravellerColumns(MethodDef Method);
std::vector<std::string> TravellerCells(const ResultDef& tResult, MethodDef Method);

// The ranking of one field (a section, or its North-South or East-West pairs) as a table: its
// title ("Ranking  Club Pairs  Section A  NS  (mp)"), columns (rank, pair or team, boards, then
// the total with the percentage, the IMPs lost of a team, or the total at the mean) and cells.
std::string RankingTitle(const SessionDef& tSession, const RankRowDef& tRow);
std::vector<TravellerColumnDef> RankingColumns(const SectionDef& tSection);
std::vector<std::string> RankingCells(const SectionDef& tSection, const RankRowDef& tRow);

}  // namespace scoring
