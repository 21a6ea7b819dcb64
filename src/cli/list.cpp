// karvelon-cli list FILES... [--csv | --json] [--dd] [--with-mistakes] [--shard K/N]: one row per
// indexed game, for a spreadsheet (CSV per RFC 4180 with a header row) or jq (JSON lines with the
// field names and shapes of show). Each game's percentage and IMPs come from the scoring layer,
// its board scored within its file.
#include <algorithm>
#include <cmath>
#include <deque>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "cli/dd_json.h"
#include "cli/game_json.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "core/defs.h"
#include "core/score.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "replay/pbn_play.h"
#include "scoring/session.h"
#include "scoring/traveller.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;
using namespace pbn;

constexpr PbnSideDef aHandSides[4] = {PBN_NORTH, PBN_EAST, PBN_SOUTH, PBN_WEST};
// The tags a row gives, in the order of its columns; the players follow the score.
constexpr int aHeadTags[3] = {PBN_TAG_ID_BOARD, PBN_TAG_ID_EVENT, PBN_TAG_ID_DATE};
constexpr int aPlayerTags[4] = {PBN_TAG_ID_NORTH, PBN_TAG_ID_EAST, PBN_TAG_ID_SOUTH,
                                PBN_TAG_ID_WEST};
// The columns added later come after all the others (the double-dummy ones too), so that a
// reader of the first ones finds them where they always were.
constexpr int aPlaceTags[3] = {PBN_TAG_ID_ROOM, PBN_TAG_ID_TABLE, PBN_TAG_ID_ROUND};
// The double-dummy columns in the order of DoubleDummyTricks.
constexpr PbnSideDef aTableSides[4] = {PBN_NORTH, PBN_SOUTH, PBN_EAST, PBN_WEST};
constexpr PbnTrumpDef aTableTrumps[5] = {PBN_TRUMP_NT, PBN_SPADES, PBN_HEARTS, PBN_DIAMONDS,
                                         PBN_CLUBS};

struct ListArgs {
  std::vector<std::string> Operands;
  bool bJson = false;
  bool bDoubleDummy = false;
  bool bWithMistakes = false;
  ShardDef tShard;
};

bool Refuse(const std::string& Text) {
  Fail("list: " + Text);
  return false;
}

bool ParseArgs(const Args& args, ListArgs* ptArgs) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("list", args, &tLine, &Error)) return Refuse(Error);
  if (tLine.Has("--shard")) ParseShard(tLine.Value("--shard"), &ptArgs->tShard);
  ptArgs->bJson = tLine.Has("--json");
  ptArgs->bDoubleDummy = tLine.Has("--dd");
  ptArgs->bWithMistakes = tLine.Has(kWithMistakes);
  ptArgs->Operands = tLine.aOperands;
  if (ptArgs->Operands.empty())
    return Refuse("no FILE given (usage: " + CommandUsage("list") + ")");
  return true;
}

std::string LowerLetter(PbnSideDef Side) {
  return std::string(1, static_cast<char>(SideLetter(Side)[0] - 'A' + 'a'));
}

std::vector<std::string> CsvHeader(bool bDoubleDummy) {
  std::vector<std::string> Names = {"file", "game",   "board",      "event",
                                    "date", "dealer", "vulnerable", "deal"};
  for (const char* pcMeasure : {"hcp_", "shape_"}) {
    for (PbnSideDef Side : aHandSides)
      Names.push_back(pcMeasure + LowerLetter(Side));
  }
  for (const char* pcName : {"contract", "declarer", "result", "score", "score_ns", "north", "east",
                             "south", "west", "mistakes"}) {
    Names.push_back(pcName);
  }
  if (!bDoubleDummy) return Names;
  for (PbnSideDef Side : aTableSides) {
    for (PbnTrumpDef Trump : aTableTrumps) {
      std::string Strain = apcPbnTrumpNames[Trump];
      std::transform(Strain.begin(), Strain.end(), Strain.begin(), ::tolower);
      Names.push_back("dd_" + LowerLetter(Side) + "_" + Strain);
    }
  }
  Names.push_back("par");
  return Names;
}

