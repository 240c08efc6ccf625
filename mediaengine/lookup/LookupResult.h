#pragma once
// What a disc lookup came to: names from a service, a disc no service knows, or no answer (no
// network, a server error, a timeout, an answer that could not be read).

#include "mediaengine/lookup/DiscNames.h"

#include <QString>

struct LookupResult {
    enum class Outcome { Found, NotFound, Failed };
    Outcome outcome = Outcome::Failed;
    DiscNames names;
    QString log; // one line: what each service said, and which release was taken and why
};
