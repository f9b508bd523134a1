#include "core/export/OutputFolders.h"

#include "core/export/OutputFailures.h"
#include "core/export/OutputNaming.h"
#include "core/imaging/FileDescriptor.h"
#include "core/imaging/PhotoFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace vantrel {

namespace {

std::string safeFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return "_";
    }
    return safeFileName(name);
}

} // namespace

std::string mirroredFolderPath(const std::string& exportFolder,
                               const std::vector<std::string>& folders) {
    std::string path = exportFolder;
    for (const std::string& folder : folders) {
        path = joinPath(path, safeFolderName(folder));
    }
    return path;
}

OutputFolders::OutputFolders(std::string exportFolder) : mExportFolder(std::move(exportFolder)) {}

std::optional<std::string> OutputFolders::make(const std::vector<std::string>& folders,
                                               QString* why) {
    if (folders.empty()) {
        return mExportFolder;
    }
    if (const auto made = mMade.find(folders); made != mMade.end()) {
        return made->second;
    }
    FileDescriptor current(::open(mExportFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (current.get() < 0) {
        *why = QStringLiteral("the export folder cannot be opened: %1").arg(folderFailure(errno));
        return std::nullopt;
    }
    std::string path = mExportFolder;
    for (const std::string& folder : folders) {
        const std::string name = safeFolderName(folder);
        path = joinPath(path, name);
        const auto cannotMake = [&why, &path](const QString& reason) {
            *why =
                QStringLiteral("the folder %1 cannot be made: %2").arg(displayPath(path), reason);
            return std::nullopt;
        };
        if (::mkdirat(current.get(), name.c_str(), 0777) != 0 && errno != EEXIST) {
            return cannotMake(folderFailure(errno));
        }
        FileDescriptor next(
            ::openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.get() < 0) {
            const int error = errno;
            struct stat entry {};
            if (::fstatat(current.get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0) {
                if (S_ISLNK(entry.st_mode)) {
                    return cannotMake(QStringLiteral("a link is in its place"));
                }
                if (!S_ISDIR(entry.st_mode)) {
                    return cannotMake(QStringLiteral("a file is in its place"));
                }
            }
            return cannotMake(folderFailure(error));
        }
        current = std::move(next);
    }
    mMade.emplace(folders, path);
    return path;
}

} // namespace vantrel
