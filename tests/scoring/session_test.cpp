// Sessions built from PBN texts: boards, ScoreTable rows, each method's figures worked out by
// hand from its definition, the checks of the file's own scores, the faults a run counts and the
// ranking.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "games/pbn_game.h"
#include "replay/pbn_play.h"
#include "scoring/session.h"
#include "scoring/traveller.h"
#include "support/test_support.h"

namespace scoring {
namespace {

using namespace pbn;
using testing_support::IndexFile;
using testing_support::TempFile;
using testing_support::TestDealTag;

// A game of the test deal with the given tags (Vulnerable None unless the tags say otherwise).
std::string Game(const std::string& Tags) {
  const bool bVulnerable = Tags.find("[Vulnerable ") != std::string::npos;
  return Tags + (bVulnerable ? "" : "[Vulnerable \"None\"]\n") + "[Dealer \"N\"]\n" +
         TestDealTag() + "\n";
}

std::string Played(const std::string& Event, const std::string& Board, const std::string& Pairs,
                   const std::string& Declarer, const std::string& Contract, int Tricks,
                   const std::string& More = "") {
  const size_t Slash = Pairs.find('/');
  return Game("[Event \"" + Event + "\"]\n[Board \"" + Board + "\"]\n[PairNS \"" +
              Pairs.substr(0, Slash) + "\"]\n[PairEW \"" + Pairs.substr(Slash + 1) +
              "\"]\n[Declarer \"" + Declarer + "\"]\n[Contract \"" + Contract + "\"]\n[Result \"" +
              std::to_string(Tricks) + "\"]\n" + More);
}

// Adds every game of Text, read by PBN 2.1, as one file of the session.
void AddText(SessionDef* ptSession, const std::string& Text) {
  const TempFile File(Text);
  std::FILE* pFile = std::fopen(File.Path().c_str(), "rb");
  ASSERT_NE(pFile, nullptr);
  const auto tIndex = IndexFile(pFile, {PBN_STANDARD_2_1});
  ASSERT_EQ(tIndex.Log, "");
  const UInt32 FileNr = ptSession->AddFile(File.Path());
  for (UInt32 GameNr = 1; GameNr <= tIndex.NrGames; GameNr++) {
    PbnFilePosDef FilePosBegin;
    PbnFilePosDef FilePosOut;
    ASSERT_TRUE(GameLoadRecords(pFile, GameNr, &FilePosBegin, &FilePosOut));
    ptSession->AddGame(FileNr, GameNr, *tGameAdmin.ptGameData, *tGameAdmin.ptGameTags);
  }
  std::fclose(pFile);
}

// The values of a board's results in traveller order, one text each: "score mp/pct" or
// "score imps".
std::vector<std::string> Figures(const SessionDef& tSession, UInt32 BoardNr) {
  const auto Text = [](const std::optional<double>& Value) {
    char acText[16];
    std::snprintf(acText, sizeof acText, "%.2f", Value.value_or(-99));
    return std::string(Value ? acText : "-");
  };
  std::vector<std::string> aFigures;
  for (UInt32 ResultNr : tSession.Boards()[BoardNr].aResults) {
    const ResultDef& tResult = tSession.Results()[ResultNr];
    std::string Figure = tResult.ScoreNS ? std::to_string(*tResult.ScoreNS) : "unscored";
    if (tResult.MpNS) Figure += " " + Text(tResult.MpNS) + "/" + Text(tResult.PctNS);
    if (tResult.ImpsNS) Figure += " " + Text(tResult.ImpsNS);
    if (tResult.ImpsAvgNS) Figure += " avg " + Text(tResult.ImpsAvgNS);
    aFigures.push_back(Figure);
  }
  return aFigures;
}

// Board 1 at four tables, board 2 at three: matchpoints, Neuberg, the file's ScoreMP and
// ScorePercentage, and a Mitchell ranking with shared places.
const std::string kPairs =
    Played("Club", "1", "1/11", "N", "4S", 10, "[ScoreMP \"NS 1.5\"]\n") +  // 1 and 1/2 scale
    Played("Club", "1", "2/12", "N", "4S", 11, "[ScorePercentage \"NS 100\"]\n") +
    Played("Club", "1", "3/13", "S", "3NT", 9) +
    Played("Club", "1", "4/14", "N", "4S", 10, "[ScoreMP \"NS 4\"]\n") +  // 3 is right
    Played("Club", "2", "1/11", "E", "2H", 8) + Played("Club", "2", "2/12", "E", "2H", 9) +
    Played("Club", "2", "3/13", "N", "3C", 9);

TEST(Session, MatchpointsNeubergAndRanking) {
  SessionDef tSession;
  AddText(&tSession, kPairs);
  tSession.Score({});
  ASSERT_EQ(tSession.Boards().size(), 2u);
  EXPECT_EQ(tSession.Boards()[0].Method, MethodDef::Matchpoints);  // no Scoring tag: pairs
  // 400 < 420 = 420 < 450: 2 for each beaten, 1 for each tied, top 6.
  EXPECT_EQ(Figures(tSession, 0), (std::vector<std::string>{"420 3.00/50.00", "450 6.00/100.00",
                                                            "400 0.00/0.00", "420 3.00/50.00"}));
  // Three results where four were expected: (MP + 1) x 4 / 3 - 1 of a top of 6.
  EXPECT_EQ(Figures(tSession, 1),
            (std::vector<std::string>{"-110 3.00/50.00", "-140 0.33/5.56", "110 5.67/94.44"}));
  const FileCountsDef& tCounts = tSession.FileCounts(0);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_MP].NrChecked, 2u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_MP].NrDisagree, 1u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_PCT].NrChecked, 1u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_PCT].NrDisagree, 0u);
  EXPECT_EQ(tSession.Results()[3].Disagree, 1 << FILE_VALUE_MP);
  EXPECT_EQ(tSession.GameResult(0, 4), &tSession.Results()[3]);
  EXPECT_EQ(tSession.GameBoard(0, 5), &tSession.Boards()[1]);
  EXPECT_EQ(tSession.Boards()[0].NrGames, 4u);  // hand records: one diagram of four tables
  EXPECT_EQ(tSession.Boards()[1].GameNr, 5u);

  // NS: 2 has 6.33 of 12, 1 and 4 share 50%, 3 has 5.67 of 12; EW the mirror.
  std::vector<std::string> aRanking;
  for (const RankRowDef& tRow : Ranking(tSession)) {
    char acRow[64];
    std::snprintf(acRow, sizeof acRow, "%s %u %s %u %.2f", tRow.Direction.c_str(), tRow.Rank,
                  tRow.Pair.c_str(), tRow.NrBoards, tRow.Percentage.value_or(-1));
    aRanking.push_back(acRow);
  }
  EXPECT_EQ(aRanking,
            (std::vector<std::string>{"NS 1 2 2 52.78", "NS 2 1 2 50.00", "NS 2 4 1 50.00",
                                      "NS 4 3 2 47.22", "EW 1 13 2 52.78", "EW 2 11 2 50.00",
                                      "EW 2 14 1 50.00", "EW 4 12 2 47.22"}));
}

