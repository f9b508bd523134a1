#pragma once

namespace vantrel {

// How an encoder with choices writes a photo. An int converts to the options at that quality,
// so a plain quality still reads as one.
struct EncoderOptions {
    EncoderOptions(int givenQuality = 90) : quality(givenQuality) {} // NOLINT: implicit on purpose

    int quality = 90;         // JPEG, WebP, HEIC and AVIF: 0 (smallest) to 100 (best)
    bool lossless = false;    // WebP: every pixel kept exactly; the quality is not used
    bool progressive = false; // JPEG: interlaced scans, coarse to fine
    bool chroma444 = false;   // JPEG: colour at full resolution; otherwise libvips decides
                              // (halved below quality 90, full from 90)
};

// AVIF is written at libaom's effort 2 of 0..9 (libvips' "effort"; 4 is its default). The
// higher efforts find a few per cent fewer bytes in many times the time; at 2 a photo still
// encodes in about the time of decoding and shrinking it (bench/modern-formats.sh).
inline constexpr int kAvifEffort = 2;

} // namespace vantrel