std::vector<std::string> CsvHeaderAdded(bool bDoubleDummy) {
  std::vector<std::string> Names = {"file_score", "room", "table", "round", "lead", "line"};
  if (bDoubleDummy) Names.insert(Names.end(), {"par_score", "par_contract"});
  Names.insert(Names.end(), {"pct_ns", "imps_ns"});
  return Names;
}

bool HandGiven(const PbnHandDef& tHand) {
  return (tHand.Ranks[0] | tHand.Ranks[1] | tHand.Ranks[2] | tHand.Ranks[3]) != 0;
}

// The game on display, as the fields of a row (without the double-dummy ones).
struct GameRowDef {
  std::vector<std::string> Fields;  // CSV: the first columns, then the double-dummy ones
  std::vector<std::string> Added;   // CSV: the columns added later
  Json Object;                      // JSON lines
};

// What a row gives beyond the records of the game: its opening lead and its first line.
struct GameExtrasDef {
  std::string Lead;  // "SA"; empty when no card is led
  UInt32 Line;
};

// The first card of the play as the replay orders it ("SA"), or "" without one.
std::string OpeningLead(const PbnGameDataDef& tData) {
  std::array<UInt8, PBN_N_TRICKS> aNrWonNS;
  std::array<PbnPlayCardDef, PBN_MAX_PLAY_CARDS + 1> atPlayCards;
  std::array<std::array<Int8, PBN_N_SIDES>, PBN_N_TRICKS> aacIllegals;
  Int8 NrEntries = 0;
  PbnGetPlayCards(&tData, aNrWonNS.data(), &NrEntries, atPlayCards.data(), aacIllegals.data());
  const PbnCardDef& tLead = atPlayCards[0].Card;
  return NrEntries > 0 && PbnCardIsReal(tLead) ? CardText(tLead) : "";
}

// The lines of a file up to the games of a list, counted once as the games go on in the file.
class LineCounterDef {
 public:
  explicit LineCounterDef(std::FILE* pFile) : pFile_(pFile) {}

  // The line of the file that FilePos is in, from 1; in a LIN file the line of the LIN text.
  UInt32 LineAt(PbnFilePosDef FilePos) {
    if (FilePos < Pos_) *this = LineCounterDef(pFile_);
    if (std::fseek(pFile_, Pos_, SEEK_SET) == 0) {
      char acBuffer[65536];
      while (Pos_ < FilePos) {
        const auto NrWanted = std::min<PbnFilePosDef>(sizeof acBuffer, FilePos - Pos_);
        const size_t NrRead = std::fread(acBuffer, 1, static_cast<size_t>(NrWanted), pFile_);
        if (NrRead == 0) break;
        NrLineEnds_ += static_cast<UInt32>(std::count(acBuffer, acBuffer + NrRead, '\n'));
        Pos_ += static_cast<PbnFilePosDef>(NrRead);
      }
    }
    return PbnImportSourceLine(NrLineEnds_ + 1);
  }

 private:
  std::FILE* pFile_;
  PbnFilePosDef Pos_ = 0;
  UInt32 NrLineEnds_ = 0;
};

