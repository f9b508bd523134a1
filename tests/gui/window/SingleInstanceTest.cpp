#include "tests/gui/GuiTestSupport.h"

#include "core/imaging/PhotoFile.h"
#include "gui/window/SingleInstance.h"

#include <QApplication>
#include <QFileInfo>
#include <QtEndian>
#include <QtNetwork/QLocalServer>
#include <QtNetwork/QLocalSocket>
#include <QtTest>
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
};

void record(SingleInstance& instance, Received& received) {
    QObject::connect(&instance, &SingleInstance::filesOpened,
                     [&received](Paths paths) { received.files.push_back(std::move(paths)); });
    QObject::connect(&instance, &SingleInstance::activationRequested,
                     [&received] { ++received.activations; });
}

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

class SingleInstanceTest : public QObject {
    Q_OBJECT

    int mCount = 0;
    QString freshName() {
        return vantrel::test::testHome() + QStringLiteral("/vantrel-test-%1").arg(++mCount);
    }

private Q_SLOTS:
    void firstInstanceListens() {
        QVERIFY(SingleInstance::defaultServerName().contains(QString::number(::getuid())));

        const QString name = freshName();
        SingleInstance first(name);
        QCOMPARE(first.start({}), false);
        QVERIFY(!first.handedOver());
        QVERIFY(first.isListening());
        QVERIFY(QFileInfo::exists(name));
    }

    void laterLaunchHandsOverItsFiles() {
        const QString name = freshName();
        SingleInstance first(name);
        Received received;
        record(first, received);
        first.start({});

        const std::string notUtf8 = "/photos/caf\xe9 \xff.jpg";
        const std::string withNewline = "/photos/two\nlines.png";
        const Launch later = launchAnother(name, {notUtf8, withNewline, "relative/x.tif"});
        QVERIFY(later.handedOver);
        QVERIFY(!later.listening);
        QVERIFY(vantrel::test::waitUntil([&] { return !received.files.empty(); }));
        QCOMPARE(received.activations, 1);
        QCOMPARE(received.files.size(), size_t(1));
        const Paths& paths = received.files.front();
        QCOMPARE(paths.size(), size_t(3));
        QCOMPARE(paths[0], notUtf8);
        QCOMPARE(paths[1], withNewline);
        QCOMPARE(paths[2], vantrel::absolutePath(".") + "/relative/x.tif");

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
        Received received;
        record(first, received);
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
        Received received;
        record(first, received);
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
};

VANTREL_GUI_TEST_MAIN(SingleInstanceTest)

#include "SingleInstanceTest.moc"
