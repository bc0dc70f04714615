// Feeds arbitrary bytes, as the content of an MP3 file, to the file object and
// the ID3v2 facade, and reads everything they offer. The updatable tag is
// switched off so that the own readers parse every version.
#include <cstdint>

#include "FuzzSupport.h"
#include "file/FileHandler.h"
#include "id3v2/ID3V2Tag.h"

namespace {

template <typename Reader>
void ReadFrames(const Reader& reader) {
    if (!reader) return;
    for (int32_t i = 0; i <= reader->FrameCount() + 1; ++i) {
        if (const auto frame = reader->GetFrameByIndex(i)) {
            (void)frame->TextData();
            (void)frame->RawData();
        }
    }
    (void)reader->GetText("TIT2");
}

void ReadEverything(korvel::ID3V2Tag& tag) {
    (void)tag.Artist(), (void)tag.Album(), (void)tag.Title(), (void)tag.Genre();
    (void)tag.Track(), (void)tag.Year(), (void)tag.Comment(), (void)tag.EncodedBy();
    (void)tag.LyricsUnsynced(), (void)tag.LyricsSynced(), (void)tag.UserURL();
    (void)tag.Composer(), (void)tag.OriginalArtist(), (void)tag.Copyright();
    (void)tag.Picture(), (void)tag.canSave(), (void)tag.saveTag(), (void)tag.xml();
    int16_t id = 0;
    std::string description;
    (void)tag.splittedGenre(id, description);
    ReadFrames(tag.ID3V22Tag());
    ReadFrames(tag.ID3V24Tag());
    if (const auto reader = tag.ID3V23Tag()) {
        ReadFrames(reader);
        (void)reader->GenreID();
        for (int32_t i = 1; i <= reader->FrameCount(); ++i) {
            const auto frame = reader->GetFrameByIndex(i);
            (void)frame->removeHeader(), (void)frame->PictureRAW();
        }
    }
    if (const auto reader = tag.ID3V24Tag()) {
        (void)reader->GenreID();
        for (int32_t i = 1; i <= reader->FrameCount(); ++i) {
            (void)reader->GetFrameByIndex(i)->removeHeader();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korvel::fuzz::UseInternalReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = korvel::fuzz::Scratch().Write(data, size);

    // Through the file object, as hosts do.
    korvel::FileHandler file;
    if (file.Create(path)) {
        if (const korvel::ID3V2TagPtr tag = file.ID3V2Tag()) ReadEverything(*tag);
    }

    // The facade alone, also for files too short for the file object.
    if (size >= 10) {
        const korvel::ID3V2Header header =
            korvel::ID3V2Header::FromBytes(korvel::Bytes(data, data + 10));
        if (korvel::FileHandler::IsValidID3V2Header(header)) {
            korvel::ID3V2Tag tag;
            tag.Init(path, header);
            ReadEverything(tag);
        }
    }
    return 0;
}
