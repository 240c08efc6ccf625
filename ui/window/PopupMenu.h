#pragma once
// A pop-up menu from the layouts in resources/, shown at a point until the user picks a command or
// dismisses it. It runs through the modal service (under the name "Menu<id>"), so tests answer it
// with the command they want picked.

#include "platform/win/WinTypes.h"

#include <QPoint>
#include <QString>
#include <vector>

class QWidget;

class CPopupMenu {
public:
    struct Item {
        UINT id = 0;
        QString text;
    };

    bool Load(UINT id);
    const std::vector<Item>& Items() const { return m_items; }
    // The command picked, or 0 when the menu was dismissed.
    UINT Track(QWidget* parent, const QPoint& globalPos);

private:
    UINT m_id = 0;
    std::vector<Item> m_items;
};
