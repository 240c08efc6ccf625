#include "tests/source/RipFollower.h"

#include "source/MediaInfo.h"
#include "ui/StatusDlg.h"

#include <QRegularExpression>

int CRipFollower::PercentOf(const QString& status) {
    if (status.isEmpty()) {
        return -2;
    }
    const QStringList pieces = status.split(QRegularExpression(QStringLiteral("[( %)]")), Qt::SkipEmptyParts);
    return pieces.size() > 1 ? pieces[1].toInt() : -1;
}

void CRipFollower::OnEvent(const RecordedEvent& event) {
    if (event.name != QLatin1String("MediaChange") || !event.object) {
        return;
    }
    ComPtr<IWMPMedia> reported;
    if (FAILED(event.object.As(&reported))) {
        return;
    }
    const long track = media_info::TrackNumberOf(reported.Get());
    ComPtr<IWMPMedia> cdItem;
    VARIANT_BOOL same = VARIANT_FALSE;
    if (track <= 0 || FAILED(m_cd->GetCdItem(int(track) - 1, &cdItem)) ||
        FAILED(cdItem->get_isIdentical(reported.Get(), &same)) || same != VARIANT_TRUE) {
        return;
    }
    QString status;
    media_info::Read(reported.Get(), QStringLiteral("Status"), &status);
    const int percent = PercentOf(status);
    if (percent < 0) {
        return;
    }
    const int value = int(track - 1) * 100 + percent;
    values.push_back(value);
    Note(m_cd->RipProgress(value));
}

int CRipFollower::Poll() {
    const int result = m_cd->RipProgress(0);
    Note(result);
    return result;
}

void CRipFollower::Note(int result) {
    results.push_back(result);
    if (CStatusDlg* progress = m_cd->Progress()) {
        if (texts.isEmpty() || texts.last() != progress->Message()) {
            texts << progress->Message();
        }
    }
}
