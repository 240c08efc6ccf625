#include "platform/files/DriveLetters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>

CDriveLetters::CDriveLetters(QString path) : m_path(std::move(path)) {
    if (m_path.isEmpty())
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A line that does not read as a letter and a name is forgotten: the device takes a free letter.
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.size() < 3 || line.at(1) != QLatin1Char(' '))
            continue;
        const QChar letter = line.at(0).toUpper();
        if (letter < QLatin1Char('C') || letter > QLatin1Char('Z'))
            continue;
        m_letters.insert(line.mid(2), letter);
    }
}

QChar CDriveLetters::LetterOf(const QString& identity) const {
    return identity.isEmpty() ? QChar() : m_letters.value(identity);
}

bool CDriveLetters::TakenByOther(QChar letter, const QString& identity) const {
    for (auto it = m_letters.cbegin(); it != m_letters.cend(); ++it) {
        if (it.value() == letter && it.key() != identity)
            return true;
    }
    return false;
}

void CDriveLetters::Remember(const QString& identity, QChar letter) {
    if (identity.isEmpty() || m_letters.value(identity) == letter)
        return;
    // One device per letter: the one seen last with it.
    for (auto it = m_letters.begin(); it != m_letters.end();) {
        it = it.value() == letter ? m_letters.erase(it) : std::next(it);
    }
    m_letters.insert(identity, letter);
    m_changed = true;
}

bool CDriveLetters::Save() {
    if (!m_changed || m_path.isEmpty())
        return true;
    QStringList lines;
    for (auto it = m_letters.cbegin(); it != m_letters.cend(); ++it)
        lines.append(QString(it.value()) + QLatin1Char(' ') + it.key());
    std::sort(lines.begin(), lines.end());
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    if (!file.commit())
        return false;
    m_changed = false;
    return true;
}
