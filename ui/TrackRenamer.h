#pragma once
// What the track list needs from whoever owns the titles: renaming a track when the user edits its
// title in place. The CD source implements it.

#include <QString>

class ITrackRenamer {
public:
    virtual ~ITrackRenamer() = default;
    // trackNumber counts from 1. False when the title could not be changed.
    virtual bool RenameTrack(int trackNumber, const QString& title) = 0;
};
