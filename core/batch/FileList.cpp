#include "core/batch/FileList.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel {

std::vector<std::string> splitFileList(const std::string& bytes, bool nulSeparated) {
    const char separator = nulSeparated ? '\0' : '\n';
    std::vector<std::string> paths;
    std::string::size_type start = 0;
    while (start < bytes.size()) {
        auto end = bytes.find(separator, start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        if (end > start) {
            paths.push_back(bytes.substr(start, end - start));
        }
        start = end + 1;
    }
    return paths;
}

std::optional<std::vector<std::string>> readFileList(const std::string& file, bool nulSeparated,
                                                     QString* why) {
    const bool standardInput = file == "-";
    const int fd = standardInput ? STDIN_FILENO : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    std::string bytes;
    std::array<char, 65536> buffer{};
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got > 0) {
            bytes.append(buffer.data(), std::size_t(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    if (!standardInput) {
        ::close(fd);
    }
    if (error != 0) {
        *why = QString::fromLocal8Bit(std::strerror(error));
        return std::nullopt;
    }
    return splitFileList(bytes, nulSeparated);
}

} // namespace vantrel
