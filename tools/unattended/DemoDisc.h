#pragma once
// The demo sandbox's disc: ten tracks of synthesized music with Japanese titles, made by the
// project's disc image generator (scripts/make-disc-image) the first time the demo runs without
// it. A program that cannot reach the generator (an installed package) says how to make the disc.

#include <QString>
#include <cstdio>

class CDemoDisc {
public:
    // "<sandbox>/discs/demo.cue", where the sandbox's drive D: finds its disc.
    static QString PathIn(const QString& sandboxDir);
    // Makes the disc when it is missing, telling `out` what it does; false (with the reason and
    // how to make it by hand told) when there is none afterwards.
    static bool Ensure(const QString& sandboxDir, FILE* out);
    // The generator beside the program's build tree; empty when there is none.
    static QString Generator();
};
