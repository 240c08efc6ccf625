#include "mediaengine/cd/Cdrom.h"

#include "mediaengine/cd/CdDrives.h"
#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineFaults.h"
#include "mediaengine/ripping/RipSessions.h"

CCdrom::CCdrom(std::shared_ptr<CCdDrives> drives, std::shared_ptr<CRipSessions> rips,
               std::shared_ptr<CEngineFaults> faults, int majorVersion, QChar letter)
    : m_drives(std::move(drives)), m_rips(std::move(rips)), m_faults(std::move(faults)),
      m_majorVersion(majorVersion), m_letter(letter) {}

HRESULT CCdrom::QueryInterface(const IID& riid, void** object) {
    // The rip interface came with player 11; an older player's drive does not have it.
    if (riid == IID_IWMPCdromRip && m_majorVersion < 11) {
        if (object) {
            *object = nullptr;
        }
        return object ? E_NOINTERFACE : E_POINTER;
    }
    return ComQueryInterface(this, riid, object, ComInterface<IWMPCdrom>(),
                             ComInterfaceVia<IDispatch, IWMPCdrom>(), ComInterface<IWMPCdromRip>());
}

HRESULT CCdrom::get_driveSpecifier(BSTR* drive) {
    if (m_faults->FailsPrecisely(EngineObject::Cdrom, "get_driveSpecifier")) {
        return E_FAIL;
    }
    return ReturnText(QString(m_letter) + QLatin1Char(':'), drive);
}

HRESULT CCdrom::get_playlist(IWMPPlaylist** playlist) {
    if (!playlist) {
        return E_POINTER;
    }
    *playlist = nullptr;
    if (m_faults->Fails(EngineObject::Cdrom, "get_playlist")) {
        return E_FAIL;
    }
    const ComPtr<CCdPlaylist> found = m_drives->Playlist(m_letter);
    if (!found) {
        return E_FAIL; // the drive has gone from the machine
    }
    return ReturnObject<IWMPPlaylist>(found, playlist);
}

HRESULT CCdrom::eject() {
    if (m_faults->Fails(EngineObject::Cdrom, "eject")) {
        return E_FAIL;
    }
    return m_drives->Eject(m_letter);
}

HRESULT CCdrom::startRip() {
    if (m_faults->Fails(EngineObject::Cdrom, "startRip")) {
        return E_FAIL;
    }
    return m_rips->Start(m_drives->Playlist(m_letter), true);
}

HRESULT CCdrom::stopRip() {
    if (m_faults->Fails(EngineObject::Cdrom, "stopRip")) {
        return E_FAIL;
    }
    return m_rips->Stop(m_letter);
}
