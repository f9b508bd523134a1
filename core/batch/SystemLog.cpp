#include "core/batch/SystemLog.h"

#include <QDebug>

namespace vantrel {

void systemLog(const QString& line) {
    qInfo().noquote() << line;
}

void systemLog(const QStringList& lines) {
    for (const QString& line : lines) {
        systemLog(line);
    }
}

} // namespace vantrel
