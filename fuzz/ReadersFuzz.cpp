// The three ID3v2 readers on their own: every input is a tag read into the
// frame model as version 2.2, 2.3 and 2.4 alike (the version byte of the
// header is replaced for each), and every frame is decoded.
#include <cstdint>

#include <memory>

#include "FuzzSupport.h"
#include "id3v2/TagContents.h"
#include "id3v2/ID3V22Tag.h"
#include "id3v2/ID3V23Tag.h"
#include "id3v2/ID3V24Tag.h"

namespace {

template <typename Reader>
void DecodeFrames(const Reader& reader) {
    (void)reader.FrameList();
    for (int32_t i = 1; i <= reader.FrameCount(); ++i) {
        const auto frame = reader.GetFrameByIndex(i);
        if (!frame) continue;
        (void)frame->ID(), (void)frame->TotalSize(), (void)frame->TextData();
    }
    for (const char* id : {"TIT2", "TPE1", "COMM", "USLT", "SYLT", "WXXX", "PCNT", "TT2", "TP1"}) {
        (void)reader.GetText(id);
    }
}

// The input as a tag of the given version; null when it is not one.
korvel::TagContentsPtr AsVersion(const uint8_t* data, size_t size, uint8_t major) {
    auto bytes = std::make_shared<korvel::Bytes>(data, data + size);
    if (bytes->size() > 3) (*bytes)[3] = major;
    return korvel::ParseTagContents(std::move(bytes));
}

template <typename Reader>
bool Load(Reader& reader, const uint8_t* data, size_t size, uint8_t major) {
    korvel::TagContentsPtr contents = AsVersion(data, size, major);
    if (!contents) return false;
    reader.Load(contents);
    DecodeFrames(reader);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korvel::fuzz::UseInternalReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korvel::ID3V22Tag v22;
    if (Load(v22, data, size, 2)) (void)v22.Artist(), (void)v22.Genre(), (void)v22.Year();

    korvel::ID3V23Tag v23;
    if (Load(v23, data, size, 3)) {
        (void)v23.Genre(), (void)v23.GenreID(), (void)v23.Comment(), (void)v23.LyricsSynced();
        int16_t genre = 0;
        std::string description;
        (void)v23.splittedGenre(genre, description);
        for (int32_t i = 1; i <= v23.FrameCount(); ++i) {
            const auto frame = v23.GetFrameByIndex(i);
            (void)frame->removeHeader(), (void)frame->PictureRAW(), (void)frame->Description();
        }
        (void)v23.Picture();
    }

    korvel::ID3V24Tag v24;
    if (Load(v24, data, size, 4)) {
        (void)v24.Genre(), (void)v24.GenreID(), (void)v24.Year();
        for (int32_t i = 1; i <= v24.FrameCount(); ++i) (void)v24.GetFrameByIndex(i)->removeHeader();
    }
    return 0;
}
