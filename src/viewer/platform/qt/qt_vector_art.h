// The program's bitmaps drawn larger than their pixel art: the suit symbols from the font's suit
// glyphs, fitted to the ink of their pixel art, and the step buttons from their outlines. The
// pixel art stays what is drawn at the design's own size.
#pragma once

#include <QPainter>
#include <QRect>

namespace viewer::qt {

// Draws the bitmap named pcName (as BitmapImage knows it) filling tTarget, in device pixels.
void DrawBitmapShape(QPainter* ptPainter, const char* pcName, const QRect& tTarget);

}  // namespace viewer::qt
