#include "gui/skin/SkinAccessibility.h"

#include "gui/preview/PreviewImageView.h"
#include "gui/skin/SegmentedControl.h"

#include <QAccessibleWidget>
#include <QCoreApplication>

namespace vantrel {
namespace {

// Each segment is an action named after it; pressing it is a click on that segment.
class SegmentedControlAccessible : public QAccessibleWidget {
public:
    explicit SegmentedControlAccessible(SegmentedControl* control)
        : QAccessibleWidget(control, QAccessible::ToolBar) {}

    QStringList actionNames() const override {
        QStringList names;
        for (int segment = 0; segment < control()->segmentCount(); ++segment)
            names << control()->accessibleSegmentName(segment);
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        for (int segment = 0; segment < control()->segmentCount(); ++segment) {
            if (control()->accessibleSegmentName(segment) == name) {
                control()->clickSegment(segment);
                return;
            }
        }
        QAccessibleWidget::doAction(name);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return control()->accessibleSegmentName(control()->selectedSegment());
        if (kind == QAccessible::Description)
            return actionNames().join(QStringLiteral(", "));
        return QAccessibleWidget::text(kind);
    }

private:
    SegmentedControl* control() const { return static_cast<SegmentedControl*>(widget()); }
};

class PreviewAccessible : public QAccessibleWidget {
public:
    explicit PreviewAccessible(PreviewImageView* view)
        : QAccessibleWidget(view, QAccessible::Graphic) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Description || kind == QAccessible::Value) {
            const PreviewImageView* view = static_cast<PreviewImageView*>(widget());
            if (view->isShowingPlaceholder())
                return QStringLiteral("No photo: drop photos here");
            const QSize size = view->imageSize();
            if (size.isEmpty())
                return QStringLiteral("The photo cannot be shown");
            return QStringLiteral("%1 × %2 pixels at %3 %")
                .arg(size.width())
                .arg(size.height())
                .arg(QString::asprintf("%.0f", double(view->zoomFactor()) * 100.0));
        }
        return QAccessibleWidget::text(kind);
    }
};

// Qt's accessibility cache takes ownership of the interfaces a factory makes.
QAccessibleInterface* skinAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("vantrel::SegmentedControl"))
        return new SegmentedControlAccessible(static_cast<SegmentedControl*>(object));
    if (className == QLatin1String("vantrel::PreviewImageView"))
        return new PreviewAccessible(static_cast<PreviewImageView*>(object));
    return nullptr;
}

} // namespace

void installSkinAccessibility() {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(skinAccessible);
        installed = true;
    }
}

// As soon as the application exists: a window description that names a widget makes Qt
// describe it while the window is built, and Qt keeps the first description it made.
Q_COREAPP_STARTUP_FUNCTION(installSkinAccessibility)

} // namespace vantrel
