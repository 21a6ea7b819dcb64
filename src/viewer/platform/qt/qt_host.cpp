// The Host of the Qt window: the window built with its controls, the window services and the
// operations of the window procedure on real widgets (check marks, scroll bars, labels, paints,
// timers, message boxes, the open dialog, the index pass's steps and progress), and the events
// turned into messages of the window procedure.
#include "viewer/platform/qt/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSpacerItem>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>
#include <cstring>

#include "viewer/platform/qt/qt_bitmaps.h"
#include "viewer/platform/qt/qt_canvas.h"
#include "viewer/platform/qt/qt_settings.h"
#include "viewer/platform/qt/qt_widgets.h"
#include "viewer/viewer.h"

namespace viewer::qt {

namespace {

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

MainWindow::MainWindow(bool bInteractive)
    : bInteractive_(bInteractive), bPassInEvents_(bInteractive) {
  setWindowIcon(QIcon(QPixmap::fromImage(BitmapImage("Pbn_Icon"))));
  // The choices of the Options menu are kept between runs of the viewer.
  if (bInteractive_) {
    SetKeepRefusedGames(Settings().value(kWithMistakesKey, false).toBool());
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
  BuildStatusProgress();
  ptTimer_ = new QTimer(this);
  connect(ptTimer_, &QTimer::timeout, this, [this] { Send(WM_TIMER, idTimer_, 0); });

  WndProc(this, WM_CREATE, 0, 0);
  ViewerResourcesInit();
  BuildShortcuts();
  LayoutClient();
  if (bInteractive_) {
    RestoreWindowState();
    RestoreChoices();
  }
}

MainWindow::~MainWindow() {
  Destroy();
  ViewerResourcesTerm();
}

QWidget* MainWindow::Control(int idCtrl) const {
  const auto it = aControls_.find(idCtrl);
  return it != aControls_.end() ? it->second : nullptr;
}

void MainWindow::Command(int idCommand) {
  const std::string Before = OpenFilePath();
  OpenedPath_.clear();
  Send(WM_COMMAND, static_cast<unsigned>(idCommand), 0);
  if (!bPassInEvents_) RunIndexPass();
  // A file that opens joins the recent files: the open file changed, or the same was chosen.
  const std::string After = OpenFilePath();
  if (idCommand == CM_OPEN && !OpenedPath_.empty() && !After.empty() &&
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

void MainWindow::CopyGame() {
  const QString tText = CanvasText(viewer::GameCopyText().c_str());
  if (!tText.isEmpty()) QGuiApplication::clipboard()->setText(tText);
}

// The table alone, at the window's scale: the hands, the centre and the name bars.
void MainWindow::CopyPicture() {
  const RectDef& tTable = tTableRectangle;
  const QRect tDesign(tTable.left, tTable.top, tTable.right - tTable.left,
                      tTable.bottom - tTable.top);
  QGuiApplication::clipboard()->setImage(ptClient_->grab(ScaledRect(tDesign, Scale_)).toImage());
}

QString MainWindow::ElidedTextAt(const QPoint& tDesignPoint) const {
  for (auto it = atElided_.rbegin(); it != atElided_.rend(); ++it) {
    if (it->tArea.contains(tDesignPoint)) return it->tText;
  }
  return QString();
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

// The bar of the pass that reads on while a game is shown, and its Cancel; hidden meanwhile.
void MainWindow::BuildStatusProgress() {
  ptStatusProgress_ = new QWidget(this);
  auto* ptLayout = new QHBoxLayout(ptStatusProgress_);
  ptLayout->setContentsMargins(0, 0, 0, 0);
  ptStatusBar_ = new QProgressBar(ptStatusProgress_);
  ptStatusBar_->setRange(0, 1000);
  ptStatusBar_->setMaximumWidth(120);
  ptStatusBar_->setTextVisible(false);
  auto* ptCancel = new QPushButton(QStringLiteral("Cancel"), ptStatusProgress_);
  ptCancel->setFocusPolicy(Qt::NoFocus);  // the keys stay with the window
  connect(ptCancel, &QPushButton::clicked, this, [this] { Command(CM_STOP_READING); });
  ptLayout->addWidget(ptStatusBar_);
  ptLayout->addWidget(ptCancel);
  statusBar()->addPermanentWidget(ptStatusProgress_);
  ptStatusProgress_->hide();
}

void MainWindow::IndexPassLater() {
  bPassStepAsked_ = true;
  if (!bPassInEvents_) return;  // the command that started the pass runs it (RunIndexPass)
  QTimer::singleShot(0, this, [this] {
    bPassStepAsked_ = false;
    Send(WM_INDEX_PASS, 0, 0);
  });
}

void MainWindow::RunIndexPass() {
  while (bPassStepAsked_ && !bDestroyed_) {
    bPassStepAsked_ = false;
    Send(WM_INDEX_PASS, 0, 0);
  }
}

// Before the first game shows, a pass longer than a moment shows a progress dialog that holds
// the window; once a game is on display, a bar and Cancel beside the status line.
void MainWindow::IndexProgress(int Permille, std::uint32_t NrGames, bool bGamesShown) {
  if (!bPassInEvents_) return;
  if (!tIndexClock_.isValid()) tIndexClock_.start();
  if (bGamesShown) {
    DropProgressDialog();
    ptStatusBar_->setValue(Permille);
    ptStatusProgress_->show();
    return;
  }
  if (ptProgress_ == nullptr && bInteractive_ && tIndexClock_.elapsed() >= kProgressDelayMs) {
    ptProgress_ = new QProgressDialog(QString(), QStringLiteral("Cancel"), 0, 1000, this);
    ptProgress_->setWindowTitle(QStringLiteral("Karvelon"));
    ptProgress_->setWindowModality(Qt::ApplicationModal);  // nothing else may act meanwhile
    ptProgress_->setMinimumDuration(0);
    ptProgress_->setAutoReset(false);
    ptProgress_->setAutoClose(false);
    connect(ptProgress_, &QProgressDialog::canceled, this, [this] { Command(CM_STOP_READING); });
  }
  if (ptProgress_ == nullptr) return;
  ptProgress_->setLabelText(QStringLiteral("Reading the games of the file: %1 games found")
                                .arg(static_cast<qulonglong>(NrGames)));
  ptProgress_->setValue(Permille);
}

// Later: its Cancel may be what ended the pass, and the dialog is still in its signal.
void MainWindow::DropProgressDialog() {
  if (ptProgress_ != nullptr) ptProgress_->deleteLater();
  ptProgress_ = nullptr;
}

void MainWindow::IndexProgressEnd() {
  tIndexClock_.invalidate();
  DropProgressDialog();
  if (ptStatusProgress_ != nullptr) ptStatusProgress_->hide();
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
