#include "core/export/DescriptorTarget.h"

#include <cerrno>
#include <unistd.h>

namespace vantrel {

DescriptorTarget::DescriptorTarget(int descriptor, bool dropJpegExif)
    : mDescriptor(descriptor), mTarget(VIPS_TARGET(vips_target_custom_new())) {
    if (dropJpegExif) {
        mExifFilter.emplace();
    }
    gpointer target = mTarget.get_target();
    g_signal_connect(target, "write", G_CALLBACK(onWrite), this);
    g_signal_connect(target, "read", G_CALLBACK(onRead), this);
    g_signal_connect(target, "seek", G_CALLBACK(onSeek), this);
    g_signal_connect(target, "end", G_CALLBACK(onEnd), this);
}

DescriptorTarget::~DescriptorTarget() {
    // libvips may hold a reference beyond this object's life; it must not call back into it.
    g_signal_handlers_disconnect_by_data(mTarget.get_target(), this);
}

bool DescriptorTarget::writeAll(const char* data, std::size_t size) {
    if (mWriteError != 0) {
        return false;
    }
    while (size > 0) {
        const ssize_t written = ::write(mDescriptor, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A write that takes nothing without a reason can only be a full device.
            mWriteError = written < 0 ? errno : ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

gint64 DescriptorTarget::onWrite(VipsTargetCustom*, const void* data, gint64 length, void* self) {
    auto* target = static_cast<DescriptorTarget*>(self);
    const auto* bytes = static_cast<const char*>(data);
    const auto size = static_cast<std::size_t>(length);
    const bool written = target->mExifFilter
                             ? target->mExifFilter->write(bytes, size,
                                                          [target](const char* d, std::size_t s) {
                                                              return target->writeAll(d, s);
                                                          })
                             : target->writeAll(bytes, size);
    return written ? length : -1;
}

gint64 DescriptorTarget::onRead(VipsTargetCustom*, void* buffer, gint64 length, void* self) {
    auto* target = static_cast<DescriptorTarget*>(self);
    ssize_t got;
    do {
        got = ::read(target->mDescriptor, buffer, static_cast<std::size_t>(length));
    } while (got < 0 && errno == EINTR);
    return got;
}

gint64 DescriptorTarget::onSeek(VipsTargetCustom*, gint64 offset, int whence, void* self) {
    auto* target = static_cast<DescriptorTarget*>(self);
    return ::lseek(target->mDescriptor, static_cast<off_t>(offset), whence);
}

int DescriptorTarget::onEnd(VipsTargetCustom*, void* self) {
    auto* target = static_cast<DescriptorTarget*>(self);
    const bool flushed =
        !target->mExifFilter || target->mExifFilter->finish([target](const char* d, std::size_t s) {
            return target->writeAll(d, s);
        });
    return flushed && target->mWriteError == 0 ? 0 : -1;
}

} // namespace vantrel
