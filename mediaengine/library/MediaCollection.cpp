#include "mediaengine/library/MediaCollection.h"

#include "mediaengine/Logging.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/library/EngineLibrary.h"
#include "mediaengine/library/FileTags.h"
#include "mediaengine/library/Library.h"
#include "mediaengine/library/LibraryMedia.h"
#include "mediaengine/library/QueryPlaylist.h"
#include "platform/files/Volumes.h"

#include <QDebug>
#include <QFileInfo>

CMediaCollection::CMediaCollection(std::shared_ptr<CEngineLibrary> library) : m_service(std::move(library)) {}

HRESULT CMediaCollection::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPMediaCollection>(),
                             ComInterfaceVia<IDispatch, IWMPMediaCollection>());
}

HRESULT CMediaCollection::add(BSTR url, IWMPMedia** item) {
    if (item) {
        *item = nullptr;
    }
    if (m_service->Faults().Fails(EngineObject::MediaCollection, "add")) {
        return E_FAIL;
    }
    const std::shared_ptr<CLibrary> library = m_service->Library();
    if (!library) {
        return E_FAIL;
    }
    const QString path = BstrToQString(url);
    if (path.isEmpty()) {
        return E_INVALIDARG;
    }
    QString host;
    if (const LONG error = ToHostPath(path, &host); error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(error);
    }
    QMap<QString, QString> attributes;
    const QFileInfo info(host);
    static const QStringList playlistTypes = {QStringLiteral("wpl"), QStringLiteral("m3u"),
                                              QStringLiteral("m3u8"), QStringLiteral("asx")};
    if (playlistTypes.contains(info.suffix().toLower())) {
        // A playlist file: an entry of its own that carries the synchronisation marks.
        if (!info.isFile()) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        attributes.insert(QStringLiteral("MediaType"), QStringLiteral("playlist"));
        attributes.insert(QStringLiteral("Title"), info.completeBaseName());
        attributes.insert(QStringLiteral("FileType"), info.suffix().toLower());
        attributes.insert(QStringLiteral("FileSize"), QString::number(info.size()));
        if (!library->FindByUrl(path)) {
            for (int index = 1; index <= 16; ++index) {
                attributes.insert(QStringLiteral("Sync%1").arg(index, 2, 10, QLatin1Char('0')),
                                  QStringLiteral("0"));
            }
        }
    } else if (QString reason; !CFileTags::Read(host, &attributes, &reason)) {
        qCWarning(lcMediaEngine).noquote() << "media engine: add:" << reason;
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    qint64 id = 0;
    if (const HRESULT hr = library->Put(path, attributes, &id); FAILED(hr)) {
        return hr;
    }
    m_service->Events().Fire([](IEngineEvents& events) { events.FireMediaCollectionChange(); });
    if (!item) {
        return S_OK;
    }
    return ReturnObject<IWMPMedia>(MakeComObject<CLibraryMedia>(m_service->SharedFaults(), library, id),
                                   item);
}

HRESULT CMediaCollection::getByAlbum(BSTR album, IWMPPlaylist** playlist) {
    if (!playlist) {
        return E_POINTER;
    }
    *playlist = nullptr;
    if (m_service->Faults().Fails(EngineObject::MediaCollection, "getByAlbum")) {
        return E_FAIL;
    }
    const std::shared_ptr<CLibrary> library = m_service->Library();
    if (!library) {
        return E_FAIL;
    }
    const QString name = BstrToQString(album);
    if (name.isEmpty()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPPlaylist>(
        MakeComObject<CQueryPlaylist>(m_service->SharedFaults(), library, name, library->ByAlbum(name)),
        playlist);
}

HRESULT CMediaCollection::getByAttribute(BSTR attribute, BSTR value, IWMPPlaylist** playlist) {
    if (!playlist) {
        return E_POINTER;
    }
    *playlist = nullptr;
    if (m_service->Faults().Fails(EngineObject::MediaCollection, "getByAttribute")) {
        return E_FAIL;
    }
    const std::shared_ptr<CLibrary> library = m_service->Library();
    if (!library) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute);
    const QString wanted = BstrToQString(value);
    if (name.isEmpty()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPPlaylist>(MakeComObject<CQueryPlaylist>(m_service->SharedFaults(), library,
                                                                    wanted,
                                                                    library->ByAttribute(name, wanted)),
                                      playlist);
}

HRESULT CMediaCollection::remove(IWMPMedia* item, VARIANT_BOOL deleteFile) {
    if (!item) {
        return E_POINTER;
    }
    if (m_service->Faults().Fails(EngineObject::MediaCollection, "remove")) {
        return E_FAIL;
    }
    const std::shared_ptr<CLibrary> library = m_service->Library();
    if (!library) {
        return E_FAIL;
    }
    void* out = nullptr;
    if (FAILED(item->QueryInterface(IID_IEngineItem, &out)) || !out) {
        return E_INVALIDARG;
    }
    ComPtr<IEngineItem> engineItem;
    engineItem.Attach(static_cast<IEngineItem*>(out));
    const LibraryEntry* entry = library->Find(engineItem->LibraryId());
    if (!entry) {
        return E_INVALIDARG; // not (or no longer) in the library
    }
    const QString url = entry->url;
    if (const HRESULT hr = library->Remove(entry->id); FAILED(hr)) {
        return hr;
    }
    if (deleteFile) {
        QString host;
        if (ToHostPath(url, &host) == ERROR_SUCCESS) {
            m_service->DeleteFileLater(host);
        }
    }
    m_service->Events().Fire([](IEngineEvents& events) { events.FireMediaCollectionChange(); });
    return S_OK;
}
