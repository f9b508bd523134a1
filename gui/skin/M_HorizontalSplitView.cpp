#include "gui/skin/M_HorizontalSplitView.h"

namespace vantrel {

M_HorizontalSplitView::M_HorizontalSplitView(QWidget* parent)
    : SkinSplitter(Qt::Vertical, parent) {}

skin::SplitLimits M_HorizontalSplitView::limits() const {
    return skin::stackedSplitLimits(QSizeF(size()));
}

} // namespace vantrel
