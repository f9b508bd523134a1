#pragma once

#include <QString>

namespace vantrel {

// Why an output could not be written, in plain words: "disk full", "disk quota exceeded"
// or "cannot write to the export folder: <what the system said>".
QString writeFailure(int error);

// The cause of a libvips failure without libvips' decoration: its first line that says
// more than "unable to write to target", without the name of the libvips part that
// reported it ("VipsJpeg: Premature end of input file"
// gives "Premature end of input file").
QString encodeFailure(const char* libvipsMessage);

} // namespace vantrel
