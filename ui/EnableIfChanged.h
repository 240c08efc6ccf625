#pragma once
// Switches a window's enabled state only when it differs from the wanted one, so a window that is
// already right is not repainted.

class QWidget;

// True when the state changed.
bool EnableIfChanged(QWidget* window, bool enable);
