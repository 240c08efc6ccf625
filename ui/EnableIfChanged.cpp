#include "ui/EnableIfChanged.h"

#include <QWidget>

bool EnableIfChanged(QWidget* window, bool enable) {
    if (!window || window->isEnabled() == enable) {
        return false;
    }
    window->setEnabled(enable);
    return true;
}
