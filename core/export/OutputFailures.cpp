#include "core/export/OutputFailures.h"

#include <cerrno>
#include <cstring>

namespace vantrel {

namespace {

// The system's own words in English like the rest of the message, whatever the locale,
// and safe from any thread (unlike strerror).
QString errorDescription(int error) {
    const char* description = strerrordesc_np(error);
    return description ? QString::fromUtf8(description) : QStringLiteral("error %1").arg(error);
}

} // namespace

QString writeFailure(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("disk full");
    case EDQUOT:
        return QStringLiteral("disk quota exceeded");
    default:
        return QStringLiteral("cannot write to the export folder: ") + errorDescription(error);
    }
}

QString folderFailure(int error) {
    return errorDescription(error);
}

QString decodeFailure() {
    return QStringLiteral("the photo is damaged or cannot be decoded");
}

} // namespace vantrel
