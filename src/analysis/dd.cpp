#include "analysis/dd.h"

#include <dds/dll.h>
#include <dlfcn.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "core/defs.h"
#include "core/tables.h"

namespace analysis {

using namespace pbn;

namespace {

// The library numbers hands N, E, S, W and strains S, H, D, C, NT; the model numbers sides
// S, W, N, E and trumps C, D, H, S, NT. These two functions are the only translation.
constexpr int DdsHand(int Side) {
  return (Side + 2) % 4;  // also turns a library hand back into a side
}
constexpr int DdsStrain(int Trump) {
  return Trump == PBN_TRUMP_NT ? 4 : 3 - Trump;  // also turns a library suit back
}
static_assert(DdsHand(PBN_NORTH) == 0 && DdsHand(PBN_EAST) == 1 && DdsHand(PBN_SOUTH) == 2 &&
              DdsHand(PBN_WEST) == 3);
static_assert(DdsStrain(PBN_SPADES) == 0 && DdsStrain(PBN_CLUBS) == 3 && DdsStrain(4) == 4);

// Model ranks use bits 1 (two) .. 13 (ace); the library's holdings bits 2 .. 14.
constexpr unsigned DdsHolding(PbnRankDef Ranks) {
  return static_cast<unsigned>(Ranks & PBN_RANKS_ALL) << 1;
}

constexpr const char* kDdsSeats[6] = {"N", "E", "S", "W", "NS", "EW"};
constexpr const char* kDdsDenoms[5] = {"NT", "S", "H", "D", "C"};  // contractType::denom

// The library keeps per-thread memory and a thread pool: one caller at a time.
std::mutex& SolverMutex() {
  static std::mutex tMutex;
  return tMutex;
}

// The library is opened on first use: loading it sets up its tables, which costs every program
// start that links it some 20 ms and 15 MB, also for commands that never solve.
struct SolverDef {
  std::string Error;  // why the library cannot be used; empty when the functions below are set
  decltype(&::SetMaxThreads) SetMaxThreads = nullptr;
  decltype(&::ErrorMessage) ErrorMessage = nullptr;
  decltype(&::DealerParBin) DealerParBin = nullptr;
  decltype(&::SidesParBin) SidesParBin = nullptr;
  decltype(&::CalcDDtable) CalcDDtable = nullptr;
  decltype(&::CalcAllTables) CalcAllTables = nullptr;
  decltype(&::SolveBoard) SolveBoard = nullptr;
};

template <typename FunctionDef>
bool FindFunction(void* pLibrary, const char* pcName, FunctionDef* pFunction,
                  std::string* pMissing) {
  *pFunction = reinterpret_cast<FunctionDef>(dlsym(pLibrary, pcName));
  if (*pFunction == nullptr && pMissing->empty()) *pMissing = pcName;
  return *pFunction != nullptr;
}

// A library opened late has its static objects destroyed by exit before its own end runs, which
// then works on freed memory and crashes. Once it is loaded the process ends here, its output
// flushed, before the library's objects go.
void EndBeforeSolver(int Status, void*) {
  std::fflush(nullptr);
  std::_Exit(Status);
}

SolverDef LoadSolver() {
  SolverDef tSolver;
  void* pLibrary = dlopen(KARVELON_DDS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (pLibrary != nullptr) on_exit(EndBeforeSolver, nullptr);
  if (pLibrary == nullptr) {
    const char* pcWhy = dlerror();
    tSolver.Error = std::string("solver: the Double Dummy Solver library cannot be loaded (") +
                    (pcWhy != nullptr ? pcWhy : KARVELON_DDS_LIBRARY) + ")";
    return tSolver;
  }
  std::string Missing;
  FindFunction(pLibrary, "SetMaxThreads", &tSolver.SetMaxThreads, &Missing);
  FindFunction(pLibrary, "ErrorMessage", &tSolver.ErrorMessage, &Missing);
  FindFunction(pLibrary, "DealerParBin", &tSolver.DealerParBin, &Missing);
  FindFunction(pLibrary, "SidesParBin", &tSolver.SidesParBin, &Missing);
  FindFunction(pLibrary, "CalcDDtable", &tSolver.CalcDDtable, &Missing);
  FindFunction(pLibrary, "CalcAllTables", &tSolver.CalcAllTables, &Missing);
  FindFunction(pLibrary, "SolveBoard", &tSolver.SolveBoard, &Missing);
  if (!Missing.empty()) {
    tSolver.Error = "solver: " KARVELON_DDS_LIBRARY " has no function " + Missing;
  }
  return tSolver;
}

// Called with the lock held.
const SolverDef& Solver() {
  static const SolverDef tSolver = LoadSolver();
  return tSolver;
}

// Set by SetSolverThreads; until then the library's threads are set up from the cores.
bool bThreadsSet = false;

// Called with the lock held: the library, its threads set up once before the first call; null
// with *pError set when it cannot be loaded.
const SolverDef* ReadySolver(std::string* pError) {
  const SolverDef& tSolver = Solver();
  if (!tSolver.Error.empty()) {
    *pError = tSolver.Error;
    return nullptr;
  }
  if (!bThreadsSet) tSolver.SetMaxThreads(0);
  bThreadsSet = true;
  return &tSolver;
}

std::string LibraryError(const SolverDef& tSolver, int Code) {
  char acLine[80] = {};
  tSolver.ErrorMessage(Code, acLine);
  return std::string("solver: ") + acLine;
}

ddTableDeal DdsDeal(const PbnDealDef& tDeal) {
  ddTableDeal tDds{};
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    for (int Suit = 0; Suit < PBN_N_SUITS; ++Suit) {
      tDds.cards[DdsHand(Side)][DdsStrain(Suit)] = DdsHolding(tDeal.tHands[Side].Ranks[Suit]);
    }
  }
  return tDds;
}

DdTableDef FromDds(const ddTableResults& tResults) {
  DdTableDef aaTricks{};
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    for (int Trump = 0; Trump < PBN_N_TRUMPS; ++Trump) {
      aaTricks[Side][Trump] = tResults.resTable[DdsStrain(Trump)][DdsHand(Side)];
    }
  }
  return aaTricks;
}

ddTableResults ToDds(const DdTableDef& aaTricks) {
  ddTableResults tResults{};
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    for (int Trump = 0; Trump < PBN_N_TRUMPS; ++Trump) {
      tResults.resTable[DdsStrain(Trump)][DdsHand(Side)] = aaTricks[Side][Trump];
    }
  }
  return tResults;
}

