// karvelon-cli render and the karvelon program as a user starts them: exit statuses, messages,
// the picture written, and no import log.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string kShowcase = std::string(KARVELON_SOURCE_DIR) + "/examples/showcase.pbn";

struct RunResult {
  int Status;
  std::string Stderr;
};

// Runs a command line in a fresh folder of its own; the folder is kept for the caller to look.
class RenderRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char acTemplate[] = "/tmp/karvelon_renderXXXXXX";
    ASSERT_NE(mkdtemp(acTemplate), nullptr);
    Dir = acTemplate;
  }
  void TearDown() override { std::system(("rm -rf '" + Dir + "'").c_str()); }

  RunResult Run(const std::string& Arguments, const std::string& Env = "") {
    const std::string ErrPath = Dir + "/stderr.txt";
    const std::string Command = "cd '" + Dir + "' && " + Env + " '" KARVELON_CLI "' render " +
                                Arguments + " 2>'" + ErrPath + "' >/dev/null";
    const int Raw = std::system(Command.c_str());
    std::string Stderr;
    if (std::FILE* pFile = std::fopen(ErrPath.c_str(), "r")) {
      char acBuffer[512];
      while (std::fgets(acBuffer, sizeof acBuffer, pFile) != nullptr)
        Stderr += acBuffer;
      std::fclose(pFile);
    }
    std::remove(ErrPath.c_str());
    return {WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1, Stderr};
  }
  QImage Picture(const std::string& Name) {
    return QImage(QString::fromStdString(Dir + "/" + Name));
  }
  bool LogWritten() { return access((Dir + "/karvelon.log").c_str(), F_OK) == 0; }

  std::string Dir;
};

bool HasInk(const QImage& tImage, int x, int y, int Width, int Height) {
  for (int yy = y; yy < y + Height; ++yy) {
    for (int xx = x; xx < x + Width; ++xx) {
      if (QColor(tImage.pixel(xx, yy)).lightness() < 80) return true;
    }
  }
  return false;
}

int LinesOf(const std::string& Text) {
  int Count = 0;
  for (char c : Text)
    Count += c == '\n';
  return Count;
}

TEST_F(RenderRun, WritesTheClientAreaWithoutALog) {
  const RunResult tResult = Run("'" + kShowcase + "' -o out.png --steps 14", "env -u DISPLAY");
  ASSERT_EQ(tResult.Status, 0) << tResult.Stderr;
  EXPECT_EQ(tResult.Stderr, "");
  EXPECT_FALSE(LogWritten());
  const QImage tImage = Picture("out.png");
  ASSERT_EQ(tImage.size(), QSize(640, 480));
  EXPECT_EQ(QColor(tImage.pixel(5, 250)), QColor(128, 64, 0));
  EXPECT_EQ(QColor(tImage.pixel(620, 250)), QColor(0, 0, 192));
  EXPECT_EQ(QColor(tImage.pixel(143, 121)), QColor(Qt::white));  // West's card on the table
}

TEST_F(RenderRun, GameRawTextAndHiddenHands) {
  // Game 2 hides East and West already; --hide keeps them hidden and adds South.
  ASSERT_EQ(Run("'" + kShowcase + "' -o a.png --game 2").Status, 0);
  ASSERT_EQ(Run("'" + kShowcase + "' -o b.png --game 2 --hide EWS").Status, 0);
  const QImage tShown = Picture("a.png");
  const QImage tHidden = Picture("b.png");
  EXPECT_FALSE(HasInk(tShown, 20, 88, 110, 62));   // West
  EXPECT_FALSE(HasInk(tHidden, 20, 88, 110, 62));  // West, still hidden
  EXPECT_TRUE(HasInk(tShown, 152, 172, 110, 62));  // South
  EXPECT_FALSE(HasInk(tHidden, 152, 172, 110, 62));

  // The raw text of game 1 starts with "% PBN 1.0"; the annotation with the game comment.
  ASSERT_EQ(Run("'" + kShowcase + "' -o anno.png").Status, 0);
  ASSERT_EQ(Run("'" + kShowcase + "' -o raw.png --raw").Status, 0);
  const QImage tAnno = Picture("anno.png");
  const QImage tRaw = Picture("raw.png");
  EXPECT_TRUE(HasInk(tRaw, 4, 264, 60, 14));
  EXPECT_NE(tAnno.copy(0, 264, 412, 144), tRaw.copy(0, 264, 412, 144));
  EXPECT_EQ(tAnno.copy(0, 0, 402, 258), tRaw.copy(0, 0, 402, 258));
}

TEST_F(RenderRun, ExitStatuses) {
  const struct {
    std::string Arguments;
    int Status;
  } atCases[] = {
      {"'" + kShowcase + "' -o x.png --game 5", 0},
      {"'" + kShowcase + "' -o x.png --game 6", 1},
      {"'" + kShowcase + "' -o x.png --game 0", 1},
      {"'/nonexistent/file.pbn' -o x.png", 2},
      {"/tmp -o x.png", 2},
      {"'" + kShowcase + "'", 2},
      {"-o x.png", 2},
      {"'" + kShowcase + "' -o x.png --game two", 2},
      {"'" + kShowcase + "' -o x.png --steps -1", 2},
      {"'" + kShowcase + "' -o x.png --hide NX", 2},
      {"'" + kShowcase + "' -o x.png --hide", 2},
      {"'" + kShowcase + "' -o x.png --frobnicate", 2},
      {"'" + kShowcase + "' -o /nonexistent/dir/x.png", 2},
  };
  for (const auto& tCase : atCases) {
    const RunResult tResult = Run(tCase.Arguments);
    EXPECT_EQ(tResult.Status, tCase.Status) << tCase.Arguments << "\n" << tResult.Stderr;
    // A failure says why in one line.
    EXPECT_EQ(LinesOf(tResult.Stderr), tCase.Status == 0 ? 0 : 1) << tCase.Arguments;
  }

  // A file without games.
  const std::string NoGames = Dir + "/none.pbn";
  std::FILE* pFile = std::fopen(NoGames.c_str(), "w");
  ASSERT_NE(pFile, nullptr);
  std::fputs("[Event \"x\"]\n[Dealer \"Q\"]\n", pFile);
  std::fclose(pFile);
  const RunResult tResult = Run("'" + NoGames + "' -o x.png");
  EXPECT_EQ(tResult.Status, 1);
  EXPECT_NE(tResult.Stderr.find("no PBN games"), std::string::npos);
  EXPECT_FALSE(LogWritten());
}

TEST(Viewer, RefusesToStartWithoutADisplay) {
  const std::string Command =
      "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" KARVELON_VIEWER "' 2>&1 >/dev/null";
  std::FILE* pPipe = popen(Command.c_str(), "r");
  ASSERT_NE(pPipe, nullptr);
  std::string Output;
  char acBuffer[512];
  while (std::fgets(acBuffer, sizeof acBuffer, pPipe) != nullptr)
    Output += acBuffer;
  const int Raw = pclose(pPipe);
  EXPECT_EQ(WEXITSTATUS(Raw), 2);
  EXPECT_EQ(LinesOf(Output), 1);
  EXPECT_NE(Output.find("display"), std::string::npos);
}

}  // namespace
