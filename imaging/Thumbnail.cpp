#include "imaging/Thumbnail.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips8>

using vips::VImage;

namespace vantrel {

namespace {

void explain(QString* why, const QString& reason) {
    if (why) {
        *why = reason;
    }
}

// Closes the descriptor however the thumbnail ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : mFd(fd) {}
    ~FileDescriptor() {
        if (mFd >= 0) {
            ::close(mFd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return mFd; }

private:
    int mFd;
};

// 8-bit sRGB with 3 bands, or 4 when the photo has transparency.
VImage toDisplayBands(VImage image) {
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    }
    if (image.format() != VIPS_FORMAT_UCHAR) {
        image = image.cast(VIPS_FORMAT_UCHAR);
    }
    if (image.bands() == 1) {
        image = image.bandjoin({image, image});
    } else if (image.bands() == 2) {
        // Grey with alpha that the colour conversion left as it was.
        const VImage grey = image.extract_band(0);
        image = grey.bandjoin({grey, grey, image.extract_band(1)});
    } else if (image.bands() > 4) {
        image = image.extract_band(0, VImage::option()->set("n", 4));
    }
    return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

} // namespace

std::optional<Bitmap> makeThumbnail(const std::string& path, int maxSide, QString* why) {
    if (maxSide < 1) {
        explain(why, QStringLiteral("no room for a thumbnail"));
        return std::nullopt;
    }
    // O_NONBLOCK: a file swapped for a FIFO after it was added must not block the open;
    // fstat then says what was really opened, and only a regular file is read.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        explain(why, QStringLiteral("the file cannot be opened: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        explain(why, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    try {
        // libvips reads through its own duplicate of the descriptor.
        const vips::VSource source = vips::VSource::new_from_descriptor(file.get());
        const VImage thumbnail =
            VImage::thumbnail_source(source, maxSide,
                                     VImage::option()
                                         ->set("height", maxSide)
                                         ->set("size", VIPS_SIZE_DOWN)
                                         ->set("fail_on", VIPS_FAIL_ON_TRUNCATED)
                                         // Reading from a source, libvips 8.14 only hands
                                         // the loader this string, not the option above.
                                         ->set("option_string", "fail_on=truncated"));
        const VImage display = toDisplayBands(thumbnail);
        size_t size = 0;
        auto* data = static_cast<unsigned char*>(display.write_to_memory(&size));
        Bitmap bitmap{display.width(), display.height(), display.bands(), {}};
        bitmap.pixels.assign(data, data + size);
        g_free(data);
        return bitmap;
    } catch (const vips::VError&) {
        // The error text is shared by every thread; nobody reads it, so keep it short.
        vips_error_clear();
        explain(why, QStringLiteral("the photo is damaged or cannot be decoded"));
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        explain(why, QStringLiteral("not enough memory"));
        return std::nullopt;
    }
}

} // namespace vantrel
