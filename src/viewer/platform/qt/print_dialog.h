// Project > Print... and Project > Export PDF...: the hand records of the open file, as it is
// read, with the boards and pages of karvelon-cli hand-records (records/hand_records.h). Both ask
// everything first (the choices, then the printer or the file), then solve the deals off the
// window's thread, then write.
#pragma once

#include <QPageSize>
#include <QString>
#include <functional>

#include "records/pages.h"

class QMenu;
class QPrinter;
class QWidget;

namespace viewer::qt {

// What the one small dialog of both items asks; kept between runs.
struct PrintChoicesDef {
  int PerPage = 4;
  bool bDoubleDummy = true;
  QPageSize::PageSizeId Paper = records::DefaultPaper();
  bool bEveryTable = false;  // a diagram for each game, not one for each board
};

// Adds both items to the Project menu. The game on display stays as it stood.
void AddPrintItems(QWidget* ptWindow, QMenu* ptProject);

// Print past the choices: AskPrinter is given the printer and the number of pages (the system's
// print dialog in the menu item) before anything is solved; then the deals of the pages chosen
// are solved on a worker thread, with a progress dialog and its Cancel, and the pages printed.
// Done follows with "" once printed or when the user stepped back, else with the reason.
void PrintHandRecords(QWidget* ptWindow, const PrintChoicesDef& tChoices,
                      const std::function<bool(QPrinter*, int)>& AskPrinter,
                      std::function<void(const QString&)> Done);

// Whether the solver of a print or an export runs (a second one waits for it).
bool HandRecordsSolving();

// Export PDF past its dialogs, solved on the calling thread: the open file's hand records with
// these choices written to Path; false with the reason in *pError when there is no game or Path
// cannot be written.
bool ExportHandRecords(QWidget* ptWindow, const PrintChoicesDef& tChoices, const QString& Path,
                       QString* pError);

}  // namespace viewer::qt
