#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vantrel {

using Deadline = std::chrono::steady_clock::time_point;

// A helper program run without a shell. Its program path and arguments are handed over as
// the raw bytes we hold (QProcess would pass them through QString, which loses file names
// that are not valid UTF-8). Standard output and error are collected through pipes.
//
// The program and whatever it starts form a process group of their own, so kill() ends all
// of it. The program is also killed by the kernel when the thread that started it ends, so
// a crash of ours does not leave it behind (exiftool -stay_open would otherwise poll its
// closed input forever). Used by one thread at a time.
class ChildProcess {
public:
    enum class Input { None, Pipe };
    enum class ReadResult { Satisfied, TimedOut, OutputClosed };

    // Returns nothing and says why in `error` when the program cannot be started.
    static std::unique_ptr<ChildProcess> start(const std::string& program,
                                               const std::vector<std::string>& arguments,
                                               Input input, std::string& error);
    // Kills what still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the program does not take all the bytes before the deadline or has gone.
    bool writeInput(std::string_view bytes, Deadline deadline);
    void closeInput();

    // Collects standard output and error until `satisfied()` holds (checked after every
    // read), the deadline passes, or the program has closed both.
    ReadResult readUntil(const std::function<bool()>& satisfied, Deadline deadline);
    std::string& output() { return mOutput; }
    std::string& errors() { return mErrors; }

    // Without waiting.
    bool hasEnded();
    bool waitForEnd(Deadline deadline);
    void kill();

private:
    ChildProcess() = default;
    void drain(int& fd, std::string& into);

    pid_t mPid = -1;
    bool mReaped = false;
    int mInputFd = -1;
    int mOutputFd = -1;
    int mErrorFd = -1;
    std::string mOutput;
    std::string mErrors;
};

} // namespace vantrel
