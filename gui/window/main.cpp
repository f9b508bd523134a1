#include "core/imaging/ImagingRuntime.h"
#include "gui/skin/Skin.h"
#include "gui/window/SingleInstance.h"
#include "gui/window/VantrelController.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantrel"));
    QApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vantrel"));
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
