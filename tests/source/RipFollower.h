#pragma once
// Plays the main window's part while the player rips: each MediaChange report of a CD track becomes
// a rip value (track number - 1) x 100 + percent for RipProgress, as the window turns it, and every
// result and every text the progress window showed is written down.

#include "source/CDROMAcc.h"
#include "tests/support/engine/EventRecorder.h"

#include <QString>
#include <QStringList>
#include <vector>

class CRipFollower {
public:
    explicit CRipFollower(CCDROMAcc* cd) : m_cd(cd) {}

    // Hands the report to the CD source when it is one of the disc's tracks with a percentage.
    void OnEvent(const RecordedEvent& event);
    // The window's poll.
    int Poll();

    // The number after "(" in a status such as "取り込み中 (42%)"; -2 for no status, -1 for none.
    static int PercentOf(const QString& status);

    std::vector<int> values;  // rip values handed over
    std::vector<int> results; // what RipProgress answered, polls included
    QStringList texts;        // the progress window's text after each call, when it changed

private:
    void Note(int result);
    CCDROMAcc* m_cd;
};
