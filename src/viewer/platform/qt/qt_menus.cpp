// The window's menus and keys: Project (with the recent files), Edit, View, Game and Options, the
// shortcuts on top of the controls, and the choices and window state kept between runs.
#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QShortcut>

#include "viewer/platform/qt/print_dialog.h"
#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/qt_settings.h"
#include "viewer/viewer.h"

namespace viewer::qt {

// Annotation or PbnFile, and Double dummy, as the last run left them. Both are read before
// either is applied: applying one keeps the choices as they then stand.
void MainWindow::RestoreChoices() {
  QSettings tSettings = Settings();
  const bool bAnnotation = tSettings.value(kAnnotationKey, true).toBool();
  const bool bDoubleDummy = tSettings.value(kDoubleDummyKey, false).toBool();
  Send(WM_COMMAND, static_cast<unsigned>(bAnnotation ? CM_ANNOTATION : CM_PBNFILE), 0);
  if (bDoubleDummy != DoubleDummyShown()) Send(WM_COMMAND, CM_DOUBLE_DUMMY, 0);
  MenuAction(bAnnotation ? CM_ANNOTATION : CM_PBNFILE)->setChecked(true);
  MenuAction(CM_DOUBLE_DUMMY)->setChecked(DoubleDummyShown());
}

void MainWindow::KeepChoices() {
  QSettings tSettings = Settings();
  tSettings.setValue(kAnnotationKey, TextPaneShowsAnnotation());
  tSettings.setValue(kDoubleDummyKey, DoubleDummyShown());
}

QAction* MainWindow::AddCommand(QMenu* ptMenu, const char* pcText, int idCommand,
                                const QKeySequence& tKey) {
  QAction* ptAction = ptMenu->addAction(QString::fromLatin1(pcText));
  connect(ptAction, &QAction::triggered, this, [this, idCommand] { Command(idCommand); });
  if (!tKey.isEmpty()) ptAction->setShortcut(tKey);
  aActions_[idCommand] = ptAction;
  return ptAction;
}

// Project, Edit, View, Game and Options. A key after a tab is shown, not bound: the window's
// own shortcuts serve it (they act in every state of the menus).
void MainWindow::BuildMenu() {
  QMenuBar* ptMenuBar = menuBar();
  ptMenuBar->setObjectName(QStringLiteral("ViewMenu"));
  QMenu* ptProject = ptMenuBar->addMenu(QStringLiteral("&Project"));
  AddCommand(ptProject, "&Open", CM_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O));
  ptRecentMenu_ = ptProject->addMenu(QStringLiteral("&Recent files"));
  UpdateRecentMenu();
  AddPrintItems(this, ptProject);
  ptProject->addSeparator();
  AddCommand(ptProject, "&About", CM_ABOUT);
  ptProject->addSeparator();
  AddCommand(ptProject, "&Exit", CM_EXIT, QKeySequence(Qt::CTRL | Qt::Key_Q));

  QMenu* ptEdit = ptMenuBar->addMenu(QStringLiteral("&Edit"));
  QAction* ptCopy = ptEdit->addAction(QStringLiteral("&Copy game"));
  ptCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  connect(ptCopy, &QAction::triggered, this, &MainWindow::CopyGame);
  QAction* ptCopyPicture = ptEdit->addAction(QStringLiteral("Copy &picture"));
  ptCopyPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
  connect(ptCopyPicture, &QAction::triggered, this, &MainWindow::CopyPicture);

  BuildViewMenu();

  ptGameMenu_ = ptMenuBar->addMenu(QStringLiteral("&Game"));
  AddCommand(ptGameMenu_, "&First", CM_FIRST);
  AddCommand(ptGameMenu_, "&Next\tPgDown", CM_NEXT);
  AddCommand(ptGameMenu_, "&Previous\tPgUp", CM_PREVIOUS);
  AddCommand(ptGameMenu_, "&Last", CM_LAST);
  AddCommand(ptGameMenu_, "Next with &Mistakes\tN", CM_NEXT_MISTAKES);
  AddCommand(ptGameMenu_, "&Go to game...", CM_GO_TO, QKeySequence(Qt::CTRL | Qt::Key_G));