TEST(Session, CrossImpsOverride) {
  SessionDef tSession;
  AddText(&tSession, kPairs);
  tSession.Score({MethodDef::CrossImps});
  // 420 against 450, 400 and 420: -1 + 1 + 0; 450: 1 + 2 + 1; 400: -1 - 2 - 1.
  EXPECT_EQ(Figures(tSession, 0),
            (std::vector<std::string>{"420 0.00 avg 0.00", "450 4.00 avg 1.33",
                                      "400 -4.00 avg -1.33", "420 0.00 avg 0.00"}));
}

// A game that carries its board's traveller: Multiplicity, an adjusted score, a "?", a bye and
// the program's IMPs and datum, one of them wrong.
const std::string kButler = Game(
    "[Event \"Butler\"]\n[Board \"3\"]\n[Scoring \"IMP;Butler-2;Mean\"]\n"
    "[ScoreTable \"PairId_NS;PairId_EW;Contract;Declarer;Result;Score_NS;Score_EW;IMP_NS;"
    "ButlerDatum;Multiplicity\"]\n"
    "1 11 4S N 10 \"420\" - 3 320 1\n"
    "2 12 4S N 11 \"450\" - 4 320 1\n"
    "3 13 3NT S 9 \"400\" - 3 320 1\n"
    "4 14 2S N 9 \"140\" - -5 320 2\n"
    "5 15 - - - \"A60\" - - - 1\n"
    "6 16 - - - ? ? - - 1\n"
    "- 7 - - - \"Bye\" \"Bye\" - - 1\n");

