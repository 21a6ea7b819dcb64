#include "viewer/platform/qt/qt_canvas.h"

#include <QFontMetrics>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "import/import.h"
#include "viewer/platform/qt/qt_bitmaps.h"
#include "viewer/platform/qt/qt_vector_art.h"

namespace viewer::qt {

namespace {

QColor ToQColor(ColorRefDef Color) {
  return QColor(static_cast<int>(RedOf(Color)), static_cast<int>(GreenOf(Color)),
                static_cast<int>(BlueOf(Color)));
}

LogFontDef StockLogFont() {
  LogFontDef tSystem{};
  tSystem.lfHeight = 16;
  tSystem.lfWeight = 700;
  std::strcpy(tSystem.lfFaceName, "System");
  return tSystem;
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

QString CanvasText(const char* pcText, int Length) {
  if (pcText == nullptr) return QString();
  if (Length < 0) Length = static_cast<int>(std::strlen(pcText));
  return QString::fromStdString(pbn::PbnTextToUtf8(std::string_view(pcText, Length)));
}

QString ElideText(const QFontMetrics& tMetrics, QString tText, int Width) {
  if (tMetrics.horizontalAdvance(tText) <= Width) return tText;
  const QString tDots = QStringLiteral("...");
  qsizetype Fits = 0;  // the longest start of the text that fits with the dots after it
  for (qsizetype Outside = tText.size(); Outside - Fits > 1;) {
    const qsizetype Middle = (Fits + Outside) / 2;
    if (tMetrics.horizontalAdvance(tText.left(Middle) + tDots) <= Width) {
      Fits = Middle;
    } else {
      Outside = Middle;
    }
  }
  return tText.left(Fits) + tDots;
}

QtCanvas::QtCanvas(QPainter* ptPainter, double Scale)
    : ptPainter_(ptPainter),
      Scale_(Scale > 0 ? Scale : 1.0),
      tState_{OPAQUE,
              Rgb(0, 0, 0),
              TA_NOUPDATECP,
              {0, 0},
              FontForLogFont(StockLogFont()),
              ScaledFont(StockLogFont()),
              0,
              false} {}

int QtCanvas::Map(int Value) const {
  return Scaled() ? static_cast<int>(std::lround(Value * Scale_)) : Value;
}

// Edges are scaled, not sizes: neighbouring rectangles of the design stay neighbours.
QRect QtCanvas::DeviceRect(int Left, int Top, int Right, int Bottom) const {
  return QRect(Map(Left), Map(Top), Map(Right) - Map(Left), Map(Bottom) - Map(Top));
}

QFont QtCanvas::ScaledFont(const LogFontDef& tLogFont) const {
  if (!Scaled()) return FontForLogFont(tLogFont);
  LogFontDef tScaled = tLogFont;
  tScaled.lfHeight = std::max(1, Map(tLogFont.lfHeight > 0 ? tLogFont.lfHeight : 16));
  return FontForLogFont(tScaled);
}

int QtCanvas::DesignWidth(int DeviceWidth) const {
  return Scaled() ? static_cast<int>(std::ceil(DeviceWidth / Scale_)) : DeviceWidth;
}

void QtCanvas::FillRect(const RectDef& tRect, ColorRefDef Color) {
  if (tRect.right <= tRect.left || tRect.bottom <= tRect.top) return;
  ptPainter_->fillRect(DeviceRect(tRect.left, tRect.top, tRect.right, tRect.bottom),
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
  tState_.bDeviceX = false;
}

void QtCanvas::LineTo(int x, int y) {
  const PointDef ptFrom = tState_.ptCurrent;
  tState_.ptCurrent = {x, y};
  tState_.bDeviceX = false;
  if (ptFrom.x == x && ptFrom.y == y) return;
  if (Scaled() && (ptFrom.x == x || ptFrom.y == y)) {
    // The design's one-pixel line as the band of scaled pixels it covers, end point left out.
    const int Left = ptFrom.x == x ? x : std::min(ptFrom.x, x) + (x < ptFrom.x ? 1 : 0);
    const int Right = ptFrom.x == x ? x + 1 : std::max(ptFrom.x, x) + (x < ptFrom.x ? 1 : 0);
    const int Top = ptFrom.y == y ? y : std::min(ptFrom.y, y) + (y < ptFrom.y ? 1 : 0);
    const int Bottom = ptFrom.y == y ? y + 1 : std::max(ptFrom.y, y) + (y < ptFrom.y ? 1 : 0);
    ptPainter_->fillRect(DeviceRect(Left, Top, Right, Bottom), Qt::black);
    return;
  }
  // As GDI does, the line stops one pixel short of its end point.
  int xEnd = x;
  int yEnd = y;
  if (ptFrom.y == y && ptFrom.x != x) xEnd += x > ptFrom.x ? -1 : 1;
  if (ptFrom.x == x && ptFrom.y != y) yEnd += y > ptFrom.y ? -1 : 1;
  ptPainter_->save();
  ptPainter_->setRenderHint(QPainter::Antialiasing, Scaled());
  ptPainter_->setPen(QPen(Qt::black, Scaled() ? Scale_ : 0));
  ptPainter_->drawLine(Map(ptFrom.x), Map(ptFrom.y), Map(xEnd), Map(yEnd));
  ptPainter_->restore();
}

PointDef QtCanvas::GetCurrentPosition() {
  return tState_.ptCurrent;
}

void QtCanvas::DrawTextDevice(int xDevice, int yDevice, const QString& tText) {
  const QFontMetrics tMetrics(tState_.tDrawFont);
  if (tState_.BkMode == OPAQUE) {
    ptPainter_->fillRect(
        QRect(xDevice, yDevice, tMetrics.horizontalAdvance(tText), tMetrics.height()), Qt::white);
  }
  ptPainter_->setFont(tState_.tDrawFont);
  ptPainter_->setPen(ToQColor(tState_.TextColor));
  ptPainter_->drawText(xDevice, yDevice + tMetrics.ascent(), tText);
}

void QtCanvas::TextOut(int x, int y, const char* pcText, int Length) {
  const QString tText = CanvasText(pcText, Length);
  const bool bAtCurrent = (tState_.Align & TA_UPDATECP) != 0;
  if (bAtCurrent) {
    x = tState_.ptCurrent.x;
    y = tState_.ptCurrent.y;
  }
  // Text after text goes on where the scaled text ended, not where its rounded width says.
  const int xDevice = bAtCurrent && tState_.bDeviceX ? tState_.xDevice : Map(x);
  DrawTextDevice(xDevice, Map(y), tText);
  if (bAtCurrent) {
    tState_.xDevice = xDevice + QFontMetrics(tState_.tDrawFont).horizontalAdvance(tText);
    tState_.bDeviceX = true;
    tState_.ptCurrent.x = Scaled() ? DesignWidth(tState_.xDevice) : tState_.xDevice;
  }
}

int QtCanvas::DrawText(const char* pcText, int Length, RectDef* ptRect, unsigned Format) {
  QString tText = CanvasText(pcText, Length);
  const QFontMetrics tMetrics(tState_.tDrawFont);
  const int Height = Scaled() ? QFontMetrics(tState_.tFont).height() : tMetrics.height();
  int Width = tMetrics.horizontalAdvance(tText);
  if (Format & DT_CALCRECT) {
    ptRect->right = ptRect->left + DesignWidth(Width);
    ptRect->bottom = ptRect->top + Height;
    return Height;
  }
  const QRect tArea = DeviceRect(ptRect->left, ptRect->top, ptRect->right, ptRect->bottom);
  if ((Format & DT_END_ELLIPSIS) && Width > tArea.width()) {
    if (patElided_ != nullptr) {
      patElided_->push_back({QRect(ptRect->left, ptRect->top, ptRect->right - ptRect->left,
                                   ptRect->bottom - ptRect->top),
                             tText.trimmed()});
    }
    tText = ElideText(tMetrics, tText, tArea.width());
    Width = tMetrics.horizontalAdvance(tText);
  }
  int x = tArea.left();
  if (Format & DT_CENTER) {
    x += (tArea.width() - Width) / 2;
  } else if (Format & DT_RIGHT) {
    x = tArea.left() + tArea.width() - Width;
  }
  int y = tArea.top();
  if ((Format & DT_VCENTER) && (Format & DT_SINGLELINE)) {
    y += (tArea.height() - tMetrics.height()) / 2;
  }
  ptPainter_->save();
  ptPainter_->setClipRect(tArea, Qt::IntersectClip);
  DrawTextDevice(x, y, tText);
  ptPainter_->restore();
  return Height;
}

void QtCanvas::SelectFont(const LogFontDef& tLogFont) {
  tState_.tFont = FontForLogFont(tLogFont);
  tState_.tDrawFont = ScaledFont(tLogFont);
}

void QtCanvas::SelectStockFont() {
  tState_.tFont = FontForLogFont(StockLogFont());
  tState_.tDrawFont = ScaledFont(StockLogFont());
}

TextMetricDef QtCanvas::GetTextMetrics() {
  const QFontMetrics tMetrics(tState_.tFont);
  return TextMetricDef{tMetrics.height(), std::max(0, tMetrics.leading()),
                       tMetrics.averageCharWidth()};
}

void QtCanvas::DrawBitmap(const char* pcName, int x, int y) {
  const QImage& tImage = BitmapImage(pcName);
  if (tImage.isNull()) return;
  const qreal PixelRatio =
      ptPainter_->device() != nullptr ? ptPainter_->device()->devicePixelRatioF() : 1.0;
  if (!Scaled() && PixelRatio == 1.0) {
    ptPainter_->drawImage(QPoint(x, y), tImage);
    return;
  }
  // Larger than the pixel art: drawn from the shapes it shows.
  DrawBitmapShape(ptPainter_, pcName, DeviceRect(x, y, x + tImage.width(), y + tImage.height()));
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
