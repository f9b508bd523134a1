#include "tests/gui/GuiTestSupport.h"

#include "gui/window/DesktopServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <algorithm>

using namespace vantrel;

// Stands in for the desktop's URL handlers so that nothing is really opened.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

class DesktopServicesTest : public QObject {
    Q_OBJECT

    UrlCatcher mCatcher;
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
    void initTestCase() {
        mOriginalPath = qgetenv("PATH");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &mCatcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &mCatcher, "open");
        installFakeGio();
    }

    void cleanupTestCase() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
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
            QVERIFY(!html.contains("http://"));
            QVERIFY(!html.contains("https://"));
            QVERIFY(!html.contains("src="));
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
        QCOMPARE(mCatcher.urls.size(), 1);
        QCOMPARE(mCatcher.urls.front().toEncoded(), QByteArray("file:///photos/caf%E9"));

        mCatcher.urls.clear();
        revealInFileViewer("/exports/Export_2024-03-05/");
        QCOMPARE(mCatcher.urls.size(), 1);
        QCOMPARE(mCatcher.urls.front().toEncoded(), QByteArray("file:///exports"));
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

VANTREL_GUI_TEST_MAIN(DesktopServicesTest)

#include "DesktopServicesTest.moc"
