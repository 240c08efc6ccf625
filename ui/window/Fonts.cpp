#include "ui/window/Fonts.h"

#include <QFont>
#include <QStringList>

void InstallFontSubstitutes() {
    const QStringList japanese{QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                               QStringLiteral("Noto Sans CJK JP")};
    for (const char* name : {"MS UI Gothic", "MS Gothic", "MS PGothic", "MS Shell Dlg", "MS Shell Dlg 2"}) {
        QFont::insertSubstitutions(QString::fromLatin1(name), japanese);
    }
}
