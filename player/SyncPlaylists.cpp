#include "player/SyncPlaylists.h"

#include "platform/com/ComBSTR.h"

#include <QRegularExpression>

namespace {

// The player reads a mark as a decimal number from the start of its text: it counts when that
// number is above 0. Written without overflow: a positive number has a non-zero digit after any
// leading zeros.
bool MarkIsSet(const QString& text) {
    static const QRegularExpression positive(QStringLiteral("^\\s*\\+?0*[1-9]"));
    return positive.match(text).hasMatch();
}

} // namespace

CSyncPlaylists::~CSyncPlaylists() {
    Unbind();
}

QString CSyncPlaylists::SyncAttributeName(long partnershipIndex) {
    if (partnershipIndex < kFirstPartnership || partnershipIndex > kLastPartnership) {
        return QString();
    }
    return QStringLiteral("Sync%1").arg(partnershipIndex, 2, 10, QLatin1Char('0'));
}

bool CSyncPlaylists::Bind(IWMPCore* player, IWMPMediaCollection* mediaCollection) {
    Unbind();
    if (!player || !mediaCollection) {
        return false;
    }
    ComPtr<IWMPPlaylistCollection> playlists;
    if (FAILED(player->get_playlistCollection(&playlists)) || !playlists) {
        return false;
    }
    m_playlistCollection = std::move(playlists);
    m_mediaCollection = mediaCollection;
    return true;
}

void CSyncPlaylists::Unbind() {
    m_mediaCollection = nullptr;
    m_playlistCollection = nullptr;
}

HRESULT CSyncPlaylists::ClearSyncMarks(long partnershipIndex) {
    if (!m_mediaCollection) {
        return E_FAIL;
    }
    const QString name = SyncAttributeName(partnershipIndex);
    if (name.isEmpty()) {
        return E_INVALIDARG;
    }
    const CComBSTR attribute(name);
    ComPtr<IWMPPlaylist> playlists;
    HRESULT hr = m_mediaCollection->getByAttribute(CComBSTR(QStringLiteral("MediaType")),
                                                   CComBSTR(QStringLiteral("playlist")), &playlists);
    if (FAILED(hr) || !playlists) {
        return E_FAIL;
    }
    long count = 0;
    hr = playlists->get_count(&count);
    if (FAILED(hr)) {
        count = 0;
    }
    for (long i = 0; i < count; ++i) {
        ComPtr<IWMPMedia> item;
        hr = playlists->get_Item(i, &item);
        if (FAILED(hr) || !item) {
            continue;
        }
        CComBSTR value;
        hr = item->getItemInfo(attribute, &value);
        if (FAILED(hr)) {
            continue;
        }
        const QString text = value.ToQString();
        if (text.isEmpty() || MarkIsSet(text)) {
            hr = item->setItemInfo(attribute, CComBSTR(QStringLiteral("0")));
        }
    }
    return hr;
}