  ptOptionsMenu_ = ptMenuBar->addMenu(QStringLiteral("&Options"));
  BuildTextMenu(ptOptionsMenu_);
  ptOptionsMenu_->addSeparator();
  AddCommand(ptOptionsMenu_, "Games with &mistakes", CM_WITH_MISTAKES)->setCheckable(true);
  AddDoubleDummyItem(ptOptionsMenu_);
  BuildReadingMenu(ptOptionsMenu_);
}

// View: the zoom. Ctrl+Plus also as Ctrl+= (the same key without Shift on most keyboards).
void MainWindow::BuildViewMenu() {
  ptViewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
  static constexpr struct {
    const char* pcText;
    int Direction;
  } atZooms[] = {{"Zoom &in", 1}, {"Zoom &out", -1}, {"&Actual size", 0}};
  const QList<QKeySequence> aatKeys[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
      {QKeySequence(Qt::CTRL | Qt::Key_Minus)},
      {QKeySequence(Qt::CTRL | Qt::Key_0)}};
  for (std::size_t i = 0; i < std::size(atZooms); ++i) {
    QAction* ptAction = ptViewMenu_->addAction(QString::fromLatin1(atZooms[i].pcText));
    ptAction->setShortcuts(aatKeys[i]);
    const int Direction = atZooms[i].Direction;
    connect(ptAction, &QAction::triggered, this, [this, Direction] { Zoom(Direction); });
  }
  ptViewMenu_->addSeparator();
  AddCommand(ptViewMenu_, "Game &list", CM_GAME_LIST, QKeySequence(Qt::Key_L));
  AddCommand(ptViewMenu_, "Same &board", CM_SAME_BOARD, QKeySequence(Qt::Key_T));
  AddCommand(ptViewMenu_, "&Results", CM_RESULTS, QKeySequence(Qt::Key_R));
}

// Annotation or PbnFile: one of the two texts below the table, marked as a radio choice.
void MainWindow::BuildTextMenu(QMenu* ptOptions) {
  auto* ptGroup = new QActionGroup(this);
  for (const int idCommand : {CM_ANNOTATION, CM_PBNFILE}) {
    QAction* ptAction =
        AddCommand(ptOptions, idCommand == CM_ANNOTATION ? "&Annotation" : "&PbnFile", idCommand);
    ptAction->setCheckable(true);
    ptAction->setChecked((idCommand == CM_ANNOTATION) == TextPaneShowsAnnotation());
    ptGroup->addAction(ptAction);
  }
}

void MainWindow::CheckMenuItem(int idCommand, bool bChecked) {
  QAction* ptAction = MenuAction(idCommand);
  if (ptAction != nullptr) ptAction->setChecked(bChecked);
  if (bInteractive_ && bChecked && idCommand >= CM_READING_PBN10 && idCommand <= CM_READING_AUTO) {
    KeepReading(idCommand);
  }
  if (bInteractive_ && idCommand == CM_WITH_MISTAKES) {
    Settings().setValue(kWithMistakesKey, bChecked);
  }
}

// Options "Double dummy" (key D): a check mark that follows the panel, and the worker's answers
// brought to the window's thread as a repaint.
void MainWindow::AddDoubleDummyItem(QMenu* ptOptions) {
  QAction* ptAction = ptOptions->addAction(QStringLiteral("&Double dummy"));
  ptAction->setCheckable(true);
  ptAction->setShortcut(QKeySequence(Qt::Key_D));
  connect(ptAction, &QAction::triggered, this, [this, ptAction] {
    Command(CM_DOUBLE_DUMMY);
    ptAction->setChecked(DoubleDummyShown());
  });
  aActions_[CM_DOUBLE_DUMMY] = ptAction;
  DoubleDummyOnAnswer([this] {
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (!bDestroyed_) DoubleDummyAnswered();
        },
        Qt::QueuedConnection);
  });
}

// The standard to read by: one of three, kept between runs of the interactive viewer; a choice
// reads the open file again at once.
namespace {

constexpr struct {
  const char* pcText;
  const char* pcSetting;
  int idCommand;
} atReadings[] = {{"PBN &1.0", "1.0", CM_READING_PBN10},
                  {"PBN &2.1", "2.1", CM_READING_PBN21},
                  {"As the file &declares", "auto", CM_READING_AUTO}};

const QString kReadingKey = QStringLiteral("Options/Reading");

}  // namespace

