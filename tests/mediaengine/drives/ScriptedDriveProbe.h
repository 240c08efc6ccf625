#pragma once
// A drive probe whose drives a test opens and closes: each device reports the state last set
// (NoDisc until told otherwise), a swap is reported once, and an eject is written down and opens
// the tray. Thread-safe: the drive monitor asks it on its own thread.

#include "mediaengine/drives/DriveProbe.h"

#include <QMap>
#include <QStringList>
#include <memory>
#include <mutex>

class CScriptedDriveProbe {
public:
    CScriptedDriveProbe();

    void Set(const QString& device, DriveState state);
    // The next look at the device says its medium changed (another disc, or the same put back).
    void Swap(const QString& device);
    // Looks at any device so far.
    int Looks() const;
    QStringList Ejects() const;

    // The probe to install; it shares this object's state and may outlive it.
    DriveProbe Probe(const QString& mountsFile = QString(), const QString& byLabelDir = QString()) const;

private:
    struct State {
        mutable std::mutex mutex;
        QMap<QString, DriveState> states;
        QMap<QString, bool> swapped;
        int looks = 0;
        QStringList ejects;
    };
    std::shared_ptr<State> m_state;
};
