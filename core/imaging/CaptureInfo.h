#pragma once

#include <QDateTime>
#include <string>

namespace vantrel {

// When and with what a photo was taken, as output names want it.
struct CaptureInfo {
    // EXIF DateTimeOriginal as the camera wrote it (its own clock, no time zone); else the
    // file's modification time in local time; invalid when neither can be had.
    QDateTime taken;
    // EXIF Model without its padding; empty when the photo does not say.
    std::string camera;
};

// Reads the file's metadata (only for a JPEG, PNG or TIFF signature) and its status. Never
// throws: damaged metadata gives what could be read.
CaptureInfo readCaptureInfo(const std::string& path);

} // namespace vantrel
