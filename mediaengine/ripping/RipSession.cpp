#include "mediaengine/ripping/RipSession.h"

#include "mediaengine/Logging.h"
#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/EngineEventQueue.h"
#include "mediaengine/core/EngineText.h"
#include "mediaengine/library/EngineLibrary.h"
#include "mediaengine/library/FileTags.h"
#include "mediaengine/library/Library.h"
#include "platform/files/Volumes.h"
#include "platform/messages/MessageLoop.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

CRipSession::CRipSession(std::shared_ptr<CEngineEventQueue> events, std::shared_ptr<CEngineLibrary> library,
                         ComPtr<CCdPlaylist> playlist, QList<int> positions, RipPreferences preferences,
                         std::function<void(CRipSession*)> ended)
    : m_events(std::move(events)), m_library(std::move(library)), m_ended(std::move(ended)),
      m_playlist(std::move(playlist)), m_disc(m_playlist->Disc()), m_positions(std::move(positions)) {
    // The disc as the program shows it: it may have renamed tracks and named the album.
    DiscInfo shown = m_disc->Info();
    const int first = m_positions.isEmpty() ? 0 : m_positions.first();
    QString album = m_disc->Attribute(first, QStringLiteral("WM/AlbumTitle"));
    if (album.isEmpty()) {
        album = m_disc->Attribute(first, QStringLiteral("Album"));
    }
    if (album.isEmpty()) {
        album = m_disc->Name();
    }
    shown.album = album;
    shown.artist = m_disc->Attribute(first, QStringLiteral("WM/AlbumArtist"));
    for (DiscTrack& track : shown.tracks) {
        const int position = m_disc->PositionOf(track.number);
        if (position >= 0) {
            track.title = m_disc->Attribute(position, QStringLiteral("Title"));
            track.artist = m_disc->Attribute(position, QStringLiteral("Artist"));
        }
    }
    m_request.source = m_disc->Source();
    m_request.disc = shown;
    for (int position : m_positions) {
        m_request.tracks.append(m_disc->Track(position).discNumber);
    }
    m_request.preferences = std::move(preferences);
}

CRipSession::~CRipSession() {
    m_run.reset(); // stops and joins the workers
}

QChar CRipSession::Letter() const {
    return m_disc->Letter();
}

HRESULT CRipSession::Start(const MediaEngineBackends& backends, const MediaEngineFaults& faults,
                           IMessageLoop* loop) {
    if (!backends.makeRip || !loop) {
        return E_NOTIMPL;
    }
    const std::weak_ptr<CRipSession> self = weak_from_this();
    RipCallbacks callbacks;
    callbacks.progress = [self, loop](int track, int percent) {
        loop->RunOnUiThread([self, track, percent] {
            if (const auto session = self.lock()) {
                session->Progress(track, percent);
            }
        });
    };
    // The disc's identity goes into each file's tag too (the request carries it), so a rip added
    // back later is found by it.
    callbacks.trackDone = [self, loop](int track, const QString& hostFile, qint64 bytes) {
        loop->RunOnUiThread([self, track, hostFile, bytes] {
            if (const auto session = self.lock()) {
                session->Done(track, hostFile, bytes);
            }
        });
    };
    callbacks.trackFailed = [self, loop](int track, const QString& reason) {
        loop->RunOnUiThread([self, track, reason] {
            if (const auto session = self.lock()) {
                session->Failed(track, reason);
            }
        });
    };
    callbacks.finished = [self, loop](bool stopped) {
        loop->RunOnUiThread([self, stopped] {
            if (const auto session = self.lock()) {
                session->Finished(stopped);
            }
        });
    };
    RipFaults ripFaults;
    ripFaults.stallAtTrack = faults.stallAtTrack > 0 && faults.stallAtTrack <= m_disc->TrackCount()
                                 ? m_disc->Track(faults.stallAtTrack - 1).discNumber
                                 : 0;
    ripFaults.zeroSizeTrack = faults.zeroSizeTrack > 0 && faults.zeroSizeTrack <= m_disc->TrackCount()
                                  ? m_disc->Track(faults.zeroSizeTrack - 1).discNumber
                                  : 0;
    ripFaults.unreadableSector = faults.unreadableSector;
    ripFaults.unreadableDisc = faults.unreadableDisc;
    m_run = backends.makeRip(m_request, callbacks, ripFaults);
    if (!m_run) {
        return E_FAIL;
    }
    // A new rip starts every chosen track from nothing.
    for (int position : m_positions) {
        m_disc->SetAttribute(position, QStringLiteral("Status"), QString());
    }
    m_running = true;
    m_run->Start();
    return S_OK;
}

