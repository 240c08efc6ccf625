#pragma once
// The logging category of the stand-in platform layer: registry hives, drives, files. Its messages can be
// switched off or on by level: QT_LOGGING_RULES="ollivane.platform.warning=false".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
