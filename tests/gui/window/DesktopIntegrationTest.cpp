#include "tests/gui/GuiTestSupport.h"

#include "core/imaging/PhotoFile.h"
#include "gui/window/DesktopServices.h"
#include "gui/window/SingleInstance.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <QtNetwork/QLocalServer>
#include <QtNetwork/QLocalSocket>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace vantrel;
using Paths = std::vector<std::string>;

namespace {

// What a running instance has been told, in order.
struct Received {
    std::vector<Paths> files;
    int activations = 0;
    explicit Received(SingleInstance& instance) {
        QObject::connect(&instance, &SingleInstance::filesOpened,
                         [this](Paths paths) { files.push_back(std::move(paths)); });
        QObject::connect(&instance, &SingleInstance::activationRequested,
                         [this] { ++activations; });
    }
};

struct Launch {
    bool handedOver = false;
    bool listening = false;
};

// A later launch, run on its own thread while this thread serves the first instance's
// events, the way two processes would run side by side.
Launch launchAnother(const QString& name, const Paths& paths) {
    std::atomic<bool> done{false};
    Launch result;
    std::thread later([&] {
        SingleInstance instance(name);
        instance.start(paths);
        result = {instance.handedOver(), instance.isListening()};
        done = true;
    });
    vantrel::test::waitUntil([&] { return done.load(); }, 20000);
    later.join();
    return result;
}

QByteArray uint32(quint32 value) {
    const quint32 big = qToBigEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&big), sizeof big);
}

QByteArray framed(const QByteArray& payload) {
    return QByteArrayLiteral("VANTREL1") + uint32(static_cast<quint32>(payload.size())) + payload;
}

// Sends raw bytes and waits until the instance has dealt with them (closed the connection),
// or, for a sender that gives up, until they are sent: what the instance makes of those shows
// in the checks after the next message, which it reads after them.
void sendRaw(const QString& name, const QByteArray& bytes, bool leaveEarly = false) {
    QLocalSocket socket;
    socket.connectToServer(name);
    QVERIFY(socket.waitForConnected(2000));
    socket.write(bytes);
    socket.flush();
    if (leaveEarly) {
        vantrel::test::waitUntil([&] { return socket.bytesToWrite() == 0; }, 2000);
        socket.abort();
        return;
    }
    QVERIFY(vantrel::test::waitUntil(
        [&] { return socket.state() == QLocalSocket::UnconnectedState; }, 8000));
}

} // namespace

// What the program asks of the desktop: the one running instance that later launches hand
// their files to, help pages, mail, revealing files and folder icons.
class DesktopIntegrationTest : public QObject {
    Q_OBJECT

    int mCount = 0;
    QString freshName() {
        return vantrel::test::testHome() + QStringLiteral("/vantrel-test-%1").arg(++mCount);
    }

    test::UrlCatcher mCatcher;
    QString mFakeBin;
    QString mGioLog;
    QByteArray mOriginalPath;

