#include "gui/browser/ImageBrowserModel.h"

#include "core/imaging/Image.h"
#include "core/imaging/PhotoFile.h"
#include "gui/browser/ImageBrowserDelegate.h"
#include "gui/browser/ImageBrowserView.h"
#include "gui/browser/ThumbnailCache.h"

#include <algorithm>

namespace vantrel {

ImageBrowserModel::ImageBrowserModel(ImageBrowserView* browser, ThumbnailCache* thumbnails)
    : QAbstractListModel(browser), mBrowser(browser), mThumbnails(thumbnails) {}

void ImageBrowserModel::reload() {
    beginResetModel();
    mCount = mDelegate ? std::max(0, mDelegate->numberOfItemsInImageBrowser(mBrowser)) : 0;
    endResetModel();
}

void ImageBrowserModel::rowsChanged(int first, int last) {
    if (mCount == 0) {
        return;
    }
    first = std::clamp(first, 0, mCount - 1);
    last = std::clamp(last, 0, mCount - 1);
    Q_EMIT dataChanged(index(std::min(first, last)), index(std::max(first, last)));
}

const Image* ImageBrowserModel::imageAt(int row) const {
    if (!mDelegate || row < 0 || row >= mCount) {
        return nullptr;
    }
    return mDelegate->imageBrowserItemAtIndex(mBrowser, row);
}

int ImageBrowserModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : mCount;
}

Qt::ItemFlags ImageBrowserModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QVariant ImageBrowserModel::data(const QModelIndex& index, int role) const {
    const Image* image = index.isValid() ? imageAt(index.row()) : nullptr;
    if (!image) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return displayPath(image->imageTitle());
    case Qt::ToolTipRole: {
        // The whole name, which the cell may shorten, what the thumbnail learnt, and where.
        QStringList lines{displayPath(image->imageTitle())};
        const std::string file = image->imageRepresentation();
        if (const QSize size = mThumbnails->photoSize(file); !size.isEmpty())
            lines << tr("%1 × %2 pixels").arg(size.width()).arg(size.height());
        if (mThumbnails->status(file, mThumbnailSide) == ThumbnailCache::Status::Unreadable)
            lines << tr("Cannot be shown: %1").arg(mThumbnails->whyUnreadable(file));
        lines << displayPath(image->path());
        return lines.join(QLatin1Char('\n'));
    }
    case PathRole:
        return QByteArray::fromStdString(image->imageUID());
    case ThumbnailStatusRole:
        return static_cast<int>(mThumbnails->status(image->imageRepresentation(), mThumbnailSide));
    case Qt::DecorationRole: {
        const std::string path = image->imageRepresentation();
        switch (mThumbnails->status(path, mThumbnailSide)) {
        case ThumbnailCache::Status::Unreadable:
            return ThumbnailCache::unreadablePicture(mThumbnailSide);
        case ThumbnailCache::Status::Ready:
        case ThumbnailCache::Status::Loading:
            if (QImage thumbnail = mThumbnails->thumbnail(path, mThumbnailSide);
                !thumbnail.isNull()) {
                return thumbnail;
            }
            return ThumbnailCache::loadingPicture(mThumbnailSide);
        }
        return {};
    }
    default:
        return {};
    }
}

} // namespace vantrel
