#include "tests/support/engine/TestDiscImage.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryFile>

#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

QString CTestDiscImage::Make(const QString& dir, const TestDisc& disc, QString* error, const QString& name) {
    const QString cue = QDir(dir).filePath(name + QLatin1Char('.') + disc.format);
    QStringList args{QStringLiteral(OLLIVANE_SOURCE_DIR "/scripts/make-disc-image"),
                     cue,
                     QStringLiteral("--encoding"),
                     disc.encoding,
                     QStringLiteral("--audio"),
                     disc.audio,
                     QStringLiteral("--gaps-as"),
                     disc.gapsAs,
                     QStringLiteral("--format"),
                     disc.format,
                     QStringLiteral("--rate"),
                     QString::number(disc.rate),
                     QStringLiteral("--channels"),
                     QString::number(disc.channels)};
    const QList<QPair<bool, const char*>> switches = {{disc.split, "--split"},
                                                      {disc.bom, "--bom"},
                                                      {disc.cdTextFile, "--cdtext-file"},
                                                      {disc.upperNames, "--upper-names"},
                                                      {disc.escapes, "--escapes"}};
    for (const auto& [on, option] : switches) {
        if (on) {
            args << QString::fromLatin1(option);
        }
    }
    if (!disc.folder.isEmpty()) {
        args << QStringLiteral("--folder") << disc.folder;
    }
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
        if (track.gap > 0) {
            args << QStringLiteral("--gap")
                 << (sectors ? QString::number(qRound(track.gap * 75)) : QString::number(track.gap));
        }
    }
    // Spawned without QProcess: Qt starts children with a vfork-style clone after which
    // ThreadSanitizer misreads the process's locking, and the rip tests must run under it.
    QTemporaryFile output;
    if (!output.open()) {
        if (error != nullptr) {
            *error = QStringLiteral("no temporary file for the script's output");
        }
        return QString();
    }
    std::vector<QByteArray> bytes{QByteArrayLiteral("python3")};
    for (const QString& arg : std::as_const(args)) {
        bytes.push_back(arg.toUtf8());
    }
    std::vector<char*> argv;
    for (QByteArray& arg : bytes) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), STDERR_FILENO);
    pid_t pid = 0;
    int status = -1;
    const int spawned = posix_spawnp(&pid, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    const bool ok =
        spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) {
        if (error != nullptr) {
            output.seek(0);
            *error = QString::fromLocal8Bit(output.readAll());
            if (spawned != 0) {
                *error += QStringLiteral("python3 cannot be started: %1")
                              .arg(QString::fromLocal8Bit(strerror(spawned)));
            }
        }
        return QString();
    }
    return cue;
}
