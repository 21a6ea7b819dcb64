// first-game-bench PBN [ROUNDS]: how soon the viewer shows the first game of a big file. The real
// Qt window off screen, its index pass between the window's events as in the interactive viewer:
// per round the time from menu Open to the first game painted, and to the end of the pass; then
// the best of the rounds (5 by default). Between rounds the showcase is opened, so that each round
// opens the file afresh.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "viewer/karvelon.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

double Milliseconds(const QElapsedTimer& tClock) {
  return static_cast<double>(tClock.nsecsElapsed()) / 1e6;
}

void RunPassToItsEnd() {
  while (viewer::IndexPassRunning())
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: first-game-bench PBN [ROUNDS]\n");
    return 2;
  }
  const int NrRounds = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication tApplication(argc, argv);
  viewer::SetImportLogEnabled(false);
  viewer::qt::MainWindow tWindow(false);
  tWindow.SetIndexPassInEvents(true);
  tWindow.resize(1280, 1024);
  tWindow.show();
  QCoreApplication::processEvents();
  const QString tTitle =
      QStringLiteral(" - ") + QFileInfo(QString::fromLocal8Bit(argv[1])).fileName();
  double BestFirst = 1e9;
  double BestWhole = 1e9;
  for (int Round = 0; Round < NrRounds; ++Round) {
    tWindow.OpenFile(KARVELON_SOURCE_DIR "/examples/showcase.pbn");
    RunPassToItsEnd();
    QElapsedTimer tClock;
    tClock.start();
    tWindow.OpenFile(argv[1]);
    // The title names the file once its first game is the one on display.
    while (viewer::IndexPassRunning() && !tWindow.windowTitle().endsWith(tTitle))
      QCoreApplication::processEvents();
    tWindow.Client()->repaint();
    const double First = Milliseconds(tClock);
    RunPassToItsEnd();
    const double Whole = Milliseconds(tClock);
    std::printf("round %d: first game on screen %7.1f ms, pass over %8.1f ms, %u games\n",
                Round + 1, First, Whole, static_cast<unsigned>(viewer::tPbnGames.MaxValue));
    BestFirst = std::min(BestFirst, First);
    BestWhole = std::min(BestWhole, Whole);
  }
  std::printf("best of %d: first game on screen %.1f ms, pass over %.1f ms\n", NrRounds, BestFirst,
              BestWhole);
  return viewer::tPbnGames.MaxValue != 0 ? 0 : 1;
}
