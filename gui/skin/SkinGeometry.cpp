#include "gui/skin/SkinGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::skin {

namespace {

bool hasArea(const QSizeF& size) {
    return size.width() > 0.0 && size.height() > 0.0;
}

} // namespace

QList<QPointF> rowTileOrigins(const QSizeF& view, const QSizeF& image) {
    QList<QPointF> origins;
    if (!hasArea(image)) {
        return origins; // a zero-wide image would never advance
    }
    const double y = view.height() - image.height();
    for (double x = 0.0; x < view.width(); x += image.width()) {
        origins.append(QPointF(x, y));
    }
    return origins;
}

QList<QPointF> columnTileOrigins(const QSizeF& view, const QSizeF& image) {
    QList<QPointF> origins;
    if (!hasArea(image)) {
        return origins;
    }
    for (double y = view.height() - image.height(); y + image.height() > 0.0; y -= image.height()) {
        origins.append(QPointF(0.0, y));
    }
    return origins;
}

QRectF flippedRect(const QRectF& rectYUp, double viewHeight) {
    return QRectF(rectYUp.x(), viewHeight - rectYUp.y() - rectYUp.height(), rectYUp.width(),
                  rectYUp.height());
}

QList<QRectF> tileRectsFlipped(const QSizeF& view, const QSizeF& image, bool vertical) {
    const QList<QPointF> origins =
        vertical ? columnTileOrigins(view, image) : rowTileOrigins(view, image);
    QList<QRectF> rects;
    rects.reserve(origins.size());
    for (const QPointF& origin : origins) {
        rects.append(flippedRect(QRectF(origin, image), view.height()));
    }
    return rects;
}

double SplitLimits::clamp(double position) const {
    return std::max(minimum, std::min(position, maximum));
}

SplitLimits stackedSplitLimits(const QSizeF& bounds) {
    return {0.2 * bounds.height(), 0.8 * bounds.height()};
}

SplitLimits sideBySideSplitLimits(const QSizeF& bounds) {
    return {250.0, 0.9 * bounds.height()};
}

QRectF boxTitleFrame(const QRectF& bounds) {
    return QRectF(10.0, bounds.height() - 12.0 - 5.0, 200.0, 20.0);
}

QRectF boxPanelRect(const QRectF& bounds) {
    return QRectF(bounds.x() + 2.0, bounds.y() + 2.0, bounds.width() - 4.0,
                  bounds.height() - 12.0 - 4.0);
}

GradientLine gradientLineFlipped(const QRectF& bounds, double angleDegrees) {
    const double radians = angleDegrees * std::numbers::pi / 180.0;
    // y-up direction (cos, sin) becomes (cos, -sin) once y points down.
    const double dx = std::cos(radians);
    const double dy = -std::sin(radians);
    const double halfLength =
        (std::abs(bounds.width() * dx) + std::abs(bounds.height() * dy)) / 2.0;
    const QPointF centre = bounds.center();
    const QPointF offset(dx * halfLength, dy * halfLength);
    return {centre - offset, centre + offset};
}

} // namespace vantrel::skin
