#pragma once
// Windows paths onto host paths and back, for one drive table. A path never leaves its drive's
// root: ".." is settled on the text (CWinPath), a host symbolic link leading out is refused here.

#include "platform/files/VolumeDrive.h"
#include "platform/files/WinPath.h"

#include <QList>
#include <QString>

class CDrivePaths {
public:
    // The host path of path on drive (the drive path's letter). hostRoot is the drive root's
    // canonical form. Errors: ERROR_NOT_READY for an absent medium or an audio CD,
    // ERROR_INVALID_DRIVE for a missing root folder, ERROR_ACCESS_DENIED for a write onto a CD or
    // onto a medium mounted read-only, and for a link that leads out of the root.
    static LONG HostOf(const CWinPath& path, const VolumeDrive& drive, bool write, QString* hostRoot,
                       QString* host);
    // The Windows path of a host path on the present drive whose root holds it (the deepest root
    // when roots nest). ERROR_PATH_NOT_FOUND when no drive holds it.
    static LONG WinPathOf(const QString& hostPath, const QList<VolumeDrive>& drives, QString* winPath);
    // Whether canonical lies in (or is) canonicalRoot; both canonical host paths.
    static bool IsInside(const QString& canonical, const QString& canonicalRoot);
};
