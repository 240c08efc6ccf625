#pragma once
// The grey push button of the main window, drawn by the program itself: a banded gradient face,
// a raised, focused or pressed frame, embossed text when disabled and a dotted focus rectangle.

#include "platform/win/WinTypes.h"

#include <QPushButton>

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    // Item states of a draw request, with the values Windows gives them.
    static constexpr UINT ODS_SELECTED = 0x0001;
    static constexpr UINT ODS_DISABLED = 0x0004;
    static constexpr UINT ODS_FOCUS = 0x0010;
    static constexpr UINT ODS_DEFAULT = 0x0020;

    struct Colors {
        COLORREF text;
        COLORREF light = 0xE0F0EF;
        COLORREF highlight = 0xFEFDFF;
        COLORREF shadow = 0xA69E9F;
        COLORREF darkShadow = 0x62706E;
    };

    explicit CColorButton(QWidget* parent = nullptr);
    CColorButton(const QString& text, QWidget* parent = nullptr);

    // Button styles (BS_LEFT, BS_RIGHT, BS_CENTER, BS_TOP, BS_BOTTOM, BS_VCENTER, BS_MULTILINE,
    // BS_DEFPUSHBUTTON); the owner-drawn style is always added.
    void SetButtonStyle(DWORD style);
    DWORD ButtonStyle() const { return m_style; }
    const Colors& GetColors() const { return m_colors; }

    // The state a draw request would carry now.
    UINT ItemState() const;
    // Draws the whole button for `state` into `r` (the drawing of one draw request).
    void DrawItem(QPainter& dc, const QRect& r, UINT state);
    // The face: 2-pixel bands, band c in grey 255 - 3c (mod 256), from the top of `r`.
    static void DrawFace(QPainter& dc, const QRect& r);
    // The text placed in `r` by the button style, transparent, in `color`.
    void DrawButtonText(QPainter& dc, const QRect& r, const QString& text, const QColor& color) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DWORD m_style = BS_OWNERDRAW;
    Colors m_colors;
};
