#include "gui/browser/PhotoOpenDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
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

    // What Enter acts on: a name typed in the field, or the items picked in the list. The
    // field's completion selects in the list too, so a selection counts as the user's only
    // when the list has the focus.
    if (auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(field, &QLineEdit::textEdited, this, [this] { mNameTyped = true; });
    for (QAbstractItemView* view : findChildren<QAbstractItemView*>()) {
        if (!isContentsView(view) || !view->selectionModel())
            continue;
        connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, view] {
            if (view->hasFocus())
                mNameTyped = false;
        });
    }
}

bool PhotoOpenDialog::isContentsView(const QAbstractItemView* view) {
    // The folder's contents are shown by the list or the detail view; the sidebar of
    // places is a view too, but what it selects is where to look, not what to add.
    const QString name = view->objectName();
    return name == QLatin1String("listView") || name == QLatin1String("treeView");
}

QStringList PhotoOpenDialog::photoPatterns() {
    QStringList patterns;
    for (const char* extension :
         {"png", "jpg", "jpeg", "tif", "tiff", "heic", "heif", "avif", "webp"}) {
        const QString lower = QString::fromLatin1(extension);
        patterns << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
    }
    return patterns;
}

QStringList PhotoOpenDialog::selectedInView() const {
    QStringList paths;
    QSet<QString> seen;
    for (const QAbstractItemView* view : findChildren<QAbstractItemView*>()) {
        if (!isContentsView(view) || !view->isVisible() || !view->selectionModel())
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

bool PhotoOpenDialog::acceptTypedName() {
    auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString typed = field ? field->text().trimmed() : QString();
    // Several quoted names are the dialog's own business.
    if (!mNameTyped || typed.isEmpty() || typed.startsWith(QLatin1Char('"')))
        return false;
    QString path = typed;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    else if (QDir::isRelativePath(path))
        path = directory().absoluteFilePath(path);
    const QFileInfo info(path);
    if (info.isDir()) {
        // A typed folder is entered, as in every open dialog, never imported whole.
        setDirectory(path);
        field->clear();
        mNameTyped = false;
        return true;
    }
    if (info.isFile()) {
        mChosenPaths = {path};
        QDialog::accept();
        return true;
    }
    return false;
}

void PhotoOpenDialog::accept() {
    if (acceptTypedName())
        return;
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
