#include "core/batch/SystemLog.h"

#include <QDebug>

namespace vantrel {

void systemLog(const QString& line) {
    qInfo().noquote() << line;
}

} // namespace vantrel
