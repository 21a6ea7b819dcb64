// The pages of the hand records: boards laid out 1, 2, 4, 6 or 12 to a page and drawn with
// QPainter, so that one routine draws a PDF (QPdfWriter) and a printout (QPrinter) alike.
#pragma once

#include <QPageSize>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "records/board.h"

class QPagedPaintDevice;
class QPainter;

namespace records {

// The boards a page can hold; with one or two the auction, play and commentary are printed too.
inline constexpr int kPerPageChoices[] = {1, 2, 4, 6, 12};
bool PerPageOffered(int PerPage);
inline bool PerPageWithDetails(int PerPage) {
  return PerPage <= 2;
}

// The paper of the locale (LC_PAPER): Letter where the locale says so, A4 elsewhere.
QPageSize::PageSizeId DefaultPaper();

struct DocumentDef {
  QString Title;     // every page's heading
  QString FileName;  // every page's foot
  int PerPage = 4;
  bool bDoubleDummy = true;  // the table and par (or the reason there is none) on every board
  size_t NrBoards = 0;
  // Board i of the document, 0-based, asked for in order when its page is drawn; keeps the
  // document's memory to the boards of one page however many pages there are.
  std::function<BoardDef(size_t)> Board;
  // At one board a page, the pages each board takes (PlanPages): its traveller, play and
  // commentary go on to further pages. Empty: a page each, what does not fit cut with "…".
  std::vector<int> aBoardPages;
};

// Lays every board out once on the paper to fill aBoardPages, at one board a page; nothing at
// more a page.
void PlanPages(DocumentDef* ptDocument, QPageSize::PageSizeId Paper);

int PageCount(const DocumentDef& tDocument);

// The boards drawn on pages First to Last (1-based): [first, end) of the document's boards.
std::pair<size_t, size_t> PageBoards(const DocumentDef& tDocument, int First, int Last);

// Draws pages First to Last (1-based) on a painter active on a paged device, one device page
// each. Stops, returning false, when Keep returns false before a page.
bool DrawPages(QPainter* ptPainter, QPagedPaintDevice* ptDevice, const DocumentDef& tDocument,
               int First, int Last, const std::function<bool(int)>& Keep = {});

}  // namespace records
