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
    bool chroma420 = false;   // JPEG without chroma444: colour halved at every quality
};

// AVIF is written at libvips' lowest effort (0 of 0..9, libaom's fastest speed; 4 is the
// default). A 2048-pixel photo takes about a tenth of the time of effort 4 for some 10 %
// more bytes, which keeps an AVIF export within three times a JPEG one
// (bench/modern-formats.sh).
inline constexpr int kAvifEffort = 0;

} // namespace vantrel
