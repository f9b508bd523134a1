#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// A size cap is given in KB of 1000 bytes: a file that fits 300 KB so counted fits it
// however the receiving side counts.
inline constexpr std::uint64_t kBytesPerKilobyte = 1000;

struct CappedEncoding {
    std::string bytes; // the encoding that fits, or the smallest one made when none fits
    int quality = 0;   // the quality it was made at
    bool fits = false;
    int encodes = 0; // how many encodings were made to find it
};

// The search over rungs 1..rungs (at most 127; fewer than 1 counts as 1) whose encodings
// grow with the rung, by bisection on the encoded bytes, which stay in memory: the highest
// rung whose encoding takes at most maxBytes, in at most 7 encodings (the result's quality is
// the rung). When not even rung 1 fits, the smallest encoding made (rung 1's) comes back with
// fits false. The pixels being encoded should already be in memory, or each encoding decodes
// the photo again. Throws what encodeRung throws.
CappedEncoding highestRungWithinSize(int rungs, std::uint64_t maxBytes,
                                     const std::function<std::string(int rung)>& encodeRung);

} // namespace vantrel
