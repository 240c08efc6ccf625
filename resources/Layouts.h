#pragma once
// Where the dialog layouts, the menu and the pictures live among the compiled-in resources.

#include "platform/win/WinTypes.h"

#include <QString>

// Makes the layout and image resources available; cheap to call more than once.
void InitLayoutResources();

// ":/layouts/dialog130.json" and ":/layouts/menu134.json".
QString DialogLayoutPath(UINT id);
QString MenuLayoutPath(UINT id);
// ":/images/bitmap140.xpm"; the application icon comes in the sizes 16, 32 and 64.
QString BitmapPath(UINT id);
QString AppIconPath(int size);
