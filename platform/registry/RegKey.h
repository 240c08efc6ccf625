#pragma once
// One key of an in-memory registry tree: its values and its subkeys. Names are looked up without
// regard to case, as Windows does, but each keeps the spelling it was first created with. Keys and
// values keep their creation order so a saved hive reads in the order things were written.

#include "platform/win/WinTypes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

struct SRegValue {
    QString name; // empty: the key's default value
    DWORD type = REG_NONE;
    QByteArray data; // exactly the bytes the caller stored
};

class CRegKey {
public:
    CRegKey() = default;
    explicit CRegKey(const QString& name) : m_name(name) {}

    const QString& Name() const { return m_name; }

    // Values
    const SRegValue* FindValue(const QString& name) const;
    // Replaces the type and data of an existing value (its name keeps its first spelling) or appends
    // a new one.
    void SetValue(const QString& name, DWORD type, const QByteArray& data);
    bool RemoveValue(const QString& name);
    const std::vector<SRegValue>& Values() const { return m_values; }

    // Subkeys (direct children only)
    CRegKey* FindChild(const QString& name);
    const CRegKey* FindChild(const QString& name) const;
    // Returns the existing child of that name or a new, empty one.
    CRegKey& Child(const QString& name, bool* created = nullptr);
    bool RemoveChild(const QString& name);
    const std::vector<CRegKey>& Children() const { return m_children; }

    // Walks a path of already split, non-empty components; null when a component is missing.
    CRegKey* Find(const QStringList& path);
    const CRegKey* Find(const QStringList& path) const;

    static bool SameName(const QString& a, const QString& b);
    // Names a hive file can hold on one line: no control characters except tab; a key name is 1 to
    // 255 characters without a backslash, a value name at most 16383 characters (empty: default).
    static bool IsValidKeyName(const QString& name);
    static bool IsValidValueName(const QString& name);
    // Splits "A\\B\\C" (one trailing backslash allowed) into its components; an empty path gives
    // none. False for an empty component (leading or doubled backslash) or an invalid name.
    static bool SplitPath(const QString& path, QStringList* parts);

private:
    QString m_name;
    std::vector<SRegValue> m_values;
    std::vector<CRegKey> m_children;
};
