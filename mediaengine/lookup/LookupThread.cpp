#include "mediaengine/lookup/LookupThread.h"

#include "mediaengine/lookup/DiscLookup.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <future>

CLookupThread::CLookupThread() : m_thread(std::make_unique<QThread>()), m_home(new QObject) {
    m_thread->setObjectName(QStringLiteral("disc lookup"));
    m_home->moveToThread(m_thread.get());
    m_thread->start();
}

CLookupThread::~CLookupThread() {
    Stop();
}

void CLookupThread::Lookup(const DiscIds& ids, const LookupSettings& settings,
                           const ReleasePreference& preference,
                           std::function<void(const LookupResult&)> done) {
    if (!m_home) {
        return;
    }
    QObject* home = m_home;
    QMetaObject::invokeMethod(home, [home, ids, settings, preference, done = std::move(done)] {
        auto* lookup = new CDiscLookup(settings, preference, home);
        lookup->Start(ids, [lookup, done](const LookupResult& result) {
            done(result);
            lookup->deleteLater();
        });
    });
}

void CLookupThread::Stop() {
    if (!m_home) {
        return;
    }
    QObject* home = std::exchange(m_home, nullptr);
    // Deleted on its own thread: the lookups and their requests go with it, unanswered.
    QMetaObject::invokeMethod(
        home, [home] { delete home; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

LookupResult CLookupThread::LookupAndWait(const DiscIds& ids, const LookupSettings& settings,
                                          const ReleasePreference& preference) {
    CLookupThread thread;
    std::promise<LookupResult> promise;
    std::future<LookupResult> future = promise.get_future();
    thread.Lookup(ids, settings, preference,
                  [&promise](const LookupResult& result) { promise.set_value(result); });
    return future.get();
}
