#pragma once
// The rips of the engine: one at a time, of a CD drive's playlist, under the rip preferences of the
// moment, into the library.

#include "mediaengine/MediaEngineBackends.h"
#include "mediaengine/core/EngineContext.h"
#include "platform/com/ComPtr.h"

#include <QChar>
#include <memory>

class CCdPlaylist;
class CEngineLibrary;
class CRipSession;

class CRipSessions : public std::enable_shared_from_this<CRipSessions> {
public:
    CRipSessions(EngineContext context, MediaEngineBackends backends,
                 std::shared_ptr<CEngineLibrary> library);
    ~CRipSessions();
    CRipSessions(const CRipSessions&) = delete;
    CRipSessions& operator=(const CRipSessions&) = delete;

    // Rips the disc of the playlist: every track, or those whose "SelectedForRip" is "True".
    // E_UNEXPECTED while a rip runs, E_INVALIDARG without a playlist, E_FAIL for an empty drive or
    // without a library, S_FALSE when nothing is selected.
    HRESULT Start(const ComPtr<CCdPlaylist>& playlist, bool selectedOnly);
    HRESULT Stop(QChar letter);
    bool IsRipping() const;
    // The disc of that drive went: its rip stops and the track it was at fails.
    void DiscGone(QChar letter);
    // Deletes what rips of a process that ended half-way left in the rip folder: their temporary
    // files, never a whole one.
    void SweepAbandonedFiles();
    // Stops and joins the running rip.
    void Shutdown();

private:
    void Ended(CRipSession* session);

    EngineContext m_context;
    MediaEngineBackends m_backends;
    std::shared_ptr<CEngineLibrary> m_library;
    std::shared_ptr<CRipSession> m_rip;
};
