#pragma once
// What every fuzz target needs around the code it feeds: Qt's warnings silenced (parsers warn once
// per bad line, which would drown a run's report), a Qt application object, and a scratch folder of
// the process's own for inputs that are read from files.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

class CFuzzScratch {
public:
    // Made on the first call; aborts when no scratch folder can be made.
    static CFuzzScratch& Get();

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // Writes bytes as `name` in the scratch folder, replacing what was there; aborts when it cannot,
    // as a run that cannot hand its input over would test nothing.
    QString Write(const QString& name, const QByteArray& bytes) const;

    static QByteArray Bytes(const uint8_t* data, size_t size) {
        return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    }
    // A broken promise of the code under test: reported and the process aborted, which libFuzzer
    // records as a crash with its input.
    static void Check(bool holds, const char* what);

private:
    CFuzzScratch();
    QTemporaryDir m_dir;
};
