#include "mediaengine/drives/CdRootTable.h"

void CCdRootTable::SetTracks(QChar letter, const QList<int>& trackNumbers) {
    QStringList names;
    for (int number : trackNumbers) {
        names.append(TrackFileName(number));
    }
    const QChar key = letter.toUpper();
    std::lock_guard lock(m_mutex);
    if (names.isEmpty()) {
        m_listings.remove(key);
    } else {
        m_listings.insert(key, names);
    }
}

void CCdRootTable::Clear() {
    std::lock_guard lock(m_mutex);
    m_listings.clear();
}

std::optional<QStringList> CCdRootTable::Listing(QChar letter) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_listings.constFind(letter.toUpper());
    if (found == m_listings.cend()) {
        return std::nullopt;
    }
    return *found;
}

QString CCdRootTable::TrackFileName(int trackNumber) {
    return QStringLiteral("Track%1.cda").arg(trackNumber, 2, 10, QLatin1Char('0'));
}
