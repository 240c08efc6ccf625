#pragma once
// What the root folder of each CD drive shows while it holds an audio disc: one "TrackNN.cda" per
// audio track, as Windows shows it. The engine writes it on the UI thread whenever a drive's disc
// changes; the volume layer reads it from whichever thread searches a folder.

#include <QChar>
#include <QList>
#include <QMap>
#include <QStringList>
#include <mutex>
#include <optional>

class CCdRootTable {
public:
    // The disc in the drive has these audio tracks (their numbers on the disc); an empty list means
    // no audio disc, so the drive's own folder (a mounted data disc) is listed instead.
    void SetTracks(QChar letter, const QList<int>& trackNumbers);
    void Clear();
    // "Track01.cda", ... for an audio disc; nullopt otherwise.
    std::optional<QStringList> Listing(QChar letter) const;

    static QString TrackFileName(int trackNumber);

private:
    mutable std::mutex m_mutex;
    QMap<QChar, QStringList> m_listings;
};
