#pragma once
// The logging category of the string table and layouts. Its messages can be
// switched off or on by level: QT_LOGGING_RULES="ollivane.resources.warning=false".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcResources)
