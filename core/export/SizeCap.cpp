#include "core/export/SizeCap.h"

#include "core/export/PhotoEncoding.h"

#include <algorithm>

namespace vantrel {

MemoryEncoder encodeToMemoryDefault() {
    return [](const vips::VImage& prepared, Encoding encoding, const EncoderOptions& options) {
        return encodeToMemory(prepared, encoding, options);
    };
}

CappedEncoding encodeWithinSize(const vips::VImage& prepared, Encoding encoding,
                                const EncoderOptions& options, std::uint64_t maxBytes,
                                const MemoryEncoder& encoder) {
    CappedEncoding best;
    CappedEncoding smallest;
    // 0 is encoded like 1 by every encoder's lowest setting, so the search starts at 1.
    int low = 1;
    int high = std::clamp(options.quality, 1, 100);
    int encodes = 0;
    while (low <= high) {
        // 100 qualities and "none fits" are 101 outcomes: 7 halvings tell them apart.
        const int quality = low + (high - low + 1) / 2;
        EncoderOptions probe = options;
        probe.quality = quality;
        std::string bytes = encoder(prepared, encoding, probe);
        ++encodes;
        const bool fits = bytes.size() <= maxBytes;
        if (!fits && (smallest.bytes.empty() || bytes.size() < smallest.bytes.size())) {
            smallest = {std::move(bytes), quality, false, 0};
        } else if (fits) {
            best = {std::move(bytes), quality, true, 0};
        }
        if (fits) {
            low = quality + 1;
        } else {
            high = quality - 1;
        }
    }
    CappedEncoding result = best.fits ? std::move(best) : std::move(smallest);
    result.encodes = encodes;
    return result;
}

} // namespace vantrel
