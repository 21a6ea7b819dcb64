// karvelon-cli hand-records FILES... -o OUT.pdf: a sheet per board as a director hands them out,
// with the deal, the points, the double-dummy table and par, written as a PDF by the safe writer:
// OUT is checked before the work starts and replaced only when no input changed during the run.
// The games of all files are grouped into the boards of a session by the scoring layer: each
// board is printed once, from its first game (with --every-table each game), and with one or two
// boards a page under its traveller with the scores.
#include <unistd.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "analysis/dd.h"
#include "cli/cli.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "cli/writing.h"
#include "files/safe_writer.h"
#include "games/pbn_game.h"
#include "records/board.h"
#include "records/pdf.h"
#include "records/traveller.h"
#include "replay/pbn_play.h"
#include "scoring/session.h"

namespace cli {

namespace {

using namespace pbn;

struct BoardRangeDef {
  long First;
  long Last;
};

struct HandRecordsArgs {
  std::vector<std::string> Files;  // files and folders
  std::string Out;
  int PerPage = 4;
  QPageSize::PageSizeId Paper = records::DefaultPaper();
  std::vector<BoardRangeDef> atBoards;  // empty: every board
  std::optional<std::string> Title;
  bool bDoubleDummy = true;
  int Jobs = 0;
  bool bWithMistakes = false;
  files::TargetRulesDef tRules;
  bool bEveryTable = false;  // a diagram for each game, not for each board
};

bool Refuse(const std::string& Text) {
  Fail("hand-records: " + Text);
  return false;
}

// A number of at most 9 digits.
bool ParseCount(const std::string& Text, long* pValue) {
  if (Text.empty() || Text.size() > 9 || Text.find_first_not_of("0123456789") != Text.npos)
    return false;
  *pValue = std::atol(Text.c_str());
  return true;
}

// "1-18,20": board numbers and ranges of them.
bool ParseBoards(const std::string& Text, std::vector<BoardRangeDef>* patRanges) {
  size_t Begin = 0;
  while (Begin <= Text.size()) {
    const size_t End = std::min(Text.find(',', Begin), Text.size());
    const std::string Item = Text.substr(Begin, End - Begin);
    const size_t Dash = Item.find('-');
    BoardRangeDef tRange;
    if (!ParseCount(Item.substr(0, Dash), &tRange.First)) return false;
    tRange.Last = tRange.First;
    if (Dash != Item.npos &&
        (!ParseCount(Item.substr(Dash + 1), &tRange.Last) || tRange.Last < tRange.First)) {
      return false;
    }
    patRanges->push_back(tRange);
    Begin = End + 1;
  }
  return true;
}

// The value of an option, checked; on a wrong one says so and returns false.
bool ParseOption(std::string_view Arg, const std::string& Value, HandRecordsArgs* ptArgs) {
  long Number = 0;
  if (Arg == "-o") {
    ptArgs->Out = Value;
  } else if (Arg == "--per-page") {
    if (!ParseCount(Value, &Number) || !records::PerPageOffered(static_cast<int>(Number)))
      return Refuse("--per-page takes 1, 2, 4, 6 or 12, not '" + Value + "'");
    ptArgs->PerPage = static_cast<int>(Number);
  } else if (Arg == "--paper") {
    if (Value != "a4" && Value != "letter")
      return Refuse("--paper takes a4 or letter, not '" + Value + "'");
    ptArgs->Paper = Value == "a4" ? QPageSize::A4 : QPageSize::Letter;
  } else if (Arg == "--boards") {
    if (!ParseBoards(Value, &ptArgs->atBoards))
      return Refuse("--boards takes numbers and ranges like 1-18,20, not '" + Value + "'");
  } else if (Arg == "--title") {
    ptArgs->Title = Value;
  } else if (Arg == "--jobs") {
    ParseJobs(Value, &ptArgs->Jobs);  // checked by the table
  }
  return true;
}

bool ParseArgs(const Args& args, HandRecordsArgs* ptArgs) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("hand-records", args, &tLine, &Error)) return Refuse(Error);
  for (const auto& [ptOption, Value] : tLine.atGiven) {
    if (!ParseOption(ptOption->pcName, Value, ptArgs)) return false;
  }
  ptArgs->bDoubleDummy = !tLine.Has("--no-dd");
  ptArgs->bWithMistakes = tLine.Has(kWithMistakes);
  ptArgs->tRules.bBreakLinks = tLine.Has(kBreakLinks);
  ptArgs->bEveryTable = tLine.Has("--every-table");
  ptArgs->Files = tLine.aOperands;
  if (ptArgs->Files.empty() || ptArgs->Out.empty())
    return Refuse("usage: " + CommandUsage("hand-records"));
  return true;
}

