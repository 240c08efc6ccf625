#pragma once
// The hourglass for as long as a scope runs, or until End; the wait-cursor calls nest, so scopes may
// too.

#include "platform/system/SystemServices.h"

class CWaitCursor {
public:
    CWaitCursor() { BeginWaitCursor(); }
    ~CWaitCursor() { End(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    void End() {
        if (m_shown) {
            m_shown = false;
            EndWaitCursor();
        }
    }

private:
    bool m_shown = true;
};
