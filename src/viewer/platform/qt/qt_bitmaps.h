// The program's bitmaps by resource name ("clubs", "diamds12", "bm1", "Pbn_Icon", ...), made
// from the XPM pixel art under resources/ that is compiled in.
#pragma once

#include <QImage>

namespace viewer::qt {

// A null image for a name that is not a resource.
const QImage& BitmapImage(const char* pcName);

}  // namespace viewer::qt
