// Project > Print... and Project > Export PDF...: the hand records of the open file, as it is
// read, through the page renderer of src/records.
#pragma once

#include <QPageSize>
#include <QString>

#include "records/pages.h"

class QMenu;
class QWidget;

namespace viewer::qt {

// What the one small dialog of both items asks.
struct PrintChoicesDef {
  int PerPage = 4;
  bool bDoubleDummy = true;
  QPageSize::PageSizeId Paper = records::DefaultPaper();
};

// Adds both items to the Project menu. The open file and its path come from OpenFile; after
// printing, the game on display is shown again from its start.
void AddPrintItems(QWidget* ptWindow, QMenu* ptProject);

// Export PDF past its dialogs: the open file's hand records with these choices written to Path;
// false with the reason in *pError when there is no game, the solver was cancelled or Path cannot
// be written.
bool ExportHandRecords(QWidget* ptWindow, const PrintChoicesDef& tChoices, const QString& Path,
                       QString* pError);

}  // namespace viewer::qt
