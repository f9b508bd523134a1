#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/imaging/ImagingRuntime.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/window/VantrelController.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLineEdit>
#include <QMutex>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <cstdlib>
#include <functional>
#include <vips/vips8>

namespace vantrel::test {
namespace {

QMutex gLogMutex;
QStringList gLoggedLines;
std::unique_ptr<QTemporaryDir> gHome;
QtMessageHandler gPreviousHandler = nullptr;

// The log lines of the program are info messages: kept for the test, not printed. Anything
// else goes on to QtTest's own handler.
void captureLog(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtInfoMsg) {
        QMutexLocker lock(&gLogMutex);
        gLoggedLines.append(message);
        if (!qEnvironmentVariableIsSet("VANTREL_TEST_VERBOSE"))
            return;
    }
    if (gPreviousHandler)
        gPreviousHandler(type, context, message);
    else
        fprintf(stderr, "%s\n", qPrintable(message));
}

// QtTest installs its handler when the tests of a class start, so ours goes on top of it
// then, again for each class.
void ensureCapturing() {
    const QtMessageHandler current = qInstallMessageHandler(captureLog);
    if (current != captureLog)
        gPreviousHandler = current;
}

} // namespace

void prepareGuiTestEnvironment() {
    gHome = std::make_unique<QTemporaryDir>();
    const QString home = gHome->path();
    // QSettings, the pictures folder and the runtime socket folder all follow these.
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    qputenv("XDG_CACHE_HOME", (home + "/.cache").toUtf8());
    qputenv("XDG_PICTURES_DIR", (home + "/Pictures").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + "/run").toUtf8());
    qputenv("XDG_CONFIG_DIRS", (home + "/etc-xdg").toUtf8());
    // No desktop session: nothing may be shown or opened outside the test.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vantrel-test-bus");
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    initImaging("vantrel-gui-test");
}

QString testHome() {
    return gHome ? gHome->path() : QString();
}

QStringList takeLoggedLines() {
    ensureCapturing();
    QMutexLocker lock(&gLogMutex);
    QStringList lines;
    lines.swap(gLoggedLines);
    return lines;
}

bool waitUntil(const std::function<bool()>& done, int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

bool workersSettled() {
    // Counts the workers' answers (queued calls) as the GUI thread takes them.
    struct AnswerCounter : QObject {
        int answers = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            answers += event->type() == QEvent::MetaCall ? 1 : 0;
            return false;
        }
    } counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    // A worker may end between its answer being taken and the pool being asked: settled only
    // when, with every worker done, no answer is left to take (none can start another).
    QThreadPool* pool = QThreadPool::globalInstance();
    int answers = -1;
    bool done = true;
    while (done && answers != counter.answers) {
        answers = counter.answers;
        done = pool->waitForDone(60000);
        QCoreApplication::sendPostedEvents();
    }
    QCoreApplication::instance()->removeEventFilter(&counter);
    return done;
}

void writePhoto(const QString& path, int width, int height) {
    const vips::VImage noise = vips::VImage::gaussnoise(width, height);
    noise.bandjoin({noise.flip(VIPS_DIRECTION_HORIZONTAL), noise * 0.5})
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file(QFile::encodeName(path).constData());
}

QMap<QString, QByteArray> folderContents(const QString& folder) {
    QMap<QString, QByteArray> contents;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            contents.insert(name,
                            QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return contents;
}

void typeInto(const QObject* window, const char* name, const QString& typed) {
    QLineEdit* field = outletNamed<QLineEdit>(window, name);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
}

void choose(QComboBox* popUp, int item) {
    popUp->setCurrentIndex(item);
    Q_EMIT popUp->activated(item);
}

void showBatch(VantrelController& window, const std::vector<std::string>& paths) {
    ImageList images;
    for (const std::string& path : paths)
        images.push_back(std::make_unique<Image>(path));
    AppData::sharedData().setCurrentImages(std::move(images));
    window.imageBrowser()->reloadData();
}

} // namespace vantrel::test
