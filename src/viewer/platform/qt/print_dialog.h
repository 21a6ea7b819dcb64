// Project > Print... and Project > Export PDF...: the hand records of the open file, as it is
// read, through the page renderer of src/records.
#pragma once

#include <cstdio>
#include <string>

class QMenu;
class QWidget;

namespace viewer::qt {

// Adds both items to the Project menu. The open file and its path come from OpenFile; after
// printing, the game on display is shown again from its start.
void AddPrintItems(QWidget* ptWindow, QMenu* ptProject);

}  // namespace viewer::qt
