#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;

namespace vantrel {
class VantrelController;
}

namespace vantrel::test {

// Everything a widget test needs before its first window: libvips started, settings and
// XDG folders redirected into a temporary home so that no test ever reads or writes the
// user's own, and the log captured.
void prepareGuiTestEnvironment();

// The temporary home of this test program (settings, pictures folder).
QString testHome();

// Lines logged through systemLog since the last call, oldest first. The first call starts
// the capture: make it in initTestCase.
QStringList takeLoggedLines();

// A photo whose halves differ, so that a turned or mirrored export would not match.
void writePhoto(const QString& path, int width, int height);

// name -> SHA-256 of every file in `folder`.
QMap<QString, QByteArray> folderContents(const QString& folder);

// Waits, serving events, until `done` answers true or `milliseconds` pass.
bool waitUntil(const std::function<bool()>& done, int milliseconds = 10000);

// Waits until the shared worker pool is idle and what its jobs handed back to the GUI
// thread has run, including the further jobs that started (a render after a decode).
bool workersSettled();

// Stands in for the desktop's URL handlers (QDesktopServices::setUrlHandler) so that nothing
// is really opened: it keeps the addresses it is asked to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

// The widget of type T named `name` among the children of `window`; the test program ends
// when there is none.
template <typename T> T* outletNamed(const QObject* window, const char* name) {
    T* widget = window->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("outlet %s missing", name);
    return widget;
}

// Types into the line edit named `name` and ends the editing with Return, as a user does.
void typeInto(const QObject* window, const char* name, const QString& typed);

// Chooses the item of a pop-up as a user does.
void choose(QComboBox* popUp, int item);

// The batch as these paths (file system bytes; photos or mere names), shown in the grid.
void showBatch(VantrelController& window, const std::vector<std::string>& paths);

} // namespace vantrel::test

// Use in place of QTEST_MAIN so the environment is prepared before QApplication exists.
#define VANTREL_GUI_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv) {                                                              \
        vantrel::test::prepareGuiTestEnvironment();                                                \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
