#pragma once

#include <QAbstractListModel>

namespace vantrel {

class Image;
class ImageBrowserDelegate;
class ImageBrowserView;
class ThumbnailCache;

// The browser's items as a Qt model. It keeps no copy of the batch: the number of rows is
// the delegate's answer at the last reload, and every other answer is read from the
// delegate's photo at the moment it is asked.
class ImageBrowserModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        // The photo's path as raw bytes (QByteArray): the item's identity.
        PathRole = Qt::UserRole + 1,
        // ThumbnailCache::Status of the thumbnail at the current size, as an int.
        ThumbnailStatusRole,
    };

    ImageBrowserModel(ImageBrowserView* browser, ThumbnailCache* thumbnails);

    void setDelegate(ImageBrowserDelegate* delegate) { mDelegate = delegate; }
    // Asks the delegate for the number of items again; every row is new afterwards.
    void reload();
    // The rows between the two (in either order) show other photos now.
    void rowsChanged(int first, int last);

    // The picture area of a cell, in device pixels, that thumbnails are made for.
    void setThumbnailSide(int side) { mThumbnailSide = side; }
    int thumbnailSide() const { return mThumbnailSide; }

    // Null for a row the delegate has no photo for.
    const Image* imageAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    ImageBrowserView* mBrowser;
    ThumbnailCache* mThumbnails;
    ImageBrowserDelegate* mDelegate = nullptr;
    int mCount = 0;
    int mThumbnailSide = 64;
};

} // namespace vantrel
