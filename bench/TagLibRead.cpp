// TagLib's side of korvel-read-bench: reads every file named on the command
// line as `korvel info` reads it -- the audio properties, every ID3v2 frame
// as text (a picture as its bytes, MIME type and description), the ID3v1
// fields -- and writes one line per value to stdout through one buffered
// stream, as `korvel info` does.
//   korvel-taglib-read FILE...
#include <cstdio>
#include <string>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>

namespace {

void Line(const std::string& name, const std::string& value) {
    std::fputs(name.c_str(), stdout);
    std::fputc('\t', stdout);
    std::fputs(value.c_str(), stdout);
    std::fputc('\n', stdout);
}

bool Read(const char* path) {
    TagLib::MPEG::File file(path, true, TagLib::AudioProperties::Average);
    if (!file.isValid()) return false;
    std::printf("==> %s <==\n", path);
    if (const TagLib::MPEG::Properties* p = file.audioProperties()) {
        std::printf("%d ms, %d kbit/s, %d Hz, %d channels, version %d layer %d, mode %d, crc %d, copyright %d, "
                    "original %d, xing %d\n",
                    p->lengthInMilliseconds(), p->bitrate(), p->sampleRate(), p->channels(),
                    static_cast<int>(p->version()), p->layer(), static_cast<int>(p->channelMode()),
                    p->protectionEnabled(), p->isCopyrighted(), p->isOriginal(), p->xingHeader() != nullptr);
    }
    if (file.hasID3v2Tag()) {
        for (const TagLib::ID3v2::Frame* frame : file.ID3v2Tag()->frameList()) {
            const std::string id(frame->frameID().data(), frame->frameID().size());
            if (const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame)) {
                Line("ID3v2:" + id, picture->mimeType().to8Bit(true) + ", " +
                                        std::to_string(picture->picture().size()) + " bytes, " +
                                        picture->description().to8Bit(true));
            } else {
                Line("ID3v2:" + id, frame->toString().to8Bit(true));
            }
        }
    }
    if (file.hasID3v1Tag()) {
        const TagLib::ID3v1::Tag* t = file.ID3v1Tag();
        Line("ID3v1:Title", t->title().to8Bit(true));
        Line("ID3v1:Artist", t->artist().to8Bit(true));
        Line("ID3v1:Album", t->album().to8Bit(true));
        Line("ID3v1:Comment", t->comment().to8Bit(true));
        Line("ID3v1:Genre", t->genre().to8Bit(true));
        Line("ID3v1:Year", std::to_string(t->year()));
        Line("ID3v1:Track", std::to_string(t->track()));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        if (!Read(argv[i])) ++failed;
    }
    return failed == 0 ? 0 : 1;
}
