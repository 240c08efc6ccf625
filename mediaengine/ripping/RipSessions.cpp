#include "mediaengine/ripping/RipSessions.h"

#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/RunLater.h"
#include "mediaengine/library/EngineLibrary.h"
#include "mediaengine/rip/TrackFileWriter.h"
#include "mediaengine/ripping/RipPreferenceReader.h"
#include "mediaengine/ripping/RipSession.h"

#include <QThreadPool>

namespace {

// <record folder>/<artist>/<album>/ is where a rip writes.
void SweepIn(const QString& recordFolder) {
    CTrackFileWriter::SweepAbandoned(recordFolder, 2);
}

// The same off the UI thread: a rip starts inside a job, and a music folder of tens of thousands
// of files would hold the window for the whole walk. The sweep takes only files no writer holds
// (each is locked before it goes), so the rip that starts meanwhile is safe from it.
void SweepInBackground(const QString& recordFolder) {
    QThreadPool::globalInstance()->start([recordFolder] { SweepIn(recordFolder); });
}

} // namespace

CRipSessions::CRipSessions(EngineContext context, MediaEngineBackends backends,
                           std::shared_ptr<CEngineLibrary> library)
    : m_context(std::move(context)), m_backends(std::move(backends)), m_library(std::move(library)) {}

CRipSessions::~CRipSessions() {
    Shutdown();
}

void CRipSessions::Shutdown() {
    m_rip.reset();
}

bool CRipSessions::IsRipping() const {
    return m_rip && m_rip->Running();
}

HRESULT CRipSessions::Start(const ComPtr<CCdPlaylist>& playlist, bool selectedOnly) {
    if (IsRipping()) {
        return E_UNEXPECTED; // one rip at a time
    }
    if (!playlist) {
        return E_INVALIDARG;
    }
    const std::shared_ptr<CCdDisc> disc = playlist->Disc();
    if (!disc->HasDisc() || disc->TrackCount() == 0) {
        return E_FAIL;
    }
    if (!m_library || !m_library->Library()) {
        return E_FAIL; // nowhere to put the rips
    }
    QList<int> positions;
    for (int i = 0; i < disc->TrackCount(); ++i) {
        if (!selectedOnly || disc->Attribute(i, QStringLiteral("SelectedForRip"))
                                     .compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            positions.append(i);
        }
    }
    if (positions.isEmpty()) {
        return S_FALSE;
    }
    RipPreferences preferences;
    if (const HRESULT hr = CRipPreferenceReader::Read(&preferences); FAILED(hr)) {
        return hr;
    }
    SweepInBackground(preferences.recordFolder);
    disc->MarkRipStarted(); // names a lookup finds from now on would rename the disc under the job
    m_rip.reset();
    const std::weak_ptr<CRipSessions> weak = weak_from_this();
    auto ended = [weak](CRipSession* session) {
        if (const auto sessions = weak.lock()) {
            sessions->Ended(session);
        }
    };
    auto session = std::make_shared<CRipSession>(m_context.events, m_library, playlist, positions,
                                                 preferences, std::move(ended));
    if (const HRESULT hr = session->Start(m_backends, m_context.faults->Get(), m_context.loop); FAILED(hr)) {
        return hr;
    }
    m_rip = session;
    return S_OK;
}

void CRipSessions::SweepAbandonedFiles() {
    RipPreferences preferences;
    if (SUCCEEDED(CRipPreferenceReader::Read(&preferences, false))) {
        SweepIn(preferences.recordFolder);
    }
}

HRESULT CRipSessions::Stop(QChar letter) {
    if (IsRipping() && m_rip->Letter() == letter) {
        m_rip->Stop();
    }
    return S_OK;
}

void CRipSessions::DiscGone(QChar letter) {
    if (IsRipping() && m_rip->Letter() == letter) {
        m_rip->DiscGone();
    }
}

void CRipSessions::Ended(CRipSession* session) {
    // Let the workers go on a later turn: this runs inside the session's own report.
    RunLater(m_context.loop, weak_from_this(), [session](CRipSessions& self) {
        if (self.m_rip.get() == session && !session->Running()) {
            self.m_rip.reset();
        }
    });
}
