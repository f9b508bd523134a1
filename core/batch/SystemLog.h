#pragma once

#include <QString>

namespace vantrel {

// One line in the system log. Every diagnostic of the core goes through here so that
// tests can capture the exact texts with a Qt message handler.
void systemLog(const QString& line);

} // namespace vantrel
