#include "core/imaging/PhotoFile.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

bool isHeifBrand(std::string_view brand) {
    // Still images and sequences of HEVC (heic ...), of AV1 (avif, avis), and the generic
    // image brands a HEIF file may lead with.
    static constexpr std::array<std::string_view, 12> brands{"heic", "heix", "hevc", "hevx",
                                                             "heim", "heis", "hevm", "hevs",
                                                             "mif1", "msf1", "avif", "avis"};
    return std::find(brands.begin(), brands.end(), brand) != brands.end();
}

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
    std::array<unsigned char, 12> head{};
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
    if (got >= 8 && std::memcmp(head.data(), png.data(), png.size()) == 0) {
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
    const std::string_view text(reinterpret_cast<const char*>(head.data()),
                                static_cast<size_t>(std::max<ssize_t>(got, 0)));
    if (got == 12 && text.substr(0, 4) == "RIFF" && text.substr(8, 4) == "WEBP") {
        return PhotoContainer::Webp;
    }
    if (got == 12 && text.substr(4, 4) == "ftyp" && isHeifBrand(text.substr(8, 4))) {
        return PhotoContainer::Heif;
    }
    return PhotoContainer::Unknown;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

namespace {

// "//", "/./" and a "." name are the only spellings that can go without changing which
// file is meant.
bool isPlainAbsolute(std::string_view path) {
    if (path.empty() || path.front() != '/') {
        return false;
    }
    size_t start = 1;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name.empty() || name == "." || name == "..") {
            // A single trailing "/" is harmless; "/" alone is the root.
            if (!(name.empty() && end == path.size())) {
                return false;
            }
        }
        start = end + 1;
    }
    return true;
}

// The working folder as the shell that started us spells it: $PWD when it is a plain
// absolute path naming the same folder as ".", so that links on the way are kept.
std::string workingFolder() {
    // A stale $PWD (we changed folder since, or it was inherited from elsewhere) names
    // another folder and is not taken.
    const char* shell = std::getenv("PWD");
    struct stat here {};
    struct stat there {};
    if (shell != nullptr && isPlainAbsolute(shell) && ::stat(".", &here) == 0 &&
        ::stat(shell, &there) == 0 && there.st_dev == here.st_dev && there.st_ino == here.st_ino) {
        return shell;
    }
    std::string buffer(PATH_MAX, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

// Whether ".." after `path` can be settled by dropping path's last component: only where
// that component is a folder and no symbolic link, since "link/.." is the link target's
// parent. The parent of "/" is "/".
bool dropsLastComponent(std::string& path) {
    if (path == "/") {
        return true;
    }
    const size_t slash = path.rfind('/');
    const std::string_view last =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    struct stat status {};
    if (path.empty() || last == ".." || ::lstat(path.c_str(), &status) != 0 ||
        !S_ISDIR(status.st_mode)) {
        return false;
    }
    path.resize(slash == std::string::npos ? 0 : std::max<size_t>(slash, 1));
    return true;
}

} // namespace

std::string absolutePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::string joined = path;
    if (path.front() != '/') {
        const std::string folder = workingFolder();
        // getcwd can fail (the folder was removed); the relative path still opens.
        if (!folder.empty()) {
            joined = folder + "/" + path;
        }
    }
    std::string result = joined.front() == '/' ? "/" : "";
    size_t start = 0;
    while (start <= joined.size()) {
        const size_t end = std::min(joined.find('/', start), joined.size());
        const std::string_view name = std::string_view(joined).substr(start, end - start);
        if (name == ".." && dropsLastComponent(result)) {
            // "a/.." where a is a real folder: the folder holding a, as the kernel finds it.
        } else if (!name.empty() && name != ".") {
            if (!result.empty() && result.back() != '/') {
                result.push_back('/');
            }
            result.append(name);
        }
        start = end + 1;
    }
    if (result.empty()) {
        // Nothing but "." and "/" in a relative path: the working folder itself.
        return ".";
    }
    // "x.jpg/" names no file even where "x.jpg" does, so the trailing "/" must stay.
    const std::string_view given = path;
    const bool endsInFolder = given.ends_with('/') || given.ends_with("/.");
    if (endsInFolder && result.back() != '/') {
        result.push_back('/');
    }
    return result;
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
