#include "mediaengine/library/FileMedia.h"

#include "mediaengine/Logging.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineFaults.h"
#include "mediaengine/core/MediaText.h"
#include "mediaengine/library/FileTags.h"

#include <QDebug>

CFileMedia::CFileMedia(std::shared_ptr<CEngineFaults> faults, QString url, QString hostPath,
                       QMap<QString, QString> attributes)
    : m_faults(std::move(faults)), m_url(std::move(url)), m_hostPath(std::move(hostPath)) {
    for (auto it = attributes.begin(); it != attributes.end(); ++it) {
        m_attributes.insert(it.key().toLower(), it.value());
    }
}

bool CFileMedia::FailsPrecisely(const char* call) const {
    return m_faults->FailsPrecisely(EngineObject::FileItem, call);
}

HRESULT CFileMedia::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPMedia>(),
                             ComInterfaceVia<IDispatch, IWMPMedia>(), ComInterface<IEngineItem>());
}

QString CFileMedia::IdentityKey() const {
    return QStringLiteral("file:") + m_url.toCaseFolded();
}

HRESULT CFileMedia::get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) {
    if (FailsPrecisely("get_isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}

HRESULT CFileMedia::get_sourceURL(BSTR* url) {
    if (FailsPrecisely("get_sourceURL")) {
        return E_FAIL;
    }
    return ReturnText(m_url, url);
}

HRESULT CFileMedia::get_name(BSTR* name) {
    if (FailsPrecisely("get_name")) {
        return E_FAIL;
    }
    return ReturnText(m_attributes.value(QStringLiteral("title")), name);
}

HRESULT CFileMedia::put_name(BSTR name) {
    if (FailsPrecisely("put_name")) {
        return E_FAIL;
    }
    return Write(QStringLiteral("Title"), BstrToQString(name));
}

HRESULT CFileMedia::get_duration(double* seconds) {
    if (!seconds) {
        return E_POINTER;
    }
    if (FailsPrecisely("get_duration")) {
        return E_FAIL;
    }
    *seconds = m_attributes.value(QStringLiteral("duration")).toDouble();
    return S_OK;
}

HRESULT CFileMedia::get_durationString(BSTR* text) {
    if (FailsPrecisely("get_durationString")) {
        return E_FAIL;
    }
    return ReturnText(CMediaText::Duration(m_attributes.value(QStringLiteral("duration")).toDouble()), text);
}

HRESULT CFileMedia::getItemInfo(BSTR attribute, BSTR* value) {
    if (m_faults->Fails(EngineObject::FileItem, "getItemInfo")) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute).toLower();
    if (name == QLatin1String("sourceurl")) {
        return get_sourceURL(value);
    }
    if (name == QLatin1String("name")) {
        return get_name(value);
    }
    return ReturnText(m_attributes.value(name), value);
}

HRESULT CFileMedia::setItemInfo(BSTR attribute, BSTR value) {
    QString name = BstrToQString(attribute);
    if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
        name = QStringLiteral("Title");
    }
    return Write(name, BstrToQString(value));
}

HRESULT CFileMedia::Write(const QString& name, const QString& value) {
    if (m_faults->Fails(EngineObject::FileItem, "setItemInfo")) {
        return E_FAIL;
    }
    static const QStringList readOnly = {QStringLiteral("sourceurl"), QStringLiteral("filesize"),
                                         QStringLiteral("filetype"),  QStringLiteral("bitrate"),
                                         QStringLiteral("duration"),  QStringLiteral("mediatype")};
    if (name.isEmpty() || readOnly.contains(name.toLower())) {
        return E_INVALIDARG;
    }
    QString error;
    if (!CFileTags::Write(m_hostPath, name, value, &error)) {
        qCWarning(lcMediaEngine).noquote() << "media engine:" << error;
        return E_FAIL;
    }
    m_attributes.insert(name.toLower(), value);
    // One frame holds both names of the album.
    if (name.compare(QLatin1String("Album"), Qt::CaseInsensitive) == 0) {
        m_attributes.insert(QStringLiteral("wm/albumtitle"), value);
    } else if (name.compare(QLatin1String("WM/AlbumTitle"), Qt::CaseInsensitive) == 0) {
        m_attributes.insert(QStringLiteral("album"), value);
    }
    return S_OK;
}
