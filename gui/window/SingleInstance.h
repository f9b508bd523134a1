#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;

namespace vantrel {

// Keeps one running Vantrel per user. The first launch listens on a local socket; a later
// launch hands its files to it, asks it to come to the front, and ends.
//
// Messages: the bytes "VANTREL1", a 32-bit big-endian payload length, then the payload: one
// flag byte (bit 0: bring the window to the front), a 32-bit path count, and each path as a
// 32-bit length and its raw bytes. The listener answers "OK" once a message is whole.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The per-user socket: in the private runtime folder when the session has one.
    static QString defaultServerName();

    // Files named on the command line, as the file system's bytes. Call after QApplication
    // has taken its own options out of argc/argv.
    static std::vector<std::string> fileArguments(int argc, char** argv);

    explicit SingleInstance(QObject* parent = nullptr);
    SingleInstance(const QString& serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `paths` to a running instance when there is one (true: this launch should end),
    // and otherwise starts listening for later launches. May wait up to about three seconds
    // for a running instance that is slow to answer; call before the window is shown.
    bool start(const std::vector<std::string>& paths);

    bool handedOver() const { return mHandedOver; }
    bool isListening() const;
    QString serverName() const { return mServerName; }

Q_SIGNALS:
    // Absolute paths sent by a later launch, in the order given there.
    void filesOpened(std::vector<std::string> paths);
    void activationRequested();

private:
    void listen();
    void acceptConnections();

    QString mServerName;
    QLocalServer* mServer = nullptr;
    bool mHandedOver = false;
};

} // namespace vantrel