bool BoardSelected(const std::vector<BoardRangeDef>& atRanges, const std::string& Board) {
  if (atRanges.empty()) return true;
  long Number = 0;
  if (!ParseCount(Board, &Number)) return false;
  for (const BoardRangeDef& tRange : atRanges) {
    if (Number >= tRange.First && Number <= tRange.Last) return true;
  }
  return false;
}

// The diagrams to print, a game each, and the deals to solve for them; the games of all files as
// the boards of one session.
struct BoardListDef {
  struct EntryDef {
    size_t File;
    UInt32 GameNr;
    const scoring::BoardDef* ptBoard;  // of the session; null for a game that gives no result
  };
  // An indexed game, in file order.
  struct GameDef {
    size_t File;
    UInt32 GameNr;
    bool bSelected;  // its Board is in --boards
    std::string Event;
    analysis::DealInputDef tDeal;
  };
  std::vector<std::string> aFiles;
  std::vector<GameDef> atGames;
  std::vector<EntryDef> atEntries;
  QString FirstEvent;  // of the first board, for the title
  std::vector<analysis::DealInputDef> atDeals;
  scoring::SessionDef tSession;
};

// Adds every indexed game of the open file to the session and to the games.
void AddFileGames(std::FILE* pFile, const std::string& Path, unsigned NrGames,
                  const HandRecordsArgs& tArgs, BoardListDef* ptList) {
  ptList->aFiles.push_back(Path);
  const scoring::UInt32 FileNr = ptList->tSession.AddFile(Path);
  for (UInt32 GameNr = 1; GameNr <= NrGames; ++GameNr) {
    PbnFilePosDef FilePosBegin = -1;
    PbnFilePosDef FilePosOut = -1;
    if (!GameLoadRecords(pFile, GameNr, &FilePosBegin, &FilePosOut)) continue;
    const PbnGameTagsDef& tTags = *tGameAdmin.ptGameTags;
    ptList->tSession.AddGame(FileNr, GameNr, *tGameAdmin.ptGameData, tTags);
    ptList->atGames.push_back({FileNr, GameNr,
                               BoardSelected(tArgs.atBoards, TagText(tTags, PBN_TAG_ID_BOARD)),
                               TagText(tTags, PBN_TAG_ID_EVENT), records::LoadedDeal()});
  }
}

// Once every file is read the boards are scored and the diagrams chosen, in file order: by
// default a board's first game stands for the board; a board without a deal is no deal played
// at several tables, so each of its games is printed. With --every-table every game is printed.
void ChooseEntries(const HandRecordsArgs& tArgs, BoardListDef* ptList) {
  scoring::SessionDef& tSession = ptList->tSession;
  tSession.Score({});
  // The board of each board's first game, also of one that gives no result.
  std::unordered_map<uint64_t, const scoring::BoardDef*> aFirstGames;
  const auto Key = [](size_t File, UInt32 GameNr) {
    return (static_cast<uint64_t>(File) << 32) | GameNr;
  };
  for (const scoring::BoardDef& tBoard : tSession.Boards())
    aFirstGames.emplace(Key(tBoard.FileNr, tBoard.GameNr), &tBoard);
  for (const BoardListDef::GameDef& tGame : ptList->atGames) {
    if (!tGame.bSelected) continue;
    const auto it = aFirstGames.find(Key(tGame.File, tGame.GameNr));
    const bool bFirst = it != aFirstGames.end();
    const scoring::BoardDef* ptBoard =
        bFirst ? it->second
               : tSession.GameBoard(static_cast<scoring::UInt32>(tGame.File), tGame.GameNr);
    if (!tArgs.bEveryTable && !bFirst && ptBoard != nullptr && ptBoard->bDeal) continue;
    if (ptList->atEntries.empty()) ptList->FirstEvent = QString::fromStdString(tGame.Event);
    ptList->atEntries.push_back({tGame.File, tGame.GameNr, ptBoard});
    ptList->atDeals.push_back(tGame.tDeal);
  }
  ptList->atGames = {};
}

