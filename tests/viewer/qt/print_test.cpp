// Project > Print... and Export PDF... of the real window off screen: both items in the menu, the
// open file's hand records written with the dialog's choices, the game on display kept, and its
// games grouped into boards as karvelon-cli hand-records groups them.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPrinter>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "replay/pbn_play.h"
#include "support/test_support.h"
#include "viewer/karvelon.h"
#include "viewer/platform/qt/print_dialog.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

const std::string kShowcase = KARVELON_SOURCE_DIR "/examples/showcase.pbn";

const std::string kClubSession = KARVELON_SOURCE_DIR "/examples/club-session.pbn";

// What a poppler tool prints about the PDF.
std::string Poppler(const std::string& Tool, const std::string& Path) {
  const std::string Out = Path + ".txt";
  std::system((Tool + " '" + Path + "' - >'" + Out + "' 2>/dev/null").c_str());
  const std::string Text = testing_support::ReadFile(Out);
  std::filesystem::remove(Out);
  return Text;
}

size_t Count(const std::string& Text, const std::string& Word) {
  size_t NrFound = 0;
  for (size_t At = Text.find(Word); At != Text.npos; At = Text.find(Word, At + 1))
    ++NrFound;
  return NrFound;
}

int PdfPages(const std::string& Path) {
  const std::string Out = Path + ".info";
  std::system(("pdfinfo '" + Path + "' >'" + Out + "' 2>/dev/null").c_str());
  std::ifstream tInfo(Out);
  std::string Line;
  while (std::getline(tInfo, Line)) {
    if (Line.rfind("Pages:", 0) == 0) return std::stoi(Line.substr(6));
  }
  return -1;
}

TEST(PrintItems, ExportTheOpenFileAsItIsRead) {
  if (!testing_support::ProgramsFound("pdfinfo")) {
    GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed: the pages cannot be counted";
  }
  viewer::SetImportLogEnabled(false);
  viewer::qt::MainWindow tWindow(false);
  QStringList Items;
  for (QAction* ptAction : tWindow.menuBar()->actions().first()->menu()->actions())
    Items << ptAction->text();
  EXPECT_TRUE(Items.contains("&Print...") && Items.contains("Export P&DF..."))
      << Items.join(",").toStdString();
  const std::string Pdf =
      (std::filesystem::temp_directory_path() / ("karvelon-print-" + std::to_string(getpid())))
          .string() +
      ".pdf";
  QString Error;
  EXPECT_FALSE(viewer::qt::ExportHandRecords(&tWindow, {}, QString::fromStdString(Pdf), &Error));
  EXPECT_EQ(Error.toStdString(), "No games to print.");

  tWindow.OpenFile(kShowcase);
  viewer::ShowGameNumber(3);
  for (int PerPage : {1, 12}) {
    ASSERT_TRUE(viewer::qt::ExportHandRecords(&tWindow, {PerPage, false, QPageSize::Letter},
                                              QString::fromStdString(Pdf), &Error))
        << Error.toStdString();
    EXPECT_EQ(PdfPages(Pdf), PerPage == 1 ? 5 : 1);
  }
  // Game 3 on display again, its board loaded.
  EXPECT_EQ(viewer::tPbnGames.CurValue, 3u);
  EXPECT_STREQ(pbn::TagValue(*pbn::tGameAdmin.ptGameTags, pbn::PBN_TAG_ID_BOARD), "3");
  std::filesystem::remove(Pdf);
  std::filesystem::remove(Pdf + ".info");
}

// Print asks for the printer before it solves anything; given one, it solves the boards of the
// pages chosen off the window's thread and prints them; the game on display stays at its step.
TEST(PrintItems, AsksThePrinterFirstThenSolves) {
  viewer::SetImportLogEnabled(false);
  viewer::qt::MainWindow tWindow(false);
  tWindow.OpenFile(kShowcase);
  viewer::ShowGameNumber(3);
  for (int Press = 0; Press < 3; ++Press)
    tWindow.Command(viewer::ID_EXEC);
  const int Section = pbn::tGameAdmin.Section;
  const int NrCalls = pbn::tGameAdmin.NrCalls;
  ASSERT_EQ(Section, pbn::PBN_SECTION_AUCTION);
  const viewer::qt::PrintChoicesDef tChoices{1, true, QPageSize::A4};
  int NrPagesAsked = 0;
  bool bSolvingWhenAsked = true;
  std::optional<QString> Done;
  const auto Finished = [&Done](const QString& Error) { Done = Error; };
  viewer::qt::PrintHandRecords(
      &tWindow, tChoices,
      [&](QPrinter*, int NrPages) {
        NrPagesAsked = NrPages;
        bSolvingWhenAsked = viewer::qt::HandRecordsSolving();
        return false;  // the user steps back in the print dialog
      },
      Finished);
  EXPECT_TRUE(NrPagesAsked == 5 && !bSolvingWhenAsked && !viewer::qt::HandRecordsSolving());
  EXPECT_EQ(Done, QString());

  const std::string Pdf = (std::filesystem::temp_directory_path() /
                           ("karvelon-printer-" + std::to_string(getpid()) + ".pdf"))
                              .string();
  Done.reset();
  viewer::qt::PrintHandRecords(
      &tWindow, tChoices,
      [&](QPrinter* ptPrinter, int) {
        ptPrinter->setOutputFileName(QString::fromStdString(Pdf));
        ptPrinter->setPrintRange(QPrinter::PageRange);
        ptPrinter->setFromTo(2, 3);
        return true;
      },
      Finished);
  EXPECT_TRUE(viewer::qt::HandRecordsSolving());  // on its worker thread
  for (int Round = 0; Round < 6000 && !Done; ++Round) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
  }
  ASSERT_EQ(Done, QString());
  EXPECT_EQ(PdfPages(Pdf), 2);
  EXPECT_EQ(viewer::tPbnGames.CurValue, 3u);
  EXPECT_TRUE(pbn::tGameAdmin.Section == Section && pbn::tGameAdmin.NrCalls == NrCalls)
      << pbn::tGameAdmin.Section << " " << pbn::tGameAdmin.NrCalls;
  EXPECT_STREQ(pbn::TagValue(*pbn::tGameAdmin.ptGameTags, pbn::PBN_TAG_ID_BOARD), "3");
  std::filesystem::remove(Pdf);
  std::filesystem::remove(Pdf + ".info");
}

