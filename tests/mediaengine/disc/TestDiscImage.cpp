#include "tests/mediaengine/disc/TestDiscImage.h"

#include <QDir>
#include <QProcess>
#include <QStringList>

QString CTestDiscImage::Make(const QString& dir, const TestDisc& disc, QString* error, const QString& name) {
    const QString cue = QDir(dir).filePath(name + QStringLiteral(".cue"));
    QStringList args{QStringLiteral(OLLIVANE_SOURCE_DIR "/scripts/make-disc-image"), cue,
                     QStringLiteral("--encoding"), disc.encoding};
    if (!disc.album.isNull()) {
        args << QStringLiteral("--album") << disc.album;
    }
    if (!disc.artist.isNull()) {
        args << QStringLiteral("--artist") << disc.artist;
    }
    bool sectors = false;
    for (const TestTrack& track : disc.tracks) {
        sectors = sectors || track.sectors > 0;
    }
    if (sectors) {
        args << QStringLiteral("--sectors");
    }
    for (const TestTrack& track : disc.tracks) {
        args << QStringLiteral("--track")
             << (sectors ? QString::number(track.sectors > 0 ? track.sectors : qRound(track.seconds * 75))
                         : QString::number(track.seconds));
        if (!track.title.isNull()) {
            args << QStringLiteral("--title") << track.title;
        }
        if (!track.performer.isNull()) {
            args << QStringLiteral("--performer") << track.performer;
        }
        if (track.data) {
            args << QStringLiteral("--data");
        }
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("python3"), args);
    const bool ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    if (!ok) {
        if (error != nullptr) {
            *error = QString::fromLocal8Bit(process.readAll()) + process.errorString();
        }
        return QString();
    }
    return cue;
}
