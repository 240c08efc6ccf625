// Test entry point: widgets and Qt's event machinery need a QApplication, on the offscreen platform
// when no display is set.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // No test reaches a public metadata server: a disc lookup nobody pointed elsewhere goes to a
    // local port that refuses it (children started by a test inherit this too).
    for (const char* name : {"OLLIVANE_MUSICBRAINZ_URL", "OLLIVANE_CDDB_URL"}) {
        if (qEnvironmentVariableIsEmpty(name)) {
            qputenv(name, "http://127.0.0.1:9");
        }
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
