#include "viewer/platform/qt/qt_host.h"
#include "viewer/platform/qt/print_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSpacerItem>
#include <QStatusBar>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <cstring>

#include "core/tags.h"
#include "games/pbn_game.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_diagram.h"
#include "replay/pbn_play.h"
#include "viewer/dd_panel.h"
#include "viewer/karvelon.h"
#include "viewer/p_table.h"
#include "viewer/platform/qt/qt_bitmaps.h"
#include "viewer/platform/qt/qt_canvas.h"

namespace viewer::qt {

namespace {

const QString kWithMistakesKey = QStringLiteral("Options/GamesWithMistakes");

QSettings Settings() {
  return QSettings(QStringLiteral("Karvelon"), QStringLiteral("Karvelon"));
}

const QString kRecentKey = QStringLiteral("Files/Recent");
const QString kGeometryKey = QStringLiteral("Window/Geometry");
const QString kDocksKey = QStringLiteral("Window/Docks");
constexpr int kNrRecentFiles = 8;

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

// A length of the design at a scale, as the canvas scales it: edges, not sizes.
int Scaled(int Value, double Scale) {
  return Scale == 1.0 ? Value : static_cast<int>(std::lround(Value * Scale));
}

QRect ScaledRect(const QRect& tDesign, double Scale) {
  const int Left = Scaled(tDesign.left(), Scale);
  const int Top = Scaled(tDesign.top(), Scale);
  return QRect(Left, Top, Scaled(tDesign.left() + tDesign.width(), Scale) - Left,
               Scaled(tDesign.top() + tDesign.height(), Scale) - Top);
}

QPoint DesignPoint(const QPointF& tScaled, double Scale) {
  return QPoint(static_cast<int>(std::floor(tScaled.x() / Scale)),
                static_cast<int>(std::floor(tScaled.y() / Scale)));
}

// The room for the client area: it fits the design into itself whenever its size changes.
class StageWidget final : public QWidget {
 public:
  StageWidget(MainWindow* ptWindow, void (MainWindow::*pFit)())
      : QWidget(ptWindow), ptWindow_(ptWindow), pFit_(pFit) {
    setMinimumSize(kClientWidth, kClientHeight);
  }
  QSize sizeHint() const override { return QSize(kClientWidth, kClientHeight); }

 protected:
  void resizeEvent(QResizeEvent*) override { (ptWindow_->*pFit_)(); }

 private:
  MainWindow* ptWindow_;
  void (MainWindow::*pFit_)();
};

class ClientWidget final : public QWidget {
 public:
  ClientWidget(MainWindow* ptWindow, QWidget* ptParent) : QWidget(ptParent), ptWindow_(ptWindow) {
    resize(kClientWidth, kClientHeight);
    QPalette tPalette = palette();
    tPalette.setColor(QPalette::Window, Qt::white);  // the class background, WHITE_BRUSH
    setPalette(tPalette);
    setAutoFillBackground(true);
  }

 protected:
  void paintEvent(QPaintEvent* ptEvent) override {
    QPainter tPainter(this);
    ptWindow_->PaintClient(&tPainter, ptEvent->rect());
  }
  void wheelEvent(QWheelEvent* ptEvent) override { ptWindow_->Wheel(*ptEvent); }
  bool event(QEvent* ptEvent) override {
    if (ptEvent->type() != QEvent::ToolTip) return QWidget::event(ptEvent);
    const auto* ptHelp = static_cast<QHelpEvent*>(ptEvent);
    const QString tText = ptWindow_->ElidedTextAt(DesignPoint(ptHelp->pos(), ptWindow_->Scale()));
    if (tText.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(ptHelp->globalPos(), tText, this);
    }
    return true;
  }

 private:
  MainWindow* ptWindow_;
};

// A BS_OWNERDRAW button: the window procedure draws it (WM_DRAWITEM).
class StepButton final : public QAbstractButton {
 public:
  StepButton(MainWindow* ptWindow, QWidget* ptParent, int idCtrl)
      : QAbstractButton(ptParent), ptWindow_(ptWindow), idCtrl_(idCtrl) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter tPainter(this);
    ptWindow_->DrawItem(idCtrl_, &tPainter);
  }

