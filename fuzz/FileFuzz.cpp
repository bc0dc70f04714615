// The input as an MP3 file, through the file object as a host uses it:
// Create, the XML description of the file and all its tags, the attribute
// rows and the audio text that korvel info and Quelm show, with id3lib
// absent. Only the failures the file object documents as thrown are caught.
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "errors/KorvelException.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korvel::fuzz::UseInternalReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = korvel::fuzz::Scratch().Write(data, size);
    korvel::FileHandler file;
    (void)file.Create(path);
    (void)file.LastError();
    // A malformed Lyrics3 tag is thrown by xml and the Lyrics3 accessors;
    // everything else must come back as results.
    try {
        (void)file.xml();
    } catch (const korvel::KorvelException&) {
    }
    std::vector<korvel::cError> failures;
    (void)korvel::AttributeRows(file, &failures);
    (void)korvel::MPEGInfoText(file);
    (void)file.readTag(), (void)file.HasTag();
    try {
        (void)file.HasLyricsTag();
    } catch (const korvel::KorvelException&) {
    }
    return 0;
}
