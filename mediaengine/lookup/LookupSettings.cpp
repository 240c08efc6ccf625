#include "mediaengine/lookup/LookupSettings.h"

#include "platform/registry/Registry.h"

#include <QtGlobal>

#ifndef OLLIVANE_VERSION
#define OLLIVANE_VERSION "0"
#endif

namespace {

// Where the service's operators can reach the program's maintainers.
constexpr const char* kContact = "ollivane-maintainers@users.noreply.invalid";

const QString kPreferences = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

QString EnvironmentOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name).trimmed();
    return value.isEmpty() ? fallback : value;
}

bool IsZero(HKEY key, const QString& name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && value == 0;
}

} // namespace

LookupSettings LookupSettings::FromEnvironment() {
    LookupSettings settings;
    settings.musicBrainzRoot =
        EnvironmentOr("OLLIVANE_MUSICBRAINZ_URL", QStringLiteral("https://musicbrainz.org"));
    while (settings.musicBrainzRoot.endsWith(QLatin1Char('/'))) {
        settings.musicBrainzRoot.chop(1);
    }
    settings.cddbUrl =
        EnvironmentOr("OLLIVANE_CDDB_URL", QStringLiteral("http://gnudb.gnudb.org/~cddb/cddb.cgi"));
    // MusicBrainz asks every client to name itself and a way to reach its makers.
    settings.userAgent = QStringLiteral("Ollivane/%1 ( %2 )")
                             .arg(QString::fromLatin1(OLLIVANE_VERSION), QLatin1String(kContact));
    return settings;
}

bool LookupSettings::OnlineAllowed() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kPreferences, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return true;
    }
    const bool forbidden =
        IsZero(key, QStringLiteral("MetadataRetrieval")) || IsZero(key, QStringLiteral("ForceOnline"));
    RegCloseKey(key);
    return !forbidden;
}
