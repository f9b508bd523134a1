#include "tests/gui/GuiTestSupport.h"

#include "gui/browser/PhotoOpenDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace vantrel;

namespace {

// The dialog's list of the folder on view, once the file system model has read it.
QAbstractItemView* listedView(PhotoOpenDialog& dialog, int entries) {
    QAbstractItemView* found = nullptr;
    test::waitUntil([&] {
        for (QAbstractItemView* view : dialog.findChildren<QAbstractItemView*>()) {
            const bool folderView =
                view->objectName() == "listView" || view->objectName() == "treeView";
            if (folderView && view->isVisible() && view->model() &&
                view->model()->rowCount(view->rootIndex()) >= entries) {
                found = view;
                return true;
            }
        }
        return false;
    });
    return found;
}

void select(QAbstractItemView* view, const QString& name) {
    const QModelIndexList matches = view->model()->match(
        view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    QVERIFY(!matches.isEmpty());
    view->selectionModel()->select(matches.first(),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// The open dialog over its window, on a folder of the named empty files ('/' ends a folder).
struct OpenDialogOn {
    QTemporaryDir dir;
    QWidget window;
    std::unique_ptr<PhotoOpenDialog> dialog;
    bool made = true;
    explicit OpenDialogOn(const QStringList& names) {
        for (const QString& name : names) {
            QFile file(dir.filePath(name));
            made &= name.endsWith('/') ? QDir(dir.path()).mkpath(name)
                                       : file.open(QIODevice::WriteOnly);
        }
        window.show();
        dialog = std::make_unique<PhotoOpenDialog>(&window);
    }
    void open() {
        dialog->setDirectory(dir.path());
        dialog->open();
    }
};
} // namespace

// The open dialog: photos and folders chosen together, typed names.
class PhotoOpenDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openDialogChoosesFilesAndFoldersTogether() {
        OpenDialogOn on(
            {"trip/", "not chosen/", "Beach.JPG", "scan.tiff", "notes.txt", "anim.gif"});
        PhotoOpenDialog& dialog = *on.dialog;
        const QTemporaryDir& dir = on.dir;
        QVERIFY(on.made);
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        on.open();
        QTRY_VERIFY_WITH_TIMEOUT(loaded.contains(QVariantList{dir.path()}), 10000);
        // Folders and photos are offered, nothing else.
        QStringList offered;
        const QModelIndex root = model->index(dir.path());
        for (int row = 0; row < model->rowCount(root); ++row)
            offered << model->index(row, 0, root).data().toString();
        offered.sort();
        QCOMPARE(offered, (QStringList{"Beach.JPG", "not chosen", "scan.tiff", "trip"}));

        QAbstractItemView* view = listedView(dialog, 4);
        QVERIFY(view);
        select(view, "trip");
        select(view, "Beach.JPG");
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.accept();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QStringList chosen = dialog.chosenPaths();
        chosen.sort();
        QCOMPARE(chosen, (QStringList{dir.path() + "/Beach.JPG", dir.path() + "/trip"}));
    }

    // A typed folder and Enter enter the folder and add nothing; a typed file is
    // added.
    void openDialogEntersTypedFoldersAndAddsTypedFiles() {
        OpenDialogOn on({"trip/", "trip/Beach.JPG"});
        PhotoOpenDialog& dialog = *on.dialog;
        const QTemporaryDir& dir = on.dir;
        QVERIFY(on.made);
        on.open();
        QVERIFY(listedView(dialog, 1));
        auto* field = dialog.findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(field);
        QSignalSpy finished(&dialog, &QDialog::finished);
        const struct {
            QString typed;
            qsizetype finishes;
            QString folder;
        } cases[] = {{"trip", 0, dir.path() + "/trip"},
                     {"~", 0, QDir::homePath()},
                     {dir.path() + "/trip/Beach.JPG", 1, QDir::homePath()}};
        for (const auto& c : cases) {
            field->setFocus();
            field->clear();
            QTest::keyClicks(field, c.typed);
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(finished.size(), c.finishes);
            QCOMPARE(dialog.chosenPaths(), c.finishes ? QStringList{c.typed} : QStringList());
            if (!c.finishes)
                QCOMPARE(dialog.directory().absolutePath(), c.folder);
        }
    }
};

VANTREL_GUI_TEST_MAIN(PhotoOpenDialogTest)
#include "PhotoOpenDialogTest.moc"
