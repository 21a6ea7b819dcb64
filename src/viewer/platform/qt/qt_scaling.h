// The scale of the window: the design's 640 x 480 client pixels drawn larger, as the canvas
// draws them. Lengths and rectangles of the design at a scale, and a point of the scaled window
// back in the design.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>

namespace viewer::qt {

inline constexpr int kClientWidth = 640;
inline constexpr int kClientHeight = 480;

// The zoom steps of the window: the design's size times these.
inline constexpr double kZoomSteps[] = {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0};

// A length of the design at a scale, as the canvas scales it: edges, not sizes.
int Scaled(int Value, double Scale);
QRect ScaledRect(const QRect& tDesign, double Scale);
QPoint DesignPoint(const QPointF& tScaled, double Scale);
// The text pane's scroll bars follow its bottom when a tall window makes it taller.
QRect MovedForTextPane(int idCtrl, QRect tDesign, int ExtraHeight);

}  // namespace viewer::qt
