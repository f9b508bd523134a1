#pragma once

#include "core/batch/AppData.h"

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace vantrel {

// Walks the paths a user chose (files and whole folder trees) and stages every photo
// found in data.importedImages(), recording its path in data.pathsOfImportedImages().
//
// Runs on the opening thread; the GUI reads the two counters from its timer and ends the
// walk through the stop flag, which is looked at before every path and folder entry. A
// stopped walk keeps the photos it had staged.
//
// The walk only looks: it stats entries and lists folders but never opens a file, so a
// FIFO or device named like a photo cannot block it. Folders are reached relative to
// their parent's descriptor, so trees deeper than PATH_MAX are walked too, and names are
// kept as the raw bytes the file system gave.
class ImportWalker {
public:
    using ProgressCallback = std::function<void(long addingImagesCounter, long numberOfFilesToAdd)>;

    ImportWalker(AppData& data, const std::atomic<bool>& modalSheetShouldEnd,
                 ProgressCallback progress = {});

    // Walks each chosen path in turn.
    void addImagesWithPaths(const std::vector<std::string>& paths);
    // A folder (symbolic links followed) is walked depth first, its entries in readdir
    // order; anything else is offered to addAnImageWithPath. A folder's subfolders are
    // always walked: `recursive` is kept for callers but changes nothing.
    // `path` may be relative: photos are named by absolutePath() of it, so that their
    // type is told by the whole path and one file cannot enter twice under two spellings.
    void addImagesWithPath(const std::string& path, bool recursive);
    // Stages the photo at absolutePath(path) unless that names no supported type or is
    // already taken. The photo is staged whether or not it decodes.
    void addAnImageWithPath(const std::string& path);

    long numberOfFilesToAdd() const { return mNumberOfFilesToAdd.load(); }
    long addingImagesCounter() const { return mAddingImagesCounter.load(); }

private:
    bool shouldStop() const { return mModalSheetShouldEnd.load(); }
    void reportProgress() const;
    // `name` is opened relative to the folder descriptor `parent`; `path` is what the
    // photo and the messages are given.
    void walkEntry(int parent, const std::string& name, const std::string& path);
    void walkFolder(int parent, const std::string& name, const std::string& path,
                    const struct stat& folder);
    // addAnImageWithPath for a path that is absolute already.
    void stagePhoto(const std::string& path);

    AppData& mData;
    const std::atomic<bool>& mModalSheetShouldEnd;
    ProgressCallback mProgress;
    std::atomic<long> mNumberOfFilesToAdd{0};
    std::atomic<long> mAddingImagesCounter{0};
    // The names of the folders entered from the chosen path down to the entry being walked:
    // what a photo found there remembers as the folders it was found in.
    std::vector<std::string> mFolderChain;
    // (st_dev, st_ino) of every folder entered, so that links back up the tree or two
    // links to one folder cannot walk it twice.
    std::set<std::pair<dev_t, ino_t>> mWalkedFolders;
};

// Hands a finished import to the batch: the staged photos go to the end of
// currentImages in the order they were found, and the staging list is left empty.
void updateDatasource(AppData& data);

} // namespace vantrel
