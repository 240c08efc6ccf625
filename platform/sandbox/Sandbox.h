#pragma once
// A sandbox is a folder that stands for a whole Windows machine: drive folders with their types,
// labels and capacities, the two registry hives, and the media engine's data. The demo and the
// end-to-end tests run the real program on one.

#include <QString>
#include <memory>

class CRegistry;
class CVolumes;

class CSandbox {
public:
    // The demo's sandbox, in the user's data folder.
    static QString DefaultDir();
    // Lays out the demo machine in `dir`, writing only what is missing, so a sandbox a user has
    // changed keeps its changes: C: with the user's Documents and Music, D: a CD drive, E: an empty
    // card of 256 MB, a media player installed in the registry. False with a reason on failure.
    static bool CreateDefault(const QString& dir, QString* error);

    explicit CSandbox(QString dir);
    ~CSandbox();
    // Loads the drives and the registry hives. False with a reason when the sandbox is unusable.
    bool Open(QString* error);

    QString Dir() const { return m_dir; }
    QString EngineDir() const;
    CRegistry& Registry() { return *m_registry; }
    CVolumes& Volumes() { return *m_volumes; }

private:
    QString m_dir;
    std::unique_ptr<CRegistry> m_registry;
    std::unique_ptr<CVolumes> m_volumes;
};
