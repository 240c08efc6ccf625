#include "ui/window/VirtualKeys.h"

#include <QKeyEvent>

UINT VirtualKeyOf(const QKeyEvent* event) {
    if (!event) {
        return 0;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Menu:
        return VK_APPS;
    case Qt::Key_F1:
        return VK_F1;
    default:
        return 0;
    }
}
