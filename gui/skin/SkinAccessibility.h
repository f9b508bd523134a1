#pragma once

namespace vantrel {

// Teaches Qt's accessibility layer the window's own widgets that Qt cannot describe: the
// segmented control (its segments as actions, the selected one as its value) and the preview
// (a picture whose description gives the size shown and the zoom). The image buttons are push
// buttons and need nothing. Safe to call more than once.
void installSkinAccessibility();

} // namespace vantrel