// The library's vulnerability: 0 none, 1 both, 2 North-South, 3 East-West; -1 unknown.
int DdsVulnerable(PbnVulnerDef Vulner) {
  constexpr int aVulner[4] = {0, 2, 3, 1};  // None, NS, EW, All
  return Vulner < 4 ? aVulner[Vulner] : -1;
}

std::string ContractText(const contractType& tContract) {
  std::string Text = std::to_string(tContract.level) + kDdsDenoms[tContract.denom % 5];
  if (tContract.underTricks > 0) {
    Text += "X-" + std::to_string(tContract.underTricks);
  } else if (tContract.overTricks > 0) {
    Text += "+" + std::to_string(tContract.overTricks);
  }
  return Text + " by " + kDdsSeats[tContract.seats % 6];
}

ParDef ParFromMaster(const parResultsMaster& tMaster) {
  ParDef tPar;
  tPar.Score = tMaster.score;
  for (int i = 0; i < std::clamp(tMaster.number, 0, 10); ++i) {
    tPar.Contracts.push_back(ContractText(tMaster.contracts[i]));
  }
  return tPar;
}

// The second of SidesParBin's results counts its score from East-West's view.
bool SameMaster(const parResultsMaster& tNS, const parResultsMaster& tEW) {
  if (tNS.score != -tEW.score || tNS.number != tEW.number) return false;
  return ParFromMaster(tNS).Contracts == ParFromMaster(tEW).Contracts;
}

// Called with the lock held.
ParDef ParLocked(const SolverDef& tSolver, const DdTableDef& aaTricks, PbnSideDef Dealer,
                 PbnVulnerDef Vulner) {
  const int Vulnerable = DdsVulnerable(Vulner);
  if (Vulnerable < 0) return ParDef{"the board's vulnerability is not given", 0, {}};
  ddTableResults tTable = ToDds(aaTricks);
  if (PbnSideIsValid(Dealer)) {
    parResultsMaster tMaster{};
    const int Code = tSolver.DealerParBin(&tTable, &tMaster, DdsHand(Dealer), Vulnerable);
    return Code == RETURN_NO_FAULT ? ParFromMaster(tMaster)
                                   : ParDef{LibraryError(tSolver, Code), 0, {}};
  }
  // Without a dealer par is known only where it does not matter which side bids first.
  parResultsMaster atSides[2] = {};
  const int Code = tSolver.SidesParBin(&tTable, atSides, Vulnerable);
  if (Code != RETURN_NO_FAULT) return ParDef{LibraryError(tSolver, Code), 0, {}};
  if (!SameMaster(atSides[0], atSides[1])) {
    return ParDef{"par depends on the dealer, which is not given", 0, {}};
  }
  return ParFromMaster(atSides[0]);
}

