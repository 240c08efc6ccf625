#pragma once
// The timed notice at the end of a transfer ("files transferred"): the same as the countdown
// before an automatic start, with an OK button; it closes itself after five seconds.

#include "controller/AutoCloseDlg.h"

class CAutoCloseDlg2 : public CAutoCloseDlg {
public:
    static constexpr UINT IDD = 136;

    CAutoCloseDlg2();
};
