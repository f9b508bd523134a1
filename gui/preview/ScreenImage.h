#pragma once

#include "core/imaging/Picture.h"

#include <QImage>

namespace vantrel {

// Rendered pixels (8-bit RGB or RGBA rows) as the premultiplied 32-bit image that painting
// wants, so that the conversion runs on the worker that rendered them and not while
// drawing. A bitmap of no size or of another band count gives a null image.
QImage screenImageFromBitmap(const Bitmap& bitmap);

} // namespace vantrel
