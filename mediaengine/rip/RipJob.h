#pragma once
// Rips tracks of one disc to MP3 files: reads the audio, encodes it with LAME, tags it with TagLib
// (ID3v2, Japanese intact) and names each file after the preferences, below
// <record folder>/<artist>/<album>/. One thread reads the disc in order while tracks are encoded
// side by side on every core; results are reported in disc order (see RipCallbacks). Stop ends it
// early and leaves no partial file.

#include "mediaengine/rip/RipRequest.h"

#include <memory>

class CRipJob {
public:
    CRipJob(RipRequest request, RipCallbacks callbacks, RipFaults faults = {});
    ~CRipJob(); // stops and joins
    CRipJob(const CRipJob&) = delete;
    CRipJob& operator=(const CRipJob&) = delete;

    void Start();
    void Stop();
    bool IsRunning() const;
    // Waits until the rip has made its last call; false when `timeoutMs` passed first (-1: no limit).
    bool Wait(int timeoutMs = -1) const;
    // Host path the file of a track will get (for the library item and for tests).
    QString TargetFileOf(int track) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
