#pragma once

#include "core/export/EncoderOptions.h"
#include "core/export/OutputNaming.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vips/vips8>

namespace vantrel {

// An encoded photo in the export folder that has no final name yet.
//
// The file is written complete before anyone can see it under a photo's name: normally as
// an unnamed file (O_TMPFILE) that publish() links into place; when a program must open it
// by name first (exiftool), or the file system has no unnamed files, as a hidden
// ".unfinished.vantrel-XXXXXX.<ext>" beside the photos. Claiming a name never replaces
// anything, so several threads may encode and publish into one folder at once and each
// output gets a name of its own. An output that is destroyed unpublished leaves nothing
// behind (a process that is killed may leave a hidden named file).
//
// Failures return nothing and put the reason in plain words into *why (when given);
// nothing is thrown.
class PendingOutput {
public:
    // The n-th alternative name (n >= 1) for a requested path that is taken.
    using NameTry = std::function<std::string(const std::string& requestedPath, int n)>;

    // Renders and encodes the photo into a temporary file in exportFolder with the options
    // (a plain quality, 0..100, for the encodings that have one). extension (without the
    // dot) ends a named temporary file's name, as exiftool goes by it. Decoding happens
    // here, so a damaged photo fails here.
    static std::optional<PendingOutput> encode(const vips::VImage& photo,
                                               const std::string& exportFolder, Encoding encoding,
                                               const EncoderOptions& options,
                                               const std::string& extension, bool needsNamedFile,
                                               QString* why);

    // The same for a photo already encoded into `bytes` with `encoding`.
    static std::optional<PendingOutput> store(const std::string& bytes,
                                              const std::string& exportFolder, Encoding encoding,
                                              const std::string& extension, bool needsNamedFile,
                                              QString* why);

    PendingOutput(PendingOutput&& other) noexcept;
    PendingOutput& operator=(PendingOutput&& other) noexcept;
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    ~PendingOutput();

    // The temporary file while it has a name (always when needsNamedFile was asked for):
    // it may be edited in place until publish(). Empty for an unnamed file and once published.
    const std::string& path() const { return mPath; }

    // Gives the output the first free name of requestedPath, nameTry(requestedPath, 1),
    // nameTry(requestedPath, 2) ... (collisionCandidate when nameTry is empty) and returns
    // it. Once published the output is the caller's file; a failed publish may be retried.
    std::optional<std::string> publish(const std::string& requestedPath, const NameTry& nameTry,
                                       QString* why);

private:
    enum class Claim { Done, Taken, Failed };
    enum class NamingMode { HardLink, RenameNoReplace, Reservation };

    using Writing = std::function<void(const vips::VTarget&)>;

    PendingOutput(int descriptor, std::string path);
    static std::optional<PendingOutput> open(const std::string& exportFolder,
                                             const std::string& extension, bool needsNamedFile,
                                             QString* why);
    bool writeEncoded(const Writing& write, bool jpeg, QString* why);
    Claim claimUnnamed(const std::string& name, int& error);
    Claim claimNamed(const std::string& name, NamingMode& mode, int& error);
    void discard() noexcept;

    int mDescriptor = -1; // an unnamed file lives as long as this stays open
    std::string mPath;    // a named file
};

} // namespace vantrel
