#pragma once
// Volume labels as file systems store them. udev names a /dev/disk/by-label link after the label's
// bytes, writing unsafe ones as \xNN; a FAT label holds bytes in the code page of the system that
// wrote it, which on Japanese cards is CP932 (Shift_JIS with the Windows extensions).

#include <QByteArray>
#include <QString>

class CVolumeLabel {
public:
    // UTF-8 when the bytes are UTF-8; else CP932 on FAT file systems (vfat, msdos); else UTF-8 with
    // the odd bytes replaced. Blanks FAT pads a label with are dropped.
    static QString Decode(const QByteArray& bytes, const QString& fsType);
};
