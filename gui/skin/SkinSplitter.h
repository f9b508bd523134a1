#pragma once

#include "gui/skin/SkinGeometry.h"

#include <QSplitter>

namespace vantrel {

// What the two skin split views share: a thin divider that stays between limits the subclass
// gives, however the divider gets there (dragged by the user or pushed by a resize of the view).
// Every divider of a view gets the same limits.
class SkinSplitter : public QSplitter {
    Q_OBJECT

public:
    // Limits, as divider positions along the split axis, for the view's current size.
    double constrainMinCoordinate(int dividerIndex) const;
    double constrainMaxCoordinate(int dividerIndex) const;

    // Every pane may collapse and every pane takes part in a resize of the view.
    bool canCollapseSubview(int paneIndex) const;
    bool shouldAdjustSizeOfSubview(int paneIndex) const;

    // Position of the divider in front of pane `paneIndex` (1 .. count() - 1), as QSplitter
    // counts them, or -1 when there is no such divider.
    int dividerPosition(int paneIndex) const;

protected:
    SkinSplitter(Qt::Orientation fixedOrientation, QWidget* parent);

    virtual skin::SplitLimits limits() const = 0;

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void enforceOrientation();
    void keepDividerInLimits(int paneIndex);
    void keepAllDividersInLimits();

    Qt::Orientation mFixedOrientation;
    bool mCorrecting = false;
};

} // namespace vantrel
