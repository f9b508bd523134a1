#pragma once

#include <QDate>
#include <QString>
#include <string>

namespace vantrel {

struct ExportFolderResult {
    std::string path;
    bool created;
    QString failure; // why it could not be made, when created is false
};

// Makes a fresh folder named `folderName` in `destination` and returns its path. The
// destination is standardised (standardizePath) and, when relative, taken against the
// working directory; missing folders on the way are created. An empty folder name, or
// "." or "..", means defaultExportFolderName(today); "/" in it becomes "_", so the folder
// always lands directly in the destination. When anything (file, folder, dangling link)
// already has the name, "<name>-1", "<name>-2" ... are tried. Each try claims its name with
// mkdir(), so runs started at the same time never share a folder.
// On failure logs "Error: Create folder failed <path>" and returns created = false with the
// path it tried and the system's reason.
ExportFolderResult createExportFolder(const std::string& destination, const std::string& folderName,
                                      const QDate& today);

} // namespace vantrel
