// The ranking of a session: each pair's or team's total over its boards, per section.
#include <algorithm>
#include <cmath>
#include <map>

#include "scoring/session.h"

namespace scoring {

namespace {

constexpr double kEpsilon = 1e-9;

// A pair's total as it is being summed.
struct TallyDef {
  RankRowDef tRow;
  double TopSum = 0;
};

std::string TeamKey(UInt32 SectionNr, const std::string& Team) {
  return std::to_string(SectionNr) + std::string(2, '\0') + Team;
}

bool IsMatchpoints(const SectionDef& tSection) {
  return tSection.Method.value_or(MethodDef::Matchpoints) == MethodDef::Matchpoints;
}

// What a row is ranked by.
double RankFigure(const RankRowDef& tRow) {
  if (tRow.Percentage) return *tRow.Percentage;
  if (tRow.Against) return tRow.Total - *tRow.Against;
  return tRow.TotalMean.value_or(tRow.Total);
}

void AddPairResult(const SessionDef& tSession, UInt32 ResultNr, int Side,
                   std::map<std::string, TallyDef>* paTallies) {
  const ResultDef& tResult = tSession.Results()[ResultNr];
  const std::string& Pair = Side == 0 ? tResult.PairNS : tResult.PairEW;
  const SectionDef& tSection = tSession.Sections()[tResult.SectionNr];
  const MethodDef Method = tSession.Boards()[tResult.BoardNr].Method;
  std::optional<double> Value;
  if (Method == MethodDef::Matchpoints) {
    Value = Side == 0 ? tResult.MpNS : tResult.MpEW;
  } else if (Method == MethodDef::CrossImps) {
    Value = Side == 0 ? tResult.ImpsAvgNS : tResult.ImpsAvgEW;
  } else {
    Value = Side == 0 ? tResult.ImpsNS : tResult.ImpsEW;
  }
  if (Pair.empty() || !Value) return;
  // Matchpoints rank NS and EW apart (a Mitchell movement) unless a pair plays both directions.
  const bool bApart = IsMatchpoints(tSection) && !tSection.bOneField;
  const char* pcDirection = Side == 0 ? "NS" : "EW";
  const std::string Key =
      std::to_string(tResult.SectionNr) + '\0' + (bApart ? pcDirection : "") + '\0' + Pair;
  TallyDef& tTally = (*paTallies)[Key];
  tTally.tRow.SectionNr = tResult.SectionNr;
  tTally.tRow.Pair = Pair;
  tTally.tRow.Direction = bApart ? pcDirection : "";
  tTally.tRow.NrBoards++;
  tTally.tRow.Total += *Value;
  tTally.tRow.aResults.push_back(ResultNr);
  tTally.TopSum += tResult.Top.value_or(0);
}

void AddTeams(const SessionDef& tSession, std::map<std::string, TallyDef>* paTallies) {
  for (const MatchDef& tMatch : tSession.Matches()) {
    for (int Team = 0; Team < 2; Team++) {
      const std::string& Name = Team == 0 ? tMatch.TeamA : tMatch.TeamB;
      TallyDef& tTally = (*paTallies)[TeamKey(tMatch.SectionNr, Name)];
      tTally.tRow.SectionNr = tMatch.SectionNr;
      tTally.tRow.Pair = Name;
      tTally.tRow.NrBoards += tMatch.NrBoards;
      tTally.tRow.Total += Team == 0 ? tMatch.ImpsA : tMatch.ImpsB;
      tTally.tRow.Against =
          tTally.tRow.Against.value_or(0) + (Team == 0 ? tMatch.ImpsB : tMatch.ImpsA);
    }
  }
  for (UInt32 ResultNr = 0; ResultNr < tSession.Results().size(); ResultNr++) {
    const ResultDef& tResult = tSession.Results()[ResultNr];
    if (tResult.MatchNr == kNone || !tResult.ImpsNS) continue;
    for (const std::string* pTeam : {&tResult.TeamNS, &tResult.TeamEW}) {
      const auto it = paTallies->find(TeamKey(tResult.SectionNr, *pTeam));
      if (it != paTallies->end()) it->second.tRow.aResults.push_back(ResultNr);
    }
  }
}

// Pair numbers in their order ("9" before "10"), names alphabetically after them.
bool PairLess(const std::string& First, const std::string& Second) {
  const auto Number = [](const std::string& Text) {
    const bool bNumber = !Text.empty() && Text.size() < 10 &&
                         Text.find_first_not_of("0123456789") == std::string::npos;
    return bNumber ? std::stol(Text) : -1L;
  };
  const long FirstNr = Number(First);
  const long SecondNr = Number(Second);
  if (FirstNr != SecondNr) return FirstNr >= 0 && (SecondNr < 0 || FirstNr < SecondNr);
  return First < Second;
}

// Ranks share a place when their figures are equal ("1224").
void AssignRanks(std::vector<RankRowDef>* patRows) {
  std::stable_sort(patRows->begin(), patRows->end(), [](const RankRowDef& a, const RankRowDef& b) {
    if (a.SectionNr != b.SectionNr) return a.SectionNr < b.SectionNr;
    if (a.Direction != b.Direction) return a.Direction > b.Direction;  // NS before EW
    if (std::fabs(RankFigure(a) - RankFigure(b)) > kEpsilon) return RankFigure(a) > RankFigure(b);
    return PairLess(a.Pair, b.Pair);
  });
  UInt32 Place = 0;  // in the field of the row
  for (size_t i = 0; i < patRows->size(); i++) {
    RankRowDef& tRow = (*patRows)[i];
    const RankRowDef* ptPrevious = i > 0 ? &(*patRows)[i - 1] : nullptr;
    const bool bSameField = ptPrevious != nullptr && ptPrevious->SectionNr == tRow.SectionNr &&
                            ptPrevious->Direction == tRow.Direction;
    Place = bSameField ? Place + 1 : 1;
    const bool bTie =
        bSameField && std::fabs(RankFigure(*ptPrevious) - RankFigure(tRow)) <= kEpsilon;
    tRow.Rank = bTie ? ptPrevious->Rank : Place;
  }
}

}  // namespace

std::vector<RankRowDef> Ranking(const SessionDef& tSession) {
  // Keyed by section, field and pair: a stable order whatever the order of the files.
  std::map<std::string, TallyDef> aTallies;
  for (UInt32 ResultNr = 0; ResultNr < tSession.Results().size(); ResultNr++) {
    const ResultDef& tResult = tSession.Results()[ResultNr];
    if (tSession.Boards()[tResult.BoardNr].Method == MethodDef::Teams) continue;
    AddPairResult(tSession, ResultNr, 0, &aTallies);
    AddPairResult(tSession, ResultNr, 1, &aTallies);
  }
  AddTeams(tSession, &aTallies);
  std::vector<RankRowDef> atRows;
  for (auto& [Key, tTally] : aTallies) {
    RankRowDef& tRow = tTally.tRow;
    const SectionDef& tSection = tSession.Sections()[tRow.SectionNr];
    if (IsMatchpoints(tSection) && tTally.TopSum > 0) {
      tRow.Percentage = 100 * tRow.Total / tTally.TopSum;
    }
    if (tSection.bMean && !IsMatchpoints(tSection) && tRow.NrBoards > 0 && !tRow.Against) {
      tRow.TotalMean = tRow.Total * tSection.NrBoards / tRow.NrBoards;  // boards missed at its mean
    }
    atRows.push_back(std::move(tRow));
  }
  AssignRanks(&atRows);
  return atRows;
}

}  // namespace scoring
