// The list of games beside the table: a model over the list's compact table that makes a cell's
// text only when the view asks for it, and the panel with its filter box. One panel lists every
// game of the index; the other the tables of the board on display (its traveller), with the scores
// of each by the event's scoring after the list's own columns.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "viewer/viewer.h"  // the list of games: games/game_list.h

class QLabel;
class QLineEdit;
class QTableView;

namespace viewer::qt {

class GameListModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& tParent = {}) const override;
  int columnCount(const QModelIndex& tParent = {}) const override;
  QVariant data(const QModelIndex& tIndex, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
  void sort(int Column, Qt::SortOrder Order) override;

  // The rows: the games that Filter matches, or the traveller of game GameNr; in the order the
  // list is sorted by.
  void Select(const QString& Filter);
  void SelectSameBoard(std::uint32_t GameNr);
  // The games of the list after the last one listed, when every game is listed in file order;
  // false otherwise (the rows must be chosen again).
  bool AppendNewGames();
  std::uint32_t GameAt(int Row) const;    // 0 for a row that is no game (of a ScoreTable)
  int RowOf(std::uint32_t GameNr) const;  // -1 when the game is not listed
  int NrScoreColumns() const { return static_cast<int>(tScores_.atColumns.size()); }

 private:
  void Show(std::vector<pbn::UInt32> aGames);
  const ScoreRowDef* ScoreRow(pbn::UInt32 Id) const;
  void SortByScore(int Column);

  // Games by number; a row of the board's ScoreTable by kTableRow and its place in tScores_.
  static constexpr pbn::UInt32 kTableRow = 0x80000000u;
  std::vector<pbn::UInt32> aGames_;
  ScoreTableDef tScores_;  // Same board: the score columns and the cells of every row
  std::unordered_map<pbn::UInt32, std::size_t> aScoreRows_;  // game: its row of tScores_
  int SortScoreColumn_ = -1;  // the list sorted by this column of the scores
  bool bEveryGame_ = false;   // the rows are every game of the list, in file order
  pbn::GameListColumnDef SortColumn_ = pbn::GameListColumnDef::Number;
  bool bDescending_ = false;
};

class GameListPanel final : public QWidget {
 public:
  GameListPanel(bool bSameBoard, QWidget* ptParent);

  void Refill();                      // a new index
  void Grow();                        // games added to the index while the pass reads on
  void Follow(std::uint32_t GameNr);  // the game on display
  GameListModel* Model() const { return ptModel_; }
  QLineEdit* FilterBox() const { return ptFilter_; }
  QTableView* View() const { return ptView_; }

 protected:
  bool eventFilter(QObject* ptObject, QEvent* ptEvent) override;
  void showEvent(QShowEvent* ptEvent) override;

 private:
  void Filter();
  void ShowRow(int Row);
  void ShowCount();
  void SelectSameBoard(std::uint32_t GameNr);

  bool bSameBoard_;
  bool bStale_ = false;  // hidden while the index changed: filled again when shown
  std::uint32_t GameOnDisplay_ = 0;
  GameListModel* ptModel_;
  QLineEdit* ptFilter_ = nullptr;
  QLabel* ptCount_;
  QTableView* ptView_;
};

}  // namespace viewer::qt
