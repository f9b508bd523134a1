#include "gui/window/SingleInstance.h"

#include "core/batch/SystemLog.h"
#include "core/imaging/PhotoFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTimer>
#include <QtEndian>
#include <QtNetwork/QLocalServer>
#include <QtNetwork/QLocalSocket>
#include <algorithm>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {
namespace {

const QByteArray kMagic = QByteArrayLiteral("VANTREL1");
const QByteArray kAcknowledgement = QByteArrayLiteral("OK");
constexpr qsizetype kHeaderSize = 12; // magic + payload length
// Ten thousand long paths fit many times over; anything larger is not one of ours.
constexpr quint32 kMaxPayload = 64u * 1024u * 1024u;
constexpr quint8 kRaiseFlag = 0x01;
constexpr int kHandOverMilliseconds = 3000;
// A later launch sends its message at once; a connection that dawdles is dropped.
constexpr int kClientMilliseconds = 5000;
constexpr int kMaxConnections = 16;

struct Message {
    bool raise = false;
    std::vector<std::string> paths;
};

void appendUint32(QByteArray& out, quint32 value) {
    const quint32 big = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&big), sizeof big);
}

QByteArray encodeMessage(const Message& message) {
    QByteArray payload;
    payload.append(static_cast<char>(message.raise ? kRaiseFlag : 0));
    appendUint32(payload, static_cast<quint32>(message.paths.size()));
    for (const std::string& path : message.paths) {
        appendUint32(payload, static_cast<quint32>(path.size()));
        payload.append(path.data(), static_cast<qsizetype>(path.size()));
    }
    QByteArray out = kMagic;
    appendUint32(out, static_cast<quint32>(payload.size()));
    out.append(payload);
    return out;
}

// Every length is checked against what is really there before anything is allocated.
std::optional<Message> decodePayload(const QByteArray& payload) {
    const auto* data = reinterpret_cast<const uchar*>(payload.constData());
    const qsizetype size = payload.size();
    if (size < 5) {
        return std::nullopt;
    }
    Message message;
    message.raise = (data[0] & kRaiseFlag) != 0;
    const quint32 count = qFromBigEndian<quint32>(data + 1);
    qsizetype offset = 5;
    if (count > static_cast<quint32>((size - offset) / 4)) {
        return std::nullopt;
    }
    for (quint32 i = 0; i < count; ++i) {
        if (size - offset < 4) {
            return std::nullopt;
        }
        const quint32 length = qFromBigEndian<quint32>(data + offset);
        offset += 4;
        if (length > static_cast<quint64>(size - offset)) {
            return std::nullopt;
        }
        std::string path(payload.constData() + offset, length);
        offset += length;
        // Only absolute file names mean the same thing here as in the launch that sent them.
        if (!path.empty() && path.front() == '/' && path.find('\0') == std::string::npos) {
            message.paths.push_back(std::move(path));
        }
    }
    if (offset != size) {
        return std::nullopt;
    }
    return message;
}

QString socketPath(const QString& serverName) {
    return serverName.startsWith(QLatin1Char('/'))
               ? serverName
               : QDir::tempPath() + QLatin1Char('/') + serverName;
}

bool isPrivateFolderOfUser(const QString& folder) {
    struct stat info {};
    return !folder.isEmpty() && ::stat(QFile::encodeName(folder).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

// In the shared temporary folder anyone may create the name first; such a socket must not
// be handed our paths nor be replaced.
bool ownedBySomeoneElse(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid != ::getuid();
}

enum class HandOverResult { Done, NoInstance, StaleSocket, NoAnswer };

} // namespace

QString SingleInstance::defaultServerName() {
    const QString name = QStringLiteral("vantrel-%1").arg(::getuid());
    // The session's runtime folder belongs to the user alone, so no one else can squat on the
    // name there; the shared temporary folder is only the fallback.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolderOfUser(runtime)) {
        return runtime + QLatin1Char('/') + name;
    }
    return name;
}

std::vector<std::string> SingleInstance::fileArguments(int argc, char** argv) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] != nullptr && argv[i][0] != '\0') {
            paths.push_back(absolutePath(argv[i]));
        }
    }
    return paths;
}

SingleInstance::SingleInstance(QObject* parent) : SingleInstance(defaultServerName(), parent) {}

SingleInstance::SingleInstance(const QString& serverName, QObject* parent)
    : QObject(parent), mServerName(serverName) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const {
    return mServer != nullptr && mServer->isListening();
}

