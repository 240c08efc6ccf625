#include "ui/StaticEx.h"

#include "ui/ColorRef.h"

#include <QApplication>
#include <QPainter>

namespace {
// The default GUI font of a Japanese desktop: "MS UI Gothic" at 9 points, 12 pixels.
QFont DefaultGuiFont() {
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(12);
    return font;
}

COLORREF SystemWindowText() {
    return ToColorRef(QApplication::palette().color(QPalette::WindowText));
}
} // namespace

CStaticEx::CStaticEx(QWidget* parent)
    : QLabel(parent), m_fontDescription(DefaultGuiFont()), m_textColor(SystemWindowText()) {
    setFont(m_fontDescription);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground, false);
    ApplyColor();
}

void CStaticEx::ApplyColor() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ToQColor(m_textColor));
    pal.setColor(QPalette::Text, ToQColor(m_textColor));
    setPalette(pal);
}

void CStaticEx::SetTextColor(COLORREF color) {
    if (color == m_textColor) {
        return;
    }
    m_textColor = color;
    ApplyColor();
    repaint();
}

void CStaticEx::ResetTextColor() {
    SetTextColor(SystemWindowText());
}

void CStaticEx::SetFontHeight(int height) {
    if (height <= 0) {
        return;
    }
    m_fontDescription.setPixelSize(height);
    setFont(m_fontDescription);
}

void CStaticEx::SetBackgroundColor(COLORREF color) {
    m_background = color;
    update();
}

void CStaticEx::ClearBackground() {
    m_background.reset();
    update();
}

void CStaticEx::SetWindowText(const QString& text) {
    setText(text);
    if (QWidget* parent = parentWidget()) {
        parent->repaint(geometry());
    } else {
        repaint();
    }
}

void CStaticEx::paintEvent(QPaintEvent* event) {
    if (m_background) {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(*m_background));
    }
    QLabel::paintEvent(event);
}
