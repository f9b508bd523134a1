#include "cli/TerminalProgress.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace vantrel {

TerminalProgress::TerminalProgress() : mEnabled(::isatty(STDERR_FILENO) == 1) {}

void TerminalProgress::update(long done, long total) {
    if (!mEnabled || total <= 0) {
        return;
    }
    std::lock_guard lock(mMutex);
    constexpr int width = 30;
    const int filled = int(width * done / total);
    const std::string bar =
        std::string(size_t(filled), '#') + std::string(size_t(width - filled), '-');
    std::fprintf(stderr, "\r[%s] %ld/%ld", bar.c_str(), done, total);
    std::fflush(stderr);
    mDrawn = true;
}

void TerminalProgress::finish() {
    std::lock_guard lock(mMutex);
    if (mDrawn) {
        std::fputc('\n', stderr);
        mDrawn = false;
    }
}

} // namespace vantrel