DealAnalysisDef Refused(std::string Error) {
  DealAnalysisDef tAnalysis;
  tAnalysis.Error = std::move(Error);
  return tAnalysis;
}

// The library's rank of a single model rank bit: 2 .. 14.
int DdsRank(PbnRankDef Rank) {
  return std::countr_zero(static_cast<unsigned>(Rank)) + 1;
}

}  // namespace

std::string DealProblem(const PbnDealDef& tDeal) {
  PbnRankDef aUnion[PBN_N_SUITS] = {};
  int NrCards = 0;
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    const std::string Name = apcPbnSideNames[Side];
    int NrHand = 0;
    for (int Suit = 0; Suit < PBN_N_SUITS; ++Suit) {
      const PbnRankDef Ranks = tDeal.tHands[Side].Ranks[Suit];
      if ((Ranks & ~PBN_RANKS_ALL) != 0) return Name + " has cards of unknown rank";
      NrHand += std::popcount(static_cast<unsigned>(Ranks));
      aUnion[Suit] |= Ranks;
    }
    if (NrHand == 0) return Name + "'s hand is not given";
    NrCards += NrHand;
  }
  int NrDistinct = 0;
  for (PbnRankDef Ranks : aUnion)
    NrDistinct += std::popcount(static_cast<unsigned>(Ranks));
  if (NrDistinct != NrCards) return "the deal gives a card twice";
  if (NrCards < 52) return "the deal has fewer than 52 cards";
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    int NrHand = 0;
    for (PbnRankDef Ranks : tDeal.tHands[Side].Ranks) {
      NrHand += std::popcount(static_cast<unsigned>(Ranks));
    }
    if (NrHand != 13) return std::string(apcPbnSideNames[Side]) + " does not hold 13 cards";
  }
  return {};
}

void SetSolverThreads(int NrThreads) {
  const std::lock_guard<std::mutex> tLock(SolverMutex());
  if (!Solver().Error.empty()) return;  // said by the analysis that asks for it
  Solver().SetMaxThreads(std::max(NrThreads, 0));
  bThreadsSet = true;
}

ParDef ComputePar(const DdTableDef& aaTricks, PbnSideDef Dealer, PbnVulnerDef Vulner) {
  const std::lock_guard<std::mutex> tLock(SolverMutex());
  std::string Error;
  const SolverDef* ptSolver = ReadySolver(&Error);
  if (ptSolver == nullptr) return ParDef{Error, 0, {}};
  return ParLocked(*ptSolver, aaTricks, Dealer, Vulner);
}

DealAnalysisDef AnalyseDeal(const DealInputDef& tInput) {
  if (std::string Problem = DealProblem(tInput.tDeal); !Problem.empty()) return Refused(Problem);
  const std::lock_guard<std::mutex> tLock(SolverMutex());
  std::string Error;
  const SolverDef* ptSolver = ReadySolver(&Error);
  if (ptSolver == nullptr) return Refused(Error);
  ddTableResults tResults{};
  const int Code = ptSolver->CalcDDtable(DdsDeal(tInput.tDeal), &tResults);
  if (Code != RETURN_NO_FAULT) return Refused(LibraryError(*ptSolver, Code));
  DealAnalysisDef tAnalysis;
  tAnalysis.aaTricks = FromDds(tResults);
  tAnalysis.tPar = ParLocked(*ptSolver, tAnalysis.aaTricks, tInput.Dealer, tInput.Vulner);
  return tAnalysis;
}

