#include "viewer/platform/qt/qt_canvas.h"

#include <QFontMetrics>
#include <cstring>
#include <map>
#include <tuple>

#include "viewer/platform/qt/qt_bitmaps.h"

namespace viewer::qt {

namespace {

QColor ToQColor(ColorRefDef Color) {
  return QColor(static_cast<int>(RedOf(Color)), static_cast<int>(GreenOf(Color)),
                static_cast<int>(BlueOf(Color)));
}

QString Latin1(const char* pcText, int Length) {
  if (pcText == nullptr) return QString();
  if (Length < 0) Length = static_cast<int>(std::strlen(pcText));
  return bCanvasTextUtf8 ? QString::fromUtf8(pcText, Length) : QString::fromLatin1(pcText, Length);
}

QFont StockFont() {
  LogFontDef tSystem{};
  tSystem.lfHeight = 16;
  tSystem.lfWeight = 700;
  std::strcpy(tSystem.lfFaceName, "System");
  return FontForLogFont(tSystem);
}

}  // namespace

QFont FontForLogFont(const LogFontDef& tLogFont) {
  const bool bMono = std::strcmp(tLogFont.lfFaceName, "Courier") == 0;
  const int Height = tLogFont.lfHeight > 0 ? tLogFont.lfHeight : 16;
  const int Weight = tLogFont.lfWeight > 0 ? tLogFont.lfWeight : 400;
  using KeyDef = std::tuple<bool, int, int, bool>;
  static std::map<KeyDef, QFont> aCache;
  const KeyDef tKey{bMono, Height, Weight, tLogFont.lfItalic != 0};
  if (const auto it = aCache.find(tKey); it != aCache.end()) return it->second;

  QFont tFont(bMono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
  tFont.setStyleHint(bMono ? QFont::Monospace : QFont::SansSerif);
  tFont.setWeight(static_cast<QFont::Weight>(Weight));
  tFont.setItalic(tLogFont.lfItalic != 0);
  tFont.setKerning(false);
  int PixelSize = Height;
  for (; PixelSize > 1; --PixelSize) {
    tFont.setPixelSize(PixelSize);
    if (QFontMetrics(tFont).height() <= Height) break;
  }
  tFont.setPixelSize(PixelSize);
  aCache.emplace(tKey, tFont);
  return tFont;
}

QtCanvas::QtCanvas(QPainter* ptPainter)
    : ptPainter_(ptPainter), tState_{OPAQUE, Rgb(0, 0, 0), TA_NOUPDATECP, {0, 0}, StockFont()} {}

void QtCanvas::FillRect(const RectDef& tRect, ColorRefDef Color) {
  if (tRect.right <= tRect.left || tRect.bottom <= tRect.top) return;
  ptPainter_->fillRect(
      QRect(tRect.left, tRect.top, tRect.right - tRect.left, tRect.bottom - tRect.top),
      ToQColor(Color));
}

int QtCanvas::SetBkMode(int Mode) {
  const int Previous = tState_.BkMode;
  tState_.BkMode = Mode;
  return Previous;
}

ColorRefDef QtCanvas::SetTextColor(ColorRefDef Color) {
  const ColorRefDef Previous = tState_.TextColor;
  tState_.TextColor = Color;
  return Previous;
}

unsigned QtCanvas::SetTextAlign(unsigned Align) {
  const unsigned Previous = tState_.Align;
  tState_.Align = Align;
  return Previous;
}

void QtCanvas::MoveTo(int x, int y) {
  tState_.ptCurrent = {x, y};
}

void QtCanvas::LineTo(int x, int y) {
  const PointDef ptFrom = tState_.ptCurrent;
  // As GDI does, the line stops one pixel short of its end point.
  int xEnd = x;
  int yEnd = y;
  if (ptFrom.y == y && ptFrom.x != x) xEnd += x > ptFrom.x ? -1 : 1;
  if (ptFrom.x == x && ptFrom.y != y) yEnd += y > ptFrom.y ? -1 : 1;
  if (ptFrom.x != x || ptFrom.y != y) {
    ptPainter_->save();
    ptPainter_->setRenderHint(QPainter::Antialiasing, false);
    ptPainter_->setPen(QPen(Qt::black, 0));
    ptPainter_->drawLine(ptFrom.x, ptFrom.y, xEnd, yEnd);
    ptPainter_->restore();
  }
  tState_.ptCurrent = {x, y};
}

PointDef QtCanvas::GetCurrentPosition() {
  return tState_.ptCurrent;
}

void QtCanvas::DrawTextAt(int x, int y, const QString& tText) {
  const QFontMetrics tMetrics(tState_.tFont);
  if (tState_.BkMode == OPAQUE) {
    ptPainter_->fillRect(QRect(x, y, tMetrics.horizontalAdvance(tText), tMetrics.height()),
                         Qt::white);
  }
  ptPainter_->setFont(tState_.tFont);
  ptPainter_->setPen(ToQColor(tState_.TextColor));
  ptPainter_->drawText(x, y + tMetrics.ascent(), tText);
}

void QtCanvas::TextOut(int x, int y, const char* pcText, int Length) {
  const QString tText = Latin1(pcText, Length);
  if (tState_.Align & TA_UPDATECP) {
    x = tState_.ptCurrent.x;
    y = tState_.ptCurrent.y;
  }
  DrawTextAt(x, y, tText);
  if (tState_.Align & TA_UPDATECP) {
    tState_.ptCurrent.x += QFontMetrics(tState_.tFont).horizontalAdvance(tText);
  }
}

int QtCanvas::DrawText(const char* pcText, int Length, RectDef* ptRect, unsigned Format) {
  const QString tText = Latin1(pcText, Length);
  const QFontMetrics tMetrics(tState_.tFont);
  const int Width = tMetrics.horizontalAdvance(tText);
  const int Height = tMetrics.height();
  if (Format & DT_CALCRECT) {
    ptRect->right = ptRect->left + Width;
    ptRect->bottom = ptRect->top + Height;
    return Height;
  }
  const int RectWidth = ptRect->right - ptRect->left;
  const int RectHeight = ptRect->bottom - ptRect->top;
  int x = ptRect->left;
  if (Format & DT_CENTER) {
    x += (RectWidth - Width) / 2;
  } else if (Format & DT_RIGHT) {
    x = ptRect->right - Width;
  }
  int y = ptRect->top;
  if ((Format & DT_VCENTER) && (Format & DT_SINGLELINE)) y += (RectHeight - Height) / 2;
  ptPainter_->save();
  ptPainter_->setClipRect(QRect(ptRect->left, ptRect->top, RectWidth, RectHeight),
                          Qt::IntersectClip);
  DrawTextAt(x, y, tText);
  ptPainter_->restore();
  return Height;
}

void QtCanvas::SelectFont(const LogFontDef& tLogFont) {
  tState_.tFont = FontForLogFont(tLogFont);
}

void QtCanvas::SelectStockFont() {
  tState_.tFont = StockFont();
}

TextMetricDef QtCanvas::GetTextMetrics() {
  const QFontMetrics tMetrics(tState_.tFont);
  return TextMetricDef{tMetrics.height(), std::max(0, tMetrics.leading()),
                       tMetrics.averageCharWidth()};
}

void QtCanvas::DrawBitmap(const char* pcName, int x, int y) {
  const QImage& tImage = BitmapImage(pcName);
  if (!tImage.isNull()) ptPainter_->drawImage(QPoint(x, y), tImage);
}

void QtCanvas::SaveDC() {
  atSaved_.push_back(tState_);
  ptPainter_->save();
}

void QtCanvas::RestoreDC() {
  if (atSaved_.empty()) return;
  tState_ = atSaved_.back();
  atSaved_.pop_back();
  ptPainter_->restore();
}

}  // namespace viewer::qt
