#include "viewer/platform/qt/results_panel.h"

#include <QDockWidget>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/qt_widgets.h"

namespace viewer::qt {

int ScoreTableModel::rowCount(const QModelIndex& tParent) const {
  return tParent.isValid() ? 0 : static_cast<int>(tTable_.atRows.size());
}

int ScoreTableModel::columnCount(const QModelIndex& tParent) const {
  return tParent.isValid() ? 0 : static_cast<int>(tTable_.atColumns.size());
}

const ScoreRowDef* ScoreTableModel::Row(int Row) const {
  return Row >= 0 && Row < rowCount() ? &tTable_.atRows[static_cast<std::size_t>(Row)] : nullptr;
}

// The texts of the scores are UTF-8.
QVariant ScoreTableModel::data(const QModelIndex& tIndex, int Role) const {
  const ScoreRowDef* ptRow = tIndex.isValid() ? Row(tIndex.row()) : nullptr;
  if (ptRow == nullptr || tIndex.column() >= columnCount()) return {};
  const auto Column = static_cast<std::size_t>(tIndex.column());
  switch (Role) {
    case Qt::DisplayRole:
      return Column < ptRow->aCells.size() ? QString::fromStdString(ptRow->aCells[Column])
                                           : QString();
    case Qt::TextAlignmentRole: {
      const bool bRight = !ptRow->bHeading && tTable_.atColumns[Column].bRight;
      return QVariant::fromValue(Qt::AlignVCenter | (bRight ? Qt::AlignRight : Qt::AlignLeft));
    }
    case Qt::FontRole: {
      if (!ptRow->bHeading) return {};
      QFont tFont;
      tFont.setBold(true);
      return tFont;
    }
    default:
      return {};
  }
}

QVariant ScoreTableModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role != Qt::DisplayRole || Orientation != Qt::Horizontal || Section < 0 ||
      Section >= columnCount()) {
    return {};
  }
  return QString::fromStdString(tTable_.atColumns[static_cast<std::size_t>(Section)].Header);
}

void ScoreTableModel::Set(ScoreTableDef tTable) {
  beginResetModel();
  tTable_ = std::move(tTable);
  endResetModel();
}

namespace {

// Each column as wide as its heading and its cells (a ranking has tens of rows, not thousands);
// a heading row spans the table, so it counts for none.
void FitColumns(QTableView* ptView, const ScoreTableModel& tModel) {
  ptView->clearSpans();
  for (int Row = 0; Row < tModel.rowCount(); Row++) {
    if (tModel.Row(Row)->bHeading && tModel.columnCount() > 1) {
      ptView->setSpan(Row, 0, 1, tModel.columnCount());
    }
  }
  for (int Column = 0; Column < tModel.columnCount(); Column++) {
    int Width = ptView->horizontalHeader()->sectionSizeHint(Column);
    for (int Row = 0; Row < tModel.rowCount(); Row++) {
      if (!tModel.Row(Row)->bHeading)
        Width = std::max(Width, ptView->sizeHintForIndex(tModel.index(Row, Column)).width());
    }
    ptView->setColumnWidth(Column, Width + 8);
  }
}

}  // namespace

