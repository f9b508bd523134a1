#include "core/batch/ProcessingErrors.h"
#include "gui/window/VantrelController.h"
#include "ui_ErrorSheet.h"

#include <QClipboard>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>

namespace vantrel {

// Runs on the GUI thread while the export thread waits for it to return: the nested loop
// keeps the window drawn while the report is on view.
void VantrelController::showErrorsReport() {
    if (!mErrorSheet) {
        mErrorSheetUi = std::make_unique<Ui::ErrorSheet>();
        mErrorSheet = new QDialog(this);
        mErrorSheetUi->setupUi(mErrorSheet);
        mErrorSheet->setWindowModality(Qt::WindowModal);
        connect(mErrorSheetUi->mErrorSheetCloseButton, &QPushButton::clicked, this,
                [this] { closeErrorWindow(mErrorSheetUi->mErrorSheetCloseButton); });
        // Escape and the window manager's close button close the report the same way.
        connect(mErrorSheet, &QDialog::rejected, this, [this] {
            if (mErrorSheetLoop)
                closeErrorWindow(mErrorSheetUi->mErrorSheetCloseButton);
        });
        connect(mErrorSheetUi->mErrorSheetCopyButton, &QPushButton::clicked, this, [this] {
            QGuiApplication::clipboard()->setText(mErrorSheetUi->mErrorTextView->toPlainText());
        });
    }
    if (mErrorSheetLoop)
        return;
    mErrorSheetUi->mErrorTextView->setPlainText(ProcessingErrors::errors().errorMessage());
    mErrorSheetUi->mErrorSheetSummary->setText(mExportSummary);
    mErrorSheetUi->mErrorSheetSummary->setVisible(!mExportSummary.isEmpty());
    mErrorSheet->open();
    mErrorSheetUi->mErrorSheetCloseButton->setFocus();

    QEventLoop loop;
    mErrorSheetLoop = &loop;
    loop.exec();
    mErrorSheetLoop = nullptr;
}

void VantrelController::closeErrorWindow(QObject*) {
    if (mErrorSheetLoop)
        mErrorSheetLoop->quit();
    mErrorSheet->hide();
    errorsSheetDidEnd(mErrorSheet, 1);
    reloadImageAfterApplyingEffects();
}

void VantrelController::errorsSheetDidEnd(QDialog*, int returnCode) {
    if (returnCode == 1)
        ProcessingErrors::errors().clearErrors();
}

} // namespace vantrel
