#pragma once

#include <string>

namespace vantrel {

// The user's pictures folder (XDG) followed by "/Vantrel".
std::string defaultDestinationPath();

// Creates the folder with its missing parents when nothing exists at the path yet, and says
// so in the log. Returns whether a folder is there afterwards.
bool createDefaultDestinationPathIfNeeded(const std::string& path);

} // namespace vantrel
