#pragma once
// A scratch folder for one test, removed with everything in it when the test ends.

#include <QString>
#include <QTemporaryDir>

class CTempDir {
public:
    CTempDir();
    QString Path() const { return m_dir.path(); }
    // Absolute host path of a name inside the folder.
    QString File(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
