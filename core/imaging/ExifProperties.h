#pragma once

#include <QVariantMap>
#include <optional>
#include <string>

namespace vantrel::metadata {

// The EXIF, TIFF, GPS and IPTC properties of a photo as exiv2 reads them, plus the two
// facts the pixel properties need from its metadata.
struct MetadataGroups {
    QVariantMap exif, tiff, gps, iptc;
    std::optional<int> xmpOrientation;
    std::optional<int> bitsPerSample; // first value of IFD0 BitsPerSample
};

// Only for files whose JPEG, PNG or TIFF signature was checked: exiv2 detects the type
// from the content and crashes or hangs on some other containers. Throws when exiv2 gives
// up on the file (damaged metadata, BigTIFF). Safe to call from several threads at once.
MetadataGroups readMetadataGroups(const std::string& path);

} // namespace vantrel::metadata
