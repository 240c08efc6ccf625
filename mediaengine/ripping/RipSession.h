#pragma once
// One rip of a CD drive as the object model runs it: builds the request from the CD playlist as the
// program left it (titles, album, selection) and the preferences of the moment, starts the rip
// core, and turns its worker-thread reports into item statuses, library entries and events on the
// UI thread.
//
// Each track's "Status" is empty until the track is reached, then "取り込み中 (NN%)", and
// "取り込み済み (100%)" once its file is in the library (or "取り込みエラー"). Every change
// fires MediaChange with the CD item.

#include "mediaengine/MediaEngineBackends.h"
#include "mediaengine/MediaEngineFaults.h"
#include "mediaengine/cd/CdDisc.h"
#include "platform/com/ComPtr.h"

#include <QList>
#include <QMap>
#include <functional>
#include <memory>

class CCdPlaylist;
class CEngineEventQueue;
class CEngineLibrary;
class IMessageLoop;

class CRipSession : public std::enable_shared_from_this<CRipSession> {
public:
    // ended is called (on the UI thread) once the rip has finished, stopped or failed.
    CRipSession(std::shared_ptr<CEngineEventQueue> events, std::shared_ptr<CEngineLibrary> library,
                ComPtr<CCdPlaylist> playlist, QList<int> positions, RipPreferences preferences,
                std::function<void(CRipSession*)> ended);
    ~CRipSession();
    CRipSession(const CRipSession&) = delete;
    CRipSession& operator=(const CRipSession&) = delete;

    HRESULT Start(const MediaEngineBackends& backends, const MediaEngineFaults& faults, IMessageLoop* loop);
    void Stop();
    // The disc left the drive: the rip stops and the track it was at shows an error.
    void DiscGone();
    bool Running() const { return m_running; }
    QChar Letter() const;
    const RipRequest& Request() const { return m_request; }

private:
    void Progress(int track, int percent);
    void Done(int track, const QString& hostFile, qint64 bytes);
    void Failed(int track, const QString& reason);
    void Finished(bool stopped);
    void Report(int position, const QString& status);

    std::shared_ptr<CEngineEventQueue> m_events;
    std::shared_ptr<CEngineLibrary> m_library;
    std::function<void(CRipSession*)> m_ended;
    ComPtr<CCdPlaylist> m_playlist;
    std::shared_ptr<CCdDisc> m_disc;
    QList<int> m_positions;
    RipRequest m_request;
    std::unique_ptr<IRipRun> m_run;
    bool m_running = false;
    bool m_discGone = false;
    QMap<int, int> m_percent; // position -> last percent reported
};
