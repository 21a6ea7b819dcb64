// The real Qt window off screen, stepped as a user steps it, and the programs as a user starts
// them: karvelon-cli render and karvelon without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDockWidget>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "replay/pbn_play.h"
#include "support/test_support.h"
#include "viewer/dd_panel.h"
#include "viewer/karvelon.h"
#include "viewer/p_table.h"
#include "viewer/platform/qt/game_list_panel.h"
#include "viewer/platform/qt/qt_canvas.h"
#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/results_panel.h"

namespace {

using namespace viewer;

const std::string kShowcase = KARVELON_SOURCE_DIR "/examples/showcase.pbn";

bool HasInk(const QImage& tImage, const QRect& tArea) {
  for (int y = tArea.top(); y <= tArea.bottom(); ++y) {
    for (int x = tArea.left(); x <= tArea.right(); ++x) {
      if (QColor(tImage.pixel(x, y)).lightness() < 80) return true;
    }
  }
  return false;
}

using Pixel = std::tuple<int, int, QColor>;
void ExpectPixels(const QImage& tImage, std::span<const Pixel> atPixels) {
  for (const auto& [x, y, tColor] : atPixels)
    EXPECT_EQ(QColor(tImage.pixel(x, y)), tColor) << x << ", " << y;
}

// Runs a command line: its exit status and what it wrote to stderr.
std::pair<int, std::string> RunCommand(const std::string& Command) {
  std::FILE* pPipe = popen((Command + " 2>&1 >/dev/null").c_str(), "r");
  std::string Stderr;
  char acBuffer[512];
  while (pPipe != nullptr && std::fgets(acBuffer, sizeof acBuffer, pPipe) != nullptr)
    Stderr += acBuffer;
  const int Raw = pPipe != nullptr ? pclose(pPipe) : -1;
  return {WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1, Stderr};
}

TEST(QtWindow, ShowcaseSteppedOffScreen) {
  qt::MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  const auto Label = [&w] { return qobject_cast<QLabel*>(w.Control(ID_GAME_NUMBER))->text(); };
  EXPECT_EQ(Label(), "1");
  EXPECT_EQ(w.windowTitle(), "Karvelon (PBN 1.0) - showcase.pbn");
  // Table, North's hand, history panel and header, board box, a step button, no result box yet.
  const QColor kWhite(Qt::white), kGrey(192, 192, 192), kTable(128, 64, 0), kPanel(0, 0, 192),
      kCards(0, 255, 0), kWestCell(0, 255, 128), kNorthCell(255, 0, 128);
  QImage tImage = w.RenderClient();
  const Pixel atFirst[] = {{5, 250, kTable},   {263, 40, kCards},   {140, 80, kGrey},
                           {620, 250, kPanel}, {410, 4, kWestCell}, {466, 4, kNorthCell},
                           {122, 14, kWhite},  {441, 267, kGrey},   {300, 6, kTable}};
  ExpectPixels(tImage, atFirst);
  EXPECT_TRUE(HasInk(tImage, QRect(10, 6, 60, 16)) && HasInk(tImage, QRect(4, 264, 200, 14)));

  // Four presses of the forward button: three calls and the "?" of the next one. Through the
  // event loop the window shows what a render shows (lines revealed while painting included).
  auto* ptForward = qobject_cast<QAbstractButton*>(w.Control(ID_EXEC));
  for (int Press = 0; Press < 4; ++Press)
    ptForward->click();
  for (int Round = 0; Round < 10; ++Round)
    QCoreApplication::processEvents();
  const QImage tScreen = w.screen()->grabWindow(w.winId()).toImage();
  tImage = w.RenderClient();
  for (const QRect& tArea : {QRect(0, 0, 640, 258), QRect(0, 258, 412, 150)}) {
    if (tScreen.isNull()) break;  // a platform that cannot grab a window
    EXPECT_EQ(tScreen.copy(tArea.translated(w.Client()->mapTo(&w, QPoint()))), tImage.copy(tArea));
  }
  const Pixel atAuction[] = {{465, 26, kWhite}, {409, 44, kWhite}, {409, 62, kPanel}};
  ExpectPixels(tImage, atAuction);
  EXPECT_TRUE(HasInk(tImage, QRect(407, 42, 54, 16)));

  // Into the play: the contract and result boxes, West's and North's cards on the table.
  for (int Press = 0; Press < 10; ++Press)
    ptForward->click();
  EXPECT_TRUE(qobject_cast<QCheckBox*>(w.Control(ID_PLAY))->isChecked());
  tImage = w.RenderClient();
  const Pixel atPlay[] = {
      {120, 56, kWhite}, {280, 8, kWhite}, {143, 121, kWhite}, {177, 91, kWhite}};
  ExpectPixels(tImage, atPlay);

  // A key, the game scroll bar and the menu reach the logic; the bar shows where it was put.
  for (QShortcut* ptShortcut : w.findChildren<QShortcut*>()) {
    if (ptShortcut->key() == QKeySequence(Qt::Key_PageDown)) emit ptShortcut->activated();
  }
  EXPECT_EQ(Label(), "2");
  auto* ptGames = qobject_cast<QScrollBar*>(w.Control(ID_GAMES));
  ptGames->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_TRUE(Label() == "5" && ptGames->value() == 5);
  ptGames->triggerAction(QAbstractSlider::SliderToMinimum);  // "Left edge" of its menu
  EXPECT_TRUE(Label() == "1" && ptGames->value() == 1);
  w.MenuAction(CM_EXIT)->trigger();
  EXPECT_EQ(pbn::tGameAdmin.ptGameData, nullptr);
  ptForward->click();  // nothing reaches the logic any more
}

TEST(QtWindow, TextsAsTheUserReadsThem) {
  qt::MainWindow w(false);
  // A file name in the file system's encoding, and the reason the system gave.
  w.OpenFile("/nonexistent/\xc3\xa9t\xc3\xa9.pbn");
  ASSERT_EQ(w.MessageBoxes().size(), 1u);
  EXPECT_EQ(QString::fromStdString(w.MessageBoxes()[0].Text),
            QStringLiteral(u"/nonexistent/\u00e9t\u00e9.pbn\nNo such file or directory"));
  // The pane is as many characters wide as the font that draws it fits, not one more.
  QImage tScratch(1, 1, QImage::Format_RGB32);
  QPainter tPainter(&tScratch);
  qt::QtCanvas tCanvas(&tPainter);
  SelectPaintFont(&tCanvas, FONT_TEXT);
  const std::string Line(TRAdmin.NrDlgChars + 1, 'M');
  RectDef tRect{0, 0, 0, 0};
  tCanvas.DrawText(Line.c_str(), static_cast<int>(TRAdmin.NrDlgChars), &tRect, DT_CALCRECT);
  EXPECT_LE(tRect.right, 408);
  tCanvas.DrawText(Line.c_str(), -1, &tRect, DT_CALCRECT);
  EXPECT_GT(tRect.right, 408);
}

// The canvas at a scale: edges of the design scaled (neighbours stay neighbours), a line as the
// band of scaled pixels it covers without its end point, measurements in pixels of the design,
// and a text that does not fit shortened and noted for its tooltip.
TEST(QtCanvas, DrawsTheDesignAtAScale) {
  QImage tImage(100, 60, QImage::Format_RGB32);
  tImage.fill(Qt::white);
  QPainter tPainter(&tImage);
  qt::QtCanvas tCanvas(&tPainter, 2.5);
  std::vector<qt::ElidedTextDef> atElided;
  tCanvas.SetElidedTexts(&atElided);
  tCanvas.FillRect({1, 1, 3, 2}, Rgb(255, 0, 0));  // 2.5 .. 7.5 rounds to 3 .. 8 (x), 3 .. 5
  tCanvas.FillRect({3, 1, 4, 2}, Rgb(0, 0, 255));  // from 8: no gap, no overlap
  tCanvas.MoveTo(10, 10);
  tCanvas.LineTo(14, 10);  // x 25 .. 35, the end point's 35 .. 37 left out; y 25 .. 28
  const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kWhite(Qt::white), kBlack(Qt::black);
  const Pixel atPixels[] = {{2, 3, kWhite},   {3, 3, kRed},     {7, 4, kRed},    {8, 4, kBlue},
                            {9, 4, kBlue},    {10, 4, kWhite},  {3, 5, kWhite},  {25, 25, kBlack},
                            {34, 27, kBlack}, {35, 26, kWhite}, {30, 28, kWhite}};
  tPainter.end();
  ExpectPixels(tImage, atPixels);

  QPainter tMeasure(&tImage);
  qt::QtCanvas tScaled(&tMeasure, 2.5);
  qt::QtCanvas tDesign(&tMeasure);
  tScaled.SetElidedTexts(&atElided);
  for (Canvas* ptCanvas : {static_cast<Canvas*>(&tScaled), static_cast<Canvas*>(&tDesign)})
    SelectPaintFont(ptCanvas, FONT_TABLE);
  const auto Width = [](Canvas& tCanvas, const char* pcText) {
    RectDef tRect{0, 0, 0, 0};
    tCanvas.DrawText(pcText, -1, &tRect, DT_CALCRECT | DT_SINGLELINE);
    return tRect.right;
  };
  EXPECT_NEAR(Width(tScaled, "Anna Maria"), Width(tDesign, "Anna Maria"), 3);
  EXPECT_EQ(tScaled.GetTextMetrics().tmHeight, tDesign.GetTextMetrics().tmHeight);
  RectDef tName{0, 0, 30, 16};
  tScaled.DrawText("Anna Maria", -1, &tName, DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
  RectDef tShort{0, 20, 30, 36};
  tScaled.DrawText("A", -1, &tShort, DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
  ASSERT_EQ(atElided.size(), 1u);
  EXPECT_TRUE(atElided[0].tArea == QRect(0, 0, 30, 16) && atElided[0].tText == "Anna Maria");
}

// The list of games through its model: rows, the filter as typed, Enter on a row, the list
// following the game on display, and the tables of the board on display.
TEST(QtWindow, GameListThroughItsModel) {
  qt::MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  w.Command(CM_GAME_LIST);
  qt::GameListPanel* ptList = w.GameList(false);
  ASSERT_NE(ptList, nullptr);
  qt::GameListModel& tModel = *ptList->Model();
  const std::pair<const char*, int> atFilters[] = {{"", 5},     {"4S", 2}, {"bert", 2},
                                                   {"7sxx", 1}, {"3", 1},  {"4s 2", 1}};
  for (const auto& [pcFilter, NrRows] : atFilters) {
    ptList->FilterBox()->setText(QString::fromLatin1(pcFilter));
    EXPECT_EQ(tModel.rowCount(), NrRows) << pcFilter;
  }
  EXPECT_EQ(tModel.data(tModel.index(0, 2), Qt::DisplayRole).toString(), "4S N");
  emit ptList->View()->activated(tModel.index(0, 0));  // Enter or a double click
  EXPECT_EQ(tPbnGames.CurValue, 2u);
  ptList->FilterBox()->clear();
  tModel.sort(4, Qt::DescendingOrder);  // the score: the grand slam first
  EXPECT_EQ(tModel.GameAt(0), 5u);
  w.Command(CM_LAST);
  EXPECT_EQ(ptList->View()->currentIndex().row(), 0);  // follows the game on display
  w.Command(CM_SAME_BOARD);
  ASSERT_NE(w.GameList(true), nullptr);
  EXPECT_EQ(w.GameList(true)->Model()->rowCount(), 1);
  EXPECT_EQ(w.GameList(true)->Model()->GameAt(0), 5u);
}

TEST(RenderCommand, ExitStatuses) {
  char acDir[] = "/tmp/karvelon_renderXXXXXX";
  ASSERT_NE(mkdtemp(acDir), nullptr);
  const std::filesystem::path Dir = acDir;
  std::filesystem::copy_file(kShowcase, Dir / "s.pbn");
  std::ofstream(Dir / "none.pbn") << "[Event \"x\"]\n[Dealer \"Q\"]\n";
  // A success; no such game, no games; a file that does not open, wrong or missing arguments.
  const std::pair<int, std::vector<const char*>> atCases[] = {
      {0, {"s.pbn -o x.png --game 2 --steps 14 --raw --hide EWS"}},
      {1, {"s.pbn -o x.png --game 6", "none.pbn -o x.png"}},
      {2,
       {"nothing.pbn -o x.png", "/tmp -o x.png", "s.pbn", "s.pbn -o x.png --game two",
        "s.pbn -o x.png --steps -1", "s.pbn -o x.png --hide NX", "s.pbn -o x.png --hide",
        "s.pbn -o x.png --frobnicate", "s.pbn -o /nonexistent/x.png", "s.pbn -o x.png --scale 0",
        "s.pbn -o x.png --scale two", "s.pbn -o x.png --scale 9"}}};
  for (const auto& [Status, apcArguments] : atCases) {
    for (const char* pcArguments : apcArguments) {
      std::filesystem::remove(Dir / "x.png");
      const auto [RunStatus, Stderr] = RunCommand("cd '" + Dir.string() + "' && env -u DISPLAY '" +
                                                  KARVELON_CLI "' render " + pcArguments);
      EXPECT_EQ(RunStatus, Status) << pcArguments << "\n" << Stderr;
      // A failure says why in one line; a success writes the picture, with South hidden.
      EXPECT_EQ(std::ranges::count(Stderr, '\n'), Status == 0 ? 0 : 1) << pcArguments;
      const QImage tImage(QString::fromStdString((Dir / "x.png").string()));
      EXPECT_EQ(tImage.size(), Status == 0 ? QSize(640, 480) : QSize(0, 0)) << pcArguments;
      EXPECT_TRUE(Status != 0 || (HasInk(tImage, QRect(152, 4, 110, 62)) &&
                                  !HasInk(tImage, QRect(152, 172, 110, 62))));
    }
  }
  EXPECT_FALSE(std::filesystem::exists(Dir / "karvelon.log"));  // render writes no log
  std::filesystem::remove_all(Dir);
}

// --scale 2: twice the size, and wherever the design has a solid colour the picture has it at
// twice the position (edges, text and shapes are drawn anew, so only solid areas compare).
TEST(RenderCommand, ScaleTwoIsTheDesignAtTwiceTheSize) {
  const std::string Base = "/tmp/karvelon_scale_" + std::to_string(getpid());
  for (const char* pcScale : {"1", "2"}) {
    const auto [Status, Stderr] =
        RunCommand(std::string(KARVELON_CLI) + " render '" + kShowcase +
                   "' --steps 14 --dd --scale " + pcScale + " -o " + Base + pcScale + ".png");
    ASSERT_EQ(Status, 0) << Stderr;
  }
  const QImage tOne(QString::fromStdString(Base + "1.png"));
  const QImage tTwo(QString::fromStdString(Base + "2.png"));
  std::remove((Base + "1.png").c_str());
  std::remove((Base + "2.png").c_str());
  ASSERT_EQ(tOne.size(), QSize(640, 480));
  ASSERT_EQ(tTwo.size(), QSize(1280, 960));
  const auto Solid = [&tOne](int x, int y) {
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        if (tOne.pixel(x + dx, y + dy) != tOne.pixel(x, y)) return false;
      }
    }
    return true;
  };
  int NrSampled = 0;
  for (int y = 2; y < 478; y += 7) {
    for (int x = 2; x < 638; x += 7) {
      if (!Solid(x, y)) continue;
      ++NrSampled;
      EXPECT_EQ(QColor(tTwo.pixel(2 * x, 2 * y)), QColor(tOne.pixel(x, y))) << x << ", " << y;
    }
  }
  EXPECT_GT(NrSampled, 2000);
}

// The window grown: controls at twice their place, the pointer mapped back; what does not fit
// is shortened and whole in its tooltip; the file opened is the first recent one; a tall window
// shows more lines; Ctrl+C copies; a dropped file opens.
TEST(QtWindow, ScaledShortenedRecentAndCopied) {
  char acDir[] = "/tmp/karvelon_windowXXXXXX";
  ASSERT_NE(mkdtemp(acDir), nullptr);
  const std::filesystem::path Dir = acDir;
  const std::string Long = "Anna Maria Theresia von Habsburg-Lothringen";
  std::string Text;
  std::ifstream tShowcase(kShowcase);
  std::getline(tShowcase, Text, '\0');
  Text.replace(Text.find("[West \"Anna\"]"), 13, "[West \"" + Long + "\"]");
  std::ofstream(Dir / "long.pbn") << Text;
  std::ofstream(Dir / "empty.pbn") << "% nothing but a comment\n";

  qt::MainWindow w(false);
  w.show();
  w.OpenFile((Dir / "long.pbn").string());
  w.RenderClient(2.0);
  EXPECT_EQ(w.Control(ID_EXEC)->geometry(), QRect(2 * 532, 2 * 262, 64, 64));
  EXPECT_EQ(w.ElidedTextAt(QPoint(60, 162)), QString::fromStdString(Long));  // West's name
  EXPECT_EQ(w.ElidedTextAt(QPoint(200, 246)), QString());                    // South's fits
  EXPECT_EQ(w.RecentFiles().value(0), QString::fromStdString((Dir / "long.pbn").string()));

  // Taller by 160 pixels of the design: the text pane has those lines more, and shows them.
  auto* ptForward = qobject_cast<QAbstractButton*>(w.Control(ID_EXEC));
  for (int Press = 0; Press < 30; ++Press)
    ptForward->click();
  const pbn::UInt32 NrLines = TRAdmin.NrDlgLines;
  w.SetScale(1.0, 160);
  EXPECT_EQ(TRAdmin.NrDlgLines, static_cast<pbn::UInt32>((144 + 160) / TRAdmin.DeltaY));
  EXPECT_GT(TRAdmin.NrDlgLines, NrLines);
  EXPECT_EQ(w.Control(ID_VER_TEXT)->geometry(), QRect(418, 262, 14, 170 + 160));
  w.Client()->grab();  // a paint reveals the lines reached, the next one draws them
  EXPECT_TRUE(HasInk(w.Client()->grab().toImage(), QRect(4, 410, 400, 150)));

  w.Command(CM_NEXT);
  w.CopyGame();
  const QString tCopied = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(tCopied.startsWith(QStringLiteral("Board 2   Dealer "))) << tCopied.toStdString();
  EXPECT_TRUE(tCopied.contains(QStringLiteral("\n[Board \"2\"]\n")));

  // The status line: one line that ends in "..." when the window is too narrow, whole in its
  // tooltip.
  const std::string Status = "8 of 9 games have mistakes: see " + std::string(300, 'x') + ".log";
  w.SetStatusText(Status.c_str());
  const auto* ptStatus = w.statusBar()->findChild<QLabel*>();
  ASSERT_NE(ptStatus, nullptr);
  EXPECT_TRUE(ptStatus->text().startsWith("8 of 9") && ptStatus->text().endsWith("..."));
  EXPECT_EQ(ptStatus->toolTip(), QString::fromStdString(Status));

  // A file without a game: an empty window, and the message says so.
  w.OpenFile((Dir / "empty.pbn").string());
  EXPECT_EQ(qobject_cast<QLabel*>(w.Control(ID_GAME_NUMBER))->text(), "0");
  ASSERT_FALSE(w.MessageBoxes().empty());
  EXPECT_EQ(w.MessageBoxes().back().Text, "No PBN games\nempty.pbn holds no game");
  w.OpenFile((Dir / "missing.pbn").string());  // not opened: not recent
  EXPECT_EQ(w.RecentFiles().size(), 2);

  // A file dropped on the window opens once the drop is over.
  QMimeData tData;
  tData.setUrls({QUrl::fromLocalFile(QString::fromStdString(kShowcase))});
  QDragEnterEvent tEnter(QPoint(100, 100), Qt::CopyAction, &tData, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &tEnter);
  EXPECT_TRUE(tEnter.isAccepted());
  QDropEvent tDrop(QPointF(100, 100), Qt::CopyAction, &tData, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&w, &tDrop);
  for (int Round = 0; Round < 4; ++Round)
    QCoreApplication::processEvents();
  EXPECT_EQ(w.windowTitle(), "Karvelon (PBN 1.0) - showcase.pbn");
  EXPECT_EQ(w.RecentFiles().size(), 3);
  std::filesystem::remove_all(Dir);
}

// A wide window: the design as large as the height allows, a side panel in the room at its
// right; Ctrl+0 gives the window the design's own size.
TEST(QtWindow, WideWindowHoldsASidePanel) {
  qt::MainWindow w(false);
  w.show();
  auto* ptPanel = new QLabel(QStringLiteral("games"));
  ptPanel->setMinimumWidth(300);
  w.AddSidePanel(ptPanel, QStringLiteral("Game list"));
  w.resize(1400, 760);
  for (int Round = 0; Round < 4; ++Round)
    QCoreApplication::processEvents();
  const QRect tClient(w.Client()->mapTo(&w, QPoint()), w.Client()->size());
  const QRect tPanel(ptPanel->mapTo(&w, QPoint()), ptPanel->size());
  EXPECT_GT(w.Scale(), 1.0);
  EXPECT_EQ(w.Client()->width(), qRound(640 * w.Scale()));
  EXPECT_TRUE(ptPanel->isVisible() && tPanel.left() >= tClient.right()) << tPanel.left();
  w.Zoom(0);  // the offscreen screen is too small to zoom in: scripts/window-check.sh does that
  for (int Round = 0; Round < 4; ++Round)
    QCoreApplication::processEvents();
  EXPECT_TRUE(w.Scale() == 1.0 && w.Client()->size() == QSize(640, 480));
}

// A new user's viewer reads each file by the standard it declares; a choice saved is kept (the
// settings are the test's own, see main).
TEST(QtWindow, TheReadingOfANewUserAndTheOneSaved) {
  QSettings(QStringLiteral("Karvelon"), QStringLiteral("Karvelon"))
      .remove(QStringLiteral("Options/Reading"));
  SetReadingChoice(pbn::ReadingChoiceDef::Pbn21);
  {
    qt::MainWindow w(true);
    EXPECT_EQ(ReadingChoice(), pbn::ReadingChoiceDef::AsDeclared);
  }
  QSettings(QStringLiteral("Karvelon"), QStringLiteral("Karvelon"))
      .setValue(QStringLiteral("Options/Reading"), QStringLiteral("1.0"));
  {
    qt::MainWindow w(true);
    EXPECT_EQ(ReadingChoice(), pbn::ReadingChoiceDef::Pbn10);
  }
  QSettings(QStringLiteral("Karvelon"), QStringLiteral("Karvelon"))
      .remove(QStringLiteral("Options/Reading"));
  SetReadingChoice(pbn::ReadingChoiceDef::AsDeclared);
}

void ProcessEvents(int NrRounds = 4) {
  for (int Round = 0; Round < NrRounds; ++Round)
    QCoreApplication::processEvents();
}

QDockWidget* DockOf(const qt::MainWindow& w, bool bSameBoard) {
  return w.GameList(bSameBoard) != nullptr
             ? qobject_cast<QDockWidget*>(w.GameList(bSameBoard)->parentWidget())
             : nullptr;
}

// The interactive viewer keeps its choices and docks: a second run finds PbnFile, Double dummy
// and the game list as the first run left them, the list at its width, Same board closed.
TEST(QtWindow, ChoicesAndDocksKeptBetweenRuns) {
  int ListWidth = 0;
  {
    qt::MainWindow w(true);
    w.show();
    w.MenuAction(CM_PBNFILE)->trigger();
    w.MenuAction(CM_DOUBLE_DUMMY)->trigger();
    w.Command(CM_GAME_LIST);
    ProcessEvents();
    ListWidth = DockOf(w, false)->width();
    w.close();
  }
  qt::MainWindow w(true);
  w.show();
  ProcessEvents();
  EXPECT_TRUE(!bShowAnno && w.MenuAction(CM_PBNFILE)->isChecked());
  EXPECT_TRUE(DdPanelShown() && w.MenuAction(CM_DOUBLE_DUMMY)->isChecked());
  ASSERT_TRUE(DockOf(w, false) != nullptr && DockOf(w, true) != nullptr);
  EXPECT_TRUE(DockOf(w, false)->isVisible() && !DockOf(w, true)->isVisible());
  EXPECT_EQ(DockOf(w, false)->width(), ListWidth);
  ASSERT_NE(w.Results(), nullptr);  // made for the state kept, and closed as it was
  EXPECT_FALSE(w.Results()->isVisible());
  w.MenuAction(CM_ANNOTATION)->trigger();
  w.MenuAction(CM_DOUBLE_DUMMY)->trigger();
  EXPECT_TRUE(bShowAnno && !DdPanelShown());
  // Results opened beside the list, kept open, as wide as the list, in the next run.
  w.MenuAction(CM_RESULTS)->trigger();
  ProcessEvents();
  EXPECT_TRUE(w.Results()->isVisible());
  w.close();
  qt::MainWindow w3(true);
  w3.show();
  ProcessEvents();
  ASSERT_NE(w3.Results(), nullptr);
  EXPECT_TRUE(w3.Results()->isVisible() && DockOf(w3, false)->isVisible());
  EXPECT_EQ(qobject_cast<QDockWidget*>(w3.Results()->parentWidget())->width(),
            DockOf(w3, false)->width());
  w3.MenuAction(CM_RESULTS)->trigger();
  w3.close();
}

// What standard output a command line writes.
std::string CommandOutput(const std::string& Command) {
  std::FILE* pPipe = popen((Command + " 2>/dev/null").c_str(), "r");
  std::string Output;
  char acBuffer[512];
  while (pPipe != nullptr && std::fgets(acBuffer, sizeof acBuffer, pPipe) != nullptr)
    Output += acBuffer;
  if (pPipe != nullptr) pclose(pPipe);
  return Output;
}

std::vector<std::string> ModelRow(const QAbstractItemModel& tModel, int Row) {
  std::vector<std::string> aCells;
  for (int Column = 0; Column < tModel.columnCount(); Column++)
    aCells.push_back(tModel.data(tModel.index(Row, Column)).toString().toStdString());
  return aCells;
}

// Same board's score columns follow the game list's own; the Results dock ranks as karvelon-cli
// results --ranking does, and from a pair's boards a game is shown. With KARVELON_SHOT set to a
// file name, the window with both docks is written there as a PNG.
TEST(QtWindow, SameBoardScoresAndTheResultsDock) {
  const std::string Club = KARVELON_SOURCE_DIR "/examples/club-session.pbn";
  qt::MainWindow w(false);
  w.show();
  w.resize(1500, 760);
  w.OpenFile(Club);
  w.Command(CM_NEXT);
  w.Command(CM_SAME_BOARD);
  qt::GameListModel& tSame = *w.GameList(true)->Model();
  ASSERT_EQ(tSame.columnCount(), pbn::kGameListNrColumns + 5);
  EXPECT_EQ(tSame.headerData(pbn::kGameListNrColumns + 3, Qt::Horizontal, Qt::DisplayRole), "% NS");
  const std::vector<std::string> aSecond = ModelRow(tSame, 1);
  EXPECT_EQ(std::vector<std::string>(aSecond.begin() + pbn::kGameListNrColumns, aSecond.end()),
            (std::vector<std::string>{"2", "6", "0", "100", "0"}));
  tSame.sort(pbn::kGameListNrColumns + 3, Qt::AscendingOrder);  // by % NS: table 4 first
  EXPECT_EQ(tSame.GameAt(0), 4u);
  // Board 2 has a column more ("File"): the list's own columns stay as they were.
  w.Command(CM_NEXT);
  w.Command(CM_NEXT);
  w.Command(CM_NEXT);
  EXPECT_EQ(tSame.columnCount(), pbn::kGameListNrColumns + 6);
  EXPECT_TRUE(
      w.GameList(true)->View()->isColumnHidden(static_cast<int>(pbn::GameListColumnDef::Mistakes)));

  w.Command(CM_RESULTS);
  qt::ResultsPanel* ptResults = w.Results();
  ASSERT_TRUE(ptResults != nullptr && ptResults->isVisible());
  EXPECT_EQ(ptResults->Heading(), "3 boards, 8 ranked");
  const qt::ScoreTableModel& tRanking = *ptResults->Ranking();
  std::vector<std::string> aViewer;
  std::vector<int> aPairRows;
  for (int Row = 0; Row < tRanking.rowCount(); Row++) {
    if (tRanking.Row(Row)->bHeading) continue;
    std::string Line;
    for (const std::string& Cell : ModelRow(tRanking, Row))
      Line += Cell + ",";
    aViewer.push_back(Line);
    aPairRows.push_back(Row);
  }
  // rank, pair, boards, total and percentage of each row of the command's CSV
  std::vector<std::string> aCommand;
  std::istringstream tCsv(CommandOutput(KARVELON_CLI " results '" + Club + "' --ranking --csv"));
  std::string Line;
  std::getline(tCsv, Line);
  while (std::getline(tCsv, Line)) {
    std::vector<std::string> aFields;
    std::istringstream tLine(Line);
    for (std::string Field; std::getline(tLine, Field, ',');)
      aFields.push_back(Field);
    ASSERT_GE(aFields.size(), 9u) << Line;
    aCommand.push_back(aFields[2] + "," + aFields[3] + "," + aFields[5] + "," + aFields[6] + "," +
                       aFields[8] + ",");
  }
  EXPECT_EQ(aViewer, aCommand);

  ptResults->ChoosePair(aPairRows[4]);  // pair 8, the first of East-West
  EXPECT_EQ(ptResults->PairHeading(), "Pair 8 EW: 3 boards");
  ASSERT_EQ(ptResults->Boards()->rowCount(), 3);
  ptResults->ChooseBoard(2);
  EXPECT_EQ(qobject_cast<QLabel*>(w.Control(ID_GAME_NUMBER))->text(), "10");
  EXPECT_EQ(w.GameList(true)->Model()->RowOf(10), 1);  // Same board follows

  // The interactive viewer's way: the pass and then the scores in steps between events, the
  // dock saying so meanwhile.
  w.SetIndexPassInEvents(true);
  w.OpenFile(KARVELON_SOURCE_DIR "/examples/online-match.pbn");
  bool bScoring = false;
  for (int Round = 0; Round < 100 && ptResults->Heading() != "2 boards, 2 ranked"; Round++) {
    ProcessEvents(1);
    bScoring = bScoring || ptResults->Heading() == "Scoring the boards\u2026";
  }
  EXPECT_TRUE(bScoring && ScoresState() == ScoresStateDef::Ready);
  EXPECT_EQ(ptResults->Heading(), "2 boards, 2 ranked");
  w.SetIndexPassInEvents(false);
  w.OpenFile(Club);
  ptResults->ChoosePair(aPairRows[4]);
  ptResults->ChooseBoard(1);  // board 2, which has a percentage of the file's that disagrees

  if (const char* pcShot = std::getenv("KARVELON_SHOT")) {
    QDockWidget* ptSameDock = DockOf(w, true);
    w.resizeDocks({ptSameDock}, {760}, Qt::Horizontal);
    w.resizeDocks({ptSameDock, qobject_cast<QDockWidget*>(ptResults->parentWidget())}, {200, 420},
                  Qt::Vertical);
    ProcessEvents();
    w.grab().save(QString::fromLocal8Bit(pcShot));
  }
}

// The heading of Same board counts the rows it shows, also after another file is opened.
TEST(QtWindow, SameBoardHeadingFollowsItsRows) {
  char acDir[] = "/tmp/karvelon_sameXXXXXX";
  ASSERT_NE(mkdtemp(acDir), nullptr);
  const std::filesystem::path Dir = acDir;
  const std::string Showcase = testing_support::ReadFile(kShowcase);
  std::ofstream(Dir / "twice.pbn") << Showcase << "\n" << Showcase;  // every board at two tables
  qt::MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  w.Command(CM_SAME_BOARD);
  qt::GameListPanel* ptPanel = w.GameList(true);
  const auto Heading = [ptPanel] { return ptPanel->findChild<QLabel*>()->text().toStdString(); };
  EXPECT_EQ(Heading(), "Board 1: 1 table");
  w.OpenFile((Dir / "twice.pbn").string());
  EXPECT_EQ(ptPanel->Model()->rowCount(), 2);
  EXPECT_EQ(Heading(), "Board 1: 2 tables");
  w.Command(CM_NEXT);
  EXPECT_EQ(Heading(), "Board 2: 2 tables");
  std::filesystem::remove_all(Dir);
}

// Copy picture: the table (hands, centre, name bars) at the window's scale, not the design.
TEST(QtWindow, CopyPictureIsTheTable) {
  qt::MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  for (const double Scale : {1.0, 2.0}) {
    const QImage tClient = w.RenderClient(Scale);
    w.CopyPicture();
    const QImage tCopied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(tCopied.size(), QSize(qRound(402 * Scale), qRound(258 * Scale))) << Scale;
    EXPECT_EQ(tCopied.convertToFormat(QImage::Format_RGB32),
              tClient.copy(QRect(QPoint(0, 0), tCopied.size())));
  }
}

// Zoom in a maximized window keeps it maximized; the game list opened in a zoomed window takes its
// room from the window, not from the table, and gives it back when closed; every heading of the
// list fits with its sort arrow.
TEST(QtWindow, ZoomAndDocksKeepTheTable) {
  qt::MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  w.showMaximized();
  ProcessEvents();
  ASSERT_TRUE(w.isMaximized());
  w.Zoom(-1);
  ProcessEvents();
  EXPECT_TRUE(w.isMaximized() && w.Scale() == 2.0);  // the step below the 2.4 that fits
  w.Zoom(0);
  ProcessEvents();
  EXPECT_TRUE(w.isMaximized() && w.Scale() == 1.0);
  w.showNormal();
  ProcessEvents();
  w.Zoom(1);
  w.Zoom(1);
  ProcessEvents();
  const double Scale = w.Scale();
  const int Width = w.width();
  ASSERT_EQ(Scale, 1.5);
  w.Command(CM_GAME_LIST);
  ProcessEvents();
  EXPECT_EQ(w.Scale(), Scale);
  EXPECT_GT(w.width(), Width + 300);
  DockOf(w, false)->close();
  ProcessEvents();
  EXPECT_TRUE(w.Scale() == Scale && w.width() == Width) << w.width() << " " << Width;

  const QHeaderView* ptHeader = w.GameList(false)->View()->horizontalHeader();
  for (int Column = 0; Column < ptHeader->count(); ++Column) {
    if (ptHeader->isSectionHidden(Column)) continue;
    const QString tText = ptHeader->model()->headerData(Column, Qt::Horizontal).toString();
    // The text, the margins on both sides and the arrow with its margin.
    const int Margin = ptHeader->style()->pixelMetric(QStyle::PM_HeaderMargin);
    const int Needed = ptHeader->fontMetrics().horizontalAdvance(tText) + 3 * Margin +
                       ptHeader->style()->pixelMetric(QStyle::PM_HeaderMarkSize);
    EXPECT_GE(ptHeader->sectionSize(Column), Needed) << tText.toStdString();
  }
}

// In the interactive viewer's way the pass runs between the window's events: the first game is
// on display while it reads on, the bar and Cancel beside the status line; Cancel keeps the
// games read so far and the status line says so.
TEST(QtWindow, PassBetweenEventsAndItsCancel) {
  const std::string Club = testing_support::ReadFile(KARVELON_SOURCE_DIR "/examples/club-36.pbn");
  std::string Text;
  for (int Copy = 0; Copy < 100; ++Copy)
    Text += Club;
  const testing_support::TempFile tBig(Text);
  qt::MainWindow w(false);
  w.SetIndexPassInEvents(true);
  w.show();
  w.OpenFile(tBig.Path());
  EXPECT_TRUE(IndexPassRunning() && tPbnGames.MaxValue == 0);
  for (int Round = 0; Round < 100 && tPbnGames.CurValue == 0; ++Round)
    QCoreApplication::processEvents();
  ASSERT_TRUE(IndexPassRunning());
  const pbn::UInt32 NrFirst = tPbnGames.MaxValue;
  EXPECT_TRUE(tPbnGames.CurValue == 1 && NrFirst > 0 && NrFirst < 3600) << NrFirst;
  QPushButton* ptCancel = nullptr;
  for (QPushButton* ptButton : w.statusBar()->findChildren<QPushButton*>()) {
    if (ptButton->text() == "Cancel" && ptButton->isVisible()) ptCancel = ptButton;
  }
  ASSERT_NE(ptCancel, nullptr);
  w.Command(CM_NEXT);
  EXPECT_EQ(qobject_cast<QLabel*>(w.Control(ID_GAME_NUMBER))->text(), "2");
  QCoreApplication::processEvents();
  ptCancel->click();
  const pbn::UInt32 NrKept = tPbnGames.MaxValue;
  EXPECT_TRUE(!IndexPassRunning() && NrKept >= NrFirst && NrKept < 3600 && !ptCancel->isVisible());
  const QString tStatus = w.statusBar()->findChild<QLabel*>()->toolTip().isEmpty()
                              ? w.statusBar()->findChild<QLabel*>()->text()
                              : w.statusBar()->findChild<QLabel*>()->toolTip();
  EXPECT_TRUE(tStatus.startsWith(QStringLiteral("Game 2 of %1; reading stopped at ").arg(NrKept)))
      << tStatus.toStdString();
  ProcessEvents();
  EXPECT_EQ(tPbnGames.MaxValue, NrKept);  // nothing reads on
}

TEST(Viewer, RefusesToStartWithoutADisplay) {
  const auto [Status, Stderr] =
      RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" KARVELON_VIEWER "'");
  EXPECT_EQ(Status, 2);
  EXPECT_EQ(std::ranges::count(Stderr, '\n'), 1);
  EXPECT_NE(Stderr.find("display"), std::string::npos);
}

}  // namespace

int main(int argc, char** argv) {
  // A screen of 1920 x 1200, room to zoom and to widen the window; and a settings folder of the
  // test's own, so that an interactive window neither reads nor changes the user's.
  char acDir[] = "/tmp/karvelon_qt_testXXXXXX";
  const std::string Dir = mkdtemp(acDir) != nullptr ? acDir : "/tmp";
  std::ofstream(Dir + "/screen.json")
      << R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1920, "height": 1200,)"
      << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
  setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + Dir + "/screen.json").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (Dir + "/config").c_str(), 1);
  QApplication tApplication(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int Status = RUN_ALL_TESTS();
  std::filesystem::remove_all(Dir);
  return Status;
}
