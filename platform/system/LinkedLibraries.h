#pragma once
// The libraries the program is linked with, as the about box lists them: name, licence and the
// version found at run time (which may differ from the one it was built against). The code that
// links a library records it; Qt, which every layer links, is always on the list. Thread-safe.

#include <QString>
#include <mutex>
#include <vector>

class CLinkedLibraries {
public:
    struct Library {
        QString name;
        QString version;
        QString licence;
    };

    static CLinkedLibraries& Instance();

    // Adds a library, or replaces the entry of the same name.
    void Add(const Library& library);
    // In the order they were first added, Qt first.
    std::vector<Library> All() const;

private:
    CLinkedLibraries();

    mutable std::mutex m_mutex;
    std::vector<Library> m_libraries;
};
