#include "core/export/SizeCap.h"

#include <algorithm>
#include <utility>

namespace vantrel {

CappedEncoding highestRungWithinSize(int rungs, std::uint64_t maxBytes,
                                     const std::function<std::string(int rung)>& encodeRung) {
    CappedEncoding best;
    CappedEncoding smallest;
    int low = 1;
    int high = std::clamp(rungs, 1, 127);
    int encodes = 0;
    while (low <= high) {
        // Up to 127 rungs and "none fits" are at most 128 outcomes: 7 halvings tell them apart.
        const int rung = low + (high - low + 1) / 2;
        std::string bytes = encodeRung(rung);
        ++encodes;
        const bool fits = bytes.size() <= maxBytes;
        if (fits) {
            best = {std::move(bytes), rung, true, 0};
            low = rung + 1;
        } else {
            if (smallest.bytes.empty() || bytes.size() < smallest.bytes.size()) {
                smallest = {std::move(bytes), rung, false, 0};
            }
            high = rung - 1;
        }
    }
    CappedEncoding result = best.fits ? std::move(best) : std::move(smallest);
    result.encodes = encodes;
    return result;
}

} // namespace vantrel
