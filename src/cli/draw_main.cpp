// karvelon-cli-draw: the commands of karvelon-cli that draw with Qt. karvelon-cli hands them its
// command line, so that the commands that draw nothing start without loading Qt.
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"

namespace {

std::string tCommand;

// Off screen, Qt's notes about what the platform cannot do are noise; a fatal one is said in a
// line of the command's own.
void QuietMessages(QtMsgType Type, const QMessageLogContext&, const QString& tMessage) {
  if (Type == QtFatalMsg) {
    std::fprintf(stderr, "karvelon-cli: %s: %s\n", tCommand.c_str(),
                 tMessage.section(QLatin1Char('\n'), 0, 0).toLocal8Bit().constData());
    std::_Exit(cli::kExitError);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    return cli::Fail("karvelon-cli-draw is run by karvelon-cli (try 'karvelon-cli --help')");
  const std::string Command = argv[1];
  // Both commands draw off screen: no display is needed, and none is used when there is one.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  tCommand = Command;
  qInstallMessageHandler(QuietMessages);
  if (!cli::IsDrawCommand(Command))
    return cli::Fail("unknown command '" + Command + "' (try 'karvelon-cli --help')");
  const cli::Args rest(argv + 2, argv + argc);
  const int Status = Command == "render" ? cli::Render(rest) : cli::HandRecords(rest);
  cli::SayGamesLeftOut(Command);
  return Status;
}
