#pragma once
// The program's string table: every user-visible text is loaded by number. The texts live in one
// data file compiled into the program as a Qt resource; the table is parsed once, on first use.

#include "platform/win/WinTypes.h"

#include <QMap>
#include <QString>
#include <QStringList>

class CStringTable {
public:
    // Path of the compiled-in data file.
    static constexpr const char* kResourcePath = ":/strings/strings_ja.tsv";

    CStringTable() = default;

    // Parses table text: "id<TAB>text" per line, with \n, \t and \\ escapes in the text; lines
    // starting with '#' and blank lines are skipped. A line that cannot be read, or that repeats an
    // id, is left out (the first text of an id wins) and described in Errors().
    static CStringTable Parse(const QString& data);

    // The program's table, loaded from the resource on first call. Safe to call from any thread; the
    // table is never modified afterwards.
    static const CStringTable& Instance();

    bool Has(UINT id) const { return m_texts.contains(id); }
    // The text of id, or an empty string when the table has no such id.
    QString Text(UINT id) const { return m_texts.value(id); }
    // False (and text untouched) when the table has no such id.
    bool Lookup(UINT id, QString& text) const;

    QList<UINT> Ids() const { return m_texts.keys(); }
    // One line per problem found while parsing ("line N: ..."); empty for a sound table.
    const QStringList& Errors() const { return m_errors; }

private:
    QMap<UINT, QString> m_texts;
    QStringList m_errors;
};

// The text of string id from the program's table, empty for an unknown id.
QString LoadString(UINT id);
// Tells a missing id (false) from an entry whose text is empty (true, text empty).
bool LoadString(UINT id, QString& text);
