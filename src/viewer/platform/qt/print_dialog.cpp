#include "viewer/platform/qt/print_dialog.h"

#include <QAction>
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
#include <QTimer>
#include <atomic>
#include <memory>
#include <tuple>

#include "records/hand_records.h"
#include "records/pdf.h"
#include "viewer/platform/qt/qt_settings.h"
#include "viewer/viewer.h"

namespace viewer::qt {

namespace {

// The dialog's choices, kept between runs (qt_settings.h).
const QString kPerPageKey = QStringLiteral("Print/PerPage");
const QString kPrintDoubleDummyKey = QStringLiteral("Print/DoubleDummy");
const QString kPaperKey = QStringLiteral("Print/Paper");
const QString kEveryTableKey = QStringLiteral("Print/EveryTable");

PrintChoicesDef KeptChoices() {
  const QSettings tSettings = Settings();
  PrintChoicesDef tChoices;
  const int PerPage = tSettings.value(kPerPageKey, tChoices.PerPage).toInt();
  if (records::PerPageOffered(PerPage)) tChoices.PerPage = PerPage;
  tChoices.bDoubleDummy = tSettings.value(kPrintDoubleDummyKey, tChoices.bDoubleDummy).toBool();
  const QString Paper = tSettings.value(kPaperKey).toString();
  if (Paper == QLatin1String("a4")) tChoices.Paper = QPageSize::A4;
  if (Paper == QLatin1String("letter")) tChoices.Paper = QPageSize::Letter;
  tChoices.bEveryTable = tSettings.value(kEveryTableKey, tChoices.bEveryTable).toBool();
  return tChoices;
}

void KeepChoices(const PrintChoicesDef& tChoices) {
  QSettings tSettings = Settings();
  tSettings.setValue(kPerPageKey, tChoices.PerPage);
  tSettings.setValue(kPrintDoubleDummyKey, tChoices.bDoubleDummy);
  tSettings.setValue(kPaperKey, tChoices.Paper == QPageSize::Letter ? QStringLiteral("letter")
                                                                    : QStringLiteral("a4"));
  tSettings.setValue(kEveryTableKey, tChoices.bEveryTable);
}

// Boards per page, double dummy on or off, paper, every table: the one small dialog of both
// items, with the choices of the last time.
bool AskChoices(QWidget* ptParent, const QString& Title, PrintChoicesDef* ptChoices) {
  *ptChoices = KeptChoices();
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
  auto* ptEveryTable = new QCheckBox(QStringLiteral("Every table"), &tDialog);
  ptEveryTable->setToolTip(
      QStringLiteral("A diagram for each game as played at each table, not one for each board"));
  ptEveryTable->setChecked(ptChoices->bEveryTable);
  auto* ptButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &tDialog);
  QObject::connect(ptButtons, &QDialogButtonBox::accepted, &tDialog, &QDialog::accept);
  QObject::connect(ptButtons, &QDialogButtonBox::rejected, &tDialog, &QDialog::reject);
  auto* ptForm = new QFormLayout(&tDialog);
  ptForm->addRow(QStringLiteral("Boards per page"), ptPerPage);
  ptForm->addRow(QStringLiteral("Double dummy"), ptDoubleDummy);
  ptForm->addRow(QStringLiteral("Paper"), ptPaper);
  ptForm->addRow(QStringLiteral("Diagrams"), ptEveryTable);
  ptForm->addRow(ptButtons);
  if (tDialog.exec() != QDialog::Accepted) return false;
  ptChoices->PerPage = ptPerPage->currentData().toInt();
  ptChoices->bDoubleDummy = ptDoubleDummy->isChecked();
  ptChoices->Paper = static_cast<QPageSize::PageSizeId>(ptPaper->currentData().toInt());
  ptChoices->bEveryTable = ptEveryTable->isChecked();
  KeepChoices(*ptChoices);
  return true;
}

// The solver's run: the deals, filled in on the worker thread, the cancel heard between calls.
struct SolveRunDef {
  std::vector<analysis::DealInputDef> atDeals;
  std::vector<analysis::DealAnalysisDef> atResults;
  std::atomic<bool> bCancel = false;
  std::atomic<size_t> NrDone = 0;
};

std::atomic<int> NrSolving = 0;

// A call takes two deals a core (the library spreads a batch's tables over its threads), so
// progress moves and Cancel answers within seconds.
void SolveInBatches(SolveRunDef* ptRun) {
  const size_t Batch = std::clamp<size_t>(2 * QThread::idealThreadCount(), 4, 32);
  const std::vector<analysis::DealInputDef>& atDeals = ptRun->atDeals;
  for (size_t First = 0; First < atDeals.size() && !ptRun->bCancel; First += Batch) {
    const std::vector<analysis::DealInputDef> atBatch(
        atDeals.begin() + First, atDeals.begin() + std::min(First + Batch, atDeals.size()));
    for (analysis::DealAnalysisDef& tResult : analysis::AnalyseDeals(atBatch))
      ptRun->atResults.push_back(std::move(tResult));
    ptRun->NrDone = ptRun->atResults.size();
  }
}

// The hand records of the open file as far as it is read: its games grouped into boards as
// karvelon-cli hand-records groups them, the document whose boards are loaded as their pages are
// drawn, and the solver's answers for the boards asked.
class HandRecordJobDef {
 public:
  HandRecordJobDef(QWidget* ptWindow, const PrintChoicesDef& tChoices)
      : ptWindow_(ptWindow),
        tChoices_(tChoices),
        tRecords_({tChoices.PerPage, tChoices.bDoubleDummy, tChoices.bEveryTable}) {
    NrGames_ = HandRecordGames();
    Path_ = OpenFilePath();
    if (NrGames_ == 0) return;
    const size_t File = tRecords_.AddFile(Path_);
    for (std::uint32_t GameNr = 1; GameNr <= NrGames_; ++GameNr) {
      if (LoadHandRecordGame(GameNr)) tRecords_.AddLoadedGame(File, GameNr, true);
    }
    tRecords_.ChooseDiagrams();
    tDocument_ = tRecords_.Document(
        [](size_t, std::uint32_t GameNr) { return LoadHandRecordGame(GameNr); }, tChoices_.Paper);
    HandRecordsDone();
  }

