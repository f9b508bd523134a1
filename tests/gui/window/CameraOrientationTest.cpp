#include "tests/gui/GuiTestSupport.h"

#include "core/batch/AppData.h"
#include "core/imaging/OrientationChoice.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"
#include "gui/preview/PreviewImageView.h"
#include "gui/window/VantrelController.h"

#include <QSettings>
#include <QThreadPool>
#include <QtTest>

using namespace vantrel;

// Switching the camera orientation choice turns the grid and the preview at once.
class CameraOrientationTest : public QObject {
    Q_OBJECT

    static bool isLandscape(const QImage& image) { return image.width() > image.height(); }

private Q_SLOTS:
    void theChoiceTurnsGridAndPreviewTogether() {
        VantrelController controller;
        controller.show();
        const std::string photo = VANTREL_TESTDATA "/real/jpeg/orientation/Landscape_6.jpg";
        test::showBatch(controller, {photo});
        controller.imageBrowserSelectionDidChange(controller.imageBrowser());
        ThumbnailCache& thumbnails = controller.imageBrowser()->thumbnails();

        for (const bool applied : {false, true}) {
            QSettings().setValue("ApplyCameraOrientation", applied);
            controller.applyCameraOrientationSetting();
            QCOMPARE(cameraOrientationApplied(), applied);
            const QSize seen = applied ? QSize(1800, 1200) : QSize(1200, 1800);
            const int side = controller.imageBrowser()->thumbnailSide();
            // Nothing made under the other choice may linger: both follow it.
            QVERIFY(QTest::qWaitFor(
                [&] {
                    const QImage grid = thumbnails.thumbnail(photo, side);
                    return thumbnails.photoSize(photo) == seen && !grid.isNull() &&
                           isLandscape(grid) == applied;
                },
                60000));
            QVERIFY(QTest::qWaitFor([&] { return controller.previewImage()->imageSize() == seen; },
                                    60000));
        }
        AppData::sharedData().setCurrentImages({});
    }
};

VANTREL_GUI_TEST_MAIN(CameraOrientationTest)
#include "CameraOrientationTest.moc"
