#include "tests/gui/GuiTestSupport.h"

#include "gui/browser/PhotoOpenDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace vantrel;

class PhotoOpenDialogTest : public QObject {
    Q_OBJECT

    // The dialog's list of the folder on view, once the file system model has read it.
    static QAbstractItemView* listedView(PhotoOpenDialog& dialog, int entries) {
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

    static void select(QAbstractItemView* view, const QString& name) {
        const QModelIndexList matches =
            view->model()->match(view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole,
                                 name, 1, Qt::MatchExactly);
        QVERIFY(!matches.isEmpty());
        view->selectionModel()->select(matches.first(),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

private Q_SLOTS:
    void filesAndFoldersAreChosenTogether() {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("trip");
        QDir(dir.path()).mkdir("not chosen");
        for (const char* name : {"Beach.JPG", "scan.tiff", "notes.txt", "anim.gif"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        QWidget window;
        window.show();
        PhotoOpenDialog dialog(&window);
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        dialog.setDirectory(dir.path());
        dialog.open();
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

    // A typed folder and Enter enter the folder and add nothing; a typed file is added.
    void typedNamesAreEnteredOrAdded() {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("trip");
        QFile photo(dir.filePath("trip/Beach.JPG"));
        QVERIFY(photo.open(QIODevice::WriteOnly));
        photo.close();

        QWidget window;
        window.show();
        PhotoOpenDialog dialog(&window);
        dialog.setDirectory(dir.path());
        dialog.open();
        QVERIFY(listedView(dialog, 1));
        auto* field = dialog.findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(field);
        QSignalSpy finished(&dialog, &QDialog::finished);
        const auto typeAndEnter = [&](const QString& text) {
            field->setFocus();
            field->clear();
            QTest::keyClicks(field, text);
            QTest::keyClick(field, Qt::Key_Return);
        };

        typeAndEnter("trip");
        QCOMPARE(finished.size(), 0);
        QCOMPARE(dialog.directory().absolutePath(), dir.path() + "/trip");
        QVERIFY(dialog.chosenPaths().isEmpty());
        typeAndEnter("~");
        QCOMPARE(finished.size(), 0);
        QCOMPARE(dialog.directory().absolutePath(), QDir::homePath());

        typeAndEnter(dir.path() + "/trip/Beach.JPG");
        QCOMPARE(finished.size(), 1);
        QCOMPARE(dialog.chosenPaths(), QStringList{dir.path() + "/trip/Beach.JPG"});
    }
};

VANTREL_GUI_TEST_MAIN(PhotoOpenDialogTest)
#include "PhotoOpenDialogTest.moc"
