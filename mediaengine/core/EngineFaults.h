#pragma once
// The faults a test asked for, as the engine's objects consult them: which calls fail, on which
// kind of object. UI thread only.

#include "mediaengine/MediaEngineFaults.h"

enum class EngineObject {
    Player,
    CdromCollection,
    Cdrom,
    CdPlaylist,
    CdItem,
    MediaCollection,
    QueryPlaylist,
    LibraryItem,
    FileItem,
    PlaylistCollection,
    Device,
};

class CEngineFaults {
public:
    explicit CEngineFaults(MediaEngineFaults faults = {}) : m_faults(std::move(faults)) {}

    const MediaEngineFaults& Get() const { return m_faults; }
    void Set(const MediaEngineFaults& faults) { m_faults = faults; }

    // The call fails on this object, named plainly or for its kind.
    bool Fails(EngineObject kind, const char* call) const;
    // The call fails on this object only when named for its kind (or its group): calls that could not
    // be made to fail before keep working for tests that name a call plainly.
    bool FailsPrecisely(EngineObject kind, const char* call) const;
    bool SyncFails(const QString& deviceId) const { return m_faults.syncErrorDevices.contains(deviceId); }

    // The name a kind of object goes by in a fault ("cdItem"), and its group ("item"; empty for none).
    static QString KindName(EngineObject kind);
    static QString GroupName(EngineObject kind);

private:
    MediaEngineFaults m_faults;
};