  bool HasGames(QString* pError) const {
    if (tRecords_.NrDiagrams() > 0) return true;
    *pError = QStringLiteral("No games to print.");
    return false;
  }
  // The file on display is still the one of the job (another may have been opened meanwhile).
  bool FileKept(QString* pError) const {
    if (HandRecordGames() == NrGames_ && Path_ == OpenFilePath()) return true;
    *pError = QStringLiteral("Another file was opened meanwhile.");
    return false;
  }
  const records::DocumentDef& Document() const { return tDocument_; }
  QPageSize::PageSizeId Paper() const { return tChoices_.Paper; }
  int NrPages() const { return records::PageCount(tDocument_); }

  // The boards of pages FirstPage to LastPage (from 1).
  void SetPages(int FirstPage, int LastPage) {
    std::tie(First_, End_) = records::PageBoards(tDocument_, FirstPage, LastPage);
  }

  // The deals of the boards asked, solved on a worker thread with a progress dialog whose Cancel
  // is heard between calls; Done(true) on the window's thread once solved, false when cancelled.
  // Without double dummy Done follows at once.
  static void SolveThen(const std::shared_ptr<HandRecordJobDef>& ptJob,
                        std::function<void(bool)> Done) {
    if (!ptJob->tChoices_.bDoubleDummy) return Done(true);
    auto ptRun = std::make_shared<SolveRunDef>();
    ptRun->atDeals = ptJob->tRecords_.Deals(ptJob->First_, ptJob->End_);
    auto* ptProgress =
        new QProgressDialog(QStringLiteral("Double dummy..."), QStringLiteral("Cancel"), 0,
                            static_cast<int>(ptRun->atDeals.size()), ptJob->ptWindow_);
    ptProgress->setWindowModality(Qt::WindowModal);
    ptProgress->setMinimumDuration(300);
    ptProgress->setAutoClose(false);
    ptProgress->setAutoReset(false);
    QObject::connect(ptProgress, &QProgressDialog::canceled, [ptRun] { ptRun->bCancel = true; });
    QThread* ptWorker = QThread::create([ptRun] { SolveInBatches(ptRun.get()); });
    // The progress moves as the batches come in.
    auto* ptTicker = new QTimer(ptProgress);
    QObject::connect(ptTicker, &QTimer::timeout, ptProgress, [ptRun, ptProgress] {
      ptProgress->setValue(static_cast<int>(ptRun->NrDone));
    });
    ptTicker->start(100);
    ++NrSolving;
    QObject::connect(ptWorker, &QThread::finished, ptJob->ptWindow_,
                     [ptJob, ptRun, ptProgress, ptWorker, Done = std::move(Done)] {
                       --NrSolving;
                       ptProgress->deleteLater();
                       ptWorker->deleteLater();
                       if (ptRun->bCancel) return Done(false);
                       ptJob->tRecords_.PutAnalyses(ptJob->First_, std::move(ptRun->atResults));
                       Done(true);
                     });
    ptWorker->start();
  }

  // The same on the calling thread, without a dialog.
  void SolveHere() {
    if (!tChoices_.bDoubleDummy) return;
    SolveRunDef tRun;
    tRun.atDeals = tRecords_.Deals(First_, End_);
    SolveInBatches(&tRun);
    tRecords_.PutAnalyses(First_, std::move(tRun.atResults));
  }