bool SingleInstance::start(const std::vector<std::string>& paths) {
    if (mHandedOver || isListening()) {
        return mHandedOver;
    }
    if (ownedBySomeoneElse(socketPath(mServerName))) {
        systemLog(QStringLiteral("%1 belongs to another user; not sharing this launch")
                      .arg(socketPath(mServerName)));
        return false;
    }
    // Two launches at once must not both decide that the socket is stale and take it from
    // each other; the lock makes the look and the listen one step.
    // A launch that cannot get the lock in time (its holder would be hung) goes on without.
    QLockFile lock(socketPath(mServerName) + QStringLiteral(".lock"));
    lock.tryLock(kHandOverMilliseconds + 2000);

    Message message;
    message.raise = true;
    for (const std::string& path : paths) {
        message.paths.push_back(absolutePath(path));
    }

    QLocalSocket socket;
    socket.connectToServer(mServerName);
    const QDeadlineTimer deadline(kHandOverMilliseconds);
    HandOverResult result = HandOverResult::NoAnswer;
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        result = socket.error() == QLocalSocket::ConnectionRefusedError
                     ? HandOverResult::StaleSocket
                     : HandOverResult::NoInstance;
    } else {
        socket.write(encodeMessage(message));
        while (socket.bytesToWrite() > 0 && !deadline.hasExpired() &&
               socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        }
        QByteArray answer;
        while (answer.size() < kAcknowledgement.size() && !deadline.hasExpired()) {
            if (socket.bytesAvailable() == 0 &&
                !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
                break;
            }
            answer += socket.read(kAcknowledgement.size() - answer.size());
        }
        if (answer == kAcknowledgement) {
            result = HandOverResult::Done;
        }
        socket.abort();
    }

    switch (result) {
    case HandOverResult::Done:
        mHandedOver = true;
        return true;
    case HandOverResult::StaleSocket:
        // Left by an instance that crashed: nobody accepts on it. The lock keeps another
        // launch from starting to listen on it between our look and this removal.
        QLocalServer::removeServer(mServerName);
        listen();
        break;
    case HandOverResult::NoInstance:
        listen();
        break;
    case HandOverResult::NoAnswer:
        // A running instance that does not answer keeps its socket; this launch runs on
        // its own and opens its files itself.
        systemLog(QStringLiteral("The running Vantrel did not answer; starting another"));
        break;
    }
    return false;
}

void SingleInstance::listen() {
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(mServerName)) {
        systemLog(
            QStringLiteral("Cannot listen for later launches: %1").arg(server->errorString()));
        delete server;
        return;
    }
    mServer = server;
    connect(mServer, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = mServer->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto open = findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly).size();
        if (open > kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        QTimer::singleShot(kClientMilliseconds, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        // What has arrived so far; once a message is whole (or refused) the rest is ignored.
        struct Incoming {
            QByteArray buffer;
            bool finished = false;
        };
        auto incoming = std::make_shared<Incoming>();
        auto readMessage = [this, socket, incoming] {
            if (incoming->finished) {
                socket->readAll();
                return;
            }
            QByteArray& buffer = incoming->buffer;
            buffer.append(socket->readAll());
            const auto drop = [socket, incoming] {
                incoming->finished = true;
                incoming->buffer.clear();
                socket->abort();
                socket->deleteLater();
            };
            const qsizetype magicSeen = std::min(buffer.size(), kMagic.size());
            if (buffer.left(magicSeen) != kMagic.left(magicSeen)) {
                drop();
                return;
            }
            if (buffer.size() < kHeaderSize) {
                return;
            }
            const quint32 length =
                qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(buffer.constData()) + 8);
            if (length > kMaxPayload) {
                drop();
                return;
            }
            if (buffer.size() < kHeaderSize + static_cast<qsizetype>(length)) {
                return;
            }
            std::optional<Message> message = decodePayload(buffer.mid(kHeaderSize, length));
            buffer.clear();
            if (!message) {
                drop();
                return;
            }
            incoming->finished = true;
            // Answer before anything runs: opening files may bring up a modal sheet, and the
            // sender must not wait for that.
            socket->write(kAcknowledgement);
            socket->flush();
            socket->disconnectFromServer();
            QMetaObject::invokeMethod(
                this,
                [this, received = std::move(*message)] {
                    if (received.raise) {
                        Q_EMIT activationRequested();
                    }
                    if (!received.paths.empty()) {
                        Q_EMIT filesOpened(received.paths);
                    }
                },
                Qt::QueuedConnection);
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        readMessage();
    }
}

} // namespace vantrel
