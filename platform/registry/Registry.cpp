#include "platform/registry/Registry.h"

#include "platform/Platform.h"
#include "platform/registry/HiveFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtEndian>

#include <atomic>
#include <cstring>

namespace {

const QString kRootNames[2] = {QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKEY_LOCAL_MACHINE")};

int RootIndex(HKEY key) {
    if (key == HKEY_CURRENT_USER) {
        return 0;
    }
    if (key == HKEY_LOCAL_MACHINE) {
        return 1;
    }
    return -1;
}

// Handle values are unique in the process (never reused, never a root's value), so a closed handle
// or one from another registry instance is recognised as invalid.
std::atomic<quintptr> g_nextHandle{0x10000};

REGSAM WithoutViewFlags(REGSAM sam) {
    return sam & ~(KEY_WOW64_64KEY | KEY_WOW64_32KEY);
}

} // namespace

CRegistry::CRegistry() : CRegistry(QString(), QString()) {}

CRegistry::CRegistry(const QString& currentUserHive, const QString& localMachineHive) {
    const QString paths[2] = {currentUserHive, localMachineHive};
    for (int i = 0; i < 2; ++i) {
        m_roots[i].tree = CRegKey(kRootNames[i]);
        if (!paths[i].isEmpty()) {
            m_roots[i].file = std::make_unique<CHiveFile>(paths[i], kRootNames[i]);
            m_roots[i].tree = m_roots[i].file->Load();
        }
    }
}

CRegistry::~CRegistry() = default;

QString CRegistry::DefaultHivePath(HKEY root) {
    return DefaultHivePath(root, QCoreApplication::applicationDirPath());
}

QString CRegistry::DefaultHivePath(HKEY root, const QString& programDir) {
    if (root == HKEY_CURRENT_USER) {
        const QString env = qEnvironmentVariable("OLLIVANE_HKCU_HIVE");
        if (!env.isEmpty()) {
            return env;
        }
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               QStringLiteral("/ollivane/HKEY_CURRENT_USER.reg");
    }
    if (root == HKEY_LOCAL_MACHINE) {
        const QString env = qEnvironmentVariable("OLLIVANE_HKLM_HIVE");
        if (!env.isEmpty()) {
            return env;
        }
        const QString name = QStringLiteral("share/ollivane/HKEY_LOCAL_MACHINE.reg");
        const QString installed = QDir::cleanPath(programDir + QStringLiteral("/../") + name);
        const QString buildTree = QDir::cleanPath(programDir + QLatin1Char('/') + name);
        if (!QFileInfo::exists(installed) && QFileInfo::exists(buildTree)) {
            return buildTree;
        }
        return installed;
    }
    return QString();
}

std::unique_ptr<CRegistry> CRegistry::CreateHost() {
    return std::make_unique<CRegistry>(DefaultHivePath(HKEY_CURRENT_USER),
                                       DefaultHivePath(HKEY_LOCAL_MACHINE));
}

// --- internals (the caller holds m_mutex) --------------------------------------------------------

LONG CRegistry::Resolve(HKEY key, SHandle* handle) const {
    const int root = RootIndex(key);
    if (root >= 0) {
        *handle = SHandle{root, {}, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    const auto it = m_handles.find(reinterpret_cast<quintptr>(key));
    if (it == m_handles.end()) {
        return ERROR_INVALID_HANDLE;
    }
    *handle = it->second;
    return ERROR_SUCCESS;
}

LONG CRegistry::ResolvePath(HKEY key, const QString& subKey, SHandle* base, SHandle* target) const {
    if (const LONG error = Resolve(key, base)) {
        return error;
    }
    return Join(*base, subKey, target) ? ERROR_SUCCESS : ERROR_BAD_PATHNAME;
}

bool CRegistry::Join(const SHandle& base, const QString& subKey, SHandle* result) {
    QStringList parts;
    if (!CRegKey::SplitPath(subKey, &parts)) {
        return false;
    }
    *result = base;
    result->path += parts;
    return true;
}

void CRegistry::RefreshIfChanged(int root) {
    SRoot& r = m_roots[root];
    if (r.file && r.file->ChangedOnDisk()) {
        r.tree = r.file->Load();
    }
}

LONG CRegistry::Modify(int rootIndex, const Change& change) {
    SRoot& root = m_roots[rootIndex];
    bool modified = false;
    if (!root.file) {
        return change(root.tree, &modified);
    }
    LONG error = ERROR_SUCCESS;
    const std::unique_ptr<CHiveLock> lock = root.file->Lock(m_lockTimeoutMs, &error);
    if (!lock) {
        return error;
    }
    // Under the lock, start from what the last writer saved, so no one's change is lost. Always
    // re-read: file time stamps are too coarse to prove that nobody saved since our last look.
    root.tree = root.file->Load();
    CRegKey before = root.tree;
    const LONG result = change(root.tree, &modified);
    if (result != ERROR_SUCCESS || !modified) {
        return result;
    }
    const LONG saved = root.file->Save(root.tree);
    if (saved != ERROR_SUCCESS) {
        // Memory must not claim what the disk does not hold.
        root.tree = std::move(before);
        return saved;
    }
    return ERROR_SUCCESS;
}

HKEY CRegistry::NewHandle(const SHandle& handle) {
    const quintptr value = g_nextHandle.fetch_add(4);
    m_handles.emplace(value, handle);
    return reinterpret_cast<HKEY>(value);
}

LONG CRegistry::CreateLocked(const SHandle& target, REGSAM parentAccess, DWORD* disposition) {
    return Modify(target.root, [&](CRegKey& tree, bool* modified) -> LONG {
        if (tree.Find(target.path)) {
            *disposition = REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        }
        if (!(parentAccess & KEY_CREATE_SUB_KEY)) {
            return ERROR_ACCESS_DENIED;
        }
        CRegKey* key = &tree;
        for (const QString& part : target.path) {
            key = &key->Child(part);
        }
        *modified = true;
        *disposition = REG_CREATED_NEW_KEY;
        return ERROR_SUCCESS;
    });
}

LONG CRegistry::SetLocked(const SHandle& key, const QString& name, DWORD type, const QByteArray& data) {
    return Modify(key.root, [&](CRegKey& tree, bool* modified) -> LONG {
        CRegKey* node = tree.Find(key.path);
        if (!node) {
            return ERROR_KEY_DELETED;
        }
        const SRegValue* existing = node->FindValue(name);
        if (existing && existing->type == type && existing->data == data) {
            return ERROR_SUCCESS;
        }
        node->SetValue(name, type, data);
        *modified = true;
        return ERROR_SUCCESS;
    });
}

const CRegKey* CRegistry::FindLocked(HKEY key, const QString& path) {
    SHandle base;
    SHandle target;
    if (Resolve(key, &base) != ERROR_SUCCESS || !Join(base, path, &target)) {
        return nullptr;
    }
    RefreshIfChanged(target.root);
    return m_roots[target.root].tree.Find(target.path);
}

// --- Win32 calls ---------------------------------------------------------------------------------

LONG CRegistry::RegOpenKeyEx(HKEY key, const QString& subKey, DWORD, REGSAM sam, HKEY* result) {
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    std::lock_guard guard(m_mutex);
    SHandle base;
    SHandle target;
    if (const LONG error = ResolvePath(key, subKey, &base, &target)) {
        return error;
    }
    RefreshIfChanged(target.root);
    const CRegKey& tree = m_roots[target.root].tree;
    if (!tree.Find(base.path)) {
        return ERROR_KEY_DELETED;
    }
    if (!tree.Find(target.path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    target.access = WithoutViewFlags(sam);
    *result = NewHandle(target);
    return ERROR_SUCCESS;
}

LONG CRegistry::RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString&, DWORD,
                               REGSAM sam, void*, HKEY* result, DWORD* disposition) {
    if (!result || reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    std::lock_guard guard(m_mutex);
    SHandle base;
    SHandle target;
    if (const LONG error = ResolvePath(key, subKey, &base, &target)) {
        return error;
    }
    RefreshIfChanged(target.root);
    if (!m_roots[target.root].tree.Find(base.path)) {
        return ERROR_KEY_DELETED;
    }
    DWORD how = REG_OPENED_EXISTING_KEY;
    // An existing key needs no writer lock.
    if (!m_roots[target.root].tree.Find(target.path)) {
        if (const LONG error = CreateLocked(target, base.access, &how)) {
            return error;
        }
    }
    target.access = WithoutViewFlags(sam);
    *result = NewHandle(target);
    if (disposition) {
        *disposition = how;
    }
    return ERROR_SUCCESS;
}

LONG CRegistry::RegQueryValueEx(HKEY key, const QString& name, DWORD* reserved, DWORD* type, BYTE* data,
                                DWORD* cbData) {
    if (reserved || (data && !cbData)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard guard(m_mutex);
    SHandle handle;
    if (const LONG error = Resolve(key, &handle)) {
        return error;
    }
    if (!(handle.access & KEY_QUERY_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    RefreshIfChanged(handle.root);
    const CRegKey* node = m_roots[handle.root].tree.Find(handle.path);
    if (!node) {
        return ERROR_KEY_DELETED;
    }
    const SRegValue* value = node->FindValue(name);
    if (!value) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type) {
        *type = value->type;
    }
    const auto size = static_cast<DWORD>(value->data.size());
    if (data) {
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value->data.constData(), size);
    }
    if (cbData) {
        *cbData = size;
    }
    return ERROR_SUCCESS;
}

LONG CRegistry::RegSetValueEx(HKEY key, const QString& name, DWORD reserved, DWORD type, const BYTE* data,
                              DWORD cbData) {
    if (reserved != 0 || (!data && cbData != 0) || !CRegKey::IsValidValueName(name)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard guard(m_mutex);
    SHandle handle;
    if (const LONG error = Resolve(key, &handle)) {
        return error;
    }
    if (!(handle.access & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(data ? cbData : 0));
    return SetLocked(handle, name, type, bytes);
}

LONG CRegistry::RegDeleteValue(HKEY key, const QString& name) {
    std::lock_guard guard(m_mutex);
    SHandle handle;
    if (const LONG error = Resolve(key, &handle)) {
        return error;
    }
    if (!(handle.access & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    return Modify(handle.root, [&](CRegKey& tree, bool* modified) -> LONG {
        CRegKey* node = tree.Find(handle.path);
        if (!node) {
            return ERROR_KEY_DELETED;
        }
        if (!node->RemoveValue(name)) {
            return ERROR_FILE_NOT_FOUND;
        }
        *modified = true;
        return ERROR_SUCCESS;
    });
}

LONG CRegistry::RegDeleteKey(HKEY key, const QString& subKey) {
    std::lock_guard guard(m_mutex);
    SHandle base;
    SHandle target;
    if (const LONG error = ResolvePath(key, subKey, &base, &target)) {
        return error;
    }
    if (target.path.isEmpty()) {
        return ERROR_ACCESS_DENIED; // a root cannot be deleted
    }
    return Modify(target.root, [&](CRegKey& tree, bool* modified) -> LONG {
        if (!tree.Find(base.path)) {
            return ERROR_KEY_DELETED;
        }
        CRegKey* parent = tree.Find(target.path.mid(0, target.path.size() - 1));
        const CRegKey* victim = parent ? parent->FindChild(target.path.last()) : nullptr;
        if (!victim) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!victim->Children().empty()) {
            return ERROR_ACCESS_DENIED;
        }
        parent->RemoveChild(target.path.last());
        *modified = true;
        return ERROR_SUCCESS;
    });
}

LONG CRegistry::RegCloseKey(HKEY key) {
    if (RootIndex(key) >= 0) {
        return ERROR_SUCCESS;
    }
    std::lock_guard guard(m_mutex);
    return m_handles.erase(reinterpret_cast<quintptr>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// --- helpers -------------------------------------------------------------------------------------

LONG CRegistry::SetValue(HKEY key, const QString& path, const QString& name, DWORD type,
                         const QByteArray& data) {
    if (!CRegKey::IsValidValueName(name)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard guard(m_mutex);
    SHandle base;
    SHandle target;
    if (const LONG error = ResolvePath(key, path, &base, &target)) {
        return error;
    }
    return Modify(target.root, [&](CRegKey& tree, bool* modified) -> LONG {
        if (!tree.Find(base.path)) {
            return ERROR_KEY_DELETED;
        }
        CRegKey* node = &tree;
        for (const QString& part : target.path) {
            node = &node->Child(part);
        }
        node->SetValue(name, type, data);
        *modified = true;
        return ERROR_SUCCESS;
    });
}

LONG CRegistry::SetDword(HKEY key, const QString& path, const QString& name, DWORD value) {
    QByteArray data(4, '\0');
    qToLittleEndian<quint32>(value, data.data());
    return SetValue(key, path, name, REG_DWORD, data);
}

LONG CRegistry::SetString(HKEY key, const QString& path, const QString& name, const QString& text) {
    QByteArray data((text.size() + 1) * 2, '\0');
    std::memcpy(data.data(), text.utf16(), static_cast<size_t>(text.size()) * 2);
    return SetValue(key, path, name, REG_SZ, data);
}

std::optional<SRegValue> CRegistry::GetValue(HKEY key, const QString& path, const QString& name) {
    std::lock_guard guard(m_mutex);
    const CRegKey* node = FindLocked(key, path);
    const SRegValue* value = node ? node->FindValue(name) : nullptr;
    return value ? std::optional<SRegValue>(*value) : std::nullopt;
}

std::optional<DWORD> CRegistry::GetDword(HKEY key, const QString& path, const QString& name) {
    const std::optional<SRegValue> value = GetValue(key, path, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4) {
        return std::nullopt;
    }
    return qFromLittleEndian<quint32>(value->data.constData());
}

std::optional<QString> CRegistry::GetString(HKEY key, const QString& path, const QString& name) {
    const std::optional<SRegValue> value = GetValue(key, path, name);
    if (!value || value->type != REG_SZ) {
        return std::nullopt;
    }
    QString text(value->data.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), value->data.constData(), static_cast<size_t>(text.size()) * 2);
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

bool CRegistry::KeyExists(HKEY key, const QString& path) {
    std::lock_guard guard(m_mutex);
    return FindLocked(key, path) != nullptr;
}

QStringList CRegistry::SubKeyNames(HKEY key, const QString& path) {
    std::lock_guard guard(m_mutex);
    QStringList names;
    if (const CRegKey* node = FindLocked(key, path)) {
        for (const CRegKey& child : node->Children()) {
            names << child.Name();
        }
    }
    return names;
}

QStringList CRegistry::ValueNames(HKEY key, const QString& path) {
    std::lock_guard guard(m_mutex);
    QStringList names;
    if (const CRegKey* node = FindLocked(key, path)) {
        for (const SRegValue& value : node->Values()) {
            names << value.name;
        }
    }
    return names;
}

LONG CRegistry::DeleteTree(HKEY key, const QString& path) {
    std::lock_guard guard(m_mutex);
    SHandle base;
    SHandle target;
    if (const LONG error = ResolvePath(key, path, &base, &target)) {
        return error;
    }
    if (target.path.isEmpty()) {
        return ERROR_ACCESS_DENIED;
    }
    return Modify(target.root, [&](CRegKey& tree, bool* modified) -> LONG {
        CRegKey* parent = tree.Find(target.path.mid(0, target.path.size() - 1));
        if (!parent || !parent->RemoveChild(target.path.last())) {
            return ERROR_FILE_NOT_FOUND;
        }
        *modified = true;
        return ERROR_SUCCESS;
    });
}

int CRegistry::OpenHandleCount() const {
    std::lock_guard guard(m_mutex);
    return static_cast<int>(m_handles.size());
}

void CRegistry::Reload() {
    std::lock_guard guard(m_mutex);
    for (SRoot& root : m_roots) {
        if (root.file) {
            root.tree = root.file->Load();
        }
    }
}

QString CRegistry::HivePath(HKEY root) const {
    const int index = RootIndex(root);
    return index >= 0 && m_roots[index].file ? m_roots[index].file->Path() : QString();
}

void CRegistry::SetLockTimeout(int milliseconds) {
    std::lock_guard guard(m_mutex);
    m_lockTimeoutMs = milliseconds;
}

// --- free functions ------------------------------------------------------------------------------

namespace {
CRegistry* Registry() {
    return CPlatform::Current().registry;
}
} // namespace

LONG RegOpenKeyEx(HKEY key, const QString& subKey, DWORD options, REGSAM sam, HKEY* result) {
    if (CRegistry* registry = Registry()) {
        return registry->RegOpenKeyEx(key, subKey, options, sam, result);
    }
    if (result) {
        *result = nullptr;
    }
    return ERROR_INVALID_HANDLE;
}

LONG RegCreateKeyEx(HKEY key, const QString& subKey, DWORD reserved, const QString& cls, DWORD options,
                    REGSAM sam, void* security, HKEY* result, DWORD* disposition) {
    if (CRegistry* registry = Registry()) {
        return registry->RegCreateKeyEx(key, subKey, reserved, cls, options, sam, security, result,
                                        disposition);
    }
    if (result) {
        *result = nullptr;
    }
    return ERROR_INVALID_HANDLE;
}

LONG RegQueryValueEx(HKEY key, const QString& name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData) {
    CRegistry* registry = Registry();
    return registry ? registry->RegQueryValueEx(key, name, reserved, type, data, cbData)
                    : ERROR_INVALID_HANDLE;
}

LONG RegSetValueEx(HKEY key, const QString& name, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD cbData) {
    CRegistry* registry = Registry();
    return registry ? registry->RegSetValueEx(key, name, reserved, type, data, cbData) : ERROR_INVALID_HANDLE;
}

LONG RegDeleteValue(HKEY key, const QString& name) {
    CRegistry* registry = Registry();
    return registry ? registry->RegDeleteValue(key, name) : ERROR_INVALID_HANDLE;
}

LONG RegDeleteKey(HKEY key, const QString& subKey) {
    CRegistry* registry = Registry();
    return registry ? registry->RegDeleteKey(key, subKey) : ERROR_INVALID_HANDLE;
}

LONG RegCloseKey(HKEY key) {
    CRegistry* registry = Registry();
    return registry ? registry->RegCloseKey(key) : ERROR_INVALID_HANDLE;
}
