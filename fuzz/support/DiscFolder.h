#pragma once
// A folder of the audio files a fuzzed disc description can name (disc.bin, DISC.BIN by case,
// disc.raw, disc-01.wav, disc-02.wav, disc.cdt), and the disc-image reader run over a description
// the way the engine runs it: open, list the tracks, read sectors of each.

#include <QByteArray>
#include <QString>

class CDiscFolder {
public:
    // Made once per process in the scratch folder.
    static const CDiscFolder& Get();

    // Writes `bytes` as `name` beside the audio files and opens it as a disc.
    void OpenAndRead(const QString& name, const QByteArray& bytes) const;
    // Opens `path` (already written) as a disc, and checks what it says.
    static void OpenAndReadPath(const QString& path);

private:
    CDiscFolder();
};
