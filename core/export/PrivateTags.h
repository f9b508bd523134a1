#pragma once

#include <string>
#include <vector>

namespace vantrel {

// exiftool arguments that leave out of a metadata copy what tells where a photo was taken and
// whose camera took it: every GPS tag, the IPTC and XMP place names, serial numbers, owner
// and creator names (Artist, Creator, By-line, OwnerName ...), and the makers' notes, whose
// contents (serial numbers, owner names, places) cannot be taken apart one by one. Camera
// make and model, lens, exposure and dates stay. They follow "-all" or another list of
// copied tags.
std::vector<std::string> privateTagExclusions();

} // namespace vantrel
