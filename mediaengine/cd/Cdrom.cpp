#include "mediaengine/cd/Cdrom.h"

#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/Engine.h"

CCdrom::CCdrom(std::shared_ptr<CEngine> engine, QChar letter)
    : m_engine(std::move(engine)), m_letter(letter) {}

HRESULT CCdrom::QueryInterface(const IID& riid, void** object) {
    // The rip interface came with player 11; an older player's drive does not have it.
    if (riid == IID_IWMPCdromRip && m_engine->MajorVersion() < 11) {
        if (object) {
            *object = nullptr;
        }
        return object ? E_NOINTERFACE : E_POINTER;
    }
    return ComQueryInterface(this, riid, object, ComInterface<IWMPCdrom>(),
                             ComInterfaceVia<IDispatch, IWMPCdrom>(), ComInterface<IWMPCdromRip>());
}

HRESULT CCdrom::get_driveSpecifier(BSTR* drive) {
    if (m_engine->Faults().FailsPrecisely(EngineObject::Cdrom, "get_driveSpecifier")) {
        return E_FAIL;
    }
    return ReturnText(QString(m_letter) + QLatin1Char(':'), drive);
}

HRESULT CCdrom::get_playlist(IWMPPlaylist** playlist) {
    if (!playlist) {
        return E_POINTER;
    }
    *playlist = nullptr;
    if (m_engine->Faults().Fails(EngineObject::Cdrom, "get_playlist")) {
        return E_FAIL;
    }
    const ComPtr<CCdPlaylist> found = m_engine->CdPlaylist(m_letter);
    if (!found) {
        return E_FAIL; // the drive has gone from the machine
    }
    return ReturnObject<IWMPPlaylist>(found, playlist);
}

HRESULT CCdrom::eject() {
    if (m_engine->Faults().Fails(EngineObject::Cdrom, "eject")) {
        return E_FAIL;
    }
    return m_engine->Eject(m_letter);
}

HRESULT CCdrom::startRip() {
    if (m_engine->Faults().Fails(EngineObject::Cdrom, "startRip")) {
        return E_FAIL;
    }
    return m_engine->StartRip(m_letter, true);
}

HRESULT CCdrom::stopRip() {
    if (m_engine->Faults().Fails(EngineObject::Cdrom, "stopRip")) {
        return E_FAIL;
    }
    return m_engine->StopRip(m_letter);
}
