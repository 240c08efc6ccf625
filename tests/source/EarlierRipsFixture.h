#pragma once
// A machine with earlier rips of the disc in D: in the player's library, as a user who ripped it
// before would have them: two albums' worth in the rip folder's tree (the same file names in two
// album folders), one rip moved out of the tree and one lying directly in the rip folder.

#include "tests/source/CdSourceFixture.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <ostream>

class CEarlierRipsTest : public CCdSourceTest {
protected:
    static const QString kMusic;     // the rip folder
    static const QString kDocuments; // the user's documents
    static const QString kWork;      // the work folder
    static const QString kOther;     // a folder outside the rip folder's tree

    // The disc in D:, the player started (player version as given) and the disc opened as the
    // main window opens it.
    void OpenDisc(const QString& version = QStringLiteral("11.0.5721.5145"));
    // Rips the whole disc into the library as the player does on its own; with `album` the CD
    // items carry that album title while it rips, so the rips land in another album folder.
    void RipEarlier(const QString& album = QString());
    // Two albums' worth of rips, one moved to kOther and one to the top of the rip folder, each
    // listed in the library at its place; m_earlier then holds every earlier rip's bytes.
    void MakeEarlierRips();
    // The six steps of the transfer command before the rip.
    void PrepareJob();
    // Starts the rip (StartRip must answer 0).
    void StartRip();

    // The files below a folder (recursively), by Windows path, with their bytes. The player's own
    // unfinished files are left out with leftTemporaries set to count them instead.
    QMap<QString, QByteArray> FilesUnder(const QString& folder, int* leftTemporaries = nullptr) const;
    QByteArray Bytes(const QString& path) const;
    // The paths the library lists for the disc's TOC.
    QStringList LibraryPaths() const;
    QString Toc() const;
    // Every earlier rip is back at its path with its bytes and listed in the library for the
    // disc; no other file lies in the rip folder's tree (no rip of the job), the work folder is gone.
    // With playerTemporaries the player's own unfinished rip files are counted there instead.
    void ExpectEarlierRipsBack(int* playerTemporaries = nullptr) const;

    // The machine as a process killed now leaves it: every file of the sandbox (the drives, the
    // player's library database) copied aside. Safe from another thread while the UI thread waits.
    QString SaveImage(const QString& name) const;
    // A new start on that image: the program and its player go (nothing of theirs runs to an end
    // that a killed process would not have run), the sandbox's files become the image's, and the
    // player and the CD source start again.
    void RestartOn(const QString& image);

    QMap<QString, QByteArray> m_earlier;
    // The disc's TOC, as read when it was opened (an ejected drive has none).
    QString m_toc;
};

// Readable failure messages for Qt strings.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QStringList& list, std::ostream* out);
