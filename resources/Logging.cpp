#include "resources/Logging.h"

Q_LOGGING_CATEGORY(lcResources, "ollivane.resources")
