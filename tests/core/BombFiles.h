#pragma once

#include <QTemporaryDir>
#include <string>

namespace vantrel::test {

// Decompression bombs: valid files of a few hundred kilobytes whose pixels (all zero)
// would take gigabytes. A PNG of the given colour type (0 grey, 2 RGB) and bit depth, and
// a grey TIFF compressed with Deflate in one strip. Each gives its path, or nothing when
// the file cannot be written.
std::string writeBombPng(const QTemporaryDir& dir, const std::string& name, int width, int height,
                         int colourType, int bitDepth);
std::string writeBombTiff(const QTemporaryDir& dir, const std::string& name, int width, int height);

} // namespace vantrel::test
