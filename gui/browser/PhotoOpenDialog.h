#pragma once

#include <QFileDialog>

namespace vantrel {

// The open dialog for adding photos: several files and folders may be chosen together.
// The standard dialog either picks files or one folder; this one takes whatever is
// selected when Open is pressed, folders included, and enters a folder only when it is
// the single item opened by double click.
class PhotoOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit PhotoOpenDialog(QWidget* parent);

    // Absolute paths of what was chosen, in the order shown.
    QStringList chosenPaths() const { return mChosenPaths; }

    // The name filter's patterns: the five photo extensions in both cases.
    static QStringList photoPatterns();

public Q_SLOTS:
    void accept() override;

private:
    QStringList selectedInView() const;
    QStringList mChosenPaths;
};

} // namespace vantrel
