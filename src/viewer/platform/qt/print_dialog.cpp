#include "viewer/platform/qt/print_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QThread>
#include <atomic>

#include "games/pbn_game.h"
#include "records/board.h"
#include "records/pdf.h"
#include "replay/pbn_play.h"
#include "viewer/karvelon.h"

namespace viewer::qt {

namespace {

// Boards per page, double dummy on or off, paper: the one small dialog of both items.
bool AskChoices(QWidget* ptParent, const QString& Title, PrintChoicesDef* ptChoices) {
  QDialog tDialog(ptParent);
  tDialog.setWindowTitle(Title);
  auto* ptPerPage = new QComboBox(&tDialog);
  for (int PerPage : records::kPerPageChoices)
    ptPerPage->addItem(QString::number(PerPage), PerPage);
  ptPerPage->setCurrentText(QString::number(ptChoices->PerPage));
  auto* ptDoubleDummy = new QCheckBox(QStringLiteral("Tables and par"), &tDialog);
  ptDoubleDummy->setChecked(ptChoices->bDoubleDummy);
  auto* ptPaper = new QComboBox(&tDialog);
  ptPaper->addItem(QStringLiteral("A4"), QPageSize::A4);
  ptPaper->addItem(QStringLiteral("Letter"), QPageSize::Letter);
  ptPaper->setCurrentIndex(ptChoices->Paper == QPageSize::Letter ? 1 : 0);
  auto* ptButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &tDialog);
  QObject::connect(ptButtons, &QDialogButtonBox::accepted, &tDialog, &QDialog::accept);
  QObject::connect(ptButtons, &QDialogButtonBox::rejected, &tDialog, &QDialog::reject);
  auto* ptForm = new QFormLayout(&tDialog);
  ptForm->addRow(QStringLiteral("Boards per page"), ptPerPage);
  ptForm->addRow(QStringLiteral("Double dummy"), ptDoubleDummy);
  ptForm->addRow(QStringLiteral("Paper"), ptPaper);
  ptForm->addRow(ptButtons);
  if (tDialog.exec() != QDialog::Accepted) return false;
  ptChoices->PerPage = ptPerPage->currentData().toInt();
  ptChoices->bDoubleDummy = ptDoubleDummy->isChecked();
  ptChoices->Paper = static_cast<QPageSize::PageSizeId>(ptPaper->currentData().toInt());
  return true;
}

// The deals of every game of the open file.
std::vector<analysis::DealInputDef> DealsOfFile(std::FILE* pFile, pbn::UInt32 NrGames) {
  std::vector<analysis::DealInputDef> atDeals;
  for (pbn::UInt32 GameNr = 1; GameNr <= NrGames; ++GameNr) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile, GameNr, &NrLines);
    atDeals.push_back(records::LoadedDeal());
  }
  return atDeals;
}

// The solver off the window's thread, with a progress dialog whose Cancel is heard between
// calls; a call takes two deals a core (the library spreads a batch's tables over its threads), so
// progress moves and Cancel answers within seconds.
bool Solve(QWidget* ptParent, const std::vector<analysis::DealInputDef>& atDeals,
           std::vector<analysis::DealAnalysisDef>* patResults) {
  QProgressDialog tProgress(QStringLiteral("Double dummy..."), QStringLiteral("Cancel"), 0,
                            static_cast<int>(atDeals.size()), ptParent);
  tProgress.setWindowModality(Qt::WindowModal);
  tProgress.setMinimumDuration(300);
  std::atomic<bool> bCancel = false;
  std::atomic<size_t> NrDone = 0;
  const size_t Batch = std::clamp<size_t>(2 * QThread::idealThreadCount(), 4, 32);
  QThread* ptWorker = QThread::create([&] {
    for (size_t First = 0; First < atDeals.size() && !bCancel; First += Batch) {
      const std::vector<analysis::DealInputDef> atBatch(
          atDeals.begin() + First, atDeals.begin() + std::min(First + Batch, atDeals.size()));
      for (analysis::DealAnalysisDef& tResult : analysis::AnalyseDeals(atBatch))
        patResults->push_back(std::move(tResult));
      NrDone = patResults->size();
    }
  });
  ptWorker->start();
  while (!ptWorker->wait(50)) {
    QApplication::processEvents();
    tProgress.setValue(static_cast<int>(NrDone));
    if (tProgress.wasCanceled()) bCancel = true;
  }
  delete ptWorker;
  return !bCancel;
}

class PrintJobDef {
 public:
  explicit PrintJobDef(QWidget* ptWindow) : ptWindow_(ptWindow) {}

  // Asks the choices and builds the document; false when the user stepped back or there is no
  // game.
  bool Prepare(const QString& Title) {
    QString Error;
    if (!HasGames(&Error)) {
      QMessageBox::information(ptWindow_, Title, Error);
      return false;
    }
    return AskChoices(ptWindow_, Title, &tChoices_) && Build(tChoices_, &Error);
  }

  bool HasGames(QString* pError) {
    pFile_ = OpenGameFile();
    NrGames_ = tPbnGames.MaxValue;
    if (pFile_ != nullptr && NrGames_ > 0) return true;
    *pError = QStringLiteral("No games to print.");
    return false;
  }

