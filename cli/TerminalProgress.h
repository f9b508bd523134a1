#pragma once

#include <mutex>

namespace vantrel {

// A one-line progress bar on standard error, drawn only when that is a terminal.
class TerminalProgress {
public:
    TerminalProgress();
    void update(long done, long total);
    // Ends the bar's line so that what follows starts on a fresh one.
    void finish();

private:
    bool mEnabled;
    bool mDrawn = false;
    std::mutex mMutex;
};

} // namespace vantrel
