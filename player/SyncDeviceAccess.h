#pragma once
// The device side of keeping the player's own synchronisation under the program's control: the
// reads and the stop on one device, and the rules the main window applies to the device events.
//
// A failing device call counts as a negative answer: status and state read as 0, a failed stop is
// false and nothing else happens. A device may vanish between its event and the call; the calls
// then fail and the rules do nothing. UI thread only.

#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"

class CSyncDeviceAccess {
public:
    // --- one device ---------------------------------------------------------------------------
    // The device's status; wmpdsUnknown (0) without a device or when the call fails.
    static WMPDeviceStatus GetDeviceStatus(IWMPSyncDevice* device);
    // The device's synchronisation state; wmpssUnknown (0) without a device or when the call fails.
    static WMPSyncState GetSyncState(IWMPSyncDevice* device);
    // Stops the device's synchronisation unless it is already stopped. False without a device or
    // when stop fails; true otherwise (also when nothing had to be stopped).
    static bool StopDeviceSync(IWMPSyncDevice* device);
    // The two objects name the same device (isIdentical); false when either is missing or the call
    // fails.
    static bool IsSameDevice(IWMPSyncDevice* device, IWMPSyncDevice* other);

    // --- rules of the device events ----------------------------------------------------------
    // A device that connects loses its partnership with the player, unless it declined one or its
    // status cannot be read; the program makes a new one without user interface when it needs it.
    // True when the partnership was deleted (a failed deletion is ignored and gives false).
    static bool ResetPartnershipOnConnect(IWMPSyncDevice* device);
    // A device that is not the program's current one may not synchronise: it is stopped, unless
    // its synchronisation is stopped already (stopping a stopped device only makes the player
    // report "stopped" again, and the program would answer it once more). True when stop was called
    // and succeeded.
    static bool StopOtherDevice(IWMPSyncDevice* device);

    // --- the current device ------------------------------------------------------------------
    // The device the program works with (the destination's); null for none. One reference held.
    void SetDevice(IWMPSyncDevice* device) { m_device = device; }
    IWMPSyncDevice* Device() const { return m_device.Get(); }
    void Reset() { m_device = nullptr; }
    // The operations above on the current device.
    WMPDeviceStatus GetDeviceStatus() const { return GetDeviceStatus(m_device.Get()); }
    WMPSyncState GetSyncState() const { return GetSyncState(m_device.Get()); }
    bool StopDeviceSync() const { return StopDeviceSync(m_device.Get()); }
    // The reported device is the current one.
    bool IsCurrent(IWMPSyncDevice* reported) const { return IsSameDevice(m_device.Get(), reported); }

private:
    ComPtr<IWMPSyncDevice> m_device;
};
