// The boards of a session and their travellers: the indexed games of a run (one file or many)
// grouped into boards, each game one result, a game's ScoreTable rows results of its board;
// every board scored by its event's method (matchpoints, cross-IMPs, Butler, teams), and the
// file's own scores checked against the computed ones.
//
// A command, the viewer or hand records use it the same way:
//
//   scoring::SessionDef tSession;
//   const UInt32 FileNr = tSession.AddFile("club.pbn");
//   for each game:                              // its records loaded (GameLoadRecords)
//     tSession.AddGame(FileNr, GameNr, *tGameAdmin.ptGameData, *tGameAdmin.ptGameTags);
//   tSession.Score({});                          // or {.Method = MethodDef::Butler}
//   for (const BoardDef& tBoard : tSession.Boards()) ... tBoard.aResults ...   // travellers
//   tSession.GameResult(FileNr, GameNr)          // the score of one game: list, Same board
//   Ranking(tSession)                            // pairs or teams, per section: Results view
//
// Texts are UTF-8 (converted from the file's ISO 8859-1 where it is not read as UTF-8).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/pbn.h"
#include "core/tags.h"
#include "scoring/file_scores.h"

namespace scoring {

using pbn::UInt32;
using pbn::UInt8;

inline constexpr UInt32 kNone = 0xFFFFFFFF;

enum class MethodDef : UInt8 { Matchpoints, CrossImps, Butler, Teams };

// "mp", "cross-imps", "butler", "teams"; "imps" is teams as --scoring names it.
const char* MethodName(MethodDef Method);
bool MethodFromName(std::string_view Name, MethodDef* pMethod);

// The method an event's Scoring tag names (its fields separated by ";"): MP, MatchPoints or
// OldMP are matchpoints; Butler (also "Butler-2"), Cross, Cross-IMPs or CrossIMPs name their
// methods whatever else the tag says; IMP alone is teams where the board is played in rooms or
// between teams, cross-IMPs otherwise. Nothing for a tag that names none of them.
std::optional<MethodDef> MethodOfScoring(std::string_view Scoring, bool bTeamsBoard);
// Whether the Scoring tag has the modifier "Mean": a pair's boards not played count at its mean.
bool ScoringHasMean(std::string_view Scoring);

// Why a result takes no part in the arithmetic.
enum class UnscoredDef : UInt8 {
  None,
  NoContract,    // no contract given, or "-"
  NoResult,      // a contract without the tricks taken
  NoVulnerable,  // the board's vulnerability is not known
  Adjusted,      // an adjusted score such as "A60" or "40%"
  Unknown,       // a "?" where the score, contract or result should be
};
inline constexpr int kNrUnscored = 6;

// The kinds of the file's own values that are checked.
enum FileValueDef : UInt8 {
  FILE_VALUE_SCORE,  // Score, Score_NS / Score_EW
  FILE_VALUE_MP,     // ScoreMP, MP_NS / MP_EW (either scale, or a percentage)
  FILE_VALUE_PCT,    // ScorePercentage, Percentage_NS / Percentage_EW
  FILE_VALUE_IMPS,   // ScoreIMP, IMP_NS / IMP_EW
  FILE_VALUE_DATUM,  // ButlerDatum
  FILE_N_VALUES
};
inline constexpr const char* apcFileValueNames[FILE_N_VALUES] = {"score_ns", "mp", "pct", "imps",
                                                                 "datum"};

// What the file gives of a result's scores, for North-South and East-West.
struct FileValuesDef {
  std::optional<FileNumberDef> ScoreNS;
  std::array<std::optional<FileNumberDef>, 2> aMp;  // NS, EW
  std::array<std::optional<FileNumberDef>, 2> aPct;
  std::array<std::optional<FileNumberDef>, 2> aImps;
  std::optional<FileNumberDef> Datum;
};

// One result of a board: a game, or a row of a game's ScoreTable.
struct ResultDef {
  UInt32 FileNr = 0;
  UInt32 GameNr = 0;  // in its file; 0 for a ScoreTable row
  UInt32 BoardNr = 0;
  UInt32 SectionNr = 0;
  std::string Table, Room, Round;
  std::string PairNS, PairEW;  // PairNS / PairEW (PairId_NS ...), else the players' names
  std::string HomeTeam, VisitTeam;
  pbn::PbnContractDef tContract{pbn::PBN_SIDE_NOT_GIVEN, 0, pbn::PBN_TRUMP_NOT_GIVEN,
                                pbn::PBN_RISK_NONE, false};
  std::optional<int> Tricks;
  std::string Lead;  // "SA"; "" when not known
  std::optional<int> ScoreNS;
  UnscoredDef Unscored = UnscoredDef::None;
  std::string UnscoredText;  // the adjusted score as the file writes it ("A60")
  UInt32 Multiplicity = 1;   // the results this row stands for

