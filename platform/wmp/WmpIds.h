#pragma once
// Ids of the player contract. Where the player's documentation fixes an id the program relies on,
// that id is used. The interfaces the program only reaches through another one (never asked for
// by id on the player's side of things) have ids of our own, all beginning with 4F4C4C56 ("OLLV"):
// they only have to be unique and stable between the program and our media engine.

#include "platform/com/Guid.h"

// The player control's class id, in the exact text the program passes to the container.
inline constexpr char16_t kWmpPlayerClsidText[] = u"{6BF52A52-394A-11d3-B153-00C04F79FAA6}";
inline constexpr CLSID CLSID_WindowsMediaPlayer = MakeGuid("{6BF52A52-394A-11d3-B153-00C04F79FAA6}");

// Documented ids.
#define OLLIVANE_IID_IWMPPlayer "{6BF52A4F-394A-11D3-B153-00C04F79FAA6}"
#define OLLIVANE_IID_IWMPPlayer4 "{6C497D62-8919-413C-82DB-E935FB3EC584}"
#define OLLIVANE_IID_IWMPPlayerServices "{1D01FBDB-ADE2-4C8D-9842-C190B95C3306}"
#define OLLIVANE_IID_IWMPCdromRip "{56E2294F-69ED-4629-A869-AEA72C0DCC2C}"
#define OLLIVANE_IID_IWMPSyncServices "{8B5050FF-E0A4-4808-B3A8-893A9E1ED894}"
#define OLLIVANE_IID_IWMPEvents2 "{1E7601FA-47EA-4107-9EA9-9004ED9684FF}"
#define OLLIVANE_DIID_WMPOCXEvents "{6BF52A51-394A-11D3-B153-00C04F79FAA6}"
#define OLLIVANE_IID_IWMPRemoteMediaServices "{CBB92747-741F-44FE-AB5B-F1A48F3B2A59}"

// Our own ids.
#define OLLIVANE_IID_IWMPCore "{4F4C4C56-0001-4000-8000-574D50000001}"
#define OLLIVANE_IID_IWMPCore3 "{4F4C4C56-0002-4000-8000-574D50000002}"
#define OLLIVANE_IID_IWMPControls "{4F4C4C56-0003-4000-8000-574D50000003}"
#define OLLIVANE_IID_IWMPCdromCollection "{4F4C4C56-0004-4000-8000-574D50000004}"
#define OLLIVANE_IID_IWMPCdrom "{4F4C4C56-0005-4000-8000-574D50000005}"
#define OLLIVANE_IID_IWMPPlaylist "{4F4C4C56-0006-4000-8000-574D50000006}"
#define OLLIVANE_IID_IWMPPlaylistCollection "{4F4C4C56-0007-4000-8000-574D50000007}"
#define OLLIVANE_IID_IWMPMedia "{4F4C4C56-0008-4000-8000-574D50000008}"
#define OLLIVANE_IID_IWMPMediaCollection "{4F4C4C56-0009-4000-8000-574D50000009}"
#define OLLIVANE_IID_IWMPSyncDevice "{4F4C4C56-000A-4000-8000-574D5000000A}"
#define OLLIVANE_IID_IWMPEvents "{4F4C4C56-000B-4000-8000-574D5000000B}"
