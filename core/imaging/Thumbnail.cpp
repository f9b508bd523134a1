#include "core/imaging/Thumbnail.h"

#include "core/imaging/DecodeLimits.h"
#include "core/imaging/DisplayBitmap.h"
#include "core/imaging/FileDescriptor.h"
#include "core/imaging/Orientation.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vips/vips8>

using vips::VImage;

namespace vantrel {

namespace {

void explain(QString* why, const QString& reason) {
    if (why) {
        *why = reason;
    }
}

} // namespace

std::optional<Bitmap> makeThumbnail(const std::string& path, int maxSide, QString* why,
                                    PixelSize* photoSize) {
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
        const VImage header = VImage::new_from_source(
            source, "", VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        const QuarterTransform upright = uprightTransformOf(header);
        if (photoSize) {
            *photoSize = upright.size(PixelSize{header.width(), header.height()});
        }
        if (exceedsSampleLimit(header.width(), header.height(), header.bands())) {
            explain(why, QStringLiteral("the photo is too large to show (%1 x %2 pixels)")
                             .arg(header.width())
                             .arg(header.height()));
            return std::nullopt;
        }
        // Turned by our own orientation rule, not libvips': the thumbnail must stand as the
        // preview and the export do, whichever way the choice is set.
        const VImage thumbnail =
            VImage::thumbnail_source(source, maxSide,
                                     VImage::option()
                                         ->set("height", maxSide)
                                         ->set("size", VIPS_SIZE_DOWN)
                                         ->set("no_rotate", true)
                                         ->set("fail_on", VIPS_FAIL_ON_TRUNCATED)
                                         // Reading from a source, libvips 8.14 only hands
                                         // the loader this string, not the option above.
                                         ->set("option_string", "fail_on=truncated"));
        const VImage display = toDisplayBands(thumbnail);
        return bitmapFromDisplayImage(upright.isIdentity() ? display
                                                           : upright.apply(display.copy_memory()));
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
