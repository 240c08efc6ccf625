#pragma once
// Pictures the tests draw of windows: into the build tree, or where scripts/screenshots asks
// (OLLIVANE_SCREENSHOT_DIR).

#include <QImage>
#include <QString>

QString ScreenshotDir();
// Written through a temporary file, so a parallel run never leaves half a picture behind. Fails the
// calling test when the picture cannot be written.
void SaveScreenshot(const QImage& image, const QString& name);
// How many colours a picture holds: a window that was drawn has many (text is anti-aliased), an
// empty one a handful.
int ColourCount(const QImage& image);