void MainWindow::BuildReadingMenu(QMenu* ptOptions) {
  if (bInteractive_) {
    // A saved choice is kept; a new user reads each file by the standard it declares.
    const QString tSetting = Settings().value(kReadingKey, QStringLiteral("auto")).toString();
    if (!SetReadingSetting(tSetting.toLatin1().constData())) SetReadingSetting("auto");
  }
  ptOptions->addSeparator();
  auto* ptGroup = new QActionGroup(this);
  for (const auto& tReading : atReadings) {
    QAction* ptAction = AddCommand(ptOptions, tReading.pcText, tReading.idCommand);
    ptAction->setCheckable(true);
    ptAction->setChecked(tReading.idCommand == ReadingCommand());
    ptGroup->addAction(ptAction);
  }
}

// The mark of a reading, set by the window's logic (also when a pass stopped early takes the
// choice back), is the choice kept.
void MainWindow::KeepReading(int idCommand) {
  for (const auto& tReading : atReadings) {
    if (tReading.idCommand == idCommand) {
      Settings().setValue(kReadingKey, QString::fromLatin1(tReading.pcSetting));
    }
  }
}

void MainWindow::BuildShortcuts() {
  static constexpr struct {
    int Key;
    KeyDef Command;
  } atKeys[] = {
      {Qt::Key_Left, KeyDef::Left},     {Qt::Key_Right, KeyDef::Right},
      {Qt::Key_Home, KeyDef::Home},     {Qt::Key_End, KeyDef::End},
      {Qt::Key_PageUp, KeyDef::PageUp}, {Qt::Key_PageDown, KeyDef::PageDown},
      {Qt::Key_Space, KeyDef::Space},   {Qt::Key_N, KeyDef::N},
  };
  for (const auto& tKey : atKeys) {
    auto* ptShortcut = new QShortcut(QKeySequence(tKey.Key), this);
    const KeyDef Key = tKey.Command;
    connect(ptShortcut, &QShortcut::activated, this, [this, Key] {
      if (const int idCommand = KeyCommand(Key)) Command(idCommand);
    });
  }
}

QAction* MainWindow::MenuAction(int idCommand) const {
  const auto it = aActions_.find(idCommand);
  return it != aActions_.end() ? it->second : nullptr;
}

QStringList MainWindow::RecentFiles() const {
  return atRecent_;
}

void MainWindow::RememberRecent(const QString& tPath) {
  const QString tAbsolute = QFileInfo(tPath).absoluteFilePath();
  atRecent_.removeAll(tAbsolute);
  atRecent_.prepend(tAbsolute);
  while (atRecent_.size() > kNrRecentFiles)
    atRecent_.removeLast();
  if (bInteractive_) Settings().setValue(kRecentKey, atRecent_);
  UpdateRecentMenu();
}

void MainWindow::UpdateRecentMenu() {
  ptRecentMenu_->clear();
  for (qsizetype i = 0; i < atRecent_.size(); ++i) {
    const QString tPath = atRecent_[i];
    // "&1 games.pbn  (/the/folder)": the number is the key.
    const QFileInfo tInfo(tPath);
    QAction* ptAction = ptRecentMenu_->addAction(
        QStringLiteral("&%1 %2  (%3)")
            .arg(i + 1)
            .arg(tInfo.fileName(), QDir::toNativeSeparators(tInfo.absolutePath())));
    connect(ptAction, &QAction::triggered, this,
            [this, tPath] { OpenLater(QFile::encodeName(tPath).toStdString()); });
  }
  ptRecentMenu_->setEnabled(!atRecent_.isEmpty());
}

// The size and place of the window, and which side panels were open and how wide: the docks are
// made first, so that the state kept finds them.
void MainWindow::RestoreWindowState() {
  QSettings tSettings = Settings();
  restoreGeometry(tSettings.value(kGeometryKey).toByteArray());
  GameListDock(false);
  GameListDock(true);
  ResultsDock();
  restoreState(tSettings.value(kDocksKey).toByteArray());
}

void MainWindow::SaveWindowState() {
  if (!bInteractive_) return;
  QSettings tSettings = Settings();
  tSettings.setValue(kGeometryKey, saveGeometry());
  tSettings.setValue(kDocksKey, saveState());
}

}  // namespace viewer::qt
