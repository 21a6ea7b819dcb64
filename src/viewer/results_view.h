// The window logic's side of the scores of the open file (viewer.h has what the panels ask): the
// session is dropped with the index it scored, and computed again in steps of WM_INDEX_PASS once
// an index pass is over, while a panel wants it.
#pragma once

namespace viewer {

// A new index is published: the scores of the old one go.
void ScoresForget();
// The window goes: the scores go, and no panel wants them any more.
void ScoresTerm();
// An index pass is over (read to its end, stopped, or taken back): the scores of the index it
// leaves are computed in the next steps, when wanted.
void ScoresAfterIndexPass();
// A step of WM_INDEX_PASS while no index pass runs.
void ScoresPassStep();

}  // namespace viewer