  // Filled by Score(): the values of the board's method; nothing where it gives none.
  std::optional<double> MpNS, MpEW, Top, PctNS, PctEW;
  std::optional<double> ImpsNS, ImpsEW;        // cross-IMPs: the sum
  std::optional<double> ImpsAvgNS, ImpsAvgEW;  // cross-IMPs: the sum / the other results
  std::optional<int> Datum;                    // Butler
  std::string TeamNS, TeamEW;                  // teams: the team at each side
  UInt32 MatchNr = kNone;                      // teams: index into Matches()

  FileValuesDef tFile;
  UInt8 Disagree = 0;  // bit FileValueDef: the file's value differs from the computed one

  bool Scored() const { return ScoreNS.has_value(); }
};

struct SectionDef {
  std::string Event, Section;
  UInt32 MostPlayed = 0;  // results of its most-played board (Neuberg's E)
  UInt32 NrBoards = 0;
  std::optional<MethodDef> Method;  // of its first board
  bool bMean = false;               // its Scoring tag has "Mean"
  bool bOneField = false;           // a pair plays both directions: one ranking, not NS and EW
};

struct BoardDef {
  std::string Board;  // the Board tag
  std::string Event;
  std::string Scoring;  // the Scoring tag of its first game
  pbn::PbnDealDef tDeal{};
  bool bDeal = false;  // the deal is given
  pbn::PbnSituationDef tSituation{pbn::PBN_SIDE_NOT_GIVEN, pbn::PBN_VULNER_NOT_GIVEN};
  UInt32 FileNr = 0, GameNr = 0;              // its first game: the diagram of hand records
  UInt32 NrGames = 0;                         // its games (one that carries a ScoreTable, once)
  MethodDef Method = MethodDef::Matchpoints;  // after Score()
  std::vector<UInt32> aResults;               // by section, by match (teams), then file order
};

// A match of teams: the IMPs of each team over the boards both rooms played.
struct MatchDef {
  UInt32 SectionNr = 0;
  std::string TeamA, TeamB;  // TeamA sits North-South in the first room
  double ImpsA = 0, ImpsB = 0;
  UInt32 NrBoards = 0;
};

struct CheckCountDef {
  UInt32 NrChecked = 0;
  UInt32 NrDisagree = 0;
};

// What one file's results hold, for the report of a run.
struct FileCountsDef {
  UInt32 NrResults = 0;    // results (rows) from this file
  UInt32 NrTableRows = 0;  // of them rows of ScoreTables
  std::array<UInt32, kNrUnscored> aUnscored{};
  std::array<CheckCountDef, FILE_N_VALUES> atChecks{};
  UInt32 NrNotCompared = 0;  // file values with no computed value to compare (one result)
  UInt32 NrBadTables = 0;    // ScoreTables whose columns do not hold the score
  UInt32 NrByeRows = 0;      // rows of a pair sitting out, no result
};

// The faults of a run's boards, counted; none stops the run.
struct RunCountsDef {
  UInt32 NrDealConflicts = 0;               // Board numbers of an event with more than one deal
  std::vector<std::string> aDealConflicts;  // their first few, "Board 5"
  UInt32 NrSingleResults = 0;               // boards with one result
  UInt32 NrMissingRooms = 0;                // team matches of a board with one room
  UInt32 NrCrowdedMatches = 0;              // team matches of a board with more than two rooms
  UInt32 NrBothDirections = 0;              // pairs that play both directions
};

struct ScoreOptionsDef {
  std::optional<MethodDef> Method;  // overrides every event's Scoring tag
};

class SessionDef {
 public:
  UInt32 AddFile(std::string Path);
  // Adds game GameNr of file FileNr from its records (inherited values filled in, as
  // GameLoadRecords leaves them): one result, or the rows of its ScoreTable. Texts are read by
  // the reading in force for the file.
  void AddGame(UInt32 FileNr, UInt32 GameNr, const pbn::PbnGameDataDef& tGameData,
               const pbn::PbnGameTagsDef& tGameTags);
  // Scores every board and checks the file's values; after the last game, again after a change
  // of options.
  void Score(const ScoreOptionsDef& tOptions);

