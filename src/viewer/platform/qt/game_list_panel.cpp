#include "viewer/platform/qt/game_list_panel.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "viewer/platform/qt/qt_canvas.h"
#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/qt_widgets.h"
#include "viewer/platform/qt/results_panel.h"
#include "viewer/viewer.h"

namespace viewer::qt {

using pbn::GameListColumnDef;

namespace {

// PBN text is ISO 8859-1, or UTF-8 where the 2.1 reading found it declared: as the canvas has it.
QString ListText(const std::string& Text) {
  return CanvasText(Text.data(), static_cast<int>(Text.size()));
}

bool RightAligned(GameListColumnDef Column) {
  return Column == GameListColumnDef::Number || Column == GameListColumnDef::Result ||
         Column == GameListColumnDef::Mistakes;
}

}  // namespace

int GameListModel::rowCount(const QModelIndex& tParent) const {
  return tParent.isValid() ? 0 : static_cast<int>(aGames_.size());
}

int GameListModel::columnCount(const QModelIndex& tParent) const {
  return tParent.isValid() ? 0 : pbn::kGameListNrColumns + NrScoreColumns();
}

const ScoreRowDef* GameListModel::ScoreRow(pbn::UInt32 Id) const {
  if ((Id & kTableRow) != 0) return &tScores_.atRows[Id & ~kTableRow];
  const auto it = aScoreRows_.find(Id);
  return it != aScoreRows_.end() ? &tScores_.atRows[it->second] : nullptr;
}

QVariant GameListModel::data(const QModelIndex& tIndex, int Role) const {
  if (!tIndex.isValid() || tIndex.row() >= rowCount()) return {};
  const pbn::UInt32 Id = aGames_[static_cast<std::size_t>(tIndex.row())];
  // The scores and a ScoreTable's rows are UTF-8, as the scoring layer gives its texts.
  const int ScoreColumn = tIndex.column() - pbn::kGameListNrColumns;
  if (ScoreColumn >= 0) {
    const ScoreRowDef* ptRow = ScoreRow(Id);
    const auto Place = static_cast<std::size_t>(ScoreColumn);
    if (Role == Qt::DisplayRole && ptRow != nullptr && Place < ptRow->aCells.size()) {
      return QString::fromStdString(ptRow->aCells[Place]);
    }
    if (Role == Qt::TextAlignmentRole) {
      const bool bRight = tScores_.atColumns[Place].bRight;
      return QVariant::fromValue(Qt::AlignVCenter | (bRight ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
  }
  const auto Column = static_cast<GameListColumnDef>(tIndex.column());
  if (Role == Qt::DisplayRole && (Id & kTableRow) != 0) {
    const std::vector<std::string>& aCells = ScoreRow(Id)->aListCells;
    const auto Place = static_cast<std::size_t>(tIndex.column());
    return Place < aCells.size() ? QString::fromStdString(aCells[Place]) : QString();
  }
  if (Role == Qt::DisplayRole) return ListText(pbn::GameListText(Id, Column));
  if (Role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::AlignVCenter |
                               (RightAligned(Column) ? Qt::AlignRight : Qt::AlignLeft));
  }
  return {};
}

QVariant GameListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role != Qt::DisplayRole || Orientation != Qt::Horizontal || Section < 0 ||
      Section >= columnCount()) {
    return {};
  }
  if (Section >= pbn::kGameListNrColumns) {
    const auto Place = static_cast<std::size_t>(Section - pbn::kGameListNrColumns);
    return QString::fromStdString(tScores_.atColumns[Place].Header);
  }
  return QString::fromLatin1(pbn::apcGameListHeaders[Section]);
}

// By the figure of a score column, rows without one after those with one; equal rows as they
// were.
void GameListModel::SortByScore(int Column) {
  const auto Place = static_cast<std::size_t>(Column - pbn::kGameListNrColumns);
  const auto Key = [this, Place](pbn::UInt32 Id) {
    const ScoreRowDef* ptRow = ScoreRow(Id);
    bool bNumber = false;
    const double Value = ptRow != nullptr && Place < ptRow->aCells.size()
                             ? QString::fromStdString(ptRow->aCells[Place]).toDouble(&bNumber)
                             : 0;
    return std::pair{!bNumber, bNumber ? Value : 0.0};
  };
  std::stable_sort(aGames_.begin(), aGames_.end(), [&](pbn::UInt32 First, pbn::UInt32 Second) {
    const auto [bFirstNone, FirstValue] = Key(First);
    const auto [bSecondNone, SecondValue] = Key(Second);
    if (bFirstNone != bSecondNone) return bSecondNone;
    return bDescending_ ? SecondValue < FirstValue : FirstValue < SecondValue;
  });
}

void GameListModel::sort(int Column, Qt::SortOrder Order) {
  if (Column < 0 || Column >= columnCount()) return;
  const bool bScore = Column >= pbn::kGameListNrColumns;
  SortScoreColumn_ = bScore ? Column : -1;
  if (!bScore) SortColumn_ = static_cast<GameListColumnDef>(Column);
  bDescending_ = Order == Qt::DescendingOrder;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // The selected and the current row stay on their games.
  const QModelIndexList atBefore = persistentIndexList();
  std::vector<pbn::UInt32> aKept;
  for (const QModelIndex& tIndex : atBefore)
    aKept.push_back(GameAt(tIndex.row()));
  if (bScore) {
    SortByScore(Column);
  } else {
    pbn::GameListSort(&aGames_, SortColumn_, bDescending_);
  }
  QModelIndexList atAfter;
  for (qsizetype i = 0; i < atBefore.size(); i++) {
    const int Row = RowOf(aKept[static_cast<std::size_t>(i)]);
    atAfter << (Row >= 0 ? index(Row, atBefore[i].column()) : QModelIndex());
  }
  changePersistentIndexList(atBefore, atAfter);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GameListModel::Select(const QString& Filter) {
  Show(pbn::GameListSelect(Filter.toLatin1().toStdString()));
  bEveryGame_ = Filter.trimmed().isEmpty();
}

bool GameListModel::AppendNewGames() {
  if (!bEveryGame_ || SortColumn_ != GameListColumnDef::Number || bDescending_) return false;
  const int NrRows = rowCount();
  const auto NrGames = static_cast<int>(pbn::GameListSize());
  if (NrGames <= NrRows) return true;
  beginInsertRows({}, NrRows, NrGames - 1);
  for (int GameNr = NrRows + 1; GameNr <= NrGames; GameNr++)
    aGames_.push_back(static_cast<pbn::UInt32>(GameNr));
  endInsertRows();
  return true;
}

void GameListModel::SelectSameBoard(std::uint32_t GameNr) {
  std::vector<pbn::UInt32> aGames = pbn::GameListSameBoard(GameNr);
  tScores_ = SameBoardScores(GameNr, aGames);
  aScoreRows_.clear();
  for (std::size_t i = 0; i < tScores_.atRows.size(); i++) {
    const std::uint32_t Game = tScores_.atRows[i].GameNr;
    if (Game != 0) {
      aScoreRows_[Game] = i;
    } else {
      aGames.push_back(kTableRow | static_cast<pbn::UInt32>(i));
    }
  }
  // A score column the board has no more: back to the list's order.
  if (SortScoreColumn_ >= columnCount()) SortScoreColumn_ = -1;
  Show(std::move(aGames));
  bEveryGame_ = false;
}

void GameListModel::Show(std::vector<pbn::UInt32> aGames) {
  beginResetModel();
  aGames_ = std::move(aGames);
  if (SortScoreColumn_ >= 0) {
    SortByScore(SortScoreColumn_);
  } else if (SortColumn_ != GameListColumnDef::Number || bDescending_) {
    pbn::GameListSort(&aGames_, SortColumn_, bDescending_);
  }
  endResetModel();
}

std::uint32_t GameListModel::GameAt(int Row) const {
  if (Row < 0 || Row >= rowCount()) return 0;
  const pbn::UInt32 Id = aGames_[static_cast<std::size_t>(Row)];
  return (Id & kTableRow) != 0 ? 0 : Id;
}

int GameListModel::RowOf(std::uint32_t GameNr) const {
  const auto it = std::find(aGames_.begin(), aGames_.end(), GameNr);
  return it != aGames_.end() ? static_cast<int>(it - aGames_.begin()) : -1;
}

GameListPanel::GameListPanel(bool bSameBoard, QWidget* ptParent)
    : QWidget(ptParent), bSameBoard_(bSameBoard) {
  auto* ptLayout = new QVBoxLayout(this);
  ptLayout->setContentsMargins(4, 4, 4, 4);
  if (!bSameBoard_) {
    ptFilter_ = new QLineEdit(this);
    ptFilter_->setPlaceholderText(QStringLiteral("Board, contract (4S, 6NT), player, !"));
    ptFilter_->setClearButtonEnabled(true);
    ptLayout->addWidget(ptFilter_);
    connect(ptFilter_, &QLineEdit::textChanged, this, [this] { Filter(); });
    connect(ptFilter_, &QLineEdit::returnPressed, this, [this] { ShowRow(0); });
    ptFilter_->installEventFilter(this);  // Down goes on into the list
  }
  ptCount_ = new QLabel(this);
  ptLayout->addWidget(ptCount_);
  ptModel_ = new GameListModel(this);
  ptView_ = NewRowsView(ptModel_, this);
  ptView_->setSortingEnabled(true);
  ptView_->sortByColumn(0, Qt::AscendingOrder);
  // Each heading whole, with the sort arrow beside it: the style measures every heading as if its
  // column were the one sorted by.
  static constexpr int aWidths[pbn::kGameListNrColumns] = {60, 44, 64, 46, 64, 220, 56, 80};
  const QHeaderView* ptHeader = ptView_->horizontalHeader();
  for (int Column = 0; Column < pbn::kGameListNrColumns; Column++) {
    QStyleOptionHeader tOption;
    tOption.initFrom(ptHeader);
    tOption.text = QString::fromLatin1(pbn::apcGameListHeaders[Column]);
    tOption.fontMetrics = QFontMetrics(ptHeader->font());
    tOption.sortIndicator = QStyleOptionHeader::SortDown;
    const int Heading =
        ptHeader->style()
            ->sizeFromContents(QStyle::CT_HeaderSection, &tOption, QSize(), ptHeader)
            .width();
    ptView_->setColumnWidth(Column, std::max(aWidths[Column], Heading));
  }
  ptView_->setMinimumWidth(320);
  ptLayout->addWidget(ptView_);
  connect(ptView_, &QAbstractItemView::activated, this,
          [this](const QModelIndex& tIndex) { ShowRow(tIndex.row()); });
  // The heading counts the rows: it follows every change of them.
  connect(ptModel_, &QAbstractItemModel::modelReset, this, [this] { ShowCount(); });
  connect(ptModel_, &QAbstractItemModel::rowsInserted, this, [this] { ShowCount(); });
  Refill();
}

bool GameListPanel::eventFilter(QObject* ptObject, QEvent* ptEvent) {
  const bool bDown = ptEvent->type() == QEvent::KeyPress &&
                     static_cast<QKeyEvent*>(ptEvent)->key() == Qt::Key_Down;
  if (ptObject != ptFilter_ || !bDown || ptModel_->rowCount() == 0) return false;
  ptView_->setFocus();
  if (!ptView_->currentIndex().isValid()) ptView_->setCurrentIndex(ptModel_->index(0, 0));
  return true;
}

void GameListPanel::Refill() {
  if (!isVisible()) {
    bStale_ = true;
    return;
  }
  bStale_ = false;
  if (bSameBoard_) {
    SelectSameBoard(GameOnDisplay_);
  } else {
    Filter();
  }
  // Par where the file carries it, or where the double-dummy panel finds it.
  ptView_->setColumnHidden(static_cast<int>(GameListColumnDef::Par), !ListShowsPar());
  ptView_->setColumnHidden(static_cast<int>(GameListColumnDef::Mistakes), !ListShowsMistakes());
}

void GameListPanel::Grow() {
  if (!isVisible()) {
    bStale_ = true;
  } else if (bSameBoard_ || !ptModel_->AppendNewGames()) {
    Refill();
  }
}

void GameListPanel::showEvent(QShowEvent* ptEvent) {
  QWidget::showEvent(ptEvent);
  if (bSameBoard_) WantScores();
  if (bStale_) Refill();
}

// The traveller with its scores, each score column as wide as its cells (a board has a few rows)
// and shown after the score of the list, before the wide column of the players.
void GameListPanel::SelectSameBoard(std::uint32_t GameNr) {
  ptModel_->SelectSameBoard(GameNr);
  QHeaderView* ptHeader = ptView_->horizontalHeader();
  const int After = ptHeader->visualIndex(static_cast<int>(GameListColumnDef::Score));
  for (int Column = pbn::kGameListNrColumns; Column < ptModel_->columnCount(); Column++) {
    ptView_->resizeColumnToContents(Column);
    ptHeader->moveSection(ptHeader->visualIndex(Column),
                          After + 1 + Column - pbn::kGameListNrColumns);
  }
}

void GameListPanel::Filter() {
  ptModel_->Select(ptFilter_ != nullptr ? ptFilter_->text() : QString());
  Follow(GameOnDisplay_);
}

void GameListPanel::ShowCount() {
  const int NrRows = ptModel_->rowCount();
  const QString tBoard = ListText(pbn::GameListText(GameOnDisplay_, GameListColumnDef::Board));
  const QString tText =
      bSameBoard_ ? QStringLiteral("Board %1: %2 %3")
                        .arg(tBoard)
                        .arg(NrRows)
                        .arg(NrRows == 1 ? QStringLiteral("table") : QStringLiteral("tables"))
                  : QStringLiteral("%1 of %2 games").arg(NrRows).arg(pbn::GameListSize());
  ptCount_->setText(tText);
}

void GameListPanel::Follow(std::uint32_t GameNr) {
  const bool bOtherBoard = bSameBoard_ && ptModel_->RowOf(GameNr) < 0;
  GameOnDisplay_ = GameNr;
  if (bOtherBoard) SelectSameBoard(GameNr);
  const int Row = ptModel_->RowOf(GameNr);
  if (Row < 0) {
    ptView_->clearSelection();
    return;
  }
  const QModelIndex tIndex = ptModel_->index(Row, 0);
  ptView_->selectionModel()->setCurrentIndex(
      tIndex, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ptView_->scrollTo(tIndex);
  if (ListShowsPar()) {
    ptView_->setColumnHidden(static_cast<int>(GameListColumnDef::Par), false);
  }
}

void GameListPanel::ShowRow(int Row) {
  if (const std::uint32_t GameNr = ptModel_->GameAt(Row)) ShowGameNumber(GameNr);
}

// The main window's side of the list: docks on the right, made hidden when first asked for.
QDockWidget* MainWindow::GameListDock(bool bSameBoard) {
  QDockWidget*& ptDock = bSameBoard ? ptSameBoardDock_ : ptGameListDock_;
  if (ptDock == nullptr) {
    auto* ptPanel = new GameListPanel(bSameBoard, this);
    ptPanel->Follow(GameOnDisplay());
    ptDock = AddSidePanel(ptPanel,
                          bSameBoard ? QStringLiteral("Same board") : QStringLiteral("Game list"));
    ptDock->hide();
  }
  return ptDock;
}

void MainWindow::ShowGameList(bool bSameBoard) {
  QDockWidget* ptDock = GameListDock(bSameBoard);
  const bool bOpening = ptDock->isHidden();
  const int StageWidth = ptStage_->width();
  ptDock->show();
  ptDock->raise();
  if (bOpening) KeepStageWidth(StageWidth);
  if (bSameBoard) WantScores();
  auto* ptPanel = static_cast<GameListPanel*>(ptDock->widget());
  if (ptPanel->FilterBox() != nullptr) {
    ptPanel->FilterBox()->setFocus();
  } else {
    ptPanel->View()->setFocus();
  }
}

GameListPanel* MainWindow::GameList(bool bSameBoard) const {
  const QDockWidget* ptDock = bSameBoard ? ptSameBoardDock_ : ptGameListDock_;
  return ptDock != nullptr ? static_cast<GameListPanel*>(ptDock->widget()) : nullptr;
}

void MainWindow::GamesIndexed() {
  tListGrown_.invalidate();
  for (const bool bSameBoard : {false, true}) {
    if (GameListPanel* ptPanel = GameList(bSameBoard)) ptPanel->Refill();
  }
  if (ResultsPanel* ptPanel = Results()) ptPanel->Refill();
}

void MainWindow::ScoresComputed() {
  if (GameListPanel* ptPanel = GameList(true)) ptPanel->Refill();
  if (ResultsPanel* ptPanel = Results()) ptPanel->Refill();
}

// A few times a second while the pass reads on; every time would rebuild a filtered list of a big
// file some hundred times.
void MainWindow::GamesAppended() {
  if (tListGrown_.isValid() && tListGrown_.elapsed() < 250) return;
  tListGrown_.start();
  for (const bool bSameBoard : {false, true}) {
    if (GameListPanel* ptPanel = GameList(bSameBoard)) ptPanel->Grow();
  }
}

void MainWindow::GameShown(std::uint32_t GameNr) {
  for (const bool bSameBoard : {false, true}) {
    if (GameListPanel* ptPanel = GameList(bSameBoard)) ptPanel->Follow(GameNr);
  }
}

bool MainWindow::AskGameNumber(std::uint32_t Current, std::uint32_t Max, std::uint32_t* pGame) {
  if (!bInteractive_ || Max == 0) return false;
  const int Highest = static_cast<int>(std::min<std::uint32_t>(Max, INT32_MAX));
  bool bOk = false;
  const int Game = QInputDialog::getInt(
      this, QStringLiteral("Go to game"), QStringLiteral("Game (1 to %1):").arg(Highest),
      static_cast<int>(std::min<std::uint32_t>(Current, INT32_MAX)), 1, Highest, 1, &bOk);
  if (bOk) *pGame = static_cast<std::uint32_t>(Game);
  return bOk;
}

}  // namespace viewer::qt
