#include "mediaengine/rip/Id3TagRenderer.h"

#include <taglib/id3v2tag.h>
#include <taglib/textidentificationframe.h>

namespace {

void AddText(TagLib::ID3v2::Tag* tag, const char* frameId, const QString& value) {
    if (value.isEmpty()) {
        return;
    }
    auto* frame =
        new TagLib::ID3v2::TextIdentificationFrame(TagLib::ByteVector(frameId), TagLib::String::UTF16);
    frame->setText(TagLib::String(value.toUtf8().constData(), TagLib::String::UTF8));
    tag->addFrame(frame); // the tag owns its frames
}

} // namespace

QByteArray CId3TagRenderer::Render(const TrackTags& tags) {
    TagLib::ID3v2::Tag tag;
    AddText(&tag, "TIT2", tags.title);
    AddText(&tag, "TPE1", tags.artist);
    AddText(&tag, "TALB", tags.album);
    AddText(&tag, "TPE2", tags.albumArtist);
    if (tags.trackNumber > 0) {
        AddText(&tag, "TRCK", QString::number(tags.trackNumber));
    }
    if (!tags.toc.isEmpty()) {
        auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF16);
        frame->setDescription(TagLib::String("TOC", TagLib::String::Latin1));
        frame->setText(TagLib::String(tags.toc.toUtf8().constData(), TagLib::String::UTF8));
        tag.addFrame(frame);
    }
    const TagLib::ByteVector data = tag.render(TagLib::ID3v2::v3);
    return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
}
