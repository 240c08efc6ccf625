#include "tests/support/engine/TestMp3.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <lame/lame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegheader.h>
#include <taglib/textidentificationframe.h>
#include <vector>

namespace {

TagLib::String T(const QString& text) {
    return TagLib::String(text.toStdWString());
}

QString Q(const TagLib::String& text) {
    return QString::fromStdWString(text.toWString());
}

QString Frame(TagLib::ID3v2::Tag* tag, const char* id) {
    const auto frames = tag->frameListMap()[id];
    return frames.isEmpty() ? QString() : Q(frames.front()->toString());
}

} // namespace

QString Mp3Facts::Txxx(const QString& description) const {
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    if (!file.isValid() || !file.ID3v2Tag()) {
        return QString();
    }
    auto* frame = TagLib::ID3v2::UserTextIdentificationFrame::find(file.ID3v2Tag(), T(description));
    return frame && frame->fieldList().size() >= 2 ? Q(frame->fieldList()[1]) : QString();
}

bool CTestMp3::Write(const QString& hostPath, double seconds, int kbps, const QString& title,
                     const QString& album, int track, const QString& toc) {
    QDir().mkpath(QFileInfo(hostPath).absolutePath());
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, 44100);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, kbps);
    lame_set_VBR(lame, vbr_off);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return false;
    }
    const int frames = int(seconds * 44100);
    std::vector<short> left(static_cast<std::size_t>(frames));
    std::vector<short> right(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        left[std::size_t(i)] = right[std::size_t(i)] = short(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
    }
    std::vector<unsigned char> out(std::size_t(1.25 * frames + 7200 * 2));
    int bytes = lame_encode_buffer(lame, left.data(), right.data(), frames, out.data(), int(out.size()));
    bytes += lame_encode_flush(lame, out.data() + bytes, int(out.size()) - bytes);
    QFile file(hostPath);
    if (bytes <= 0 || !file.open(QIODevice::WriteOnly)) {
        lame_close(lame);
        return false;
    }
    file.write(reinterpret_cast<const char*>(out.data()), bytes);
    file.close();
    lame_close(lame);

    TagLib::MPEG::File mp3(QFile::encodeName(hostPath).constData());
    TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag(true);
    auto text = [tag](const char* id, const QString& value) {
        if (!value.isEmpty()) {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF16);
            frame->setText(T(value));
            tag->addFrame(frame);
        }
    };
    text("TIT2", title);
    text("TALB", album);
    text("TRCK", track > 0 ? QString::number(track) : QString());
    if (!toc.isEmpty()) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF16);
        frame->setDescription(T(QStringLiteral("TOC")));
        frame->setText(T(toc));
        tag->addFrame(frame);
    }
    return mp3.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3);
}

Mp3Facts CTestMp3::Read(const QString& hostPath) {
    Mp3Facts facts;
    facts.path = hostPath;
    TagLib::MPEG::File file(QFile::encodeName(hostPath).constData(), true, TagLib::AudioProperties::Accurate);
    if (!file.isValid()) {
        return facts;
    }
    if (file.audioProperties()) {
        facts.lengthMs = file.audioProperties()->lengthInMilliseconds();
    }
    // The rate every frame header carries: TagLib's own figure is an average that counts the
    // encoder's delay and padding frames too.
    const TagLib::MPEG::Header header(&file, file.firstFrameOffset());
    facts.bitrateKbps = header.isValid() ? header.bitrate() : 0;
    if (TagLib::ID3v2::Tag* tag = file.ID3v2Tag()) {
        facts.title = Frame(tag, "TIT2");
        facts.artist = Frame(tag, "TPE1");
        facts.album = Frame(tag, "TALB");
        facts.albumArtist = Frame(tag, "TPE2");
        facts.track = Frame(tag, "TRCK");
    }
    return facts;
}
