#include "records/hand_records.h"

#include <filesystem>
#include <unordered_map>

#include "core/tags.h"
#include "games/game_admin.h"
#include "import/import.h"
#include "records/board.h"
#include "records/traveller.h"

namespace records {

namespace {

using pbn::UInt32;

QString FileNameOf(const std::string& Path) {
  return QString::fromStdString(std::filesystem::path(Path).filename().string());
}

}  // namespace

size_t HandRecordsDef::AddFile(const std::string& Path) {
  return tSession_.AddFile(Path);
}

void HandRecordsDef::AddLoadedGame(size_t File, UInt32 GameNr, bool bSelected) {
  const pbn::PbnGameTagsDef& tTags = *pbn::tGameAdmin.ptGameTags;
  tSession_.AddGame(static_cast<UInt32>(File), GameNr, *pbn::tGameAdmin.ptGameData, tTags);
  const char* pcEvent = pbn::TagValueText(pbn::TagValue(tTags, pbn::PBN_TAG_ID_EVENT));
  atGames_.push_back({File, GameNr, bSelected,
                      bSelected ? QString::fromStdString(pbn::PbnTextToUtf8(pcEvent)) : QString(),
                      LoadedDeal()});
}

// In file order: by default a board's first game stands for the board; a board without a deal is
// no deal played at several tables, so each of its games is printed. With every table each game.
void HandRecordsDef::ChooseDiagrams() {
  tSession_.Score({});
  // The board of each board's first game, also of one that gives no result.
  std::unordered_map<uint64_t, const scoring::BoardDef*> aFirstGames;
  const auto Key = [](size_t File, UInt32 GameNr) {
    return (static_cast<uint64_t>(File) << 32) | GameNr;
  };
  for (const scoring::BoardDef& tBoard : tSession_.Boards())
    aFirstGames.emplace(Key(tBoard.FileNr, tBoard.GameNr), &tBoard);
  for (GameDef& tGame : atGames_) {
    if (!tGame.bSelected) continue;
    const auto it = aFirstGames.find(Key(tGame.File, tGame.GameNr));
    const bool bFirst = it != aFirstGames.end();
    const scoring::BoardDef* ptBoard =
        bFirst ? it->second : tSession_.GameBoard(static_cast<UInt32>(tGame.File), tGame.GameNr);
    if (!tChoices_.bEveryTable && !bFirst && ptBoard != nullptr && ptBoard->bDeal) continue;
    if (atDiagrams_.empty()) FirstEvent_ = tGame.Event;
    atDiagrams_.push_back({tGame.File, tGame.GameNr, ptBoard, tGame.tDeal});
  }
  atGames_ = {};
  atAnalyses_.assign(atDiagrams_.size(), std::nullopt);
  aNrCellsDisagree_.assign(atDiagrams_.size(), 0);
}

std::vector<analysis::DealInputDef> HandRecordsDef::Deals(size_t First, size_t End) const {
  std::vector<analysis::DealInputDef> atDeals;
  for (size_t i = First; i < std::min(End, atDiagrams_.size()); ++i)
    atDeals.push_back(atDiagrams_[i].tDeal);
  return atDeals;
}

void HandRecordsDef::PutAnalyses(size_t First, std::vector<analysis::DealAnalysisDef> atAnalyses) {
  for (size_t i = 0; i < atAnalyses.size() && First + i < atAnalyses_.size(); ++i)
    atAnalyses_[First + i] = std::move(atAnalyses[i]);
}

DocumentDef HandRecordsDef::Document(GameLoaderDef Load, QPageSize::PageSizeId Paper) {
  DocumentDef tDocument;
  tDocument.Title = FirstEvent_;
  tDocument.FileName = Files().size() == 1 ? FileNameOf(Files().front()) : QString();
  tDocument.PerPage = tChoices_.PerPage;
  tDocument.bDoubleDummy = tChoices_.bDoubleDummy;
  tDocument.NrBoards = atDiagrams_.size();
  tDocument.Board = [this, Load = std::move(Load)](size_t i) { return Board(i, Load); };
  PlanPages(&tDocument, Paper);
  return tDocument;
}

BoardDef HandRecordsDef::Board(size_t i, const GameLoaderDef& Load) {
  const DiagramDef& tDiagram = atDiagrams_[i];
  if (!Load(tDiagram.File, tDiagram.GameNr)) return {};  // the file went: no page is kept
  const bool bDetails = PerPageWithDetails(tChoices_.PerPage);
  const scoring::BoardDef* ptBoard = tDiagram.ptBoard;
  // The auction, play and commentary are a game's: printed where the diagram stands for one
  // game; a board played at several tables has its traveller instead.
  BoardDef tBoard = LoadedBoard(bDetails && (tChoices_.bEveryTable || ptBoard == nullptr ||
                                             ptBoard->NrGames == 1 || !ptBoard->bDeal));
  // A traveller is the results of one deal: of a board with a deal, or of the one game that
  // carries its ScoreTable.
  if (bDetails && ptBoard != nullptr && ptBoard->aResults.size() > 1 &&
      (ptBoard->bDeal || ptBoard->NrGames == 1)) {
    const scoring::ResultDef* ptOwn =
        tChoices_.bEveryTable
            ? tSession_.GameResult(static_cast<UInt32>(tDiagram.File), tDiagram.GameNr)
            : nullptr;
    tBoard.Traveller = TravellerOf(tSession_, *ptBoard, ptOwn);
  }
  if (Files().size() > 1) tBoard.FileName = FileNameOf(Files()[tDiagram.File]);
  if (tChoices_.bDoubleDummy && atAnalyses_[i]) {
    // A board may be loaded more than once: its cells are counted once.
    aNrCellsDisagree_[i] = PutLoadedAnalysis(*atAnalyses_[i], &tBoard);
  }
  return tBoard;
}

int HandRecordsDef::NrBoardsDisagree() const {
  int NrBoards = 0;
  for (int NrCells : aNrCellsDisagree_)
    NrBoards += NrCells > 0;
  return NrBoards;
}

int HandRecordsDef::NrCellsDisagree() const {
  int NrCells = 0;
  for (int NrBoardCells : aNrCellsDisagree_)
    NrCells += NrBoardCells;
  return NrCells;
}

}  // namespace records