 private:
  MainWindow* ptWindow_;
  int idCtrl_;
};

// The text pane's scroll bars follow its bottom when a tall window makes it taller.
QRect MovedForTextPane(int idCtrl, QRect tDesign, int ExtraHeight) {
  if (idCtrl == ID_HOR_TEXT) tDesign.translate(0, ExtraHeight);
  if (idCtrl == ID_VER_TEXT) tDesign.setHeight(tDesign.height() + ExtraHeight);
  return tDesign;
}

// The text of the game on display for the clipboard: a diagram of the deal, then its PBN text.
QString GameCopyText() {
  const pbn::PbnGameDataDef* ptData = pbn::tGameAdmin.ptGameData;
  if (tPbnGames.MaxValue == 0 || ptData == nullptr) return QString();
  const pbn::PbnGameTagsDef* ptTags = pbn::tGameAdmin.ptGameTags;
  const char* pcBoard =
      ptTags != nullptr ? pbn::TagValueText(pbn::TagValue(*ptTags, pbn::PBN_TAG_ID_BOARD)) : "";
  QString tText =
      CanvasText(pbn::PbnDealDiagram(pcBoard, ptData->tSituation, ptData->tDeal).c_str());
  tText += QLatin1Char('\n');
  for (pbn::UInt32 Line = 0; Line < TRAdmin.NrGameLines; ++Line) {
    const char* pcLine = pbn::GameTxtLine(Line);
    if (pcLine == nullptr) break;
    tText += CanvasText(pcLine) + QLatin1Char('\n');
  }
  return tText;
}

unsigned ScrollCode(int Action, bool* pbKnown) {
  *pbKnown = true;
  switch (Action) {
    case QAbstractSlider::SliderSingleStepSub:
      return SB_LINEUP;
    case QAbstractSlider::SliderSingleStepAdd:
      return SB_LINEDOWN;
    case QAbstractSlider::SliderPageStepSub:
      return SB_PAGEUP;
    case QAbstractSlider::SliderPageStepAdd:
      return SB_PAGEDOWN;
    case QAbstractSlider::SliderMove:
      return SB_THUMBTRACK;
    case QAbstractSlider::SliderToMinimum:
      return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
      return SB_BOTTOM;
    default:
      *pbKnown = false;
      return SB_ENDSCROLL;
  }
}

QMessageBox::Icon MessageIcon(unsigned Flags) {
  if ((Flags & 0xF0u) == MB_ICONINFORMATION) return QMessageBox::Information;
  if ((Flags & 0xF0u) == MB_ICONEXCLAMATION) return QMessageBox::Warning;
  return QMessageBox::NoIcon;
}

void CopyBounded(const std::string& Text, char* pcBuffer, std::uint32_t Size) {
  if (pcBuffer == nullptr || Size == 0) return;
  const std::size_t Length = std::min<std::size_t>(Text.size(), Size - 1);
  std::memcpy(pcBuffer, Text.data(), Length);
  pcBuffer[Length] = '\0';
}

constexpr qint64 kProgressDelayMs = 300;  // a pass shorter than this shows no dialog
constexpr qint64 kProgressEventsMs = 50;  // how often a long pass lets the window paint

}  // namespace

// The check boxes' marks and spacing grow with the scale; everything else is the style's own.
class ScaledControlStyle final : public QProxyStyle {
 public:
  double Scale = 1.0;

  int pixelMetric(PixelMetric Metric, const QStyleOption* ptOption,
                  const QWidget* ptWidget) const override {
    const int Value = QProxyStyle::pixelMetric(Metric, ptOption, ptWidget);
    if (bDesignMetrics_) return Value;
    switch (Metric) {
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
      case PM_CheckBoxLabelSpacing:
      case PM_ScrollBarExtent:
      case PM_ScrollBarSliderMin:
      case PM_ScrollView_ScrollBarOverlap:
        return Scaled(Value, Scale);
      default:
        return Value;
    }
  }

  // A scroll bar is drawn as at the design's size under a scaled painter: its arrows grow with
  // it. Its parts keep their proportions, so the places the style hits stay those it draws.
  void drawComplexControl(ComplexControl Control, const QStyleOptionComplex* ptOption,
                          QPainter* ptPainter, const QWidget* ptWidget) const override {
    const auto* ptBar = qstyleoption_cast<const QStyleOptionSlider*>(ptOption);
    if (Control != CC_ScrollBar || Scale == 1.0 || ptBar == nullptr) {
      return QProxyStyle::drawComplexControl(Control, ptOption, ptPainter, ptWidget);
    }
    QStyleOptionSlider tDesign = *ptBar;
    tDesign.rect =
        QRect(0, 0, qRound(ptBar->rect.width() / Scale), qRound(ptBar->rect.height() / Scale));
    bDesignMetrics_ = true;  // the design's own metrics while it draws
    ptPainter->save();
    ptPainter->translate(ptBar->rect.topLeft());
    ptPainter->scale(static_cast<double>(ptBar->rect.width()) / tDesign.rect.width(),
                     static_cast<double>(ptBar->rect.height()) / tDesign.rect.height());
    QProxyStyle::drawComplexControl(Control, &tDesign, ptPainter, ptWidget);
    ptPainter->restore();
    bDesignMetrics_ = false;
  }

 private:
  mutable bool bDesignMetrics_ = false;
};