  const std::vector<std::string>& Files() const { return aFiles_; }
  const std::vector<ResultDef>& Results() const { return atResults_; }
  const std::vector<BoardDef>& Boards() const { return atBoards_; }
  const std::vector<SectionDef>& Sections() const { return atSections_; }
  const std::vector<MatchDef>& Matches() const { return atMatches_; }
  // The result a game gives (its first ScoreTable row for a game that carries one), or null.
  const ResultDef* GameResult(UInt32 FileNr, UInt32 GameNr) const;
  const BoardDef* GameBoard(UInt32 FileNr, UInt32 GameNr) const;
  const FileCountsDef& FileCounts(UInt32 FileNr) const { return atFileCounts_[FileNr]; }
  const RunCountsDef& Counts() const { return tCounts_; }

 private:
  struct GameFactsDef;
  GameFactsDef ReadFacts(const pbn::PbnGameDataDef& tGameData,
                         const pbn::PbnGameTagsDef& tGameTags) const;
  UInt32 BoardOf(const GameFactsDef& tFacts, UInt32 FileNr, UInt32 GameNr);
  UInt32 SectionOf(const std::string& Event, const std::string& Section);
  void AddResult(ResultDef&& tResult);
  bool AddTableRows(const GameFactsDef& tFacts, const pbn::PbnGameTagsDef& tGameTags, UInt32 FileNr,
                    UInt32 GameNr);
  void ScoreBoard(BoardDef& tBoard, const ScoreOptionsDef& tOptions);
  void ScoreGroup(MethodDef Method, const std::vector<UInt32>& aGroup);
  void ScoreMatches(const std::vector<UInt32>& aGroup);
  void CheckFileValues(const BoardDef& tBoard, bool bOwnMethod, const std::vector<UInt32>& aGroup);
  void CountDirections();

  std::vector<std::string> aFiles_;
  std::vector<ResultDef> atResults_;
  std::vector<BoardDef> atBoards_;
  std::vector<SectionDef> atSections_;
  std::vector<MatchDef> atMatches_;
  std::vector<FileCountsDef> atFileCounts_;
  RunCountsDef tCounts_;
  std::unordered_map<std::string, UInt32> aBoardIds_;    // Board and deal (or Event): board
  std::unordered_map<std::string, UInt32> aSectionIds_;  // Event and Section: section
  struct BoardDealDef {
    pbn::PbnDealDef tDeal;  // the first deal of a Board of an event
    bool bConflict = false;
  };
  std::unordered_map<std::string, BoardDealDef> aBoardDeals_;  // Event and Board
  std::unordered_map<std::string, UInt32> aMatchIds_;          // section and both teams: match
  std::vector<std::vector<UInt32>> aaGameResults_;  // per file, game number: first result
};

// A pair's or a team's standing in its section.
struct RankRowDef {
  UInt32 SectionNr = 0;
  std::string Pair;       // pair number or names, or the team
  std::string Direction;  // "NS", "EW" (its field), or "" in a field of both directions
  UInt32 Rank = 0;        // ties share a rank
  UInt32 NrBoards = 0;
  double Total = 0;                  // matchpoints, or IMPs (teams: IMPs won)
  std::optional<double> Against;     // teams: IMPs lost
  std::optional<double> Percentage;  // matchpoints
  std::optional<double> TotalMean;   // "Mean": the total over all the section's boards
  std::vector<UInt32> aResults;      // its results, in board order
};

// The ranking of every section: pairs by percentage (matchpoints; NS and EW apart where no pair
// plays both directions) or by IMPs, teams by IMPs won less IMPs lost. Rows by section, then rank.
std::vector<RankRowDef> Ranking(const SessionDef& tSession);

}  // namespace scoring
