#include "gui/skin/SkinSplitter.h"

#include <QChildEvent>
#include <QEvent>
#include <QSplitterHandle>
#include <cmath>

namespace vantrel {

SkinSplitter::SkinSplitter(Qt::Orientation fixedOrientation, QWidget* parent)
    : QSplitter(fixedOrientation, parent), mFixedOrientation(fixedOrientation) {
    setHandleWidth(1);
    setChildrenCollapsible(true);
    setOpaqueResize(true);
    connect(this, &QSplitter::splitterMoved, this,
            [this](int, int paneIndex) { keepDividerInLimits(paneIndex); });
}

double SkinSplitter::constrainMinCoordinate(int) const {
    return limits().minimum;
}

double SkinSplitter::constrainMaxCoordinate(int) const {
    return limits().maximum;
}

bool SkinSplitter::canCollapseSubview(int) const {
    return true;
}

bool SkinSplitter::shouldAdjustSizeOfSubview(int) const {
    return true;
}

int SkinSplitter::dividerPosition(int paneIndex) const {
    if (paneIndex < 1 || paneIndex >= count()) {
        return -1;
    }
    // The handle widget of a thin divider is wider than the divider it draws (to be easier to
    // grab), so the pane behind it tells where the divider really is.
    const QRect pane = widget(paneIndex)->geometry();
    return (orientation() == Qt::Horizontal ? pane.x() : pane.y()) - handleWidth();
}

// The window description may carry an orientation of its own; the class decides.
bool SkinSplitter::event(QEvent* event) {
    if (event->type() == QEvent::Polish) {
        enforceOrientation();
    }
    return QSplitter::event(event);
}

void SkinSplitter::enforceOrientation() {
    if (orientation() != mFixedOrientation) {
        setOrientation(mFixedOrientation);
    }
}

void SkinSplitter::childEvent(QChildEvent* event) {
    QSplitter::childEvent(event);
    if (event->added() && event->child()->isWidgetType()) {
        // Equal stretch: a resize of the view is shared by all panes, not given to the last.
        for (int i = 0; i < count(); ++i) {
            setStretchFactor(i, 1);
        }
    }
}

void SkinSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    keepAllDividersInLimits();
}

void SkinSplitter::keepAllDividersInLimits() {
    for (int paneIndex = 1; paneIndex < count(); ++paneIndex) {
        keepDividerInLimits(paneIndex);
    }
}

void SkinSplitter::keepDividerInLimits(int paneIndex) {
    // moveSplitter() reports the move again; the second round finds the divider in place.
    if (mCorrecting) {
        return;
    }
    const int position = dividerPosition(paneIndex);
    if (position < 0) {
        return;
    }
    const skin::SplitLimits range = limits();
    const int wanted = static_cast<int>(std::lround(range.clamp(position)));
    if (wanted == position) {
        return;
    }
    mCorrecting = true;
    moveSplitter(wanted, paneIndex);
    mCorrecting = false;
}

} // namespace vantrel
