#pragma once

#include "core/export/EncoderOptions.h"
#include "core/export/OutputNaming.h"

#include <cstddef>
#include <string>
#include <vips/vips8>

namespace vantrel {

// The photo as an encoder stores it, lazily:
// - JPEG: 8-bit sRGB or grey, transparency flattened onto white.
// - PNG and TIFF: 8- or 16-bit RGB or grey as the photo is, alpha kept.
// - WebP, HEIC and AVIF: 8-bit RGB, alpha kept (grey becomes RGB and loses a grey profile).
// CMYK (through its own profile, or a generic one) and other colour spaces become sRGB for
// every encoder. No EXIF, XMP, IPTC, orientation, thumbnail or text comments of the source
// are left for the encoder to write; the ICC profile stays unless the colours were
// converted away from it, or it does not fit the bands (an RGB profile on grey pixels).
// A profile that PNG cannot carry (see pngKeepsProfile) is applied instead: the pixels
// become sRGB through it and carry an sRGB profile.
vips::VImage prepareForEncoding(const vips::VImage& photo, Encoding encoding);

// Whether libpng writes this ICC profile into a PNG of colour (else grey) pixels. It leaves
// out, and still writes the pixels, any profile that fails its header or tag table checks:
// a PCS illuminant that is not exactly D50, a rendering intent past the four defined, a
// class other than input, display, output or colour space, a tag outside the profile.
bool pngKeepsProfile(const unsigned char* profile, std::size_t length, bool colour);

// The JPEG quality libvips is given for the user's 0..100: libvips refuses 0 (and would
// quietly fall back to its default of 75), so 0 is taken as its lowest, 1.
int jpegQualityFactor(int quality);

// Encodes a prepared photo into the target. JPEG, WebP, HEIC and AVIF at the options'
// quality (JPEG progressive and 4:4:4 as asked, WebP lossless as asked, AVIF at
// kAvifEffort); PNG at libvips' default compression; TIFF with lossless Deflate and
// horizontal prediction. Decoding happens here: throws vips::VError when the photo cannot
// be decoded or written.
void encodePhoto(const vips::VImage& prepared, Encoding encoding, const EncoderOptions& options,
                 const vips::VTarget& target);

// The same encoding into memory (for the encodings that have a quality: JPEG, WebP, HEIC,
// AVIF). Throws vips::VError as encodePhoto does.
std::string encodeToMemory(const vips::VImage& prepared, Encoding encoding,
                           const EncoderOptions& options);

} // namespace vantrel
