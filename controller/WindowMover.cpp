#include "controller/WindowMover.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

CWindowMover::CWindowMover(QWidget* window) : QObject(window), m_window(window) {}

CWindowMover::~CWindowMover() {
    if (m_moving) {
        QApplication::restoreOverrideCursor();
    }
}

void CWindowMover::Start() {
    if (m_moving) {
        return;
    }
    m_moving = true;
    m_seenMouse = false;
    m_origin = m_window->pos();
    QApplication::setOverrideCursor(Qt::SizeAllCursor);
    m_window->grabMouse();
    m_window->grabKeyboard();
    qApp->installEventFilter(this);
}

void CWindowMover::Finish(bool keep) {
    if (!keep) {
        m_window->move(m_origin);
    }
    m_moving = false;
    qApp->removeEventFilter(this);
    m_window->releaseKeyboard();
    m_window->releaseMouse();
    QApplication::restoreOverrideCursor();
}

bool CWindowMover::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        QPoint step;
        switch (key->key()) {
        case Qt::Key_Left:
            step = {-kKeyStep, 0};
            break;
        case Qt::Key_Right:
            step = {kKeyStep, 0};
            break;
        case Qt::Key_Up:
            step = {0, -kKeyStep};
            break;
        case Qt::Key_Down:
            step = {0, kKeyStep};
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Finish(true);
            return true;
        case Qt::Key_Escape:
            Finish(false);
            return true;
        default:
            return true;
        }
        m_window->move(m_window->pos() + step);
        return true;
    }
    case QEvent::MouseMove: {
        // The window follows the mouse from wherever the mouse was when the move began.
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (m_seenMouse) {
            m_window->move(m_window->pos() + (at - m_lastMouse));
        }
        m_lastMouse = at;
        m_seenMouse = true;
        return true;
    }
    case QEvent::MouseButtonPress:
        Finish(true);
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}
