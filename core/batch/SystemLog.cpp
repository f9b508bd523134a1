#include "core/batch/SystemLog.h"

#include <QDebug>
#include <QFile>

namespace vantrel {

void systemLog(const QString& line) {
    qInfo().noquote() << line;
}

QString displayPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace vantrel
