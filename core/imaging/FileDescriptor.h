#pragma once

#include <unistd.h>
#include <utility>

namespace vantrel {

// Owns a descriptor from ::open and closes it however the scope is left; a negative one
// (a failed open) is held as it is, for the caller to test with get().
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : mFd(fd) {}
    ~FileDescriptor() {
        if (mFd >= 0) {
            ::close(mFd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    // Swaps, so that the descriptor held before is closed with the other one.
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(mFd, other.mFd);
        return *this;
    }
    int get() const { return mFd; }

private:
    int mFd;
};

} // namespace vantrel
