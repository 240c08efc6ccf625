#pragma once
// The job's states. Only the main window changes them; the names are for diagnostics and are never
// shown to the user.

#include <cstdint>

enum SyncState : int32_t {
    SYNC_INIT = 0,          // idle; disc and/or destination not (yet) confirmed ready
    SYNC_SETTINGS = 1,      // the album-title dialog is open
    SYNC_WAIT = 2,          // disc and destination ready; Transfer is live
    SYNC_PRE_RIPPING = 3,   // Transfer checks the selection and the room
    SYNC_RIPPING = 4,       // the player rips the disc
    SYNC_RIPPING_ERROR = 5, // the rip failed or stalled; the end-of-job handler takes over
    SYNC_SYNCING = 6,       // the ripped tracks are copied to the destination
    SYNC_SYNCING_DONE = 7,  // the copy finished; the end-of-job handler takes over
    SYNC_ERROR = 8,         // the copy failed; the end-of-job handler takes over
    SYNC_ABORT = 9,         // the user cancelled the copy; the end-of-job handler takes over
};

// "SYNC_INIT" .. "SYNC_ABORT"; "SYNC_?" for a value outside the ten.
const char* SyncStateName(int32_t state);

// The states a job has started in and not yet been cleaned up from.
inline bool IsJobState(int32_t state) {
    return state >= SYNC_PRE_RIPPING && state <= SYNC_ABORT;
}
// The states in which the end-of-job handler cleans up.
inline bool IsJobEndState(int32_t state) {
    return state == SYNC_RIPPING_ERROR || state >= SYNC_SYNCING_DONE;
}