// The status line: one line, shortened with "..." when the window is too narrow for it, the
// whole text then in its tooltip.
class ElidedLabel final : public QLabel {
 public:
  explicit ElidedLabel(QWidget* ptParent) : QLabel(ptParent) {}
  void SetFullText(const QString& tText) {
    tFull_ = tText;
    Refresh();
  }
  QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }
  QSize sizeHint() const override { return QSize(0, QLabel::sizeHint().height()); }

 protected:
  void resizeEvent(QResizeEvent* ptEvent) override {
    QLabel::resizeEvent(ptEvent);
    Refresh();
  }

 private:
  void Refresh() {
    const QString tShown = ElideText(fontMetrics(), tFull_, contentsRect().width());
    setText(tShown);
    setToolTip(tShown != tFull_ ? tFull_ : QString());
  }
  QString tFull_;
};

QString HostText(const char* pcText) {
  return QFile::decodeName(pcText != nullptr ? pcText : "");
}

QString QtFileFilter(const char* pcFilter) {
  QStringList atFilters;
  while (pcFilter != nullptr && *pcFilter != '\0') {
    const char* pcPatterns = pcFilter + std::strlen(pcFilter) + 1;
    QString tName = QString::fromLatin1(pcFilter);
    const int Paren = static_cast<int>(tName.indexOf(QLatin1Char('(')));
    if (Paren > 0) tName = tName.left(Paren).trimmed();
    QStringList atPatterns;
    for (const QString& tPattern : QString::fromLatin1(pcPatterns).split(QLatin1Char(';'))) {
      if (tPattern == QLatin1String("*.*")) {
        atPatterns << QStringLiteral("*");  // every file, with or without a dot
      } else if (!tPattern.isEmpty()) {
        // File names are case sensitive here: accept both spellings of the extension.
        atPatterns << tPattern.toLower();
        if (tPattern.toUpper() != tPattern.toLower()) atPatterns << tPattern.toUpper();
      }
    }
    atFilters << tName + QStringLiteral(" (") + atPatterns.join(QLatin1Char(' ')) +
                     QLatin1Char(')');
    if (*pcPatterns == '\0') break;
    pcFilter = pcPatterns + std::strlen(pcPatterns) + 1;
  }
  return atFilters.join(QStringLiteral(";;"));
}

MainWindow::MainWindow(bool bInteractive) : bInteractive_(bInteractive) {
  setWindowIcon(QIcon(QPixmap::fromImage(BitmapImage("Pbn_Icon"))));
  // The choices of the Options menu are kept between runs of the viewer.
  if (bInteractive_) {
    ViewerImportOptions().bKeepRefused = Settings().value(kWithMistakesKey, false).toBool();
    atRecent_ = Settings().value(kRecentKey).toStringList();
  }
  // Owned by the application: the controls use it until the very end of the window.
  ptControlStyle_ = new ScaledControlStyle;
  ptControlStyle_->setParent(QCoreApplication::instance());
  BuildMenu();
  ptStage_ = new StageWidget(this, &MainWindow::FitToStage);
  ptClient_ = new ClientWidget(this, ptStage_);
  setCentralWidget(ptStage_);
  setDockOptions(QMainWindow::AnimatedDocks);
  setAcceptDrops(true);
  // A label of its own: a status message would vanish as soon as a menu shows its tips.
  ptStatus_ = new ElidedLabel(this);
  statusBar()->addWidget(ptStatus_, 1);
  ptTimer_ = new QTimer(this);
  connect(ptTimer_, &QTimer::timeout, this, [this] { Send(WM_TIMER, idTimer_, 0); });

  WndProc(this, WM_CREATE, 0, 0);
  PaintBitmapInit();
  CtrlBitmapInit();
  BuildShortcuts();
  LayoutClient();
  if (bInteractive_) {
    RestoreWindowState();
    RestoreChoices();
  }
}

// Annotation or PbnFile, and Double dummy, as the last run left them.
void MainWindow::RestoreChoices() {
  QSettings tSettings = Settings();
  if (!tSettings.value(QStringLiteral("Options/Annotation"), true).toBool()) Command(CM_PBNFILE);
  if (tSettings.value(QStringLiteral("Options/DoubleDummy"), false).toBool()) {
    Command(CM_DOUBLE_DUMMY);
    MenuAction(CM_DOUBLE_DUMMY)->setChecked(DdPanelShown());
  }
}

void MainWindow::KeepChoices() {
  QSettings tSettings = Settings();
  tSettings.setValue(QStringLiteral("Options/Annotation"), static_cast<bool>(bShowAnno));
  tSettings.setValue(QStringLiteral("Options/DoubleDummy"), DdPanelShown());
}

MainWindow::~MainWindow() {
  Destroy();
  PaintBitmapTerm();
  CtrlBitmapTerm();
  pbn::TextAnnoTerm();
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
}

// Annotation or PbnFile: one of the two texts below the table, marked as a radio choice.
void MainWindow::BuildTextMenu(QMenu* ptOptions) {
  auto* ptGroup = new QActionGroup(this);
  for (const int idCommand : {CM_ANNOTATION, CM_PBNFILE}) {
    QAction* ptAction =
        AddCommand(ptOptions, idCommand == CM_ANNOTATION ? "&Annotation" : "&PbnFile", idCommand);
    ptAction->setCheckable(true);
    ptAction->setChecked((idCommand == CM_ANNOTATION) == (bShowAnno != 0));
    ptGroup->addAction(ptAction);
  }
}

