#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The paths of a list file, in its order: one per line, or separated by NUL bytes (as
// `find -print0` writes them, for names that hold line breaks). Empty entries are skipped;
// every other byte is kept, spaces included.
std::vector<std::string> splitFileList(const std::string& bytes, bool nulSeparated);

// Reads and splits the list in `file` ("-" is standard input). Nothing, with the system's
// reason in *why, when it cannot be read.
std::optional<std::vector<std::string>> readFileList(const std::string& file, bool nulSeparated,
                                                     QString* why);

} // namespace vantrel
