#include "tests/gui/GuiTestSupport.h"

#include "gui/browser/PhotoOpenDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
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
        QFile photo(dir.path() + "/Beach.JPG");
        QVERIFY(photo.open(QIODevice::WriteOnly));
        photo.close();

        QWidget window;
        window.show();
        PhotoOpenDialog dialog(&window);
        dialog.setDirectory(dir.path());
        dialog.open();
        QAbstractItemView* view = listedView(dialog, 3);
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

    void offersTheFivePhotoTypesInBothCases() {
        const QStringList patterns = PhotoOpenDialog::photoPatterns();
        for (const char* type : {"png", "jpg", "jpeg", "tif", "tiff"}) {
            QVERIFY(patterns.contains(QStringLiteral("*.") + type));
            QVERIFY(patterns.contains(QStringLiteral("*.") + QString::fromLatin1(type).toUpper()));
        }
    }
};

VANTREL_GUI_TEST_MAIN(PhotoOpenDialogTest)
#include "PhotoOpenDialogTest.moc"
