#include "core/batch/ImportWalker.h"

#include "core/batch/FolderListing.h"
#include "core/batch/SystemLog.h"
#include "core/imaging/PhotoFile.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>

namespace vantrel {

namespace {

// The type is told by the name alone, anywhere in the path: the walk never opens files.
bool namesSupportedType(const std::string& path) {
    std::string lower = path;
    // Byte-wise so that names which are not valid UTF-8 pass through untouched.
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    static constexpr std::array<std::string_view, 9> extensions{
        ".jpg", ".jpeg", ".png", ".tiff", ".tif", ".heic", ".heif", ".avif", ".webp"};
    for (const std::string_view extension : extensions) {
        if (lower.find(extension) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The name a chosen folder is known by in a mirrored export: its last component as the
// user named it, or, for spellings without one ("/", ".", "..", "link/.."), the name of
// the folder they resolve to. Nothing when even that has none (the root).
std::string chosenFolderName(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    std::string name = lastPathComponent(trimmed);
    if (name.empty() || name == "." || name == ".." || name == "/") {
        name.clear();
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            name = lastPathComponent(resolved);
            std::free(resolved);
        }
    }
    return name == "/" || name == "." || name == ".." ? std::string() : name;
}

} // namespace

ImportWalker::ImportWalker(AppData& data, const std::atomic<bool>& modalSheetShouldEnd,
                           ProgressCallback progress)
    : mData(data), mModalSheetShouldEnd(modalSheetShouldEnd), mProgress(std::move(progress)) {}

void ImportWalker::reportProgress() const {
    if (mProgress) {
        mProgress(mAddingImagesCounter.load(), mNumberOfFilesToAdd.load());
    }
}

void ImportWalker::addImagesWithPaths(const std::vector<std::string>& paths) {
    mNumberOfFilesToAdd = static_cast<long>(paths.size());
    for (const std::string& path : paths) {
        if (shouldStop()) {
            break;
        }
        ++mAddingImagesCounter;
        reportProgress();
        addImagesWithPath(path, false);
    }
}

void ImportWalker::addImagesWithPath(const std::string& path, bool /*recursive*/) {
    mFolderChain.clear();
    // Opened as given, which still works where the absolute spelling would pass PATH_MAX.
    walkEntry(AT_FDCWD, path, absolutePath(path));
}

void ImportWalker::walkEntry(int parent, const std::string& name, const std::string& path) {
    if (shouldStop()) {
        return;
    }
    struct stat info {};
    if (::fstatat(parent, name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode)) {
        walkFolder(parent, name, path, info);
        return;
    }
    stagePhoto(path);
    ++mNumberOfFilesToAdd;
    ++mAddingImagesCounter;
    reportProgress();
}

void ImportWalker::walkFolder(int parent, const std::string& name, const std::string& path,
                              const struct stat& folder) {
    if (!mWalkedFolders.emplace(folder.st_dev, folder.st_ino).second) {
        systemLog(QStringLiteral("%1 is already walked!").arg(displayPath(path)));
        return;
    }
    // Entries of the folder remember it by its listed name; a chosen folder by the name the
    // user knows it by.
    const std::string folderName = mFolderChain.empty() && parent == AT_FDCWD
                                       ? chosenFolderName(path)
                                       : lastPathComponent(name);
    const bool named = !folderName.empty();
    if (named) {
        mFolderChain.push_back(folderName);
    }
    const FolderListing listing(parent, name);
    if (listing.error() != 0) {
        systemLog(QStringLiteral("Error: cannot read folder %1").arg(displayPath(path)));
    }
    const std::vector<std::string>& names = listing.names();
    mAddingImagesCounter = 0;
    mNumberOfFilesToAdd = static_cast<long>(names.size());
    reportProgress();
    for (const std::string& entry : names) {
        if (shouldStop()) {
            break;
        }
        ++mAddingImagesCounter;
        reportProgress();
        walkEntry(listing.descriptor(), entry, joinPath(path, entry));
    }
    if (named) {
        mFolderChain.pop_back();
    }
}

void ImportWalker::addAnImageWithPath(const std::string& path) {
    stagePhoto(absolutePath(path));
}

void ImportWalker::stagePhoto(const std::string& path) {
    const QString title = displayPath(lastPathComponent(path));
    if (!namesSupportedType(path)) {
        systemLog(QStringLiteral("%1 is not supported!").arg(title));
        return;
    }
    PathTable& paths = mData.pathsOfImportedImages();
    if (paths.contains(path)) {
        systemLog(QStringLiteral("%1 is already added!").arg(title));
        return;
    }
    auto image = std::make_unique<Image>(path);
    image->setFoundInFolders(mFolderChain);
    mData.importedImages().push_back(std::move(image));
    paths.emplace(path, path);
    // Staged all the same, so that it shows in the batch; but no later step can open it.
    if (path.size() >= PATH_MAX) {
        systemLog(QStringLiteral("Error: path too long to open %1").arg(displayPath(path)));
    }
}

void updateDatasource(AppData& data) {
    ImageList& current = data.currentImages();
    ImageList& imported = data.importedImages();
    current.reserve(current.size() + imported.size());
    for (std::unique_ptr<Image>& image : imported) {
        current.push_back(std::move(image));
    }
    imported.clear();
}

} // namespace vantrel
