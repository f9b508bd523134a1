#include "tests/gui/GuiTestSupport.h"

#include "gui/browser/FileDropTarget.h"
#include "gui/preview/PreviewImageView.h"

#include <QApplication>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

using namespace vantrel;

namespace {

// Records what the preview delivers, in order.
class RecordingDropTarget : public FileDropTarget {
public:
    bool accept = true;
    QStringList calls;

    bool performDragOperation(const QStringList& paths) override {
        calls << QStringLiteral("perform:") + paths.join('|');
        return accept;
    }
    void concludeDragOperation() override { calls << QStringLiteral("conclude"); }
    void draggingEnded() override { calls << QStringLiteral("ended"); }
};

bool dropOn(PreviewImageView& view, const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    // Qt delivers a drop only to the widget that took the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &drop);
    return drop.isAccepted();
}

} // namespace

// Drops on the preview reach the batch's owner through its drop target, like the grid's.
class PreviewImageViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dropsGoToTheTargetInOrder() {
        PreviewImageView view;
        view.resize(200, 100);
        RecordingDropTarget target;
        view.setDropTarget(&target);

        QVERIFY(dropOn(view, {"/photos/a.jpg", "/photos/trip"}));
        QCOMPARE(target.calls,
                 (QStringList{"perform:/photos/a.jpg|/photos/trip", "conclude", "ended"}));

        target.calls.clear();
        target.accept = false;
        QVERIFY(!dropOn(view, {"/photos/b.png"}));
        QCOMPARE(target.calls, (QStringList{"perform:/photos/b.png", "ended"}));

        target.calls.clear();
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/photos/d.png")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&view, &enter);
        QDragLeaveEvent leave;
        QApplication::sendEvent(&view, &leave);
        QCOMPARE(target.calls, QStringList{"ended"});

        // A web address is refused at the door.
        QMimeData web;
        web.setUrls({QUrl("https://example.com/e.jpg")});
        QDragEnterEvent webEnter(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton,
                                 Qt::NoModifier);
        webEnter.setAccepted(false);
        QApplication::sendEvent(&view, &webEnter);
        QVERIFY(!webEnter.isAccepted());

        view.setDropTarget(nullptr);
        QVERIFY(!dropOn(view, {"/photos/c.png"}));
    }
};

VANTREL_GUI_TEST_MAIN(PreviewImageViewTest)
#include "PreviewImageViewTest.moc"
