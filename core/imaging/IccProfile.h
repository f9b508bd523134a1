#pragma once

#include <QString>
#include <cstddef>

namespace vantrel::metadata {

// The description of an ICC profile (v2 textDescriptionType or v4 multiLocalizedUnicode,
// preferring its en-US record), or an empty string when the profile has none or is
// malformed. Reads only within the size bytes at data.
QString iccDescription(const unsigned char* data, std::size_t size);

} // namespace vantrel::metadata
