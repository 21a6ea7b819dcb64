// Double-dummy analysis of a deal over the solver library (libdds): the tricks each declarer
// takes in each strain, par with the board's dealer and vulnerability, and the tricks each legal
// card keeps during the play. Tables are indexed by the model's own side and trump codes; the
// library's numbering stays inside dd.cpp. Every call into the library is serialized.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"

namespace analysis {

// Tricks by declarer (side code) and strain (trump code: clubs 0 .. spades 3, NT 4).
using DdTableDef = std::array<std::array<int, pbn::PBN_N_TRUMPS>, pbn::PBN_N_SIDES>;

struct ParDef {
  std::string Error;                   // empty when the par below holds
  int Score = 0;                       // North-South's view: positive when North-South gain
  std::vector<std::string> Contracts;  // "4S by NS", "3NT+1 by W", "5DX-2 by EW"
};

struct DealAnalysisDef {
  std::string Error;  // why the deal cannot be analysed; empty when the table holds
  DdTableDef aaTricks{};
  ParDef tPar;
};

struct DealInputDef {
  pbn::PbnDealDef tDeal;
  pbn::PbnSideDef Dealer;
  pbn::PbnVulnerDef Vulner;
};

// Why the solver cannot take the deal (a hand not given, fewer than 52 cards, unknown ranks),
// or an empty string.
std::string DealProblem(const pbn::PbnDealDef& tDeal);

// The library's thread count: 0 lets it choose from the cores and the memory.
void SetSolverThreads(int NrThreads);

DealAnalysisDef AnalyseDeal(const DealInputDef& tInput);
// Many deals through the library's batch call; Progress gets the number done so far.
std::vector<DealAnalysisDef> AnalyseDeals(const std::vector<DealInputDef>& atInputs,
                                          const std::function<void(size_t)>& Progress = {});

// Par's score is North-South's view: ScoreText (core/score.h) writes it.
ParDef ComputePar(const DdTableDef& aaTricks, pbn::PbnSideDef Dealer, pbn::PbnVulnerDef Vulner);

// The tricks a card keeps for the side to play: won so far plus the most still to come.
struct CardTricksDef {
  pbn::PbnCardDef Card;
  int Tricks;
  bool bBest;
};

struct PlayAnalysisDef {
  std::string Error;
  pbn::PbnSideDef ToPlay = pbn::PBN_SIDE_NONE;
  std::vector<CardTricksDef> atCards;  // suits spades to clubs, ranks high to low
};

// The position after the first NrPlayed entries of the chronological play (as the replay model
// keeps them) of a deal played in the contract's strain.
PlayAnalysisDef AnalysePlay(const pbn::PbnDealDef& tDeal, const pbn::PbnContractDef& tContract,
                            const pbn::PbnPlayCardDef* atPlayCards, int NrPlayed);

// Cells where the solver's table differs from a table the file gives (OptimumResultTable);
// nothing is marked when the file gives none.
using DdMarksDef = std::array<std::array<bool, pbn::PBN_N_TRUMPS>, pbn::PBN_N_SIDES>;
DdMarksDef CompareTables(const DdTableDef& aaSolver, const std::optional<DdTableDef>& File);

// The tricks of a game's OptimumResultTable (PBN 2.1: columns Declarer, Denomination, Result),
// with the solver's number in every cell the file leaves out; nothing when the game has no such
// table.
std::optional<DdTableDef> FileOptimumTable(const pbn::PbnGameTagsDef& tTags,
                                           const DdTableDef& aaSolver);

}  // namespace analysis
