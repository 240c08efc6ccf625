#include "platform/files/DrivePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

bool LstatExists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Host paths are case-sensitive and this layer does not fold case: "E:\Music" and "E:\music" are
// two different names here, unlike on a FAT card under Windows. The program always reuses the
// names it listed or created, so it never depends on folding.
QString JoinHost(const QString& root, const QString& relative) {
    if (relative.isEmpty())
        return root;
    return root.endsWith(QLatin1Char('/')) ? root + relative : root + QLatin1Char('/') + relative;
}

} // namespace

bool CDrivePaths::IsInside(const QString& canonical, const QString& canonicalRoot) {
    if (canonical == canonicalRoot)
        return true;
    const QString prefix =
        canonicalRoot.endsWith(QLatin1Char('/')) ? canonicalRoot : canonicalRoot + QLatin1Char('/');
    return canonical.startsWith(prefix);
}

LONG CDrivePaths::HostOf(const CWinPath& path, const VolumeDrive& drive, bool write, QString* hostRoot,
                         QString* host) {
    if (!drive.present)
        return ERROR_NOT_READY;
    if (write && drive.type == DRIVE_CDROM)
        return ERROR_ACCESS_DENIED;
    if (drive.root.isEmpty())
        return drive.type == DRIVE_CDROM ? ERROR_NOT_READY : ERROR_INVALID_DRIVE;
    const QFileInfo rootInfo(drive.root);
    const QString root = rootInfo.canonicalFilePath();
    if (root.isEmpty() || !rootInfo.isDir())
        return ERROR_INVALID_DRIVE;
    if (write && drive.readOnly)
        return ERROR_ACCESS_DENIED;

    // ".." was resolved on the text already; what is left is a symbolic link inside the root that
    // leads out of it. Check the deepest part of the path that exists (lstat: a dangling link
    // counts as existing and is refused, since nobody can say where a file made through it lands).
    CWinPath probe = path;
    if (CWinPath::HasWildcards(probe.Leaf()))
        probe = probe.Parent();
    while (!probe.IsRoot() && !LstatExists(JoinHost(root, probe.Relative())))
        probe = probe.Parent();
    if (!probe.IsRoot()) {
        const QString canonical = QFileInfo(JoinHost(root, probe.Relative())).canonicalFilePath();
        if (canonical.isEmpty() || !IsInside(canonical, root))
            return ERROR_ACCESS_DENIED;
    }
    // The check and the later use are not atomic: a link swapped in between would slip through.
    // The drive folders belong to the user running the program, so nobody else can do that.
    *hostRoot = root;
    *host = JoinHost(root, path.Relative());
    return ERROR_SUCCESS;
}

LONG CDrivePaths::WinPathOf(const QString& hostPath, const QList<VolumeDrive>& drives, QString* winPath) {
    // Canonicalise the part that exists so links and "." pieces do not hide which drive it is on.
    QString existing = QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath());
    QString tail;
    while (!QFileInfo::exists(existing)) {
        const int slash = int(existing.lastIndexOf(QLatin1Char('/')));
        if (slash <= 0)
            return ERROR_PATH_NOT_FOUND;
        tail = existing.mid(slash) + tail;
        existing = existing.left(slash);
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath() + tail;

    const VolumeDrive* best = nullptr;
    QString bestRoot;
    for (const VolumeDrive& drive : drives) {
        if (!drive.present || drive.root.isEmpty())
            continue;
        const QString root = QFileInfo(drive.root).canonicalFilePath();
        if (!root.isEmpty() && IsInside(canonical, root) && root.size() > bestRoot.size()) {
            best = &drive;
            bestRoot = root;
        }
    }
    if (!best)
        return ERROR_PATH_NOT_FOUND;
    QString relative = canonical.mid(bestRoot.size());
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    *winPath =
        QString(best->letter) + QLatin1String(":\\") + relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return ERROR_SUCCESS;
}
