#include "gui/browser/ThumbnailCache.h"

#include "core/imaging/Thumbnail.h"
#include "gui/preview/ScreenImage.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRunnable>
#include <algorithm>
#include <array>
#include <functional>

namespace vantrel {

namespace {

constexpr std::array<int, 10> kBuckets{64, 96, 128, 160, 192, 256, 320, 384, 512, 640};
// Enough for a few screens of the largest cells, and for thousands of the smallest.
constexpr qint64 kDefaultMaximumBytes = 64LL * 1024 * 1024;
constexpr int kThreads = 2;

// Starts a stand-in picture with the frame both share: a faint tile on the dark background.
// The painter is left open on the image for the picture's own mark.
void startTile(int side, QPainter& painter, QImage& image) {
    image = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile =
        QRectF(image.rect()).adjusted(side * 0.06, side * 0.06, -side * 0.06, -side * 0.06);
    painter.setPen(QPen(QColor(255, 255, 255, 46), std::max(1.0, side / 96.0)));
    painter.setBrush(QColor(255, 255, 255, 16));
    painter.drawRoundedRect(tile, side * 0.06, side * 0.06);
}

} // namespace

ThumbnailCache::ThumbnailCache(QObject* parent) : QObject(parent) {
    mPool.setMaxThreadCount(kThreads);
    mPool.setObjectName(QStringLiteral("Thumbnails"));
    mImages.setMaxCost(kDefaultMaximumBytes);
}

ThumbnailCache::~ThumbnailCache() {
    mQueue.clear();
    mPool.clear();
    // Running jobs post their results to this object; those events die with it.
    mPool.waitForDone();
}

int ThumbnailCache::bucketForSide(int side) {
    for (const int bucket : kBuckets) {
        if (bucket >= side) {
            return bucket;
        }
    }
    return kBuckets.back();
}

QByteArray ThumbnailCache::keyFor(const QByteArray& path, int bucket) {
    // A path never holds a NUL byte, so the key cannot be mistaken for another.
    QByteArray key = path;
    key.append('\0');
    key.append(QByteArray::number(bucket));
    return key;
}

void ThumbnailCache::requestThumbnails(const std::vector<std::string>& paths, int side) {
    const int bucket = bucketForSide(side);
    mQueue.clear();
    for (const std::string& path : paths) {
        const QByteArray bytes = QByteArray::fromStdString(path);
        const QByteArray key = keyFor(bytes, bucket);
        if (!mImages.contains(key) && !mRunning.contains(key) && !mUnreadable.contains(bytes)) {
            mQueue.push_back({bytes, bucket});
        }
    }
    startJobs();
}

ThumbnailCache::Status ThumbnailCache::status(const std::string& path, int side) const {
    const QByteArray bytes = QByteArray::fromStdString(path);
    if (mUnreadable.contains(bytes)) {
        return Status::Unreadable;
    }
    return mImages.contains(keyFor(bytes, bucketForSide(side))) ? Status::Ready : Status::Loading;
}

QImage ThumbnailCache::thumbnail(const std::string& path, int side) const {
    const QByteArray bytes = QByteArray::fromStdString(path);
    const int wanted = bucketForSide(side);
    if (const QImage* image = mImages.object(keyFor(bytes, wanted))) {
        return *image;
    }
    // Another size stands in while the right one is made: the nearest larger one first.
    const auto at = std::find(kBuckets.begin(), kBuckets.end(), wanted);
    for (auto larger = at + 1; larger != kBuckets.end(); ++larger) {
        if (const QImage* image = mImages.object(keyFor(bytes, *larger))) {
            return *image;
        }
    }
    for (auto smaller = at; smaller != kBuckets.begin();) {
        --smaller;
        if (const QImage* image = mImages.object(keyFor(bytes, *smaller))) {
            return *image;
        }
    }
    return {};
}

void ThumbnailCache::forgetUnreadable() {
    mUnreadable.clear();
}

void ThumbnailCache::forgetAll() {
    ++mGeneration;
    mQueue.clear();
    mImages.clear();
    mUnreadable.clear();
    mPhotoSizes.clear();
    // The jobs still running finish on their own; their results are dropped.
    mRunning.clear();
}

QSize ThumbnailCache::photoSize(const std::string& path) const {
    return mPhotoSizes.value(QByteArray::fromStdString(path));
}

QString ThumbnailCache::whyUnreadable(const std::string& path) const {
    return mUnreadable.value(QByteArray::fromStdString(path));
}

void ThumbnailCache::setPaused(bool paused) {
    mPaused = paused;
    startJobs();
}

void ThumbnailCache::setHeldBack(bool held) {
    mHeldBack = held;
    startJobs();
}

void ThumbnailCache::startJobs() {
    while (!mPaused && !mHeldBack && mRunning.size() < kThreads && !mQueue.empty()) {
        const Request request = mQueue.front();
        mQueue.pop_front();
        startJob(request);
    }
}

void ThumbnailCache::startJob(const Request& request) {
    mRunning.insert(keyFor(request.path, request.bucket));
    ++mJobsStarted;
    mPool.start([this, request, generation = mGeneration] {
        QImage image;
        QString why;
        PixelSize seen;
        if (const auto bitmap =
                makeThumbnail(request.path.toStdString(), request.bucket, &why, &seen)) {
            image = screenImageFromBitmap(*bitmap);
        }
        const QSize photoSize(seen.width, seen.height);
        QMetaObject::invokeMethod(
            this,
            [this, request, generation, image, photoSize, why] {
                jobFinished(request.path, request.bucket, generation, image, photoSize, why);
            },
            Qt::QueuedConnection);
    });
}

void ThumbnailCache::jobFinished(const QByteArray& path, int bucket, int generation,
                                 const QImage& image, const QSize& photoSize, const QString& why) {
    if (generation != mGeneration) {
        startJobs();
        return;
    }
    mRunning.remove(keyFor(path, bucket));
    if (!photoSize.isEmpty())
        mPhotoSizes.insert(path, photoSize);
    if (image.isNull()) {
        mUnreadable.insert(path, why);
    } else {
        mImages.insert(keyFor(path, bucket), new QImage(image),
                       std::max<qint64>(1, image.sizeInBytes()));
    }
    Q_EMIT thumbnailReady(path);
    startJobs();
}

namespace {

// Each placeholder is drawn once per size and kept: cells ask for it on every repaint.
QImage placeholderTile(QHash<int, QImage>& drawn, int side,
                       const std::function<void(QPainter&, double)>& drawMark) {
    if (const auto found = drawn.constFind(side); found != drawn.cend()) {
        return *found;
    }
    QImage image;
    QPainter painter;
    startTile(side, painter, image);
    drawMark(painter, side);
    painter.end();
    drawn.insert(side, image);
    return image;
}

} // namespace

QImage ThumbnailCache::loadingPicture(int side) {
    static QHash<int, QImage> pictures;
    return placeholderTile(pictures, side, [](QPainter& painter, double s) {
        // A small landscape: a hill and a sun, as quiet as the tile.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 64));
        painter.drawEllipse(QPointF(s * 0.60, s * 0.40), s * 0.055, s * 0.055);
        QPainterPath hills;
        hills.moveTo(s * 0.30, s * 0.64);
        hills.lineTo(s * 0.44, s * 0.47);
        hills.lineTo(s * 0.54, s * 0.58);
        hills.lineTo(s * 0.60, s * 0.52);
        hills.lineTo(s * 0.70, s * 0.64);
        hills.closeSubpath();
        painter.drawPath(hills);
    });
}

QImage ThumbnailCache::unreadablePicture(int side) {
    static QHash<int, QImage> pictures;
    return placeholderTile(pictures, side, [](QPainter& painter, double s) {
        // A muted red circle with a bar through it: this file shows nothing and exports
        // nothing.
        const QPointF centre(s * 0.5, s * 0.5);
        const double radius = s * 0.16;
        painter.setPen(
            QPen(QColor(222, 96, 84, 210), std::max(1.5, s / 28.0), Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(QColor(222, 96, 84, 36));
        painter.drawEllipse(centre, radius, radius);
        const double d = radius * 0.7071;
        painter.drawLine(centre + QPointF(-d, d), centre + QPointF(d, -d));
    });
}

} // namespace vantrel
