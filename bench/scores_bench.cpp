// scores-bench PBN: how the viewer's scores of a big file come (Same board, Results). The real Qt
// window off screen, its index pass and then the scores in steps between the window's events, as
// in the interactive viewer, with the Results dock open: the time from the end of the pass to the
// scores, the longest time the window waited for an event to be handled meanwhile, and what the
// scores added to the memory of the process.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "viewer/karvelon.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

double Milliseconds(qint64 Nanoseconds) {
  return static_cast<double>(Nanoseconds) / 1e6;
}

// The resident memory of the process, in KiB.
long ResidentKiB() {
  std::ifstream tStatus("/proc/self/status");
  std::string Line;
  while (std::getline(tStatus, Line)) {
    if (Line.rfind("VmRSS:", 0) == 0) return std::stol(Line.substr(6));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scores-bench PBN\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication tApplication(argc, argv);
  viewer::SetImportLogEnabled(false);
  viewer::SetReadingSetting("auto");
  viewer::qt::MainWindow tWindow(false);
  tWindow.SetIndexPassInEvents(true);
  tWindow.resize(1500, 900);
  tWindow.show();
  tWindow.Command(viewer::CM_RESULTS);
  QCoreApplication::processEvents();
  tWindow.OpenFile(argv[1]);
  while (viewer::IndexPassRunning())
    QCoreApplication::processEvents();
  const long MemoryBefore = ResidentKiB();
  QElapsedTimer tClock;
  tClock.start();
  qint64 Longest = 0;
  while (viewer::ScoresState() == viewer::ScoresStateDef::Computing) {
    const qint64 Before = tClock.nsecsElapsed();
    QCoreApplication::processEvents();
    Longest = std::max(Longest, tClock.nsecsElapsed() - Before);
  }
  const double Whole = Milliseconds(tClock.nsecsElapsed());
  std::printf(
      "%u games: scores %.1f ms after the pass, the longest wait for the window %.1f ms, "
      "memory %+.1f MiB (%.0f bytes a game)\n",
      static_cast<unsigned>(viewer::tPbnGames.MaxValue), Whole, Milliseconds(Longest),
      (ResidentKiB() - MemoryBefore) / 1024.0,
      1024.0 * (ResidentKiB() - MemoryBefore) / std::max(1u, viewer::tPbnGames.MaxValue));
  return viewer::ScoresState() == viewer::ScoresStateDef::Ready ? 0 : 1;
}
