#include "platform/com/Guid.h"

std::optional<GUID> GuidFromString(const QString& text) {
    return guid_detail::Parse(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                  static_cast<std::size_t>(text.size())));
}

bool GuidFromString(const QString& text, GUID* out) {
    const std::optional<GUID> parsed = GuidFromString(text);
    if (!parsed || !out) {
        return parsed.has_value();
    }
    *out = *parsed;
    return true;
}

QString GuidToString(const GUID& g) {
    auto hex = [](unsigned value, int width) {
        return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
    };
    QString text = QStringLiteral("{") + hex(g.Data1, 8) + QLatin1Char('-') + hex(g.Data2, 4) +
                   QLatin1Char('-') + hex(g.Data3, 4) + QLatin1Char('-');
    for (int i = 0; i < 8; ++i) {
        if (i == 2) {
            text += QLatin1Char('-');
        }
        text += hex(g.Data4[i], 2);
    }
    text += QLatin1Char('}');
    return text;
}
