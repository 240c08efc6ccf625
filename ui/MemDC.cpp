#include "ui/MemDC.h"

namespace {

// On a high-density screen the picture has the screen's pixels, so text drawn into it stays sharp.
qreal PixelRatioOf(QPainter* target) {
    return target && target->device() ? target->device()->devicePixelRatioF() : 1.0;
}

} // namespace

CMemDC::CMemDC(QPainter* target, const QRect& rect)
    : m_target(target), m_rect(rect),
      m_image((QSizeF(rect.size().expandedTo(QSize(1, 1))) * PixelRatioOf(target)).toSize(),
              QImage::Format_ARGB32_Premultiplied) {
    m_image.setDevicePixelRatio(PixelRatioOf(target));
    m_image.fill(Qt::transparent);
    m_painter.begin(&m_image);
    if (m_target) {
        m_painter.setFont(m_target->font());
        m_painter.setPen(m_target->pen());
    }
    m_painter.translate(-rect.topLeft());
}

CMemDC::~CMemDC() {
    m_painter.end();
    if (m_target && m_target->isActive() && !m_rect.isEmpty()) {
        m_target->drawImage(m_rect.topLeft(), m_image);
    }
}
