#include "core/imaging/PhotoFile.h"

#include <QFile>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

PhotoContainer sniffPhotoContainer(const std::string& path) {
    if (!isRegularFile(path)) {
        return PhotoContainer::Unknown;
    }
    // O_NONBLOCK keeps a file swapped for a FIFO between stat and open from blocking us;
    // fstat then confirms what we actually opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return PhotoContainer::Unknown;
    }
    std::array<unsigned char, 8> head{};
    struct stat info {};
    ssize_t got = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        got = ::read(fd, head.data(), head.size());
    }
    ::close(fd);
    if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        return PhotoContainer::Jpeg;
    }
    static constexpr std::array<unsigned char, 8> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (got == 8 && std::memcmp(head.data(), png.data(), png.size()) == 0) {
        return PhotoContainer::Png;
    }
    // Classic TIFF carries 42 in its header, BigTIFF 43.
    const auto tiffMagic = [](unsigned char c) {
        return c == 42 || c == 43;
    };
    if (got >= 4 && ((head[0] == 'I' && head[1] == 'I' && tiffMagic(head[2]) && head[3] == 0) ||
                     (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && tiffMagic(head[3])))) {
        return PhotoContainer::Tiff;
    }
    return PhotoContainer::Unknown;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string lastPathComponent(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

QString displayPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace vantrel
