#pragma once
// The host side of a file copy: the data goes to a temporary file beside the target, is flushed
// to the medium, and only then takes the target's name. A copy that fails, for want of room or
// for any other reason, leaves no partial file behind and an existing target untouched.

#include "platform/win/WinTypes.h"

#include <QString>

#include <cstddef>
#include <functional>

class CFileCopy {
public:
    // Called before each piece is read and written at `offset`, the last time at the end of the
    // data: may shorten the piece, or end the copy with an error. Tests strike part way through.
    using WriteHook = std::function<LONG(quint64 offset, size_t* size)>;

    struct Options {
        WriteHook beforeWrite;
        // Flush the folder once the file has its name. A copy of many files onto one drive may
        // leave that to one flush of the whole drive at its end: the data is on the medium before
        // the name is given either way.
        bool flushFolder = true;
    };

    // Host paths, already checked by the volume table. Returns a Win32 error: ERROR_DISK_FULL when
    // the medium runs out of room, ERROR_FILE_EXISTS when the target exists and replace is false.
    static LONG Copy(const QString& sourceHost, const QString& targetHost, bool replace);
    static LONG Copy(const QString& sourceHost, const QString& targetHost, bool replace,
                     const Options& options);
    // Renames on one file system; without replace an existing target is kept (ERROR_ALREADY_EXISTS).
    static LONG Rename(const QString& sourceHost, const QString& targetHost, bool replace);
    // Flushes a folder's entries (a rename or a new name) to the medium.
    static void SyncFolder(const QString& hostFolder);
    // The temporary files of copies in progress, which listings leave out.
    static bool IsTemporaryName(const QString& name);
    // Exactly a name Copy gives its temporary file (the prefix and a random hexadecimal number):
    // what a copy killed part way leaves, and nothing a user would name a file.
    static bool IsLeftoverName(const QString& name);
};
