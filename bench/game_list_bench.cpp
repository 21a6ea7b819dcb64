// game-list-bench PBN [PNG]: the viewer's list of games on a big file, in the real Qt window off
// screen. Prints how long the list takes to appear (the panel made and painted), each filter as
// typed (the rows chosen and the view painted again), two sorts, and the bytes the list adds a
// game.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QTableView>
#include <cstdio>

#include "games/game_list.h"
#include "viewer/karvelon.h"
#include "viewer/platform/qt/game_list_panel.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

// The view painted as the screen would show it: what a user waits for.
void PaintView(QTableView* ptView) {
  QImage tImage(ptView->size(), QImage::Format_RGB32);
  ptView->render(&tImage);
}

double Milliseconds(const QElapsedTimer& tClock) {
  return static_cast<double>(tClock.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: game-list-bench PBN [PNG]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication tApplication(argc, argv);
  viewer::SetImportLogEnabled(false);
  viewer::qt::MainWindow tWindow(false);
  tWindow.resize(1280, 1024);
  tWindow.show();
  QElapsedTimer tClock;
  tClock.start();
  tWindow.OpenFile(argv[1]);
  const pbn::UInt32 NrGames = viewer::tPbnGames.MaxValue;
  std::printf("%s: %u games, opened in %.0f ms (index pass and first game)\n", argv[1],
              static_cast<unsigned>(NrGames), Milliseconds(tClock));
  if (NrGames == 0) return 1;

  tClock.start();
  tWindow.ShowGameList(false);
  viewer::qt::GameListPanel* ptList = tWindow.GameList(false);
  PaintView(ptList->View());
  std::printf("  list appears:          %8.1f ms\n", Milliseconds(tClock));

  for (const char* pcFilter : {"4S", "6NT", "12", "smit", "!", "anna 3NT", ""}) {
    tClock.start();
    ptList->FilterBox()->setText(QString::fromLatin1(pcFilter));
    PaintView(ptList->View());
    std::printf("  filter %-10s %9.1f ms  %7d rows\n",
                (std::string("\"") + pcFilter + "\"").c_str(), Milliseconds(tClock),
                ptList->Model()->rowCount());
  }
  for (const auto& [Column, pcName] : {std::pair{pbn::GameListColumnDef::Score, "score"},
                                       std::pair{pbn::GameListColumnDef::Players, "players"}}) {
    tClock.start();
    ptList->Model()->sort(static_cast<int>(Column), Qt::DescendingOrder);
    PaintView(ptList->View());
    std::printf("  sort by %-14s %8.1f ms\n", pcName, Milliseconds(tClock));
  }
  tClock.start();
  tWindow.ShowGameList(true);
  PaintView(tWindow.GameList(true)->View());
  std::printf("  same board appears:    %8.1f ms\n", Milliseconds(tClock));
  if (argc == 3) tWindow.grab().save(QString::fromLocal8Bit(argv[2]));  // the window as it stands

  // The compact table and its texts, and the panel's row of game numbers (4 bytes a game).
  const double Bytes = static_cast<double>(pbn::GameListMemory()) + 4.0 * NrGames;
  std::printf("  memory of the list:    %8.1f bytes a game (%zu-byte rows, %.1f MiB in all)\n",
              Bytes / NrGames, sizeof(pbn::GameListRowDef), Bytes / (1024.0 * 1024.0));
  return 0;
}
