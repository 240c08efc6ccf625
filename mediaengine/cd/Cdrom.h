#pragma once
// One CD drive of the collection, by its letter. Player 11 and later also answer IWMPCdromRip.

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

#include <QChar>
#include <memory>

class CCdDrives;
class CEngineFaults;
class CRipSessions;

class CCdrom : public IWMPCdrom, public IWMPCdromRip {
public:
    // majorVersion: the player's; 11 and later answer IWMPCdromRip.
    CCdrom(std::shared_ptr<CCdDrives> drives, std::shared_ptr<CRipSessions> rips,
           std::shared_ptr<CEngineFaults> faults, int majorVersion, QChar letter);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED
    OLLIVANE_NO_DISPATCH

    HRESULT get_driveSpecifier(BSTR* drive) override;
    HRESULT get_playlist(IWMPPlaylist** playlist) override;
    HRESULT eject() override;

    // Rips the tracks whose "SelectedForRip" is "True".
    HRESULT startRip() override;
    HRESULT stopRip() override;

private:
    std::shared_ptr<CCdDrives> m_drives;
    std::shared_ptr<CRipSessions> m_rips;
    std::shared_ptr<CEngineFaults> m_faults;
    int m_majorVersion;
    QChar m_letter;
};
