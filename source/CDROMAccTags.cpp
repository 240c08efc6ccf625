// The disc's rips in the library, and the tags written onto the tracks before and after the rip.

#include "platform/com/ComBSTR.h"
#include "source/CDROMAcc.h"
#include "source/EarlierRips.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"
#include "ui/ReportCtrl.h"

#include <vector>

namespace {
const QString kNoArtist = QStringLiteral("アーティスト情報なし");
const QString kNoArtistHalfWidth = QStringLiteral("ｱｰﾃｨｽﾄ情報なし");
const QString kNoInfo = QStringLiteral("情報なし");

// The items of a playlist as they stand now; a library query changes under writes to its items.
std::vector<ComPtr<IWMPMedia>> ItemsOf(IWMPPlaylist* list) {
    std::vector<ComPtr<IWMPMedia>> items;
    const long count = media_info::Count(list);
    for (long i = 0; i < count; ++i) {
        if (ComPtr<IWMPMedia> item = media_info::Item(list, i)) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

// An empty artist, or the player's own "no artist" text, becomes the text the card shows for it.
bool FillArtist(IWMPMedia* item, const QString& attribute) {
    QString artist;
    if (!media_info::Read(item, attribute, &artist)) {
        return false;
    }
    if (artist.isEmpty() || artist == kNoArtist) {
        return media_info::Write(item, attribute, kNoArtistHalfWidth);
    }
    return true;
}
} // namespace

bool CCDROMAcc::IsChosen(int trackNumber) const {
    return m_trackList && m_trackList->IsTrackChosen(trackNumber);
}

HRESULT CCDROMAcc::SelectForRip(int position, bool selected) {
    ComPtr<IWMPMedia> item;
    if (const HRESULT hr = GetCdItem(position, &item); FAILED(hr)) {
        return hr;
    }
    return item->setItemInfo(CComBSTR(QStringLiteral("SelectedForRip")),
                             CComBSTR(selected ? QStringLiteral("True") : QStringLiteral("False")));
}

ComPtr<IWMPPlaylist> CCDROMAcc::FindAlbumInLibrary(bool checkedOnly) {
    m_albumPlaylist = nullptr;
    IWMPMediaCollection* library = PlayerContext().Library();
    QString toc;
    if (!media_info::Read(m_cdPlaylist.Get(), QStringLiteral("TOC"), &toc)) {
        return nullptr;
    }
    ComPtr<IWMPPlaylist> album;
    if (!toc.isEmpty() && library &&
        FAILED(library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(toc), &album))) {
        album = nullptr;
    }
    if (!album) {
        QString name;
        media_info::Read(m_cdPlaylist.Get(), QStringLiteral("name"), &name);
        // An empty drive has no album, whatever the library holds under the player's name for it.
        if (name.isEmpty() || name == kNoDiscName || !library ||
            FAILED(library->getByAlbum(CComBSTR(name), &album)) || !album) {
            return nullptr;
        }
    }
    // While a job runs only its own rips count: an entry the set-aside left in the library is the
    // user's file, and would end the rip early, make it look stalled, or go to the card in place
    // of a track.
    const bool jobKnown = m_setAside.Job().has_value();
    if (checkedOnly || jobKnown) {
        const CEarlierRips rips(m_setAside, nullptr, nullptr);
        for (long i = media_info::Count(album.Get()) - 1; i >= 0; --i) {
            const ComPtr<IWMPMedia> item = media_info::Item(album.Get(), i);
            if (!item) {
                continue;
            }
            // Each rip is matched to its track by its track number, never by its place in the
            // album: a track that is missing or came in late would shift every place after it.
            const bool unchosen = checkedOnly && !IsChosen(int(media_info::TrackNumberOf(item.Get())));
            const bool usersEntry = jobKnown && !rips.MayBeJobRip(CEarlierRips::SourcePath(item.Get()));
            if (!unchosen && !usersEntry) {
                continue;
            }
            if (FAILED(album->removeItem(item.Get())) && FAILED(album->removeItem(item.Get()))) {
                return nullptr; // a track the user did not choose, or a file of theirs, would go to the card
            }
        }
    }
    m_albumPlaylist = album;
    return album;
}

int CCDROMAcc::AlbumCount() const {
    return int(std::max(0L, media_info::Count(m_albumPlaylist.Get())));
}

bool CCDROMAcc::CheckAlbumOrder() {
    const ComPtr<IWMPPlaylist> album = FindAlbumInLibrary(false);
    if (!album) {
        return false;
    }
    const long count = media_info::Count(album.Get());
    long previous = 0;
    for (long i = 0; i < count; ++i) {
        const long track = media_info::TrackNumberOf(media_info::Item(album.Get(), i).Get());
        if (track <= 0 || track <= previous) {
            return false;
        }
        previous = track;
    }
    return count >= 0;
}

bool CCDROMAcc::PrepareTrackTags(int model) {
    const bool numberTracks = model == 1 || model == 2;
    const bool fillArtist = numberTracks;
    // Held for the whole run: each rename is reported at once, and the main window may open the
    // disc and refill the list before the next track is reached.
    const ComPtr<IWMPPlaylist> playlist = m_cdPlaylist;
    const int count = m_trackCount;
    if (count <= 0 || !playlist) {
        return false;
    }
    const int digits = numberTracks ? int(QString::number(count).size()) : 1;
    QString albumTitle = GetAlbumTitle();
    albumTitle.replace(QLatin1Char('/'), QLatin1Char('-'));
    albumTitle.replace(QLatin1Char(':'), QLatin1Char('-'));
    albumTitle.replace(kNoAlbumName, kNoInfo);
    for (int p = 0; p < count; ++p) {
        const ComPtr<IWMPMedia> item = media_info::Item(playlist.Get(), p);
        QString album;
        if (!item || !media_info::Read(item.Get(), QStringLiteral("Album"), &album)) {
            return false;
        }
        if ((album.isEmpty() || album.contains(kNoAlbumName)) &&
            !media_info::Write(item.Get(), QStringLiteral("WM/AlbumTitle"), albumTitle)) {
            return false;
        }
        if (!FillArtist(item.Get(), QStringLiteral("WM/AlbumArtist")) ||
            (fillArtist && !FillArtist(item.Get(), QStringLiteral("Artist")))) {
            return false;
        }
        if (numberTracks) {
            // "01 Intro": a title counts as numbered only with the number and a blank in front,
            // so a title such as "1999" on a nine-track disc is numbered too.
            const QString prefix = QStringLiteral("%1 ").arg(p + 1, digits, 10, QLatin1Char('0'));
            QString name;
            if (!media_info::ReadName(item.Get(), &name)) {
                return false;
            }
            if (!name.startsWith(prefix) && !media_info::WriteName(item.Get(), prefix + name)) {
                return false;
            }
        }
    }
    return true;
}

bool CCDROMAcc::CopyTagsToLibrary() {
    const ComPtr<IWMPPlaylist> album = FindAlbumInLibrary(false);
    IWMPPlayer4* player = PlayerContext().Player();
    IWMPMediaCollection* library = PlayerContext().Library();
    if (!album || !player || !library) {
        return false;
    }
    const ComPtr<IWMPPlayer4> keepPlayer(player);
    const ComPtr<IWMPMediaCollection> keepLibrary(library);
    // Only the job's own rips take the disc's tags: an entry the set-aside left in the library is
    // the user's file, and its tags stay as they are.
    const bool jobKnown = m_setAside.Job().has_value();
    const CEarlierRips rips(m_setAside, player, library);
    for (const ComPtr<IWMPMedia>& ripped : ItemsOf(album.Get())) {
        const long track = media_info::TrackNumberOf(ripped.Get());
        if (track <= 0) {
            continue;
        }
        CComBSTR path;
        ComPtr<IWMPMedia> file;
        ComPtr<IWMPMedia> cdItem;
        if (FAILED(ripped->get_sourceURL(&path)) || path.IsEmpty() || FAILED(player->newMedia(path, &file)) ||
            !file || FAILED(GetCdItem(int(track) - 1, &cdItem)) ||
            (jobKnown && !rips.IsJobRip(path.ToQString()))) {
            continue;
        }
        bool changed = false;
        QString fromLibrary;
        QString fromCd;
        if (media_info::ReadName(ripped.Get(), &fromLibrary) && media_info::ReadName(cdItem.Get(), &fromCd) &&
            fromLibrary != fromCd) {
            media_info::WriteName(ripped.Get(), fromCd);
            media_info::WriteName(file.Get(), fromCd);
            changed = true;
        }
        for (const QString& attribute :
             {QStringLiteral("Artist"), QStringLiteral("WM/AlbumArtist"), QStringLiteral("WM/AlbumTitle")}) {
            if (media_info::Read(ripped.Get(), attribute, &fromLibrary) &&
                media_info::Read(cdItem.Get(), attribute, &fromCd) && fromLibrary != fromCd) {
                media_info::Write(ripped.Get(), attribute, fromCd);
                media_info::Write(file.Get(), attribute, fromCd);
                changed = true;
            }
        }
        if (changed) {
            ComPtr<IWMPMedia> added;
            library->add(path, &added);
        }
    }
    return true;
}

bool CCDROMAcc::TakeAlbumSnapshot() {
    m_snapshot = m_albumPlaylist;
    return true;
}
