#include "core/export/JpegExifFilter.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kApp1 = 0xE1;
constexpr char kExifSignature[] = {'E', 'x', 'i', 'f', '\0', '\0'};

bool isApplicationOrComment(unsigned char marker) {
    return (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE;
}

unsigned char byteAt(const std::string& bytes, std::size_t index) {
    return static_cast<unsigned char>(bytes[index]);
}

} // namespace

bool JpegExifFilter::write(const char* data, std::size_t size, const Sink& sink) {
    if (mInData) {
        return sink(data, size);
    }
    mHeld.append(data, size);
    return release(sink);
}

bool JpegExifFilter::finish(const Sink& sink) {
    return mHeld.empty() || passEverything(sink);
}

bool JpegExifFilter::passEverything(const Sink& sink) {
    mInData = true;
    std::string held;
    held.swap(mHeld);
    return held.empty() || sink(held.data(), held.size());
}

bool JpegExifFilter::release(const Sink& sink) {
    if (!mSawStart) {
        if (mHeld.size() < 2) {
            return true;
        }
        if (byteAt(mHeld, 0) != kMarker || byteAt(mHeld, 1) != kStartOfImage) {
            return passEverything(sink);
        }
        if (!sink(mHeld.data(), 2)) {
            return false;
        }
        mHeld.erase(0, 2);
        mSawStart = true;
    }
    // Each header segment is a marker, a two-byte length that counts itself, and a payload.
    while (mHeld.size() >= 4) {
        const unsigned char marker = byteAt(mHeld, 1);
        if (byteAt(mHeld, 0) != kMarker || !isApplicationOrComment(marker)) {
            return passEverything(sink);
        }
        const std::size_t length = (std::size_t{byteAt(mHeld, 2)} << 8) | byteAt(mHeld, 3);
        if (length < 2) {
            return passEverything(sink);
        }
        const std::size_t segment = 2 + length;
        if (mHeld.size() < segment) {
            return true;
        }
        const bool isExif =
            marker == kApp1 && length >= 2 + sizeof kExifSignature &&
            std::memcmp(mHeld.data() + 4, kExifSignature, sizeof kExifSignature) == 0;
        if (!isExif && !sink(mHeld.data(), segment)) {
            return false;
        }
        mHeld.erase(0, segment);
    }
    return true;
}

} // namespace vantrel
