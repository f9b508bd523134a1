#include "core/imaging/ImagingRuntime.h"
#include "gui/skin/Skin.h"
#include "gui/window/SingleInstance.h"
#include "gui/window/VantrelController.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

const char* const usage = R"(Usage: vantrel [PHOTO|FOLDER]...
Gathers photos into a batch, applies one set of effects to all of them with a live preview,
and exports the whole batch into a fresh folder.

Photos and folders given are added to the batch; folders are walked at every depth. When
Vantrel is already running, they are handed to its window.

  -h, --help          this text
  --version           the program's name and version
)";

// Answered before QApplication exists, so that they need no display.
bool answeredInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vantrel %s\n", VANTREL_VERSION);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (answeredInformationOption(argc, argv))
        return 0;
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("app.vantrel.Vantrel"));
    vantrel::registerSkinResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vantrel.png")));

    // A second launch hands its files to the running window and ends here.
    const std::vector<std::string> files = vantrel::SingleInstance::fileArguments(argc, argv);
    vantrel::SingleInstance instance;
    if (instance.start(files))
        return 0;

    vantrel::initImaging(argv[0]);
    application.setStyleSheet(vantrel::skinStyleSheet());

    vantrel::VantrelController controller;
    QObject::connect(&instance, &vantrel::SingleInstance::filesOpened, &controller,
                     [&controller](const std::vector<std::string>& paths) {
                         controller.applicationShouldHandleReopen(controller.isVisible());
                         controller.openFiles(paths);
                     });
    QObject::connect(
        &instance, &vantrel::SingleInstance::activationRequested, &controller,
        [&controller] { controller.applicationShouldHandleReopen(controller.isVisible()); });
    controller.show();
    controller.applicationDidFinishLaunching();
    if (!files.empty())
        QTimer::singleShot(0, &controller, [&controller, files] { controller.openFiles(files); });
    return QApplication::exec();
}
