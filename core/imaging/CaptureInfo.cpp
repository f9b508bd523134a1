#include "core/imaging/CaptureInfo.h"

#include "core/imaging/ExifProperties.h"
#include "core/imaging/PhotoFile.h"

#include <sys/stat.h>

namespace vantrel {

namespace {

QDateTime exifDateTime(const QString& text) {
    // "YYYY:MM:DD HH:MM:SS"; cameras that do not know the time write spaces or zeros.
    QDateTime taken =
        QDateTime::fromString(text.trimmed().left(19), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    return taken.isValid() ? taken : QDateTime();
}

QDateTime modificationTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
}

} // namespace

CaptureInfo readCaptureInfo(const std::string& path) {
    CaptureInfo info;
    if (sniffPhotoContainer(path) != PhotoContainer::Unknown) {
        try {
            const metadata::MetadataGroups groups = metadata::readMetadataGroups(path);
            info.taken =
                exifDateTime(groups.exif.value(QStringLiteral("DateTimeOriginal")).toString());
            QString model = groups.tiff.value(QStringLiteral("Model")).toString();
            model.remove(QChar(0));
            info.camera = model.trimmed().toStdString();
        } catch (...) {
            // Damaged metadata: the file's own time stands in, and no camera is known.
        }
    }
    if (!info.taken.isValid()) {
        info.taken = modificationTime(path);
    }
    return info;
}

} // namespace vantrel
