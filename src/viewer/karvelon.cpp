#include "viewer/karvelon.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "formats/lin.h"
#include "games/game_list.h"
#include "games/game_mistakes.h"
#include "games/pbn_game.h"
#include "import/import.h"
#include "replay/pbn_anno.h"
#include "replay/pbn_diagram.h"
#include "replay/pbn_play.h"
#include "viewer/dd_panel.h"
#include "viewer/p_table.h"
#include "viewer/results_view.h"

namespace viewer {

using namespace pbn;

// "PBN Files (*.PBN)", "*.pbn", "LIN files (*.lin)", "*.lin", "All Files (*.*)", "*.*" and the
// empty string that ends them.
const char szFilterPbn[] =
    "PBN Files (*.PBN)\0*.pbn\0LIN files (*.lin)\0*.lin\0All Files (*.*)\0*.*\0";

ScrollBarDataDef tPbnGames;
ScrollBarDataDef tPbnHorText;
ScrollBarDataDef tPbnVerText;
TextRectAdminDef TRAdmin;
PbnBoolDef bShowAnno = PBN_TRUE;
Host* hMyWnd = nullptr;

namespace {

std::FILE* hFileImport = nullptr;
std::FILE* hFileLogging = nullptr;
bool bImportLog = true;
PbnImportOptionsDef tImportOptions;
ReadingChoiceDef tReadingChoice = ReadingChoiceDef::AsDeclared;  // a new user's choice
bool bDestroyed = false;

std::FILE* hFilePrevious = nullptr;  // the file on display while its successor is indexed
std::string IndexStatus;  // what the index pass found (or is finding), for the status line

// The index pass runs in steps between the window's events. Until it publishes (the first game
// of a file opened, or the game on display of a file read again, is indexed) the window shows
// what it showed before and takes no command that loads a game; from then on the games indexed
// so far are the index, shown and stepped through while the pass reads on.
struct IndexRunDef {
  bool bRunning = false;
  bool bPublished = false;
  PbnFilePosDef KeepAt = kNoSource;  // the file read again: the game to show, by its place
  bool bLog = false;
  PbnHeadDef tHead{};
  long FileSize = 0;
  std::function<void()> Undo;  // a stop before publishing: back to the file or choice of before
};
IndexRunDef tIndexRun;
int NrInWndProc = 0;         // calls of WndProc under way: a dialog of one runs events meanwhile
bool bStepDeferred = false;  // a step of the pass asked for inside such a dialog

constexpr long kIndexStepBytes = 256 * 1024;  // a step takes a few milliseconds

OpenFileNameDef ofn;
// The folder part of a path may be long on this platform; the title is the bare file name.
char szFileImport[4096];
char szTitleImport[512];

constexpr char szPartLogName[] = "karvelon.log.part";

constexpr std::int32_t kTextPaneHeight = 144;
constexpr std::int32_t kTextPaneWidth = 408;
constexpr std::int32_t kTextPaneTop = 264;

bool GamesLoaded() {
  return tPbnGames.MaxValue != 0;
}

void PopFileInitialize(Host* hwnd, const char* szFilter) {
  ofn = OpenFileNameDef{};
  ofn.hwndOwner = hwnd;
  ofn.lpstrFilter = szFilter;
  ofn.nMaxFile = sizeof szFileImport;
  ofn.nMaxFileTitle = sizeof szTitleImport;
  // The default extension is the second filter string without its "*.".
  const char* pcPattern = szFilter + std::strlen(szFilter) + 1;
  ofn.lpstrDefExt = std::strlen(pcPattern) >= 2 ? pcPattern + 2 : pcPattern;
}

template <std::size_t N>
void CopyName(const std::string& Name, char (&acBuffer)[N]) {
  std::snprintf(acBuffer, N, "%s", Name.c_str());
}

// A typed name that does not exist gets the default extension, unless it has one of its own.
void AddDefaultExtension(char* lpstrFileName, char* lpstrTitleName) {
  struct stat tStat;
  if (stat(lpstrFileName, &tStat) == 0 || ofn.lpstrDefExt == nullptr) return;
  const char* pcBase = std::strrchr(lpstrFileName, '/');
  if (std::strchr(pcBase != nullptr ? pcBase : lpstrFileName, '.') != nullptr) return;
  const std::string Extension = std::string(".") + ofn.lpstrDefExt;
  if (std::strlen(lpstrFileName) + Extension.size() < ofn.nMaxFile) {
    std::strcat(lpstrFileName, Extension.c_str());
  }
  if (std::strlen(lpstrTitleName) + Extension.size() < ofn.nMaxFileTitle) {
    std::strcat(lpstrTitleName, Extension.c_str());
  }
}

std::string LogFullPath() {
  std::error_code Error;
  const std::filesystem::path Path = std::filesystem::absolute(szLogFileName, Error);
  return Error ? std::string(szLogFileName) : Path.string();
}

void SetGameLabel(UInt32 GameNumber) {
  const std::string Text = GameNumberText(GameNumber, GameNrMistakes(GameNumber) != 0);
  if (hMyWnd != nullptr) hMyWnd->SetWindowText(ID_GAME_NUMBER, Text.c_str());
}

// The file is read again with other choices: the game on display stays, by its place in the file.
PbnFilePosDef GameOnDisplayPos() {
  return GamesLoaded() ? GameFilePos(tPbnGames.CurValue) : kNoSource;
}

void GoToGame() {
  std::uint32_t Game = 0;
  if (GamesLoaded() && hMyWnd->AskGameNumber(tPbnGames.CurValue, tPbnGames.MaxValue, &Game)) {
    ShowGameNumber(Game);
  }
}

// After a file without acceptable games the records of the game on display hold whatever the
// index pass imported last; the table is cleared rather than show a stale or broken game.
void ClearGameOnDisplay() {
  if (tGameAdmin.ptGameData != nullptr) GameDataInit(tGameAdmin.ptGameData);
  if (tGameAdmin.ptGameTags != nullptr) GameTagsReset(tGameAdmin.ptGameTags);  // the names too
  GameReset();
  tGameAdmin.Section = PBN_SECTION_IDENT;
  tGameAdmin.NrPlayCards = 0;
  tGameAdmin.atPlayCards[0].Side = PBN_SIDE_NONE;
  SetChildCheck(ID_AUCTION, 0);
  SetChildCheck(ID_PLAY, 0);
}

void EndIndexPass(bool bCompleted);
void SupersedeIndexPass();
void ChooseWithMistakes(bool bKeepRefused);

ReadingChoiceDef ReadingOfCommand(int idCommand) {
  return idCommand == CM_READING_PBN21  ? ReadingChoiceDef::Pbn21
         : idCommand == CM_READING_AUTO ? ReadingChoiceDef::AsDeclared
                                        : ReadingChoiceDef::Pbn10;
}

// The marks of the three readings in the Options menu.
void CheckReadingItems() {
  if (hMyWnd == nullptr) return;
  for (const int idCommand : {CM_READING_PBN10, CM_READING_PBN21, CM_READING_AUTO})
    hMyWnd->CheckMenuItem(idCommand, ReadingOfCommand(idCommand) == tReadingChoice);
}

// While the pass has not published, the window shows the file (or reading) of before: nothing
// may load one of its games, and no other pass may start.
bool IndexPassHoldsWindow() {
  return tIndexRun.bRunning && !tIndexRun.bPublished;
}

bool TakenWhilePassHoldsWindow(std::uint32_t message, std::uintptr_t wParam) {
  switch (message) {
    case WM_COMMAND:
      switch (static_cast<int>(wParam)) {
        case CM_OPEN:
        case CM_FIRST:
        case CM_NEXT:
        case CM_PREVIOUS:
        case CM_LAST:
        case CM_WITH_MISTAKES:
        case CM_NEXT_MISTAKES:
        case CM_GO_TO:
        case CM_READING_PBN10:
        case CM_READING_PBN21:
        case CM_READING_AUTO:
          return false;
        default:
          return true;
      }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
      return false;
    default:
      return true;
  }
}

void MessageBoxA(const char* pcText, const char* pcCaption, unsigned Flags) {
  if (hMyWnd != nullptr) hMyWnd->MessageBox(pcText, pcCaption, Flags);
}

void SectionBox(int idCtrl, PbnSectionDef Section, int idOther) {
  if (!GamesLoaded()) return;  // the box's own check mark is all that changes
  GameReset();
  if (GetChildCheck(idCtrl) != 0) {
    tGameAdmin.Section = Section;
    SetChildCheck(idOther, 0);
  } else {
    tGameAdmin.Section = PBN_SECTION_IDENT;
  }
  InvalidateRectPaint();
}

void HideBox(int idCtrl, PbnSideDef Side) {
  tGameAdmin.abHiddenSide[Side] = GetChildCheck(idCtrl) != 0;
  InvalidateRectPaint();
}

void WmCommand(int idCommand) {
  switch (idCommand) {
    case ID_HEAD:
      PlayHead();
      break;
    case ID_BACK:
      PlayBack();
      break;
    case ID_STOP:
      TimerStop();
      break;
    case ID_EXEC:
      PlayExec();
      break;
    case ID_START:
      TimerStart();
      break;
    case ID_TAIL:
      PlayTail();
      break;
    case ID_AUCTION:
      SectionBox(ID_AUCTION, PBN_SECTION_AUCTION, ID_PLAY);
      break;
    case ID_PLAY:
      SectionBox(ID_PLAY, PBN_SECTION_PLAY, ID_AUCTION);
      break;
    case ID_HIDE_W:
      HideBox(ID_HIDE_W, PBN_WEST);
      break;
    case ID_HIDE_N:
      HideBox(ID_HIDE_N, PBN_NORTH);
      break;
    case ID_HIDE_E:
      HideBox(ID_HIDE_E, PBN_EAST);
      break;
    case ID_HIDE_S:
      HideBox(ID_HIDE_S, PBN_SOUTH);
      break;
    case CM_OPEN:
      cmOpen();
      break;
    case CM_ABOUT:
      MessageBoxA(szAboutText, "Program Info", MB_ICONINFORMATION);
      break;
    case CM_EXIT:
      if (hMyWnd != nullptr) hMyWnd->DestroyWindow();
      break;
    case CM_FIRST:
      tPbnGames.CurValue = 1;
      ShowGame(1);
      break;
    case CM_NEXT:
      if (tPbnGames.CurValue < tPbnGames.MaxValue) ShowGame(++tPbnGames.CurValue);
      break;
    case CM_PREVIOUS:
      if (tPbnGames.CurValue >= 2) ShowGame(--tPbnGames.CurValue);
      break;
    case CM_LAST:
      tPbnGames.CurValue = tPbnGames.MaxValue;
      ShowGame(tPbnGames.MaxValue);
      break;
    case CM_ANNOTATION:
      bShowAnno = PBN_TRUE;
      SetTextScroll();
      PaintAnnoReset();
      InvalidateRectPaint();
      break;
    case CM_PBNFILE:
      bShowAnno = PBN_FALSE;
      SetTextScroll();
      InvalidateRectText();
      break;
    case CM_WITH_MISTAKES:
      ChooseWithMistakes(!tImportOptions.bKeepRefused);
      break;
    case CM_READING_PBN10:
    case CM_READING_PBN21:
    case CM_READING_AUTO:
      ChooseReading(ReadingOfCommand(idCommand));
      break;
    case CM_STOP_READING:
      if (tIndexRun.bRunning) EndIndexPass(false);
      break;
    case CM_NEXT_MISTAKES:
      if (const UInt32 Game = GameNextWithMistakes(tPbnGames.CurValue)) ShowGameNumber(Game);
      break;
    case CM_DOUBLE_DUMMY:
      DdPanelToggle();
      break;
    case CM_GO_TO:
      GoToGame();
      break;
    case CM_GAME_LIST:
    case CM_SAME_BOARD:
      if (hMyWnd != nullptr) hMyWnd->ShowGameList(idCommand == CM_SAME_BOARD);
      break;
    case CM_RESULTS:
      if (hMyWnd != nullptr) hMyWnd->ShowResults();
      break;
    default:
      break;
  }
}

void TextScrolled(ScrollBarDataDef* ptScrollBarData) {
  if (hMyWnd != nullptr) {
    hMyWnd->SetScrollPos(ptScrollBarData->idCtrl, static_cast<int>(ptScrollBarData->CurValue),
                         true);
  }
  InvalidateRectText();
}

// The characters that fit in the pane's width, from the advance of the font that draws them:
// an average width rounded to whole pixels would let the ends of long lines out of reach.
UInt32 PaneWidthInChars(Canvas* hDC, int AveCharWidth) {
  const std::string Sample(kTextPaneWidth, 'M');
  RectDef tRect{0, 0, 0, 0};
  hDC->DrawText(Sample.c_str(), kTextPaneWidth, &tRect, DT_CALCRECT | DT_SINGLELINE);
  const int Width = tRect.right - tRect.left;
  if (Width <= 0) return static_cast<UInt32>(kTextPaneWidth / std::max(1, AveCharWidth));
  return static_cast<UInt32>(std::int64_t{kTextPaneWidth} * kTextPaneWidth / Width);
}

// The wheel over the text pane scrolls it by three lines a notch; with Shift sideways.
void WheelScroll(int Delta, unsigned Keys, PointDef ptClient) {
  const RectDef& tPane = tTextRectangle;
  if (!GamesLoaded() || ptClient.x < tPane.left || ptClient.x >= tPane.right ||
      ptClient.y < tPane.top || ptClient.y >= tPane.bottom) {
    return;
  }
  static int Pending = 0;  // the part of a notch that fine-grained wheels send
  Pending += Delta;
  const int Notches = Pending / kWheelDelta;
  Pending %= kWheelDelta;
  if (Notches == 0) return;
  ScrollBarDataDef* ptBar = (Keys & MK_SHIFT) != 0 ? &tPbnHorText : &tPbnVerText;
  const unsigned Code = Notches > 0 ? SB_LINEUP : SB_LINEDOWN;  // turned away: up
  for (int Line = 0; Line < 3 * std::abs(Notches); ++Line)
    ScrollBarProc(ptBar, MakeScrollParam(Code, 0), ptBar->idCtrl);
  TextScrolled(ptBar);
}

}  // namespace

std::string GameNumberText(UInt32 GameNumber, bool bMistakes) {
  return std::to_string(GameNumber) + (bMistakes ? "!" : "");
}

void SetImportLogEnabled(bool bEnabled) {
  bImportLog = bEnabled;
}

PbnImportOptionsDef& ViewerImportOptions() {
  return tImportOptions;
}

namespace {

// A step of the pass asked for while a command's dialog runs events waits for the command to end:
// the pass never changes the index under a command.
struct WndProcCallDef {
  WndProcCallDef() { ++NrInWndProc; }
  ~WndProcCallDef() {
    if (--NrInWndProc == 0 && bStepDeferred && hMyWnd != nullptr) {
      bStepDeferred = false;
      hMyWnd->IndexPassLater();
    }
  }
  WndProcCallDef(const WndProcCallDef&) = delete;
  WndProcCallDef& operator=(const WndProcCallDef&) = delete;
};

}  // namespace

std::intptr_t WndProc(Host* hWnd, std::uint32_t message, std::uintptr_t wParam,
                      std::intptr_t lParam) {
  if (message != WM_CREATE && (bDestroyed || hWnd != hMyWnd)) return 0;
  if (message == WM_INDEX_PASS && NrInWndProc > 0) {
    bStepDeferred = true;
    return 0;
  }
  if (IndexPassHoldsWindow() && !TakenWhilePassHoldsWindow(message, wParam)) return 0;
  const WndProcCallDef tCall;
  switch (message) {
    case WM_INDEX_PASS:
      if (tIndexRun.bRunning) {
        IndexPassStep();
      } else {
        ScoresPassStep();
      }
      return 0;
    case WM_CREATE:
      wmCreate(hWnd);
      return 0;
    case WM_DESTROY:
      wmDestroy();
      return 0;
    case WM_PAINT:
      wmPaint();
      return 0;
    case WM_DRAWITEM:
      wmDrawItem(reinterpret_cast<const DrawItemDef*>(lParam));
      return 1;
    case WM_COMMAND:
      WmCommand(static_cast<int>(wParam));
      return 0;
    case WM_TIMER:
      PlayExec();
      return 0;
    case WM_HSCROLL:
      if (!GamesLoaded()) return 0;
      if (lParam == tPbnGames.idCtrl) {
        if (ScrollBarProc(&tPbnGames, wParam, lParam)) ShowGame(tPbnGames.CurValue);
      } else if (ScrollBarProc(&tPbnHorText, wParam, lParam)) {
        TextScrolled(&tPbnHorText);
      }
      return 0;
    case WM_VSCROLL:
      if (!GamesLoaded()) return 0;
      if (ScrollBarProc(&tPbnVerText, wParam, lParam)) TextScrolled(&tPbnVerText);
      return 0;
    case WM_MOUSEWHEEL:
      WheelScroll(static_cast<std::int16_t>(wParam >> 16), static_cast<unsigned>(wParam & 0xFFFFu),
                  PointDef{static_cast<std::int16_t>(lParam & 0xFFFF),
                           static_cast<std::int16_t>((lParam >> 16) & 0xFFFF)});
      return 0;
    default:
      return 0;
  }
}

void wmCreate(Host* hWnd) {
  hMyWnd = hWnd;
  bDestroyed = false;
  InstallControlHost(hWnd);
  tPbnGames = tPbnHorText = tPbnVerText = ScrollBarDataDef{};
  TRAdmin = TextRectAdminDef{};
  bShowAnno = PBN_TRUE;
  GameInit();
  GameListKeep(PBN_TRUE);
  PlaySetGamesLoaded(PBN_FALSE);
  for (const ChildWindowDef& tChild : atChildWindows)
    hWnd->CreateControl(tChild);

  // The pane's line height and width in characters come from the font actually selected.
  if (Canvas* hDC = hWnd->BeginPaint()) {
    hDC->SaveDC();
    SelectPaintFont(hDC, FONT_TEXT);
    const TextMetricDef tMetrics = hDC->GetTextMetrics();
    TRAdmin.DeltaY = std::max(1, tMetrics.tmHeight + tMetrics.tmExternalLeading);
    TRAdmin.NrDlgLines = static_cast<UInt32>(kTextPaneHeight / TRAdmin.DeltaY);
    TRAdmin.NrDlgChars = PaneWidthInChars(hDC, tMetrics.tmAveCharWidth);
    hDC->SelectStockFont();
    hDC->RestoreDC();
    hWnd->EndPaint();
  }
  hWnd->SetTitle(WindowTitle(ReadingNameInForce(), nullptr).c_str());
  tPbnGames.idCtrl = ID_GAMES;
  tPbnHorText.idCtrl = ID_HOR_TEXT;
  tPbnVerText.idCtrl = ID_VER_TEXT;
  tPbnGames.IncValue = tPbnHorText.IncValue = tPbnVerText.IncValue = 8;
  hWnd->CheckMenuItem(CM_WITH_MISTAKES, tImportOptions.bKeepRefused);
  CheckReadingItems();
}

void wmDestroy() {
  TimerStop();
  if (tIndexRun.bRunning) SupersedeIndexPass();  // its log is kept as far as it shows games
  ScoresTerm();
  DdPanelTerm();  // the worker may be solving: let it finish before the records go
  GameTerm();
  // The records are gone: nothing may be stepped or shown any more.
  PlaySetGamesLoaded(PBN_FALSE);
  tPbnGames.MaxValue = tPbnGames.CurValue = 0;
  PutFileHandle(&hFileImport);
  PutFileHandle(&hFilePrevious);
  bDestroyed = true;
  Host* hWnd = hMyWnd;
  if (InstalledControlHost() == hWnd) InstallControlHost(nullptr);
  if (hWnd != nullptr) hWnd->PostQuitMessage(0);
}

void wmPaint() {
  Canvas* hDC = hMyWnd->BeginPaint();
  if (hDC == nullptr) return;
  hDC->SaveDC();
  PaintTable(hDC, GamesLoaded());
  if (GamesLoaded()) ShowGameText(hDC);
  hDC->SelectStockFont();
  hDC->RestoreDC();
  hMyWnd->EndPaint();
}

void wmDrawItem(const DrawItemDef* lpDis) {
  if (lpDis == nullptr || lpDis->hDC == nullptr) return;
  const int Row = GetChildIndex(lpDis->CtlID);
  if (Row < 9 || Row > 14) return;
  // While automatic play runs its Start button stays pressed: shifted, with a shadow on top.
  const bool bPressed = lpDis->CtlID == ID_START && TimerRunning() != 0;
  DrawBitmap(lpDis->hDC, ahBitmapCtrls[Row - 9], bPressed ? PointDef{1, 1} : PointDef{0, 0});
  if (bPressed) {
    lpDis->hDC->MoveTo(0, 31);
    lpDis->hDC->LineTo(0, 0);
    lpDis->hDC->LineTo(32, 0);
  }
}

int GetFileHandle(std::FILE** File, const char* lpstrFileName, const char* lpstrOpenType) {
  *File = std::fopen(lpstrFileName, lpstrOpenType);
  if (*File == nullptr) return 0;
  // A folder opens for reading here but is no PBN file.
  struct stat tStat;
  if (fstat(fileno(*File), &tStat) == 0 && S_ISDIR(tStat.st_mode)) {
    PutFileHandle(File);
    errno = EISDIR;
    return 0;
  }
  return 1;
}

void PutFileHandle(std::FILE** File) {
  if (*File != nullptr) std::fclose(*File);
  *File = nullptr;
}

int GetFileOpen(Host* hWnd, char* lpstrFileName, char* lpstrTitleName) {
  PopFileInitialize(hWnd, szFilterPbn);
  ofn.hwndOwner = hWnd;
  ofn.lpstrFile = lpstrFileName;
  ofn.lpstrFileTitle = lpstrTitleName;
  ofn.Flags = OFN_CREATEPROMPT;
  lpstrFileName[0] = '\0';
  lpstrTitleName[0] = '\0';
  if (hWnd == nullptr || !hWnd->GetOpenFileName(&ofn)) return 0;
  if (lpstrFileName[0] == '\0') {
    MessageBoxA("No PBN file", nullptr, MB_ICONEXCLAMATION);
    return 0;
  }
  AddDefaultExtension(lpstrFileName, lpstrTitleName);
  std::FILE* hFileNew = lin::OpenGameFile(lpstrFileName);  // a LIN file as its PBN text
  if (hFileNew == nullptr) {
    const std::string Text = std::string(lpstrFileName) + "\n" + std::strerror(errno);
    MessageBoxA(Text.c_str(), "Open error PBN file", MB_ICONEXCLAMATION);
    return 0;
  }
  if (GameFileTooLarge(hFileNew)) {
    PutFileHandle(&hFileNew);
    MessageBoxA(kGameFileTooLargeText, "Open error PBN file", MB_ICONEXCLAMATION);
    return 0;
  }
  // The earlier file stays open until the new one is indexed: a cancelled pass goes back to it.
  hFilePrevious = hFileImport;
  hFileImport = hFileNew;
  return 1;
}

// The reading of the file just opened, for its index pass; the head tells what it declares.
PbnImportOptionsDef UseReading(std::FILE* pFile, PbnHeadDef* ptHead) {
  *ptHead = PbnReadHead(pFile);
  const PbnImportOptionsDef tReading = PbnReadingFor(tReadingChoice, *ptHead);
  PbnSkipBom(pFile, *ptHead, tReading);
  return tReading;
}

void cmOpen() {
  // The names of the file on display, kept in case its successor's index pass is stopped.
  const std::string PreviousFile = szFileImport;
  const std::string PreviousTitle = szTitleImport;
  const auto Undo = [PreviousFile, PreviousTitle] {
    PutFileHandle(&hFileImport);
    hFileImport = hFilePrevious;
    hFilePrevious = nullptr;
    CopyName(PreviousFile, szFileImport);
    CopyName(PreviousTitle, szTitleImport);
  };
  if (!GetFileOpen(hMyWnd, szFileImport, szTitleImport)) {
    CopyName(PreviousFile, szFileImport);
    CopyName(PreviousTitle, szTitleImport);
    return;
  }
  if (!IndexOpenFile(kNoSource, Undo)) Undo();
}

// "M of N games have mistakes: see LOG" after an index pass of N games that left M out, or "".
// With every game indexed, GameStatusText tells the games with mistakes instead.
std::string MistakesStatusText(UInt32 NrIndexed) {
  if (GamesWithMistakes()) return {};
  const UInt32 NrRead = tFileAdmin.NrGamesRead;
  const UInt32 NrWithMistakes = NrRead - std::min(NrRead, NrIndexed);
  if (!bImportLog || NrWithMistakes == 0) return {};
  return std::to_string(NrWithMistakes) + " of " + std::to_string(NrRead) +
         " games have mistakes: see " + LogFullPath();
}

// The status line after an index pass: the games with mistakes, and the standard a file declares
// when it is read by another.
std::string OpenFileStatusText(UInt32 NrIndexed, const PbnHeadDef& tHead) {
  const std::string Mistakes = MistakesStatusText(NrIndexed);
  const std::string Hint = ReadingHint(tHead);
  return Mistakes + (!Mistakes.empty() && !Hint.empty() ? "; " : "") + Hint;
}

// Why the file just indexed shows no game: it holds none, or its log says why each was refused.
std::string NoGamesText() {
  if (tFileAdmin.NrGamesRead == 0) {
    return std::string("No PBN games\n") + szTitleImport + " holds no game";
  }
  return "No PBN games\nInspect " + (bImportLog ? LogFullPath() : std::string(szLogFileName));
}

namespace {

int IndexPermille() {
  const long Size = tIndexRun.FileSize;
  const long Permille = Size > 0 ? GamesPassFilePos() * 1000 / Size : 0;
  return static_cast<int>(std::clamp(Permille, 0L, 1000L));
}

// While the pass reads on: the status line's part for it.
std::string ReadingStatusText() {
  return "reading the file: " + std::to_string(IndexPermille() / 10) + "%";
}

// The games indexed so far become the index: the window shows the file, and the game to show.
void PublishIndex() {
  tIndexRun.bPublished = true;
  tIndexRun.Undo = nullptr;
  GamesPassPublish();
  ScoresForget();
  PutFileHandle(&hFilePrevious);
  const UInt32 NrGames = tFileAdmin.tGameTagDD.CurData;
  hMyWnd->SetTitle(WindowTitle(ReadingNameInForce(), szTitleImport).c_str());
  ScrollBarReset(&tPbnGames);
  ScrollBarReset(&tPbnHorText);
  ScrollBarReset(&tPbnVerText);
  ScrollBarMax(&tPbnGames, NrGames);
  PlaySetGamesLoaded(NrGames != 0);
  IndexStatus = ReadingStatusText();
  hMyWnd->SetStatusText(IndexStatus.c_str());
  hMyWnd->GamesIndexed();
  if (NrGames == 0) return;
  const UInt32 Game = tIndexRun.KeepAt != kNoSource ? GameAtFilePos(tIndexRun.KeepAt) : 1;
  tPbnGames.CurValue = Game;
  ShowGame(Game);
}

// The game count, the game scroll bar and the lists take the games the pass added.
void GrowIndex() {
  const UInt32 NrGames = tFileAdmin.tGameTagDD.CurData;
  if (NrGames == tPbnGames.MaxValue) return;
  tPbnGames.MaxValue = NrGames;
  if (tPbnGames.CurValue == 0) tPbnGames.CurValue = 1;
  hMyWnd->SetScrollRange(ID_GAMES, 1, static_cast<int>(NrGames), true);
  hMyWnd->SetScrollPos(ID_GAMES, static_cast<int>(tPbnGames.CurValue), true);
  PlaySetGamesLoaded(PBN_TRUE);
  hMyWnd->GamesAppended();
}

// Whether the pass has indexed the game the window is to show.
bool ReachedGameToShow() {
  const UInt32 NrGames = tFileAdmin.tGameTagDD.CurData;
  if (NrGames == 0) return false;
  return tIndexRun.KeepAt == kNoSource || GameFilePos(NrGames) >= tIndexRun.KeepAt;
}

// The log is written beside its final name and takes it once the games it speaks of are the
// index, so that a pass stopped before leaves the log of the file still on display.
void CloseIndexLog(bool bKeep) {
  PbnImportFile(nullptr);
  PutFileHandle(&hFileLogging);
  if (tIndexRun.bLog && bKeep) {
    std::rename(szPartLogName, szLogFileName);
  } else if (tIndexRun.bLog) {
    std::remove(szPartLogName);
  }
}

// A pass stopped after publishing keeps its games and says where it stopped.
std::string StoppedStatusText() {
  return "reading stopped at " + std::to_string(IndexPermille() / 10) +
         "% of the file: the games after it are not indexed";
}

// Another pass takes over (a file opened or read again while this one reads on): what it
// indexed is kept, quietly.
void SupersedeIndexPass() {
  const std::string Stopped = StoppedStatusText();
  const bool bPublished = tIndexRun.bPublished;
  GamesPassEnd(PBN_FALSE);
  CloseIndexLog(bPublished);
  hMyWnd->IndexProgressEnd();
  const std::function<void()> Undo = std::move(tIndexRun.Undo);
  tIndexRun = IndexRunDef{};
  bStepDeferred = false;
  if (!bPublished) {
    if (Undo) Undo();
    return;
  }
  GrowIndex();
  IndexStatus = Stopped;
}

void EndIndexPass(bool bCompleted) {
  ScoresAfterIndexPass();  // of the index it leaves, once it is over
  const std::string Stopped = StoppedStatusText();
  GamesPassEnd(bCompleted ? PBN_TRUE : PBN_FALSE);
  const bool bKeep = bCompleted || tIndexRun.bPublished;
  CloseIndexLog(bKeep);
  hMyWnd->IndexProgressEnd();
  bStepDeferred = false;
  if (!bKeep) {
    const std::function<void()> Undo = std::move(tIndexRun.Undo);
    tIndexRun = IndexRunDef{};
    if (Undo) Undo();  // the file or choice of before, as it was
    return;
  }
  if (!tIndexRun.bPublished) PublishIndex();
  GrowIndex();
  const PbnHeadDef tHead = tIndexRun.tHead;
  tIndexRun = IndexRunDef{};
  const std::string Found = OpenFileStatusText(tPbnGames.MaxValue, tHead);
  IndexStatus = bCompleted ? Found : Found + (Found.empty() ? "" : "; ") + Stopped;
  hMyWnd->SetStatusText(IndexStatus.c_str());
  hMyWnd->GamesIndexed();
  if (!GamesLoaded()) {
    // The empty window (label "0", no board, no text) is what stands behind the message.
    ClearGameOnDisplay();
    SetGameLabel(0);
    ShowGame(1);
    MessageBoxA(NoGamesText().c_str(), nullptr, MB_ICONEXCLAMATION);
    return;
  }
  hMyWnd->SetStatusText(GameStatusText(tPbnGames.CurValue).c_str());
}

// The reading chosen for games with mistakes: the open file is read again on the game on display.
void ChooseWithMistakes(bool bKeepRefused) {
  tImportOptions.bKeepRefused = bKeepRefused;
  if (hMyWnd != nullptr) hMyWnd->CheckMenuItem(CM_WITH_MISTAKES, bKeepRefused);
  if (hFileImport == nullptr) return;
  // A pass stopped before it shows the game keeps the file as it was indexed, and so the choice.
  const auto Undo = [bKeepRefused] {
    tImportOptions.bKeepRefused = !bKeepRefused;
    if (hMyWnd != nullptr) hMyWnd->CheckMenuItem(CM_WITH_MISTAKES, !bKeepRefused);
  };
  if (!IndexOpenFile(GameOnDisplayPos(), Undo)) Undo();
}

}  // namespace

void IndexPassStep() {
  if (!tIndexRun.bRunning) return;
  const bool bMore = GamesPassStep(kIndexStepBytes) != PBN_FALSE;
  if (!tIndexRun.bPublished && ReachedGameToShow()) {
    PublishIndex();
  } else if (tIndexRun.bPublished) {
    GrowIndex();
    IndexStatus = ReadingStatusText();
    hMyWnd->SetStatusText(GameStatusText(tPbnGames.CurValue).c_str());
  }
  if (!bMore) return EndIndexPass(true);
  hMyWnd->IndexProgress(IndexPermille(), tFileAdmin.tGameTagDD.CurData, tIndexRun.bPublished);
  hMyWnd->IndexPassLater();
}

bool IndexPassRunning() {
  return tIndexRun.bRunning;
}

bool IndexOpenFile(PbnFilePosDef KeepAt, std::function<void()> Undo) {
  if (tImportOptions.bKeepRefused && !GameFileIsText(hFileImport)) {
    const std::string Text = std::string(szFileImport) + "\n" + kGameFileNotTextText;
    MessageBoxA(Text.c_str(), "Open error PBN file", MB_ICONEXCLAMATION);
    return false;  // as a pass stopped at once: the file and game of before stay
  }
  if (tIndexRun.bRunning) SupersedeIndexPass();
  std::rewind(hFileImport);  // indexed again when the choice of games changes
  tIndexRun.bRunning = true;
  tIndexRun.KeepAt = KeepAt;
  tIndexRun.Undo = std::move(Undo);
  struct stat tStat;
  tIndexRun.FileSize =
      fstat(fileno(hFileImport), &tStat) == 0 ? static_cast<long>(tStat.st_size) : 0;
  tIndexRun.bLog = bImportLog && GetFileHandle(&hFileLogging, szPartLogName, "w");
  if (tIndexRun.bLog) PbnImportFile(hFileLogging);
  PbnImportOptionsDef tReading = UseReading(hFileImport, &tIndexRun.tHead);
  tReading.bKeepRefused = tImportOptions.bKeepRefused;
  GamesPassBegin(hFileImport, tReading);
  PbnImportFile(nullptr);  // the pass keeps its log; a game loaded meanwhile writes none
  hMyWnd->IndexPassLater();
  return true;
}

void SetTextPaneExtraHeight(std::int32_t Extra) {
  if (TRAdmin.DeltaY <= 0) return;  // before the window measured its font
  Extra = std::max(0, Extra);
  tTextRectangle.bottom = kTextPaneTop + kTextPaneHeight + Extra;
  const auto NrLines = static_cast<UInt32>((kTextPaneHeight + Extra) / TRAdmin.DeltaY);
  if (NrLines == TRAdmin.NrDlgLines) return;
  TRAdmin.NrDlgLines = NrLines;
  // The lines below the last one in view come into it; the first line in view stays where it
  // can.
  ScrollBarDataDef& tBar = tPbnVerText;
  if (GamesLoaded() && tBar.MaxValue != 0 && hMyWnd != nullptr) {
    tBar.MaxValue = tBar.TotValue > NrLines ? tBar.TotValue - NrLines + 1 : 1;
    tBar.CurValue = std::clamp<UInt32>(tBar.CurValue, 1, tBar.MaxValue);
    hMyWnd->SetScrollRange(tBar.idCtrl, 1, static_cast<int>(tBar.MaxValue), true);
    hMyWnd->SetScrollPos(tBar.idCtrl, static_cast<int>(tBar.CurValue), true);
  }
  InvalidateRectText();
}

const char* OpenFilePath() {
  return hFileImport != nullptr ? szFileImport : "";
}

std::string GameStatusText(UInt32 GameNumber) {
  std::string Text =
      "Game " + std::to_string(GameNumber) + " of " + std::to_string(tPbnGames.MaxValue);
  const UInt32 NrWithMistakes = GamesWithMistakes() ? GamesNrWithMistakes() : 0;
  if (NrWithMistakes != 0) {
    Text += ", " + std::to_string(NrWithMistakes) + " with mistakes";
    if (bImportLog) Text += ": see " + LogFullPath();
  }
  const std::string& Found = IndexStatus;
  return Text + (Found.empty() ? "" : "; ") + Found;
}

bool ChooseReading(ReadingChoiceDef Choice) {
  const ReadingChoiceDef Before = tReadingChoice;
  tReadingChoice = Choice;
  CheckReadingItems();
  if (hFileImport == nullptr || Choice == Before) return true;
  // A pass stopped before it shows the game keeps the file as it was read.
  const auto Undo = [Before] {
    tReadingChoice = Before;
    CheckReadingItems();
  };
  if (IndexOpenFile(GameOnDisplayPos(), Undo)) return true;
  Undo();
  return false;
}

const char* ReadingNameInForce() {
  // A LIN file is named as such: it is always read through its conversion.
  if (const PbnConvertedDef* ptConverted = PbnStreamConverted(hFileImport)) {
    return ptConverted->pcFormat;
  }
  return hFileImport != nullptr
             ? PbnStandardName(PbnImportOptions().Standard)
             : PbnStandardName(PbnReadingFor(tReadingChoice, PbnHeadDef{}).Standard);
}

std::string WindowTitle(const char* pcReading, const char* pcFileTitle) {
  std::string Title = std::string("Karvelon (") + pcReading + ")";
  if (pcFileTitle != nullptr && pcFileTitle[0] != '\0') Title += std::string(" - ") + pcFileTitle;
  return Title;
}

void ShowGame(UInt32 GameIndex) {
  InvalidateRectPaint();
  InvalidateRectText();
  if (!GamesLoaded() || GameIndex < 1 || GameIndex > tPbnGames.MaxValue) return;
  GameLoad(hFileImport, GameIndex, &TRAdmin.NrGameLines);
  GameTextCompute();
  TRAdmin.NrAnnoLines = 0;
  TRAdmin.NrAnnoChars = tAnnoAdmin.MaxLineLength;
  SetTextScroll();
  hMyWnd->SetScrollPos(ID_GAMES, static_cast<int>(GameIndex), true);
  SetGameLabel(GameIndex);
  hMyWnd->SetStatusText(GameStatusText(GameIndex).c_str());
  hMyWnd->GameShown(GameIndex);
  tGameAdmin.Section = PBN_SECTION_IDENT;
  SetChildCheck(ID_AUCTION, 0);
  SetChildCheck(ID_PLAY, 0);
  tGameAdmin.abHiddenSide = PbnImportHiddenSides();
  SetHiddenSides();
}

std::FILE* OpenGameFile() {
  return GamesLoaded() && !IndexPassHoldsWindow() ? hFileImport : nullptr;
}

bool ShowGameNumber(UInt32 GameIndex) {
  if (IndexPassHoldsWindow() || GameIndex < 1 || GameIndex > tPbnGames.MaxValue) return false;
  tPbnGames.CurValue = GameIndex;
  ShowGame(GameIndex);
  return true;
}

void ScrollBarReset(ScrollBarDataDef* ptScrollBarData) {
  ptScrollBarData->TotValue = 0;
  ptScrollBarData->MaxValue = 0;
  ptScrollBarData->CurValue = 0;
  ptScrollBarData->IncValue = 8;
  ScrollBarExec(ptScrollBarData);
}

void ScrollBarMax(ScrollBarDataDef* ptScrollBarData, UInt32 MaxValue) {
  ptScrollBarData->MaxValue = MaxValue;
  ptScrollBarData->CurValue = MaxValue != 0 ? 1 : 0;
  ScrollBarExec(ptScrollBarData);
}

void ScrollBarExec(ScrollBarDataDef* ptScrollBarData) {
  if (hMyWnd == nullptr) return;
  hMyWnd->SetScrollRange(ptScrollBarData->idCtrl, static_cast<int>(ptScrollBarData->CurValue),
                         static_cast<int>(ptScrollBarData->MaxValue), true);
  hMyWnd->SetScrollPos(ptScrollBarData->idCtrl, static_cast<int>(ptScrollBarData->CurValue), true);
  if (ptScrollBarData->idCtrl == ID_GAMES) SetGameLabel(ptScrollBarData->CurValue);
}

int ScrollBarProc(ScrollBarDataDef* ptScrollBarData, std::uintptr_t wParam, std::intptr_t) {
  UInt32& P = ptScrollBarData->CurValue;
  const UInt32 M = ptScrollBarData->MaxValue;
  const UInt32 I = ptScrollBarData->IncValue;
  switch (wParam & 0xFFFFu) {
    case SB_LINEUP:
      if (P >= 2) --P;
      return 1;
    case SB_LINEDOWN:
      if (P < M) ++P;
      return 1;
    case SB_PAGEUP:
      P = P > I ? P - I : 1;
      return 1;
    case SB_PAGEDOWN:
      P = P + I <= M ? P + I : M;
      return 1;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      // A thumb position outside the range (0, or beyond the end) would name no game.
      P = M == 0 ? 0 : std::clamp<UInt32>(ScrollParamPos(wParam), 1, M);
      return 1;
    case SB_TOP:  // "Left edge", "Top" of the bar's context menu
      P = M == 0 ? 0 : 1;
      return 1;
    case SB_BOTTOM:
      P = M;
      return 1;
    default:
      return 0;
  }
}

void ViewAnnoLines(UInt32 FirstLine, UInt32 MaxNrLines) {
  tPbnVerText.TotValue = MaxNrLines;
  if (MaxNrLines > TRAdmin.NrDlgLines) {
    tPbnVerText.MaxValue = MaxNrLines - TRAdmin.NrDlgLines + 1;
    tPbnVerText.CurValue = std::min(FirstLine + 1, tPbnVerText.MaxValue);
  } else {
    tPbnVerText.MaxValue = tPbnVerText.CurValue = 1;
  }
  if (hMyWnd != nullptr) {
    hMyWnd->SetScrollRange(ID_VER_TEXT, 1, static_cast<int>(tPbnVerText.MaxValue), true);
    hMyWnd->SetScrollPos(ID_VER_TEXT, static_cast<int>(tPbnVerText.CurValue), true);
  }
  InvalidateRectText();
}

void SetTextScroll() {
  ScrollBarReset(&tPbnHorText);
  ScrollBarReset(&tPbnVerText);
  std::int64_t Width;
  if (bShowAnno) {
    UInt32 FirstLine = 0;
    UInt32 MaxNrLines = 0;
    PaintAnnoExec(&FirstLine, &MaxNrLines);
    ViewAnnoLines(FirstLine, MaxNrLines);
    tPbnVerText.TotValue = TRAdmin.NrAnnoLines;
    ScrollBarMax(&tPbnVerText, TRAdmin.NrAnnoLines);
    Width = TRAdmin.NrAnnoChars;
  } else {
    tPbnVerText.TotValue = TRAdmin.NrGameLines;
    const std::int64_t Lines = std::int64_t{TRAdmin.NrGameLines} - TRAdmin.NrDlgLines;
    ScrollBarMax(&tPbnVerText, static_cast<UInt32>(std::max<std::int64_t>(Lines, 0) + 1));
    Width = TRAdmin.NrGameChars;
  }
  const std::int64_t Chars = Width - TRAdmin.NrDlgChars;
  ScrollBarMax(&tPbnHorText, static_cast<UInt32>(std::max<std::int64_t>(Chars, 0) + 1));
}

void GameTextCompute() {
  std::size_t MaxLength = 0;
  for (UInt32 Line = 0; Line < TRAdmin.NrGameLines; ++Line) {
    const char* pcLine = GameTxtLine(Line);
    if (pcLine == nullptr) break;
    MaxLength = std::max(MaxLength, std::strlen(pcLine));
  }
  TRAdmin.NrGameChars = std::max<UInt32>(static_cast<UInt32>(MaxLength), TRAdmin.NrDlgChars);
}

void ShowGameText(Canvas* hDC) {
  hDC->SetTextColor(kColorBlack);
  SelectPaintFont(hDC, FONT_TEXT);
  const UInt32 NrLines = std::min(tPbnVerText.TotValue, TRAdmin.NrDlgLines);
  const UInt32 CurLine = tPbnVerText.CurValue > 0 ? tPbnVerText.CurValue - 1 : 0;
  const UInt32 Offset = tPbnHorText.CurValue > 0 ? tPbnHorText.CurValue - 1 : 0;
  if (bShowAnno) {
    UInt32 FirstLine = 0;
    UInt32 MaxNrLines = 0;
    if (PaintAnnoExec(&FirstLine, &MaxNrLines)) {
      ViewAnnoLines(FirstLine, MaxNrLines);  // the next paint draws the lines reached
    } else {
      ShowGameTextAnno(hDC, NrLines, CurLine, Offset);
    }
  } else {
    ShowGameTextFile(hDC, NrLines, CurLine, Offset);
  }
}

namespace {

RectDef TextLineRect(UInt32 Index) {
  const std::int32_t Top = kTextPaneTop + static_cast<std::int32_t>(Index) * TRAdmin.DeltaY;
  return RectDef{4, Top, 412, Top + TRAdmin.DeltaY};
}

}  // namespace

void ShowGameTextAnno(Canvas* hDC, UInt32 NrTxtLines, UInt32 CurLine, UInt32 ScrollOffset) {
  for (UInt32 i = 0; i < NrTxtLines; ++i) {
    const unsigned char* pcLine = TextAnnoLine(CurLine + i);
    if (pcLine == nullptr) break;
    const UInt32 Length = static_cast<UInt32>(std::strlen(reinterpret_cast<const char*>(pcLine)));
    // Section headers do not scroll sideways.
    const bool bHeader = AnnoHeaderText(pcLine[0]) != nullptr || pcLine[0] == ANNO_TABLE_HEADER;
    const UInt32 Skip = bHeader ? 0 : std::min(ScrollOffset, Length);
    const UInt32 End = Skip + std::min(Length - Skip, TRAdmin.NrDlgChars);
    const RectDef tRect = TextLineRect(i);
    DrawGameTextAnno(hDC, pcLine, Skip, End, &tRect);
  }
}

void ShowGameTextFile(Canvas* hDC, UInt32 NrTxtLines, UInt32 CurLine, UInt32 ScrollOffset) {
  for (UInt32 i = 0; i < NrTxtLines; ++i) {
    const char* pcLine = GameTxtLine(CurLine + i);
    if (pcLine == nullptr) break;
    const std::size_t Length = std::strlen(pcLine);
    pcLine += std::min<std::size_t>(ScrollOffset, Length);
    RectDef tRect = TextLineRect(i);
    hDC->DrawText(pcLine, -1, &tRect, DT_SINGLELINE | DT_VCENTER);
  }
}

void SetReadingChoice(ReadingChoiceDef Choice) {
  tReadingChoice = Choice;
}

ReadingChoiceDef ReadingChoice() {
  return tReadingChoice;
}

std::string ReadingHint(const PbnHeadDef& tHead) {
  if (PbnImportOptions().Standard != PBN_STANDARD_1_0 || !PbnHeadDeclares2(tHead)) return "";
  return std::string("the file declares PBN ") + tHead.acVersion +
         "; Options, PBN 2.1 reads it by that standard";
}

int KeyCommand(KeyDef Key) {
  switch (Key) {
    case KeyDef::Left:
      return ID_BACK;
    case KeyDef::Right:
      return ID_EXEC;
    case KeyDef::Home:
      return ID_HEAD;
    case KeyDef::End:
      return ID_TAIL;
    case KeyDef::PageUp:
      return CM_PREVIOUS;
    case KeyDef::PageDown:
      return CM_NEXT;
    case KeyDef::Space:
      return TimerRunning() != 0 ? ID_STOP : ID_START;
    case KeyDef::CtrlO:
      return CM_OPEN;
    case KeyDef::CtrlQ:
      return CM_EXIT;
    case KeyDef::N:
      return CM_NEXT_MISTAKES;
  }
  return 0;
}

void ViewerResourcesInit() {
  PaintBitmapInit();
  CtrlBitmapInit();
}

void ViewerResourcesTerm() {
  PaintBitmapTerm();
  CtrlBitmapTerm();
  TextAnnoTerm();
}

void SetKeepRefusedGames(bool bKeep) {
  tImportOptions.bKeepRefused = bKeep;
}

bool SetReadingSetting(const char* pcSetting) {
  ReadingChoiceDef Choice = ReadingChoiceDef::Pbn10;
  if (!PbnParseReadingChoice(pcSetting, &Choice)) return false;
  SetReadingChoice(Choice);
  return true;
}

int ReadingCommand() {
  for (const int idCommand : {CM_READING_PBN10, CM_READING_PBN21, CM_READING_AUTO}) {
    if (ReadingOfCommand(idCommand) == tReadingChoice) return idCommand;
  }
  return CM_READING_PBN10;
}

bool TextPaneShowsAnnotation() {
  return bShowAnno != PBN_FALSE;
}

bool DoubleDummyShown() {
  return DdPanelShown();
}

void DoubleDummyOnAnswer(std::function<void()> Post) {
  DdPanelSetNotify(std::move(Post));
}

void DoubleDummyAnswered() {
  InvalidateRectPaint();
}

std::uint32_t GameOnDisplay() {
  return GamesLoaded() ? tPbnGames.CurValue : 0;
}

std::string GameCopyText() {
  const PbnGameDataDef* ptData = tGameAdmin.ptGameData;
  const PbnGameTagsDef* ptTags = tGameAdmin.ptGameTags;
  if (!GamesLoaded() || ptData == nullptr || ptTags == nullptr) return {};
  const char* pcBoard = TagValueText(TagValue(*ptTags, PBN_TAG_ID_BOARD));
  std::string Text = PbnDealDiagram(pcBoard, ptData->tSituation, ptData->tDeal) + "\n";
  for (UInt32 Line = 0; Line < TRAdmin.NrGameLines; ++Line) {
    const char* pcLine = GameTxtLine(Line);
    if (pcLine == nullptr) break;
    Text += std::string(pcLine) + "\n";
  }
  return Text;
}

bool ListShowsMistakes() {
  return GamesWithMistakes() != PBN_FALSE;
}

bool ListShowsPar() {
  return GameListHasPar() || DdPanelShown();
}

std::uint32_t HandRecordGames() {
  return OpenGameFile() != nullptr ? tPbnGames.MaxValue : 0;
}

namespace {

// The replay and the text pane of the game on display, while the hand records use its records.
struct StoodDef {
  bool bKept = false;
  PbnGameAdminDef tGame;
  UInt32 VerPos;
  UInt32 HorPos;
};
StoodDef tStood;

}  // namespace

bool LoadHandRecordGame(std::uint32_t GameNr) {
  if (OpenGameFile() == nullptr || GameNr < 1 || GameNr > tPbnGames.MaxValue) return false;
  if (!tStood.bKept) tStood = {true, tGameAdmin, tPbnVerText.CurValue, tPbnHorText.CurValue};
  UInt32 NrLines = 0;
  GameLoad(hFileImport, GameNr, &NrLines);
  return true;
}

// The game on display loaded again, its replay and its text pane where they stood: the records
// held the games of the hand records meanwhile. The annotation reveal is rebuilt from the move on
// display.
void HandRecordsDone() {
  if (!tStood.bKept) return;
  const StoodDef tKept = tStood;
  tStood.bKept = false;
  if (!GamesLoaded()) return;
  GameLoad(hFileImport, tPbnGames.CurValue, &TRAdmin.NrGameLines);
  PbnGameAdminDef& t = tGameAdmin;
  const PbnGameAdminDef& tWas = tKept.tGame;
  t.Section = tWas.Section;
  t.tDeal = tWas.tDeal;
  t.NrCalls = tWas.NrCalls;
  t.NrTricks = tWas.NrTricks;
  t.NrCards = tWas.NrCards;
  t.bTrick = tWas.bTrick;
  t.bPlayDone = tWas.bPlayDone;
  t.abHiddenSide = tWas.abHiddenSide;
  GameTextCompute();
  TRAdmin.NrAnnoLines = 0;
  TRAdmin.NrAnnoChars = tAnnoAdmin.MaxLineLength;
  SetTextScroll();
  for (const auto& [ptBar, Pos] :
       {std::pair{&tPbnVerText, tKept.VerPos}, std::pair{&tPbnHorText, tKept.HorPos}}) {
    ptBar->CurValue = std::min(Pos, ptBar->MaxValue);
    hMyWnd->SetScrollPos(ptBar->idCtrl, static_cast<int>(ptBar->CurValue), true);
  }
  InvalidateRectPaint();
  InvalidateRectText();
}

}  // namespace viewer
