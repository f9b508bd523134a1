#pragma once

#include "core/export/JpegExifFilter.h"

#include <optional>
#include <vips/vips8>

namespace vantrel {

// A libvips target writing to a descriptor the caller keeps owning.
//
// VTarget::new_to_descriptor writes through a duplicate of the descriptor that it closes
// on its own, ignoring what close() reports, and libvips turns a failed write into a text
// in the reader's language. Here every write is checked, short writes are completed, and
// the errno of the first failure is kept, so "disk full" is known as such. Reads and seeks
// (libtiff needs both) go to the same descriptor, which must be open for reading too.
class DescriptorTarget {
public:
    DescriptorTarget(int descriptor, bool dropJpegExif);
    ~DescriptorTarget();
    DescriptorTarget(const DescriptorTarget&) = delete;
    DescriptorTarget& operator=(const DescriptorTarget&) = delete;

    const vips::VTarget& target() const { return mTarget; }
    // errno of the first failed write, 0 while all went well.
    int writeError() const { return mWriteError; }

private:
    static gint64 onWrite(VipsTargetCustom*, const void* data, gint64 length, void* self);
    static gint64 onRead(VipsTargetCustom*, void* buffer, gint64 length, void* self);
    static gint64 onSeek(VipsTargetCustom*, gint64 offset, int whence, void* self);
    static int onEnd(VipsTargetCustom*, void* self);

    bool writeAll(const char* data, std::size_t size);

    int mDescriptor;
    int mWriteError = 0;
    std::optional<JpegExifFilter> mExifFilter;
    vips::VTarget mTarget;
};

} // namespace vantrel
