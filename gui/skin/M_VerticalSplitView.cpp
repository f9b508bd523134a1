#include "gui/skin/M_VerticalSplitView.h"

namespace vantrel {

M_VerticalSplitView::M_VerticalSplitView(QWidget* parent) : SkinSplitter(Qt::Horizontal, parent) {}

skin::SplitLimits M_VerticalSplitView::limits() const {
    return skin::sideBySideSplitLimits(QSizeF(size()));
}

} // namespace vantrel