std::vector<DealAnalysisDef> AnalyseDeals(const std::vector<DealInputDef>& atInputs,
                                          const std::function<void(size_t)>& Progress) {
  std::vector<DealAnalysisDef> atResults(atInputs.size());
  std::vector<size_t> aPending;  // deals the solver takes, in order
  for (size_t i = 0; i < atInputs.size(); ++i) {
    atResults[i].Error = DealProblem(atInputs[i].tDeal);
    if (atResults[i].Error.empty()) aPending.push_back(i);
  }
  constexpr size_t kBatch = MAXNOOFTABLES;  // the library's limit for tables of all strains
  auto ptDeals = std::make_unique<ddTableDeals>();
  auto ptResults = std::make_unique<ddTablesRes>();
  int aFilter[DDS_STRAINS] = {};
  for (size_t First = 0; First < aPending.size(); First += kBatch) {
    const size_t Count = std::min(kBatch, aPending.size() - First);
    ptDeals->noOfTables = static_cast<int>(Count);
    for (size_t k = 0; k < Count; ++k) {
      ptDeals->deals[k] = DdsDeal(atInputs[aPending[First + k]].tDeal);
    }
    const std::lock_guard<std::mutex> tLock(SolverMutex());
    std::string Error;
    const SolverDef* ptSolver = ReadySolver(&Error);
    const int Code = ptSolver == nullptr ? RETURN_UNKNOWN_FAULT
                                         : ptSolver->CalcAllTables(ptDeals.get(), -1, aFilter,
                                                                   ptResults.get(), nullptr);
    if (ptSolver != nullptr && Code != RETURN_NO_FAULT) Error = LibraryError(*ptSolver, Code);
    for (size_t k = 0; k < Count; ++k) {
      const size_t i = aPending[First + k];
      if (!Error.empty()) {
        atResults[i].Error = Error;
        continue;
      }
      atResults[i].aaTricks = FromDds(ptResults->results[k]);
      atResults[i].tPar =
          ParLocked(*ptSolver, atResults[i].aaTricks, atInputs[i].Dealer, atInputs[i].Vulner);
    }
    // Counted in inputs, refused deals included, so the count ends at the total.
    const bool bLast = First + Count == aPending.size();
    if (Progress) Progress(bLast ? atInputs.size() : aPending[First + Count - 1] + 1);
  }
  return atResults;
}

namespace {

// The position after some entries of a play: what each hand still holds, the cards of the trick
// being played, the tricks each side has won and the side that led that trick.
struct PlayPositionDef {
  std::string Error;  // why the play cannot be followed
  PbnDealDef tRemain;
  std::array<PbnCardDef, 4> atTrick{};
  int NrInTrick = 0;
  int aWon[2] = {};  // by North-South (even side codes) and East-West
  int Leader = 0;
};

PlayPositionDef ReplayPlay(const PbnDealDef& tDeal, const PbnContractDef& tContract,
                           const PbnPlayCardDef* atPlayCards, int NrPlayed) {
  PlayPositionDef tPosition;
  tPosition.tRemain = tDeal;
  tPosition.Leader = PbnNextSide(tContract.Declarer);
  int& Leader = tPosition.Leader;
  for (int i = 0; i < NrPlayed; ++i) {
    const PbnPlayCardDef& tEntry = atPlayCards[i];
    const int k = i % 4;
    if (k == 0 && PbnSideIsValid(tEntry.Side)) Leader = tEntry.Side;  // a lead out of turn
    PbnRankDef& Ranks = tPosition.tRemain.tHands[(Leader + k) % 4].Ranks[tEntry.Card.Suit & 3];
    if (!PbnCardIsReal(tEntry.Card) || tEntry.Side != (Leader + k) % 4 ||
        (Ranks & tEntry.Card.Rank) == 0) {
      tPosition.Error = "the play is irregular or incomplete at trick " + std::to_string(i / 4 + 1);
      return tPosition;
    }
    Ranks &= static_cast<PbnRankDef>(~tEntry.Card.Rank);
    tPosition.atTrick[k] = tEntry.Card;
    if (k == 3) {
      Leader = (Leader + PbnTrickWinner(tPosition.atTrick, tContract.Trump)) % 4;
      tPosition.aWon[Leader % 2]++;
    }
  }
  tPosition.NrInTrick = NrPlayed % 4;
  return tPosition;
}

// The tricks each card of the side to play keeps, by the solver, best cards marked.
PlayAnalysisDef SolvePosition(const PlayPositionDef& tPosition, PbnTrumpDef Trump) {
  PlayAnalysisDef tPlay;
  deal tDds{};
  tDds.trump = DdsStrain(Trump);
  tDds.first = DdsHand(tPosition.Leader);
  for (int k = 0; k < tPosition.NrInTrick; ++k) {
    tDds.currentTrickSuit[k] = DdsStrain(tPosition.atTrick[k].Suit);
    tDds.currentTrickRank[k] = DdsRank(tPosition.atTrick[k].Rank);
  }
  const ddTableDeal tCards = DdsDeal(tPosition.tRemain);
  std::copy(&tCards.cards[0][0], &tCards.cards[0][0] + 16, &tDds.remainCards[0][0]);
  tPlay.ToPlay = static_cast<PbnSideDef>((tPosition.Leader + tPosition.NrInTrick) % 4);

  futureTricks tFuture{};
  {
    const std::lock_guard<std::mutex> tLock(SolverMutex());
    const SolverDef* ptSolver = ReadySolver(&tPlay.Error);
    if (ptSolver == nullptr) return tPlay;
    if (const int Code = ptSolver->SolveBoard(tDds, -1, 3, 1, &tFuture, 0);
        Code != RETURN_NO_FAULT) {
      tPlay.Error = LibraryError(*ptSolver, Code);
      return tPlay;
    }
  }
  int Best = 0;
  for (int i = 0; i < std::clamp(tFuture.cards, 0, 13); ++i) {
    const int Tricks = tPosition.aWon[tPlay.ToPlay % 2] + tFuture.score[i];
    const auto Suit = static_cast<PbnSuitDef>(DdsStrain(tFuture.suit[i]));
    // The library names the highest of equal cards and lists the lower ones as a holding.
    const unsigned Ranks = ((1u << tFuture.rank[i]) | tFuture.equals[i]) >> 1;
    for (unsigned Rest = Ranks; Rest != 0; Rest &= Rest - 1) {
      const auto Rank = static_cast<PbnRankDef>(Rest & -Rest);
      tPlay.atCards.push_back({{Suit, Rank}, Tricks, false});
    }
    Best = std::max(Best, Tricks);
  }
  std::sort(tPlay.atCards.begin(), tPlay.atCards.end(), [](const auto& tA, const auto& tB) {
    return tA.Card.Suit != tB.Card.Suit ? tA.Card.Suit > tB.Card.Suit : tA.Card.Rank > tB.Card.Rank;
  });
  for (CardTricksDef& tCard : tPlay.atCards)
    tCard.bBest = tCard.Tricks == Best;
  return tPlay;
}

}  // namespace

