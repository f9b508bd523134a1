#include "gui/browser/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

namespace vantrel {

QStringList localFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace vantrel
