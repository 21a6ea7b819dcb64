// A window-system stand-in for tests: records what the window services ask of the window
// (check marks per control, repaint rectangles, timer starts and stops, message boxes) and
// answers the queries from what was recorded.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "replay/controls.h"

namespace testing_support {

class RecordingHost : public viewer::ControlHost {
 public:
  struct Invalidation {
    viewer::RectDef tRect;
    bool bErase;
  };
  struct CheckCall {
    int idCtrl;
    int Value;
  };
  struct TimerCall {
    bool bSet;  // SetTimer, else KillTimer
    unsigned idTimer;
    unsigned PeriodMs;  // 0 for KillTimer
  };
  struct MessageBoxCall {
    std::string Text;
    std::string Caption;
    unsigned Flags;
  };

  void InvalidateRect(const viewer::RectDef& tRect, bool bErase) override {
    Invalidations.push_back({tRect, bErase});
  }
  void SetCheck(int idCtrl, int Value) override {
    Checks[idCtrl] = Value;
    CheckCalls.push_back({idCtrl, Value});
  }
  int GetCheck(int idCtrl) override {
    const auto it = Checks.find(idCtrl);
    return it != Checks.end() ? it->second : 0;
  }
  unsigned SetTimer(unsigned idTimer, unsigned PeriodMs) override {
    TimerCalls.push_back({true, idTimer, PeriodMs});
    return bRefuseTimers ? 0 : idTimer;
  }
  void KillTimer(unsigned idTimer) override { TimerCalls.push_back({false, idTimer, 0}); }
  void MessageBox(const char* pcText, const char* pcCaption, unsigned Flags) override {
    MessageBoxes.push_back(
        {pcText != nullptr ? pcText : "", pcCaption != nullptr ? pcCaption : "", Flags});
  }

  // A user's click on an auto check box: the mark toggles before the command arrives.
  void Click(int idCtrl) { Checks[idCtrl] = GetCheck(idCtrl) != 0 ? 0 : 1; }

  static bool SameRect(const viewer::RectDef& a, const viewer::RectDef& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  // Repaint requests of the table area (never erased) and of the text pane (erased).
  int PaintRequests() const { return CountInvalidations(viewer::tPaintRectangle, false); }
  int TextRequests() const { return CountInvalidations(viewer::tTextRectangle, true); }
  int NrSetTimers() const { return CountTimerCalls(true); }
  int NrKillTimers() const { return CountTimerCalls(false); }

  // Forgets the calls recorded so far; the check marks stay as they are.
  void ClearCalls() {
    Invalidations.clear();
    CheckCalls.clear();
    TimerCalls.clear();
    MessageBoxes.clear();
  }

  bool bRefuseTimers = false;  // SetTimer answers 0, as a platform out of timers does
  std::map<int, int> Checks;
  std::vector<Invalidation> Invalidations;
  std::vector<CheckCall> CheckCalls;
  std::vector<TimerCall> TimerCalls;
  std::vector<MessageBoxCall> MessageBoxes;

 private:
  int CountInvalidations(const viewer::RectDef& tRect, bool bErase) const {
    int Count = 0;
    for (const Invalidation& tCall : Invalidations) {
      if (SameRect(tCall.tRect, tRect) && tCall.bErase == bErase) ++Count;
    }
    return Count;
  }
  int CountTimerCalls(bool bSet) const {
    int Count = 0;
    for (const TimerCall& tCall : TimerCalls)
      Count += tCall.bSet == bSet ? 1 : 0;
    return Count;
  }
};

// Installs a host for the lifetime of the object and uninstalls it afterwards.
class ScopedControlHost {
 public:
  explicit ScopedControlHost(viewer::ControlHost* ptHost) { viewer::InstallControlHost(ptHost); }
  ~ScopedControlHost() { viewer::InstallControlHost(nullptr); }
  ScopedControlHost(const ScopedControlHost&) = delete;
  ScopedControlHost& operator=(const ScopedControlHost&) = delete;
};

}  // namespace testing_support
