#pragma once

#include <cstdint>

// Which EXIF, TIFF and GPS tags and which IPTC datasets the properties show, and under
// what names. Anything not listed here is left out.
namespace vantrel::metadata {

// How a tag's stored value becomes a property value.
enum class TagKind {
    Auto,        // strings as text, single numbers as numbers, several as a list
    List,        // always a list of numbers
    Version,     // "0221" → [2, 2, 1]
    Orientation, // 1…8 only
    Coordinate,  // degrees, minutes, seconds → decimal degrees
    Time         // hours, minutes, seconds → "hh:mm:ss[.fff]"
};

struct TagName {
    std::uint16_t tag;
    const char* name;
    TagKind kind = TagKind::Auto;
};

struct IptcName {
    std::uint16_t dataset;
    const char* name;
    bool repeatable = false;
};

// Null for tags that are not shown.
const TagName* findTiffTag(std::uint16_t tag); // IFD0, shown under {TIFF}
const TagName* findExifTag(std::uint16_t tag); // Exif IFD, shown under {Exif}
const TagName* findGpsTag(std::uint16_t tag);  // GPS IFD, shown under {GPS}

// Null for datasets that are not shown. Application record (2:xx) only.
const IptcName* findIptcDataset(std::uint16_t dataset);

} // namespace vantrel::metadata
