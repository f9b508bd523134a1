#pragma once

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

namespace vantrel {

class ImageBrowserView;

namespace BrowserCell {
// Room around the picture for the selection halo, and between picture and title.
inline constexpr int padding = 10;
inline constexpr int titleGap = 6;
} // namespace BrowserCell

// One cell: the thumbnail fitted into a square, the file name centred under it in up to
// two lines. The
// selection is a soft light halo with the title on an accent pill, which reads well on the
// dark skin behind the transparent browser.
class BrowserCellDelegate : public QStyledItemDelegate {
public:
    explicit BrowserCellDelegate(ImageBrowserView* view);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QStringList titleLines(const QFont& font, const QString& title, int width) const;

    ImageBrowserView* mView;
    mutable QHash<QString, QStringList> mTitles;
    mutable int mTitleWidth = -1;
    mutable QFont mTitleFont;
};

} // namespace vantrel
