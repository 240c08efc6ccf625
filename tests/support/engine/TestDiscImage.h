#pragma once
// Small disc images for tests, written by scripts/make-disc-image into a test's scratch folder.

#include <QList>
#include <QString>

struct TestTrack {
    double seconds = 1.0;
    int sectors = 0; // when set, the exact length in sectors instead of seconds
    QString title;   // null: no TITLE line
    QString performer;
    bool data = false;
};

struct TestDisc {
    QString album; // null: no TITLE line
    QString artist;
    QString encoding = QStringLiteral("utf-8"); // utf-8, shift_jis, latin-1
    QList<TestTrack> tracks;
};

class CTestDiscImage {
public:
    // Writes <dir>/<name>.cue and <name>.bin; the .cue's path, or empty with the script's output in
    // `error`.
    static QString Make(const QString& dir, const TestDisc& disc, QString* error = nullptr,
                        const QString& name = QStringLiteral("disc"));
};
