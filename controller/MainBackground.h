#pragma once
// The main window's background picture (control 1044): the dark face, the title band that drags
// the borderless window, a disc before the CD picker, a card before the destination picker and the
// two marks before the card's used and free read-outs, and the white plates that the album title
// and the red status text are written on.

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QSize>

class CMainBackground {
public:
    static constexpr QRgb kPlateColor = 0xFFFFFFFF;

    // The picture of a window of `size` (logical pixels) for a screen of that pixel ratio.
    static QPixmap Picture(const QSize& size, qreal pixelRatio = 1.0);
    // The plate behind the status text, in window pixels.
    static QRect StatusPlate();
};
