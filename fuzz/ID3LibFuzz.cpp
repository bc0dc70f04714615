// The updatable mode with the real id3lib loaded: the input as an MP3 file is
// opened through the file object (an ID3v2.3 tag then loads through id3lib),
// attached to an ID3V230 directly, read, and saved with a changed title;
// the first input byte also chooses which tags a strip removes.
#include <cstdint>

#include "FuzzSupport.h"
#include "file/FileHandler.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v230/ID3V230.h"

namespace {

void ReadAll(const korvel::ID3V230& tag) {
    (void)tag.Title(), (void)tag.Artist(), (void)tag.Album(), (void)tag.Comments(), (void)tag.Genre();
    (void)tag.Year(), (void)tag.TotalTracks(), (void)tag.Picture(), (void)tag.LyricsSynced();
    for (int32_t i = 1; i <= tag.Frames()->Count(); ++i) (void)tag.Frames()->Item(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t pick = data[0];
    const std::string& path = korvel::fuzz::Scratch().Write(data + 1, size - 1);

    {
        korvel::FileHandler file;
        if (file.Create(path)) {
            if (const korvel::ID3V2TagPtr tag = file.ID3V2Tag()) {
                (void)tag->Title(), (void)tag->Artist(), (void)tag->Comment(), (void)tag->Picture();
                (void)tag->xml();
                if (const auto v23 = tag->ID3V23Tag()) {
                    for (int32_t i = 1; i <= v23->FrameCount(); ++i) {
                        if (const auto frame = v23->GetFrameByIndex(i)) (void)frame->TextData();
                    }
                }
            }
        }
    }

    korvel::ID3V230 tag;
    try {
        tag.AttachFile(path);
    } catch (...) {
        return 0;  // refused before id3lib saw it
    }
    ReadAll(tag);
    if (pick & 1) {
        tag.setTitle("fuzz");
        if (tag.UpdateTag(korvel::ID3TT_ID3V2)) {
            korvel::ID3V230 again;
            try {
                again.AttachFile(path);
                ReadAll(again);
            } catch (...) {
            }
        }
    }
    if (pick & 2) {
        const int32_t flags = (pick >> 2) & (korvel::ID3TT_ID3V1 | korvel::ID3TT_LYRICS3 |
                                             korvel::ID3TT_LYRICS3V2 | korvel::ID3TT_ID3V2);
        (void)tag.StripTag(flags);
    }
    return 0;
}
