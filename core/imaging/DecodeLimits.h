#pragma once

namespace vantrel {

// The most samples (pixels x bands) one photo may have, as stored or as produced: 100
// megapixels with four bands. A photo beyond it is refused by its header before any
// decoding, wherever it is decoded (export, thumbnails, preview), so that one hostile or
// huge file cannot exhaust the machine's memory.
inline constexpr double kMaximumSamplesPerPhoto = 100e6 * 4;

inline bool exceedsSampleLimit(int width, int height, int bands) {
    return double(width) * height * (bands > 1 ? bands : 1) > kMaximumSamplesPerPhoto;
}

} // namespace vantrel
