#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/imaging/Effects.h"
#include "core/imaging/Image.h"
#include "core/imaging/WorkingImage.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/skin/ImageButton.h"
#include "gui/window/VantrelController.h"

#include <QApplication>
#include <QLabel>
#include <QSlider>
#include <QThreadPool>
#include <QtTest>
#include <vips/vips8>

using namespace vantrel;

// The preview half of the window: which photo it shows, its zoom controls and the effects
// switch, with real photos rendered on the workers.
class PreviewLogicTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VantrelController> mController;
    QTemporaryDir mPhotos;

    template <typename T> T* outlet(const char* name) {
        return test::outletNamed<T>(mController.get(), name);
    }
    PreviewImageView* preview() { return mController->previewImage(); }
    ImageBrowserView* browser() { return mController->imageBrowser(); }

    static bool settled() { return test::workersSettled(); }

    // `count` photos, photo i being (100 + i) x 50 pixels, so the size tells which is shown.
    void usePhotos(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            const QString path = mPhotos.filePath(QString("p%1.png").arg(i));
            if (!QFileInfo::exists(path))
                vips::VImage::black(100 + i, 50, vips::VImage::option()->set("bands", 3))
                    .pngsave(qPrintable(path));
            paths.push_back(QFile::encodeName(path).toStdString());
        }
        test::showBatch(*mController, paths);
    }

private Q_SLOTS:
    void initTestCase() {
        mController = std::make_unique<VantrelController>();
        mController->show();
    }

    void cleanup() {
        Effects::sharedEffects().resetEffects();
        outlet<ImageButton>("mFXOnButton")->click();
        QVERIFY(settled());
    }

    void theSelectionDecidesThePhoto() {
        usePhotos(0);
        mController->imageBrowserSelectionDidChange(browser());
        QVERIFY(preview()->isShowingPlaceholder());
        QCOMPARE(mController->indexOfSelectedImage(), 0);

        usePhotos(8);
        outlet<ImageButton>("mActualSizeButton")->click();
        const struct {
            QList<int> selected;
            int previewed;
        } cases[] = {{{3, 4, 7}, 3}, {{}, 0}, {{7}, 7}, {{5, 2}, 2}};
        for (const auto& c : cases) {
            browser()->setSelectionIndexes(c.selected, false);
            QVERIFY(settled());
            QCOMPARE(mController->indexOfSelectedImage(), c.previewed);
            QCOMPARE(preview()->imageSize(), QSize(100 + c.previewed, 50));
            // No photo keeps the preview's decoded copy alive: their recipes start from
            // their files.
            for (const auto& image : AppData::sharedData().currentImages())
                QVERIFY(!image->workingImage() || !image->workingImage()->sourcePath().empty());
        }
        // The photo on view is removed: the preview follows the browser into the list.
        browser()->setSelectionIndexes({7}, false);
        mController->imageBrowserRemoveItemsAtIndexes(browser(), {5, 6, 7});
        QVERIFY(settled());
        QVERIFY(mController->indexOfSelectedImage() < 5);
        QVERIFY(!preview()->isShowingPlaceholder());
    }

    void zoomControls() {
        usePhotos(1);
        browser()->setSelectionIndexes({0}, false);
        QVERIFY(settled());
        auto* slider = outlet<QSlider>("mPreviewImageZoomSlider");
        auto* percentage = outlet<QLabel>("mPreviewZoomPercentage");
        QVERIFY(slider->minimum() <= 5 && slider->maximum() >= 800);
        slider->setValue(25);
        QCOMPARE(preview()->zoomFactor(), 0.25f);
        QCOMPARE(percentage->text(), QStringLiteral("25 %"));
        outlet<ImageButton>("mActualSizeButton")->click();
        QCOMPARE(slider->value(), 100);
        QCOMPARE(percentage->text(), QStringLiteral("100 %"));

        // A 1600 x 800 picture in an 800 x 600 view fits at min(0.5, 0.75).
        const QSize before = preview()->minimumSize();
        preview()->setFixedSize(800, 600);
        QImage picture(1600, 800, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        preview()->setImage(picture);
        outlet<ImageButton>("mFitToScreenButton")->click();
        QCOMPARE(preview()->zoomFactor(), 0.5f);
        QCOMPARE(slider->value(), 50);
        QCOMPARE(percentage->text(), QStringLiteral("50 %"));
        preview()->setMinimumSize(before);
        preview()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }

    // At Actual Pixels a photo larger than the view is rendered only around what is shown,
    // in its place, and again when the view grows past it.
    void largePhotosRenderOnlyWhatIsShown() {
        const QString path = mPhotos.filePath("wide.png");
        // Red tells the column: 0 at the left, 255 at the right.
        const vips::VImage red =
            (vips::VImage::xyz(1200, 900)[0] * (255.0 / 1199)).cast(VIPS_FORMAT_UCHAR);
        red.bandjoin(red * 0).bandjoin(red * 0).cast(VIPS_FORMAT_UCHAR).pngsave(qPrintable(path));
        test::showBatch(*mController, {QFile::encodeName(path).toStdString()});
        browser()->setSelectionIndexes({0}, false);
        const QSize before = preview()->minimumSize();
        preview()->setFixedSize(300, 200);
        outlet<ImageButton>("mActualSizeButton")->click();
        QVERIFY(settled());
        QCOMPARE(preview()->imageSize(), QSize(1200, 900));
        const QImage part = preview()->image();
        QVERIFY(part.width() < 600 && part.height() < 400);
        QVERIFY(preview()->coversVisibleArea());
        const int left = (1200 - part.width()) / 2;
        QVERIFY(std::abs(qRed(part.pixel(0, part.height() / 2)) - left * 255 / 1199) <= 1);
        QVERIFY(std::abs(qRed(part.pixel(part.width() - 1, 0)) -
                         (left + part.width() - 1) * 255 / 1199) <= 1);
        preview()->setFixedSize(900, 700);
        QCoreApplication::sendPostedEvents();
        QVERIFY(settled());
        QVERIFY(preview()->image().width() > part.width());
        QVERIFY(preview()->coversVisibleArea());
        preview()->setMinimumSize(before);
        preview()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }

    // FX Off shows the photo untouched; the zoom stays as it was either way.
    void effectsSwitchKeepsTheZoom() {
        usePhotos(1);
        browser()->setSelectionIndexes({0}, false);
        Effects::sharedEffects().setCropLeftPercentage(0.25f);
        Effects::sharedEffects().setRotationDegrees(90.0f);
        outlet<QSlider>("mPreviewImageZoomSlider")->setValue(150);
        const struct {
            const char* button;
            QSize shown;
        } steps[] = {
            {"mFXOnButton", {50, 75}}, {"mFXOffButton", {100, 50}}, {"mFXOnButton", {50, 75}}};
        for (const auto& step : steps) {
            outlet<ImageButton>(step.button)->click();
            QVERIFY(settled());
            QCOMPARE(preview()->imageSize(), step.shown);
            QCOMPARE(preview()->zoomFactor(), 1.5f);
        }
    }
};

VANTREL_GUI_TEST_MAIN(PreviewLogicTest)
#include "PreviewLogicTest.moc"
