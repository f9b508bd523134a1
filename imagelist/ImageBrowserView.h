#pragma once

#include <QListView>
#include <memory>

namespace vantrel {

class ImageBrowserDelegate;
class ImageBrowserModel;
class ThumbnailCache;

// The grid of thumbnails over the batch: the counterpart of the platform's image browser.
// Items are the delegate's photos, titled by file name and identified by path; the view
// reorders by dragging, removes with Delete, reports clicks and accepts file drops, always
// through its delegate. Thumbnails are made off the GUI thread, only for cells on screen
// or near them.
class ImageBrowserView : public QListView {
    Q_OBJECT
public:
    explicit ImageBrowserView(QWidget* parent = nullptr);
    ~ImageBrowserView() override;

    void setDelegate(ImageBrowserDelegate* delegate);
    ImageBrowserDelegate* delegate() const { return mDelegate; }

    // Asks the delegate for the number of items again and redraws every cell. The
    // delegate may call setSelectionIndexes() while it answers; that selection is applied
    // once the new items are in place.
    void reloadData();
    int numberOfItems() const;

    // Selected indexes, ascending.
    QList<int> selectionIndexes() const;
    void setSelectionIndexes(const QList<int>& indexes, bool byExtendingSelection);

    // Thumbnail size: 0 smallest … 1 largest cell.
    double zoomValue() const { return mZoomValue; }
    void setZoomValue(double zoomValue);

    void setAllowsReordering(bool allows);
    bool allowsReordering() const { return mAllowsReordering; }
    void setAnimates(bool animates);
    void setCellTitleColor(const QColor& color);

    ThumbnailCache& thumbnails();

    // ... the rest (event handlers, layout) is the implementation's.

private:
    ImageBrowserDelegate* mDelegate = nullptr;
    double mZoomValue = 0.0;
    bool mAllowsReordering = true;
    // Private members may be added freely by the implementation.
};

} // namespace vantrel