// Print solves the boards of the pages chosen: at one a page a board may take several pages,
// at more a page a page takes several boards.
TEST(PrintItems, PagesChosenGiveTheirBoards) {
  records::DocumentDef tOnePerPage;
  tOnePerPage.PerPage = 1;
  tOnePerPage.NrBoards = 5;
  tOnePerPage.aBoardPages = {1, 3, 1, 2, 1};  // pages 1, 2-4, 5, 6-7, 8
  records::DocumentDef tFourPerPage;
  tFourPerPage.NrBoards = 10;  // pages of boards 0-3, 4-7, 8-9
  const struct {
    const records::DocumentDef& tDocument;
    int First, Last;
    std::pair<size_t, size_t> Boards;
  } atCases[] = {
      {tOnePerPage, 1, 8, {0, 5}},  {tOnePerPage, 3, 3, {1, 2}}, {tOnePerPage, 4, 6, {1, 4}},
      {tOnePerPage, 8, 20, {4, 5}}, {tOnePerPage, 9, 9, {0, 0}}, {tFourPerPage, 2, 3, {4, 10}},
      {tFourPerPage, 0, 1, {0, 4}},
  };
  for (const auto& tCase : atCases) {
    EXPECT_EQ(records::PageBoards(tCase.tDocument, tCase.First, tCase.Last), tCase.Boards)
        << tCase.First << "-" << tCase.Last;
  }
}

// A session of four tables exported as karvelon-cli hand-records prints it: each board once with
// its traveller at two a page, the command's own pages; with every table a diagram for each game.
TEST(PrintItems, ExportGroupsTheGamesIntoBoards) {
  if (!testing_support::ProgramsFound("pdftotext")) {
    GTEST_SKIP() << "pdftotext (poppler-utils) is not installed: the pages cannot be read";
  }
  viewer::SetImportLogEnabled(false);
  const pbn::ReadingChoiceDef Reading = viewer::ReadingChoice();
  viewer::SetReadingChoice(pbn::ReadingChoiceDef::AsDeclared);  // the file declares PBN 2.1
  viewer::qt::MainWindow tWindow(false);
  tWindow.OpenFile(kClubSession);
  viewer::SetReadingChoice(Reading);
  for (int Round = 0; Round < 6000 && viewer::IndexPassRunning(); ++Round)
    QCoreApplication::processEvents();
  const std::string Pdf = (std::filesystem::temp_directory_path() /
                           ("karvelon-boards-" + std::to_string(getpid()) + ".pdf"))
                              .string();
  QString Error;
  ASSERT_TRUE(viewer::qt::ExportHandRecords(&tWindow, {2, false, QPageSize::A4, false},
                                            QString::fromStdString(Pdf), &Error))
      << Error.toStdString();
  const std::string Text = Poppler("pdftotext -raw", Pdf);
  EXPECT_EQ(Text, testing_support::ReadFile(KARVELON_SOURCE_DIR
                                            "/tests/cli/club-session-hand-records.txt"));
  EXPECT_EQ(Count(Text, "Traveller"), 3u);

  ASSERT_TRUE(viewer::qt::ExportHandRecords(&tWindow, {2, false, QPageSize::A4, true},
                                            QString::fromStdString(Pdf), &Error))
      << Error.toStdString();
  const std::string EveryTable = Poppler("pdftotext -raw", Pdf);
  EXPECT_EQ(Count(EveryTable, "\nBoard "), 12u) << EveryTable;  // the games of the file
  EXPECT_EQ(Count(EveryTable, "Traveller"), 12u);
  std::filesystem::remove(Pdf);
}

}  // namespace
