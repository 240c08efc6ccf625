#pragma once
// The letters devices had, so a card that comes back gets its letter back in this run and the
// next (the program finds its card again by letter and name). Kept in a small text file, one
// "E uuid:12AB-34CD" line per device.

#include <QChar>
#include <QHash>
#include <QString>

class CDriveLetters {
public:
    // An empty path remembers for this run only.
    explicit CDriveLetters(QString path = QString());

    QChar LetterOf(const QString& identity) const;
    // Whether another device than identity had the letter.
    bool TakenByOther(QChar letter, const QString& identity) const;
    void Remember(const QString& identity, QChar letter);
    // Writes the file if anything changed since it was read or last written; false when it cannot.
    bool Save();

private:
    QString m_path;
    QHash<QString, QChar> m_letters;
    bool m_changed = false;
};
