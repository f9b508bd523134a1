#pragma once

#include "gui/browser/FileDropTarget.h"

#include <QList>
#include <QPoint>
#include <QStringList>

namespace vantrel {

class Image;
class ImageBrowserView;

// What the browser asks of the object that owns the batch: its data source, its delegate
// and the destination of file drops, in one interface. The browser keeps no copy of the
// batch; every answer is read at the moment it is asked.
class ImageBrowserDelegate : public FileDropTarget {
public:
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
};

} // namespace vantrel
