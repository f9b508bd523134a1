#include "core/export/OutputNaming.h"

#include "core/imaging/PhotoFile.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vantrel {

namespace {

constexpr std::array<std::pair<OutputType, const char*>, 6> outputTypeTitles{{
    {OutputType::OriginalFileType, "Original File Type"},
    {OutputType::Jpg, "JPG"},
    {OutputType::Png, "PNG"},
    {OutputType::Tiff, "TIFF"},
    {OutputType::WebP, "WebP"},
    {OutputType::Avif, "AVIF"},
}};

// File names are bytes in no particular encoding, so only ASCII letters change case.
std::string asciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Where a file name's extension starts (the position of its dot), or npos. A dot that
// opens the name marks a hidden file, not an extension.
std::string::size_type extensionDot(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    return dot == 0 ? std::string::npos : dot;
}

// The encoder of each extension "Original File Type" writes in kind.
std::optional<Encoding> encodingOfExtension(const std::string& extension) {
    static const std::array<std::pair<const char*, Encoding>, 9> encodings{{
        {"png", Encoding::Png},
        {"jpg", Encoding::Jpeg},
        {"jpeg", Encoding::Jpeg},
        {"tif", Encoding::Tiff},
        {"tiff", Encoding::Tiff},
        {"webp", Encoding::WebP},
        {"heic", Encoding::Heic},
        {"heif", Encoding::Heic},
        {"avif", Encoding::Avif},
    }};
    const std::string lower = asciiLower(extension);
    for (const auto& [name, encoding] : encodings) {
        if (lower == name) {
            return encoding;
        }
    }
    return std::nullopt;
}

std::optional<std::string> passwdHome(const char* user) {
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0) {
        bufferSize = 16384;
    }
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
    passwd entry{};
    passwd* found = nullptr;
    for (;;) {
        const int error =
            user == nullptr ? ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)
                            : ::getpwnam_r(user, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1U << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || found == nullptr || entry.pw_dir == nullptr || *entry.pw_dir == '\0') {
            return std::nullopt;
        }
        return std::string(entry.pw_dir);
    }
}

std::optional<std::string> homeOf(const std::string& user) {
    if (user.empty()) {
        const char* home = std::getenv("HOME");
        if (home != nullptr && *home != '\0') {
            return std::string(home);
        }
        return passwdHome(nullptr);
    }
    return passwdHome(user.c_str());
}

// "~" and "~user" at the start, each optionally followed by "/..."; an unknown user or an
// unknown home leaves the text as it is.
std::string expandTilde(const std::string& path) {
    if (path.empty() || path.front() != '~') {
        return path;
    }
    const auto slash = path.find('/');
    const std::string user = path.substr(1, slash == std::string::npos ? slash : slash - 1);
    const std::optional<std::string> home = homeOf(user);
    if (!home) {
        return path;
    }
    return *home + (slash == std::string::npos ? std::string() : path.substr(slash));
}

} // namespace

std::optional<OutputType> outputTypeFromTitle(std::string_view title) {
    for (const auto& [type, text] : outputTypeTitles) {
        if (title == text) {
            return type;
        }
    }
    return std::nullopt;
}

const char* outputTypeTitle(OutputType type) {
    for (const auto& [known, text] : outputTypeTitles) {
        if (known == type) {
            return text;
        }
    }
    return "";
}

std::string numberFormatSerilized(long number, long photoCount) {
    // Digit count by integers: log10 near powers of ten is not trusted to be exact.
    std::size_t width = 0;
    for (long rest = photoCount; rest > 0; rest /= 10) {
        ++width;
    }
    std::string digits = std::to_string(number);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) {
        digits.erase(0, 1);
    }
    if (digits.size() < width) {
        digits.insert(0, width - digits.size(), '0');
    }
    return negative ? "-" + digits : digits;
}

std::string fileExtentionAtIndex(OutputType type, const std::string& imageTitle) {
    if (type != OutputType::OriginalFileType) {
        return asciiLower(outputTypeTitle(type));
    }
    const auto dot = imageTitle.rfind('.');
    const std::string last = dot == std::string::npos ? std::string() : imageTitle.substr(dot + 1);
    return encodingOfExtension(last) ? last : std::string("tiff");
}

Encoding encodingFor(OutputType type, const std::string& requestedPath) {
    switch (type) {
    case OutputType::Png:
        return Encoding::Png;
    case OutputType::Jpg:
        return Encoding::Jpeg;
    case OutputType::Tiff:
        return Encoding::Tiff;
    case OutputType::WebP:
        return Encoding::WebP;
    case OutputType::Avif:
        return Encoding::Avif;
    case OutputType::OriginalFileType:
        break;
    }
    // A dot in a folder name ("trip.jpeg/notes") must not pick the encoder.
    const std::string fileName = lastPathComponent(requestedPath);
    const auto dot = fileName.rfind('.');
    const std::string extension =
        dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    return encodingOfExtension(extension).value_or(Encoding::Tiff);
}

bool encodingHasQuality(Encoding encoding) {
    return encoding == Encoding::Jpeg || encoding == Encoding::WebP || encoding == Encoding::Heic ||
           encoding == Encoding::Avif;
}

std::string safeFileName(std::string name) {
    for (char& c : name) {
        if (c == '/' || c == '\0') {
            c = '_';
        }
    }
    return name;
}

std::string newNameOutputPath(const std::string& folder, const std::string& newName, long index,
                              long photoCount, const std::string& extension) {
    const std::string name = newName.empty() ? std::string("Image") : newName;
    return joinPath(folder, safeFileName(name + "_" + numberFormatSerilized(index + 1, photoCount) +
                                         "." + extension));
}

std::string nameWithoutExtension(const std::string& fileName) {
    const auto dot = extensionDot(fileName);
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

std::string sourceNameOutputPath(const std::string& folder, const std::string& imageTitle,
                                 const std::string& extension) {
    return joinPath(folder, safeFileName(nameWithoutExtension(imageTitle) + "." + extension));
}

std::string collisionCandidate(const std::string& requestedPath, int n) {
    const auto slash = requestedPath.rfind('/');
    const std::string::size_type nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = extensionDot(requestedPath.substr(nameStart));
    const std::string suffix = "-" + std::to_string(n);
    if (dot == std::string::npos) {
        return requestedPath + suffix;
    }
    std::string candidate = requestedPath;
    return candidate.insert(nameStart + dot, suffix);
}

std::string standardizePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    const std::string expanded = expandTilde(path);
    const bool absolute = expanded.front() == '/';
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= expanded.size()) {
        auto end = expanded.find('/', start);
        if (end == std::string::npos) {
            end = expanded.size();
        }
        std::string part = expanded.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (!absolute) {
                parts.push_back(std::move(part));
            }
            continue;
        }
        parts.push_back(std::move(part));
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        result += (i == 0 ? "" : "/") + parts[i];
    }
    return result.empty() ? std::string(".") : result;
}

std::string defaultExportFolderName(const QDate& today) {
    const QDate date = today.isValid() ? today : QDate::currentDate();
    return "Export_" + date.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
}

} // namespace vantrel
