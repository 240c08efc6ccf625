#include "platform/files/VolumeFlush.h"

#include "platform/Platform.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/HostError.h"
#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

BOOL FlushVolumeBuffers(const QString& path) {
    CVolumes* volumes = CPlatform::Current().volumes;
    CVolumes::Resolved resolved;
    LONG error = volumes ? volumes->Resolve(path, &resolved, CVolumes::Access::Write) : ERROR_INVALID_DRIVE;
    if (error == ERROR_SUCCESS) {
        const int fd =
            ::open(QFile::encodeName(resolved.hostRoot).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error = CHostError::FromErrno(errno);
        } else {
            if (::syncfs(fd) != 0)
                error = CHostError::FromErrno(errno);
            ::close(fd);
        }
    }
    // A test's fault strikes after the real flush, as a card that fails its last writes would.
    if (error == ERROR_SUCCESS && path.size() >= 2 && path.at(1) == QLatin1Char(':'))
        error = CCopyFaults::FlushResult(path.at(0));
    SetLastError(DWORD(error));
    return error == ERROR_SUCCESS ? TRUE : FALSE;
}
