#include "core/export/ExiftoolRunner.h"

#include "core/batch/SystemLog.h"
#include "core/export/ChildProcess.h"
#include "core/export/PrivateTags.h"
#include "core/imaging/PhotoFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vantrel {

namespace {

using Clock = std::chrono::steady_clock;

// Given to -echo4 for every command, so exiftool ends each command's standard error with
// this line just before it writes "{ready<N>}" to standard output.
constexpr std::string_view kErrorsEnd = "{errors-end}";

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// exiftool must never see a file name that starts like an option ("-x.jpg").
std::optional<std::string> absoluteArgument(const std::string& path) {
    std::string absolute = absolutePath(path);
    if (absolute.front() != '/') {
        return std::nullopt;
    }
    return absolute;
}

// exiftool splits its argument file at line feeds and drops carriage returns at the end of
// a line. (Leading white space is dropped too, but absolute paths start with '/'.)
bool travelsThroughArgumentFile(const std::string& path) {
    return path.find_first_of("\n\r") == std::string::npos;
}

std::string extensionOf(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot > 10) {
        return {};
    }
    for (size_t i = dot + 1; i < name.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) {
            return {};
        }
    }
    return name.substr(dot);
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Where `line` stands as a whole, finished line in `text`.
size_t findLine(std::string_view text, std::string_view line) {
    for (size_t at = text.find(line); at != std::string_view::npos; at = text.find(line, at + 1)) {
        const size_t end = at + line.size();
        if ((at == 0 || text[at - 1] == '\n') && end < text.size() && text[end] == '\n') {
            return at;
        }
    }
    return std::string_view::npos;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

QString decoded(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// From exiftool's summary line "    1 image files updated".
int updatedFiles(std::string_view output) {
    for (const std::string_view line : linesOf(output)) {
        const std::string_view text = trimmed(line);
        const size_t digits = text.find_first_not_of("0123456789");
        if (digits > 0 && digits != std::string_view::npos &&
            text.substr(digits) == " image files updated") {
            return std::atoi(std::string(text.substr(0, digits)).c_str());
        }
    }
    return 0;
}

// What exiftool says when a tag named in one of our rewriting arguments is not in the
// source: that tag is then left alone, as it should be.
bool isAbsentTagWarning(std::string_view line) {
    return line.starts_with("Warning: [minor] Tag '") &&
           line.find("' not defined") != std::string_view::npos;
}

// exiftool's error messages, or failing those its warnings (say, a source whose tags could
// not be read). A line that does not start a message continues the one before: a file name
// with a line break in it.
QStringList messagesIn(std::string_view errors) {
    std::vector<std::string> messages;
    for (const std::string_view line : linesOf(errors)) {
        if (trimmed(line).empty() || line == kErrorsEnd || isAbsentTagWarning(line)) {
            continue;
        }
        if (messages.empty() || line.starts_with("Error:") || line.starts_with("Warning:")) {
            messages.emplace_back(line);
        } else {
            messages.back().append("\n").append(line);
        }
    }
    QStringList errorMessages;
    QStringList allMessages;
    for (const std::string& message : messages) {
        allMessages.append(decoded(message));
        if (message.starts_with("Error:")) {
            errorMessages.append(allMessages.last());
        }
    }
    return errorMessages.isEmpty() ? allMessages : errorMessages;
}

// Nothing when exiftool wrote the file, otherwise what it said about it.
std::optional<QString> failureIn(std::string_view output, std::string_view errors) {
    if (updatedFiles(output) > 0) {
        return std::nullopt;
    }
    QStringList said = messagesIn(errors);
    if (said.isEmpty()) {
        for (const std::string_view line : linesOf(output)) {
            if (!trimmed(line).empty()) {
                said.append(decoded(trimmed(line)));
            }
        }
    }
    if (said.isEmpty()) {
        return QStringLiteral("exiftool did not update the file");
    }
    return said.join(QStringLiteral("; "));
}

bool isPngTarget(const std::string& target) {
    QString extension = QString::fromStdString(extensionOf(target));
    return extension.compare(QStringLiteral(".png"), Qt::CaseInsensitive) == 0;
}

// The copy of every tag, less what describes the source's stored pixels. A rewrite of the
// form TAG<${TAG;$_=VALUE} happens only where the source has the tag.
std::vector<std::string> uprightArguments(const UprightOutput& output, bool png) {
    const std::string width = std::to_string(output.width);
    const std::string height = std::to_string(output.height);
    return {"-all",
            "--IFD1:all", // the EXIF thumbnail
            "--ImageWidth",
            "--ImageHeight",
            png ? "--Orientation" : "-Orientation#<${Orientation#;$_=1}",
            "-ExifImageWidth<${ExifImageWidth;$_=" + width + "}",
            "-ExifImageHeight<${ExifImageHeight;$_=" + height + "}",
            "-PixelXDimension<${PixelXDimension;$_=" + width + "}",
            "-PixelYDimension<${PixelYDimension;$_=" + height + "}"};
}

} // namespace

std::optional<std::string> locateExiftool(const std::string& executableFolder) {
    std::vector<std::string> candidates;
    if (!executableFolder.empty()) {
        candidates.push_back(executableFolder + "/exiftool");
        candidates.push_back(executableFolder + "/../share/vantrel/exiftool");
    }
    if (const char* searchPath = std::getenv("PATH")) {
        std::string_view folders(searchPath);
        while (!folders.empty()) {
            const size_t end = folders.find(':');
            const std::string_view folder = folders.substr(0, end);
            if (folder.starts_with('/')) {
                candidates.push_back(std::string(folder) + "/exiftool");
            }
            folders.remove_prefix(end == std::string_view::npos ? folders.size() : end + 1);
        }
    }
    for (const std::string& candidate : candidates) {
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

struct ExiftoolRunner::Answer {
    enum class Kind { Given, NotStarted, TimedOut, Ended };
    Kind kind = Kind::Given;
    std::string output;
    std::string errors;
};

ExiftoolRunner::ExiftoolRunner(std::string exiftoolPath, std::chrono::milliseconds timeout)
    : mExiftoolPath(std::move(exiftoolPath)), mTimeout(timeout) {}

ExiftoolRunner::~ExiftoolRunner() {
    stopStayOpenProcess();
}

ExiftoolRunner::ExiftoolRunner(ExiftoolRunner&&) noexcept = default;

std::optional<QString> ExiftoolRunner::transferTagsFrom(const std::string& source,
                                                        const std::string& target,
                                                        const std::optional<UprightOutput>& upright,
                                                        bool withoutPrivate) {
    try {
        const Clock::time_point deadline = Clock::now() + mTimeout;
        for (const std::string* path : {&source, &target}) {
            if (path->empty()) {
                return QStringLiteral("no file name was given");
            }
            if (path->find('\0') != std::string::npos) {
                return QStringLiteral("%1 is not a valid file name").arg(displayPath(*path));
            }
        }
        const std::optional<std::string> absoluteSource = absoluteArgument(source);
        const std::optional<std::string> absoluteTarget = absoluteArgument(target);
        if (!absoluteSource || !absoluteTarget) {
            return QStringLiteral("the current folder cannot be read");
        }

        std::string sourceArgument = *absoluteSource;
        std::optional<std::string> link;
        if (sourceArgument.find('%') != std::string::npos) {
            link = plainNameFor(sourceArgument);
            if (!link) {
                return QStringLiteral("%1 could not be handed to exiftool")
                    .arg(displayPath(source));
            }
            sourceArgument = *link;
        }

        std::vector<std::string> arguments{"-tagsFromFile", sourceArgument};
        if (upright) {
            const std::vector<std::string> rewrite =
                uprightArguments(*upright, isPngTarget(*absoluteTarget));
            arguments.insert(arguments.end(), rewrite.begin(), rewrite.end());
        }
        if (withoutPrivate) {
            if (!upright) {
                arguments.push_back("-all");
            }
            const std::vector<std::string> exclusions = privateTagExclusions();
            arguments.insert(arguments.end(), exclusions.begin(), exclusions.end());
        }
        arguments.insert(arguments.end(), {"-overwrite_original", *absoluteTarget});
        Answer answer = std::all_of(arguments.begin(), arguments.end(), travelsThroughArgumentFile)
                            ? askStayOpenProcess(arguments, deadline)
                            : askOwnProcess(arguments, deadline);
        if (link) {
            ::unlink(link->c_str());
            replaceAll(answer.errors, *link, *absoluteSource);
        }

        using Kind = Answer::Kind;
        if (answer.kind == Kind::TimedOut || answer.kind == Kind::Ended) {
            // exiftool writes the new file beside the target and renames it at the end.
            ::unlink((*absoluteTarget + "_exiftool_tmp").c_str());
        }
        switch (answer.kind) {
        case Kind::NotStarted:
            return QStringLiteral("exiftool could not be started");
        case Kind::TimedOut:
            return timeoutText();
        case Kind::Ended: {
            const QStringList said = messagesIn(answer.errors);
            return QStringLiteral("exiftool ended unexpectedly") +
                   (said.isEmpty() ? QString() : QStringLiteral(": ") + said.join("; "));
        }
        case Kind::Given:
            break;
        }
        return failureIn(answer.output, answer.errors);
    } catch (const std::exception& error) {
        return QStringLiteral("exiftool could not be run: %1").arg(QString::fromUtf8(error.what()));
    }
}

ExiftoolRunner::Answer ExiftoolRunner::askStayOpenProcess(const std::vector<std::string>& arguments,
                                                          Clock::time_point deadline) {
    using Kind = Answer::Kind;
    if (!stayOpenProcessRuns()) {
        mStayOpen.reset();
        mStayOpen = startExiftool(
            {"-stay_open", "True", "-@", "-", "-common_args", "-echo4", std::string(kErrorsEnd)},
            ChildProcess::Input::Pipe);
        if (!mStayOpen) {
            return {Kind::NotStarted, {}, {}};
        }
    }

    // The number comes back in "{ready<N>}", so an answer to an earlier command can never
    // pass for this one.
    const std::string number = std::to_string(++mCommandNumber);
    const std::string ready = "{ready" + number + "}";
    std::string& output = mStayOpen->output();
    std::string& errors = mStayOpen->errors();
    output.clear();
    errors.clear();
    std::string command;
    for (const std::string& argument : arguments) {
        command += argument + "\n";
    }
    command += "-execute" + number + "\n";

    ChildProcess::ReadResult result = ChildProcess::ReadResult::OutputClosed;
    if (mStayOpen->writeInput(command, deadline)) {
        result = mStayOpen->readUntil(
            [&] {
                return findLine(output, ready) != std::string::npos &&
                       findLine(errors, kErrorsEnd) != std::string::npos;
            },
            deadline);
    } else if (Clock::now() >= deadline) {
        result = ChildProcess::ReadResult::TimedOut;
    } else {
        // Gone before it took the command: collect its last words.
        mStayOpen->readUntil({}, std::min(deadline, Clock::now() + std::chrono::seconds(1)));
    }
    if (result == ChildProcess::ReadResult::Satisfied) {
        Answer answer{Kind::Given, output.substr(0, findLine(output, ready)),
                      errors.substr(0, findLine(errors, kErrorsEnd))};
        output.clear();
        errors.clear();
        return answer;
    }
    Answer answer{result == ChildProcess::ReadResult::TimedOut ? Kind::TimedOut : Kind::Ended,
                  output, errors};
    // Killed with everything it started; the next photo starts a fresh one.
    mStayOpen.reset();
    return answer;
}

ExiftoolRunner::Answer ExiftoolRunner::askOwnProcess(const std::vector<std::string>& arguments,
                                                     Clock::time_point deadline) {
    using Kind = Answer::Kind;
    const std::unique_ptr<ChildProcess> process =
        startExiftool(arguments, ChildProcess::Input::None);
    if (!process) {
        return {Kind::NotStarted, {}, {}};
    }
    if (process->readUntil({}, deadline) == ChildProcess::ReadResult::TimedOut ||
        !process->waitForEnd(deadline)) {
        process->kill();
        return {Kind::TimedOut, {}, {}};
    }
    return {Kind::Given, process->output(), process->errors()};
}

std::unique_ptr<ChildProcess>
ExiftoolRunner::startExiftool(const std::vector<std::string>& arguments,
                              ChildProcess::Input input) {
    std::string error;
    auto process = ChildProcess::start(mExiftoolPath, arguments, input, error);
    if (!process) {
        systemLog(QStringLiteral("exiftool could not be started: %1: %2")
                      .arg(displayPath(mExiftoolPath), QString::fromStdString(error)));
        return nullptr;
    }
    ++mStartedProcesses;
    return process;
}

bool ExiftoolRunner::stayOpenProcessRuns() {
    return mStayOpen && !mStayOpen->hasEnded();
}

void ExiftoolRunner::stopStayOpenProcess() {
    if (stayOpenProcessRuns()) {
        const Clock::time_point deadline =
            Clock::now() + std::min<std::chrono::milliseconds>(mTimeout, std::chrono::seconds(5));
        if (mStayOpen->writeInput("-stay_open\nFalse\n", deadline)) {
            mStayOpen->closeInput();
            // Reading on keeps exiftool from blocking on a full pipe while it finishes.
            mStayOpen->readUntil({}, deadline);
            mStayOpen->waitForEnd(deadline);
        }
    }
    mStayOpen.reset();
}

// exiftool expands "%d", "%f", "%e" and the like in a -tagsFromFile name into parts of the
// target's name, and has no escape for '%'. A source with '%' in its path is therefore
// handed over as a link with a plain name in a private folder.
std::optional<std::string> ExiftoolRunner::plainNameFor(const std::string& source) {
    if (!mLinkFolder) {
        mLinkFolder =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vantrel-XXXXXX"));
    }
    if (!mLinkFolder->isValid()) {
        return std::nullopt;
    }
    const std::string link =
        QFile::encodeName(mLinkFolder->path()).toStdString() + "/source" + extensionOf(source);
    ::unlink(link.c_str());
    if (link.find('%') != std::string::npos || ::symlink(source.c_str(), link.c_str()) != 0) {
        return std::nullopt;
    }
    return link;
}

QString ExiftoolRunner::timeoutText() const {
    return QStringLiteral("exiftool did not answer within %1 s")
        .arg(QString::number(static_cast<double>(mTimeout.count()) / 1000.0));
}

} // namespace vantrel
