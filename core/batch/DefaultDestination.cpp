#include "core/batch/DefaultDestination.h"

#include "core/batch/SystemLog.h"
#include "core/imaging/PhotoFile.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <sys/stat.h>

namespace vantrel {

std::string defaultDestinationPath() {
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty()) {
        pictures = QDir::homePath() + QStringLiteral("/Pictures");
    }
    return QFile::encodeName(pictures + QStringLiteral("/Vantrel")).toStdString();
}

bool createDefaultDestinationPathIfNeeded(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode) || (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
    }
    // The log texts are kept word for word, "crated" included: log readers match them.
    systemLog(QStringLiteral("Default Destination Path crated!"));
    if (!QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(path)))) {
        systemLog(QStringLiteral("Error: Create folder failed %1").arg(displayPath(path)));
        return false;
    }
    return true;
}

} // namespace vantrel
