// The arithmetic of the scoring methods of duplicate bridge, one board (or one section of a
// board) at a time: matchpoints with Neuberg's formula, the IMP scale, cross-IMPs and the Butler
// datum. Each works on the board's scores sorted once, in one pass or a fixed number of passes.
// The definitions are those of The Official Encyclopedia of Bridge (ACBL), under "Matchpoint",
// "Neuberg formula", "International Match Point", "Cross-IMPs" and "Butler".
#pragma once

#include <span>
#include <vector>

#include "core/pbn.h"

namespace scoring {

using pbn::UInt32;

// A North-South score of a board and the number of results it stands for (a ScoreTable row's
// Multiplicity; 1 for a game).
struct EntryDef {
  int ScoreNS;
  UInt32 Weight;
};

// The number of results the entries stand for.
UInt32 NrResults(std::span<const EntryDef> atEntries);

// The International Match Point scale (the table of 1961, PBN's IMP_1961, used everywhere
// today): 0 IMPs for a difference of 0 to 10, 1 for 20 to 40, ... 24 for 4000 and more; the sign
// of the difference. A difference between the steps of 10 counts as the step below it.
int ImpsOf(int Difference);

// Matchpoints of North-South for entries sorted by ScoreNS (ascending): 2 for every other result
// beaten and 1 for every one tied, so that the top is 2 x (n - 1) for n results (on the scale of
// 1 and 1/2 that some programs print every figure is half).
std::vector<double> MatchpointsNS(std::span<const EntryDef> atSorted);

// Neuberg's formula for a board that has A results where the most-played board of its section
// has E: MP' = (MP + 1) x E / A - 1 on the scale of 2 and 1, so that the top becomes 2 x (E - 1)
// (also the English Bridge Union's article on the formula).
double NeubergMp(double Mp, UInt32 NrResults, UInt32 NrExpected);

// Cross-IMPs of North-South for entries sorted by ScoreNS: the sum of the IMPs against every
// other result. Divided by the number of other results it is the form real files write.
std::vector<int> CrossImpsNS(std::span<const EntryDef> atSorted);

// The Butler datum of entries sorted by ScoreNS: the mean of the scores without the single
// highest and the single lowest result ("Butler-2", as scoring programs name it; with two
// results or fewer nothing is left out), rounded to a multiple of 10 with halves away from zero.
// The datum of no entry is 0.
int ButlerDatum(std::span<const EntryDef> atSorted);

// Rounds Numerator / Denominator (Denominator > 0) to the nearest integer, halves away from zero.
long long RoundHalfAway(long long Numerator, long long Denominator);

}  // namespace scoring
