#pragma once
// The entries of the library that share one key of an index (one TOC, one album...), in the order a
// query lists them: by "WM/TrackNumber" (numerically; 0 when it is not a number), then in the order
// they were added. The index keeps it current with each change, so a live query reads it as it is.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>

class CLibraryIndex;

class CLibrarySelection {
public:
    CLibrarySelection(std::weak_ptr<CLibraryIndex> index, QString key)
        : m_index(std::move(index)), m_key(std::move(key)) {}

    qsizetype Size() const { return m_members.size(); }
    bool IsEmpty() const { return m_members.isEmpty(); }
    qint64 At(qsizetype position) const { return m_members.at(position).id; }
    bool Contains(qint64 id) const;
    // Changes whenever an entry comes, goes or moves.
    quint64 Version() const { return m_version; }

    const std::weak_ptr<CLibraryIndex>& Index() const { return m_index; }
    const QString& Key() const { return m_key; }

    void Insert(int track, qint64 id);
    void Erase(int track, qint64 id);

private:
    struct Member {
        int track;
        qint64 id;
        bool operator<(const Member& other) const {
            return track != other.track ? track < other.track : id < other.id;
        }
        bool operator==(const Member&) const = default;
    };

    std::weak_ptr<CLibraryIndex> m_index;
    QString m_key;
    QList<Member> m_members;
    quint64 m_version = 0;
};
