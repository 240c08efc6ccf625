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
    double gap = 0; // seconds of silence before the track's start
};

struct TestDisc {
    QString album; // null: no TITLE line
    QString artist;
    QString encoding = QStringLiteral("utf-8"); // utf-8, shift_jis, latin-1
    QList<TestTrack> tracks;
    // The shape of the image (see scripts/make-disc-image): bin, wave or flac files, one per track
    // when split; gaps as index, pregap or postgap; a cue sheet or a cdrdao toc file.
    QString audio = QStringLiteral("bin");
    bool split = false;
    QString gapsAs = QStringLiteral("index");
    bool bom = false;
    bool cdTextFile = false;
    bool upperNames = false;
    // The texts hold \xNN for the raw byte NN and \\ for one backslash (invalid UTF-8 on the disc).
    bool escapes = false;
    QString folder; // audio files in this subfolder, named with backslashes
    QString format = QStringLiteral("cue");
    int rate = 44100;
    int channels = 2;
};

class CTestDiscImage {
public:
    // Writes <dir>/<name>.cue (or .toc) and its audio files; the sheet's path, or empty with the
    // script's output in `error`.
    static QString Make(const QString& dir, const TestDisc& disc, QString* error = nullptr,
                        const QString& name = QStringLiteral("disc"));
};
