#pragma once

#include <QMainWindow>

namespace vantrel {

// The main window of the skin. Its views paint everything; the window itself only provides a
// dark base under them so that gaps never show the desktop's default grey.
//
// A see-through window is available on request (setSeeThrough) but off by default: on X11
// without a compositing manager a translucent top-level shows garbage where its views leave
// gaps or paint with alpha.
class M_Window : public QMainWindow {
    Q_OBJECT

public:
    explicit M_Window(QWidget* parent = nullptr);

    // The window takes part in geometry saving and restoring; the controller does the work.
    bool isRestorable() const { return true; }

    // Must be called before the window is first shown to take effect.
    void setSeeThrough(bool seeThrough);
    bool isSeeThrough() const;
};

} // namespace vantrel
