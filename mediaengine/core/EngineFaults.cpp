#include "mediaengine/core/EngineFaults.h"

QString CEngineFaults::KindName(EngineObject kind) {
    switch (kind) {
    case EngineObject::Player:
        return QStringLiteral("player");
    case EngineObject::CdromCollection:
        return QStringLiteral("cdroms");
    case EngineObject::Cdrom:
        return QStringLiteral("cdrom");
    case EngineObject::CdPlaylist:
        return QStringLiteral("cdPlaylist");
    case EngineObject::CdItem:
        return QStringLiteral("cdItem");
    case EngineObject::MediaCollection:
        return QStringLiteral("library");
    case EngineObject::QueryPlaylist:
        return QStringLiteral("queryPlaylist");
    case EngineObject::LibraryItem:
        return QStringLiteral("libraryItem");
    case EngineObject::FileItem:
        return QStringLiteral("fileItem");
    case EngineObject::PlaylistCollection:
        return QStringLiteral("playlists");
    case EngineObject::Device:
        return QStringLiteral("device");
    }
    return QString();
}

QString CEngineFaults::GroupName(EngineObject kind) {
    switch (kind) {
    case EngineObject::CdPlaylist:
    case EngineObject::QueryPlaylist:
        return QStringLiteral("playlist");
    case EngineObject::CdItem:
    case EngineObject::LibraryItem:
    case EngineObject::FileItem:
        return QStringLiteral("item");
    default:
        return QString();
    }
}

bool CEngineFaults::FailsPrecisely(EngineObject kind, const char* call) const {
    if (m_faults.failingCalls.isEmpty()) {
        return false;
    }
    const QString name = QString::fromLatin1(call);
    if (m_faults.failingCalls.contains(KindName(kind) + QLatin1Char('.') + name)) {
        return true;
    }
    const QString group = GroupName(kind);
    return !group.isEmpty() && m_faults.failingCalls.contains(group + QLatin1Char('.') + name);
}

bool CEngineFaults::Fails(EngineObject kind, const char* call) const {
    return m_faults.failingCalls.contains(QString::fromLatin1(call)) || FailsPrecisely(kind, call);
}
