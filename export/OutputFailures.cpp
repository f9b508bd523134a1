#include "export/OutputFailures.h"

#include <QStringList>
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

QString encodeFailure(const char* libvipsMessage) {
    const QStringList lines =
        QString::fromUtf8(libvipsMessage ? libvipsMessage : "").split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        const qsizetype colon = line.indexOf(QLatin1String(": "));
        if (colon > 0 && !line.left(colon).contains(QLatin1Char(' '))) {
            line = line.mid(colon + 2).trimmed();
        }
        // A saver adds this to any failure, whatever the cause.
        if (!line.isEmpty() && !line.startsWith(QLatin1String("unable to write to target"))) {
            return line;
        }
    }
    return QStringLiteral("the photo could not be encoded");
}

} // namespace vantrel
