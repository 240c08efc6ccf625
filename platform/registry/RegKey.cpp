#include "platform/registry/RegKey.h"

#include <algorithm>

bool CRegKey::SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const SRegValue* CRegKey::FindValue(const QString& name) const {
    auto it = std::find_if(m_values.begin(), m_values.end(),
                           [&](const SRegValue& v) { return SameName(v.name, name); });
    return it == m_values.end() ? nullptr : &*it;
}

void CRegKey::SetValue(const QString& name, DWORD type, const QByteArray& data) {
    auto it = std::find_if(m_values.begin(), m_values.end(),
                           [&](const SRegValue& v) { return SameName(v.name, name); });
    if (it != m_values.end()) {
        it->type = type;
        it->data = data;
        return;
    }
    m_values.push_back(SRegValue{name, type, data});
}

bool CRegKey::RemoveValue(const QString& name) {
    auto it = std::find_if(m_values.begin(), m_values.end(),
                           [&](const SRegValue& v) { return SameName(v.name, name); });
    if (it == m_values.end()) {
        return false;
    }
    m_values.erase(it);
    return true;
}

CRegKey* CRegKey::FindChild(const QString& name) {
    auto it = std::find_if(m_children.begin(), m_children.end(),
                           [&](const CRegKey& k) { return SameName(k.m_name, name); });
    return it == m_children.end() ? nullptr : &*it;
}

const CRegKey* CRegKey::FindChild(const QString& name) const {
    return const_cast<CRegKey*>(this)->FindChild(name);
}

CRegKey& CRegKey::Child(const QString& name, bool* created) {
    if (CRegKey* existing = FindChild(name)) {
        if (created) {
            *created = false;
        }
        return *existing;
    }
    if (created) {
        *created = true;
    }
    return m_children.emplace_back(name);
}

bool CRegKey::RemoveChild(const QString& name) {
    auto it = std::find_if(m_children.begin(), m_children.end(),
                           [&](const CRegKey& k) { return SameName(k.m_name, name); });
    if (it == m_children.end()) {
        return false;
    }
    m_children.erase(it);
    return true;
}

CRegKey* CRegKey::Find(const QStringList& path) {
    CRegKey* key = this;
    for (const QString& part : path) {
        key = key->FindChild(part);
        if (!key) {
            return nullptr;
        }
    }
    return key;
}

const CRegKey* CRegKey::Find(const QStringList& path) const {
    return const_cast<CRegKey*>(this)->Find(path);
}

namespace {
bool HasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; });
}
} // namespace

bool CRegKey::IsValidKeyName(const QString& name) {
    return !name.isEmpty() && name.size() <= 255 && !name.contains(u'\\') && !HasControlCharacter(name);
}

bool CRegKey::IsValidValueName(const QString& name) {
    return name.size() <= 16383 && !HasControlCharacter(name);
}

bool CRegKey::SplitPath(const QString& path, QStringList* parts) {
    parts->clear();
    if (path.isEmpty()) {
        return true;
    }
    QString trimmed = path;
    if (trimmed.endsWith(u'\\')) {
        trimmed.chop(1);
    }
    const QStringList split = trimmed.split(u'\\');
    for (const QString& part : split) {
        if (!IsValidKeyName(part)) {
            parts->clear();
            return false;
        }
    }
    *parts = split;
    return true;
}
