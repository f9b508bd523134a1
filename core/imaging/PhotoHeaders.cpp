#include "core/imaging/PhotoHeaders.h"

#include "core/imaging/MetadataValues.h"

#include <QVariantList>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::metadata {
namespace {

// Opened without blocking and checked again after opening, so a file swapped for a FIFO
// after the signature check cannot stall a worker.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
        struct stat info {};
        if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ReadOnlyFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool readAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) const {
        std::size_t done = 0;
        while (fd_ >= 0 && done < size) {
            const ssize_t got = ::pread(fd_, buffer + done, size - done, off_t(offset + done));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            done += std::size_t(got);
        }
        return fd_ >= 0;
    }

private:
    int fd_;
};

} // namespace

JpegHeader readJpegHeader(const std::string& path) {
    JpegHeader header;
    const ReadOnlyFile file(path);
    std::uint64_t pos = 2; // after SOI
    std::optional<bool> progressive;
    bool jfifSeen = false;
    // Damaged files can chain segments endlessly; real headers have a few dozen at most.
    for (int segment = 0; segment < 512; ++segment) {
        std::array<unsigned char, 4> head{};
        if (!file.readAt(pos, head.data(), 2) || head[0] != 0xFF) {
            break;
        }
        const unsigned char marker = head[1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) { // start of scan, end of image
            break;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length field
            pos += 2;
            continue;
        }
        if (!file.readAt(pos + 2, head.data() + 2, 2)) {
            break;
        }
        const std::uint16_t length = bigEndian16(head.data() + 2);
        if (length < 2) {
            break;
        }
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame && !progressive) {
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        }
        std::array<unsigned char, 14> app0{};
        if (marker == 0xE0 && !jfifSeen && length >= 16 &&
            file.readAt(pos + 4, app0.data(), app0.size()) &&
            std::memcmp(app0.data(), "JFIF\0", 5) == 0) {
            jfifSeen = true;
            header.jfif.insert("JFIFVersion",
                               QVariantList{int(app0[5]), app0[6] / 10, app0[6] % 10});
            header.jfif.insert("DensityUnit", int(app0[7]));
            header.jfif.insert("XDensity", int(bigEndian16(app0.data() + 8)));
            header.jfif.insert("YDensity", int(bigEndian16(app0.data() + 10)));
        }
        pos += 2 + length;
    }
    if (progressive) {
        header.jfif.insert("IsProgressive", *progressive);
    }
    return header;
}

PngHeader readPngHeader(const std::string& path) {
    PngHeader header;
    const ReadOnlyFile file(path);
    std::uint64_t pos = 8; // after the signature
    for (int chunk = 0; chunk < 1024; ++chunk) {
        std::array<unsigned char, 8> head{};
        if (!file.readAt(pos, head.data(), head.size())) {
            break;
        }
        const std::uint32_t length = bigEndian32(head.data());
        const std::string type(reinterpret_cast<const char*>(head.data() + 4), 4);
        if (length > 0x7FFFFFFFu || type == "IDAT" || type == "IEND") {
            break;
        }
        std::array<unsigned char, 13> data{};
        const bool small = length <= data.size() && file.readAt(pos + 8, data.data(), length);
        if (type == "IHDR" && small && length == 13) {
            header.bitDepth = data[8];
            header.colourType = data[9];
            header.png.insert("InterlaceType", int(data[12]));
        } else if (type == "gAMA" && small && length == 4 && bigEndian32(data.data()) != 0) {
            header.png.insert("Gamma", bigEndian32(data.data()) / 100000.0);
        } else if (type == "sRGB" && small && length == 1) {
            header.png.insert("sRGBIntent", int(data[0]));
        } else if (type == "pHYs" && small && length == 9 && data[8] == 1) { // unit: metre
            const std::uint32_t x = bigEndian32(data.data());
            const std::uint32_t y = bigEndian32(data.data() + 4);
            header.png.insert("XPixelsPerMeter", integer(x));
            header.png.insert("YPixelsPerMeter", integer(y));
            header.dpiX = roundedTo(x * 0.0254, 1e-3);
            header.dpiY = roundedTo(y * 0.0254, 1e-3);
        }
        pos += 12 + std::uint64_t(length);
    }
    return header;
}

} // namespace vantrel::metadata
