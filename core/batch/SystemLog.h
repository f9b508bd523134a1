#pragma once

#include <QString>
#include <string>

namespace vantrel {

// One line in the system log. Every diagnostic of the core goes through here so that
// tests can capture the exact texts with a Qt message handler.
void systemLog(const QString& line);

// A file-system path as text for messages. Paths are kept as the raw bytes that the
// file system gave us; this is only for showing them.
QString displayPath(const std::string& path);

} // namespace vantrel
