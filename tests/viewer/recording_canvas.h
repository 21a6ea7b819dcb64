// A Canvas that records what is drawn: fills, texts with where and how they were drawn, lines,
// bitmaps and fonts. Text is measured with a fixed advance per character (half the font's
// height), so that positions computed from measurements can be checked exactly.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/platform/canvas.h"

namespace viewer_test {

using viewer::ColorRefDef;
using viewer::RectDef;

struct FillOp {
  RectDef tRect;
  ColorRefDef Color;
};

struct TextOp {
  std::string Text;
  int x;  // top-left corner of the text as drawn
  int y;
  ColorRefDef Color;
  int FontHeight;
  std::string Face;
  int Weight;
  bool bOpaque;
  bool bDrawText;  // DrawText (else TextOut)
  unsigned Format;
  RectDef tRect;  // DrawText's rectangle
};

struct BitmapOp {
  std::string Name;
  int x;
  int y;
};

struct LineOp {
  int x0;
  int y0;
  int x1;
  int y1;
};

class RecordingCanvas final : public viewer::Canvas {
 public:
  static int CharWidth(int FontHeight) { return std::max(1, FontHeight / 2); }

  void FillRect(const RectDef& tRect, ColorRefDef Color) override {
    Fills.push_back({tRect, Color});
  }
  int SetBkMode(int Mode) override { return Exchange(tState.BkMode, Mode); }
  ColorRefDef SetTextColor(ColorRefDef Color) override { return Exchange(tState.Color, Color); }
  unsigned SetTextAlign(unsigned Align) override { return Exchange(tState.Align, Align); }
  void MoveTo(int x, int y) override { tState.ptCurrent = {x, y}; }
  void LineTo(int x, int y) override {
    Lines.push_back({tState.ptCurrent.x, tState.ptCurrent.y, x, y});
    tState.ptCurrent = {x, y};
  }
  viewer::PointDef GetCurrentPosition() override { return tState.ptCurrent; }
  void TextOut(int x, int y, const char* pcText, int Length) override {
    const std::string Text(pcText, static_cast<std::size_t>(Length));
    if (tState.Align & viewer::TA_UPDATECP) {
      x = tState.ptCurrent.x;
      y = tState.ptCurrent.y;
      tState.ptCurrent.x += Width(Text);
    }
    Record(Text, x, y, false, 0, RectDef{});
  }
  int DrawText(const char* pcText, int Length, RectDef* ptRect, unsigned Format) override {
    const std::string Text =
        Length < 0 ? std::string(pcText) : std::string(pcText, static_cast<std::size_t>(Length));
    const int Height = tState.tFont.lfHeight;
    if (Format & viewer::DT_CALCRECT) {
      ptRect->right = ptRect->left + Width(Text);
      ptRect->bottom = ptRect->top + Height;
      ++NrMeasures;
      return Height;
    }
    int x = ptRect->left;
    if (Format & viewer::DT_CENTER) x += (ptRect->right - ptRect->left - Width(Text)) / 2;
    if (Format & viewer::DT_RIGHT) x = ptRect->right - Width(Text);
    int y = ptRect->top;
    if (Format & viewer::DT_VCENTER) y += (ptRect->bottom - ptRect->top - Height) / 2;
    Record(Text, x, y, true, Format, *ptRect);
    return Height;
  }
  void SelectFont(const viewer::LogFontDef& tLogFont) override {
    tState.tFont = tLogFont;
    Fonts.push_back(tLogFont);
  }
  void SelectStockFont() override {
    tState.tFont = viewer::LogFontDef{};
    tState.tFont.lfHeight = 16;
    std::strcpy(tState.tFont.lfFaceName, "System");
    ++NrStockFonts;
  }
  viewer::TextMetricDef GetTextMetrics() override {
    return {tState.tFont.lfHeight, ExternalLeading, CharWidth(tState.tFont.lfHeight)};
  }
  void DrawBitmap(const char* pcName, int x, int y) override { Bitmaps.push_back({pcName, x, y}); }
  void SaveDC() override { atSaved.push_back(tState); }
  void RestoreDC() override {
    if (atSaved.empty()) return;
    tState = atSaved.back();
    atSaved.pop_back();
  }

  void Clear() {
    Fills.clear();
    Texts.clear();
    Bitmaps.clear();
    Lines.clear();
    Fonts.clear();
    NrMeasures = 0;
  }

  // The texts drawn, in order; the first text equal to Text, or null.
  std::vector<std::string> TextStrings() const {
    std::vector<std::string> atStrings;
    for (const TextOp& tOp : Texts)
      atStrings.push_back(tOp.Text);
    return atStrings;
  }
  const TextOp* FindText(const std::string& Text) const {
    for (const TextOp& tOp : Texts) {
      if (tOp.Text == Text) return &tOp;
    }
    return nullptr;
  }
  int CountText(const std::string& Text) const {
    return static_cast<int>(std::count_if(Texts.begin(), Texts.end(),
                                          [&](const TextOp& tOp) { return tOp.Text == Text; }));
  }
  const FillOp* FindFill(const RectDef& tRect) const {
    const FillOp* ptFound = nullptr;
    for (const FillOp& tOp : Fills) {
      if (SameRect(tOp.tRect, tRect)) ptFound = &tOp;  // the last fill wins
    }
    return ptFound;
  }
  const BitmapOp* FindBitmapAt(int x, int y) const {
    for (const BitmapOp& tOp : Bitmaps) {
      if (tOp.x == x && tOp.y == y) return &tOp;
    }
    return nullptr;
  }
  static bool SameRect(const RectDef& a, const RectDef& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }

  struct StateDef {
    int BkMode = viewer::OPAQUE;
    ColorRefDef Color = 0;
    unsigned Align = viewer::TA_NOUPDATECP;
    viewer::PointDef ptCurrent{0, 0};
    viewer::LogFontDef tFont{};
  };

  int ExternalLeading = 0;
  StateDef tState;
  std::vector<StateDef> atSaved;
  std::vector<FillOp> Fills;
  std::vector<TextOp> Texts;
  std::vector<BitmapOp> Bitmaps;
  std::vector<LineOp> Lines;
  std::vector<viewer::LogFontDef> Fonts;
  int NrMeasures = 0;
  int NrStockFonts = 0;

 private:
  template <typename T>
  static T Exchange(T& Field, T Value) {
    const T Previous = Field;
    Field = Value;
    return Previous;
  }
  int Width(const std::string& Text) const {
    return static_cast<int>(Text.size()) * CharWidth(tState.tFont.lfHeight);
  }
  void Record(const std::string& Text, int x, int y, bool bDrawText, unsigned Format,
              const RectDef& tRect) {
    Texts.push_back({Text, x, y, tState.Color, tState.tFont.lfHeight, tState.tFont.lfFaceName,
                     tState.tFont.lfWeight, tState.BkMode == viewer::OPAQUE, bDrawText, Format,
                     tRect});
  }
};

}  // namespace viewer_test
