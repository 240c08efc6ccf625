#pragma once
// The rip percentage a CD item's "Status" text carries: "取り込み中 (45%)" is split into pieces at
// "(", " ", "%" and ")", and the second piece is the percentage. Read strictly: only decimal digits
// from 0 to 100 count, so a status the player words differently is never taken as progress.

#include <QString>

inline constexpr int kRipNotStarted = -2; // the status is empty: the track is not being ripped yet
inline constexpr int kRipUnknown = -3;    // a status without a readable percentage

int RipPercentOf(const QString& status);
