#pragma once

#include <QWidget>
#include <atomic>
#include <memory>

namespace Ui {
class ImageInfo;
} // namespace Ui

namespace vantrel {

// The information window: one photo of the batch on its own, untouched by the effects, with
// its file name, its path and the properties read from its file as text. It is filled when
// it is shown and does not follow the selection afterwards.
class ImageInfoController : public QWidget {
    Q_OBJECT
public:
    // The one information window, made on first use. It belongs to the main window when
    // there is one, and goes with it.
    static ImageInfoController& controller();
    ~ImageInfoController() override;

    // The position in the batch of the photo to show.
    int indexOfSelectedImage() const { return mIndexOfSelectedImage.load(); }
    void setIndexOfSelectedImage(int index) { mIndexOfSelectedImage.store(index); }

    void awakeFromNib();
    // Brings the window up, filled for the photo at indexOfSelectedImage. The window is
    // made on first use and filled each time it is shown, once.
    void showWindow(QObject* sender);
    // Fills the window from the photo at indexOfSelectedImage. The picture and the
    // properties are read on workers and arrive a moment later; an index outside the batch
    // empties the window.
    void showInfo();
    void closeWindow(QObject* sender);

    Ui::ImageInfo& outlets() { return *mUi; }
    // True while the properties of the photo last asked for are being read.
    bool isReadingMetadata() const;

private:
    explicit ImageInfoController(QWidget* parent);

    bool mPlaced = false; // centred over the main window the first time it is shown
    std::unique_ptr<Ui::ImageInfo> mUi;
    std::atomic<int> mIndexOfSelectedImage{0};
    // Counts fillings so that the properties of an earlier photo never arrive late.
    std::shared_ptr<std::atomic<unsigned>> mGeneration = std::make_shared<std::atomic<unsigned>>(0);
    unsigned mShownGeneration = 0;
};

} // namespace vantrel
