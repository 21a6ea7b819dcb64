// The real Qt window off screen: its layout, menu and keys, and the picture it paints of the
// showcase as it is stepped.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <cstdlib>

#include "replay/pbn_play.h"
#include "viewer/controls.h"
#include "viewer/karvelon.h"
#include "viewer/platform/qt/qt_bitmaps.h"
#include "viewer/platform/qt/qt_canvas.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

using viewer::qt::MainWindow;

const std::string kShowcase = std::string(KARVELON_SOURCE_DIR) + "/examples/showcase.pbn";

QColor Pixel(const QImage& tImage, int x, int y) {
  return QColor(tImage.pixel(x, y));
}

bool HasInk(const QImage& tImage, const QRect& tArea) {
  for (int y = tArea.top(); y <= tArea.bottom(); ++y) {
    for (int x = tArea.left(); x <= tArea.right(); ++x) {
      if (QColor(tImage.pixel(x, y)).lightness() < 80) return true;
    }
  }
  return false;
}

QString LabelText(const MainWindow& w) {
  return qobject_cast<QLabel*>(w.Control(viewer::ID_GAME_NUMBER))->text();
}

// Presses a key as the user would, through the window's shortcuts.
void PressKey(QWidget* ptWindow, int Key) {
  for (QShortcut* ptShortcut : ptWindow->findChildren<QShortcut*>()) {
    if (ptShortcut->key() == QKeySequence(Key)) emit ptShortcut->activated();
  }
}

