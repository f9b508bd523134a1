#include "core/export/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

namespace vantrel {

namespace {

// Owns one file descriptor until it is handed on.
struct OwnedFd {
    int fd = -1;
    OwnedFd() = default;
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    ~OwnedFd() { reset(); }
    void reset() {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = -1;
    }
    int release() { return std::exchange(fd, -1); }
};

// Our descriptors must not land on 0, 1 or 2 (possible when the desktop started us with
// those closed), or the child's dup2() calls would overwrite one with another.
int keepAboveStandardStreams(int fd) {
    if (fd < 0 || fd > 2) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

bool makePipe(OwnedFd& readEnd, OwnedFd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    readEnd.fd = keepAboveStandardStreams(fds[0]);
    writeEnd.fd = keepAboveStandardStreams(fds[1]);
    return readEnd.fd >= 0 && writeEnd.fd >= 0;
}

// A socket rather than a pipe for the child's input: send() with MSG_NOSIGNAL reports a
// vanished reader as an error instead of killing us with SIGPIPE.
bool makeInputSocket(OwnedFd& ours, OwnedFd& theirs) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        return false;
    }
    ours.fd = keepAboveStandardStreams(fds[0]);
    theirs.fd = keepAboveStandardStreams(fds[1]);
    return ours.fd >= 0 && theirs.fd >= 0;
}

void setNonBlocking(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

std::string errnoText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

int millisecondsUntil(Deadline deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
}

// Runs in the forked child, so only async-signal-safe calls: the parent has other threads
// that may hold locks (malloc's among them) at the moment of the fork.
[[noreturn]] void becomeProgram(const char* program, char* const* argv, pid_t parent, int input,
                                int output, int errors, int status) {
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) {
        ::_exit(127);
    }
    sigset_t none;
    sigemptyset(&none);
    ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &defaults, nullptr);
    if (::dup2(input, 0) >= 0 && ::dup2(output, 1) >= 0 && ::dup2(errors, 2) >= 0) {
        // Descriptors other libraries opened without O_CLOEXEC are not the program's business.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        ::execv(program, argv);
    }
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(status, &error, sizeof error);
    ::_exit(127);
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::string& program,
                                                  const std::vector<std::string>& arguments,
                                                  Input input, std::string& error) {
    std::vector<std::string> argvStrings;
    argvStrings.reserve(arguments.size() + 1);
    argvStrings.push_back(program);
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argvStrings) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    OwnedFd inputOurs, inputTheirs, outputOurs, outputTheirs, errorsOurs, errorsTheirs, statusOurs,
        statusTheirs;
    bool ready = makePipe(outputOurs, outputTheirs) && makePipe(errorsOurs, errorsTheirs) &&
                 makePipe(statusOurs, statusTheirs);
    if (ready && input == Input::Pipe) {
        ready = makeInputSocket(inputOurs, inputTheirs);
    } else if (ready) {
        inputTheirs.fd = keepAboveStandardStreams(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        ready = inputTheirs.fd >= 0;
    }
    if (!ready) {
        error = errnoText(errno);
        return nullptr;
    }

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = errnoText(errno);
        return nullptr;
    }
    if (pid == 0) {
        becomeProgram(program.c_str(), argv.data(), parent, inputTheirs.fd, outputTheirs.fd,
                      errorsTheirs.fd, statusTheirs.fd);
    }
    // Also from this side, so that killing the group works even before the child got to it.
    ::setpgid(pid, pid);
    inputTheirs.reset();
    outputTheirs.reset();
    errorsTheirs.reset();
    statusTheirs.reset();

    // The status pipe closes on a successful exec; a failed one sends its errno first.
    int childError = 0;
    ssize_t got = 0;
    do {
        got = ::read(statusOurs.fd, &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        ::waitpid(pid, nullptr, 0);
        error = errnoText(childError);
        return nullptr;
    }

    std::unique_ptr<ChildProcess> process(new ChildProcess());
    process->mPid = pid;
    process->mInputFd = inputOurs.release();
    process->mOutputFd = outputOurs.release();
    process->mErrorFd = errorsOurs.release();
    for (const int fd : {process->mInputFd, process->mOutputFd, process->mErrorFd}) {
        if (fd >= 0) {
            setNonBlocking(fd);
        }
    }
    return process;
}

ChildProcess::~ChildProcess() {
    kill();
    for (int* fd : {&mInputFd, &mOutputFd, &mErrorFd}) {
        if (*fd >= 0) {
            ::close(*fd);
        }
    }
}

bool ChildProcess::writeInput(std::string_view bytes, Deadline deadline) {
    while (!bytes.empty()) {
        if (mInputFd < 0) {
            return false;
        }
        const ssize_t sent = ::send(mInputFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        pollfd writable{mInputFd, POLLOUT, 0};
        ::poll(&writable, 1, millisecondsUntil(deadline));
    }
    return true;
}

void ChildProcess::closeInput() {
    if (mInputFd >= 0) {
        ::close(mInputFd);
        mInputFd = -1;
    }
}

void ChildProcess::drain(int& fd, std::string& into) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, static_cast<size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        } else {
            ::close(fd);
            fd = -1;
            return;
        }
    }
}

ChildProcess::ReadResult ChildProcess::readUntil(const std::function<bool()>& satisfied,
                                                 Deadline deadline) {
    for (;;) {
        if (satisfied && satisfied()) {
            return ReadResult::Satisfied;
        }
        if (mOutputFd < 0 && mErrorFd < 0) {
            return ReadResult::OutputClosed;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return ReadResult::TimedOut;
        }
        pollfd readable[2];
        nfds_t count = 0;
        for (const int fd : {mOutputFd, mErrorFd}) {
            if (fd >= 0) {
                readable[count++] = pollfd{fd, POLLIN, 0};
            }
        }
        if (::poll(readable, count, millisecondsUntil(deadline)) < 0 && errno != EINTR) {
            return ReadResult::OutputClosed;
        }
        if (mOutputFd >= 0) {
            drain(mOutputFd, mOutput);
        }
        if (mErrorFd >= 0) {
            drain(mErrorFd, mErrors);
        }
    }
}

bool ChildProcess::hasEnded() {
    if (mReaped) {
        return true;
    }
    const pid_t result = ::waitpid(mPid, nullptr, WNOHANG);
    if (result == 0) {
        return false;
    }
    if (result < 0 && errno == EINTR) {
        return false;
    }
    // Reaped now, or (ECHILD) by somebody else.
    mReaped = true;
    return true;
}

bool ChildProcess::waitForEnd(Deadline deadline) {
    while (!hasEnded()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(5), deadline - std::chrono::steady_clock::now()));
    }
    return true;
}

void ChildProcess::kill() {
    if (mReaped) {
        return;
    }
    ::kill(-mPid, SIGKILL);
    ::kill(mPid, SIGKILL);
    if (waitForEnd(std::chrono::steady_clock::now() + std::chrono::seconds(2))) {
        return;
    }
    // Stuck in the kernel (a dead network share, say): let it be reaped whenever it ends
    // rather than hold up the photo.
    try {
        std::thread([pid = mPid] { ::waitpid(pid, nullptr, 0); }).detach();
    } catch (const std::system_error&) {
    }
    mReaped = true;
}

} // namespace vantrel
