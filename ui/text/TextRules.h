#pragma once
// Text rules: how a name is cleaned before it becomes a folder or file name on the card, how paths
// are split, how a drive is labelled in a combo box, and how track lengths, capacities and sizes
// are written in the main window. Free functions without state; every length and position counts
// UTF-16 code units, and "\" is the path separator.

#include <QChar>
#include <QString>

#include <cstdint>

// What SetTextIfChanged needs of a window that shows a text (a static read-out, a label).
class ITextControl {
public:
    virtual ~ITextControl() = default;
    virtual QString GetText() const = 0;
    virtual void SetText(const QString& text) = 0;
};

// Longest name the player shows; CleanName keeps this many code units at most.
inline constexpr int kCleanNameLength = 26;
// Stands in for every character the player cannot show.
inline constexpr char16_t kReplacementChar = u'\u25A1';

// The first 26 code units of text, each kept when the player can show it and replaced by U+25A1
// otherwise (also a first character the player cannot show at the start of a name). Characters
// that are special in file names (\ / : * ? " < > |) are kept: this is no file-name check.
QString CleanName(const QString& text);

// The text after the last "\" when that stands at position 1 or later; otherwise the whole path.
QString FileNameOf(const QString& path);
// FileNameOf(path) without its last "." and what follows; whole when it has no "." or only one at
// position 0 (".wma" stays ".wma").
QString FileTitle(const QString& path);
// CleanName(FileTitle(path)).
QString CleanTitle(const QString& path);
// The text after the last "." of the whole path when that dot is at position 1 or later and not
// the last code unit; otherwise empty.
QString ExtensionOf(const QString& path);
// The folder a path lies in (whole) or that folder's own name (!whole), e.g. for
// "C:\Music\Artist\Album\01.mp3": "C:\Music\Artist\Album" or "Album". A path without "\" after
// position 0 is returned whole; a path ending in "\" (or whose folder part does) gives empty.
QString FolderOf(const QString& path, bool whole);

// "<volume label> (X:)"; a drive without a label is called "リムーバブル ディスク" when removable
// and "CD ドライブ" otherwise. Every label ends in the letter and colon in parentheses, which the
// drive lists rely on to find the drive again.
QString DriveLabel(QChar letter);

// A track length: "MM:SS" below an hour ("00:59"), "H:MM:SS" from an hour on ("1:00:00").
QString FormatTrackTime(uint32_t seconds);
// Approximate size of clusters × sectorsPerCluster × bytesPerSector: "約 999 KB", "約 5.00 MB",
// "約 12.3 MB", "約 250 MB", "0 バイト"; "-- MB" when the geometry is unknown (both 0).
QString FormatSize(uint32_t clusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector);
// The same texts for a byte count ("0 バイト" for 0; never "-- MB").
QString FormatSizeBytes(uint64_t bytes);
// "約 %4.0f MB" of a megabyte value; "-- MB" for 0.
QString FormatMegabytes(double megabytes);

// Sets the control's text only when it differs from the current one, so a read-out refreshed by a
// timer does not flicker. Returns whether the text was set; a null control is left alone.
bool SetTextIfChanged(ITextControl* control, const QString& text);
