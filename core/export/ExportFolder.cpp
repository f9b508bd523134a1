#include "core/export/ExportFolder.h"

#include "core/batch/SystemLog.h"
#include "core/export/OutputFailures.h"
#include "core/export/OutputNaming.h"
#include "core/imaging/PhotoFile.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantrel {

namespace {

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// mkdir -p for an absolute, standardised path. Another process creating the same folders
// at the same time is fine: EEXIST on a folder is success.
bool makeFolders(const std::string& path) {
    if (isDirectory(path)) {
        return true;
    }
    std::string::size_type slash = 0;
    while (slash != std::string::npos) {
        slash = path.find('/', slash + 1);
        const std::string prefix = path.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0777) != 0 && !(errno == EEXIST && isDirectory(prefix))) {
            if (errno == EEXIST) {
                errno = ENOTDIR; // a file is in the way of a folder
            }
            return false;
        }
    }
    return true;
}

std::string absoluteDestination(const std::string& destination) {
    const std::string standardized = standardizePath(destination);
    if (standardized.empty() || standardized.front() == '/') {
        return standardized;
    }
    std::vector<char> buffer(PATH_MAX);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return standardizePath(joinPath(buffer.data(), standardized));
}

std::string exportFolderName(const std::string& folderName, const QDate& today) {
    if (folderName.empty() || folderName == "." || folderName == "..") {
        return defaultExportFolderName(today);
    }
    return safeFileName(folderName);
}

ExportFolderResult failed(const std::string& path, const QString& why) {
    systemLog(QStringLiteral("Error: Create folder failed %1").arg(displayPath(path)));
    return {path, false, why};
}

} // namespace

ExportFolderResult createExportFolder(const std::string& destination, const std::string& folderName,
                                      const QDate& today) {
    const std::string name = exportFolderName(folderName, today);
    // No destination at all is a missing choice, not a wish to write into the working
    // directory.
    const std::string parent = absoluteDestination(destination);
    if (parent.empty()) {
        return failed(joinPath(destination, name),
                      QStringLiteral("no destination folder was chosen"));
    }
    const std::string base = joinPath(parent, name);
    if (!makeFolders(parent)) {
        return failed(base, folderFailure(errno));
    }
    std::string candidate = base;
    for (int n = 1;; ++n) {
        if (::mkdir(candidate.c_str(), 0777) == 0) {
            return {candidate, true, {}};
        }
        if (errno != EEXIST || n == INT_MAX) {
            return failed(candidate, folderFailure(errno));
        }
        candidate = base + "-" + std::to_string(n);
    }
}

} // namespace vantrel