void MainWindow::CheckMenuItem(int idCommand, bool bChecked) {
  QAction* ptAction = MenuAction(idCommand);
  if (ptAction != nullptr) ptAction->setChecked(bChecked);
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
    ptAction->setChecked(DdPanelShown());
  });
  aActions_[CM_DOUBLE_DUMMY] = ptAction;
  DdPanelSetNotify([this] {
    QMetaObject::invokeMethod(
        this, [] { InvalidateRectPaint(); }, Qt::QueuedConnection);
  });
}

// The standard to read by: one of three, kept between runs of the interactive viewer; it applies
// from the next file opened.
void MainWindow::BuildReadingMenu(QMenu* ptOptions) {
  static constexpr struct {
    const char* pcText;
    const char* pcSetting;
    pbn::ReadingChoiceDef Choice;
  } atChoices[] = {{"PBN &1.0", "1.0", pbn::ReadingChoiceDef::Pbn10},
                   {"PBN &2.1", "2.1", pbn::ReadingChoiceDef::Pbn21},
                   {"As the file &declares", "auto", pbn::ReadingChoiceDef::AsDeclared}};
  if (bInteractive_) {
    // A saved choice is kept; a new user reads each file by the standard it declares.
    const QString tSetting =
        Settings().value(QStringLiteral("Options/Reading"), QStringLiteral("auto")).toString();
    pbn::ReadingChoiceDef Choice = pbn::ReadingChoiceDef::AsDeclared;
    pbn::PbnParseReadingChoice(tSetting.toLatin1().constData(), &Choice);
    SetReadingChoice(Choice);
  }
  SetTitle(WindowTitle(ReadingNameInForce(), nullptr).c_str());
  ptOptions->addSeparator();
  auto* ptGroup = new QActionGroup(this);
  for (const auto& tChoice : atChoices) {
    QAction* ptAction = ptOptions->addAction(QString::fromLatin1(tChoice.pcText));
    ptAction->setCheckable(true);
    ptAction->setData(static_cast<int>(tChoice.Choice));
    ptAction->setChecked(tChoice.Choice == ReadingChoice());
    ptGroup->addAction(ptAction);
    const pbn::ReadingChoiceDef Choice = tChoice.Choice;
    const QString tSetting = QString::fromLatin1(tChoice.pcSetting);
    connect(ptAction, &QAction::triggered, this, [this, Choice, tSetting, ptGroup] {
      if (!ChooseReading(Choice)) {  // cancelled: the mark goes back to the reading in force
        for (QAction* ptOther : ptGroup->actions())
          ptOther->setChecked(ptOther->data().toInt() == static_cast<int>(ReadingChoice()));
      } else if (bInteractive_) {
        Settings().setValue(QStringLiteral("Options/Reading"), tSetting);
      }
    });
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

QWidget* MainWindow::Control(int idCtrl) const {
  const auto it = aControls_.find(idCtrl);
  return it != aControls_.end() ? it->second : nullptr;
}

QAction* MainWindow::MenuAction(int idCommand) const {
  const auto it = aActions_.find(idCommand);
  return it != aActions_.end() ? it->second : nullptr;
}

void MainWindow::Command(int idCommand) {
  if (idCommand != CM_OPEN) return Send(WM_COMMAND, static_cast<unsigned>(idCommand), 0);
  // A file that opens joins the recent files: the open file changed, or the same was chosen.
  const std::string Before = OpenFilePath();
  OpenedPath_.clear();
  Send(WM_COMMAND, static_cast<unsigned>(idCommand), 0);
  const std::string After = OpenFilePath();
  if (!OpenedPath_.empty() && !After.empty() &&
      (After != Before || After.rfind(OpenedPath_, 0) == 0)) {
    RememberRecent(QFile::decodeName(After.c_str()));
  }
  const bool bChoice =
      idCommand == CM_ANNOTATION || idCommand == CM_PBNFILE || idCommand == CM_DOUBLE_DUMMY;
  if (bInteractive_ && bChoice) KeepChoices();
}

void MainWindow::OpenFile(const std::string& Path) {
  PresetPath_ = Path;
  Command(CM_OPEN);
  PresetPath_.reset();
}

void MainWindow::OpenFileWhenShown(const std::string& Path) {
  StartPath_ = Path;
  ptClient_->update();
}

void MainWindow::OpenLater(const std::string& Path) {
  QTimer::singleShot(0, this, [this, Path] { OpenFile(Path); });
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

// The design fitted into the room the stage has: the largest scale, never below the design;
// what room is left below goes to the text pane.
void MainWindow::FitToStage() {
  const double Fit =
      std::max(1.0, std::min(static_cast<double>(ptStage_->width()) / kClientWidth,
                             static_cast<double>(ptStage_->height()) / kClientHeight));
  SetScale(Fit, static_cast<int>(ptStage_->height() / Fit) - kClientHeight);
}

void MainWindow::SetScale(double Scale, int ExtraHeight) {
  Scale_ = Scale > 0 ? Scale : 1.0;
  ExtraHeight_ = std::max(0, ExtraHeight);
  LayoutClient();
}

void MainWindow::LayoutClient() {
  if (ptClient_ == nullptr) return;
  SetTextPaneExtraHeight(ExtraHeight_);
  const QSize tSize(Scaled(kClientWidth, Scale_), Scaled(kClientHeight + ExtraHeight_, Scale_));
  ptClient_->setGeometry(QRect(QPoint(std::max(0, (ptStage_->width() - tSize.width()) / 2),
                                      std::max(0, (ptStage_->height() - tSize.height()) / 2)),
                               tSize));
  ptControlStyle_->Scale = Scale_;
  for (const PlacedControlDef& tPlaced : atPlaced_) {
    QFont tFont = tPlaced.tFont;
    if (Scale_ != 1.0 && tFont.pointSizeF() > 0) {
      tFont.setPointSizeF(tFont.pointSizeF() * Scale_);
    } else if (Scale_ != 1.0 && tFont.pixelSize() > 0) {
      tFont.setPixelSize(Scaled(tFont.pixelSize(), Scale_));
    }
    tPlaced.ptWidget->setFont(tFont);
    tPlaced.ptWidget->setGeometry(
        ScaledRect(MovedForTextPane(tPlaced.idCtrl, tPlaced.tDesign, ExtraHeight_), Scale_));
  }
  atElided_.clear();
  ptClient_->update();
}

void MainWindow::Zoom(int Direction) {
  double Target = 1.0;
  if (Direction > 0) {
    Target = kZoomSteps[std::size(kZoomSteps) - 1];
    for (double Step : kZoomSteps) {
      if (Step > Scale_ + 0.01) {
        Target = Step;
        break;
      }
    }
  } else if (Direction < 0) {
    for (double Step : kZoomSteps) {
      if (Step < Scale_ - 0.01) Target = Step;
    }
  }
  if (isMaximized() || isFullScreen()) showNormal();
  // The window around the stage (menu, status line, side panels) keeps its size.
  const QSize tAround = size() - ptStage_->size();
  QSize tWanted = QSize(Scaled(kClientWidth, Target), Scaled(kClientHeight, Target)) + tAround;
  if (const QScreen* ptScreen = screen()) {
    const QSize tRoom = ptScreen->availableGeometry().size() - (frameGeometry().size() - size());
    tWanted = tWanted.boundedTo(tRoom);
  }
  resize(tWanted);
  FitToStage();
}

QDockWidget* MainWindow::AddSidePanel(QWidget* ptPanel, const QString& tTitle) {
  auto* ptDock = new QDockWidget(tTitle, this);
  ptDock->setObjectName(tTitle);  // kept between runs by this name
  ptDock->setWidget(ptPanel);
  ptDock->setAllowedAreas(Qt::RightDockWidgetArea | Qt::LeftDockWidgetArea);
  addDockWidget(Qt::RightDockWidgetArea, ptDock);
  if (bInteractive_) restoreState(Settings().value(kDocksKey).toByteArray());
  return ptDock;
}

void MainWindow::CopyGame() {
  const QString tText = GameCopyText();
  if (!tText.isEmpty()) QGuiApplication::clipboard()->setText(tText);
}

void MainWindow::CopyPicture() {
  QGuiApplication::clipboard()->setImage(ptClient_->grab().toImage());
}

QString MainWindow::ElidedTextAt(const QPoint& tDesignPoint) const {
  for (auto it = atElided_.rbegin(); it != atElided_.rend(); ++it) {
    if (it->tArea.contains(tDesignPoint)) return it->tText;
  }
  return QString();
}

void MainWindow::RestoreWindowState() {
  restoreGeometry(Settings().value(kGeometryKey).toByteArray());
}

void MainWindow::SaveWindowState() {
  if (!bInteractive_) return;
  QSettings tSettings = Settings();
  tSettings.setValue(kGeometryKey, saveGeometry());
  tSettings.setValue(kDocksKey, saveState());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* ptEvent) {
  const QList<QUrl> atUrls = ptEvent->mimeData()->urls();
  if (!atUrls.isEmpty() && atUrls.front().isLocalFile()) ptEvent->acceptProposedAction();
}

// The file is opened once the drop is over, so that the program it came from is not kept
// waiting by the index pass or a message.
void MainWindow::dropEvent(QDropEvent* ptEvent) {
  const QList<QUrl> atUrls = ptEvent->mimeData()->urls();
  if (atUrls.isEmpty() || !atUrls.front().isLocalFile()) return;
  ptEvent->acceptProposedAction();
  OpenLater(QFile::encodeName(atUrls.front().toLocalFile()).toStdString());
}

QImage MainWindow::RenderClient(double Scale, double PixelRatio) {
  SetScale(Scale);
  QImage tImage(ptClient_->size() * PixelRatio, QImage::Format_RGB32);
  tImage.setDevicePixelRatio(PixelRatio);
  // A paint may reveal annotation lines and ask for another; at most a few rounds are needed.
  for (int Round = 0; Round < 8; ++Round) {
    QCoreApplication::processEvents();
    const unsigned long NrBefore = NrInvalidations_;
    tImage.fill(Qt::white);
    ptClient_->render(&tImage);
    QCoreApplication::processEvents();
    if (NrInvalidations_ == NrBefore) break;
  }
  return tImage;
}

int MainWindow::ScrollPos(int idCtrl) const {
  const auto it = aScrollPos_.find(idCtrl);
  return it != aScrollPos_.end() ? it->second : 0;
}

void MainWindow::Send(std::uint32_t Message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (!bDestroyed_) WndProc(this, Message, wParam, lParam);
}

void MainWindow::InvalidateRect(const RectDef& tRect, bool) {
  ++NrInvalidations_;
  QRect tArea = ScaledRect(
      QRect(tRect.left, tRect.top, tRect.right - tRect.left, tRect.bottom - tRect.top), Scale_);
  if (Scale_ != 1.0) tArea.adjust(-1, -1, 1, 1);  // the smoothed edges of scaled shapes
  if (bInPaint_) {
    // Asked while painting: the region is painted once this paint is over.
    QMetaObject::invokeMethod(
        ptClient_, [this, tArea] { ptClient_->update(tArea); }, Qt::QueuedConnection);
  } else {
    ptClient_->update(tArea);
  }
}

void MainWindow::SetCheck(int idCtrl, int Value) {
  if (auto* ptBox = qobject_cast<QCheckBox*>(Control(idCtrl))) ptBox->setChecked(Value != 0);
}

int MainWindow::GetCheck(int idCtrl) {
  const auto* ptBox = qobject_cast<QCheckBox*>(Control(idCtrl));
  return ptBox != nullptr && ptBox->isChecked() ? 1 : 0;
}

unsigned MainWindow::SetTimer(unsigned idTimer, unsigned PeriodMs) {
  idTimer_ = idTimer;
  ptTimer_->start(static_cast<int>(PeriodMs));
  return idTimer;
}

void MainWindow::KillTimer(unsigned) {
  ptTimer_->stop();
}

void MainWindow::MessageBox(const char* pcText, const char* pcCaption, unsigned Flags) {
  const QString tText = HostText(pcText);
  const QString tCaption = HostText(pcCaption);
  atMessageBoxes_.push_back({tText.toStdString(), tCaption.toStdString(), Flags});
  if (!bInteractive_) return;
  // What the message speaks of is on the window before the message stands over it.
  if (isVisible()) ptClient_->repaint();
  QMessageBox tBox(MessageIcon(Flags), tCaption, tText, QMessageBox::Ok, this);
  // Wide enough for its whole title; centred on the window.
  if (auto* ptGrid = qobject_cast<QGridLayout*>(tBox.layout())) {
    const int TitleWidth = tBox.fontMetrics().horizontalAdvance(tCaption) * 5 / 4 + 96;
    ptGrid->addItem(new QSpacerItem(TitleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                    ptGrid->rowCount(), 0, 1, ptGrid->columnCount());
  }
  tBox.adjustSize();
  tBox.move(frameGeometry().center() - tBox.rect().center());
  tBox.exec();
}

void MainWindow::CreateControl(const ChildWindowDef& tChild) {
  const QRect tGeometry(tChild.tRect.left, tChild.tRect.top, tChild.tRect.right,
                        tChild.tRect.bottom);
  const int idCtrl = tChild.idCtrl;
  const QString tText = QString::fromLatin1(tChild.pcText != nullptr ? tChild.pcText : "");
  QWidget* ptControl = nullptr;
  switch (tChild.pcClass) {
    case ControlClass::Button:
      if ((tChild.dwStyle & 0x0F) == BS_OWNERDRAW) {
        auto* ptButton = new StepButton(this, ptClient_, idCtrl);
        connect(ptButton, &QAbstractButton::clicked, this, [this, idCtrl] { Command(idCtrl); });
        ptControl = ptButton;
      } else {
        // An auto check box: its mark toggles before the command arrives.
        auto* ptBox = new QCheckBox(tText, ptClient_);
        connect(ptBox, &QCheckBox::clicked, this, [this, idCtrl] { Command(idCtrl); });
        ptControl = ptBox;
      }
      break;
    case ControlClass::ScrollBar: {
      const bool bVertical = (tChild.dwStyle & SBS_VERT) != 0;
      auto* ptBar = new QScrollBar(bVertical ? Qt::Vertical : Qt::Horizontal, ptClient_);
      ptBar->setRange(0, 0);
      ptBar->setPageStep(1);
      connect(ptBar, &QAbstractSlider::actionTriggered, this,
              [this, idCtrl](int Action) { ScrollAction(idCtrl, Action); });
      aScrollPos_[idCtrl] = 0;
      ptControl = ptBar;
      break;
    }
    case ControlClass::Static:
      if (tChild.dwStyle == SS_BLACKFRAME) {
        auto* ptFrame = new QFrame(ptClient_);
        ptFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
        ptFrame->setLineWidth(1);
        QPalette tPalette = ptFrame->palette();
        tPalette.setColor(QPalette::WindowText, Qt::black);
        ptFrame->setPalette(tPalette);
        ptControl = ptFrame;
      } else {
        ptControl = new QLabel(tText, ptClient_);
      }
      // Labels and frames send nothing; clicks reach the controls they surround.
      ptControl->setAttribute(Qt::WA_TransparentForMouseEvents);
      break;
  }
  ptControl->setGeometry(ScaledRect(tGeometry, Scale_));
  ptControl->setStyle(ptControlStyle_);
  atPlaced_.push_back({ptControl, idCtrl, tGeometry, ptControl->font()});
  ptControl->setFocusPolicy(Qt::NoFocus);  // the keys belong to the window's shortcuts
  ptControl->show();
  if (tChild.pcClass == ControlClass::Static && tChild.dwStyle == SS_BLACKFRAME) {
    ptControl->lower();
  }
  if (idCtrl >= 0) aControls_[idCtrl] = ptControl;
}

void MainWindow::ScrollAction(int idCtrl, int Action) {
  auto* ptBar = qobject_cast<QScrollBar*>(Control(idCtrl));
  if (ptBar == nullptr) return;
  bool bKnown = false;
  const unsigned Code = ScrollCode(Action, &bKnown);
  if (bKnown) {
    const std::uint32_t Message = ptBar->orientation() == Qt::Vertical ? WM_VSCROLL : WM_HSCROLL;
    Send(Message, MakeScrollParam(Code, static_cast<unsigned>(ptBar->sliderPosition())), idCtrl);
  }
  // The window procedure decides where the thumb stands, as with a Win32 scroll bar.
  ptBar->setSliderPosition(ScrollPos(idCtrl));
}

void MainWindow::SetScrollRange(int idCtrl, int MinPos, int MaxPos, bool) {
  if (auto* ptBar = qobject_cast<QScrollBar*>(Control(idCtrl))) {
    ptBar->setRange(MinPos, std::max(MinPos, MaxPos));
  }
}

void MainWindow::SetScrollPos(int idCtrl, int Pos, bool) {
  if (auto* ptBar = qobject_cast<QScrollBar*>(Control(idCtrl))) {
    aScrollPos_[idCtrl] = Pos;
    ptBar->setValue(Pos);
  }
}

void MainWindow::SetWindowText(int idCtrl, const char* pcText) {
  if (auto* ptLabel = qobject_cast<QLabel*>(Control(idCtrl))) {
    ptLabel->setText(QString::fromLatin1(pcText != nullptr ? pcText : ""));
  }
}

Canvas* MainWindow::BeginPaint() {
  if (ptPaintCanvas_ != nullptr) return ptPaintCanvas_;
  // Outside a paint: a canvas that serves for measuring only.
  ptScratchImage_ = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
  ptScratchPainter_ = std::make_unique<QPainter>(ptScratchImage_.get());
  ptScratchCanvas_ = std::make_unique<QtCanvas>(ptScratchPainter_.get());
  return ptScratchCanvas_.get();
}

void MainWindow::EndPaint() {
  ptScratchCanvas_.reset();
  ptScratchPainter_.reset();
  ptScratchImage_.reset();
}

bool MainWindow::GetOpenFileName(OpenFileNameDef* ptOfn) {
  std::string Path;
  if (PresetPath_) {
    Path = *PresetPath_;
    PresetPath_.reset();
  } else if (!bInteractive_) {
    return false;
  } else {
    // The dialog starts in the open file's folder, else in that of the latest file opened.
    const QString tLatest = OpenFilePath()[0] != '\0' ? QFile::decodeName(OpenFilePath())
                            : !atRecent_.isEmpty()    ? atRecent_.front()
                                                      : QString();
    const QString tFolder = tLatest.isEmpty() ? QString() : QFileInfo(tLatest).absolutePath();
    QFileDialog tDialog(this, QString(), tFolder, QtFileFilter(ptOfn->lpstrFilter));
    tDialog.setAcceptMode(QFileDialog::AcceptOpen);
    // OFN_CREATEPROMPT: a name that does not exist may be typed; opening it then fails.
    tDialog.setFileMode((ptOfn->Flags & OFN_CREATEPROMPT) ? QFileDialog::AnyFile
                                                          : QFileDialog::ExistingFile);
    // No default suffix here: the window adds it only to a typed name that does not exist.
    if (tDialog.exec() != QDialog::Accepted) return false;
    const QStringList atFiles = tDialog.selectedFiles();
    if (!atFiles.isEmpty()) Path = QFile::encodeName(atFiles.front()).toStdString();
  }
  if (Path.size() >= ptOfn->nMaxFile) return false;  // cannot be held: as if cancelled
  OpenedPath_ = Path;
  CopyBounded(Path, ptOfn->lpstrFile, ptOfn->nMaxFile);
  const std::string Title =
      QFile::encodeName(QFileInfo(QFile::decodeName(Path.c_str())).fileName()).toStdString();
  CopyBounded(Title, ptOfn->lpstrFileTitle, ptOfn->nMaxFileTitle);
  return true;
}

void MainWindow::SetTitle(const char* pcTitle) {
  setWindowTitle(HostText(pcTitle));
}

void MainWindow::SetStatusText(const char* pcText) {
  ptStatus_->SetFullText(HostText(pcText));
}

bool MainWindow::IndexProgress(int Permille, std::uint32_t NrGames) {
  if (!bInteractive_) return true;
  if (!tIndexClock_.isValid()) {
    tIndexClock_.start();
    tIndexEvents_.start();
  }
  const bool bCancelled = ptProgress_ != nullptr && ptProgress_->wasCanceled();
  if (bCancelled || tIndexEvents_.elapsed() < kProgressEventsMs) return !bCancelled;
  tIndexEvents_.start();
  if (ptProgress_ == nullptr && tIndexClock_.elapsed() >= kProgressDelayMs) {
    ptProgress_ = new QProgressDialog(QString(), QStringLiteral("Cancel"), 0, 1000, this);
    ptProgress_->setWindowTitle(QStringLiteral("Karvelon"));
    ptProgress_->setWindowModality(Qt::ApplicationModal);  // nothing else may act meanwhile
    ptProgress_->setMinimumDuration(0);
    ptProgress_->setAutoReset(false);
    ptProgress_->setAutoClose(false);
  }
  if (ptProgress_ == nullptr) {
    // Paints (the closed file dialog's picture goes), but no input may reach the window yet.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
  }
  ptProgress_->setLabelText(QStringLiteral("Reading the games of the file: %1 games found")
                                .arg(static_cast<qulonglong>(NrGames)));
  ptProgress_->setValue(Permille);
  QCoreApplication::processEvents();  // paints the window and the dialog, reads Cancel
  return !ptProgress_->wasCanceled();
}

void MainWindow::IndexProgressEnd() {
  tIndexClock_.invalidate();
  delete ptProgress_;
  ptProgress_ = nullptr;
}

void MainWindow::Wheel(const QWheelEvent& tEvent) {
  const QPoint tTurn = tEvent.angleDelta();
  // A sideways wheel scrolls sideways, as the upright one does with Shift.
  const bool bSideways = tTurn.y() == 0;
  const unsigned Keys = (tEvent.modifiers() & Qt::ShiftModifier) || bSideways ? MK_SHIFT : 0u;
  const QPoint tAt = DesignPoint(tEvent.position(), Scale_);
  Send(WM_MOUSEWHEEL, MakeWheelParam(bSideways ? tTurn.x() : tTurn.y(), Keys),
       MakePointParam(tAt.x(), tAt.y()));
}

void MainWindow::DestroyWindow() {
  close();
}

void MainWindow::PostQuitMessage(int ExitCode) {
  if (bInteractive_) QCoreApplication::exit(ExitCode);
}

void MainWindow::PaintClient(QPainter* ptPainter, const QRect& tDirty) {
  std::erase_if(atElided_, [this, &tDirty](const ElidedTextDef& tElided) {
    return ScaledRect(tElided.tArea, Scale_).intersects(tDirty);
  });
  QtCanvas tCanvas(ptPainter, Scale_);
  tCanvas.SetElidedTexts(&atElided_);
  ptPaintCanvas_ = &tCanvas;
  bInPaint_ = true;
  Send(WM_PAINT, 0, 0);
  bInPaint_ = false;
  ptPaintCanvas_ = nullptr;
  if (StartPath_) {
    const std::string Path = *StartPath_;
    StartPath_.reset();
    OpenLater(Path);
  }
}

void MainWindow::DrawItem(int idCtrl, QPainter* ptPainter) {
  QtCanvas tCanvas(ptPainter, Scale_);
  DrawItemDef tItem{idCtrl, &tCanvas};
  Send(WM_DRAWITEM, static_cast<unsigned>(idCtrl), reinterpret_cast<std::intptr_t>(&tItem));
}

void MainWindow::closeEvent(QCloseEvent* ptEvent) {
  SaveWindowState();
  Destroy();
  ptEvent->accept();
}

void MainWindow::Destroy() {
  if (bDestroyed_) return;
  Send(WM_DESTROY, 0, 0);
  bDestroyed_ = true;
  ptTimer_->stop();
}

}  // namespace viewer::qt
