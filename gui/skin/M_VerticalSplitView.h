#pragma once

#include "gui/skin/SkinSplitter.h"

namespace vantrel {

// Panes side by side with vertical dividers, which stay between 250 and 90 % of the view's
// height.
class M_VerticalSplitView : public SkinSplitter {
    Q_OBJECT

public:
    explicit M_VerticalSplitView(QWidget* parent = nullptr);

    // Dividers run vertically: the panes sit side by side.
    bool isVertical() const { return true; }

protected:
    skin::SplitLimits limits() const override;
};

} // namespace vantrel
