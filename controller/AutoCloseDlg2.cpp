#include "controller/AutoCloseDlg2.h"

#include "resources/StringIds.h"

CAutoCloseDlg2::CAutoCloseDlg2() : CAutoCloseDlg(IDD, IDS_COPY_DONE, QStringLiteral("CAutoCloseDlg2")) {}