GameRowDef CsvRow(const std::string& Path, unsigned GameNr, const GameExtrasDef& tExtras) {
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  const PbnGameTagsDef& tTags = *tGameAdmin.ptGameTags;
  GameRowDef tRow;
  std::vector<std::string>& Fields = tRow.Fields;
  Fields = {Path, std::to_string(GameNr)};
  for (int TagId : aHeadTags)
    Fields.push_back(TagText(tTags, TagId));
  const Json Dealer = SideValue(tData.tSituation.Dealer);
  const Json Vulnerable = VulnerableValue(tData.tSituation.Vulner);
  Fields.push_back(Dealer.is_string() ? Dealer.get<std::string>() : "");
  Fields.push_back(Vulnerable.is_string() ? Vulnerable.get<std::string>() : "");
  Fields.push_back(DealText(tData.tDeal));
  for (PbnSideDef Side : aHandSides) {
    const PbnHandDef& tHand = tData.tDeal.tHands[Side];
    Fields.push_back(HandGiven(tHand) ? std::to_string(HandPoints(tHand)) : "");
  }
  for (PbnSideDef Side : aHandSides) {
    const PbnHandDef& tHand = tData.tDeal.tHands[Side];
    Fields.push_back(HandGiven(tHand) ? HandShape(tHand) : "");
  }
  Fields.push_back(ContractText(tData.tContract));
  const Json Declarer = SideValue(tData.tContract.Declarer);
  Fields.push_back(Declarer.is_string() ? Declarer.get<std::string>() : "");
  const auto Tricks = ResultTricks(tData.Result);
  Fields.push_back(Tricks ? std::to_string(*Tricks) : "");
  const auto Score = GameScoreNS(tData.tContract, tData.Result, tData.tSituation.Vulner);
  Fields.push_back(Score ? ScoreText(*Score) : "");
  Fields.push_back(Score ? std::to_string(*Score) : "");
  for (int TagId : aPlayerTags)
    Fields.push_back(TagText(tTags, TagId));
  Fields.push_back(std::to_string(GameNrMistakes(GameNr)));
  tRow.Added.push_back(TagText(tTags, PBN_TAG_ID_SCORE));
  for (int TagId : aPlaceTags)
    tRow.Added.push_back(TagText(tTags, TagId));
  tRow.Added.push_back(tExtras.Lead);
  tRow.Added.push_back(std::to_string(tExtras.Line));
  return tRow;
}

GameRowDef JsonRow(const std::string& Path, unsigned GameNr, const GameExtrasDef& tExtras) {
  const PbnGameDataDef& tData = *tGameAdmin.ptGameData;
  const PbnGameTagsDef& tTags = *tGameAdmin.ptGameTags;
  GameRowDef tRow;
  Json& Row = tRow.Object;
  Row["file"] = Path;
  Row["game"] = GameNr;
  Json Tags = Json::object();
  for (int TagId : {aHeadTags[0], aHeadTags[1], aHeadTags[2], aPlayerTags[0], aPlayerTags[1],
                    aPlayerTags[2], aPlayerTags[3], aPlaceTags[0], aPlaceTags[1], aPlaceTags[2]}) {
    if (TagValue(tTags, TagId)[0] != '\0') Tags[aPbnTagNames[TagId]] = TagText(tTags, TagId);
  }
  Row["tags"] = Tags;
  Row["dealer"] = SideValue(tData.tSituation.Dealer);
  Row["vulnerable"] = VulnerableValue(tData.tSituation.Vulner);
  Row["deal"] = DealValue(tData.tDeal);
  Json Points = Json::object();
  Json Shapes = Json::object();
  for (PbnSideDef Side : aHandSides) {
    const PbnHandDef& tHand = tData.tDeal.tHands[Side];
    Points[SideLetter(Side)] = HandGiven(tHand) ? Json(HandPoints(tHand)) : Json(nullptr);
    Shapes[SideLetter(Side)] = HandGiven(tHand) ? Json(HandShape(tHand)) : Json(nullptr);
  }
  Row["hcp"] = Points;
  Row["shape"] = Shapes;
  Row["contract"] = ContractValue(tData.tContract);
  if (tData.tContract.Trump == PBN_TRUMP_PASS) Row["contract"]["risk"] = "";  // none to take
  Row["result"] = ResultValue(tData.Result);
  const auto Score = GameScoreNS(tData.tContract, tData.Result, tData.tSituation.Vulner);
  Row["score"] = Score ? Json(ScoreText(*Score)) : Json(nullptr);
  Row["score_ns"] = Score ? Json(*Score) : Json(nullptr);
  Row["mistake_count"] = GameNrMistakes(GameNr);
  const bool bScore = TagValue(tTags, PBN_TAG_ID_SCORE)[0] != '\0';
  Row["file_score"] = bScore ? Json(TagText(tTags, PBN_TAG_ID_SCORE)) : Json(nullptr);
  Row["lead"] = tExtras.Lead.empty() ? Json(nullptr) : Json(tExtras.Lead);
  Row["line"] = tExtras.Line;
  return tRow;
}