ResultsPanel::ResultsPanel(QWidget* ptParent) : QWidget(ptParent) {
  auto* ptLayout = new QVBoxLayout(this);
  ptLayout->setContentsMargins(4, 4, 4, 4);
  ptHeading_ = new QLabel(this);
  ptLayout->addWidget(ptHeading_);
  auto* ptSplitter = new QSplitter(Qt::Vertical, this);
  ptRanking_ = new ScoreTableModel(this);
  ptRankingView_ = NewRowsView(ptRanking_, ptSplitter);
  auto* ptLower = new QWidget(ptSplitter);
  auto* ptLowerLayout = new QVBoxLayout(ptLower);
  ptLowerLayout->setContentsMargins(0, 4, 0, 0);
  ptPairHeading_ = new QLabel(ptLower);
  ptLowerLayout->addWidget(ptPairHeading_);
  ptBoards_ = new ScoreTableModel(this);
  ptBoardsView_ = NewRowsView(ptBoards_, ptLower);
  ptLowerLayout->addWidget(ptBoardsView_);
  ptSplitter->addWidget(ptRankingView_);
  ptSplitter->addWidget(ptLower);
  ptLayout->addWidget(ptSplitter);
  setMinimumWidth(320);
  connect(ptRankingView_, &QAbstractItemView::activated, this,
          [this](const QModelIndex& tIndex) { ChoosePair(tIndex.row()); });
  connect(ptBoardsView_, &QAbstractItemView::activated, this,
          [this](const QModelIndex& tIndex) { ChooseBoard(tIndex.row()); });
  Refill();
}

QString ResultsPanel::Heading() const {
  return ptHeading_->text();
}

QString ResultsPanel::PairHeading() const {
  return ptPairHeading_->text();
}

void ResultsPanel::Refill() {
  if (!isVisible()) {
    bStale_ = true;
    return;
  }
  bStale_ = false;
  ptRanking_->Set(ResultsRanking());
  ptBoards_->Set({});
  ptPairHeading_->clear();
  FitColumns(ptRankingView_, *ptRanking_);
  switch (ScoresState()) {
    case ScoresStateDef::Computing:
      ptHeading_->setText(QStringLiteral("Scoring the boards\u2026"));
      break;
    case ScoresStateDef::Ready:
      ptHeading_->setText(QString::fromStdString(ptRanking_->Table().Title));
      ptPairHeading_->setText(QStringLiteral("Choose a pair or team to list its boards"));
      break;
    case ScoresStateDef::None:
      ptHeading_->setText(OpenFilePath()[0] != '\0' ? QStringLiteral("No games to score")
                                                    : QStringLiteral("No file open"));
      break;
  }
}

void ResultsPanel::ChoosePair(int Row) {
  const ScoreRowDef* ptRow = ptRanking_->Row(Row);
  if (ptRow == nullptr || ptRow->Pair < 0) return;
  ptBoards_->Set(ResultsPairBoards(ptRow->Pair));
  ptPairHeading_->setText(QString::fromStdString(ptBoards_->Table().Title));
  FitColumns(ptBoardsView_, *ptBoards_);
}

void ResultsPanel::ChooseBoard(int Row) {
  const ScoreRowDef* ptRow = ptBoards_->Row(Row);
  if (ptRow != nullptr && ptRow->GameNr != 0) ShowGameNumber(ptRow->GameNr);
}

void ResultsPanel::showEvent(QShowEvent* ptEvent) {
  QWidget::showEvent(ptEvent);
  WantScores();
  if (bStale_) Refill();
}

// The main window's side: a dock on the right, made hidden when first asked for.
QDockWidget* MainWindow::ResultsDock() {
  if (ptResultsDock_ == nullptr) {
    ptResultsDock_ = AddSidePanel(new ResultsPanel(this), QStringLiteral("Results"));
    ptResultsDock_->hide();
  }
  return ptResultsDock_;
}

void MainWindow::ShowResults() {
  QDockWidget* ptDock = ResultsDock();
  const bool bOpening = ptDock->isHidden();
  const int StageWidth = ptStage_->width();
  ptDock->show();
  ptDock->raise();
  if (bOpening) KeepStageWidth(StageWidth);
  WantScores();
  auto* ptPanel = static_cast<ResultsPanel*>(ptDock->widget());
  ptPanel->Refill();
  ptPanel->RankingView()->setFocus();
}

ResultsPanel* MainWindow::Results() const {
  return ptResultsDock_ != nullptr ? static_cast<ResultsPanel*>(ptResultsDock_->widget()) : nullptr;
}

}  // namespace viewer::qt
