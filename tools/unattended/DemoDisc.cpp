#include "tools/unattended/DemoDisc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

void Tell(FILE* out, const QString& line) {
    std::fprintf(out, "%s\n", line.toUtf8().constData());
    std::fflush(out);
}

} // namespace

QString CDemoDisc::PathIn(const QString& sandboxDir) {
    return QDir(sandboxDir).filePath(QStringLiteral("discs/demo.cue"));
}

QString CDemoDisc::Generator() {
    // The build tree lies in the source tree (build/ollivane beside scripts/).
    const QString script =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../scripts/make-disc-image"));
    return QFileInfo(script).isFile() ? QFileInfo(script).canonicalFilePath() : QString();
}

bool CDemoDisc::Ensure(const QString& sandboxDir, FILE* out) {
    const QString disc = PathIn(sandboxDir);
    if (QFileInfo::exists(disc)) {
        return true;
    }
    const QString generator = Generator();
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (generator.isEmpty() || python.isEmpty()) {
        Tell(out, QStringLiteral("demo: the sandbox has no demo disc, so D: stays empty. Make it from "
                                 "Ollivane's sources with: scripts/make-disc-image '%1' --demo "
                                 "(or run scripts/demo, which makes it)")
                      .arg(QDir::toNativeSeparators(disc)));
        return false;
    }
    // Made in a folder of its own and moved in whole: a run cut short leaves no half disc in D:.
    const QDir discs(QFileInfo(disc).absolutePath());
    const QString making = discs.filePath(QStringLiteral(".making"));
    QDir(making).removeRecursively();
    if (!QDir().mkpath(making)) {
        Tell(out, QStringLiteral("demo: cannot make the folder %1 for the demo disc").arg(making));
        return false;
    }
    Tell(out, QStringLiteral("demo: making the demo disc for D: (ten tracks of synthesized music, "
                             "about 400 MB) in %1 ...")
                  .arg(QDir::toNativeSeparators(discs.absolutePath())));
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(python,
                  {generator, QDir(making).filePath(QStringLiteral("demo.cue")), QStringLiteral("--demo")});
    const bool made = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
                      process.exitCode() == 0;
    const QString bin = QStringLiteral("demo.bin");
    // A BIN without its CUE (a run cut between the two moves) is ours and in nobody's use: replaced.
    QFile::remove(discs.filePath(bin));
    const bool moved = made && QFile::rename(QDir(making).filePath(bin), discs.filePath(bin)) &&
                       QFile::rename(QDir(making).filePath(QStringLiteral("demo.cue")), disc);
    QDir(making).removeRecursively();
    if (!moved) {
        Tell(out, QStringLiteral("demo: the demo disc could not be made (%1 %2 ended with %3)")
                      .arg(python, generator)
                      .arg(process.exitCode()));
        return false;
    }
    Tell(out, QStringLiteral("demo: the demo disc is in D: after %1 s")
                  .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    return true;
}
