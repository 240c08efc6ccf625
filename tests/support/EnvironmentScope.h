#pragma once
// Sets (or, with a null value, removes) an environment variable for one scope and puts the old
// state back when the scope ends.

#include <QByteArray>
#include <QtGlobal>

class CEnvironmentScope {
public:
    CEnvironmentScope(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~CEnvironmentScope() {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }
    CEnvironmentScope(const CEnvironmentScope&) = delete;
    CEnvironmentScope& operator=(const CEnvironmentScope&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};