void CRipSession::Stop() {
    if (m_run) {
        m_run->Stop();
    }
}

void CRipSession::DiscGone() {
    m_discGone = true;
    Stop();
}

void CRipSession::Report(int position, const QString& status) {
    m_disc->SetAttribute(position, QStringLiteral("Status"), status);
    const ComPtr<CCdMedia> item = m_playlist->Item(position);
    if (!item) {
        return;
    }
    const ComPtr<IWMPMedia> changed(item.Get());
    m_events->Fire([changed](IEngineEvents& events) { events.FireMediaChange(changed.Get()); });
}

void CRipSession::Progress(int track, int percent) {
    const int position = m_disc->PositionOf(track);
    if (position < 0 || !m_running) {
        return;
    }
    // 100 is reported once the file is in the library, not before.
    percent = qBound(0, percent, 99);
    if (m_percent.contains(position) && m_percent.value(position) >= percent) {
        return;
    }
    m_percent.insert(position, percent);
    Report(position, engine_text::Ripping(percent));
}

void CRipSession::Done(int track, const QString& hostFile, qint64 bytes) {
    const int position = m_disc->PositionOf(track);
    if (position < 0) {
        return;
    }
    const std::shared_ptr<CLibrary> library = m_library ? m_library->Library() : nullptr;
    const QFileInfo info(hostFile);
    QMap<QString, QString> attributes;
    if (bytes > 0) {
        QString error;
        if (!CFileTags::Read(hostFile, &attributes, &error)) {
            qCWarning(lcMediaEngine).noquote() << "media engine: a ripped file reads back badly:" << error;
        }
    }
    const DiscTrack* discTrack = nullptr;
    for (const DiscTrack& candidate : m_request.disc.tracks) {
        if (candidate.number == track) {
            discTrack = &candidate;
        }
    }
    attributes.insert(QStringLiteral("WM/TrackNumber"), QString::number(position + 1));
    attributes.insert(QStringLiteral("Title"), discTrack ? discTrack->title : QString());
    attributes.insert(QStringLiteral("Artist"), discTrack ? discTrack->artist : QString());
    attributes.insert(QStringLiteral("Album"), m_request.disc.album);
    attributes.insert(QStringLiteral("WM/AlbumTitle"), m_request.disc.album);
    attributes.insert(QStringLiteral("WM/AlbumArtist"), m_request.disc.artist);
    attributes.insert(QStringLiteral("TOC"), m_disc->Toc());
    attributes.insert(QStringLiteral("MediaType"), QStringLiteral("audio"));
    attributes.insert(QStringLiteral("FileType"), info.suffix().toLower());
    attributes.insert(QStringLiteral("FileSize"), QString::number(info.exists() ? info.size() : 0));
    // The rate asked of the encoder (constant) and the track's exact length, rather than what a
    // tag reader estimates from the file.
    attributes.insert(QStringLiteral("Bitrate"), QString::number(m_request.preferences.bitrate));
    attributes.insert(QStringLiteral("Duration"), QString::number(m_disc->Track(position).seconds, 'f', 3));
    QString url;
    if (FromHostPath(hostFile, &url) != ERROR_SUCCESS) {
        url = QDir::toNativeSeparators(hostFile);
    }
    if (!info.exists() || !library || FAILED(library->Put(url, attributes, nullptr))) {
        // A file the library cannot hold would be lost to the program: take it away again.
        QFile::remove(hostFile);
        qCWarning(lcMediaEngine).noquote()
            << "media engine: track" << track << "could not be put into the library";
        Report(position, engine_text::kRipFailed);
        return;
    }
    m_percent.insert(position, 100);
    Report(position, engine_text::Ripped());
    m_events->Fire([](IEngineEvents& events) { events.FireMediaCollectionChange(); });
}

void CRipSession::Failed(int track, const QString& reason) {
    const int position = m_disc->PositionOf(track);
    if (position < 0) {
        return;
    }
    qCWarning(lcMediaEngine).noquote() << "media engine: track" << track << "was not ripped:" << reason;
    Report(position, engine_text::kRipFailed);
}

void CRipSession::Finished(bool stopped) {
    if (!m_running) {
        return;
    }
    m_running = false;
    if (stopped) {
        // A track cut short has no file: it is not being ripped any more. When its disc was taken
        // out it failed, and says so.
        for (int position : m_positions) {
            if (m_disc->Attribute(position, QStringLiteral("Status")).startsWith(engine_text::kRippingHead)) {
                Report(position, m_discGone ? engine_text::kRipFailed : QString());
            }
        }
    }
    if (m_ended) {
        m_ended(this);
    }
}
