#pragma once

#include "gui/skin/SkinSplitter.h"

namespace vantrel {

// Panes stacked one above the other with horizontal dividers, which stay between 20 % and
// 80 % of the view's height.
class M_HorizontalSplitView : public SkinSplitter {
    Q_OBJECT

public:
    explicit M_HorizontalSplitView(QWidget* parent = nullptr);

    // Dividers run horizontally: the panes are stacked.
    bool isVertical() const { return false; }

protected:
    skin::SplitLimits limits() const override;
};

} // namespace vantrel
