// One board of the hand records as it is printed: what the file says of it and, when analysed,
// the double-dummy tricks and par. Built from the game on display (tGameAdmin) after GameLoad.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "analysis/dd.h"
#include "core/pbn.h"
#include "core/tags.h"

namespace records {

struct HandDef {
  bool bGiven = false;            // false: the deal leaves this hand out
  std::array<QString, 4> aSuits;  // ranks of spades, hearts, diamonds, clubs ("AK10")
  int Points = 0;                 // high-card points: A 4, K 3, Q 2, J 1
};

// A trick of the play: its leader and the cards in the order played ("♠A"; "-" for none).
struct TrickDef {
  QString Leader;
  std::array<QString, 4> aCards;
};

// A board's traveller as hand records print it under the deal: the columns of its scoring that
// some result fills, a row per result.
struct TravellerDef {
  QString Heading;  // "Traveller: matchpoints"
  QStringList Headers;
  std::vector<bool> abRight;  // numbers, right-aligned
  std::vector<QStringList> aaRows;
  int OwnRow = -1;  // the row of the game whose diagram this is (one a table), or -1
};

struct BoardDef {
  QString Board;   // the Board tag
  QString Dealer;  // "N", "E", "S", "W", or "" when not known
  QString Vulner;  // "None", "NS", "EW", "All", or ""
  QString Event;
  QString Date;
  QString FileName;  // the file it comes from, where a document gathers several
  std::array<HandDef, pbn::PBN_N_SIDES> atHands;  // by side code

  // Double dummy: a table with its par, or the reason there is none (empty when not asked).
  std::optional<analysis::DdTableDef> Tricks;
  QString DdProblem;
  QString ParScore;          // "NS 620", "0"; empty when par cannot be known
  QStringList ParContracts;  // "4S by NS"
  QString ParProblem;        // why par cannot be known (no vulnerability, ...)

  // With one or two boards a page: the game's players, auction, contract, result, score, play
  // and commentary, and the board's traveller.
  std::array<QString, pbn::PBN_N_SIDES> aPlayers;  // by side code, from the North ... West tags
  QStringList Auction;                             // calls in order ("1♠", "Pass", "X")
  QString Contract;                                // "4♠X by N", "Passed out"
  QString Result;                                  // "10 tricks"
  QString Score;                                   // "NS 620", or the file's Score
  std::vector<TrickDef> atTricks;
  // The annotation text without the game's tables and other tags: a paragraph a line, the
  // lines a file wrapped at its width joined, "" for an empty line.
  QStringList Commentary;
  std::optional<TravellerDef> Traveller;
};

// The game on display as a board; bDetails adds the auction, play and commentary.
BoardDef LoadedBoard(bool bDetails);

// The deal of the game on display with its dealer and vulnerability, for the solver.
analysis::DealInputDef LoadedDeal();

// Puts the solver's answer on a board loaded from a game with these tags: the solver's tricks and
// par, or the reason it gave none. Returns the cells of the game's own full OptimumResultTable that
// disagree with the solver (0 without such a table).
int PutAnalysis(const analysis::DealAnalysisDef& tAnalysis, const pbn::PbnGameTagsDef& tTags,
                BoardDef* ptBoard);
// The same for a board of the game on display.
int PutLoadedAnalysis(const analysis::DealAnalysisDef& tAnalysis, BoardDef* ptBoard);

// The suit symbol of a suit code and whether it prints red.
QString SuitSymbol(int Suit);
bool SuitIsRed(int Suit);

}  // namespace records
