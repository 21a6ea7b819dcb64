// karvelon-cli render: the viewer's real main window, built off screen, with a game shown and
// stepped as a user would, written as a PNG of its client area.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/cli.h"
#include "replay/controls.h"
#include "viewer/dd_panel.h"
#include "viewer/karvelon.h"
#include "viewer/platform/qt/qt_host.h"

namespace cli {

namespace {

constexpr long kMaxSteps = 1000000;

struct RenderArgs {
  std::string File;
  std::string Out;
  long Game = 1;
  long Steps = 0;
  bool bRaw = false;
  bool bWithMistakes = false;
  bool bDoubleDummy = false;
  std::string Hide;
  double Scale = 1.0;
};

constexpr double kMaxScale = 8.0;

// A scale from 0.25 to 8: a plain decimal number.
bool ParseScale(const std::string& Text, double* pScale) {
  if (Text.empty() || Text.find_first_not_of("0123456789.") != std::string::npos) return false;
  errno = 0;
  char* pcEnd = nullptr;
  const double Value = std::strtod(Text.c_str(), &pcEnd);
  if (errno != 0 || *pcEnd != '\0' || !(Value >= 0.25 && Value <= kMaxScale)) return false;
  *pScale = Value;
  return true;
}

bool ParseNumber(const std::string& Text, long Max, long* pValue) {
  if (Text.empty() || Text[0] == '-' || Text[0] == '+') return false;
  errno = 0;
  char* pcEnd = nullptr;
  const long Value = std::strtol(Text.c_str(), &pcEnd, 10);
  if (errno != 0 || *pcEnd != '\0' || Value > Max) return false;
  *pValue = Value;
  return true;
}

// Parses the arguments; on a wrong one says so and returns false.
bool ParseArgs(const Args& args, RenderArgs* ptArgs) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& Arg = args[i];
    const bool bHasValue = i + 1 < args.size();
    if (Arg == "-o" || Arg == "--game" || Arg == "--steps" || Arg == "--hide" || Arg == "--scale") {
      if (!bHasValue) {
        Fail("render: " + Arg + " needs a value");
        return false;
      }
      const std::string& Value = args[++i];
      if (Arg == "-o") {
        ptArgs->Out = Value;
      } else if (Arg == "--game") {
        if (!ParseNumber(Value, 0x7FFFFFFF, &ptArgs->Game)) {
          Fail("render: --game needs a game number, not '" + Value + "'");
          return false;
        }
      } else if (Arg == "--steps") {
        if (!ParseNumber(Value, kMaxSteps, &ptArgs->Steps)) {
          Fail("render: --steps needs a number from 0 to 1000000, not '" + Value + "'");
          return false;
        }
      } else if (Arg == "--scale") {
        if (!ParseScale(Value, &ptArgs->Scale)) {
          Fail("render: --scale needs a number from 0.25 to 8, not '" + Value + "'");
          return false;
        }
      } else {
        if (Value.empty() || Value.find_first_not_of("NESW") != std::string::npos) {
          Fail("render: --hide takes letters from NESW, not '" + Value + "'");
          return false;
        }
        ptArgs->Hide = Value;
      }
    } else if (Arg == "--raw") {
      ptArgs->bRaw = true;
    } else if (Arg == kWithMistakes) {
      ptArgs->bWithMistakes = true;
    } else if (Arg == "--dd") {
      ptArgs->bDoubleDummy = true;
    } else if (Arg.size() > 1 && Arg[0] == '-') {
      Fail("render: unknown option '" + Arg + "'");
      return false;
    } else if (ptArgs->File.empty()) {
      ptArgs->File = Arg;
    } else {
      Fail("render: unexpected argument '" + Arg + "'");
      return false;
    }
  }
  if (ptArgs->File.empty() || ptArgs->Out.empty()) {
    Fail(
        "render: usage: render FILE -o OUT.png [--game N] [--steps K] [--raw] [--hide SIDES] "
        "[--with-mistakes] [--dd] [--scale F]");
    return false;
  }
  return true;
}

int HideBoxId(char cSide) {
  switch (cSide) {
    case 'N':
      return viewer::ID_HIDE_N;
    case 'E':
      return viewer::ID_HIDE_E;
    case 'S':
      return viewer::ID_HIDE_S;
    default:
      return viewer::ID_HIDE_W;
  }
}

}  // namespace

int Render(const Args& args) {
  RenderArgs tArgs;
  if (!ParseArgs(args, &tArgs)) return kExitError;
  // Say why a file does not open before any window exists.
  if (!OpenPbnFile(tArgs.File)) return kExitError;

  static int argc = 1;
  static char acName[] = "karvelon-cli";
  static char* argv[] = {acName, nullptr};
  QApplication tApplication(argc, argv);

  viewer::SetImportLogEnabled(false);
  viewer::ViewerImportOptions().bKeepRefused = tArgs.bWithMistakes;
  viewer::SetReadingChoice(tReadingChoice);
  viewer::qt::MainWindow tWindow(false);
  tWindow.show();
  tWindow.OpenFile(tArgs.File);
  for (const viewer::qt::MessageBoxRecord& tBox : tWindow.MessageBoxes()) {
    if (tBox.Caption == "Open error PBN file")
      return Fail("render: " + tArgs.File + ": " + tBox.Text);
  }
  const long NrGames = static_cast<long>(viewer::tPbnGames.MaxValue);
  if (NrGames == 0) {
    Fail("render: " + tArgs.File + ": no PBN games");
    return kExitNone;
  }
  if (tArgs.Game < 1 || tArgs.Game > NrGames) {
    Fail("render: game " + std::to_string(tArgs.Game) + " is not between 1 and " +
         std::to_string(NrGames));
    return kExitNone;
  }
  if (tArgs.Game != 1) viewer::ShowGameNumber(static_cast<pbn::UInt32>(tArgs.Game));
  auto* ptForward = qobject_cast<QAbstractButton*>(tWindow.Control(viewer::ID_EXEC));
  for (long Step = 0; Step < tArgs.Steps && ptForward != nullptr; ++Step)
    ptForward->click();
  if (tArgs.bRaw) tWindow.MenuAction(viewer::CM_PBNFILE)->trigger();
  for (char cSide : tArgs.Hide) {
    auto* ptBox = qobject_cast<QCheckBox*>(tWindow.Control(HideBoxId(cSide)));
    if (ptBox != nullptr && !ptBox->isChecked()) ptBox->click();
  }
  if (tArgs.bDoubleDummy) {
    tWindow.MenuAction(viewer::CM_DOUBLE_DUMMY)->trigger();
    // The paint asks the worker; draw again once it has answered.
    tWindow.RenderClient(tArgs.Scale);
    viewer::DdPanelWaitIdle();
  }
  const QImage tImage = tWindow.RenderClient(tArgs.Scale);
  if (!tImage.save(QString::fromLocal8Bit(tArgs.Out.c_str()), "PNG")) {
    return Fail("render: cannot write " + tArgs.Out);
  }
  return kExitOk;
}

}  // namespace cli
