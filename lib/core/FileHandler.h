#pragma once
// The object through which a host works on one MP3 file: it opens the file,
// refuses archives, finds the tags and the audio, and hands the tag objects
// out. Operations record failures in the object's error record (LastError)
// instead of throwing, unless stated otherwise.
#include <cstdint>
#include <memory>
#include <string>

#include "core/BinaryFile.h"
#include "core/Types.h"
#include "errors/TagError.h"
#include "errors/cError.h"
#include "id3v1/ID3V1Tag.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

class ID3V230;
using ID3V230Ptr = std::shared_ptr<ID3V230>;

class FileHandler {
public:
    FileHandler();

    // Re-reads the ID3v1 tag of the file into the held tag; returns its type.
    EID3TagConstants readTag();
    // Writes the held ID3v1 tag at the end of the file (in place or appended).
    bool writeID3v1xTag();
    // Cuts the ID3v1 tag off the end of the file.
    bool removeID3V1xTag();

    // The held ID3v1 tag (never null); the setter shares the given object.
    ID3V1TagPtr ID3v1xTag() const { return m_id3v1; }
    void setID3v1xTag(ID3V1TagPtr tag);

    const std::string& FileName() const { return m_fileName; }
    TagErrorPtr LastError() const { return TagError::ViewOf(m_error); }

    // Looks at the file itself: true when its last 128 bytes start with "TAG"
    // and the file is longer than that. Failures to read are thrown.
    bool HasTag() const;
    bool HasID3V1Tag() const { return m_id3v1->TagType() != ID3Unknown; }

    // Opens the file and reads what it holds. False (with the failure in
    // LastError) for archives and unreadable files.
    bool Create(const std::string& FileName);

    // True after Create found a valid ID3v2 header at the start of the file.
    bool HasID3V2Tag() const { return m_hasID3V2; }

    // Copies the values of an updatable tag into a new ID3v2.3 tag of this
    // file. False without touching the file when the file has an ID3v2 tag
    // already; otherwise the result of the save (a failed save is recorded in
    // LastError with the source "createID3V2Tag").
    bool createID3V2Tag(ID3V230Ptr theTag);

    int16_t FileType() const { return m_fileType; }
    std::string FileTypeName() const;

    // Stores the file name and does nothing else.
    void SetFileName(const std::string& name) { m_fileName = name; }

    // Reads the last 128 bytes of the open file into the held ID3v1 tag.
    EID3TagConstants ReadID3v1FromFile(const BinaryFile& file);

    // The error record itself (for the library's own classes).
    const cErrorPtr& ErrorObject() const { return m_error; }

    // True when the size bytes of the header are all below 0x80 and its
    // version and revision bytes below 0xFF (the flags are not examined).
    static bool IsValidID3V2Header(const ID3V2Header& header);

private:
    // Finds the ID3v2 tag and the first audio frame header in the open file,
    // given its first 10 bytes.
    void DetectTagsAndAudio(const BinaryFile& file, const Bytes& head);

    cErrorPtr m_error;
    std::string m_fileName;
    ID3V1TagPtr m_id3v1;
    int16_t m_fileType = 0;
    bool m_hasID3V2 = false;
    ID3V2Header m_id3v2Header;
};

using FileHandlerPtr = std::shared_ptr<FileHandler>;

}  // namespace korvel
