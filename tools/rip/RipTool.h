#pragma once
// ollivane-rip's work: opens the disc, checks the tracks and the output folder, reads the player's
// preferences through the platform layer installed by the caller, and runs one rip of the engine
// (CRipJob) with the output folder in place of the player's rip folder. The files are named and
// tagged as a rip from the window names and tags them.

#include "mediaengine/disc/DiscInfo.h"
#include "mediaengine/rip/RipRequest.h"
#include "tools/rip/RipCommandLine.h"
#include "tools/rip/RipConsole.h"

#include <atomic>
#include <cstdio>

class CRipTool {
public:
    static constexpr int kExitRipped = 0;
    static constexpr int kExitSomeFailed = 1;
    static constexpr int kExitBadInput = 2;

    // `interrupt` holds the number of a signal that asks the rip to stop (0: none); a stopped rip
    // exits with 128 + that number, as a shell expects.
    CRipTool(FILE* out, FILE* err, const std::atomic<int>* interrupt);

    int Run(const RipToolOptions& options, CRipConsole::Style style);

    // The disc as the window shows it before the user renames anything: an album without a name
    // takes the "no album data" text, a track without a title "トラック n" (n counting audio tracks),
    // a track without an artist the album's.
    static DiscInfo ShownDisc(const DiscInfo& disc);
    // Creates `folder` when missing and proves a file can be written in it.
    static bool PrepareOutputFolder(const QString& folder, QString* error);

private:
    int BadInput(const QString& message);

    FILE* m_out;
    FILE* m_err;
    const std::atomic<int>* m_interrupt;
};