void AddDoubleDummy(const analysis::DealAnalysisDef& tAnalysis, GameRowDef* ptRow, bool bJson) {
  if (bJson) {
    ptRow->Object["double_dummy"] = DoubleDummyValue(tAnalysis);
    return;
  }
  for (PbnSideDef Side : aTableSides) {
    for (PbnTrumpDef Trump : aTableTrumps) {
      ptRow->Fields.push_back(tAnalysis.Error.empty()
                                  ? std::to_string(tAnalysis.aaTricks[Side][Trump])
                                  : std::string());
    }
  }
  const std::string& Error = tAnalysis.Error.empty() ? tAnalysis.tPar.Error : tAnalysis.Error;
  ptRow->Fields.push_back(Error.empty() ? ParText(tAnalysis.tPar) : "error: " + Error);
  std::string Contracts;
  for (const std::string& Contract : tAnalysis.tPar.Contracts)
    Contracts += (Contracts.empty() ? "" : ", ") + Contract;
  ptRow->Added.push_back(Error.empty() ? pbn::ScoreText(tAnalysis.tPar.Score) : "");
  ptRow->Added.push_back(Error.empty() ? Contracts : "");
}

// A row as text without its line end and without the scores, which come last: they wait for the
// whole file.
std::string RowText(GameRowDef tRow, bool bJson) {
  if (bJson) {
    std::string Text = tRow.Object.dump(-1, ' ', false, Json::error_handler_t::replace);
    Text.pop_back();  // the closing brace
    return Text;
  }
  tRow.Fields.insert(tRow.Fields.end(), tRow.Added.begin(), tRow.Added.end());
  std::string Text = CsvLine(tRow.Fields);
  Text.resize(Text.size() - 2);  // CR LF
  return Text;
}

Json FigureJson(const std::optional<double>& Value) {
  return Value ? Json(std::round(*Value * 100) / 100) : Json(nullptr);
}

// A row waits for its text (with --dd its analysis) and for the scores of its file's boards.
struct QueuedRowDef {
  std::string Text;  // without the scores; set once analysed
  bool bText = false;
  bool bScored = false;
  std::optional<double> PctNS, ImpsNS;
};

// The rows in order: the double-dummy analysis takes the deals of all files in full batches, a
// few batches at a time, and a file's rows take their scores when the file has been read.
struct PendingDef {
  std::vector<GameRowDef> atRows;  // the last rows of atQueue, waiting for their analysis
  std::vector<analysis::DealInputDef> atInputs;
  std::deque<QueuedRowDef> atQueue;
};
constexpr size_t kPendingRows = 400;  // ten of the solver's batches of 40

void AnalysePending(PendingDef* ptPending, bool bJson) {
  const auto atResults = analysis::AnalyseDeals(ptPending->atInputs);
  const size_t First = ptPending->atQueue.size() - ptPending->atRows.size();
  for (size_t i = 0; i < atResults.size(); i++) {
    AddDoubleDummy(atResults[i], &ptPending->atRows[i], bJson);
    QueuedRowDef& tQueued = ptPending->atQueue[First + i];
    tQueued.Text = RowText(std::move(ptPending->atRows[i]), bJson);
    tQueued.bText = true;
  }
  ptPending->atRows.clear();
  ptPending->atInputs.clear();
}

// Prints the rows at the front that have their text and their scores.
void PrintReady(PendingDef* ptPending, bool bJson) {
  auto& atQueue = ptPending->atQueue;
  for (; !atQueue.empty() && atQueue.front().bText && atQueue.front().bScored;
       atQueue.pop_front()) {
    const QueuedRowDef& tRow = atQueue.front();
    const std::string Tail = bJson ? ",\"pct_ns\":" + FigureJson(tRow.PctNS).dump() +
                                         ",\"imps_ns\":" + FigureJson(tRow.ImpsNS).dump() + "}\n"
                                   : "," + scoring::FigureText(tRow.PctNS) + "," +
                                         scoring::FigureText(tRow.ImpsNS) + "\r\n";
    std::fputs(tRow.Text.c_str(), stdout);
    std::fputs(Tail.c_str(), stdout);
  }
}

