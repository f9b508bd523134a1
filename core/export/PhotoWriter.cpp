#include "core/export/PhotoWriter.h"

#include "core/batch/SystemLog.h"
#include "core/export/DescriptorTarget.h"
#include "core/export/OutputFailures.h"
#include "core/export/PhotoEncoding.h"
#include "core/imaging/PhotoFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using vips::VImage;

namespace vantrel {

namespace {

// Enough for any batch; a name rule that keeps giving taken names must still end.
constexpr int kMaximumNameTries = 100000;

void explain(QString* why, const QString& reason) {
    if (why) {
        *why = reason;
    }
}

// The umask cannot be read without changing it, except through /proc.
mode_t processUmask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0) {
                return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
            }
        }
        return static_cast<mode_t>(022);
    }();
    return mask;
}

// Photos are readable by all, as the umask allows.
constexpr mode_t kPhotoMode = 0644;

struct TemporaryFile {
    int descriptor = -1;
    std::string path;
    int error = 0;
};

TemporaryFile openUnnamed(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kPhotoMode);
    return {descriptor, {}, descriptor < 0 ? errno : 0};
}

bool unnamedFilesUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Hidden, and with the real extension last: exiftool picks the format by it.
TemporaryFile openNamed(const std::string& folder, const std::string& extension) {
    std::string name = joinPath(folder, ".unfinished.vantrel-XXXXXX");
    int suffixLength = 0;
    if (!extension.empty()) {
        name += "." + extension;
        suffixLength = static_cast<int>(extension.size()) + 1;
    }
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    const int descriptor = ::mkostemps(pattern.data(), suffixLength, O_CLOEXEC);
    if (descriptor < 0) {
        return {-1, {}, errno};
    }
    TemporaryFile file{descriptor, std::string(pattern.data()), 0};
    if (::fchmod(descriptor, kPhotoMode & ~processUmask()) != 0) {
        systemLog(
            QStringLiteral("Could not make %1 readable to others").arg(displayPath(file.path)));
    }
    return file;
}

bool hardLinksUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

bool noReplaceRenameUnsupported(int error) {
    return error == EINVAL || error == EOPNOTSUPP || error == ENOSYS;
}

QString publishFailure(int error) {
    if (error == EXDEV) {
        return QStringLiteral("the file name is on another file system than the export folder");
    }
    return writeFailure(error);
}

void removeTemporaryName(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        systemLog(QStringLiteral("Could not remove the temporary file %1").arg(displayPath(path)));
    }
}

// A close that fails with anything but EINTR (after which the descriptor is gone and the
// data written) may have lost written data: on network file systems, delayed write errors
// show here.
bool closedCleanly(int descriptor) {
    return ::close(descriptor) == 0 || errno == EINTR;
}

bool usableExtension(const std::string& extension, QString* why) {
    if (extension.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        explain(
            why,
            QStringLiteral("the file extension \"%1\" cannot be used").arg(displayPath(extension)));
        return false;
    }
    return true;
}

bool usableFolder(const std::string& exportFolder, QString* why) {
    if (exportFolder.empty()) {
        explain(why, writeFailure(ENOENT));
        return false;
    }
    return true;
}

} // namespace

PendingOutput::PendingOutput(int descriptor, std::string path)
    : mDescriptor(descriptor), mPath(std::move(path)) {}

PendingOutput::PendingOutput(PendingOutput&& other) noexcept
    : mDescriptor(std::exchange(other.mDescriptor, -1)), mPath(std::exchange(other.mPath, {})) {}

PendingOutput& PendingOutput::operator=(PendingOutput&& other) noexcept {
    if (this != &other) {
        discard();
        mDescriptor = std::exchange(other.mDescriptor, -1);
        mPath = std::exchange(other.mPath, {});
    }
    return *this;
}

PendingOutput::~PendingOutput() {
    discard();
}

void PendingOutput::discard() noexcept {
    if (mDescriptor >= 0) {
        ::close(std::exchange(mDescriptor, -1));
    }
    if (!mPath.empty()) {
        removeTemporaryName(mPath);
        mPath.clear();
    }
}

