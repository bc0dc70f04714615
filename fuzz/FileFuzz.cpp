// The input as an MP3 file, through the file object as a host uses it:
// Create, the XML description of the file and all its tags, the attribute
// rows and the audio text that korvel info and Quelm show, with id3lib
// absent.
#include <cstdint>

#include "FuzzSupport.h"
#include "core/FileHandler.h"
#include "core/FileReport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    korvel::fuzz::UseInternalReaders();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = korvel::fuzz::Scratch().Write(data, size);
    korvel::FileHandler file;
    (void)file.Create(path);
    (void)file.xml();
    (void)file.LastError();
    std::vector<korvel::cError> failures;
    (void)korvel::AttributeRows(file, &failures);
    (void)korvel::MPEGInfoText(file);
    (void)file.readTag(), (void)file.HasTag(), (void)file.HasLyricsTag();
    return 0;
}
