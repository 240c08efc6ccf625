#include "ui/Bitmaps.h"

#include "resources/Layouts.h"

QImage LoadBitmap(UINT id) {
    InitLayoutResources();
    return QImage(BitmapPath(id));
}

QIcon LoadAppIcon() {
    InitLayoutResources();
    QIcon icon;
    for (int size : {16, 32, 64}) {
        icon.addFile(AppIconPath(size), QSize(size, size));
    }
    return icon;
}