TEST(Session, ScoreTableRowsScoredByButler) {
  SessionDef tSession;
  AddText(&tSession, kButler);
  tSession.Score({});
  ASSERT_EQ(tSession.Boards().size(), 1u);
  EXPECT_EQ(tSession.Boards()[0].Method, MethodDef::Butler);
  EXPECT_EQ(tSession.Boards()[0].NrGames, 1u);  // the game of the table, not its rows
  // 140 twice, 400, 420, 450: without one 140 and the 450, (140 + 400 + 420) / 3 = 320.
  EXPECT_EQ(Figures(tSession, 0), (std::vector<std::string>{"420 3.00", "450 4.00", "400 2.00",
                                                            "140 -5.00", "unscored", "unscored"}));
  EXPECT_EQ(tSession.Results()[0].Datum, 320);
  EXPECT_EQ(tSession.Results()[0].GameNr, 0u);
  EXPECT_EQ(tSession.Results()[3].Multiplicity, 2u);
  EXPECT_EQ(tSession.Results()[4].Unscored, UnscoredDef::Adjusted);
  EXPECT_EQ(tSession.Results()[4].UnscoredText, "A60");
  EXPECT_EQ(tSession.Results()[5].Unscored, UnscoredDef::Unknown);
  const FileCountsDef& tCounts = tSession.FileCounts(0);
  EXPECT_EQ(tCounts.NrTableRows, 6u);
  EXPECT_EQ(tCounts.NrByeRows, 1u);
  EXPECT_EQ(tCounts.aUnscored[static_cast<int>(UnscoredDef::Adjusted)], 1u);
  EXPECT_EQ(tCounts.aUnscored[static_cast<int>(UnscoredDef::Unknown)], 1u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_SCORE].NrChecked, 4u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_SCORE].NrDisagree, 0u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_IMPS].NrChecked, 4u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_IMPS].NrDisagree, 1u);  // 3NT's 2 IMPs, written 3
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_DATUM].NrChecked, 1u);
  EXPECT_EQ(tCounts.atChecks[FILE_VALUE_DATUM].NrDisagree, 0u);
  EXPECT_EQ(tSession.Results()[2].Disagree, 1 << FILE_VALUE_IMPS);
  // Another method than the event's: its IMPs are not held against the file's.
  tSession.Score({MethodDef::CrossImps});
  EXPECT_EQ(tSession.FileCounts(0).atChecks[FILE_VALUE_IMPS].NrChecked, 0u);
  EXPECT_EQ(tSession.FileCounts(0).atChecks[FILE_VALUE_DATUM].NrChecked, 0u);
}

