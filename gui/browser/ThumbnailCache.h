#pragma once

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <deque>
#include <string>
#include <vector>

namespace vantrel {

// Thumbnails of the browser's photos, made on two threads of our own and kept in memory
// up to a fixed number of bytes, least recently drawn first out.
//
// The browser says which photos it wants (the cells on screen and a screen around them)
// every time that changes; wanted photos wait in a queue on the GUI thread and only a few
// jobs run at once, so photos that scrolled far away are dropped from the queue before
// any work is done for them. Finished thumbnails come back to the GUI thread as a queued
// call and are announced with thumbnailReady. Nothing here ever waits for a job, except
// the destructor, which drops the queue and waits only for the jobs already running.
//
// Thumbnails are made in size buckets, so that moving the zoom slider does not make a new
// thumbnail for every pixel of cell size; the browser scales a bucket to its cell.
class ThumbnailCache : public QObject {
    Q_OBJECT
public:
    enum class Status { Loading, Ready, Unreadable };

    explicit ThumbnailCache(QObject* parent = nullptr);
    ~ThumbnailCache() override;

    // The thumbnail size made for a cell whose picture area is `side` device pixels square.
    static int bucketForSide(int side);

    // Replaces the wanted photos, most urgent first, for cells of `side` device pixels.
    // Photos already made, being made or known to be unreadable are skipped; queued photos
    // that are no longer wanted are dropped.
    void requestThumbnails(const std::vector<std::string>& paths, int side);

    Status status(const std::string& path, int side) const;
    // The thumbnail for a cell of `side`, or a thumbnail of another size while that one is
    // being made (the caller scales it); null when there is neither.
    QImage thumbnail(const std::string& path, int side) const;

    // The pictures drawn in place of a thumbnail, `side` device pixels square.
    static QImage loadingPicture(int side);
    static QImage unreadablePicture(int side);

    // Photos found unreadable are tried again after this (their files may have changed).
    void forgetUnreadable();
    // Forgets every thumbnail and what was learnt with it, and drops what jobs still running
    // bring back: the photos are to be seen another way (the camera orientation choice).
    void forgetAll();

    // What the thumbnail job learnt of a photo: its pixel size as seen (empty until known)
    // and, for an unreadable one, why in plain words.
    QSize photoSize(const std::string& path) const;
    QString whyUnreadable(const std::string& path) const;

    // While paused no new job starts (those running finish); requests still queue up and
    // are served when it resumes. An export pauses the thumbnails so that they never take
    // a processor from it.
    void setPaused(bool paused);
    bool isPaused() const { return mPaused; }
    // Held back, no new job starts either: the preview is decoding the photo just chosen,
    // and on two cores a thumbnail made beside it would nearly double the wait for it.
    void setHeldBack(bool held);
    bool isHeldBack() const { return mHeldBack; }

    qint64 cachedBytes() const { return mImages.totalCost(); }
    qint64 maximumBytes() const { return mImages.maxCost(); }
    int cachedCount() const { return static_cast<int>(mImages.count()); }
    // Jobs started since the cache was made, and whether any is queued or running.
    int jobsStarted() const { return mJobsStarted; }
    bool isIdle() const { return mQueue.empty() && mRunning.isEmpty(); }

Q_SIGNALS:
    void thumbnailReady(const QByteArray& path);

private:
    struct Request {
        QByteArray path;
        int bucket = 0;
    };

    static QByteArray keyFor(const QByteArray& path, int bucket);
    void startJobs();
    void startJob(const Request& request);
    void jobFinished(const QByteArray& path, int bucket, int generation, const QImage& image,
                     const QSize& photoSize, const QString& why);

    QThreadPool mPool;
    bool mPaused = false;
    bool mHeldBack = false;
    // Mutable: reading a thumbnail marks it as recently used.
    mutable QCache<QByteArray, QImage> mImages;
    QHash<QByteArray, QString> mUnreadable; // path -> why
    QHash<QByteArray, QSize> mPhotoSizes;
    // Keys of the jobs running now.
    QSet<QByteArray> mRunning;
    std::deque<Request> mQueue;
    int mJobsStarted = 0;
    // Counts forgetAll(): a job started before the last one brings back nothing of use.
    int mGeneration = 0;
};

} // namespace vantrel
