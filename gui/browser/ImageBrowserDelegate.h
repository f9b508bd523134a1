#pragma once

#include <QList>
#include <QPoint>
#include <QStringList>

namespace vantrel {

class Image;
class ImageBrowserView;

// What the browser asks of the object that owns the batch: its data source, its delegate
// and the destination of file drops, in one interface. The browser keeps no copy of the
// batch; every answer is read at the moment it is asked.
class ImageBrowserDelegate {
public:
    virtual ~ImageBrowserDelegate() = default;

    // Asked once per reloadData(). The answer is the number of items until the next reload.
    virtual int numberOfItemsInImageBrowser(ImageBrowserView* browser) = 0;
    virtual const Image* imageBrowserItemAtIndex(ImageBrowserView* browser, int index) = 0;

    // The user dragged the items at `indexes` (ascending) in front of the item that was at
    // `destinationIndex` (0 … count) before the move. Answer whether the move was made.
    virtual bool imageBrowserMoveItemsAtIndexes(ImageBrowserView* browser,
                                                const QList<int>& indexes,
                                                int destinationIndex) = 0;
    // The user removed the selected items (Delete or Backspace): `indexes` ascending.
    virtual void imageBrowserRemoveItemsAtIndexes(ImageBrowserView* browser,
                                                  const QList<int>& indexes) = 0;
    virtual void imageBrowserCellWasDoubleClickedAtIndex(ImageBrowserView* browser, int index) = 0;
    virtual void imageBrowserCellWasRightClickedAtIndex(ImageBrowserView* browser, int index,
                                                        QPoint globalPosition) = 0;
    virtual void imageBrowserBackgroundWasRightClicked(ImageBrowserView* browser,
                                                       QPoint globalPosition) = 0;
    virtual void imageBrowserSelectionDidChange(ImageBrowserView* browser) = 0;

    // File drops from other programs (the file viewer). A drop the browser shows as
    // acceptable may still be refused here: performDragOperation answers false then.
    virtual bool performDragOperation(const QStringList& localFilePaths) = 0;
    // After an accepted drop has been performed.
    virtual void concludeDragOperation() = 0;
    // Whenever a drag over the browser ends, dropped or not.
    virtual void draggingEnded() = 0;
};

} // namespace vantrel
