#include "mediaengine/Logging.h"

Q_LOGGING_CATEGORY(lcMediaEngine, "ollivane.mediaengine")
