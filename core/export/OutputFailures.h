#pragma once

#include <QString>

namespace vantrel {

// Why an output could not be written, in plain words: "disk full", "disk quota exceeded"
// or "cannot write to the export folder: <what the system said>".
QString writeFailure(int error);

// Why a folder could not be made, in the system's own words ("Permission denied",
// "Not a directory", "Read-only file system").
QString folderFailure(int error);

// Why libvips could not decode or encode a photo. Always the same words: libvips keeps its
// error texts in one buffer for the whole process, so while several photos are exported
// at once its text may belong to another photo, and the report must not depend on the
// number of workers.
QString decodeFailure();

} // namespace vantrel
