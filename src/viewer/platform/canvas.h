// The drawing surface of the window-system layer: the few GDI-style operations that the table
// painter and the text pane use, with their Win32 meaning (current position, text alignment,
// background mode, DrawText formats). A QPainter implementation draws on a widget or an image;
// tests use a recording one.
#pragma once

#include <cstdint>

#include "replay/controls.h"

namespace viewer {

struct PointDef {
  std::int32_t x;
  std::int32_t y;
};

// 0x00BBGGRR, as the Win32 RGB macro packs it.
using ColorRefDef = std::uint32_t;
constexpr ColorRefDef Rgb(unsigned Red, unsigned Green, unsigned Blue) {
  return (Red & 0xFFu) | ((Green & 0xFFu) << 8) | ((Blue & 0xFFu) << 16);
}
constexpr unsigned RedOf(ColorRefDef Color) {
  return Color & 0xFFu;
}
constexpr unsigned GreenOf(ColorRefDef Color) {
  return (Color >> 8) & 0xFFu;
}
constexpr unsigned BlueOf(ColorRefDef Color) {
  return (Color >> 16) & 0xFFu;
}

// Text handed to a canvas is the open file's text, in its encoding (PbnTextToUtf8).

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// Text alignment: with TA_UPDATECP text output starts at and advances the current position.
inline constexpr unsigned TA_NOUPDATECP = 0;
inline constexpr unsigned TA_UPDATECP = 1;

// DrawText formats.
inline constexpr unsigned DT_LEFT = 0x000;
inline constexpr unsigned DT_CENTER = 0x001;
inline constexpr unsigned DT_RIGHT = 0x002;
inline constexpr unsigned DT_VCENTER = 0x004;
inline constexpr unsigned DT_SINGLELINE = 0x020;
inline constexpr unsigned DT_CALCRECT = 0x400;  // measure only: sets right and bottom
// A single line too wide for its rectangle ends in "..."; the window shows the whole text as a
// tooltip over it.
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;

// The logical font record the painter fills for each selection.
struct LogFontDef {
  std::int32_t lfHeight;  // cell height in pixels (ascent + descent)
  std::int32_t lfWidth;
  std::int32_t lfEscapement;
  std::int32_t lfOrientation;
  std::int32_t lfWeight;  // 400 normal, 700 bold
  std::uint8_t lfItalic;
  std::uint8_t lfUnderline;
  std::uint8_t lfStrikeOut;
  std::uint8_t lfCharSet;
  std::uint8_t lfOutPrecision;
  std::uint8_t lfClipPrecision;
  std::uint8_t lfQuality;
  std::uint8_t lfPitchAndFamily;
  char lfFaceName[32];
};

struct TextMetricDef {
  std::int32_t tmHeight;
  std::int32_t tmExternalLeading;
  std::int32_t tmAveCharWidth;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Fills left..right-1 x top..bottom-1 with a solid colour.
  virtual void FillRect(const RectDef& tRect, ColorRefDef Color) = 0;
  virtual int SetBkMode(int Mode) = 0;                      // returns the previous mode
  virtual ColorRefDef SetTextColor(ColorRefDef Color) = 0;  // returns the previous colour
  virtual unsigned SetTextAlign(unsigned Align) = 0;        // returns the previous alignment
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;  // black pen; the end point is not drawn
  virtual PointDef GetCurrentPosition() = 0;
  // Top-left aligned text; with TA_UPDATECP at the current position, which then advances.
  virtual void TextOut(int x, int y, const char* pcText, int Length) = 0;
  // Length -1: up to the terminator. Returns the text height.
  virtual int DrawText(const char* pcText, int Length, RectDef* ptRect, unsigned Format) = 0;
  virtual void SelectFont(const LogFontDef& tLogFont) = 0;
  virtual void SelectStockFont() = 0;  // the system font, replacing a created one
  virtual TextMetricDef GetTextMetrics() = 0;
  // Copies a whole bitmap, looked up by its resource name, with its top-left corner at (x, y).
  virtual void DrawBitmap(const char* pcName, int x, int y) = 0;
  virtual void SaveDC() = 0;
  virtual void RestoreDC() = 0;
};

}  // namespace viewer
