// The three ID3v2 readers on their own: every input is read as a file by the
// version 2.2, 2.3 and 2.4 readers alike (the version byte of the header is
// replaced for each), with id3lib absent, and every frame is decoded.
#include <cstdint>

#include "core/BinaryFile.h"
#include "FuzzSupport.h"
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

template <typename Reader>
void Load(Reader& reader, const korvel::BinaryFile& file, korvel::ID3V2Header header, uint8_t major) {
    header.MajorVersion = major;
    if (!reader.LoadFromFile(file, file.Length(), 1, header)) return;
    DecodeFrames(reader);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korvel::fuzz::UseInternalReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = korvel::fuzz::Scratch().Write(data, size);
    const korvel::ID3V2Header header =
        korvel::ID3V2Header::FromBytes(korvel::Bytes(data, data + std::min<size_t>(size, 10)));
    try {
        const korvel::BinaryFile file(path);

        korvel::ID3V22Tag v22;
        Load(v22, file, header, 2);
        (void)v22.Artist(), (void)v22.Genre(), (void)v22.Year();

        korvel::ID3V23Tag v23;
        Load(v23, file, header, 3);
        (void)v23.Genre(), (void)v23.GenreID(), (void)v23.Comment(), (void)v23.LyricsSynced();
        int16_t genre = 0;
        std::string description;
        (void)v23.splittedGenre(genre, description);
        for (int32_t i = 1; i <= v23.FrameCount(); ++i) {
            const auto frame = v23.GetFrameByIndex(i);
            (void)frame->removeHeader(), (void)frame->PictureRAW();
        }
        (void)v23.Picture();

        korvel::ID3V24Tag v24;
        Load(v24, file, header, 4);
        (void)v24.Genre(), (void)v24.GenreID();
        for (int32_t i = 1; i <= v24.FrameCount(); ++i) (void)v24.GetFrameByIndex(i)->removeHeader();
    } catch (...) {
        // A file the readers could not open; nothing to check.
    }
    return 0;
}
