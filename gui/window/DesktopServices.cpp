#include "gui/window/DesktopServices.h"

#include "core/batch/DefaultDestination.h"
#include "core/batch/SystemLog.h"
#include "core/imaging/PhotoFile.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStyle>
#include <QThread>
#include <sys/stat.h>

#ifdef VANTREL_HAVE_CANBERRA
#include <canberra.h>
#include <memory>
#include <mutex>
#endif

// The resources live in a static library, whose registration the linker drops unless something
// names it; Q_INIT_RESOURCE must be used outside any namespace.
static void registerProgramResources() {
    Q_INIT_RESOURCE(vantrel);
}

namespace vantrel {
namespace {

const QString kFolderIconResource = QStringLiteral(":/pictures/Vantrel Folder.png");
const QString kFolderIconFileName = QStringLiteral("Vantrel Folder.png");
const QString kSupportAddress = QStringLiteral("support@vantrel.app");
const QString kProductName = QStringLiteral("Vantrel");

bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Runs `work` on the GUI thread without waiting for it. False when there is no application
// to run it.
template <typename Work> bool postToGuiThread(Work work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    return QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

QByteArray absoluteBytes(const std::string& path) {
    QByteArray bytes = QByteArray::fromStdString(path);
    if (!bytes.startsWith('/')) {
        QByteArray base = QFile::encodeName(QDir::currentPath());
        if (!base.endsWith('/')) {
            base.append('/');
        }
        bytes.prepend(base);
    }
    return bytes;
}

std::string parentFolder(const std::string& path) {
    QByteArray bytes = absoluteBytes(path);
    while (bytes.size() > 1 && bytes.endsWith('/')) {
        bytes.chop(1);
    }
    const qsizetype slash = bytes.lastIndexOf('/');
    return slash <= 0 ? std::string("/") : bytes.left(slash).toStdString();
}

void openParentFolder(const std::string& path) {
    const QUrl folder = fileUrlFromBytes(parentFolder(path));
    if (!QDesktopServices::openUrl(folder)) {
        systemLog(QStringLiteral("Could not open %1 in the file viewer")
                      .arg(displayPath(parentFolder(path))));
    }
}

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

QUrl fileUrlFromBytes(const std::string& path) {
    // Percent-encoding the raw bytes keeps names that no text encoding can represent.
    return QUrl::fromEncoded("file://" + absoluteBytes(path).toPercentEncoding("/"),
                             QUrl::StrictMode);
}

void revealInFileViewer(const std::string& path) {
    if (path.empty()) {
        return;
    }
    if (!onGuiThread()) {
        postToGuiThread([path] { revealInFileViewer(path); });
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openParentFolder(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    const QString uri = QString::fromLatin1(fileUrlFromBytes(path).toEncoded());
    call << QStringList{uri} << QString();
    // A file manager that has to be started first can take seconds: never wait for it here.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [path](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) {
                             openParentFolder(path);
                         }
                         finished->deleteLater();
                     });
}

bool openUrl(const QUrl& url) {
    if (!url.isValid() || url.isEmpty()) {
        return false;
    }
    if (!onGuiThread()) {
        return postToGuiThread([url] { openUrl(url); });
    }
    if (!QDesktopServices::openUrl(url)) {
        systemLog(QStringLiteral("Could not open %1").arg(url.toDisplayString()));
        return false;
    }
    return true;
}

QIcon iconForPath(const std::string& path) {
    const QFileIconProvider provider;
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
    const bool exists = !path.empty() && info.exists();
    QIcon icon = exists ? provider.icon(info) : provider.icon(QAbstractFileIconProvider::Folder);
    if (icon.isNull()) {
        // Without an icon theme the provider may have nothing; the style always has these.
        icon = QApplication::style()->standardIcon(exists && !info.isDir() ? QStyle::SP_FileIcon
                                                                           : QStyle::SP_DirIcon);
    }
    return icon;
}

QString vantrelFolderIconFile() {
    registerProgramResources();
    QFile resource(kFolderIconResource);
    if (!resource.open(QIODevice::ReadOnly)) {
        return QString();
    }
    const QByteArray picture = resource.readAll();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return QString();
    }
    const QString target = folder + QLatin1Char('/') + kFolderIconFileName;
    QFile existing(target);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == picture.size() &&
        existing.readAll() == picture) {
        return target;
    }
    existing.close();
    // Written whole or not at all: a desktop may read the picture while we write it.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(picture) != picture.size() || !out.commit()) {
        systemLog(QStringLiteral("Could not write the folder icon %1").arg(target));
        return QString();
    }
    return target;
}

