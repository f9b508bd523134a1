#pragma once

class QWidget;

namespace vantrel {

// Moves `window` so that it is centred over `over` (the screen's middle without one) and
// lies wholly on that screen, as far as its size allows. For the first showing of a window
// that the window manager would otherwise put in a corner.
void centreOver(QWidget* window, const QWidget* over);

} // namespace vantrel
