#pragma once
// One disc's lookup over the network: MusicBrainz by disc id, then by TOC when the id is unknown,
// then a CDDB server (query, then read). Asynchronous on the event loop of the thread it lives in;
// `done` is called once, on that thread, unless the object is destroyed first (which aborts the
// request under way).

#include "mediaengine/lookup/DiscIds.h"
#include "mediaengine/lookup/LookupResult.h"
#include "mediaengine/lookup/LookupSettings.h"
#include "mediaengine/lookup/MusicBrainzReply.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

class CDiscLookup : public QObject {
public:
    using Done = std::function<void(const LookupResult&)>;

    CDiscLookup(LookupSettings settings, ReleasePreference preference, QObject* parent = nullptr);
    ~CDiscLookup() override;

    void Start(const DiscIds& ids, Done done);

private:
    enum class Step { MusicBrainzId, MusicBrainzToc, CddbQuery, CddbRead };
    void Request(Step step, const QUrl& url);
    void Send();
    void Answered();
    void OnMusicBrainz(int status, const QByteArray& body);
    void OnCddb(int status, const QByteArray& body);
    void AskCddb();
    void Finish(LookupResult::Outcome outcome, const DiscNames& names = {});
    QUrl MusicBrainzUrl(const QString& id, const QString& toc) const;
    QUrl CddbUrl(const QString& command) const;

    LookupSettings m_settings;
    ReleasePreference m_preference;
    QNetworkAccessManager* m_network;
    QTimer* m_deadline;
    QNetworkReply* m_reply = nullptr;
    DiscIds m_ids;
    Done m_done;
    Step m_step = Step::MusicBrainzId;
    QUrl m_url;
    QStringList m_log;
    QString m_cddbEntry;          // category/id of the entry being read
    bool m_serviceFailed = false; // a service could not answer: "not found" would not be sure
    bool m_finished = false;
};
