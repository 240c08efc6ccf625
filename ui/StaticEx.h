#pragma once
// A static text with its own font and colour on a transparent background, so the window's picture
// shows through around the letters.

#include "platform/win/WinTypes.h"

#include <QFont>
#include <QLabel>
#include <optional>

class CStaticEx : public QLabel {
    Q_OBJECT
public:
    explicit CStaticEx(QWidget* parent = nullptr);

    // Nothing happens when the colour is the current one; otherwise the control repaints at once.
    void SetTextColor(COLORREF color);
    void ResetTextColor();
    COLORREF GetTextColor() const { return m_textColor; }
    // The font's height in pixels; the font is made again.
    void SetFontHeight(int height);
    const QFont& FontDescription() const { return m_fontDescription; }
    // A solid background instead of the transparent one, or back to transparent.
    void SetBackgroundColor(COLORREF color);
    void ClearBackground();
    // Sets the text, then repaints the part of the parent under the control at once, so the old
    // letters do not stay behind the new ones on the transparent background.
    void SetWindowText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyColor();

    QFont m_fontDescription;
    COLORREF m_textColor;
    std::optional<COLORREF> m_background;
};
