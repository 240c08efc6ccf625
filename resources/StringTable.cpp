#include "resources/StringTable.h"
#include "resources/Logging.h"

#include <QFile>
#include <QtGlobal>

#include <algorithm>

#include <optional>

// The resource lives in a static library; referencing its initialiser keeps the linker from
// dropping it. Q_INIT_RESOURCE must be used outside any namespace.
static void InitStringResource() {
    Q_INIT_RESOURCE(resources);
}

namespace {

// String-table ids are 16-bit in the resource format the program follows.
constexpr uint kMaxId = 0xFFFF;

std::optional<QString> Unescape(QStringView raw, QString& error) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\') {
            out.append(c);
            continue;
        }
        if (i + 1 == raw.size()) {
            error = QStringLiteral("backslash at the end of the text");
            return std::nullopt;
        }
        const QChar e = raw[++i];
        if (e == u'n') {
            out.append(u'\n');
        } else if (e == u't') {
            out.append(u'\t');
        } else if (e == u'\\') {
            out.append(u'\\');
        } else {
            error = QStringLiteral("unknown escape \\%1").arg(e);
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

CStringTable CStringTable::Parse(const QString& data) {
    CStringTable table;
    const QStringList lines = data.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QStringView line = lines[n];
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const auto fail = [&](const QString& why) {
            table.m_errors.append(QStringLiteral("line %1: %2").arg(n + 1).arg(why));
        };
        const qsizetype tab = line.indexOf(u'\t');
        if (tab < 0) {
            fail(QStringLiteral("no tab between id and text"));
            continue;
        }
        const QStringView idText = line.left(tab);
        bool ok = false;
        const uint id = idText.toUInt(&ok, 10);
        // toUInt accepts a sign and surrounding blanks; an id is plain digits only.
        const bool digitsOnly = !idText.isEmpty() && std::all_of(idText.begin(), idText.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        });
        if (!ok || !digitsOnly || id > kMaxId) {
            fail(QStringLiteral("bad id \"%1\"").arg(idText));
            continue;
        }
        QString error;
        const std::optional<QString> text = Unescape(line.mid(tab + 1), error);
        if (!text) {
            fail(error);
            continue;
        }
        if (table.m_texts.contains(id)) {
            fail(QStringLiteral("id %1 repeated; the first text is kept").arg(id));
            continue;
        }
        table.m_texts.insert(id, *text);
    }
    return table;
}

const CStringTable& CStringTable::Instance() {
    static const CStringTable table = [] {
        InitStringResource();
        QFile file(QString::fromLatin1(kResourcePath));
        if (!file.open(QIODevice::ReadOnly)) {
            CStringTable empty;
            empty.m_errors.append(QStringLiteral("cannot open %1").arg(file.fileName()));
            qCWarning(lcResources, "string table: cannot open %s", kResourcePath);
            return empty;
        }
        CStringTable parsed = Parse(QString::fromUtf8(file.readAll()));
        for (const QString& e : parsed.Errors()) {
            qCWarning(lcResources, "string table: %s", qUtf8Printable(e));
        }
        return parsed;
    }();
    return table;
}

bool CStringTable::Lookup(UINT id, QString& text) const {
    const auto it = m_texts.constFind(id);
    if (it == m_texts.constEnd()) {
        return false;
    }
    text = *it;
    return true;
}

QString LoadString(UINT id) {
    return CStringTable::Instance().Text(id);
}

bool LoadString(UINT id, QString& text) {
    return CStringTable::Instance().Lookup(id, text);
}
