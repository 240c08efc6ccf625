#pragma once
// Helpers shared by the registry tests: byte builders, a flat dump of a registry for whole-tree
// comparisons, and a scope that collects Qt warnings instead of printing them.

#include "platform/registry/Registry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <algorithm>
#include <cstring>
#include <mutex>

namespace regtest {

inline QByteArray Utf16z(const QString& text) {
    QByteArray bytes((text.size() + 1) * 2, '\0');
    std::memcpy(bytes.data(), text.utf16(), static_cast<size_t>(text.size()) * 2);
    return bytes;
}

inline QByteArray Dword(DWORD value) {
    QByteArray bytes(4, '\0');
    std::memcpy(bytes.data(), &value, 4);
    return bytes;
}

inline const BYTE* Ptr(const QByteArray& bytes) {
    return reinterpret_cast<const BYTE*>(bytes.constData());
}

// One line per key and per value, "path" or "path|name|type|hex", in tree order.
inline void DumpKey(CRegistry& registry, HKEY root, const QString& path, QStringList* out) {
    out->append(path);
    for (const QString& name : registry.ValueNames(root, path)) {
        const auto value = registry.GetValue(root, path, name);
        out->append(QStringLiteral("%1|%2|%3|%4")
                        .arg(path, name)
                        .arg(value->type)
                        .arg(QString::fromLatin1(value->data.toHex())));
    }
    for (const QString& child : registry.SubKeyNames(root, path)) {
        DumpKey(registry, root, path.isEmpty() ? child : path + u'\\' + child, out);
    }
}

inline QStringList Dump(CRegistry& registry) {
    QStringList out;
    out << QStringLiteral("HKCU");
    DumpKey(registry, HKEY_CURRENT_USER, QString(), &out);
    out << QStringLiteral("HKLM");
    DumpKey(registry, HKEY_LOCAL_MACHINE, QString(), &out);
    return out;
}

// Collects every Qt warning issued during its lifetime (and keeps them off the test output).
class CWarningCapture {
public:
    CWarningCapture() {
        s_active = this;
        m_previous = qInstallMessageHandler(&Handler);
    }
    ~CWarningCapture() {
        qInstallMessageHandler(m_previous);
        s_active = nullptr;
    }
    CWarningCapture(const CWarningCapture&) = delete;
    CWarningCapture& operator=(const CWarningCapture&) = delete;

    QStringList Messages() const {
        std::lock_guard guard(m_mutex);
        return m_messages;
    }
    bool Mentions(const QString& text) const {
        const QStringList messages = Messages();
        return std::any_of(messages.begin(), messages.end(),
                           [&](const QString& m) { return m.contains(text); });
    }

private:
    static void Handler(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (s_active && type == QtWarningMsg) {
            std::lock_guard guard(s_active->m_mutex);
            s_active->m_messages << message;
        }
    }
    static inline CWarningCapture* s_active = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable std::mutex m_mutex;
    QStringList m_messages;
};

} // namespace regtest
