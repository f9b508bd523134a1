#include "gui/skin/ComboItems.h"

#include <QComboBox>
#include <QListView>
#include <QStandardItemModel>

namespace vantrel {

void setComboItemHidden(QComboBox* combo, int index, bool hidden) {
    if (!combo || index < 0 || index >= combo->count())
        return;
    if (auto* list = qobject_cast<QListView*>(combo->view()))
        list->setRowHidden(index, hidden);
    if (auto* model = qobject_cast<QStandardItemModel*>(combo->model())) {
        if (QStandardItem* item = model->item(index))
            item->setEnabled(!hidden);
    }
}

bool isComboItemHidden(const QComboBox* combo, int index) {
    if (!combo || index < 0 || index >= combo->count())
        return false;
    const auto* list = qobject_cast<const QListView*>(combo->view());
    return list && list->isRowHidden(index);
}

} // namespace vantrel
