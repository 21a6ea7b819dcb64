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
#include "cli/options.h"
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

bool Refuse(const std::string& Text) {
  Fail("render: " + Text);
  return false;
}

// The values of the options given, each checked; on a wrong one says so and returns false.
bool TakeValues(const CommandLineDef& tLine, RenderArgs* ptArgs) {
  for (const auto& [ptOption, Value] : tLine.atGiven) {
    const std::string_view Name = ptOption->pcName;
    if (Name == "-o") {
      ptArgs->Out = Value;
    } else if (Name == "--game" && !ParseNumber(Value, 0x7FFFFFFF, &ptArgs->Game)) {
      return Refuse("--game needs a game number, not '" + Value + "'");
    } else if (Name == "--steps" && !ParseNumber(Value, kMaxSteps, &ptArgs->Steps)) {
      return Refuse("--steps needs a number from 0 to 1000000, not '" + Value + "'");
    } else if (Name == "--scale" && !ParseScale(Value, &ptArgs->Scale)) {
      return Refuse("--scale needs a number from 0.25 to 8, not '" + Value + "'");
    } else if (Name == "--hide") {
      if (Value.empty() || Value.find_first_not_of("NESW") != std::string::npos)
        return Refuse("--hide takes letters from NESW, not '" + Value + "'");
      ptArgs->Hide = Value;
    }
  }
  return true;
}

// Parses the arguments; on a wrong one says so and returns false.
bool ParseArgs(const Args& args, RenderArgs* ptArgs) {
  CommandLineDef tLine;
  std::string Error;
  if (!ParseCommandLine("render", args, &tLine, &Error)) return Refuse(Error);
  if (!TakeValues(tLine, ptArgs)) return false;
  ptArgs->bRaw = tLine.Has("--raw");
  ptArgs->bWithMistakes = tLine.Has(kWithMistakes);
  ptArgs->bDoubleDummy = tLine.Has("--dd");
  if (tLine.aOperands.size() > 1) return Refuse("unexpected argument '" + tLine.aOperands[1] + "'");
  if (!tLine.aOperands.empty()) ptArgs->File = tLine.aOperands[0];
  if (ptArgs->File.empty() || ptArgs->Out.empty())
    return Refuse("usage: " + CommandUsage("render"));
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
  NoteIndexPass("render", tArgs.File, static_cast<unsigned>(NrGames));
  if (NrGames == 0) return kExitNone;
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
