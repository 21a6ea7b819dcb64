// The Results view beside the table: the ranking of the open file, a heading for each field (a
// section, or its North-South or East-West pairs) and a row for each pair or team; choosing a
// pair lists its boards below, and choosing a board there shows its game.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>

#include "viewer/viewer.h"  // the scores: ScoreTableDef

class QLabel;
class QTableView;

namespace viewer::qt {

// A table of texts of the viewer's scores; a heading row is bold.
class ScoreTableModel final : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& tParent = {}) const override;
  int columnCount(const QModelIndex& tParent = {}) const override;
  QVariant data(const QModelIndex& tIndex, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

  void Set(ScoreTableDef tTable);
  const ScoreTableDef& Table() const { return tTable_; }
  const ScoreRowDef* Row(int Row) const;

 private:
  ScoreTableDef tTable_;
};

class ResultsPanel final : public QWidget {
 public:
  explicit ResultsPanel(QWidget* ptParent);

  void Refill();              // a new index, or its scores computed
  void ChoosePair(int Row);   // a row of the ranking: its boards below
  void ChooseBoard(int Row);  // a row of the boards: its game on display
  ScoreTableModel* Ranking() const { return ptRanking_; }
  ScoreTableModel* Boards() const { return ptBoards_; }
  QTableView* RankingView() const { return ptRankingView_; }
  QString Heading() const;
  QString PairHeading() const;

 protected:
  void showEvent(QShowEvent* ptEvent) override;

 private:
  bool bStale_ = false;  // hidden while the scores changed: filled again when shown
  QLabel* ptHeading_;
  QLabel* ptPairHeading_;
  ScoreTableModel* ptRanking_;
  ScoreTableModel* ptBoards_;
  QTableView* ptRankingView_;
  QTableView* ptBoardsView_;
};

}  // namespace viewer::qt
