#pragma once

#include <QStringList>

class QMimeData;

namespace vantrel {

// The local files and folders a drag carries (file:// URLs), in the order given.
QStringList localFilePaths(const QMimeData* data);

} // namespace vantrel
