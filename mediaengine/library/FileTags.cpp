#include "mediaengine/library/FileTags.h"

#include <QFile>
#include <QFileInfo>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>

namespace {

TagLib::String ToTag(const QString& text) {
    return TagLib::String(text.toStdWString());
}

QString FromTag(const TagLib::String& text) {
    return QString::fromStdWString(text.toWString());
}

// Attribute name -> ID3v2 frame id, for the names that have a frame of their own.
const char* FrameOf(const QString& name) {
    const QString key = name.toLower();
    if (key == QLatin1String("title") || key == QLatin1String("name")) {
        return "TIT2";
    }
    if (key == QLatin1String("artist") || key == QLatin1String("author")) {
        return "TPE1";
    }
    if (key == QLatin1String("wm/albumartist")) {
        return "TPE2";
    }
    if (key == QLatin1String("album") || key == QLatin1String("wm/albumtitle")) {
        return "TALB";
    }
    if (key == QLatin1String("wm/tracknumber")) {
        return "TRCK";
    }
    if (key == QLatin1String("wm/genre") || key == QLatin1String("genre")) {
        return "TCON";
    }
    if (key == QLatin1String("wm/year")) {
        return "TYER";
    }
    return nullptr;
}

QString FrameText(TagLib::ID3v2::Tag* tag, const char* id) {
    const TagLib::ID3v2::FrameList frames = tag->frameListMap()[id];
    return frames.isEmpty() ? QString() : FromTag(frames.front()->toString());
}

void ReadId3(TagLib::ID3v2::Tag* tag, QMap<QString, QString>* attributes) {
    const QString title = FrameText(tag, "TIT2");
    const QString album = FrameText(tag, "TALB");
    attributes->insert(QStringLiteral("Title"), title);
    attributes->insert(QStringLiteral("Artist"), FrameText(tag, "TPE1"));
    attributes->insert(QStringLiteral("WM/AlbumArtist"), FrameText(tag, "TPE2"));
    attributes->insert(QStringLiteral("Album"), album);
    attributes->insert(QStringLiteral("WM/AlbumTitle"), album);
    attributes->insert(QStringLiteral("WM/TrackNumber"),
                       FrameText(tag, "TRCK").section(QLatin1Char('/'), 0, 0));
    attributes->insert(QStringLiteral("WM/Genre"), FrameText(tag, "TCON"));
    QString year = FrameText(tag, "TYER");
    if (year.isEmpty()) {
        year = FrameText(tag, "TDRC");
    }
    attributes->insert(QStringLiteral("WM/Year"), year);
    for (TagLib::ID3v2::Frame* frame : tag->frameListMap()["TXXX"]) {
        auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (user && user->fieldList().size() >= 2) {
            attributes->insert(FromTag(user->description()), FromTag(user->fieldList()[1]));
        }
    }
}

} // namespace

bool CFileTags::Read(const QString& hostPath, QMap<QString, QString>* attributes, QString* error) {
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    const QFileInfo info(hostPath);
    if (!info.isFile()) {
        *error = QStringLiteral("no file %1").arg(hostPath);
        return false;
    }
    attributes->insert(QStringLiteral("FileSize"), QString::number(info.size()));
    attributes->insert(QStringLiteral("FileType"), info.suffix().toLower());
    attributes->insert(QStringLiteral("MediaType"), QStringLiteral("audio"));
    const QByteArray path = QFile::encodeName(hostPath);
    int seconds = 0;
    int bitrate = 0;
    if (info.suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0) {
        TagLib::MPEG::File file(path.constData(), true, TagLib::AudioProperties::Accurate);
        if (!file.isValid()) {
            *error = QStringLiteral("%1 is not an MP3 file TagLib can read").arg(hostPath);
            return false;
        }
        if (file.ID3v2Tag()) {
            ReadId3(file.ID3v2Tag(), attributes);
        }
        if (file.audioProperties()) {
            seconds = file.audioProperties()->lengthInMilliseconds();
            bitrate = file.audioProperties()->bitrate();
        }
    } else {
        TagLib::FileRef file(path.constData(), true, TagLib::AudioProperties::Accurate);
        if (file.isNull()) {
            *error = QStringLiteral("%1 is not an audio file TagLib can read").arg(hostPath);
            return false;
        }
        if (TagLib::Tag* tag = file.tag()) {
            attributes->insert(QStringLiteral("Title"), FromTag(tag->title()));
            attributes->insert(QStringLiteral("Artist"), FromTag(tag->artist()));
            attributes->insert(QStringLiteral("Album"), FromTag(tag->album()));
            attributes->insert(QStringLiteral("WM/AlbumTitle"), FromTag(tag->album()));
            attributes->insert(QStringLiteral("WM/TrackNumber"), QString::number(tag->track()));
        }
        if (file.audioProperties()) {
            seconds = file.audioProperties()->lengthInMilliseconds();
            bitrate = file.audioProperties()->bitrate();
        }
    }
    attributes->insert(QStringLiteral("Duration"), QString::number(seconds / 1000.0, 'f', 3));
    attributes->insert(QStringLiteral("Bitrate"), QString::number(bitrate * 1000));
    if (attributes->value(QStringLiteral("Title")).isEmpty()) {
        attributes->insert(QStringLiteral("Title"), info.completeBaseName());
    }
    return true;
}

bool CFileTags::Write(const QString& hostPath, const QString& name, const QString& value, QString* error) {
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    const QByteArray path = QFile::encodeName(hostPath);
    if (!QFileInfo(hostPath).isWritable()) {
        *error = QStringLiteral("%1 cannot be written").arg(hostPath);
        return false;
    }
    if (QFileInfo(hostPath).suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) == 0) {
        TagLib::MPEG::File file(path.constData(), false);
        if (!file.isValid()) {
            *error = QStringLiteral("%1 is not an MP3 file TagLib can read").arg(hostPath);
            return false;
        }
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        if (const char* id = FrameOf(name)) {
            tag->removeFrames(id);
            if (!value.isEmpty()) {
                auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF16);
                frame->setText(ToTag(value));
                tag->addFrame(frame);
            }
        } else {
            if (auto* old = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, ToTag(name))) {
                tag->removeFrame(old);
            }
            if (!value.isEmpty()) {
                auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF16);
                frame->setDescription(ToTag(name));
                frame->setText(ToTag(value));
                tag->addFrame(frame);
            }
        }
        if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3)) {
            *error = QStringLiteral("cannot save the tag of %1").arg(hostPath);
            return false;
        }
        return true;
    }
    TagLib::FileRef file(path.constData(), false);
    if (file.isNull() || !file.tag()) {
        *error = QStringLiteral("%1 is not an audio file TagLib can read").arg(hostPath);
        return false;
    }
    const char* id = FrameOf(name);
    const QString frame = id ? QString::fromLatin1(id) : QString();
    if (frame == QLatin1String("TIT2")) {
        file.tag()->setTitle(ToTag(value));
    } else if (frame == QLatin1String("TPE1")) {
        file.tag()->setArtist(ToTag(value));
    } else if (frame == QLatin1String("TALB")) {
        file.tag()->setAlbum(ToTag(value));
    } else if (frame == QLatin1String("TRCK")) {
        file.tag()->setTrack(value.toUInt());
    } else {
        *error = QStringLiteral("%1 has no place in this file's tag").arg(name);
        return false;
    }
    if (!file.save()) {
        *error = QStringLiteral("cannot save the tag of %1").arg(hostPath);
        return false;
    }
    return true;
}
