#pragma once
// The escapes Linux puts into the names it lists: the mounts file writes a blank as \040 (octal),
// udev's /dev/disk/by-label links write unsafe bytes as \x20 (hex).

#include <QByteArray>
#include <QString>

class CMountNames {
public:
    // A field of /proc/self/mounts.
    static QString FromMountField(const QByteArray& field);
    // The file name of a /dev/disk/by-label link.
    static QString FromLabelLink(const QString& name);
    // The label's own bytes, for a label that is not UTF-8 (see CVolumeLabel).
    static QByteArray LabelLinkBytes(const QString& name);
};
