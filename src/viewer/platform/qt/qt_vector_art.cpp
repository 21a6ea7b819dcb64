#include "viewer/platform/qt/qt_vector_art.h"

#include <QPainterPath>
#include <QPolygonF>
#include <cstring>
#include <initializer_list>
#include <map>
#include <string>

#include "viewer/platform/qt/qt_bitmaps.h"

namespace viewer::qt {

namespace {

struct SuitShapeDef {
  const char* pcName;
  char16_t Glyph;
};

constexpr SuitShapeDef atSuitShapes[] = {
    {"clubs", u'\u2663'},    {"diamds", u'\u2666'},   {"hearts", u'\u2665'},
    {"spades", u'\u2660'},   {"clubs12", u'\u2663'},  {"diamds12", u'\u2666'},
    {"hearts12", u'\u2665'}, {"spades12", u'\u2660'},
};

// The pixel art's ink: the box of its pixels that are not white, and their colour.
struct InkDef {
  QRect tBox;
  QColor tColor;
};

InkDef InkOf(const QImage& tImage) {
  InkDef tInk{QRect(), Qt::black};
  for (int y = 0; y < tImage.height(); ++y) {
    for (int x = 0; x < tImage.width(); ++x) {
      const QColor tPixel = tImage.pixelColor(x, y);
      if (tPixel == Qt::white) continue;
      tInk.tBox = tInk.tBox.united(QRect(x, y, 1, 1));
      tInk.tColor = tPixel;
    }
  }
  return tInk;
}

const QPainterPath& GlyphPath(char16_t Glyph) {
  static std::map<char16_t, QPainterPath> aPaths;
  auto it = aPaths.find(Glyph);
  if (it == aPaths.end()) {
    QFont tFont(QStringLiteral("DejaVu Sans"));
    tFont.setPixelSize(100);
    QPainterPath tPath;
    tPath.addText(0, 0, tFont, QString(QChar(Glyph)));
    it = aPaths.emplace(Glyph, tPath).first;
  }
  return it->second;
}

// The glyph fills the scaled ink box of the pixel art, its proportions kept, on white.
void DrawSuit(QPainter* ptPainter, const QImage& tImage, char16_t Glyph, const QRect& tTarget) {
  const InkDef tInk = InkOf(tImage);
  const double xScale = static_cast<double>(tTarget.width()) / tImage.width();
  const double yScale = static_cast<double>(tTarget.height()) / tImage.height();
  const QRectF tBox(tTarget.left() + tInk.tBox.left() * xScale,
                    tTarget.top() + tInk.tBox.top() * yScale, tInk.tBox.width() * xScale,
                    tInk.tBox.height() * yScale);
  const QPainterPath& tPath = GlyphPath(Glyph);
  const QRectF tBounds = tPath.boundingRect();
  const double Fit = std::min(tBox.width() / tBounds.width(), tBox.height() / tBounds.height());
  ptPainter->save();
  ptPainter->fillRect(tTarget, Qt::white);
  ptPainter->setRenderHint(QPainter::Antialiasing, true);
  ptPainter->translate(tBox.center());
  ptPainter->scale(Fit, Fit);
  ptPainter->translate(-tBounds.center());
  ptPainter->fillPath(tPath, tInk.tColor);
  ptPainter->restore();
}

// A step button in the 32 x 32 units of its pixel art: the raised frame and its black sign.
struct StepSignDef {
  const char* pcName;
  std::initializer_list<std::initializer_list<QPointF>> atPolygons;
};

const StepSignDef atStepSigns[] = {
    {"bm1", {{{9, 10}, {12, 10}, {12, 24}, {9, 24}}, {{13, 17}, {23, 10}, {23, 24}}}},
    {"bm2", {{{11, 17}, {22, 9}, {22, 25}}}},
    {"bm3", {{{10, 11}, {22, 11}, {22, 23}, {10, 23}}}},
    {"bm4", {{{10, 9}, {21, 17}, {10, 25}}}},
    {"bm5", {{{6, 9}, {15, 16.5}, {6, 24}}, {{16, 9}, {25, 16.5}, {16, 24}}}},
    {"bm6", {{{9, 10}, {19, 17}, {9, 24}}, {{20, 10}, {23, 10}, {23, 24}, {20, 24}}}},
};

void DrawStepButton(QPainter* ptPainter, const StepSignDef& tSign, const QRect& tTarget) {
  const double Unit = tTarget.width() / 32.0;
  // Whole device pixels for the frame's bands, so that they stay crisp.
  const auto Band = [&](double Left, double Top, double Right, double Bottom, QColor tColor) {
    const auto At = [&](double Value, int Origin) { return Origin + qRound(Value * Unit); };
    ptPainter->fillRect(QRect(QPoint(At(Left, tTarget.left()), At(Top, tTarget.top())),
                              QPoint(At(Right, tTarget.left()) - 1, At(Bottom, tTarget.top()) - 1)),
                        tColor);
  };
  Band(0, 0, 32, 32, QColor(0xC0, 0xC0, 0xC0));
  Band(0, 0, 31, 1, Qt::white);
  Band(0, 0, 1, 31, Qt::white);
  Band(1, 1, 30, 2, QColor(0xDF, 0xDF, 0xDF));
  Band(1, 1, 2, 30, QColor(0xDF, 0xDF, 0xDF));
  Band(30, 1, 31, 31, QColor(0x80, 0x80, 0x80));
  Band(1, 30, 31, 31, QColor(0x80, 0x80, 0x80));
  Band(31, 0, 32, 32, Qt::black);
  Band(0, 31, 32, 32, Qt::black);
  ptPainter->save();
  ptPainter->setRenderHint(QPainter::Antialiasing, true);
  ptPainter->translate(tTarget.topLeft());
  ptPainter->scale(Unit, Unit);
  ptPainter->setPen(Qt::NoPen);
  ptPainter->setBrush(Qt::black);
  for (const auto& atPoints : tSign.atPolygons)
    ptPainter->drawPolygon(QPolygonF(QList<QPointF>(atPoints.begin(), atPoints.end())));
  ptPainter->restore();
}

}  // namespace

void DrawBitmapShape(QPainter* ptPainter, const char* pcName, const QRect& tTarget) {
  const QImage& tImage = BitmapImage(pcName);
  if (tImage.isNull() || tTarget.isEmpty()) return;
  for (const SuitShapeDef& tSuit : atSuitShapes) {
    if (std::strcmp(tSuit.pcName, pcName) == 0) {
      DrawSuit(ptPainter, tImage, tSuit.Glyph, tTarget);
      return;
    }
  }
  for (const StepSignDef& tSign : atStepSigns) {
    if (std::strcmp(tSign.pcName, pcName) == 0) {
      DrawStepButton(ptPainter, tSign, tTarget);
      return;
    }
  }
  // Anything else (the icon) has no shapes of its own: smoothly scaled.
  ptPainter->save();
  ptPainter->setRenderHint(QPainter::SmoothPixmapTransform, true);
  ptPainter->drawImage(tTarget, tImage);
  ptPainter->restore();
}

}  // namespace viewer::qt
