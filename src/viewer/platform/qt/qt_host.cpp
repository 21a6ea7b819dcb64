#include "viewer/platform/qt/qt_host.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>
#include <cstring>

#include "replay/pbn_anno.h"
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

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

class ClientWidget final : public QWidget {
 public:
  explicit ClientWidget(MainWindow* ptWindow) : QWidget(ptWindow), ptWindow_(ptWindow) {
    setFixedSize(kClientWidth, kClientHeight);
    QPalette tPalette = palette();
    tPalette.setColor(QPalette::Window, Qt::white);  // the class background, WHITE_BRUSH
    setPalette(tPalette);
    setAutoFillBackground(true);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter tPainter(this);
    ptWindow_->PaintClient(&tPainter);
  }
  void wheelEvent(QWheelEvent* ptEvent) override { ptWindow_->Wheel(*ptEvent); }

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
  }
  BuildMenu();
  ptClient_ = new ClientWidget(this);
  setCentralWidget(ptClient_);
  // A label of its own: a status message would vanish as soon as a menu shows its tips.
  ptStatus_ = new QLabel(this);
  statusBar()->addWidget(ptStatus_, 1);
  statusBar()->setSizeGripEnabled(false);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  ptTimer_ = new QTimer(this);
  connect(ptTimer_, &QTimer::timeout, this, [this] { Send(WM_TIMER, idTimer_, 0); });

  WndProc(this, WM_CREATE, 0, 0);
  PaintBitmapInit();
  CtrlBitmapInit();
  BuildShortcuts();
  if (bInteractive_) RestoreChoices();
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

void MainWindow::BuildMenu() {
  QMenuBar* ptMenuBar = menuBar();
  ptMenuBar->setObjectName(QStringLiteral("ViewMenu"));
  const auto Add = [this](QMenu* ptMenu, const char* pcText, int idCommand) {
    QAction* ptAction = ptMenu->addAction(QString::fromLatin1(pcText));
    connect(ptAction, &QAction::triggered, this, [this, idCommand] { Command(idCommand); });
    aActions_[idCommand] = ptAction;
    return ptAction;
  };
  QMenu* ptProject = ptMenuBar->addMenu(QStringLiteral("&Project"));
  Add(ptProject, "&Open", CM_OPEN)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  ptProject->addSeparator();
  Add(ptProject, "&About", CM_ABOUT);
  ptProject->addSeparator();
  Add(ptProject, "&Exit", CM_EXIT)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* ptGame = ptMenuBar->addMenu(QStringLiteral("&Game"));
  Add(ptGame, "&First", CM_FIRST);
  Add(ptGame, "&Next", CM_NEXT);
  Add(ptGame, "&Previous", CM_PREVIOUS);
  Add(ptGame, "&Last", CM_LAST);
  Add(ptGame, "Next with &Mistakes\tN", CM_NEXT_MISTAKES);
  Add(ptGame, "&Go to game...", CM_GO_TO)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  QMenu* ptView = ptMenuBar->addMenu(QStringLiteral("&View"));
  Add(ptView, "Game &list", CM_GAME_LIST)->setShortcut(QKeySequence(Qt::Key_L));
  Add(ptView, "Same &board", CM_SAME_BOARD)->setShortcut(QKeySequence(Qt::Key_T));
  QMenu* ptOptions = ptMenuBar->addMenu(QStringLiteral("&Options"));
  Add(ptOptions, "&Annotation", CM_ANNOTATION);
  Add(ptOptions, "&PbnFile", CM_PBNFILE);
  ptOptions->addSeparator();
  Add(ptOptions, "Games with &mistakes", CM_WITH_MISTAKES)->setCheckable(true);
  AddDoubleDummyItem(ptOptions);
  BuildReadingMenu(ptOptions);
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
    const QString tSetting =
        Settings().value(QStringLiteral("Options/Reading"), QStringLiteral("1.0")).toString();
    pbn::ReadingChoiceDef Choice = pbn::ReadingChoiceDef::Pbn10;
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
  Send(WM_COMMAND, static_cast<unsigned>(idCommand), 0);
  const bool bChoice =
      idCommand == CM_ANNOTATION || idCommand == CM_PBNFILE || idCommand == CM_DOUBLE_DUMMY;
  if (bInteractive_ && bChoice) KeepChoices();
}

void MainWindow::OpenFile(const std::string& Path) {
  PresetPath_ = Path;
  Command(CM_OPEN);
  PresetPath_.reset();
}

QImage MainWindow::RenderClient() {
  QImage tImage(kClientWidth, kClientHeight, QImage::Format_RGB32);
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
  const QRect tArea(tRect.left, tRect.top, tRect.right - tRect.left, tRect.bottom - tRect.top);
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
  QMessageBox tBox(MessageIcon(Flags), tCaption, tText, QMessageBox::Ok, this);
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
  ptControl->setGeometry(tGeometry);
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
    QFileDialog tDialog(this, QString(), QString(), QtFileFilter(ptOfn->lpstrFilter));
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
  ptStatus_->setText(HostText(pcText));
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
  const QPoint tAt = tEvent.position().toPoint();
  Send(WM_MOUSEWHEEL, MakeWheelParam(bSideways ? tTurn.x() : tTurn.y(), Keys),
       MakePointParam(tAt.x(), tAt.y()));
}

void MainWindow::DestroyWindow() {
  close();
}

void MainWindow::PostQuitMessage(int ExitCode) {
  if (bInteractive_) QCoreApplication::exit(ExitCode);
}

void MainWindow::PaintClient(QPainter* ptPainter) {
  QtCanvas tCanvas(ptPainter);
  ptPaintCanvas_ = &tCanvas;
  bInPaint_ = true;
  Send(WM_PAINT, 0, 0);
  bInPaint_ = false;
  ptPaintCanvas_ = nullptr;
}

void MainWindow::DrawItem(int idCtrl, QPainter* ptPainter) {
  QtCanvas tCanvas(ptPainter);
  DrawItemDef tItem{idCtrl, &tCanvas};
  Send(WM_DRAWITEM, static_cast<unsigned>(idCtrl), reinterpret_cast<std::intptr_t>(&tItem));
}

void MainWindow::closeEvent(QCloseEvent* ptEvent) {
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
