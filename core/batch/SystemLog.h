#pragma once

#include <QString>
#include <QStringList>

namespace vantrel {

// One line in the system log. Every diagnostic of the core goes through here so that
// tests can capture the exact texts with a Qt message handler.
void systemLog(const QString& line);
// Several lines, in order (what a pipeline run had to say, for one).
void systemLog(const QStringList& lines);

} // namespace vantrel
