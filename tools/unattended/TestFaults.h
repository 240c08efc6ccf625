#pragma once
// Faults a test of the whole program asks for through the environment, so that a real process can
// be stopped at a chosen point (and killed there): OLLIVANE_TEST_FAULTS="hold-copy=C:1;stall-rip=2".
//
//   hold-copy=X:N   the N-th file copy onto drive X waits for ever; "fault: copy held on X: #N" is
//                   printed once it waits
//   stall-rip=N     the player's rip stops making progress inside track N
//   zero-size=N     the player rips track N to a file of size 0
//
// Only the sandbox honours them; the program on the user's machine ignores the variable.

#include "platform/files/CopyFaults.h"

#include <QString>
#include <atomic>
#include <memory>
#include <thread>

class CTestFaults {
public:
    static constexpr const char* kVariable = "OLLIVANE_TEST_FAULTS";

    // Reads the variable; false (with a reason) when it cannot be understood.
    bool Load(const QString& text, QString* error);
    ~CTestFaults();

    int StallRipAtTrack() const { return m_stallAtTrack; }
    int ZeroSizeTrack() const { return m_zeroSizeTrack; }
    bool Any() const { return m_copies != nullptr || m_stallAtTrack > 0 || m_zeroSizeTrack > 0; }

private:
    std::unique_ptr<CCopyFaults> m_copies;
    std::thread m_watch;
    std::atomic<bool> m_stop{false};
    int m_stallAtTrack = 0;
    int m_zeroSizeTrack = 0;
};
