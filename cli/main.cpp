// vantrel-batch: the headless front end of the same core as the window.

#include "cli/BatchOptions.h"
#include "cli/PresetOptions.h"
#include "cli/TerminalProgress.h"
#include "core/batch/AppData.h"
#include "core/batch/DefaultDestination.h"
#include "core/batch/FileList.h"
#include "core/batch/ImportWalker.h"
#include "core/batch/PresetStore.h"
#include "core/batch/ProcessingErrors.h"
#include "core/batch/SystemLog.h"
#include "core/export/BatchExporter.h"
#include "core/export/ExiftoolRunner.h"
#include "core/imaging/ImagingRuntime.h"
#include "core/imaging/OrientationChoice.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <cstdio>

using namespace vantrel;

namespace {

enum ExitStatus { Success = 0, ErrorReport = 1, BadArguments = 2, Stopped = 130 };

std::atomic<bool> stopRequested{false};

// Ctrl-C acts as the stop button: photos under way finish, no new one starts. A second
// Ctrl-C ends the program at once.
void onInterrupt(int) {
    stopRequested = true;
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    initImaging(argv[0]);

    const BatchOptionsResult parsed =
        parseBatchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "vantrel-batch: %s\n", qPrintable(parsed.error));
        return BadArguments;
    }
    BatchOptions options = *parsed.options;
    if (options.showHelp) {
        std::fputs(batchUsage(), stdout);
        return Success;
    }
    if (options.showVersion) {
        std::printf("vantrel-batch %s\n", VANTREL_VERSION);
        return Success;
    }
    if (options.filesFrom) {
        QString why;
        const auto listed = readFileList(*options.filesFrom, options.nulSeparated, &why);
        if (!listed) {
            std::fprintf(stderr, "vantrel-batch: --files-from: cannot read %s: %s\n",
                         options.filesFrom->c_str(), qPrintable(why));
            return BadArguments;
        }
        options.paths.insert(options.paths.end(), listed->begin(), listed->end());
    }
    for (const QString& warning : options.warnings)
        std::fprintf(stderr, "vantrel-batch: warning: %s\n", qPrintable(warning));
    if (options.listPresets) {
        for (const PresetFile& preset : listPresets(presetsFolder())) {
            if (preset.preset)
                std::printf("%s\n", preset.name.toUtf8().constData());
            else
                std::fprintf(stderr, "vantrel-batch: %s\n", qPrintable(preset.error));
        }
        return Success;
    }
    if (options.savePresetName) {
        const std::string folder = presetsFolder();
        const bool replacing = findPreset(folder, *options.savePresetName).preset.has_value();
        if (const auto error =
                savePreset(folder, *options.savePresetName, presetOfOptions(options))) {
            std::fprintf(stderr, "vantrel-batch: %s\n", qPrintable(*error));
            return ErrorReport;
        }
        std::fprintf(stderr, "vantrel-batch: preset \"%s\" %s\n",
                     options.savePresetName->toUtf8().constData(),
                     replacing ? "replaced" : "saved");
        if (options.paths.empty())
            return Success;
    }
    if (options.paths.empty()) {
        std::fprintf(stderr, "vantrel-batch: no photos or folders given (see --help)\n");
        return BadArguments;
    }
    if (!options.settings.intoFolder.empty() &&
        !QFileInfo(QFile::decodeName(options.settings.intoFolder.c_str())).isDir()) {
        std::fprintf(stderr, "vantrel-batch: --into: %s is not an existing folder\n",
                     options.settings.intoFolder.c_str());
        return BadArguments;
    }
    std::signal(SIGINT, onInterrupt);
    setCameraOrientationApplied(options.applyCameraOrientation);

    AppData& data = AppData::sharedData();
    ImportWalker walker(data, stopRequested);
    walker.addImagesWithPaths(options.paths);
    updateDatasource(data);
    if (stopRequested) {
        return Stopped;
    }
    if (data.currentImages().empty()) {
        std::fprintf(stderr, "vantrel-batch: nothing to export\n");
        return BadArguments;
    }

    ExportSettings& settings = options.settings;
    if (!options.destinationGiven) {
        settings.destination = defaultDestinationPath();
        createDefaultDestinationPathIfNeeded(settings.destination);
    }
    if (settings.transferMetadata) {
        settings.exiftoolPath =
            locateExiftool(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    }
    Effects::sharedEffects() = options.effects;

    TerminalProgress progress;
    BatchExporter exporter(settings, stopRequested,
                           [&progress](long done, long total) { progress.update(done, total); });
    const ExportOutcome outcome = exporter.run(data.currentImages());
    progress.finish();

    ProcessingErrors& errors = ProcessingErrors::errors();
    if (errors.errorsDidOccur()) {
        std::fputs(qPrintable(errors.errorMessage()), stderr);
    }
    systemLog(QStringLiteral("Export Ended Successfully!"));
    if (outcome.folderCreated) {
        // Already absolute: relative destinations are resolved when the folder is made.
        std::printf("%s\n", outcome.exportFolder.c_str());
    }
    if (outcome.stopped) {
        return Stopped;
    }
    return errors.errorsDidOccur() || !outcome.folderCreated ? ErrorReport : Success;
}
