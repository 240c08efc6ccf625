#include "controller/SyncState.h"

const char* SyncStateName(int32_t state) {
    static const char* const names[] = {
        "SYNC_INIT",          "SYNC_SETTINGS", "SYNC_WAIT",         "SYNC_PRE_RIPPING", "SYNC_RIPPING",
        "SYNC_RIPPING_ERROR", "SYNC_SYNCING",  "SYNC_SYNCING_DONE", "SYNC_ERROR",       "SYNC_ABORT"};
    return state >= 0 && state <= SYNC_ABORT ? names[state] : "SYNC_?";
}
