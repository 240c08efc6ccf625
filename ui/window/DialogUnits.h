#pragma once
// Dialog templates are laid out in dialog units. With the template font (9 pt "MS UI Gothic" at
// 96 dpi: average character 6 x 12 pixels) one horizontal unit is 6/4 pixels and one vertical unit
// 12/8 pixels, which is how Windows sizes such a dialog.

#include <QRect>

inline constexpr int DluX(int units) {
    return (units * 6 + 2) / 4;
}
inline constexpr int DluY(int units) {
    return (units * 12 + 4) / 8;
}
inline QRect DluRect(int x, int y, int w, int h) {
    return {DluX(x), DluY(y), DluX(w), DluY(h)};
}