// A game's own percentage and IMPs; none for a game whose board's results are the rows of its
// ScoreTable (no row is the game's).
void PutScores(const scoring::SessionDef& tSession, unsigned GameNr, QueuedRowDef* ptRow) {
  ptRow->bScored = true;
  const scoring::ResultDef* ptResult = tSession.GameResult(0, GameNr);
  if (ptResult == nullptr || ptResult->GameNr != GameNr) return;
  ptRow->PctNS = ptResult->PctNS;
  ptRow->ImpsNS = ptResult->ImpsNS;
}

// Every game of the file is a result of its board (also the games outside a shard's range: a
// board needs all its results), the boards scored by each event's Scoring once the file is read.
int ListFile(const std::string& Path, std::FILE* pFile, const GameRangeDef& tRange,
             const ListArgs& tArgs, PendingDef* ptPending) {
  if (tRange.Empty()) return kExitOk;
  PbnImportOptionsDef tOptions = UseReading(pFile, Path, false);
  tOptions.bKeepRefused = tArgs.bWithMistakes;
  const unsigned NrGames = IndexGames(pFile, {}, tOptions);
  NoteIndexPass("list", Path, NrGames);
  scoring::SessionDef tSession;
  tSession.AddFile(Path);
  LineCounterDef tLines(pFile);
  const size_t FirstRow = ptPending->atQueue.size();
  std::vector<unsigned> aGameNrs;
  for (unsigned GameNr = 1; GameNr <= NrGames; ++GameNr) {
    PbnFilePosDef FilePosBegin = -1;
    PbnFilePosDef FilePosOut = -1;
    // No replay, text or annotation.
    if (GameLoadRecords(pFile, GameNr, &FilePosBegin, &FilePosOut))
      tSession.AddGame(0, GameNr, *tGameAdmin.ptGameData, *tGameAdmin.ptGameTags);
    if (!tRange.Holds(GameNr)) continue;
    const GameExtrasDef tExtras = {OpeningLead(*tGameAdmin.ptGameData),
                                   tLines.LineAt(FilePosBegin)};
    GameRowDef tRow = tArgs.bJson ? JsonRow(Path, GameNr, tExtras) : CsvRow(Path, GameNr, tExtras);
    aGameNrs.push_back(GameNr);
    QueuedRowDef& tQueued = ptPending->atQueue.emplace_back();
    if (!tArgs.bDoubleDummy) {
      tQueued.Text = RowText(std::move(tRow), tArgs.bJson);
      tQueued.bText = true;
      continue;
    }
    ptPending->atRows.push_back(std::move(tRow));
    ptPending->atInputs.push_back(DealInput(*tGameAdmin.ptGameData));
    if (ptPending->atRows.size() == kPendingRows) AnalysePending(ptPending, tArgs.bJson);
  }
  tSession.Score({});
  for (size_t i = 0; i < aGameNrs.size(); i++)
    PutScores(tSession, aGameNrs[i], &ptPending->atQueue[FirstRow + i]);
  PrintReady(ptPending, tArgs.bJson);
  return NrGames > 0 ? kExitOk : kExitNone;
}

}  // namespace

int List(const Args& args) {
  ListArgs tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;
  const InputsDef tInputs = ExpandInputs(tArgs.Operands);
  const std::vector<GameRangeDef> atRanges =
      ShardRanges(tArgs.tShard, tInputs.Files, tArgs.bWithMistakes);
  // The header belongs to the first part only, so that the parts add up to the whole.
  if (!tArgs.bJson && tArgs.tShard.Part == 1) {
    std::vector<std::string> Names = CsvHeader(tArgs.bDoubleDummy);
    const std::vector<std::string> Added = CsvHeaderAdded(tArgs.bDoubleDummy);
    Names.insert(Names.end(), Added.begin(), Added.end());
    std::fputs(CsvLine(Names).c_str(), stdout);
  }
  PendingDef tPending;
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t i) {
    return ListFile(Path, pFile, atRanges[i], tArgs, &tPending);
  });
  if (tArgs.bDoubleDummy) AnalysePending(&tPending, tArgs.bJson);
  PrintReady(&tPending, tArgs.bJson);
  return Status;
}

}  // namespace cli
