#pragma once
// Our stand-in for the Windows registry: the two roots the program uses, HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE, each a tree of keys holding typed values. A root lives in memory (tests) or
// in a hive file in the registry editor's text format (the product), one file per root, re-read
// when another process has changed it and saved atomically under a writer lock after every change.
//
// The calls behave like their Win32 namesakes where the program depends on it:
// - key paths and value names are compared without regard to case and keep their first spelling;
//   a trailing backslash is accepted; the empty value name is the key's default value;
// - sizes count bytes, a REG_SZ's including its terminating NUL; a query with a buffer that is too
//   small answers ERROR_MORE_DATA with the needed size and leaves the buffer untouched;
// - a missing key or value is ERROR_FILE_NOT_FOUND;
// - a handle carries the access it was opened with: reading needs KEY_QUERY_VALUE (in KEY_READ),
//   writing KEY_SET_VALUE (in KEY_WRITE), otherwise ERROR_ACCESS_DENIED;
// - KEY_WOW64_* flags are ignored: the path alone names the key ("Software\Wow6432Node\..." is an
//   ordinary path);
// - a handle whose key was deleted answers ERROR_KEY_DELETED; a closed one ERROR_INVALID_HANDLE.
// Key and value names may not contain line breaks or other control characters (except tab), so a
// hive file always reads back as written: such a key path, or one with an empty component (leading
// or doubled backslash), answers ERROR_BAD_PATHNAME, such a value name ERROR_INVALID_PARAMETER.
// Every method is safe to call from several threads.

#include "platform/registry/RegKey.h"
#include "platform/win/WinTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

class CHiveFile;

class CRegistry {
public:
    // Both roots in memory only; nothing ever touches the disk.
    CRegistry();
    // Each non-empty path is the hive file of that root (created at the first change, together with
    // its folder); an empty path keeps that root in memory.
    CRegistry(const QString& currentUserHive, const QString& localMachineHive);
    ~CRegistry();
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Where the host keeps the hives: $OLLIVANE_HKCU_HIVE, else "ollivane/HKEY_CURRENT_USER.reg" in
    // the user's configuration folder (created at the first change); $OLLIVANE_HKLM_HIVE, else the
    // hive that ships with the program, "share/ollivane/HKEY_LOCAL_MACHINE.reg" found from the
    // program's folder: "<prefix>/bin/../share" when installed, "<build>/share" in the build tree.
    // When neither exists the installed place is named (an empty machine-wide root).
    static QString DefaultHivePath(HKEY root);
    static QString DefaultHivePath(HKEY root, const QString& programDir);
    static std::unique_ptr<CRegistry> CreateHost();

    LONG RegOpenKeyEx(HKEY key, const QString& subKey, DWORD options, REGSAM sam, HKEY* result);
    LONG RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString& cls, DWORD options,
                        REGSAM sam, void* security, HKEY* result, DWORD* disposition);
    LONG RegQueryValueEx(HKEY key, const QString& name, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* cbData);
    LONG RegSetValueEx(HKEY key, const QString& name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD cbData);
    LONG RegDeleteValue(HKEY key, const QString& name);
    // Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise, as on Windows).
    LONG RegDeleteKey(HKEY key, const QString& subKey);
    LONG RegCloseKey(HKEY key);

    // Helpers for fixtures and checks. `key` is a root or an open handle, `path` below it; the Set
    // helpers create the path as needed. All return or answer like the calls above.
    LONG SetValue(HKEY key, const QString& path, const QString& name, DWORD type, const QByteArray& data);
    LONG SetDword(HKEY key, const QString& path, const QString& name, DWORD value);
    // Stored as REG_SZ: the UTF-16 text and its terminating NUL.
    LONG SetString(HKEY key, const QString& path, const QString& name, const QString& text);
    std::optional<SRegValue> GetValue(HKEY key, const QString& path, const QString& name);
    // The number when the value is a REG_DWORD of 4 bytes.
    std::optional<DWORD> GetDword(HKEY key, const QString& path, const QString& name);
    // The text up to the first NUL when the value is a REG_SZ.
    std::optional<QString> GetString(HKEY key, const QString& path, const QString& name);
    bool KeyExists(HKEY key, const QString& path);
    QStringList SubKeyNames(HKEY key, const QString& path);
    QStringList ValueNames(HKEY key, const QString& path);
    // Deletes a key with everything below it.
    LONG DeleteTree(HKEY key, const QString& path);

    // Handles opened and not yet closed: lets a test prove every handle was closed.
    int OpenHandleCount() const;
    // Reads the file-backed roots from disk again, dropping what is in memory. Open handles stay
    // valid as long as their key still exists.
    void Reload();
    // The hive file of a root; empty when that root lives in memory.
    QString HivePath(HKEY root) const;
    // How long a change waits for another process's writer lock before failing with
    // ERROR_SHARING_VIOLATION (default 5000 ms).
    void SetLockTimeout(int milliseconds);

private:
    struct SRoot {
        CRegKey tree;
        std::unique_ptr<CHiveFile> file;
    };
    struct SHandle {
        int root = 0;
        QStringList path;
        REGSAM access = 0;
    };
    // Applies a change; *modified tells whether anything must be saved. For a file-backed root the
    // change runs under the writer lock on the latest file and is undone if the save fails.
    using Change = std::function<LONG(CRegKey& root, bool* modified)>;

    LONG Resolve(HKEY key, SHandle* handle) const;
    // Combines a handle with a relative path; false for an invalid path.
    static bool Join(const SHandle& base, const QString& subKey, SHandle* result);
    // The key a handle names, and the key a sub-key path below it names.
    LONG ResolvePath(HKEY key, const QString& subKey, SHandle* base, SHandle* target) const;
    void RefreshIfChanged(int root);
    LONG Modify(int root, const Change& change);
    HKEY NewHandle(const SHandle& handle);
    LONG CreateLocked(const SHandle& target, REGSAM parentAccess, DWORD* disposition);
    LONG SetLocked(const SHandle& key, const QString& name, DWORD type, const QByteArray& data);
    const CRegKey* FindLocked(HKEY key, const QString& path);

    mutable std::mutex m_mutex;
    SRoot m_roots[2];
    std::unordered_map<quintptr, SHandle> m_handles;
    int m_lockTimeoutMs = 5000;
};

// The Win32-style entry points the program calls; they work on CPlatform::Current().registry and
// answer ERROR_INVALID_HANDLE when no registry is installed.
LONG RegOpenKeyEx(HKEY key, const QString& subKey, DWORD options, REGSAM sam, HKEY* result);
LONG RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString& cls, DWORD options,
                    REGSAM sam, void* security, HKEY* result, DWORD* disposition);
LONG RegQueryValueEx(HKEY key, const QString& name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
LONG RegSetValueEx(HKEY key, const QString& name, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
LONG RegDeleteValue(HKEY key, const QString& name);
LONG RegDeleteKey(HKEY key, const QString& subKey);
LONG RegCloseKey(HKEY key);