PlayAnalysisDef AnalysePlay(const PbnDealDef& tDeal, const PbnContractDef& tContract,
                            const PbnPlayCardDef* atPlayCards, int NrPlayed) {
  PlayAnalysisDef tPlay;
  if (tPlay.Error = DealProblem(tDeal); !tPlay.Error.empty()) return tPlay;
  if (tContract.Trump >= PBN_N_TRUMPS || !PbnSideIsValid(tContract.Declarer)) {
    tPlay.Error = "the game has no contract to play";
    return tPlay;
  }
  NrPlayed = std::clamp(NrPlayed, 0, 52);
  const PlayPositionDef tPosition = ReplayPlay(tDeal, tContract, atPlayCards, NrPlayed);
  if (!tPosition.Error.empty()) {
    tPlay.Error = tPosition.Error;
    return tPlay;
  }
  if (NrPlayed == 52) return tPlay;
  return SolvePosition(tPosition, tContract.Trump);
}

DdMarksDef CompareTables(const DdTableDef& aaSolver, const std::optional<DdTableDef>& File) {
  DdMarksDef aaMarks{};
  if (!File) return aaMarks;
  for (int Side = 0; Side < PBN_N_SIDES; ++Side) {
    for (int Trump = 0; Trump < PBN_N_TRUMPS; ++Trump) {
      aaMarks[Side][Trump] = aaSolver[Side][Trump] != (*File)[Side][Trump];
    }
  }
  return aaMarks;
}

namespace {

std::optional<int> TricksOfText(const char* pcText) {
  int Tricks = 0;
  for (const char* pc = pcText; *pc != '\0'; pc++) {
    if (*pc < '0' || *pc > '9' || pc - pcText >= 2) return std::nullopt;
    Tricks = Tricks * 10 + (*pc - '0');
  }
  if (pcText[0] == '\0' || Tricks > 13) return std::nullopt;
  return Tricks;
}

}  // namespace

std::optional<DdTableDef> FileOptimumTable(const pbn::PbnGameTagsDef& tTags,
                                           const DdTableDef& aaSolver) {
  const pbn::PbnTableStoreDef& tStore = tTags.tTables;
  for (pbn::UInt32 Table = 0; Table < pbn::PbnTableCount(tStore); Table++) {
    const pbn::PbnTableDef& tTable = pbn::PbnTableAt(tStore, Table);
    if (tTable.TagId != pbn::PBN_TAG_ID_OPTIMUMRESULTTABLE) continue;
    DdTableDef aaFile = aaSolver;  // a cell the file leaves out is no disagreement
    const auto Cell = [&aaFile](pbn::PbnSideDef Side, pbn::PbnTrumpDef Trump,
                                const char* pcResult) {
      if (const auto Tricks = TricksOfText(pcResult)) aaFile[Side][Trump] = *Tricks;
    };
    if (!pbn::PbnOptimumResultCells(tStore, tTable, Cell)) return std::nullopt;
    return aaFile;
  }
  return std::nullopt;
}

}  // namespace analysis
