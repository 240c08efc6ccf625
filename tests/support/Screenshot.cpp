#include "tests/support/Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QSet>
#include <gtest/gtest.h>

QString ScreenshotDir() {
    const QString dir = qEnvironmentVariable("OLLIVANE_SCREENSHOT_DIR");
    return dir.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots") : dir;
}

void SaveScreenshot(const QImage& image, const QString& name) {
    QDir().mkpath(ScreenshotDir());
    QSaveFile file(ScreenshotDir() + QLatin1Char('/') + name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_TRUE(image.save(&file, "PNG")) << name.toStdString();
    ASSERT_TRUE(file.commit()) << name.toStdString();
}

int ColourCount(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            seen.insert(image.pixel(x, y));
        }
    }
    return int(seen.size());
}
