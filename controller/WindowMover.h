#pragma once
// Moves a window from its menu's 移動 item, the way a window manager's keyboard move does, so the
// frameless main window can be moved without its title band under the mouse: the window follows
// the mouse until a click or Enter, the arrow keys move it by a step, Escape puts it back where it
// was. Every other key and click is held back while the move lasts.

#include <QObject>
#include <QPoint>

class QWidget;

class CWindowMover : public QObject {
    Q_OBJECT
public:
    static constexpr int kKeyStep = 8; // pixels per arrow key

    explicit CWindowMover(QWidget* window);
    ~CWindowMover() override;

    void Start();
    bool IsMoving() const { return m_moving; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finish(bool keep);

    QWidget* m_window;
    bool m_moving = false;
    QPoint m_origin;    // where the window stood when the move began
    QPoint m_lastMouse; // global position of the last mouse event seen
    bool m_seenMouse = false;
};
