#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Geometry of the skin views, kept free of widgets so that it can be checked number by number.
//
// The skin is laid out in a lower-left, y-up coordinate system (the way the artwork was
// designed); Qt paints with the origin at the top-left and y pointing down. Functions whose
// name ends in "Flipped" answer in Qt's painting coordinates, the others in y-up coordinates.
namespace vantrel::skin {

// Lower-left corners of the copies of an image tiled in a row along the top edge of a view:
// y = viewHeight - imageHeight for all, x = 0, iw, 2 iw, ... while x < viewWidth.
// An image without area gives no copies.
QList<QPointF> rowTileOrigins(const QSizeF& view, const QSizeF& image);

// Lower-left corners of the copies of an image tiled in a column along the left edge of a
// view, the first flush with the top edge, continuing downwards while a copy still reaches
// above y = 0. An image without area gives no copies.
QList<QPointF> columnTileOrigins(const QSizeF& view, const QSizeF& image);

// The rectangle of a copy whose lower-left corner is `origin` (y-up), in Qt painting
// coordinates of a view `viewHeight` tall.
QRectF flippedRect(const QRectF& rectYUp, double viewHeight);

// The rectangles to paint for a tiled background, in Qt painting coordinates.
QList<QRectF> tileRectsFlipped(const QSizeF& view, const QSizeF& image, bool vertical);

// Divider limits of the split views, as divider positions along the split axis.
struct SplitLimits {
    double minimum = 0.0;
    double maximum = 0.0;

    // A proposed position moved into [minimum, maximum]. When the view is so small that the
    // maximum falls below the minimum, the minimum wins so the result is still one position.
    double clamp(double position) const;
};

// Panes stacked one above the other: 20 % to 80 % of the height.
SplitLimits stackedSplitLimits(const QSizeF& bounds);

// Panes side by side: from a fixed 250 up to 90 % of the height. The maximum follows the
// height (not the width) so that the side pane keeps the proportions of the window's
// classic layout.
SplitLimits sideBySideSplitLimits(const QSizeF& bounds);

// The box with a title: where the title text goes and where the translucent panel lies.
// The title frame is anchored at x = 10 regardless of the bounds' origin.
QRectF boxTitleFrame(const QRectF& bounds);
QRectF boxPanelRect(const QRectF& bounds);
inline constexpr double kBoxPanelCornerRadius = 3.0;

// Start and end points (Qt painting coordinates) of a linear gradient drawn across `bounds`
// at `angleDegrees`, where 0 runs left to right, 90 bottom to top and 270 top to bottom. The
// points are chosen so that every point of the bounds projects between them and the corners
// reached first and last get exactly the starting and the ending colour.
struct GradientLine {
    QPointF start;
    QPointF end;
};
GradientLine gradientLineFlipped(const QRectF& bounds, double angleDegrees);

} // namespace vantrel::skin
