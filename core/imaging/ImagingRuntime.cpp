#include "core/imaging/ImagingRuntime.h"

#include <cstring>
#include <malloc.h>
#include <mutex>
#include <stdexcept>
#include <vips/vips8>
// After vips8: it relies on the types that header brings.
#include <vips/vector.h>

namespace vantrel {

namespace {

// libheif describes the colours of most HEIF photos by an "nclx" box, which libvips 8.14
// reads as sRGB and says so on standard error for every photo; that is what the box says
// for the photos of phones and cameras.
void withoutNclxNotes(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (message != nullptr && std::strstr(message, "ignoring nclx profile") != nullptr) {
        return;
    }
    g_log_default_handler(domain, level, message, nullptr);
}

} // namespace

void initImaging(const char* programName) {
    static std::once_flag once;
    std::call_once(once, [programName] {
        // glibc gives every thread that allocates its own arena, and freed image buffers stay
        // scattered over them: a long session stepping through photos kept hundreds of
        // megabytes it no longer used. Two arenas return memory far better.
        mallopt(M_ARENA_MAX, 2);
        if (VIPS_INIT(programName ? programName : "vantrel") != 0) {
            throw std::runtime_error("libvips could not be started");
        }
        g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, withoutNclxNotes, nullptr);
        vips_block_untrusted_set(TRUE);
        // Every loader is refused except the photo formats we read.
        vips_operation_block_set("VipsForeignLoad", TRUE);
        for (const char* loader :
             {"VipsForeignLoadJpeg", "VipsForeignLoadPng", "VipsForeignLoadTiff",
              "VipsForeignLoadWebp", "VipsForeignLoadHeif"}) {
            vips_operation_block_set(loader, FALSE);
        }
        // A cached load would hand back a file's old pixels after it changed on disk.
        vips_cache_set_max(0);
        // liborc 0.4.33 returns compiled code to its pool without taking its lock, so one
        // thread releasing a resampler while another compiles one corrupts the pool and
        // crashes. Thumbnails, preview and export all resample at once, so the plain C
        // loops are used instead: slower on the widest shrinks, never a crash.
        vips_vector_set_enabled(FALSE);
    });
}

} // namespace vantrel
