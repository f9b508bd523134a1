#pragma once

#include "core/imaging/Picture.h"

#include <QString>
#include <functional>
#include <optional>

namespace vantrel {

// The zoom at which a picture of `width` x `height` pixels fits inside a box of
// `boxWidth` x `boxHeight` pixels: never above 1 (a small photo is not blown up), 0 when
// either has no size.
double zoomToFit(int width, int height, int boxWidth, int boxHeight);

// Renders the picture at the size it is shown in a box of `boxWidth` x `boxHeight` pixels.
// A photo beyond the sample limit is refused by its header before anything is decoded, as
// the preview and the export refuse it. Decodes: call it on a worker. `wanted`, when given,
// is asked while the pixels are computed; once it says no, the work stops. Nothing when there
// is nothing to show (or it was stopped); `error` then says why in words for the user.
std::optional<Bitmap> renderToFit(const Picture& picture, int boxWidth, int boxHeight,
                                  const std::function<bool()>& wanted = {},
                                  QString* error = nullptr);

} // namespace vantrel
