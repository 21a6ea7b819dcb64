// The double-dummy panel: in place of the auction and play history, the table of tricks by
// declarer and strain, par, and during the play the tricks each card of the side to play keeps.
// The solver runs on a worker thread; the panel shows "..." until its answer is cached. While
// any hand is hidden the panel shows nothing.
#pragma once

#include <functional>

#include "viewer/platform/canvas.h"

namespace viewer {

bool DdPanelShown();
void DdPanelToggle();  // the Options item "Double dummy" and the key D
// Paints the panel over the history panel from the replay state; asks the worker for what is
// not cached yet.
void PaintDdPanel(Canvas* hDC, bool bGames);
// How the worker tells the window thread that an answer is ready (the window repaints).
void DdPanelSetNotify(std::function<void()> Notify);
// Blocks until the worker has answered every request (the render command).
void DdPanelWaitIdle();
// Stops the worker; the window is going.
void DdPanelTerm();

}  // namespace viewer
