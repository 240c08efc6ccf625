#include "mediaengine/about/EngineLibraries.h"

#include "platform/system/LinkedLibraries.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <cdio/version.h>
#include <discid/discid.h>
#include <lame/lame.h>
#include <sndfile.h>
#include <sqlite3.h>
#include <taglib/taglib.h>

namespace {

QString Text(const char* version) {
    return version ? QString::fromUtf8(version).trimmed() : QString();
}

// libcdio's texts end in the platform it was built for ("2.1.0 x86_64-pc-linux-gnu").
QString FirstWord(const char* version) {
    return Text(version).section(QLatin1Char(' '), 0, 0);
}

// libsndfile names itself in its version text ("libsndfile-1.2.0").
QString WithoutName(QString version, const QString& name) {
    if (version.startsWith(name + QLatin1Char('-'))) {
        version.remove(0, name.size() + 1);
    }
    return version;
}

} // namespace

void CEngineLibraries::Register() {
    CLinkedLibraries& list = CLinkedLibraries::Instance();
    list.Add({QStringLiteral("libcdio"), FirstWord(cdio_version_string), QStringLiteral("GPL-3.0-or-later")});
    list.Add({QStringLiteral("libcdio-paranoia"), FirstWord(cdio_paranoia_version()),
              QStringLiteral("GPL-3.0-or-later")});
    // libdiscid names itself in its version text ("libdiscid 0.6.2").
    list.Add({QStringLiteral("libdiscid"), Text(discid_get_version_string()).section(QLatin1Char(' '), -1),
              QStringLiteral("LGPL-2.1-or-later")});
    list.Add({QStringLiteral("LAME"), Text(get_lame_version()), QStringLiteral("LGPL-2.0-or-later")});
    // TagLib before 2.0 has no run-time version call; its headers give the one built against.
    list.Add({QStringLiteral("TagLib"),
              QStringLiteral("%1.%2.%3")
                  .arg(TAGLIB_MAJOR_VERSION)
                  .arg(TAGLIB_MINOR_VERSION)
                  .arg(TAGLIB_PATCH_VERSION),
              QStringLiteral("LGPL-2.1-only OR MPL-1.1")});
    list.Add({QStringLiteral("libsndfile"),
              WithoutName(Text(sf_version_string()), QStringLiteral("libsndfile")),
              QStringLiteral("LGPL-2.1-or-later")});
    list.Add({QStringLiteral("SQLite"), Text(sqlite3_libversion()), QStringLiteral("public domain")});
}
