#pragma once

#include <dirent.h>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

// An open folder and the names of its entries, read with readdir so that the order is
// the file system's own and every name keeps its raw bytes. The folder stays open so
// that its entries can be reached relative to it (openat, fstatat): that works however
// deep the tree is, where a joined path would grow past PATH_MAX.
class FolderListing {
public:
    // Opens the folder `name` relative to the folder descriptor `parent` (AT_FDCWD for
    // the working folder, or any descriptor when `name` is absolute). Never opens
    // anything but a folder, so a FIFO put in the folder's place cannot block us.
    FolderListing(int parent, const std::string& name);

    // Every entry but "." and "..", hidden ones included, in readdir order.
    const std::vector<std::string>& names() const { return mNames; }
    // The errno that stopped opening or reading the folder; 0 when it was read through.
    int error() const { return mError; }
    // The folder's descriptor for openat/fstatat; -1 when it could not be opened.
    int descriptor() const;

private:
    struct Closer {
        void operator()(DIR* folder) const { ::closedir(folder); }
    };
    std::unique_ptr<DIR, Closer> mFolder;
    std::vector<std::string> mNames;
    int mError = 0;
};

} // namespace vantrel
