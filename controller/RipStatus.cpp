#include "controller/RipStatus.h"

#include <QStringList>

int RipPercentOf(const QString& status) {
    if (status.isEmpty()) {
        return kRipNotStarted;
    }
    QStringList pieces;
    QString piece;
    for (const QChar c : status) {
        if (c == QLatin1Char('(') || c == QLatin1Char(' ') || c == QLatin1Char('%') ||
            c == QLatin1Char(')')) {
            if (!piece.isEmpty()) {
                pieces.append(piece);
                piece.clear();
            }
        } else {
            piece.append(c);
        }
    }
    if (!piece.isEmpty()) {
        pieces.append(piece);
    }
    if (pieces.size() < 2 || pieces[1].size() > 3) {
        return kRipUnknown;
    }
    int value = 0;
    for (const QChar c : pieces[1]) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return kRipUnknown;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= 100 ? value : kRipUnknown;
}
