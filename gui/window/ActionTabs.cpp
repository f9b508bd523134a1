#include "gui/skin/ImageButton.h"
#include "gui/skin/Skin.h"
#include "gui/window/VantrelController.h"
#include "ui_MainWindow.h"

#include <QFontDatabase>

namespace vantrel {

void VantrelController::selectTabViewItemAdjust(QObject*) {
    selectTabViewItemAtIndex(0);
}
void VantrelController::selectTabViewItemCrop(QObject*) {
    selectTabViewItemAtIndex(1);
}
void VantrelController::selectTabViewItemScale(QObject*) {
    selectTabViewItemAtIndex(2);
}
void VantrelController::selectTabViewItemName(QObject*) {
    selectTabViewItemAtIndex(3);
    updateNameTemplateExample();
}
void VantrelController::selectTabViewItemSave(QObject*) {
    selectTabViewItemAtIndex(4);
}

void VantrelController::selectTabViewItemAtIndex(int index) {
    mUi->mTabViewEffects->setCurrentIndex(index);
    ImageButton* const buttons[] = {mUi->mAdjustButton, mUi->mCropButton,
                                    mUi->mRotateAndScaleButton, mUi->mNameButton, mUi->mSaveButton};
    for (int i = 0; i < 5; ++i)
        buttons[i]->setChecked(i == index);
    for (int i = 0; i < 5; ++i)
        buttons[i]->setImage(skinPicture(i == index ? QStringLiteral("action-item-activated.png")
                                                    : QStringLiteral("action-item.png")));
}

void VantrelController::setButtonTitleFor(ImageButton* button, const QString& title,
                                          const QColor& color, int fontSize) {
    // Without the font the title keeps the default one; colour and centring stay.
    static const bool haveLucida =
        QFontDatabase::families().contains(QStringLiteral("Lucida Grande"));
    if (haveLucida) {
        const QFont font(QStringLiteral("Lucida Grande"), fontSize);
        button->setAttributedTitle(title, color, &font);
    } else {
        button->setAttributedTitle(title, color, nullptr);
    }
    button->setBackgroundStyle(ImageButton::Lowered);
}

} // namespace vantrel
