#include "tests/core/BombFiles.h"
#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/imaging/Image.h"
#include "gui/browser/ImageBrowserModel.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/window/VantrelController.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QtTest>
#include <sys/resource.h>

using namespace vantrel;

// A folder of decompression bombs, damaged files and real photos, imported into the window
// as a user would: every thumbnail and every preview picture is made, nothing crashes, the
// bombs are refused by their headers, and the whole walk stays within the window's memory
// budget.
class HostileFolderTest : public QObject {
    Q_OBJECT

    QTemporaryDir mFolder;

private Q_SLOTS:
    void everyThumbnailAndPreviewOfAHostileFolder() {
        // Refused by their headers: over the sample limit as stored.
        const struct {
            std::string name;
            QString size;
        } bombs[] = {
            {test::writeBombPng(mFolder, "bomb-rgb.png", 16000, 16000, 2, 8), "16000 x 16000"},
            {test::writeBombPng(mFolder, "bomb-bits.png", 50000, 50000, 0, 1), "50000 x 50000"},
            {test::writeBombTiff(mFolder, "bomb-grey.tif", 30000, 30000), "30000 x 30000"}};
        for (const auto& bomb : bombs)
            QVERIFY(!bomb.name.empty());
        // Large but accepted: streamed, never held whole.
        QVERIFY(!test::writeBombTiff(mFolder, "large-grey.tif", 19000, 19000).empty());
        const QString testdata = QStringLiteral(VANTREL_TESTDATA);
        for (const QString& from : {testdata + "/bad-seed", testdata + "/real/jpeg/orientation"}) {
            QDirIterator files(from, QDir::Files, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString file = files.next();
                QFile::link(file, mFolder.filePath(QFileInfo(file).fileName()));
            }
        }

        VantrelController window;
        window.show();
        window.addImagesFromFileNames({QFile::encodeName(mFolder.path()).toStdString()});
        QVERIFY(test::waitUntil([&] { return !window.isImporting(); }, 60000));
        ImageBrowserView* browser = window.imageBrowser();
        const int rows = browser->model()->rowCount();
        QVERIFY(rows > 20);

        int refused = 0;
        int shown = 0;
        for (int row = 0; row < rows; ++row) {
            const QModelIndex index = browser->model()->index(row, 0);
            browser->scrollTo(index);
            browser->setSelectionIndexes({row}, false);
            QVERIFY(test::waitUntil(
                [&] {
                    return browser->thumbnails().isIdle() &&
                           index.data(ImageBrowserModel::ThumbnailStatusRole).toInt() !=
                               int(ThumbnailCache::Status::Loading);
                },
                60000));
            QVERIFY(test::workersSettled());
            const QString name = index.data(Qt::DisplayRole).toString();
            const QString tip = index.data(Qt::ToolTipRole).toString();
            for (const auto& bomb : bombs) {
                if (QFileInfo(QString::fromStdString(bomb.name)).fileName() != name)
                    continue;
                ++refused;
                QVERIFY2(tip.contains("the photo is too large to show (" + bomb.size + " pixels)"),
                         qPrintable(tip));
                QVERIFY(window.previewImage()->image().isNull());
            }
            shown += window.previewImage()->image().isNull() ? 0 : 1;
        }
        QCOMPARE(refused, 3);
        // Every real photo and the large file were previewed.
        QVERIFY2(shown >= 19, qPrintable(QString::number(shown)));
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        // The sanitizers' shadow memory would swamp the figure.
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        QVERIFY2(usage.ru_maxrss / 1024 < 600, qPrintable(QString::number(usage.ru_maxrss / 1024)));
#endif
    }
};

VANTREL_GUI_TEST_MAIN(HostileFolderTest)
#include "HostileFolderTest.moc"
