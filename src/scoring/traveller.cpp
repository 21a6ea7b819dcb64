#include "scoring/traveller.h"

#include <cmath>
#include <cstdio>

#include "core/defs.h"
#include "core/text.h"

namespace scoring {

using namespace pbn;

std::string FigureText(double Value) {
  char acText[32];
  std::snprintf(acText, sizeof acText, "%.2f", std::round(Value * 100) / 100);
  std::string Text = acText;
  while (Text.back() == '0')
    Text.pop_back();
  if (Text.back() == '.') Text.pop_back();
  return Text == "-0" ? "0" : Text;
}

std::string FigureText(const std::optional<double>& Value) {
  return Value ? FigureText(*Value) : "";
}

std::string ContractText(const ResultDef& tResult) {
  return pbn::ContractText(tResult.tContract);
}

std::string DeclarerText(const ResultDef& tResult) {
  const PbnSideDef Declarer = tResult.tContract.Declarer;
  if (!PbnSideIsValid(Declarer) || tResult.tContract.Trump == PBN_TRUMP_PASS) return "";
  return std::string(1, apcPbnSideNames[Declarer][0]);
}

std::string UnscoredText(const ResultDef& tResult) {
  switch (tResult.Unscored) {
    case UnscoredDef::None:
      return "";
    case UnscoredDef::NoContract:
      return "no contract";
    case UnscoredDef::NoResult:
      return "no result";
    case UnscoredDef::NoVulnerable:
      return "no vulnerability";
    case UnscoredDef::Adjusted:
      return "adjusted " + tResult.UnscoredText;
    case UnscoredDef::Unknown:
      return "unknown (?)";
  }
  return "";
}

std::vector<std::pair<std::string, double>> FileDifferences(const ResultDef& tResult) {
  std::vector<std::pair<std::string, double>> atDifferences;
  const FileValuesDef& tFile = tResult.tFile;
  const auto Add = [&](int Kind, const char* pcName, const std::optional<FileNumberDef>& Value) {
    if ((tResult.Disagree & (1 << Kind)) != 0 && Value) {
      atDifferences.emplace_back(pcName, Value->Value);
    }
  };
  Add(FILE_VALUE_SCORE, "score_ns", tFile.ScoreNS);
  Add(FILE_VALUE_MP, "mp_ns", tFile.aMp[0]);
  Add(FILE_VALUE_MP, "mp_ew", tFile.aMp[1]);
  Add(FILE_VALUE_PCT, "pct_ns", tFile.aPct[0]);
  Add(FILE_VALUE_PCT, "pct_ew", tFile.aPct[1]);
  Add(FILE_VALUE_IMPS, "imps_ns", tFile.aImps[0]);
  Add(FILE_VALUE_IMPS, "imps_ew", tFile.aImps[1]);
  Add(FILE_VALUE_DATUM, "datum", tFile.Datum);
  return atDifferences;
}

std::string FileDifferencesText(const ResultDef& tResult) {
  std::string Text;
  for (const auto& [Name, Value] : FileDifferences(tResult))
    Text += (Text.empty() ? "" : ";") + Name + "=" + FigureText(Value);
  return Text;
}

std::vector<TravellerColumnDef> TravellerColumns(MethodDef Method) {
  std::vector<TravellerColumnDef> atColumns = {
      {"Table", true},     {"Room", false}, {"Round", true},  {"NS", false},   {"EW", false},
      {"Contract", false}, {"By", false},   {"Tricks", true}, {"Lead", false}, {"Score NS", true}};
  switch (Method) {
    case MethodDef::Matchpoints:
      atColumns.insert(atColumns.end(),
                       {{"MP NS", true}, {"MP EW", true}, {"% NS", true}, {"% EW", true}});
      break;
    case MethodDef::CrossImps:
      atColumns.insert(atColumns.end(),
                       {{"IMPs NS", true}, {"IMPs EW", true}, {"Avg NS", true}, {"Avg EW", true}});
      break;
    case MethodDef::Butler:
      atColumns.insert(atColumns.end(), {{"Datum", true}, {"IMPs NS", true}, {"IMPs EW", true}});
      break;
    case MethodDef::Teams:
      atColumns.insert(atColumns.end(), {{"Team NS", false}, {"IMPs NS", true}, {"IMPs EW", true}});
      break;
  }
  atColumns.push_back({"File", false});
  return atColumns;
}

std::vector<std::string> TravellerCells(const ResultDef& tResult, MethodDef Method) {
  std::string Score = tResult.ScoreNS ? std::to_string(*tResult.ScoreNS) : UnscoredText(tResult);
  if (tResult.Multiplicity > 1) Score += " (x" + std::to_string(tResult.Multiplicity) + ")";
  std::vector<std::string> aCells = {
      tResult.Table,         tResult.Room,
      tResult.Round,         tResult.PairNS,
      tResult.PairEW,        ContractText(tResult),
      DeclarerText(tResult), tResult.Tricks ? std::to_string(*tResult.Tricks) : "",
      tResult.Lead,          Score};
  switch (Method) {
    case MethodDef::Matchpoints:
      aCells.insert(aCells.end(), {FigureText(tResult.MpNS), FigureText(tResult.MpEW),
                                   FigureText(tResult.PctNS), FigureText(tResult.PctEW)});
      break;
    case MethodDef::CrossImps:
      aCells.insert(aCells.end(), {FigureText(tResult.ImpsNS), FigureText(tResult.ImpsEW),
                                   FigureText(tResult.ImpsAvgNS), FigureText(tResult.ImpsAvgEW)});
      break;
    case MethodDef::Butler:
      aCells.insert(aCells.end(), {tResult.Datum ? std::to_string(*tResult.Datum) : "",
                                   FigureText(tResult.ImpsNS), FigureText(tResult.ImpsEW)});
      break;
    case MethodDef::Teams:
      aCells.insert(aCells.end(),
                    {tResult.TeamNS, FigureText(tResult.ImpsNS), FigureText(tResult.ImpsEW)});
      break;
  }
  aCells.push_back(FileDifferencesText(tResult));
  return aCells;
}

namespace {

bool RanksTeams(const SectionDef& tSection) {
  return tSection.Method == MethodDef::Teams;
}

bool RanksMatchpoints(const SectionDef& tSection) {
  return tSection.Method.value_or(MethodDef::Matchpoints) == MethodDef::Matchpoints;
}

}  // namespace

std::string RankingTitle(const SessionDef& tSession, const RankRowDef& tRow) {
  const SectionDef& tSection = tSession.Sections()[tRow.SectionNr];
  std::string Title = "Ranking";
  if (!tSection.Event.empty()) Title += "  " + tSection.Event;
  if (!tSection.Section.empty()) Title += "  Section " + tSection.Section;
  if (!tRow.Direction.empty()) Title += "  " + tRow.Direction;
  return Title + "  (" + (tSection.Method ? MethodName(*tSection.Method) : "") + ")";
}

std::vector<TravellerColumnDef> RankingColumns(const SectionDef& tSection) {
  if (RanksTeams(tSection)) {
    return {{"Rank", true}, {"Team", false}, {"Boards", true}, {"IMPs", true}, {"Lost", true}};
  }
  if (RanksMatchpoints(tSection)) {
    return {{"Rank", true}, {"Pair", false}, {"Boards", true}, {"MP", true}, {"%", true}};
  }
  return {{"Rank", true}, {"Pair", false}, {"Boards", true}, {"IMPs", true}, {"Mean", true}};
}

std::vector<std::string> RankingCells(const SectionDef& tSection, const RankRowDef& tRow) {
  const std::string Last = RanksTeams(tSection)         ? FigureText(tRow.Against)
                           : RanksMatchpoints(tSection) ? FigureText(tRow.Percentage)
                                                        : FigureText(tRow.TotalMean);
  return {std::to_string(tRow.Rank), tRow.Pair, std::to_string(tRow.NrBoards),
          FigureText(tRow.Total), Last};
}

}  // namespace scoring
