#pragma once
// Texts the engine shows through the contract. The program compares the first two literally.

#include <QString>

namespace engine_text {

// Name of a CD playlist whose drive holds no readable disc.
inline const QString kNoDisc = QStringLiteral("ドライブにディスクがありません");
// Name of a CD playlist whose disc carries no album data.
inline const QString kNoAlbum = QStringLiteral("アルバム情報なし");
// Title of a track the disc does not name.
inline QString TrackTitle(int number) {
    return QStringLiteral("トラック %1").arg(number);
}
// Rip status of a track. The program reads the number between "(" and "%": a track being ripped
// and a finished one both carry it; a track not reached yet has no status at all.
inline const QString kRippingHead = QStringLiteral("取り込み中");
inline QString Ripping(int percent) {
    return QStringLiteral("%1 (%2%)").arg(kRippingHead).arg(percent);
}
inline QString Ripped() {
    return QStringLiteral("取り込み済み (100%)");
}
// Without blanks or parentheses, so no number can be read out of it.
inline const QString kRipFailed = QStringLiteral("取り込みエラー");

} // namespace engine_text
