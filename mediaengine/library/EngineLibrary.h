#pragma once
// The library as a service of the engine: the database, why it could not be opened, and the files
// removed with their entries, which are deleted once nobody reads them. The media collection and
// the rip sessions work through it.

#include "mediaengine/core/EngineContext.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

class CLibrary;

// Which file a path names: the same path can name another file later.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
    // Nothing when no file (or a folder) stands at the path.
    static std::optional<FileIdentity> Of(const QString& hostPath);
};

class CEngineLibrary : public std::enable_shared_from_this<CEngineLibrary> {
public:
    explicit CEngineLibrary(EngineContext context) : m_context(std::move(context)) {}

    // Opens (or creates) the database; false with Error() set when it is damaged or unreadable.
    bool Open(const QString& file);
    // The player is going: deletions that can be done are done now.
    void Shutdown();

    // Null when the library could not be opened.
    std::shared_ptr<CLibrary> Library() const { return m_library; }
    QString Error() const { return m_error; }

    // Deletes a file removed from the library once no reader has it open and the library has not
    // taken the same path back; never within the call that asked for it. The file is the one that
    // stands at the path now (its device, inode, size and modification time): whatever stands there
    // later, a file moved back or written anew, is not touched.
    void DeleteFileLater(const QString& hostPath);
    void RunDeletions();
    int PendingDeletions() const { return int(m_pendingDeletes.size()); }

    const CEngineFaults& Faults() const { return *m_context.faults; }
    const std::shared_ptr<CEngineFaults>& SharedFaults() const { return m_context.faults; }
    CEngineEventQueue& Events() const { return *m_context.events; }

private:
    EngineContext m_context;
    std::shared_ptr<CLibrary> m_library;
    QString m_error;
    struct PendingDelete {
        QString path;
        FileIdentity identity;
    };
    QList<PendingDelete> m_pendingDeletes;
};
