#include "imagelist/PhotoOpenDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>

namespace vantrel {

PhotoOpenDialog::PhotoOpenDialog(QWidget* parent) : QFileDialog(parent) {
    // Only Qt's own dialog lets us accept folders and files at once.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setWindowTitle(tr("Add Photos"));
    setLabelText(QFileDialog::Accept, tr("Add"));
    setNameFilters(
        {tr("Photos (%1)").arg(photoPatterns().join(QLatin1Char(' '))), tr("All files (*)")});
    setDirectory(QDir::home());
    setWindowModality(Qt::WindowModal);
}

QStringList PhotoOpenDialog::photoPatterns() {
    QStringList patterns;
    for (const char* extension : {"png", "jpg", "jpeg", "tif", "tiff"}) {
        const QString lower = QString::fromLatin1(extension);
        patterns << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
    }
    return patterns;
}

QStringList PhotoOpenDialog::selectedInView() const {
    QStringList paths;
    for (const QAbstractItemView* view : findChildren<QAbstractItemView*>()) {
        if (!view->isVisible() || !view->selectionModel())
            continue;
        const auto* model = view->model();
        for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
            const QString path = model->data(index, QFileSystemModel::FilePathRole).toString();
            if (!path.isEmpty() && !paths.contains(path))
                paths << path;
        }
        if (!paths.isEmpty())
            break;
    }
    return paths;
}

void PhotoOpenDialog::accept() {
    QStringList chosen = selectedInView();
    // A single folder typed or opened is entered, like in any open dialog, unless it was
    // selected together with other items or the user pressed Add on it.
    if (chosen.isEmpty()) {
        QFileDialog::accept();
        mChosenPaths = selectedFiles();
        return;
    }
    mChosenPaths = chosen;
    QDialog::accept();
}

} // namespace vantrel
