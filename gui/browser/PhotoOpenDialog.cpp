#include "gui/browser/PhotoOpenDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QSet>

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
    QSet<QString> seen;
    // The folder's contents are shown by the list or the detail view; the sidebar of
    // places is a view too, but what it selects is where to look, not what to add.
    for (const QAbstractItemView* view : findChildren<QAbstractItemView*>()) {
        const QString name = view->objectName();
        if (name != QLatin1String("listView") && name != QLatin1String("treeView"))
            continue;
        if (!view->isVisible() || !view->selectionModel())
            continue;
        const auto* model = view->model();
        for (const QModelIndex& index : view->selectionModel()->selectedRows()) {
            const QString path = model->data(index, QFileSystemModel::FilePathRole).toString();
            if (!path.isEmpty() && !seen.contains(path)) {
                seen.insert(path);
                paths << path;
            }
        }
        if (!paths.isEmpty())
            break;
    }
    return paths;
}

void PhotoOpenDialog::accept() {
    QStringList chosen = selectedInView();
    // Nothing selected (a name typed in the field): the dialog's own handling, which
    // enters a typed folder and accepts typed files.
    if (chosen.isEmpty()) {
        QFileDialog::accept();
        mChosenPaths = selectedFiles();
        return;
    }
    mChosenPaths = chosen;
    QDialog::accept();
}

} // namespace vantrel
