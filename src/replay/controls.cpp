#include "replay/controls.h"

namespace viewer {

const std::array<ChildWindowDef, N_CHILD_WINDOWS> atChildWindows = {{
    {ControlClass::Button, 121, "Auction", {456, 304, 78, 20}, BS_AUTOCHECKBOX},
    {ControlClass::Button, 122, "Play", {548, 304, 60, 20}, BS_AUTOCHECKBOX},
    {ControlClass::Button, 141, "W", {448, 408, 32, 20}, BS_AUTOCHECKBOX},
    {ControlClass::Button, 142, "N", {493, 408, 32, 20}, BS_AUTOCHECKBOX},
    {ControlClass::Button, 143, "E", {538, 408, 32, 20}, BS_AUTOCHECKBOX},
    {ControlClass::Button, 144, "S", {583, 408, 32, 20}, BS_AUTOCHECKBOX},
    {ControlClass::ScrollBar, 131, "", {444, 361, 176, 14}, SBS_HORZ | WS_HSCROLL},
    {ControlClass::ScrollBar, 132, "", {2, 418, 414, 14}, SBS_HORZ},
    {ControlClass::ScrollBar, 133, "", {418, 262, 14, 170}, SBS_VERT},
    {ControlClass::Button, 108, "", {436, 262, 32, 32}, BS_OWNERDRAW},
    {ControlClass::Button, 109, "", {468, 262, 32, 32}, BS_OWNERDRAW},
    {ControlClass::Button, 110, "", {500, 262, 32, 32}, BS_OWNERDRAW},
    {ControlClass::Button, 111, "", {532, 262, 32, 32}, BS_OWNERDRAW},
    {ControlClass::Button, 112, "", {564, 262, 32, 32}, BS_OWNERDRAW},
    {ControlClass::Button, 113, "", {596, 262, 32, 32}, BS_OWNERDRAW},
    {ControlClass::Static, 200, "0", {570, 337, 52, 16}, SS_LEFT},  // "999999!" fits
    {ControlClass::Static, -1, "Game Index", {470, 337, 100, 16}, SS_LEFT},
    {ControlClass::Static, -1, "Hidden Hands", {480, 388, 120, 16}, SS_LEFT},
    {ControlClass::Static, -1, "", {440, 300, 184, 30}, SS_BLACKFRAME},
    {ControlClass::Static, -1, "", {440, 335, 184, 44}, SS_BLACKFRAME},
    {ControlClass::Static, -1, "", {440, 384, 184, 48}, SS_BLACKFRAME},
}};

const char* const apcCtrlBms[6] = {"bm1", "bm2", "bm3", "bm4", "bm5", "bm6"};
const char* ahBitmapCtrls[6] = {};

namespace {
ControlHost* ptControlHost = nullptr;
unsigned MyTimer = 0;
}  // namespace

void InstallControlHost(ControlHost* ptHost) {
  ptControlHost = ptHost;
  MyTimer = 0;
}

ControlHost* InstalledControlHost() {
  return ptControlHost;
}

int GetChildIndex(int idCtrl) {
  if (idCtrl == 121) return 0;
  if (idCtrl == 122) return 1;
  if (idCtrl >= 141 && idCtrl <= 144) return 2 + (idCtrl - 141);
  if (idCtrl >= 131 && idCtrl <= 133) return 6 + (idCtrl - 131);
  if (idCtrl >= 108 && idCtrl <= 113) return 9 + (idCtrl - 108);
  if (idCtrl == 200) return 15;
  return -1;
}

int GetChildCheck(int idCtrl) {
  return ptControlHost != nullptr ? ptControlHost->GetCheck(idCtrl) : 0;
}

void SetChildCheck(int idCtrl, int Value) {
  if (ptControlHost != nullptr) ptControlHost->SetCheck(idCtrl, Value);
}

void InvalidateRectPaint() {
  if (ptControlHost != nullptr) ptControlHost->InvalidateRect(tPaintRectangle, false);
}

void InvalidateRectText() {
  if (ptControlHost != nullptr) ptControlHost->InvalidateRect(tTextRectangle, true);
}

namespace {

// The Start button shows whether automatic play runs.
void InvalidateStartButton() {
  const RectDef& tButton = atChildWindows[GetChildIndex(ID_START)].tRect;
  ptControlHost->InvalidateRect(
      {tButton.left, tButton.top, tButton.left + tButton.right, tButton.top + tButton.bottom},
      false);
}

}  // namespace

void TimerStart() {
  if (MyTimer != 0 || ptControlHost == nullptr) return;
  MyTimer = ptControlHost->SetTimer(MY_TIMER_ID, MY_TIMER_PERIOD_MS);
  if (MyTimer == 0) {
    ptControlHost->MessageBox("No timers", "Karvelon", MB_ICONEXCLAMATION);
  } else {
    InvalidateStartButton();
  }
}

void TimerStop() {
  if (MyTimer == 0) return;
  const unsigned idTimer = MyTimer;
  MyTimer = 0;  // before the repaint request: the Start button is drawn released
  if (ptControlHost == nullptr) return;
  ptControlHost->KillTimer(idTimer);
  InvalidateStartButton();
}

unsigned TimerRunning() {
  return MyTimer;
}

void CtrlBitmapInit() {
  for (int i = 0; i < 6; ++i)
    ahBitmapCtrls[i] = apcCtrlBms[i];
}

void CtrlBitmapTerm() {
  for (const char*& hBitmap : ahBitmapCtrls)
    hBitmap = nullptr;
}

}  // namespace viewer
