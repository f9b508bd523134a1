#include "core/imaging/PixelGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel {

long pixelEdge(double coordinate) {
    return static_cast<long>(std::floor(coordinate + 0.5));
}

int pixelSpan(double start, double end) {
    return static_cast<int>(std::max(1L, pixelEdge(end) - pixelEdge(start)));
}

int pixelCount(double exactSize) {
    return static_cast<int>(std::max(1L, pixelEdge(exactSize)));
}

ExactRect ExactRect::intersected(const ExactRect& other) const {
    const double l = std::max(left, other.left);
    const double t = std::max(top, other.top);
    const double r = std::min(right(), other.right());
    const double b = std::min(bottom(), other.bottom());
    return {l, t, std::max(0.0, r - l), std::max(0.0, b - t)};
}

bool isQuarterTurn(double degrees) {
    return std::isfinite(degrees) && std::fmod(degrees, 90.0) == 0.0;
}

int quarterTurns(double degrees) {
    const int turns = static_cast<int>(std::fmod(degrees / 90.0, 4.0));
    return (turns + 4) % 4;
}

ExactSize rotatedBounds(ExactSize size, double degrees) {
    if (isQuarterTurn(degrees)) {
        return quarterTurns(degrees) % 2 == 0 ? size : ExactSize{size.height, size.width};
    }
    const double radians = degrees * std::numbers::pi / 180.0;
    const double c = std::abs(std::cos(radians));
    const double s = std::abs(std::sin(radians));
    return {size.width * c + size.height * s, size.width * s + size.height * c};
}

} // namespace vantrel
