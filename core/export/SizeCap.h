#pragma once

#include "core/export/EncoderOptions.h"
#include "core/export/OutputNaming.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vips/vips8>

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

using MemoryEncoder =
    std::function<std::string(const vips::VImage&, Encoding, const EncoderOptions&)>;

// The search itself, over rungs 1..rungs (at most 127) whose encodings grow with the rung:
// the highest rung whose encoding takes at most maxBytes, in at most 7 encodings (the
// result's quality is the rung).
CappedEncoding highestRungWithinSize(int rungs, std::uint64_t maxBytes,
                                     const std::function<std::string(int rung)>& encodeRung);

// encodeToMemory of PhotoEncoding.h.
MemoryEncoder encodeToMemoryDefault();

// The highest quality from 1 to options.quality whose encoding of `prepared` takes at most
// maxBytes, found by bisection on the encoded bytes, which stay in memory: at most 7
// encodings for the 100 qualities (the pixels should already be in memory too, or each
// encoding decodes the photo again). When not even quality 1 fits, the smallest encoding
// made (quality 1's) comes back with fits false. Throws vips::VError as the encoder does.
CappedEncoding encodeWithinSize(const vips::VImage& prepared, Encoding encoding,
                                const EncoderOptions& options, std::uint64_t maxBytes,
                                const MemoryEncoder& encoder = encodeToMemoryDefault());

} // namespace vantrel
