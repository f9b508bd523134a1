#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vantrel {

// Passes a JPEG byte stream on, less the EXIF segment in its header.
//
// libvips 8.14 writes an EXIF block of its own into every JPEG it saves (resolution,
// orientation, size and any thumbnail it was given), and the only way to stop it, `strip`,
// also drops the ICC profile. Our outputs carry no EXIF of their own, so the APP1 "Exif"
// segment is left out here while everything else, the ICC profile included, goes through.
// Segments are held back only while the header is read; the compressed data flows straight.
class JpegExifFilter {
public:
    // Returns false when the sink does.
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    bool write(const char* data, std::size_t size, const Sink& sink);
    // Passes on whatever is still held back (a stream that ended inside its header).
    bool finish(const Sink& sink);

private:
    // Decides about the held-back bytes as far as they allow.
    bool release(const Sink& sink);
    bool passEverything(const Sink& sink);

    bool mSawStart = false;
    bool mInData = false;
    std::string mHeld;
};

} // namespace vantrel
