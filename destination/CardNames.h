#pragma once
// Where a track lands on the card: "<card>\音声データ\<album>\<title>.<extension>". The album and
// title come from disc data, so after the text rules have cleaned them they are also made valid
// names for the card's FAT file system, and the whole path is checked to lie inside the album
// folder and to fit the 260-unit path buffers.

#include <QString>

// The folder on the card that holds one folder per album.
inline const QString kAudioFolder = QStringLiteral("音声データ");

// A name the card accepts and that stays one name: each character FAT refuses (\ / : * ? " < > |
// and control characters) becomes U+25A1, as do trailing dots and spaces (so "." and ".." cannot
// climb); an empty name becomes a single U+25A1.
QString CardName(const QString& name);

// "E:\音声データ\<CardName(CleanName(album))>".
QString CardAlbumFolder(const QString& cardPath, const QString& albumName);

// The card path of a ripped file inside the album folder: CleanTitle(source), with "." and
// ExtensionOf(source) when it has one, made a valid name. False when the path would not fit in
// 260 code units with its terminator, or would not lie directly inside the album folder.
bool CardFilePath(const QString& albumFolder, const QString& sourcePath, QString* target);
