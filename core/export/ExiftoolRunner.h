#pragma once

#include "core/export/ChildProcess.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTemporaryDir;

namespace vantrel {

// The exiftool to use: "exiftool" in the folder of the running program, then
// ../share/vantrel/exiftool from there (the installed data folder), then in each absolute
// folder of PATH. Only an executable regular file counts. Relative PATH entries are
// skipped: they would run whatever the current folder holds.
std::optional<std::string> locateExiftool(const std::string& executableFolder);

// What the tags copied onto an output must say when its pixels are the photo turned upright
// by its camera orientation, not the pixels its source stores: the orientation no longer
// turns anything, and sizes are the output's.
struct UprightOutput {
    int width = 0;
    int height = 0;
};

// Copies the metadata of each source photo onto the photo written from it, with
// `exiftool -tagsFromFile SOURCE -overwrite_original TARGET`. For an upright output the
// same call also sets a copied Orientation to 1 (a PNG, which had none, gets none), sets
// copied image sizes to the output's, and leaves out the EXIF thumbnail, which shows the
// stored pixels.
//
// Starting exiftool (Perl) takes longer than copying the tags, so one exiftool keeps running
// per runner (-stay_open) and is handed one photo after the other; it is started with the
// first photo and again after it had to be stopped. A runner is used by one thread at a
// time. Every call is bounded by the timeout; exiftool that does not answer in time is
// killed. Never throws.
class ExiftoolRunner {
public:
    explicit ExiftoolRunner(std::string exiftoolPath,
                            std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Asks exiftool to finish and kills it if it does not.
    ~ExiftoolRunner();
    ExiftoolRunner(ExiftoolRunner&&) noexcept;
    ExiftoolRunner(const ExiftoolRunner&) = delete;
    ExiftoolRunner& operator=(const ExiftoolRunner&) = delete;
    ExiftoolRunner& operator=(ExiftoolRunner&&) = delete;

    // Returns nothing when the tags were written into `target`, otherwise why not, in plain
    // words or as exiftool's own message. Relative paths are taken from the current folder.
    // The source is only read. withoutPrivate leaves out place and owner
    // (privateTagExclusions).
    std::optional<QString> transferTagsFrom(const std::string& source, const std::string& target,
                                            const std::optional<UprightOutput>& upright = {},
                                            bool withoutPrivate = false);

    // How many exiftool processes this runner has started so far.
    int startedProcesses() const { return mStartedProcesses; }

private:
    // Starts exiftool with the arguments, counts it, and logs a start that failed.
    std::unique_ptr<ChildProcess> startExiftool(const std::vector<std::string>& arguments,
                                                ChildProcess::Input input);
    struct Answer;
    Answer askStayOpenProcess(const std::vector<std::string>& arguments,
                              std::chrono::steady_clock::time_point deadline);
    Answer askOwnProcess(const std::vector<std::string>& arguments,
                         std::chrono::steady_clock::time_point deadline);
    bool stayOpenProcessRuns();
    void stopStayOpenProcess();
    std::optional<std::string> plainNameFor(const std::string& source);
    QString timeoutText() const;

    std::string mExiftoolPath;
    std::chrono::milliseconds mTimeout;
    std::unique_ptr<ChildProcess> mStayOpen;
    std::uint64_t mCommandNumber = 0;
    int mStartedProcesses = 0;
    std::unique_ptr<QTemporaryDir> mLinkFolder;
};

} // namespace vantrel