std::optional<PendingOutput> PendingOutput::open(const std::string& exportFolder,
                                                 const std::string& extension, bool needsNamedFile,
                                                 QString* why) {
    if (!usableExtension(extension, why) || !usableFolder(exportFolder, why)) {
        return std::nullopt;
    }
    std::string suffix = extension;
    suffix.erase(0, suffix.find_first_not_of('.'));
    TemporaryFile file =
        needsNamedFile ? openNamed(exportFolder, suffix) : openUnnamed(exportFolder);
    if (!needsNamedFile && file.descriptor < 0 && unnamedFilesUnsupported(file.error)) {
        file = openNamed(exportFolder, suffix);
    }
    if (file.descriptor < 0) {
        explain(why, writeFailure(file.error));
        return std::nullopt;
    }
    return PendingOutput(file.descriptor, std::move(file.path));
}

std::optional<PendingOutput> PendingOutput::encode(const VImage& photo,
                                                   const std::string& exportFolder,
                                                   Encoding encoding, const EncoderOptions& options,
                                                   const std::string& extension,
                                                   bool needsNamedFile, QString* why) {
    try {
        // The extension and the folder are checked before the photo.
        if (!usableExtension(extension, why) || !usableFolder(exportFolder, why)) {
            return std::nullopt;
        }
        const VImage prepared = prepareForEncoding(photo, encoding);
        std::optional<PendingOutput> output = open(exportFolder, extension, needsNamedFile, why);
        if (!output) {
            return std::nullopt;
        }
        const auto write = [&](const vips::VTarget& target) {
            encodePhoto(prepared, encoding, options, target);
        };
        if (!output->writeEncoded(write, encoding == Encoding::Jpeg, why)) {
            return std::nullopt;
        }
        return output;
    } catch (const vips::VError& failure) {
        explain(why, decodeFailure());
        vips_error_clear();
    } catch (const std::bad_alloc&) {
        explain(why, QStringLiteral("not enough memory"));
    } catch (const std::exception& failure) {
        explain(why, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        explain(why, decodeFailure());
    }
    return std::nullopt;
}

std::optional<PendingOutput> PendingOutput::store(const std::string& bytes,
                                                  const std::string& exportFolder,
                                                  Encoding encoding, const std::string& extension,
                                                  bool needsNamedFile, QString* why) {
    try {
        std::optional<PendingOutput> output = open(exportFolder, extension, needsNamedFile, why);
        if (!output) {
            return std::nullopt;
        }
        const auto write = [&](const vips::VTarget& target) {
            if (vips_target_write(target.get_target(), bytes.data(), bytes.size()) != 0 ||
                vips_target_end(target.get_target()) != 0) {
                throw vips::VError();
            }
        };
        if (!output->writeEncoded(write, encoding == Encoding::Jpeg, why)) {
            return std::nullopt;
        }
        return output;
    } catch (const std::bad_alloc&) {
        explain(why, QStringLiteral("not enough memory"));
    } catch (const std::exception& failure) {
        explain(why, QString::fromLocal8Bit(failure.what()));
    }
    return std::nullopt;
}

bool PendingOutput::writeEncoded(const Writing& write, bool jpeg, QString* why) {
    int writeError = 0;
    {
        DescriptorTarget target(mDescriptor, jpeg);
        // libvips collects error texts in one buffer for the whole process; what is in it now
        // belongs to failures that were already reported.
        vips_error_clear();
        try {
            write(target.target());
        } catch (const vips::VError& failure) {
            explain(why,
                    target.writeError() != 0 ? writeFailure(target.writeError()) : decodeFailure());
            vips_error_clear();
            return false;
        }
        writeError = target.writeError();
    }
    if (writeError != 0) {
        explain(why, writeFailure(writeError));
        return false;
    }
    // A named file is opened by name from here on (and exiftool replaces it with a new file),
    // so the descriptor has done its work.
    if (!mPath.empty() && !closedCleanly(std::exchange(mDescriptor, -1))) {
        explain(why, writeFailure(errno));
        return false;
    }
    return true;
}

std::optional<std::string> PendingOutput::publish(const std::string& requestedPath,
                                                  const NameTry& nameTry, QString* why) {
    try {
        if (mDescriptor < 0 && mPath.empty()) {
            explain(why, QStringLiteral("the photo has already been saved"));
            return std::nullopt;
        }
        if (requestedPath.empty()) {
            explain(why, QStringLiteral("no file name was given"));
            return std::nullopt;
        }
        NamingMode mode = NamingMode::HardLink;
        for (int n = 0; n <= kMaximumNameTries; ++n) {
            const std::string name = n == 0    ? requestedPath
                                     : nameTry ? nameTry(requestedPath, n)
                                               : collisionCandidate(requestedPath, n);
            int error = 0;
            const Claim claim =
                mDescriptor >= 0 ? claimUnnamed(name, error) : claimNamed(name, mode, error);
            if (claim == Claim::Done) {
                return name;
            }
            if (claim == Claim::Failed) {
                explain(why, publishFailure(error));
                return std::nullopt;
            }
        }
        explain(why, QStringLiteral("no free file name for %1").arg(displayPath(requestedPath)));
    } catch (const std::bad_alloc&) {
        explain(why, QStringLiteral("not enough memory"));
    } catch (const std::exception& failure) {
        explain(why, QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        explain(why, QStringLiteral("the photo could not be saved"));
    }
    return std::nullopt;
}

// linkat() gives the unnamed file its name only if the name is free: the claim is atomic
// and exclusive, and nothing is ever replaced.
PendingOutput::Claim PendingOutput::claimUnnamed(const std::string& name, int& error) {
    const std::string self = "/proc/self/fd/" + std::to_string(mDescriptor);
    int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    if (linked != 0 && errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
        // Without /proc; this needs CAP_DAC_READ_SEARCH, but it is the only other way.
        linked = ::linkat(mDescriptor, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
    }
    if (linked != 0) {
        if (errno == EEXIST) {
            return Claim::Taken;
        }
        error = errno;
        return Claim::Failed;
    }
    if (!closedCleanly(std::exchange(mDescriptor, -1))) {
        error = errno;
        ::unlink(name.c_str());
        return Claim::Failed;
    }
    return Claim::Done;
}

// A hard link claims a free name like linkat() does. File systems without hard links
// (FAT, some network and FUSE ones) take an exclusive rename instead; where even that is
// missing, the name is reserved with an empty file made by O_EXCL and then replaced by the
// output, so a crash at that moment can leave an empty file, but never someone else's is
// replaced.
PendingOutput::Claim PendingOutput::claimNamed(const std::string& name, NamingMode& mode,
                                               int& error) {
    if (mode == NamingMode::HardLink) {
        if (::link(mPath.c_str(), name.c_str()) == 0) {
            removeTemporaryName(std::exchange(mPath, {}));
            return Claim::Done;
        }
        if (errno == EEXIST) {
            return Claim::Taken;
        }
        if (!hardLinksUnsupported(errno)) {
            error = errno;
            return Claim::Failed;
        }
        mode = NamingMode::RenameNoReplace;
    }
    if (mode == NamingMode::RenameNoReplace) {
        if (::renameat2(AT_FDCWD, mPath.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
            mPath.clear();
            return Claim::Done;
        }
        if (errno == EEXIST) {
            return Claim::Taken;
        }
        if (!noReplaceRenameUnsupported(errno)) {
            error = errno;
            return Claim::Failed;
        }
        mode = NamingMode::Reservation;
    }
    const int reserved =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPhotoMode);
    if (reserved < 0) {
        if (errno == EEXIST) {
            return Claim::Taken;
        }
        error = errno;
        return Claim::Failed;
    }
    ::close(reserved);
    if (::rename(mPath.c_str(), name.c_str()) != 0) {
        error = errno;
        ::unlink(name.c_str());
        return Claim::Failed;
    }
    mPath.clear();
    return Claim::Done;
}

} // namespace vantrel
