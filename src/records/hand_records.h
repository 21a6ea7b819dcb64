// The hand records of a run as a document: the games of its files grouped into the boards of a
// session by the scoring layer, each board printed once, from its first game (or each game, one
// diagram a table), and at one or two boards a page its traveller under the deal.
// karvelon-cli hand-records and the viewer's Print and Export PDF build their pages here:
//
//   records::HandRecordsDef tRecords({.PerPage = 2});
//   const size_t File = tRecords.AddFile("club.pbn");
//   for each game:                                 // its records loaded (GameLoadRecords)
//     tRecords.AddLoadedGame(File, GameNr, true);
//   tRecords.ChooseDiagrams();
//   tRecords.PutAnalyses(0, analysis::AnalyseDeals(tRecords.Deals(0, tRecords.NrDiagrams())));
//   records::DocumentDef tDocument = tRecords.Document(LoadGame, Paper);
//   records::RenderPdf(tDocument, Paper, &Pdf, &Error);
#pragma once

#include <QPageSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/dd.h"
#include "records/pages.h"
#include "scoring/session.h"

namespace records {

struct HandRecordChoicesDef {
  int PerPage = 4;
  bool bDoubleDummy = true;  // the table and par on every board
  bool bEveryTable = false;  // a diagram for each game, not for each board
};

// Loads game GameNr of file File (numbered by AddFile) into the game on display, as GameLoad
// does; false when it cannot.
using GameLoaderDef = std::function<bool(size_t File, pbn::UInt32 GameNr)>;

class HandRecordsDef {
 public:
  explicit HandRecordsDef(const HandRecordChoicesDef& tChoices) : tChoices_(tChoices) {}
  HandRecordsDef(const HandRecordsDef&) = delete;  // its documents draw its boards
  HandRecordsDef& operator=(const HandRecordsDef&) = delete;

  size_t AddFile(const std::string& Path);
  // Adds the game whose records are loaded (tGameAdmin), game GameNr of file File; bSelected:
  // its Board is one to print.
  void AddLoadedGame(size_t File, pbn::UInt32 GameNr, bool bSelected);
  // Once every game is added: the boards are scored and the diagrams chosen.
  void ChooseDiagrams();

  size_t NrDiagrams() const { return atDiagrams_.size(); }
  const std::vector<std::string>& Files() const { return tSession_.Files(); }
  // The Event of the first diagram, the title of the pages unless another is given.
  const QString& FirstEvent() const { return FirstEvent_; }
  // The deals of diagrams First to End (0-based, End excluded), for the solver.
  std::vector<analysis::DealInputDef> Deals(size_t First, size_t End) const;
  // The solver's answers for the diagrams from First on, in their order.
  void PutAnalyses(size_t First, std::vector<analysis::DealAnalysisDef> atAnalyses);

  // The document of the diagrams, titled by the first Event, named by the one file (none of
  // several, where each board names its own), planned on Paper: at one board a page a board goes
  // on over pages. Its boards are loaded through Load as their pages are drawn.
  DocumentDef Document(GameLoaderDef Load, QPageSize::PageSizeId Paper);

  // Of the boards drawn so far, those whose own full OptimumResultTable disagrees with the
  // solver, and their cells.
  int NrBoardsDisagree() const;
  int NrCellsDisagree() const;

 private:
  // A diagram to print: a game, with the board of the session it stands for.
  struct DiagramDef {
    size_t File;
    pbn::UInt32 GameNr;
    const scoring::BoardDef* ptBoard;  // null for a game that gives no result
    analysis::DealInputDef tDeal;
  };
  // An added game, in file order, until the diagrams are chosen.
  struct GameDef {
    size_t File;
    pbn::UInt32 GameNr;
    bool bSelected;
    QString Event;
    analysis::DealInputDef tDeal;
  };

  BoardDef Board(size_t i, const GameLoaderDef& Load);

  HandRecordChoicesDef tChoices_;
  scoring::SessionDef tSession_;
  std::vector<GameDef> atGames_;
  std::vector<DiagramDef> atDiagrams_;
  QString FirstEvent_;
  std::vector<std::optional<analysis::DealAnalysisDef>> atAnalyses_;  // by diagram
  std::vector<int> aNrCellsDisagree_;                                 // by diagram
};

}  // namespace records
