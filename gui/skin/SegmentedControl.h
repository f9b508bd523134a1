#pragma once

#include <QStringList>
#include <QWidget>

namespace vantrel {

// A row of exclusive segments, at most one selected. A click on a segment, or the arrow, Home
// and End keys while the control has focus, select a segment and report it through
// segmentClicked (also when the segment was already selected). Selecting by code reports
// nothing.
class SegmentedControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int segmentCount READ segmentCount WRITE setSegmentCount)
    Q_PROPERTY(int selectedSegment READ selectedSegment WRITE setSelectedSegment)

public:
    explicit SegmentedControl(QWidget* parent = nullptr);

    int segmentCount() const { return static_cast<int>(mLabels.size()); }
    // Labels of new segments start empty; a selection beyond the new count is cleared.
    void setSegmentCount(int count);

    QString label(int segment) const;
    void setLabel(int segment, const QString& text);
    // What assistive technologies call the segment (the label when none is given): a label
    // may be a symbol that says nothing read aloud.
    QString accessibleSegmentName(int segment) const;
    void setAccessibleSegmentName(int segment, const QString& name);
    // Selects a segment and reports it, as a click on it does.
    void clickSegment(int segment) { selectByUser(segment); }

    // The selected segment, or -1 when none is.
    int selectedSegment() const { return mSelected; }
    // -1 clears the selection; other indices outside the control are ignored.
    void setSelectedSegment(int segment);

    // Where a segment lies in the control, or an empty rectangle for a segment that does not
    // exist.
    QRect segmentRect(int segment) const;
    int segmentAt(const QPoint& position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void segmentClicked(int segment);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void selectByUser(int segment);

    QStringList mLabels;
    QStringList mAccessibleNames;
    int mSelected = -1;
    int mPressed = -1;
};

} // namespace vantrel
