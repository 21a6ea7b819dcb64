// The Canvas on a QPainter: a widget in a paint event, or an image.
#pragma once

#include <QFont>
#include <QPainter>
#include <vector>

#include "viewer/platform/canvas.h"

namespace viewer::qt {

// The font that stands in for a logical font: "Courier" becomes the monospace family, every
// other face the sans family (DejaVu through fontconfig). The pixel size is the largest whose
// cell (ascent + descent) fits lfHeight, as a Win32 font of positive height is built.
QFont FontForLogFont(const LogFontDef& tLogFont);

class QtCanvas final : public Canvas {
 public:
  explicit QtCanvas(QPainter* ptPainter);

  void FillRect(const RectDef& tRect, ColorRefDef Color) override;
  int SetBkMode(int Mode) override;
  ColorRefDef SetTextColor(ColorRefDef Color) override;
  unsigned SetTextAlign(unsigned Align) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  PointDef GetCurrentPosition() override;
  void TextOut(int x, int y, const char* pcText, int Length) override;
  int DrawText(const char* pcText, int Length, RectDef* ptRect, unsigned Format) override;
  void SelectFont(const LogFontDef& tLogFont) override;
  void SelectStockFont() override;
  TextMetricDef GetTextMetrics() override;
  void DrawBitmap(const char* pcName, int x, int y) override;
  void SaveDC() override;
  void RestoreDC() override;

 private:
  struct StateDef {
    int BkMode;
    ColorRefDef TextColor;
    unsigned Align;
    PointDef ptCurrent;
    QFont tFont;
  };

  void DrawTextAt(int x, int y, const QString& tText);

  QPainter* ptPainter_;
  StateDef tState_;
  std::vector<StateDef> atSaved_;
};

}  // namespace viewer::qt