TEST(Session, TravellerTexts) {
  SessionDef tSession;
  AddText(&tSession, kButler);
  tSession.Score({});
  const auto Cells = [&tSession](UInt32 ResultNr) {
    return TravellerCells(tSession.Results()[ResultNr], MethodDef::Butler);
  };
  EXPECT_EQ(TravellerColumns(MethodDef::Butler).size(), Cells(0).size());
  EXPECT_EQ(Cells(2), (std::vector<std::string>{"", "", "", "3", "13", "3NT", "S", "9", "", "400",
                                                "320", "2", "-2", "imps_ns=3"}));
  EXPECT_EQ(Cells(3)[9], "140 (x2)");
  EXPECT_EQ(Cells(4)[9], "adjusted A60");
  EXPECT_EQ(Cells(4)[5], "");
  const std::pair<double, const char*> atFigures[] = {
      {12, "12"}, {19.900000000000002, "19.9"}, {4.8333, "4.83"}, {-0.004, "0"}, {-2.5, "-2.5"}};
  for (const auto& [Value, pcText] : atFigures)
    EXPECT_EQ(FigureText(Value), pcText);
}

TEST(Session, TeamsAndMissingRoom) {
  const std::string Teams = "[HomeTeam \"Lions\"]\n[VisitTeam \"Tigers\"]\n[Scoring \"IMP\"]\n";
  SessionDef tSession;
  AddText(&tSession, Played("Match", "4", "a/b", "N", "4S", 9,
                            Teams + "[Room \"Closed\"]\n[ScoreIMP \"NS -9 EW 9\"]\n") +
                         Played("Match", "4", "c/d", "N", "4S", 10,
                                Teams + "[Room \"Open\"]\n[ScoreIMP \"NS 10\"]\n") +
                         Played("Match", "5", "c/d", "N", "4S", 10, Teams + "[Room \"Open\"]\n"));
  tSession.Score({});
  EXPECT_EQ(tSession.Boards()[0].Method, MethodDef::Teams);
  // -50 in the Closed room against 420 in the Open: 470, 10 IMPs to the Open room's NS.
  EXPECT_EQ(Figures(tSession, 0), (std::vector<std::string>{"-50 -10.00", "420 10.00"}));
  EXPECT_EQ(tSession.Results()[1].TeamNS, "Lions");
  EXPECT_EQ(tSession.Results()[0].TeamNS, "Tigers");
  EXPECT_EQ(tSession.FileCounts(0).atChecks[FILE_VALUE_IMPS].NrChecked, 2u);
  EXPECT_EQ(tSession.FileCounts(0).atChecks[FILE_VALUE_IMPS].NrDisagree, 1u);
  EXPECT_EQ(tSession.Counts().NrMissingRooms, 1u);
  EXPECT_EQ(tSession.Counts().NrSingleResults, 1u);
  ASSERT_EQ(tSession.Matches().size(), 1u);
  EXPECT_EQ(tSession.Matches()[0].TeamA, "Lions");
  EXPECT_EQ(tSession.Matches()[0].ImpsA, 10);
  EXPECT_EQ(tSession.Matches()[0].ImpsB, 0);
  EXPECT_EQ(tSession.Matches()[0].NrBoards, 1u);
  const std::vector<RankRowDef> atRanking = Ranking(tSession);
  ASSERT_EQ(atRanking.size(), 2u);
  EXPECT_EQ(atRanking[0].Pair, "Lions");
  EXPECT_EQ(atRanking[1].Against, 10);
}

TEST(Session, FaultsAreCounted) {
  // The deal with its hands turned a seat: another deal under the same Board of the event.
  std::string Turned = Played("Faults", "6", "7/8", "N", "4S", 10);
  Turned.replace(Turned.find("N:"), 2, "E:");
  SessionDef tSession;
  AddText(&tSession,
          Played("Faults", "6", "7/8", "N", "4S", 10) + Turned +
              Played("Faults", "7", "9/7", "N", "4S", 10) +  // pair 7 now East-West
              Game("[Event \"Faults\"]\n[Board \"8\"]\n[ScoreTable \"PairId_NS;PairId_EW;MP_NS\"]\n"
                   "1 2 4\n"));
  tSession.Score({});
  EXPECT_EQ(tSession.Boards().size(), 4u);
  EXPECT_EQ(tSession.Counts().NrDealConflicts, 1u);
  EXPECT_EQ(tSession.Counts().aDealConflicts, (std::vector<std::string>{"Board 6 of Faults"}));
  EXPECT_EQ(tSession.Counts().NrSingleResults, 4u);
  EXPECT_EQ(tSession.Counts().NrBothDirections, 1u);
  EXPECT_TRUE(tSession.Sections()[0].bOneField);
  EXPECT_EQ(tSession.FileCounts(0).NrBadTables, 1u);
  EXPECT_EQ(tSession.FileCounts(0).aUnscored[static_cast<int>(UnscoredDef::NoContract)], 1u);
  EXPECT_EQ(tSession.FileCounts(0).NrNotCompared, 1u);  // the MP of a row without a score
}

