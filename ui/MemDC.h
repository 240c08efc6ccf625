#pragma once
// Flicker-free painting: drawing goes into an off-screen picture of the target rectangle, which is
// copied onto the target in one piece when the CMemDC goes out of scope.

#include <QImage>
#include <QPainter>
#include <QRect>

class CMemDC {
public:
    // `target` must stay active for the CMemDC's lifetime. Coordinates drawn through the CMemDC
    // are the target's own (the rectangle's origin is accounted for).
    CMemDC(QPainter* target, const QRect& rect);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    QPainter* operator->() { return &m_painter; }
    QPainter& Painter() { return m_painter; }
    const QRect& Rect() const { return m_rect; }

private:
    QPainter* m_target;
    QRect m_rect;
    QImage m_image;
    QPainter m_painter;
};
