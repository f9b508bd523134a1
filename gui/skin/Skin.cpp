#include "gui/skin/Skin.h"

#include <QFile>
#include <mutex>

// Resources compiled into a static library are only linked in when something refers to them;
// this reference does. It has to live outside any namespace.
static void initialiseVantrelResources() {
    Q_INIT_RESOURCE(vantrel);
}

namespace vantrel {

void registerSkinResources() {
    static std::once_flag once;
    std::call_once(once, initialiseVantrelResources);
}

QPixmap skinPicture(const QString& name) {
    registerSkinResources();
    if (name.isEmpty()) {
        return QPixmap();
    }
    return QPixmap(QStringLiteral(":/pictures/") + name);
}

QString skinStyleSheet() {
    registerSkinResources();
    QFile sheet(QStringLiteral(":/vantrel.qss"));
    if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return QString();
    }
    return QString::fromUtf8(sheet.readAll());
}

} // namespace vantrel