TEST(Session, ScoringTagsAndFileTexts) {
  struct MethodCase {
    const char* pcScoring;
    bool bTeams;
    std::optional<MethodDef> Method;
  };
  const MethodCase atMethods[] = {
      {"MP", false, MethodDef::Matchpoints},
      {"MatchPoints;MP1", false, MethodDef::Matchpoints},
      {"IMP;Butler-2;Mean", false, MethodDef::Butler},
      {"IMP;Cross", false, MethodDef::CrossImps},
      {"IMP", true, MethodDef::Teams},
      {"IMP", false, MethodDef::CrossImps},
      {"Teams", false, MethodDef::Teams},
      {"Chicago", false, std::nullopt},
      {"", false, std::nullopt},
  };
  for (const MethodCase& c : atMethods)
    EXPECT_EQ(MethodOfScoring(c.pcScoring, c.bTeams), c.Method) << c.pcScoring;
  EXPECT_TRUE(ScoringHasMean("IMP;Butler-2;Mean"));

  EXPECT_EQ(ParseScoreTag("NS 620", std::nullopt), 620);
  EXPECT_EQ(ParseScoreTag("EW 100", std::nullopt), -100);
  EXPECT_EQ(ParseScoreTag("NS -50 EW 50", std::nullopt), -50);
  EXPECT_EQ(ParseScoreTag("+620", false), -620);  // the declaring side's, here East-West
  EXPECT_EQ(ParseScoreTag("-100", true), -100);
  EXPECT_EQ(ParseScoreTag("620", std::nullopt), std::nullopt);
  EXPECT_EQ(ParseScoreTag("A60", true), std::nullopt);
  const SideValuesDef tImps = ParseSideValues("NS 2.5 EW -2.5");
  ASSERT_TRUE(tImps.NS && tImps.EW);
  EXPECT_TRUE(tImps.NS->Agrees(2.54));
  EXPECT_FALSE(tImps.NS->Agrees(2.56));
  EXPECT_TRUE(ParseSideValues("NS ?").bUnknown);

  const std::pair<const char*, CellKindDef> atCells[] = {
      {"50", CellKindDef::Number},    {"-", CellKindDef::NotApplicable},
      {"?", CellKindDef::Unknown},    {"A60", CellKindDef::Adjusted},
      {"40%", CellKindDef::Adjusted}, {"A+", CellKindDef::Adjusted},
      {"Bye", CellKindDef::Bye},      {"Arnold", CellKindDef::Other},
  };
  for (const auto& [pcCell, Kind] : atCells)
    EXPECT_EQ(CellKind(pcCell), Kind) << pcCell;
  PbnContractDef tContract{};
  ASSERT_TRUE(ParseContractCell("1N", &tContract));
  EXPECT_EQ(tContract.Trump, PBN_TRUMP_NT);
  ASSERT_TRUE(ParseContractCell("2cx", &tContract));
  EXPECT_EQ(tContract.Trump, PBN_CLUBS);
  EXPECT_EQ(tContract.Risk, PBN_RISK_DOUBLED);
  ASSERT_TRUE(ParseContractCell("Pass", &tContract));
  EXPECT_EQ(tContract.Trump, PBN_TRUMP_PASS);
  EXPECT_FALSE(ParseContractCell("8S", &tContract));
  EXPECT_FALSE(ParseContractCell("4SXXX", &tContract));
}

}  // namespace
}  // namespace scoring
