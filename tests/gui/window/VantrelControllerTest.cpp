#include "tests/gui/window/VantrelControllerTest/WindowFixture.h"

// The main window as the user drives it, one test class per concern, all on one window made
// at the program's start.
int runWindowAndImportTests(int argc, char** argv);
int runPreviewAndEffectsTests(int argc, char** argv);
int runExportRunTests(int argc, char** argv);

namespace vantrel::windowtest {

SharedWindow& sharedWindow() {
    static SharedWindow window;
    return window;
}

namespace {

void record(const QString& event) {
    const bool reportClosed = !ProcessingErrors::errors().errorsDidOccur();
    SharedWindow& shared = sharedWindow();
    const std::lock_guard lock(shared.eventsMutex);
    shared.events << event + (reportClosed ? QString() : QStringLiteral(" (report open)"));
}

void makeTheWindow() {
    SharedWindow& shared = sharedWindow();
    test::takeLoggedLines();
    shared.controller = std::make_unique<VantrelController>();
    shared.controller->show();
    shared.startupLog = test::takeLoggedLines();
    // The finishing actions of export runs are recorded instead of done.
    shared.controller->setFinishingServices(
        {[] { record("sound"); },
         [](const std::string& folder) {
             record("reveal " + QFileInfo(QFile::decodeName(folder.c_str())).fileName());
         },
         [] {
             record("quit");
         }});
    for (const char* name : {"a", "b", "c"})
        writePhoto(shared.work.filePath(QString("%1.jpg").arg(name)), 64, 48);
}

} // namespace
} // namespace vantrel::windowtest

int main(int argc, char** argv) {
    vantrel::test::prepareGuiTestEnvironment();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    if (qEnvironmentVariableIsSet("VANTREL_TEST_SECOND_CONTROLLER")) {
        vantrel::VantrelController first;
        vantrel::VantrelController second; // ends the process
        return 0;
    }
    vantrel::windowtest::makeTheWindow();
    QTEST_SET_MAIN_SOURCE_PATH
    int failures = 0;
    for (auto run : {runWindowAndImportTests, runPreviewAndEffectsTests, runExportRunTests})
        failures += run(argc, argv) != 0;
    vantrel::windowtest::sharedWindow().controller.reset();
    return failures;
}