// Indexes an open file with the reading chosen; the number of games.
unsigned IndexOpenFile(std::FILE* pFile, const std::string& Path, bool bWithMistakes, bool bHint) {
  PbnImportOptionsDef tReading = UseReading(pFile, Path, bHint);
  tReading.bKeepRefused = bWithMistakes;
  return IndexGames(pFile, {}, tReading, bHint);
}

std::vector<analysis::DealAnalysisDef> Solve(const std::vector<analysis::DealInputDef>& atDeals,
                                             int Jobs) {
  analysis::SetSolverThreads(Jobs);
  const bool bProgress = isatty(STDERR_FILENO) != 0;
  const auto Progress = [&](size_t NrDone) {
    if (bProgress) std::fprintf(stderr, "\rhand-records: %zu/%zu deals", NrDone, atDeals.size());
  };
  std::vector<analysis::DealAnalysisDef> atResults = analysis::AnalyseDeals(atDeals, Progress);
  if (bProgress && !atDeals.empty()) std::fputc('\n', stderr);
  return atResults;
}

QString FileNameOf(const std::string& Path) {
  return QString::fromStdString(std::filesystem::path(Path).filename().string());
}

// Loads the boards in order, indexing a file again when the boards move on to it, and counts the
// cells where a game's own table of tricks disagrees with the solver.
class BoardLoaderDef {
 public:
  BoardLoaderDef(const BoardListDef& tList, const std::vector<analysis::DealAnalysisDef>& atDd,
                 const HandRecordsArgs& tArgs)
      : tList_(tList), atDd_(atDd), tArgs_(tArgs) {}

  records::BoardDef operator()(size_t i) {
    const BoardListDef::EntryDef& tEntry = tList_.atEntries[i];
    if (tEntry.File != File_ || !pFile_) {
      pFile_ = OpenPbnFile(tList_.aFiles[tEntry.File], tArgs_.bWithMistakes);
      if (pFile_)
        IndexOpenFile(pFile_.get(), tList_.aFiles[tEntry.File], tArgs_.bWithMistakes, false);
      File_ = tEntry.File;
    }
    UInt32 NrLines = 0;
    GameLoad(pFile_.get(), tEntry.GameNr, &NrLines);
    const bool bDetails = records::PerPageWithDetails(tArgs_.PerPage);
    const scoring::BoardDef* ptBoard = tEntry.ptBoard;
    // The auction, play and commentary are a game's: printed where the diagram stands for one
    // game; a board played at several tables has its traveller instead.
    records::BoardDef tBoard =
        records::LoadedBoard(bDetails && (tArgs_.bEveryTable || ptBoard == nullptr ||
                                          ptBoard->NrGames == 1 || !ptBoard->bDeal));
    // A traveller is the results of one deal: of a board with a deal, or of the one game that
    // carries its ScoreTable.
    if (bDetails && ptBoard != nullptr && ptBoard->aResults.size() > 1 &&
        (ptBoard->bDeal || ptBoard->NrGames == 1)) {
      const scoring::ResultDef* ptOwn =
          tArgs_.bEveryTable
              ? tList_.tSession.GameResult(static_cast<scoring::UInt32>(tEntry.File), tEntry.GameNr)
              : nullptr;
      tBoard.Traveller = records::TravellerOf(tList_.tSession, *ptBoard, ptOwn);
    }
    if (tList_.aFiles.size() > 1) tBoard.FileName = FileNameOf(tList_.aFiles[tEntry.File]);
    if (tArgs_.bDoubleDummy) {
      const int NrCells = records::PutAnalysis(atDd_[i], *tGameAdmin.ptGameTags, &tBoard);
      aNrCellsDisagree_.resize(tList_.atEntries.size(), 0);
      aNrCellsDisagree_[i] = NrCells;  // a board may be loaded more than once
    }
    return tBoard;
  }

  // Said once the pages are written.
  void ReportDisagreements() const {
    int NrBoards = 0;
    int NrCells = 0;
    for (int NrBoardCells : aNrCellsDisagree_) {
      NrBoards += NrBoardCells > 0;
      NrCells += NrBoardCells;
    }
    if (NrBoards == 0) return;
    std::fprintf(stderr,
                 "hand-records: the OptimumResultTable of %d boards disagrees with the solver in "
                 "%d cells; the solver's tricks are printed\n",
                 NrBoards, NrCells);
  }

