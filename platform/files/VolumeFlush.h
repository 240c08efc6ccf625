#pragma once
// Flushing a whole volume, as Windows does with FlushFileBuffers on a volume handle: every write
// made to the drive so far is on the medium when this returns. The SD copy reports "done" only
// after it.

#include "platform/win/WinTypes.h"

#include <QString>

// Any path on the drive ("E:", "E:\", a folder). Sets the last error; ERROR_NOT_READY for a card
// that was pulled, the host's error when the flush itself fails.
BOOL FlushVolumeBuffers(const QString& path);
