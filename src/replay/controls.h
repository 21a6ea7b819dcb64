// The window services that the replay model, the text panes and the main window rely on: the
// table of the main window's 21 child controls, check marks, the two repaint requests and the
// automatic-play timer. They forward to whatever host is installed (the Qt window, or a
// recording host in tests); with none installed they do nothing. They sit below the replay model,
// which calls them, and keep the viewer's namespace: the controls and their names are the window's.
#pragma once

#include <array>
#include <cstdint>

namespace viewer {

struct RectDef {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

enum class ControlClass { Button, ScrollBar, Static };

// Control styles that the table uses (Win32 values; the host interprets them).
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x0003;
inline constexpr std::uint32_t BS_OWNERDRAW = 0x000B;
inline constexpr std::uint32_t SBS_HORZ = 0x0000;
inline constexpr std::uint32_t SBS_VERT = 0x0001;
inline constexpr std::uint32_t SS_LEFT = 0x0000;
inline constexpr std::uint32_t SS_BLACKFRAME = 0x0007;
inline constexpr std::uint32_t WS_HSCROLL = 0x00100000;

struct ChildWindowDef {
  ControlClass pcClass;
  std::int32_t idCtrl;  // -1 for labels and frames
  const char* pcText;
  RectDef tRect;  // left = x, top = y, right = width, bottom = height
  std::uint32_t dwStyle;
};

inline constexpr int N_CHILD_WINDOWS = 21;
extern const std::array<ChildWindowDef, N_CHILD_WINDOWS> atChildWindows;
extern const char* const apcCtrlBms[6];

// Control identifiers.
inline constexpr int ID_HEAD = 108;
inline constexpr int ID_BACK = 109;
inline constexpr int ID_STOP = 110;
inline constexpr int ID_EXEC = 111;
inline constexpr int ID_START = 112;
inline constexpr int ID_TAIL = 113;
inline constexpr int ID_AUCTION = 121;
inline constexpr int ID_PLAY = 122;
inline constexpr int ID_GAMES = 131;
inline constexpr int ID_HOR_TEXT = 132;
inline constexpr int ID_VER_TEXT = 133;
inline constexpr int ID_HIDE_W = 141;
inline constexpr int ID_HIDE_N = 142;
inline constexpr int ID_HIDE_E = 143;
inline constexpr int ID_HIDE_S = 144;
inline constexpr int ID_GAME_NUMBER = 200;

inline constexpr RectDef tPaintRectangle{0, 0, 640, 258};
// The text pane; a tall window makes it taller (SetTextPaneExtraHeight).
inline RectDef tTextRectangle{0, 264, 412, 408};
inline constexpr unsigned MY_TIMER_ID = 1;
inline constexpr unsigned MY_TIMER_PERIOD_MS = 500;

// Message box icons.
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

// What the window services need of the window system.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual void InvalidateRect(const RectDef& tRect, bool bErase) = 0;
  virtual void SetCheck(int idCtrl, int Value) = 0;
  virtual int GetCheck(int idCtrl) = 0;
  virtual unsigned SetTimer(unsigned idTimer, unsigned PeriodMs) = 0;  // 0 when refused
  virtual void KillTimer(unsigned idTimer) = 0;
  virtual void MessageBox(const char* pcText, const char* pcCaption, unsigned Flags) = 0;
};

void InstallControlHost(ControlHost* ptHost);
ControlHost* InstalledControlHost();

int GetChildIndex(int idCtrl);
int GetChildCheck(int idCtrl);
void SetChildCheck(int idCtrl, int Value);
void InvalidateRectPaint();
void InvalidateRectText();
void TimerStart();
void TimerStop();
unsigned TimerRunning();  // MyTimer: the running timer's identifier, 0 when none

// The step-button bitmaps by resource name, in the order of apcCtrlBms; null while not loaded.
extern const char* ahBitmapCtrls[6];
void CtrlBitmapInit();
void CtrlBitmapTerm();

}  // namespace viewer
