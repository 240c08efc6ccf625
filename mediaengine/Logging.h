#pragma once
// The logging category of the media engine: discs, rips, the library, disc lookups. Its messages can be
// switched off or on by level: QT_LOGGING_RULES="ollivane.mediaengine.warning=false".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMediaEngine)
