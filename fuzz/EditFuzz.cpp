// Saving edited tags: the input as an MP3 file is opened through the file
// object, its ID3v2 tag of any version changed through the facade (a file
// without one gets a new tag of version 2.3 or 2.4), saved and read again.
// The input's last byte chooses the edits. A save that reports success must
// leave a file whose tag reads back with the new title in the version it was
// saved in; anything else aborts.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "file/FileHandler.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v230/ID3V230.h"

namespace {

// A 1x1 PNG image.
const korvel::Bytes kPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x90, 0x77, 0x53,
    0xDE, 0x00, 0x00, 0x00, 0x0C, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0xC0, 0x00,
    0x00, 0x03, 0x01, 0x01, 0x00, 0xC9, 0xFE, 0x92, 0xEF, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E,
    0x44, 0xAE, 0x42, 0x60, 0x82};

// The title and version the saved file must show.
void ExpectSaved(const std::string& path, const std::string& title, int version) {
    korvel::FileHandler again;
    if (!again.Create(path)) std::abort();
    const korvel::ID3V2TagPtr tag = again.ID3V2Tag();
    if (!tag || tag->Version()->Minor() != version || tag->Title() != title) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t pick = data[size - 1];
    const std::string& path = korvel::fuzz::Scratch().Write(data, size);
    const std::string title = (pick & 1) != 0 ? "\xCE\xA4\xCE\xAF\xCF\x84\xCE\xBB\xCE\xBF\xCF\x82 \xE6\x97\xA5" : "fuzz";

    korvel::FileHandler file;
    if (!file.Create(path)) return 0;
    const korvel::ID3V2TagPtr tag = file.ID3V2Tag();
    if (!tag) {
        auto values = std::make_shared<korvel::ID3V230>();
        values->setTitle(title);
        const int version = (pick & 0x10) != 0 ? 4 : 3;
        if (file.createID3V2Tag(values, version)) ExpectSaved(path, title, version);
        return 0;
    }
    (void)tag->Title(), (void)tag->Picture(), (void)tag->UnconvertibleFrames();
    if (!tag->canSave()) return 0;
    const int major = tag->Version()->Minor();
    tag->setTitle(title);
    if ((pick & 2) != 0) tag->setArtist("");
    if ((pick & 4) != 0) tag->setYear("2024");
    if ((pick & 8) != 0) tag->setPicture((pick & 0x20) != 0 ? nullptr : korvel::PictureObject::FromBytes(kPng));
    if ((pick & 0x40) != 0) tag->setComment(std::string(2000, 'c'));
    tag->setDropUnconvertible((pick & 0x80) != 0);
    if (tag->saveTag()) ExpectSaved(path, title, major == 2 ? 3 : major);
    return 0;
}
