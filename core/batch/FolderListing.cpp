#include "core/batch/FolderListing.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel {

FolderListing::FolderListing(int parent, const std::string& name) {
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        mError = errno;
        return;
    }
    mFolder.reset(::fdopendir(fd));
    if (!mFolder) {
        mError = errno;
        ::close(fd);
        return;
    }
    // readdir signals both the end and an error with null; only errno tells them apart.
    errno = 0;
    while (const dirent* entry = ::readdir(mFolder.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            mNames.emplace_back(entry->d_name);
        }
        errno = 0;
    }
    mError = errno;
}

int FolderListing::descriptor() const {
    return mFolder ? ::dirfd(mFolder.get()) : -1;
}

} // namespace vantrel
