#pragma once
// The environment of a user who never ran the program, for starting it on this machine (host
// mode) in a test: a home, configuration, data, cache and runtime folders of its own inside a
// scratch folder, no display unless one is given, and nothing else of the caller's session.

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>

inline QProcessEnvironment FreshUserEnvironment(const QString& folder, const QString& display = QString()) {
    const QString home = folder + QStringLiteral("/home");
    const QString runtime = folder + QStringLiteral("/runtime");
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/.local/state"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // The single-instance lock lives in the temporary folder: a program another test (or the real
    // user) runs on this machine must not count as this user's first instance.
    env.insert(QStringLiteral("TMPDIR"), runtime);
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    // The program's own windows stay offscreen; a display given here is only looked at.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!display.isEmpty()) {
        env.insert(QStringLiteral("DISPLAY"), display);
    }
    for (const char* sanitizer : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (qEnvironmentVariableIsSet(sanitizer)) {
            env.insert(QString::fromLatin1(sanitizer), qEnvironmentVariable(sanitizer));
        }
    }
    return env;
}

// The user's hive inside a fresh user's folder.
inline QString FreshUserHive(const QString& folder) {
    return folder + QStringLiteral("/home/.config/ollivane/HKEY_CURRENT_USER.reg");
}