 private:
  QWidget* ptWindow_;
  PrintChoicesDef tChoices_;
  records::HandRecordsDef tRecords_;
  std::uint32_t NrGames_ = 0;
  std::string Path_;
  size_t First_ = 0;  // the boards to solve, End_ excluded
  size_t End_ = 0;
  records::DocumentDef tDocument_;
};

// The pages of the range on the printer; "" once printed.
QString PrintPages(const HandRecordJobDef& tJob, QPrinter* ptPrinter, int First, int Last) {
  QString Error;
  if (!tJob.FileKept(&Error)) return Error;
  QPainter tPainter;
  if (!tPainter.begin(ptPrinter)) return QStringLiteral("Cannot print.");
  records::DrawPages(&tPainter, ptPrinter, tJob.Document(), First, Last);
  tPainter.end();
  HandRecordsDone();
  return QString();
}

void Print(QWidget* ptWindow) {
  const QString Title = QStringLiteral("Print");
  PrintChoicesDef tChoices;
  if (HandRecordsSolving()) return;
  if (HandRecordGames() == 0) {
    QMessageBox::information(ptWindow, Title, QStringLiteral("No games to print."));
    return;
  }
  if (!AskChoices(ptWindow, Title, &tChoices)) return;
  const auto AskPrinter = [ptWindow](QPrinter* ptPrinter, int NrPages) {
    QPrintDialog tDialog(ptPrinter, ptWindow);
    tDialog.setMinMax(1, NrPages);
    return tDialog.exec() == QDialog::Accepted;
  };
  PrintHandRecords(ptWindow, tChoices, AskPrinter, [ptWindow, Title](const QString& Error) {
    if (!Error.isEmpty()) QMessageBox::warning(ptWindow, Title, Error);
  });
}

// The choices and the file are asked before the solver's long run.
void ExportPdf(QWidget* ptWindow) {
  const QString Title = QStringLiteral("Export PDF");
  if (HandRecordsSolving()) return;
  PrintChoicesDef tChoices;
  if (HandRecordGames() == 0) {
    QMessageBox::information(ptWindow, Title, QStringLiteral("No games to print."));
    return;
  }
  if (!AskChoices(ptWindow, Title, &tChoices)) return;
  const QFileInfo tPbn(QString::fromLocal8Bit(OpenFilePath()));
  const QString Suggested = tPbn.absolutePath() + "/" + tPbn.completeBaseName() + ".pdf";
  const QString Path =
      QFileDialog::getSaveFileName(ptWindow, Title, Suggested, QStringLiteral("PDF files (*.pdf)"));
  if (Path.isEmpty()) return;
  auto ptJob = std::make_shared<HandRecordJobDef>(ptWindow, tChoices);
  ptJob->SetPages(1, ptJob->NrPages());
  HandRecordJobDef::SolveThen(ptJob, [ptJob, ptWindow, Title, Path](bool bSolved) {
    QString Error;
    if (!bSolved || !ptJob->FileKept(&Error)) {
      if (!Error.isEmpty()) QMessageBox::warning(ptWindow, Title, Error);
      return;
    }
    const bool bWritten = records::WritePdf(Path, ptJob->Document(), ptJob->Paper(), &Error);
    HandRecordsDone();
    if (!bWritten) {
      QMessageBox::warning(ptWindow, Title, QStringLiteral("Cannot write %1: %2").arg(Path, Error));
    }
  });
}

}  // namespace

void PrintHandRecords(QWidget* ptWindow, const PrintChoicesDef& tChoices,
                      const std::function<bool(QPrinter*, int)>& AskPrinter,
                      std::function<void(const QString&)> Done) {
  auto ptJob = std::make_shared<HandRecordJobDef>(ptWindow, tChoices);
  QString Error;
  if (!ptJob->HasGames(&Error)) return Done(Error);
  auto ptPrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
  ptPrinter->setPageSize(QPageSize(ptJob->Paper()));
  ptPrinter->setDocName(ptJob->Document().Title);
  const int NrPages = ptJob->NrPages();
  ptPrinter->setFromTo(1, NrPages);
  if (!AskPrinter(ptPrinter.get(), NrPages)) return Done(QString());
  const bool bRange = ptPrinter->printRange() == QPrinter::PageRange;
  const int First = bRange ? ptPrinter->fromPage() : 1;
  const int Last = bRange ? ptPrinter->toPage() : NrPages;
  ptJob->SetPages(First, Last);  // only the boards printed are solved
  HandRecordJobDef::SolveThen(ptJob, [ptJob, ptPrinter, First, Last, Done](bool bSolved) {
    Done(bSolved ? PrintPages(*ptJob, ptPrinter.get(), First, Last) : QString());
  });
}

bool HandRecordsSolving() {
  return NrSolving > 0;
}

bool ExportHandRecords(QWidget* ptWindow, const PrintChoicesDef& tChoices, const QString& Path,
                       QString* pError) {
  HandRecordJobDef tJob(ptWindow, tChoices);
  if (!tJob.HasGames(pError)) return false;
  tJob.SetPages(1, tJob.NrPages());
  tJob.SolveHere();
  const bool bWritten = records::WritePdf(Path, tJob.Document(), tJob.Paper(), pError);
  HandRecordsDone();
  return bWritten;
}

void AddPrintItems(QWidget* ptWindow, QMenu* ptProject) {
  QAction* ptPrint = ptProject->addAction(QStringLiteral("&Print..."));
  ptPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  QObject::connect(ptPrint, &QAction::triggered, ptWindow, [ptWindow] { Print(ptWindow); });
  QAction* ptExport = ptProject->addAction(QStringLiteral("Export P&DF..."));
  QObject::connect(ptExport, &QAction::triggered, ptWindow, [ptWindow] { ExportPdf(ptWindow); });
}

}  // namespace viewer::qt
