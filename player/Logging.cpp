#include "player/Logging.h"

Q_LOGGING_CATEGORY(lcPlayer, "ollivane.player")
