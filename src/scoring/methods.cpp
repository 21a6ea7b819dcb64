#include "scoring/methods.h"

#include <array>
#include <cstdlib>

namespace scoring {

namespace {

// The least difference of each IMP above 0: 20 scores 1, 50 scores 2, ... 4000 scores 24.
constexpr std::array<int, 24> aImpSteps = {20,   50,   90,   130,  170,  220,  270,  320,
                                           370,  430,  500,  600,  750,  900,  1100, 1300,
                                           1500, 1750, 2000, 2250, 2500, 3000, 3500, 4000};

}  // namespace

UInt32 NrResults(std::span<const EntryDef> atEntries) {
  UInt32 Count = 0;
  for (const EntryDef& tEntry : atEntries)
    Count += tEntry.Weight;
  return Count;
}

int ImpsOf(int Difference) {
  const int Size = std::abs(Difference);
  int Imps = 0;
  while (Imps < static_cast<int>(aImpSteps.size()) && Size >= aImpSteps[Imps])
    Imps++;
  return Difference < 0 ? -Imps : Imps;
}

std::vector<double> MatchpointsNS(std::span<const EntryDef> atSorted) {
  std::vector<double> aMp(atSorted.size());
  UInt32 Below = 0;  // results with a lower score than the run
  for (size_t First = 0; First < atSorted.size();) {
    size_t End = First;
    UInt32 Tied = 0;  // results of the run, each tying with the others
    for (; End < atSorted.size() && atSorted[End].ScoreNS == atSorted[First].ScoreNS; End++)
      Tied += atSorted[End].Weight;
    for (size_t i = First; i < End; i++)
      aMp[i] = 2.0 * Below + (Tied - 1);
    Below += Tied;
    First = End;
  }
  return aMp;
}

double NeubergMp(double Mp, UInt32 NrResults, UInt32 NrExpected) {
  if (NrResults == 0 || NrResults >= NrExpected) return Mp;
  return (Mp + 1) * NrExpected / NrResults - 1;
}

std::vector<int> CrossImpsNS(std::span<const EntryDef> atSorted) {
  // For each step, the results at least that far below and above: both bounds only move up as
  // the scores rise, so each step costs one pass.
  const size_t Size = atSorted.size();
  std::vector<int> aImps(Size, 0);
  std::vector<long long> aWeightBefore(Size + 1, 0);  // results before entry i
  for (size_t i = 0; i < Size; i++)
    aWeightBefore[i + 1] = aWeightBefore[i] + atSorted[i].Weight;
  for (const int Step : aImpSteps) {
    size_t Low = 0;   // entries with a score of at most ScoreNS - Step
    size_t High = 0;  // entries with a score below ScoreNS + Step
    for (size_t i = 0; i < Size; i++) {
      const long long Score = atSorted[i].ScoreNS;
      while (Low < Size && atSorted[Low].ScoreNS <= Score - Step)
        Low++;
      while (High < Size && atSorted[High].ScoreNS < Score + Step)
        High++;
      aImps[i] +=
          static_cast<int>(aWeightBefore[Low] - (aWeightBefore[Size] - aWeightBefore[High]));
    }
  }
  return aImps;
}

long long RoundHalfAway(long long Numerator, long long Denominator) {
  const long long Rounded = (2 * std::llabs(Numerator) + Denominator) / (2 * Denominator);
  return Numerator < 0 ? -Rounded : Rounded;
}

int ButlerDatum(std::span<const EntryDef> atSorted) {
  long long Sum = 0;
  long long Count = 0;
  for (const EntryDef& tEntry : atSorted) {
    Sum += static_cast<long long>(tEntry.ScoreNS) * tEntry.Weight;
    Count += tEntry.Weight;
  }
  if (Count > 2) {  // the lowest and the highest result go
    Sum -= atSorted.front().ScoreNS + atSorted.back().ScoreNS;
    Count -= 2;
  }
  if (Count == 0) return 0;
  return static_cast<int>(RoundHalfAway(Sum, 10 * Count) * 10);
}

}  // namespace scoring