  // Solves the deals when asked and makes the document; false when the solver was cancelled.
  bool Build(const PrintChoicesDef& tChoices, QString* pError) {
    tChoices_ = tChoices;
    if (tChoices_.bDoubleDummy && !Solve(ptWindow_, DealsOfFile(pFile_, NrGames_), &atDd_)) {
      *pError = QStringLiteral("Cancelled.");
      return false;
    }
    tDocument_.FileName = QFileInfo(QString::fromLocal8Bit(OpenFilePath())).fileName();
    tDocument_.PerPage = tChoices_.PerPage;
    tDocument_.bDoubleDummy = tChoices_.bDoubleDummy;
    tDocument_.NrBoards = NrGames_;
    tDocument_.Board = [this](size_t i) { return Board(i); };
    tDocument_.Title = Board(0).Event;
    return true;
  }

  ~PrintJobDef() { ShowGameNumber(tPbnGames.CurValue); }  // the game on display again

  const records::DocumentDef& Document() const { return tDocument_; }
  QPageSize::PageSizeId Paper() const { return tChoices_.Paper; }

 private:
  records::BoardDef Board(size_t i) {
    pbn::UInt32 NrLines = 0;
    pbn::GameLoad(pFile_, static_cast<pbn::UInt32>(i + 1), &NrLines);
    records::BoardDef tBoard = records::LoadedBoard(records::PerPageWithDetails(tChoices_.PerPage));
    if (i < atDd_.size()) records::PutAnalysis(atDd_[i], *pbn::tGameAdmin.ptGameTags, &tBoard);
    return tBoard;
  }

  QWidget* ptWindow_;
  std::FILE* pFile_ = nullptr;
  pbn::UInt32 NrGames_ = 0;
  PrintChoicesDef tChoices_;
  std::vector<analysis::DealAnalysisDef> atDd_;
  records::DocumentDef tDocument_;
};

void Print(QWidget* ptWindow) {
  PrintJobDef tJob(ptWindow);
  if (!tJob.Prepare(QStringLiteral("Print"))) return;
  QPrinter tPrinter(QPrinter::HighResolution);
  tPrinter.setPageSize(QPageSize(tJob.Paper()));
  tPrinter.setDocName(tJob.Document().Title);
  const int NrPages = records::PageCount(tJob.Document());
  tPrinter.setFromTo(1, NrPages);
  QPrintDialog tDialog(&tPrinter, ptWindow);
  tDialog.setMinMax(1, NrPages);
  if (tDialog.exec() != QDialog::Accepted) return;
  const bool bRange = tPrinter.printRange() == QPrinter::PageRange;
  QPainter tPainter;
  if (!tPainter.begin(&tPrinter)) {
    QMessageBox::warning(ptWindow, QStringLiteral("Print"), QStringLiteral("Cannot print."));
    return;
  }
  records::DrawPages(&tPainter, &tPrinter, tJob.Document(), bRange ? tPrinter.fromPage() : 1,
                     bRange ? tPrinter.toPage() : NrPages);
  tPainter.end();
}

// The choices and the file are asked before the solver's long run.
void ExportPdf(QWidget* ptWindow) {
  const QString Title = QStringLiteral("Export PDF");
  PrintJobDef tJob(ptWindow);
  PrintChoicesDef tChoices;
  QString Error;
  if (!tJob.HasGames(&Error)) {
    QMessageBox::information(ptWindow, Title, Error);
    return;
  }
  if (!AskChoices(ptWindow, Title, &tChoices)) return;
  const QFileInfo tPbn(QString::fromLocal8Bit(OpenFilePath()));
  const QString Suggested = tPbn.absolutePath() + "/" + tPbn.completeBaseName() + ".pdf";
  const QString Path =
      QFileDialog::getSaveFileName(ptWindow, Title, Suggested, QStringLiteral("PDF files (*.pdf)"));
  if (Path.isEmpty() || !tJob.Build(tChoices, &Error)) return;
  if (!records::WritePdf(Path, tJob.Document(), tJob.Paper(), &Error))
    QMessageBox::warning(ptWindow, Title, QStringLiteral("Cannot write %1: %2").arg(Path, Error));
}

}  // namespace

bool ExportHandRecords(QWidget* ptWindow, const PrintChoicesDef& tChoices, const QString& Path,
                       QString* pError) {
  PrintJobDef tJob(ptWindow);
  return tJob.HasGames(pError) && tJob.Build(tChoices, pError) &&
         records::WritePdf(Path, tJob.Document(), tJob.Paper(), pError);
}

void AddPrintItems(QWidget* ptWindow, QMenu* ptProject) {
  QAction* ptPrint = ptProject->addAction(QStringLiteral("&Print..."));
  ptPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  QObject::connect(ptPrint, &QAction::triggered, ptWindow, [ptWindow] { Print(ptWindow); });
  QAction* ptExport = ptProject->addAction(QStringLiteral("Export P&DF..."));
  QObject::connect(ptExport, &QAction::triggered, ptWindow, [ptWindow] { ExportPdf(ptWindow); });
}

}  // namespace viewer::qt