    // A `gio` that only writes down its arguments: one line per run, separated by spaces
    // (they are URIs and words, which carry no spaces).
    void installFakeGio() {
        mFakeBin = vantrel::test::testHome() + QStringLiteral("/fake-bin");
        mGioLog = vantrel::test::testHome() + QStringLiteral("/gio.log");
        QDir().mkpath(mFakeBin);
        QFile script(mFakeBin + QStringLiteral("/gio"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$*\" >> \"" + QFile::encodeName(mGioLog) + "\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QList<QByteArray> gioRuns() {
        QFile log(mGioLog);
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> runs = log.readAll().split('\n');
        runs.removeAll(QByteArray());
        return runs;
    }

    // gio is started without waiting for it, so what it was not asked can only be told from
    // what it was: a marker request made after everything under test ends the wait for the
    // `expected` folders, and any other request would have been started before the marker.
    QList<QByteArray> foldersGioWasAskedFor(QList<std::string> expected) {
        const std::string marker =
            QFile::encodeName(vantrel::test::testHome()).toStdString() + "/marker";
        setCustomFolderIcon(marker, iconFile());
        expected.append(marker);
        QList<QByteArray> folders;
        const bool allThere = vantrel::test::waitUntil([&] {
            folders.clear();
            for (const QByteArray& run : gioRuns())
                folders.append(run.split(' ').value(1));
            return std::all_of(expected.begin(), expected.end(), [&](const std::string& folder) {
                return folders.contains(fileUrlFromBytes(folder).toEncoded());
            });
        });
        if (!allThere)
            qWarning("gio was not asked for every folder expected");
        folders.removeAll(fileUrlFromBytes(marker).toEncoded());
        return folders;
    }

    QString iconFile() {
        const QString file = vantrel::test::testHome() + QStringLiteral("/icon one.png");
        QFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            out.write("not really a picture");
        }
        return file;
    }

private Q_SLOTS:
    void theFirstInstanceListensAndLaterLaunchesHandOverTheirFiles() {
        QVERIFY(SingleInstance::defaultServerName().contains(QString::number(::getuid())));
        const QString name = freshName();
        SingleInstance first(name);
        Received received(first);
        QCOMPARE(first.start({}), false);
        QVERIFY(!first.handedOver());
        QVERIFY(first.isListening());
        QVERIFY(QFileInfo::exists(name));

        const std::string notUtf8 = "/photos/caf\xe9 \xff.jpg";
        const std::string withNewline = "/photos/two\nlines.png";
        const Launch later = launchAnother(name, {notUtf8, withNewline, "relative/x.tif"});
        QVERIFY(later.handedOver);
        QVERIFY(!later.listening);
        QVERIFY(vantrel::test::waitUntil([&] { return !received.files.empty(); }));
        QCOMPARE(received.activations, 1);
        QCOMPARE(received.files.size(), size_t(1));
        QCOMPARE(received.files.front(),
                 (Paths{notUtf8, withNewline, vantrel::absolutePath(".") + "/relative/x.tif"}));

        // A launch without files only brings the window forward; the first keeps its socket.
        QVERIFY(launchAnother(name, {}).handedOver);
        QVERIFY(vantrel::test::waitUntil([&] { return received.activations == 2; }));
        QCOMPARE(received.files.size(), size_t(1));
        QVERIFY(first.isListening());
    }

    void commandLineGivesAbsolutePaths() {
        char program[] = "vantrel";
        char absolute[] = "/a/b.jpg";
        char relative[] = "c.png";
        char dotted[] = ".//d/./e.jpg";
        char empty[] = "";
        char* argv[] = {program, absolute, relative, dotted, empty, nullptr};
        const Paths paths = SingleInstance::fileArguments(5, argv);
        // Spelled as the import spells them, so that a photo given here and dropped later
        // is one photo.
        const std::string cwd = vantrel::absolutePath(".");
        QCOMPARE(paths, (Paths{"/a/b.jpg", cwd + "/c.png", cwd + "/d/e.jpg"}));
    }

    void staleSocketIsTakenOver() {
        const QString name = freshName();
        // What a crashed instance leaves: the socket file, with nobody accepting on it.
        const QByteArray path = QFile::encodeName(name);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(path.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QFileInfo::exists(name));

        SingleInstance first(name);
        Received received(first);
        QCOMPARE(first.start({"/x.jpg"}), false);
        QVERIFY(first.isListening());
        QVERIFY(launchAnother(name, {"/y.jpg"}).handedOver);
        QVERIFY(vantrel::test::waitUntil([&] { return !received.files.empty(); }));
        QCOMPARE(received.files.front(), Paths{"/y.jpg"});
    }

    void silentLiveInstanceKeepsItsSocket() {
        const QString name = freshName();
        // Something alive on the socket that never answers: a later launch must neither
        // take the socket from it nor end.
        QLocalServer silent;
        QVERIFY(silent.listen(name));
        const Launch later = launchAnother(name, {"/z.jpg"});
        QVERIFY(!later.handedOver);
        QVERIFY(!later.listening);
        QVERIFY(silent.isListening());
        QLocalSocket probe;
        probe.connectToServer(name);
        QVERIFY(probe.waitForConnected(2000));
        QVERIFY(vantrel::test::waitUntil([&] { return silent.hasPendingConnections(); }));
    }

    void garbageAndBrokenMessagesAreIgnored() {
        const QString name = freshName();
        SingleInstance first(name);
        Received received(first);
        first.start({});

        sendRaw(name, QByteArrayLiteral("GET / HTTP/1.0\r\n\r\n"));
        // Announces far more than any launch sends: dropped before anything is read.
        sendRaw(name, QByteArrayLiteral("VANTREL1") + uint32(0xFFFFFFF0u));
        // Path count larger than the bytes could hold.
        sendRaw(name, framed(QByteArray(1, '\1') + uint32(1000000000u)));
        // Path length past the end of the message.
        sendRaw(name, framed(QByteArray(1, '\1') + uint32(1) + uint32(500) + "/a.jpg"));
        // Trailing bytes inside the payload.
        sendRaw(name, framed(QByteArray(1, '\1') + uint32(0) + "junk"));
        // A sender that leaves in the middle of its message.
        sendRaw(name, framed(QByteArray(1, '\1') + uint32(1) + uint32(6) + "/a.jpg").left(15),
                true);

        // A client that connects and says nothing holds up no one.
        QLocalSocket dawdler;
        dawdler.connectToServer(name);
        QVERIFY(dawdler.waitForConnected(2000));

        // A well-formed message keeps only absolute paths without NUL bytes.
        const QByteArray nul("/b\0c.jpg", 8);
        sendRaw(name, framed(QByteArray(1, '\0') + uint32(3) + uint32(5) + "a.jpg" + uint32(8) +
                             nul + uint32(6) + "/d.jpg"));
        QVERIFY(vantrel::test::waitUntil([&] { return !received.files.empty(); }));
        QCOMPARE(received.files.size(), size_t(1));
        QCOMPARE(received.files.front(), Paths{"/d.jpg"});
        QCOMPARE(received.activations, 0);

        QVERIFY(launchAnother(name, {"/e.jpg"}).handedOver);
        QVERIFY(vantrel::test::waitUntil([&] { return received.files.size() == 2; }));
        QCOMPARE(received.files.back(), Paths{"/e.jpg"});
        QVERIFY(first.isListening());
    }

    void initTestCase() {
        mOriginalPath = qgetenv("PATH");
        for (const char* scheme : {"file", "mailto"})
            QDesktopServices::setUrlHandler(scheme, &mCatcher, "open");
        installFakeGio();
    }

    void cleanupTestCase() {
        for (const char* scheme : {"file", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
        qputenv("PATH", mOriginalPath);
    }

    void init() {
        mCatcher.urls.clear();
        QFile::remove(mGioLog);
    }

    void helpPagesAreFound() {
        for (const char* page : {helpFaqPage, helpTutorialPage}) {
            const QUrl url = helpPageUrl(QString::fromLatin1(page));
            QVERIFY2(url.isLocalFile(), page);
            QFile file(url.toLocalFile());
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(url.toString()));
            const QByteArray html = file.readAll();
            QVERIFY(html.startsWith("<!DOCTYPE html>"));
            // Pages are read offline: nothing may be fetched from elsewhere.
            for (const char* remote : {"http://", "https://", "src="})
                QVERIFY2(!html.contains(remote), remote);
        }
        QVERIFY(helpPageUrl(QStringLiteral("no-such-page")).isEmpty());
    }

    void supportMailAddress() {
        const QUrl url = supportMailUrl();
        QCOMPARE(url.toString(), QStringLiteral("mailto:support@vantrel.app?Subject=Vantrel"));
        QVERIFY(openUrl(url));
        QCOMPARE(mCatcher.urls, QList<QUrl>{url});
        QVERIFY(!openUrl(QUrl()));
    }

    void fileUrlsKeepEveryByte() {
        QCOMPARE(fileUrlFromBytes("/photos/caf\xe9 #1.jpg").toEncoded(),
                 QByteArray("file:///photos/caf%E9%20%231.jpg"));
        const QByteArray cwd = QFile::encodeName(QDir::currentPath());
        QCOMPARE(fileUrlFromBytes("rel.jpg").toEncoded(),
                 "file://" + cwd.toPercentEncoding("/") + "/rel.jpg");
    }

    void revealFallsBackToTheParentFolder() {
        // The test session has no message bus, so the file viewer cannot be asked.
        revealInFileViewer("/photos/caf\xe9/IMG 1.jpg");
        revealInFileViewer("/exports/Export_2024-03-05/");
        QList<QByteArray> encoded;
        for (const QUrl& url : mCatcher.urls)
            encoded << url.toEncoded();
        QCOMPARE(encoded, (QList<QByteArray>{"file:///photos/caf%E9", "file:///exports"}));
    }

    void iconsForAnyPath() {
        QVERIFY(!iconForPath("/no/such/folder/anywhere").isNull());
        QVERIFY(!iconForPath("").isNull());
        QVERIFY(!iconForPath(QFile::encodeName(QDir::homePath()).toStdString()).isNull());
        QVERIFY(!iconForPath(QFile::encodeName(iconFile()).toStdString()).isNull());
    }

    void customFolderIconThroughGio() {
        const std::string folder =
            QFile::encodeName(vantrel::test::testHome()).toStdString() + "/Dest \xe9";
        QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(folder)));
        const QString icon = iconFile();

        qputenv("PATH", QFile::encodeName(mFakeBin));
        setCustomFolderIcon(folder, icon);
        QVERIFY(vantrel::test::waitUntil([&] { return !gioRuns().isEmpty(); }));
        const QList<QByteArray> arguments = gioRuns().first().split(' ');
        QCOMPARE(arguments.size(), 4);
        QCOMPARE(arguments[0], QByteArray("set"));
        QCOMPARE(arguments[1], fileUrlFromBytes(folder).toEncoded());
        QVERIFY(arguments[1].endsWith("/Dest%20%E9"));
        QCOMPARE(arguments[2], QByteArray("metadata::custom-icon"));
        QVERIFY(arguments[3].endsWith("/icon%20one.png"));

        // Nothing to draw with: gio is not even asked.
        QFile::remove(mGioLog);
        setCustomFolderIcon(folder, QString());
        setCustomFolderIcon(folder, icon + QStringLiteral(".missing"));
        QCOMPARE(foldersGioWasAskedFor({}), QList<QByteArray>());
    }

