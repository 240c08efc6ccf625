#pragma once
// The logging category of the player's hosting and preferences. Its messages can be
// switched off or on by level: QT_LOGGING_RULES="ollivane.player.warning=false".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayer)
