// A main window for tests: implements the Host with plain records (controls created, check
// marks, scroll ranges and positions, label texts, repaint requests, timer, message boxes,
// answers of the open dialog) and paints into a RecordingCanvas. Sends messages to WndProc as
// the Qt window does.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "recording_canvas.h"
#include "viewer/karvelon.h"
#include "viewer/p_table.h"
#include "viewer/platform/host.h"

namespace viewer_test {

struct MessageBoxCall {
  std::string Text;
  std::string Caption;
  unsigned Flags;
};

struct ScrollBarState {
  int MinPos = 0;
  int MaxPos = 0;
  int Pos = 0;
};

struct InvalidateCall {
  RectDef tRect;
  bool bErase;
};

class RecordingWindow final : public viewer::Host {
 public:
  // As the program starts and ends: the bitmaps live from after creation to after the end.
  RecordingWindow() {
    Send(viewer::WM_CREATE);
    viewer::PaintBitmapInit();
    viewer::CtrlBitmapInit();
  }
  ~RecordingWindow() override {
    if (!bDestroyed) Send(viewer::WM_DESTROY);
    viewer::PaintBitmapTerm();
    viewer::CtrlBitmapTerm();
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  std::intptr_t Send(std::uint32_t Message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    return viewer::WndProc(this, Message, wParam, lParam);
  }
  void Command(int idCommand) { Send(viewer::WM_COMMAND, static_cast<unsigned>(idCommand)); }
  // A user's click on an auto check box: the mark toggles before the command arrives.
  void Click(int idCtrl) {
    Checks[idCtrl] = Checks[idCtrl] != 0 ? 0 : 1;
    Command(idCtrl);
  }
  void Scroll(int idCtrl, unsigned Code, unsigned Thumb = 0) {
    Send(idCtrl == viewer::ID_VER_TEXT ? viewer::WM_VSCROLL : viewer::WM_HSCROLL,
         viewer::MakeScrollParam(Code, Thumb), idCtrl);
  }
  // Menu Open answered with Path; nullopt: the user cancels.
  void Open(const std::optional<std::string>& Path) {
    DialogAnswers.push_back(Path);
    Command(viewer::CM_OPEN);
  }
  // One paint of the whole window.
  RecordingCanvas& Paint() {
    tCanvas.Clear();
    Send(viewer::WM_PAINT);
    return tCanvas;
  }
  // Paints until a paint asks for no further repaint of the text pane.
  RecordingCanvas& PaintAll() {
    for (int Round = 0; Round < 5; ++Round) {
      const std::size_t NrBefore = Invalidations.size();
      Paint();
      if (Invalidations.size() == NrBefore) break;
    }
    return tCanvas;
  }
  int Check(int idCtrl) const {
    const auto it = Checks.find(idCtrl);
    return it != Checks.end() ? it->second : 0;
  }
  std::string Label() const {
    const auto it = Texts.find(viewer::ID_GAME_NUMBER);
    return it != Texts.end() ? it->second : "";
  }
  void ClearCalls() {
    Invalidations.clear();
    MessageBoxes.clear();
    TimerSets = TimerKills = 0;
  }
  int CountInvalidations(const RectDef& tRect) const {
    int Count = 0;
    for (const InvalidateCall& tCall : Invalidations) {
      Count += RecordingCanvas::SameRect(tCall.tRect, tRect) ? 1 : 0;
    }
    return Count;
  }

  // Host
  void InvalidateRect(const RectDef& tRect, bool bErase) override {
    Invalidations.push_back({tRect, bErase});
  }
  void SetCheck(int idCtrl, int Value) override { Checks[idCtrl] = Value; }
  int GetCheck(int idCtrl) override { return Check(idCtrl); }
  unsigned SetTimer(unsigned idTimer, unsigned PeriodMs) override {
    ++TimerSets;
    TimerPeriod = PeriodMs;
    return bRefuseTimers ? 0 : idTimer;
  }
  void KillTimer(unsigned) override { ++TimerKills; }
  void MessageBox(const char* pcText, const char* pcCaption, unsigned Flags) override {
    MessageBoxes.push_back(
        {pcText != nullptr ? pcText : "", pcCaption != nullptr ? pcCaption : "", Flags});
    bCaptionNull = pcCaption == nullptr;
  }
  void CreateControl(const viewer::ChildWindowDef& tChild) override {
    Controls.push_back(tChild);
    if (tChild.idCtrl >= 0 && tChild.pcText != nullptr) Texts[tChild.idCtrl] = tChild.pcText;
  }
  void SetScrollRange(int idCtrl, int MinPos, int MaxPos, bool) override {
    ScrollBars[idCtrl].MinPos = MinPos;
    ScrollBars[idCtrl].MaxPos = MaxPos;
  }
  void SetScrollPos(int idCtrl, int Pos, bool) override { ScrollBars[idCtrl].Pos = Pos; }
  void SetWindowText(int idCtrl, const char* pcText) override { Texts[idCtrl] = pcText; }
  viewer::Canvas* BeginPaint() override { return &tCanvas; }
  void EndPaint() override {}
  bool GetOpenFileName(viewer::OpenFileNameDef* ptOfn) override {
    LastDialog = *ptOfn;
    if (DialogAnswers.empty()) return false;
    const std::optional<std::string> Answer = DialogAnswers.front();
    DialogAnswers.pop_front();
    if (!Answer) return false;
    std::snprintf(ptOfn->lpstrFile, ptOfn->nMaxFile, "%s", Answer->c_str());
    return true;
  }
  void DestroyWindow() override {
    Send(viewer::WM_DESTROY);
    bDestroyed = true;
  }
  void PostQuitMessage(int ExitCode) override { QuitCode = ExitCode; }

  RecordingCanvas tCanvas;
  std::vector<viewer::ChildWindowDef> Controls;
  std::map<int, int> Checks;
  std::map<int, ScrollBarState> ScrollBars;
  std::map<int, std::string> Texts;
  std::vector<InvalidateCall> Invalidations;
  std::vector<MessageBoxCall> MessageBoxes;
  bool bCaptionNull = false;
  std::deque<std::optional<std::string>> DialogAnswers;
  viewer::OpenFileNameDef LastDialog{};
  bool bRefuseTimers = false;
  int TimerSets = 0;
  int TimerKills = 0;
  unsigned TimerPeriod = 0;
  std::optional<int> QuitCode;
  bool bDestroyed = false;
};

}  // namespace viewer_test