TEST(QtWindow, LayoutAndMenu) {
  MainWindow w(false);
  w.show();
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Karvelon (PBN 1.0)"));
  EXPECT_EQ(w.Client()->size(), QSize(640, 480));
  EXPECT_EQ(w.menuBar()->objectName(), QStringLiteral("ViewMenu"));
  QStringList atMenus;
  for (QAction* ptMenu : w.menuBar()->actions())
    atMenus << ptMenu->text();
  EXPECT_EQ(atMenus, (QStringList{"&Project", "&Game", "&Options"}));
  const std::pair<int, const char*> atItems[] = {
      {401, "&Open"},     {402, "&About"}, {403, "&Exit"},       {404, "&First"},  {405, "&Next"},
      {406, "&Previous"}, {407, "&Last"},  {408, "&Annotation"}, {409, "&PbnFile"}};
  for (const auto& [idCommand, pcText] : atItems) {
    ASSERT_NE(w.MenuAction(idCommand), nullptr) << idCommand;
    EXPECT_EQ(w.MenuAction(idCommand)->text(), QString::fromLatin1(pcText));
  }
  EXPECT_EQ(w.MenuAction(401)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  // Each control of the table at its client position and size.
  for (const viewer::ChildWindowDef& tChild : viewer::atChildWindows) {
    if (tChild.idCtrl < 0) continue;
    QWidget* ptControl = w.Control(tChild.idCtrl);
    ASSERT_NE(ptControl, nullptr) << tChild.idCtrl;
    EXPECT_EQ(ptControl->geometry(),
              QRect(tChild.tRect.left, tChild.tRect.top, tChild.tRect.right, tChild.tRect.bottom))
        << tChild.idCtrl;
  }
  EXPECT_EQ(qobject_cast<QCheckBox*>(w.Control(121))->text(), QStringLiteral("Auction"));
  EXPECT_EQ(qobject_cast<QScrollBar*>(w.Control(133))->orientation(), Qt::Vertical);
  EXPECT_EQ(LabelText(w), QStringLiteral("0"));
}

TEST(QtWindow, FontsAndBitmaps) {
  // The pane font: DejaVu Sans Mono whose cell fits 14 pixels; its metrics set the pane.
  viewer::LogFontDef tCourier{};
  tCourier.lfHeight = 14;
  tCourier.lfWeight = 400;
  std::strcpy(tCourier.lfFaceName, "Courier");
  const QFont tFont = viewer::qt::FontForLogFont(tCourier);
  EXPECT_TRUE(QFontInfo(tFont).fixedPitch());
  EXPECT_LE(QFontMetrics(tFont).height(), 14);
  EXPECT_GE(QFontMetrics(tFont).height(), 12);
  {
    MainWindow w(false);
    EXPECT_EQ(viewer::TRAdmin.DeltaY, QFontMetrics(tFont).height() + QFontMetrics(tFont).leading());
    EXPECT_EQ(viewer::TRAdmin.NrDlgChars,
              static_cast<pbn::UInt32>(408 / QFontMetrics(tFont).averageCharWidth()));
  }
  const struct {
    const char* pcName;
    QSize tSize;
    QColor tInk;
  } atBitmaps[] = {
      {"clubs", {16, 16}, Qt::black},
      {"diamds", {16, 16}, QColor(255, 0, 0)},
      {"hearts", {16, 16}, QColor(255, 0, 0)},
      {"spades", {16, 16}, Qt::black},
      {"clubs12", {16, 12}, Qt::black},
      {"diamds12", {16, 12}, QColor(255, 0, 0)},
      {"hearts12", {16, 12}, QColor(255, 0, 0)},
      {"spades12", {16, 12}, Qt::black},
  };
  for (const auto& tBitmap : atBitmaps) {
    const QImage& tImage = viewer::qt::BitmapImage(tBitmap.pcName);
    ASSERT_EQ(tImage.size(), tBitmap.tSize) << tBitmap.pcName;
    EXPECT_EQ(Pixel(tImage, 0, 0), QColor(Qt::white)) << tBitmap.pcName;
    EXPECT_EQ(Pixel(tImage, 7, tBitmap.tSize.height() / 2), tBitmap.tInk) << tBitmap.pcName;
  }
  for (const char* pcName : {"bm1", "bm2", "bm3", "bm4", "bm5", "bm6", "Pbn_Icon"}) {
    EXPECT_EQ(viewer::qt::BitmapImage(pcName).size(), QSize(32, 32)) << pcName;
  }
  EXPECT_EQ(Pixel(viewer::qt::BitmapImage("bm3"), 16, 16), QColor(Qt::black));
  EXPECT_EQ(Pixel(viewer::qt::BitmapImage("bm3"), 4, 4), QColor(192, 192, 192));
  EXPECT_TRUE(viewer::qt::BitmapImage("nothing").isNull());
}

TEST(QtWindow, ShowcaseStepByStep) {
  MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  ASSERT_EQ(viewer::tPbnGames.MaxValue, 5u);
  EXPECT_EQ(LabelText(w), QStringLiteral("1"));
  EXPECT_EQ(qobject_cast<QScrollBar*>(w.Control(131))->maximum(), 5);

  QImage tImage = w.RenderClient();
  ASSERT_EQ(tImage.size(), QSize(640, 480));
  EXPECT_EQ(Pixel(tImage, 5, 250), QColor(128, 64, 0));               // the table
  EXPECT_EQ(Pixel(tImage, 263, 40), QColor(0, 255, 0));               // North's cards
  EXPECT_EQ(Pixel(tImage, 140, 80), QColor(192, 192, 192));           // North's name strip
  EXPECT_EQ(Pixel(tImage, 620, 250), QColor(0, 0, 192));              // the history panel
  EXPECT_EQ(Pixel(tImage, 410, 4), QColor(0, 255, 128));              // West's header cell
  EXPECT_EQ(Pixel(tImage, 466, 4), QColor(255, 0, 128));              // North's header cell
  EXPECT_EQ(Pixel(tImage, 122, 14), QColor(Qt::white));               // the board box
  EXPECT_EQ(Pixel(tImage, 436 + 5, 262 + 5), QColor(192, 192, 192));  // a step button
  EXPECT_TRUE(HasInk(tImage, QRect(10, 6, 60, 16)));                  // "Board : 1"
  EXPECT_TRUE(HasInk(tImage, QRect(4, 264, 200, 14)));                // the first annotation line
  EXPECT_EQ(Pixel(tImage, 300, 6), QColor(128, 64, 0));               // no result box yet

  // Four presses of the forward button: the auction with three calls and the next one to come.
  auto* ptForward = qobject_cast<QAbstractButton*>(w.Control(viewer::ID_EXEC));
  for (int Press = 0; Press < 4; ++Press)
    ptForward->click();
  EXPECT_TRUE(qobject_cast<QCheckBox*>(w.Control(121))->isChecked());
  tImage = w.RenderClient();
  EXPECT_EQ(Pixel(tImage, 465, 26), QColor(Qt::white));  // North's first call cell
  EXPECT_EQ(Pixel(tImage, 409, 44), QColor(Qt::white));  // the "?" cell of the next call
  EXPECT_TRUE(HasInk(tImage, QRect(407, 42, 54, 16)));
  EXPECT_EQ(Pixel(tImage, 409, 62), QColor(0, 0, 192));  // nothing further

  // Into the play, two cards on the table: white trick cards on the green table.
  for (int Press = 0; Press < 10; ++Press)
    ptForward->click();
  EXPECT_TRUE(qobject_cast<QCheckBox*>(w.Control(122))->isChecked());
  tImage = w.RenderClient();
  EXPECT_EQ(Pixel(tImage, 120, 56), QColor(Qt::white));   // the contract box
  EXPECT_EQ(Pixel(tImage, 280, 8), QColor(Qt::white));    // the result box
  EXPECT_EQ(Pixel(tImage, 143, 121), QColor(Qt::white));  // West's trick card
  EXPECT_EQ(Pixel(tImage, 177, 91), QColor(Qt::white));   // North's trick card

  // Hiding South: no ranks in South's hand any more.
  EXPECT_TRUE(HasInk(tImage, QRect(152, 172, 110, 62)));
  qobject_cast<QCheckBox*>(w.Control(viewer::ID_HIDE_S))->click();
  EXPECT_TRUE(pbn::tGameAdmin.abHiddenSide[pbn::PBN_SOUTH]);
  tImage = w.RenderClient();
  EXPECT_FALSE(HasInk(tImage, QRect(152, 172, 110, 62)));
}

TEST(QtWindow, EventLoopPaintsWhatWasAskedFor) {
  // Through the event loop rather than an explicit render: a step repaints the table, the
  // reveal of the annotation asks for the pane during a paint, and the pane follows.
  MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  auto* ptForward = qobject_cast<QAbstractButton*>(w.Control(viewer::ID_EXEC));
  ptForward->click();
  for (int Round = 0; Round < 10; ++Round)
    QCoreApplication::processEvents();
  const QPoint tOrigin = w.Client()->mapTo(&w, QPoint(0, 0));
  const QImage tScreen = w.screen()->grabWindow(w.winId()).toImage();
  if (tScreen.isNull()) GTEST_SKIP() << "this platform cannot grab a window";
  const QImage tClient = tScreen.copy(QRect(tOrigin, QSize(640, 480)));
  EXPECT_EQ(tClient.copy(0, 0, 640, 258), w.RenderClient().copy(0, 0, 640, 258));
  EXPECT_EQ(QColor(tClient.pixel(465, 26)), QColor(Qt::white));  // the "?" of the first call
  EXPECT_TRUE(HasInk(tClient, QRect(4, 264 + 3 * viewer::TRAdmin.DeltaY, 400, 14)));  // AUCTION
}

TEST(QtWindow, KeysAndScrollBars) {
  MainWindow w(false);
  w.show();
  w.OpenFile(kShowcase);
  PressKey(&w, Qt::Key_Right);
  EXPECT_EQ(pbn::tGameAdmin.Section, pbn::PBN_SECTION_AUCTION);
  PressKey(&w, Qt::Key_End);
  EXPECT_EQ(pbn::tGameAdmin.NrCalls, pbn::tGameAdmin.ptGameData->tAuction.NrCalls);
  PressKey(&w, Qt::Key_Home);
  EXPECT_EQ(pbn::tGameAdmin.NrCalls, 0);
  PressKey(&w, Qt::Key_Left);
  EXPECT_EQ(pbn::tGameAdmin.Section, pbn::PBN_SECTION_IDENT);
  PressKey(&w, Qt::Key_PageDown);
  EXPECT_EQ(LabelText(w), QStringLiteral("2"));
  PressKey(&w, Qt::Key_PageUp);
  EXPECT_EQ(LabelText(w), QStringLiteral("1"));
  PressKey(&w, Qt::Key_Space);
  EXPECT_NE(viewer::TimerRunning(), 0u);
  PressKey(&w, Qt::Key_Space);
  EXPECT_EQ(viewer::TimerRunning(), 0u);

  // A click in the game scroll bar's trough pages; the bar shows what the window decided.
  auto* ptGames = qobject_cast<QScrollBar*>(w.Control(viewer::ID_GAMES));
  ptGames->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(LabelText(w), QStringLiteral("2"));
  EXPECT_EQ(ptGames->value(), 2);
  ptGames->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(LabelText(w), QStringLiteral("5"));
  EXPECT_EQ(ptGames->value(), 5);
  ptGames->triggerAction(QAbstractSlider::SliderToMinimum);  // no rule for it: stays
  EXPECT_EQ(ptGames->value(), 5);
  EXPECT_EQ(LabelText(w), QStringLiteral("5"));

  // Raw text: the vertical bar covers the game's lines.
  w.MenuAction(viewer::CM_PBNFILE)->trigger();
  auto* ptVertical = qobject_cast<QScrollBar*>(w.Control(viewer::ID_VER_TEXT));
  EXPECT_EQ(ptVertical->minimum(), 1);
  EXPECT_GT(ptVertical->maximum(), 1);
  ptVertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(ptVertical->value(), 2);
  EXPECT_EQ(viewer::tPbnVerText.CurValue, 2u);

  // Exit closes the window; nothing reaches the logic afterwards.
  w.MenuAction(viewer::CM_EXIT)->trigger();
  EXPECT_EQ(pbn::tGameAdmin.ptGameData, nullptr);
  PressKey(&w, Qt::Key_Right);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication tApplication(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
