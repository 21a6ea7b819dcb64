// karvelon-cli hand-records FILES... -o OUT.pdf: a sheet per board as a director hands them out,
// with the deal, the points, the double-dummy table and par, written as a PDF by the safe writer:
// OUT is checked before the work starts and replaced only when no input changed during the run.
// The games of all files are grouped into the boards of a session (records/hand_records.h, as the
// viewer's Print groups them): each board is printed once, from its first game (with
// --every-table each game), and with one or two boards a page under its traveller with the scores.
#include <unistd.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>

#include "analysis/dd.h"
#include "cli/cli.h"
#include "cli/inputs.h"
#include "cli/options.h"
#include "cli/writing.h"
#include "files/safe_writer.h"
#include "games/pbn_game.h"
#include "records/hand_records.h"
#include "records/pdf.h"
#include "replay/pbn_play.h"

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

// Adds every indexed game of the open file to the hand records.
void AddFileGames(std::FILE* pFile, const std::string& Path, unsigned NrGames,
                  const HandRecordsArgs& tArgs, records::HandRecordsDef* ptRecords) {
  const size_t File = ptRecords->AddFile(Path);
  for (UInt32 GameNr = 1; GameNr <= NrGames; ++GameNr) {
    PbnFilePosDef FilePosBegin = -1;
    PbnFilePosDef FilePosOut = -1;
    if (!GameLoadRecords(pFile, GameNr, &FilePosBegin, &FilePosOut)) continue;
    ptRecords->AddLoadedGame(
        File, GameNr,
        BoardSelected(tArgs.atBoards, TagText(*tGameAdmin.ptGameTags, PBN_TAG_ID_BOARD)));
  }
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

// Loads a game of the run's files for its page, indexing a file again when the boards move on
// to it.
class RunGamesDef {
 public:
  RunGamesDef(const std::vector<std::string>& aFiles, bool bWithMistakes)
      : aFiles_(aFiles), bWithMistakes_(bWithMistakes) {}

  bool operator()(size_t File, UInt32 GameNr) {
    if (File != File_ || !pFile_) {
      pFile_ = OpenPbnFile(aFiles_[File], bWithMistakes_);
      if (pFile_) IndexOpenFile(pFile_.get(), aFiles_[File], bWithMistakes_, false);
      File_ = File;
    }
    if (!pFile_) return false;
    UInt32 NrLines = 0;
    GameLoad(pFile_.get(), GameNr, &NrLines);
    return true;
  }

 private:
  const std::vector<std::string>& aFiles_;
  bool bWithMistakes_;
  FilePtr pFile_{nullptr, std::fclose};
  size_t File_ = 0;
};

// Said once the pages are written.
void ReportDisagreements(const records::HandRecordsDef& tRecords) {
  if (tRecords.NrBoardsDisagree() == 0) return;
  std::fprintf(stderr,
               "hand-records: the OptimumResultTable of %d boards disagrees with the solver in "
               "%d cells; the solver's tricks are printed\n",
               tRecords.NrBoardsDisagree(), tRecords.NrCellsDisagree());
}

// Adds the boards of one open file to the list; the file's status.
int AddFile(const std::string& Path, std::FILE* pFile, const HandRecordsArgs& tArgs,
            records::HandRecordsDef* ptRecords) {
  const unsigned NrGames = IndexOpenFile(pFile, Path, tArgs.bWithMistakes, true);
  NoteIndexPass("hand-records", Path, NrGames);
  if (NrGames == 0) return kExitNone;
  AddFileGames(pFile, Path, NrGames, tArgs, ptRecords);
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
  records::HandRecordsDef tRecords({tArgs.PerPage, tArgs.bDoubleDummy, tArgs.bEveryTable});
  const int Status = ForEachFile(tInputs, [&](const std::string& Path, std::FILE* pFile, size_t) {
    return AddFile(Path, pFile, tArgs, &tRecords);
  });
  tRecords.ChooseDiagrams();
  if (tRecords.NrDiagrams() == 0) {
    if (Status != kExitOk) return Status;
    Fail("hand-records: no board in the --boards given");
    return kExitNone;
  }

  static int argc = 1;
  static char acName[] = "karvelon-cli";
  static char* argv[] = {acName, nullptr};
  QGuiApplication tApplication(argc, argv);
  QString Error;

  if (tArgs.bDoubleDummy)
    tRecords.PutAnalyses(0, Solve(tRecords.Deals(0, tRecords.NrDiagrams()), tArgs.Jobs));
  RunGamesDef tGames(tRecords.Files(), tArgs.bWithMistakes);
  records::DocumentDef tDocument = tRecords.Document(std::ref(tGames), tArgs.Paper);
  if (tArgs.Title) tDocument.Title = QString::fromLocal8Bit(tArgs.Title->c_str());
  QByteArray Pdf;
  if (!records::RenderPdf(tDocument, tArgs.Paper, &Pdf, &Error))
    return Fail("hand-records: cannot write " + tArgs.Out + ": " + Error.toStdString());
  if (const int WriteStatus = WritePdfFile(tArgs, tStamps, Pdf); WriteStatus != kExitOk)
    return WriteStatus;
  ReportDisagreements(tRecords);
  return Status;
}

}  // namespace cli
