#pragma once

#include <QVariantMap>
#include <optional>
#include <string>

// Container headers that neither libvips nor exiv2 report: the JFIF segment of a JPEG and
// the header chunks of a PNG. Both readers stop at the first pixel data and give what they
// found so far when a file is short or damaged; they never throw for bad input.
namespace vantrel::metadata {

struct JpegHeader {
    QVariantMap jfif; // JFIFVersion, DensityUnit, XDensity, YDensity, IsProgressive
};

// Only for files with a JPEG signature.
JpegHeader readJpegHeader(const std::string& path);

struct PngHeader {
    int bitDepth = 0;
    int colourType = -1;
    QVariantMap png; // InterlaceType, Gamma, sRGBIntent, XPixelsPerMeter, YPixelsPerMeter
    std::optional<double> dpiX, dpiY;
};

// Only for files with a PNG signature.
PngHeader readPngHeader(const std::string& path);

} // namespace vantrel::metadata
