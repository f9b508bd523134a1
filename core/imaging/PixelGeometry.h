#pragma once

namespace vantrel {

// Sizes and rectangles of a working image are exact floating-point numbers; pixels are
// whole. One rule turns the first into the second, wherever pixels are produced:
//
//   An edge at exact coordinate c lands on the pixel boundary nearest to it, halves going
//   up: floor(c + 0.5). A crop keeps the pixels between its two rounded edges; a scaled or
//   rotated result is its rounded exact size. Nothing is ever smaller than one pixel, and
//   an axis whose combined scale factor is exactly 1 keeps the pixel count it had.

long pixelEdge(double coordinate);
int pixelSpan(double start, double end);
int pixelCount(double exactSize);

// A rectangle with its origin at the top-left and y pointing down, in exact units.
struct ExactRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
    bool isEmpty() const { return !(width > 0) || !(height > 0); }
    ExactRect intersected(const ExactRect& other) const;
};

struct ExactSize {
    double width = 0;
    double height = 0;
};

// Whole pixels, top-left based.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// Whether an angle in degrees is a whole number of quarter turns, and how many (0..3).
bool isQuarterTurn(double degrees);
int quarterTurns(double degrees);

// The bounding box of a width x height rectangle turned by the angle. Quarter turns are
// exact: no sine or cosine noise creeps into their sizes.
ExactSize rotatedBounds(ExactSize size, double degrees);

} // namespace vantrel