 private:
  const BoardListDef& tList_;
  const std::vector<analysis::DealAnalysisDef>& atDd_;
  const HandRecordsArgs& tArgs_;
  FilePtr pFile_{nullptr, std::fclose};
  size_t File_ = 0;
  std::vector<int> aNrCellsDisagree_;  // by board
};

// Adds the boards of one open file to the list; the file's status.
int AddFile(const std::string& Path, std::FILE* pFile, const HandRecordsArgs& tArgs,
            BoardListDef* ptList) {
  const unsigned NrGames = IndexOpenFile(pFile, Path, tArgs.bWithMistakes, true);
  NoteIndexPass("hand-records", Path, NrGames);
  if (NrGames == 0) return kExitNone;
  AddFileGames(pFile, Path, NrGames, tArgs, ptList);
  return kExitOk;
}

// Writes the PDF to OUT when no input changed since the run began: a board loaded again for its
// page would otherwise not be the board that was solved.
int WritePdfFile(const HandRecordsArgs& tArgs, const InputStampsDef& tStamps,
                 const QByteArray& Pdf) {
  files::SafeWriter tWriter("hand-records");
  const bool bWritten =
      tWriter.Open(tArgs.Out, tArgs.tRules) &&
      tWriter.Write(std::string_view(Pdf.constData(), static_cast<size_t>(Pdf.size()))) &&
      tWriter.Commit([&] { return tStamps.FirstChanged().empty(); });
  ReportLeftovers(tWriter.LeftoversRemoved());
  if (bWritten) return kExitOk;
  if (tWriter.Failure() == files::WriteFailDef::Changed) {
    return Fail("hand-records: " + tStamps.FirstChanged() + ": changed during the run; " +
                tArgs.Out + " is not written");
  }
  return Fail("hand-records: " + tWriter.Message());
}

}  // namespace

int HandRecords(const Args& args) {
  HandRecordsArgs tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;
  InputsDef tInputs = ExpandInputs(tArgs.Files);
  tInputs.bTextOnly = tArgs.bWithMistakes;
  for (const std::string& File : tInputs.Files) {
    std::error_code tError;
    if (std::filesystem::equivalent(File, tArgs.Out, tError))  // a slip that would lose FILE
      return Fail("hand-records: " + tArgs.Out + " is FILE itself");
  }
  if (const std::string Problem = files::TargetProblem(tArgs.Out, tArgs.tRules); !Problem.empty())
    return Fail("hand-records: cannot write " + tArgs.Out + ": " + TargetRefusal(Problem));
  const InputStampsDef tStamps(tInputs.Files);  // before any file is read
  BoardListDef tList;
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t) {
    return AddFile(Path, pFile, tArgs, &tList);
  });
  ChooseEntries(tArgs, &tList);
  if (tList.atEntries.empty()) {
    if (Status != kExitOk) return Status;
    Fail("hand-records: no board in the --boards given");
    return kExitNone;
  }

  static int argc = 1;
  static char acName[] = "karvelon-cli";
  static char* argv[] = {acName, nullptr};
  QGuiApplication tApplication(argc, argv);
  QString Error;

  records::DocumentDef tDocument;
  tDocument.Title = tArgs.Title ? QString::fromLocal8Bit(tArgs.Title->c_str()) : tList.FirstEvent;
  tDocument.FileName = tList.aFiles.size() == 1 ? FileNameOf(tList.aFiles.front()) : QString();
  tDocument.PerPage = tArgs.PerPage;
  tDocument.bDoubleDummy = tArgs.bDoubleDummy;
  tDocument.NrBoards = tList.atEntries.size();
  std::vector<analysis::DealAnalysisDef> atDd;
  if (tArgs.bDoubleDummy) atDd = Solve(tList.atDeals, tArgs.Jobs);
  BoardLoaderDef tLoader(tList, atDd, tArgs);
  tDocument.Board = std::ref(tLoader);
  records::PlanPages(&tDocument, tArgs.Paper);  // at one board a page, a board may go on
  QByteArray Pdf;
  if (!records::RenderPdf(tDocument, tArgs.Paper, &Pdf, &Error))
    return Fail("hand-records: cannot write " + tArgs.Out + ": " + Error.toStdString());
  if (const int WriteStatus = WritePdfFile(tArgs, tStamps, Pdf); WriteStatus != kExitOk)
    return WriteStatus;
  tLoader.ReportDisagreements();
  return Status;
}

}  // namespace cli
