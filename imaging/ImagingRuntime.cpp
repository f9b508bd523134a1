#include "imaging/ImagingRuntime.h"

#include <mutex>
#include <stdexcept>
#include <vips/vips8>

namespace vantrel {

void initImaging(const char* programName) {
    static std::once_flag once;
    std::call_once(once, [programName] {
        if (VIPS_INIT(programName ? programName : "vantrel") != 0) {
            throw std::runtime_error("libvips could not be started");
        }
        vips_block_untrusted_set(TRUE);
        // Every loader is refused except the photo formats we read.
        vips_operation_block_set("VipsForeignLoad", TRUE);
        for (const char* loader : {"VipsForeignLoadJpeg", "VipsForeignLoadPng",
                                   "VipsForeignLoadTiff", "VipsForeignLoadWebp"}) {
            vips_operation_block_set(loader, FALSE);
        }
        // A cached load would hand back a file's old pixels after it changed on disk.
        vips_cache_set_max(0);
    });
}

} // namespace vantrel
