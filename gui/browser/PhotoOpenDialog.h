#pragma once

#include <QFileDialog>

class QAbstractItemView;

namespace vantrel {

// The open dialog for adding photos: several files and folders may be chosen together.
// The standard dialog either picks files or one folder; this one takes whatever is
// selected when Add is pressed, folders included. A folder typed into the name field is
// entered, as in every open dialog; a typed file is added.
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
    static bool isContentsView(const QAbstractItemView* view);
    // Enters a typed folder or takes a typed file; false when no name was typed.
    bool acceptTypedName();
    QStringList selectedInView() const;
    QStringList mChosenPaths;
    bool mNameTyped = false;
};

} // namespace vantrel
