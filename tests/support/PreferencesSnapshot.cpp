#include "tests/support/PreferencesSnapshot.h"

#include <QStringList>

std::string PreferencesSnapshot(CRegistry& registry) {
    const QString key = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
    QStringList out;
    for (const QString& name : registry.ValueNames(HKEY_CURRENT_USER, key)) {
        const auto value = registry.GetValue(HKEY_CURRENT_USER, key, name);
        out << QStringLiteral("%1|%2|%3")
                   .arg(name)
                   .arg(value->type)
                   .arg(QString::fromLatin1(value->data.toHex()));
    }
    out.sort(Qt::CaseInsensitive);
    return out.join(QLatin1Char('\n')).toStdString();
}

std::string PreferencesSnapshotOf(const QString& hive) {
    CRegistry registry(hive, QString());
    return PreferencesSnapshot(registry);
}