    void withoutGioTheDestinationIsStillMade() {
        const QString emptyBin = vantrel::test::testHome() + QStringLiteral("/empty-bin");
        QDir().mkpath(emptyBin);
        qputenv("PATH", QFile::encodeName(emptyBin));
        const std::string folder = QFile::encodeName(vantrel::test::testHome()).toStdString();
        setCustomFolderIcon(folder, iconFile());
        QVERIFY(createDefaultDestinationWithFolderIcon(folder + "/Pictures/Vantrel"));
        QVERIFY(QFileInfo(vantrel::test::testHome() + QStringLiteral("/Pictures/Vantrel")).isDir());
    }

    void folderIconFileAndNewDestination() {
        const QString picture = vantrelFolderIconFile();
        QVERIFY2(!picture.isEmpty(), "the folder picture must be among the program's resources");
        QFile resource(QStringLiteral(":/pictures/Vantrel Folder.png"));
        QFile copy(picture);
        QVERIFY(resource.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), resource.readAll());
        QCOMPARE(vantrelFolderIconFile(), picture);

        // Only a folder made here gets the icon; an existing one keeps what its owner chose.
        qputenv("PATH", QFile::encodeName(mFakeBin));
        const std::string home = QFile::encodeName(vantrel::test::testHome()).toStdString();
        QFile::remove(mGioLog);
        QVERIFY(createDefaultDestinationWithFolderIcon(home));
        QVERIFY(createDefaultDestinationWithFolderIcon(home + "/New/Vantrel"));
        QCOMPARE(foldersGioWasAskedFor({home + "/New/Vantrel"}),
                 QList<QByteArray>{fileUrlFromBytes(home + "/New/Vantrel").toEncoded()});
    }
};

VANTREL_GUI_TEST_MAIN(DesktopIntegrationTest)
#include "DesktopIntegrationTest.moc"
