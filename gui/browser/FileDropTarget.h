#pragma once

#include <QStringList>

namespace vantrel {

// Where the views that take file drops from other programs (the file viewer) deliver them:
// the photo grid and the preview both add photos through the object that owns the batch.
class FileDropTarget {
public:
    virtual ~FileDropTarget() = default;

    // A drop the view shows as acceptable may still be refused here: performDragOperation
    // answers false then.
    virtual bool performDragOperation(const QStringList& localFilePaths) = 0;
    // After an accepted drop has been performed.
    virtual void concludeDragOperation() = 0;
    // Whenever a drag over the view ends, dropped or not.
    virtual void draggingEnded() = 0;
};

} // namespace vantrel
