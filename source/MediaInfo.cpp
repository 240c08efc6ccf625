#include "source/MediaInfo.h"

#include "platform/com/ComBSTR.h"

namespace media_info {

bool Read(IWMPMedia* item, const QString& name, QString* value) {
    value->clear();
    CComBSTR text;
    if (!item || FAILED(item->getItemInfo(CComBSTR(name), &text))) {
        return false;
    }
    *value = text.ToQString();
    return true;
}

bool Read(IWMPPlaylist* list, const QString& name, QString* value) {
    value->clear();
    CComBSTR text;
    if (!list || FAILED(list->getItemInfo(CComBSTR(name), &text))) {
        return false;
    }
    *value = text.ToQString();
    return true;
}

bool Write(IWMPMedia* item, const QString& name, const QString& value) {
    return item && SUCCEEDED(item->setItemInfo(CComBSTR(name), CComBSTR(value)));
}

bool ReadName(IWMPMedia* item, QString* name) {
    name->clear();
    CComBSTR text;
    if (!item || FAILED(item->get_name(&text))) {
        return false;
    }
    *name = text.ToQString();
    return true;
}

bool WriteName(IWMPMedia* item, const QString& name) {
    return item && SUCCEEDED(item->put_name(CComBSTR(name)));
}

long Count(IWMPPlaylist* list) {
    long count = 0;
    if (!list || FAILED(list->get_count(&count))) {
        return -1;
    }
    return count;
}

ComPtr<IWMPMedia> Item(IWMPPlaylist* list, long index) {
    ComPtr<IWMPMedia> item;
    if (!list || index < 0 || FAILED(list->get_Item(index, &item))) {
        return nullptr;
    }
    return item;
}

long Decimal(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        if (value > 100000000L) {
            break; // far beyond any track number or file size the program compares
        }
        value = value * 10 + (text.at(i).unicode() - u'0');
    }
    return negative ? -value : value;
}

long TrackNumberOf(IWMPMedia* item) {
    QString text;
    return Read(item, QStringLiteral("WM/TrackNumber"), &text) ? Decimal(text) : 0;
}

} // namespace media_info
