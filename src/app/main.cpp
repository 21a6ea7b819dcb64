// karvelon [FILE]: the PBN viewer's window. With FILE the file is opened at start as menu Open
// would open it.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "viewer/platform/qt/qt_bitmaps.h"
#include "viewer/platform/qt/qt_host.h"

namespace {

constexpr const char* kUsage =
    "Usage: karvelon [FILE]\n"
    "Shows the games of a PBN 1.0 file; with FILE that file is opened at start.\n";

bool HasEnv(const char* pcName) {
  const char* pcValue = std::getenv(pcName);
  return pcValue != nullptr && pcValue[0] != '\0';
}

// While the window system starts, its complaints are collected into one line; a fatal one
// (no platform plugin, no connection to the display) ends the program with status 2.
void StartupMessages(QtMsgType Type, const QMessageLogContext&, const QString& tMessage) {
  if (Type != QtFatalMsg) return;
  std::fprintf(stderr, "karvelon: cannot start the window system: %s\n",
               tMessage.section(QLatin1Char('\n'), 0, 0).toLocal8Bit().constData());
  std::fflush(stderr);
  std::_Exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  std::string Path;
  for (int i = 1; i < argc; ++i) {
    const char* pcArg = argv[i];
    if (std::strcmp(pcArg, "-h") == 0 || std::strcmp(pcArg, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(pcArg, "-V") == 0 || std::strcmp(pcArg, "--version") == 0) {
      std::printf("karvelon %s\n", KARVELON_VERSION);
      return 0;
    }
    if (!Path.empty() || (pcArg[0] == '-' && pcArg[1] != '\0')) {
      std::fprintf(stderr, "karvelon: unexpected argument '%s'\n%s", pcArg, kUsage);
      return 2;
    }
    Path = pcArg;
  }
  if (!HasEnv("QT_QPA_PLATFORM") && !HasEnv("DISPLAY") && !HasEnv("WAYLAND_DISPLAY")) {
    std::fputs("karvelon: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
    return 2;
  }

  const QtMessageHandler ptDefaultHandler = qInstallMessageHandler(StartupMessages);
  QApplication tApplication(argc, argv);
  qInstallMessageHandler(ptDefaultHandler);
  QApplication::setApplicationName(QStringLiteral("Karvelon"));
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(viewer::qt::BitmapImage("Pbn_Icon"))));

  viewer::qt::MainWindow tWindow(true);
  tWindow.show();
  if (!Path.empty()) tWindow.OpenFileWhenShown(Path);
  return QApplication::exec();
}
