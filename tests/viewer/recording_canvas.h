// A Canvas that records what is drawn. A character is half the font's height wide, so that
// positions computed from measurements can be checked exactly.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/recording_host.h"
#include "viewer/platform/canvas.h"

namespace viewer_test {

using viewer::ColorRefDef;
using viewer::RectDef;

inline constexpr auto SameRect = &testing_support::RecordingHost::SameRect;

struct TextOp {
  std::string Text;
  int x = 0, y = 0;  // top-left corner of the text as drawn
  ColorRefDef Color = 0;
  int FontHeight = 0;
  bool bOpaque = false, bDrawText = false;  // drawn by DrawText, else by TextOut
  unsigned Format = 0;
  RectDef tRect{};  // DrawText's rectangle
};

struct Drawing {  // what was drawn since the last Clear
  std::vector<std::pair<RectDef, ColorRefDef>> Fills;
  std::vector<TextOp> Texts;
  std::map<std::pair<int, int>, std::string> Bitmaps;  // names by top-left corner
  std::vector<std::array<int, 4>> Lines;               // x0, y0, x1, y1
};

inline constexpr ColorRefDef kNoFill = 0xFFFFFFFFu;

class RecordingCanvas final : public viewer::Canvas, public Drawing {
 public:
  static int CharWidth(int FontHeight) { return std::max(1, FontHeight / 2); }

  void FillRect(const RectDef& tRect, ColorRefDef Color) override {
    Fills.push_back({tRect, Color});
  }
  int SetBkMode(int Mode) override { return std::exchange(tState.BkMode, Mode); }
  ColorRefDef SetTextColor(ColorRefDef Color) override {
    return std::exchange(tState.Color, Color);
  }
  unsigned SetTextAlign(unsigned Align) override { return std::exchange(tState.Align, Align); }
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
    const std::string Text(pcText, Length < 0 ? std::strlen(pcText) : std::size_t(Length));
    const int Height = tState.tFont.lfHeight;
    if (Format & viewer::DT_CALCRECT) {
      ptRect->right = ptRect->left + Width(Text);
      ptRect->bottom = ptRect->top + Height;
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
  void SelectFont(const viewer::LogFontDef& tLogFont) override { tState.tFont = tLogFont; }
  void SelectStockFont() override { tState.tFont.lfHeight = 16; }
  viewer::TextMetricDef GetTextMetrics() override {
    return {tState.tFont.lfHeight, 0, CharWidth(tState.tFont.lfHeight)};
  }
  void DrawBitmap(const char* pcName, int x, int y) override { Bitmaps[{x, y}] = pcName; }
  void SaveDC() override {}  // the painters restore what they change themselves
  void RestoreDC() override {}

  void Clear() { static_cast<Drawing&>(*this) = Drawing{}; }  // the state stays

  std::string Joined() const {  // the texts drawn, each ended by "|"
    std::string Text;
    for (const TextOp& tOp : Texts)
      Text += tOp.Text + "|";
    return Text;
  }
  int CountText(const std::string& Text) const {
    return static_cast<int>(std::ranges::count(Texts, Text, &TextOp::Text));
  }
  // The first text equal to Text; a failure and an empty record when there is none.
  const TextOp& Find(const std::string& Text) const {
    static const TextOp kNone{};
    for (const TextOp& tOp : Texts) {
      if (tOp.Text == Text) return tOp;
    }
    ADD_FAILURE() << "nothing drew \"" << Text << "\"";
    return kNone;
  }
  // The colour of the last fill of exactly tRect, kNoFill when there is none.
  ColorRefDef FillOf(const RectDef& tRect) const {
    ColorRefDef Color = kNoFill;
    for (const auto& [tFilled, Filled] : Fills) {
      if (SameRect(tFilled, tRect)) Color = Filled;
    }
    return Color;
  }
  // The name of the bitmap drawn at (x, y), "" when there is none.
  std::string BitmapAt(int x, int y) const {
    const auto it = Bitmaps.find({x, y});
    return it != Bitmaps.end() ? it->second : "";
  }

  struct {  // what the drawing operations set
    int BkMode = viewer::OPAQUE;
    ColorRefDef Color = 0;
    unsigned Align = viewer::TA_NOUPDATECP;
    viewer::PointDef ptCurrent{0, 0};
    viewer::LogFontDef tFont{};
  } tState;

 private:
  int Width(const std::string& Text) const {
    return static_cast<int>(Text.size()) * CharWidth(tState.tFont.lfHeight);
  }
  void Record(const std::string& Text, int x, int y, bool bDrawText, unsigned Format,
              const RectDef& tRect) {
    Texts.push_back({Text, x, y, tState.Color, tState.tFont.lfHeight,
                     tState.BkMode == viewer::OPAQUE, bDrawText, Format, tRect});
  }
};

}  // namespace viewer_test
