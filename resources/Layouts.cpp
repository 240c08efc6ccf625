#include "resources/Layouts.h"

#include <QtGlobal>

// The resource lives in a static library; referencing its initialiser keeps the linker from
// dropping it. Q_INIT_RESOURCE must be used outside any namespace.
static void InitLayoutResource() {
    Q_INIT_RESOURCE(layouts);
}

void InitLayoutResources() {
    static const bool done = [] {
        InitLayoutResource();
        return true;
    }();
    (void)done;
}

QString DialogLayoutPath(UINT id) {
    return QStringLiteral(":/layouts/dialog%1.json").arg(id);
}

QString MenuLayoutPath(UINT id) {
    return QStringLiteral(":/layouts/menu%1.json").arg(id);
}

QString BitmapPath(UINT id) {
    return QStringLiteral(":/images/bitmap%1.xpm").arg(id);
}

QString AppIconPath(int size) {
    return QStringLiteral(":/images/ollivane%1.xpm").arg(size);
}
