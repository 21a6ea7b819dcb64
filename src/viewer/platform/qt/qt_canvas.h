// The Canvas on a QPainter: a widget in a paint event, or an image.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>
#include <vector>

#include "viewer/platform/canvas.h"

namespace viewer::qt {

// The font that stands in for a logical font: "Courier" becomes the monospace family, every
// other face the sans family (DejaVu through fontconfig). The pixel size is the largest whose
// cell (ascent + descent) fits lfHeight, as a Win32 font of positive height is built.
QFont FontForLogFont(const LogFontDef& tLogFont);

// Text of the open file as the canvas draws it, by the file's encoding; Length -1: up to the
// terminator.
QString CanvasText(const char* pcText, int Length = -1);

// Text shortened at its end to "..." so that it fits Width pixels of the font; as it is when it
// fits.
QString ElideText(const QFontMetrics& tMetrics, QString tText, int Width);

// A text drawn shortened with "...": where it stands in client pixels of the design, and the
// whole of it, for a tooltip.
struct ElidedTextDef {
  QRect tArea;
  QString tText;
};

// The painting code works in the client pixels of the 640 x 480 design; the canvas draws them at
// Scale (1 draws exactly as the design). Positions and rectangles are scaled, fonts are selected
// at the scaled size and bitmaps drawn from their shapes, so that nothing is a stretched picture.
// Measurements (text widths, metrics) come back in client pixels of the design.
class QtCanvas final : public Canvas {
 public:
  explicit QtCanvas(QPainter* ptPainter, double Scale = 1.0);

  // Where the texts elided while painting are noted (none by default).
  void SetElidedTexts(std::vector<ElidedTextDef>* patElided) { patElided_ = patElided; }

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
    QFont tFont;      // the logical font: its metrics are the design's
    QFont tDrawFont;  // the same at the scale: the one that draws
    int xDevice;      // after text at the current position: where the next one starts, scaled
    bool bDeviceX;
  };

  bool Scaled() const { return Scale_ != 1.0; }
  int Map(int Value) const;
  QRect DeviceRect(int Left, int Top, int Right, int Bottom) const;
  // Left, top and the cell height in scaled pixels.
  void DrawTextDevice(int xDevice, int yDevice, const QString& tText);
  QFont ScaledFont(const LogFontDef& tLogFont) const;
  // Client pixels of the design for a width in scaled pixels, rounded up.
  int DesignWidth(int DeviceWidth) const;

  QPainter* ptPainter_;
  double Scale_;
  StateDef tState_;
  std::vector<StateDef> atSaved_;
  std::vector<ElidedTextDef>* patElided_ = nullptr;
};

}  // namespace viewer::qt