void setCustomFolderIcon(const std::string& folder, const QString& iconFile) {
    if (folder.empty() || iconFile.isEmpty() || !isRegularFile(iconFile)) {
        return;
    }
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty()) {
        return;
    }
    QProcess process;
    process.setProgram(gio);
    // Both locations as URIs: gio takes them as such, and they carry any byte of a name.
    process.setArguments(
        {QStringLiteral("set"), QString::fromLatin1(fileUrlFromBytes(folder).toEncoded()),
         QStringLiteral("metadata::custom-icon"),
         QString::fromLatin1(
             fileUrlFromBytes(QFile::encodeName(iconFile).toStdString()).toEncoded())});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

bool createDefaultDestinationWithFolderIcon(const std::string& path) {
    struct stat info {};
    const bool existed = ::lstat(path.c_str(), &info) == 0;
    const bool ready = createDefaultDestinationPathIfNeeded(path);
    if (ready && !existed) {
        setCustomFolderIcon(path, vantrelFolderIconFile());
    }
    return ready;
}

void playSystemSound() {
#ifdef VANTREL_HAVE_CANBERRA
    struct ContextDeleter {
        void operator()(ca_context* context) const { ca_context_destroy(context); }
    };
    // One context for the whole process: a sound still playing belongs to it.
    static std::mutex mutex;
    static std::unique_ptr<ca_context, ContextDeleter> context;
    static bool unavailable = false;
    {
        const std::lock_guard lock(mutex);
        if (!context && !unavailable) {
            ca_context* created = nullptr;
            if (ca_context_create(&created) == CA_SUCCESS) {
                context.reset(created);
                ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Vantrel",
                                        CA_PROP_APPLICATION_ID, "app.vantrel.Vantrel", nullptr);
            } else {
                unavailable = true;
            }
        }
        if (context &&
            ca_context_play(context.get(), 0, CA_PROP_EVENT_ID, "complete",
                            CA_PROP_EVENT_DESCRIPTION, "Batch finished", nullptr) == CA_SUCCESS) {
            return;
        }
    }
#endif
    if (onGuiThread()) {
        QApplication::beep();
    } else {
        postToGuiThread([] { QApplication::beep(); });
    }
}

QUrl helpPageUrl(const QString& pageName) {
    // Installed, the pages lie beside the program's own prefix wherever that is; only a
    // program still in its build tree reads them from the sources.
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList folders{programFolder + QStringLiteral("/../share/vantrel/help")};
#if defined(VANTREL_BUILD_TREE) && defined(VANTREL_SOURCE_RESOURCES)
    const QString buildTree = QDir(QStringLiteral(VANTREL_BUILD_TREE)).canonicalPath();
    if (!buildTree.isEmpty() &&
        (programFolder == buildTree || programFolder.startsWith(buildTree + QLatin1Char('/')))) {
        folders << QStringLiteral(VANTREL_SOURCE_RESOURCES "/help");
    }
#endif
    const QString fileName = pageName + QStringLiteral(".html");
    for (const QString& folder : folders) {
        const QFileInfo page(QDir(folder).filePath(fileName));
        if (page.isFile()) {
            return QUrl::fromLocalFile(page.canonicalFilePath());
        }
    }
    systemLog(QStringLiteral("Help page %1 not found").arg(fileName));
    return QUrl();
}

QUrl supportMailUrl() {
    QUrl url(QStringLiteral("mailto:") + kSupportAddress);
    url.setQuery(QStringLiteral("Subject=") +
                     QString::fromLatin1(QUrl::toPercentEncoding(kProductName)),
                 QUrl::StrictMode);
    return url;
}

} // namespace vantrel
