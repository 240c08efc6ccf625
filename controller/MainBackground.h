#pragma once
// The main window's background picture (control 1044): the dark face, the title band that drags
// the borderless window, a disc before the CD picker, a card before the destination picker and the
// two marks before the card's used and free read-outs.

#include <QPixmap>
#include <QSize>

class CMainBackground {
public:
    static QPixmap Picture(const QSize& size);
};
