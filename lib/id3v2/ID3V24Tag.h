#pragma once
// The reader of an ID3v2.4 tag at the start of an MP3 file and its frames:
// syncsafe frame sizes, tag- and frame-level unsynchronisation, data length
// indicators, compressed frames and the footer.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Types.h"
#include "id3v2/ID3V2Frame.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

class ID3V24Frame : public ID3V2Frame {
public:
    using ID3V2Frame::ID3V2Frame;

    bool IsPicture() const { return Is("APIC"); }
    bool IsArtist() const { return Is("TPE1"); }
    bool IsAlbum() const { return Is("TALB"); }
    bool IsTitle() const { return Is("TIT2"); }
    bool IsGenre() const { return Is("TCON"); }
    bool IsComment() const { return Is("COMM"); }

    // Library-internal: the 1-based file position of the frame's header.
    int64_t FramePosition() const;
};

using ID3V24FramePtr = std::shared_ptr<ID3V24Frame>;

class ID3V24Tag : public ID3V2FrameReader<ID3V24Frame> {
public:
    ID3V24Tag() = default;

    std::string Artist() const;
    std::string Album() const;
    std::string Title() const;
    std::string Track() const;
    // The year of the recording time (TDRC), or of a year frame (TYER).
    std::string Year() const;
    // The number in a "(n)" genre text; "" when there is none.
    std::string GenreID() const;
    std::string Genre() const;

    bool canSave() { return RefuseSaving("canSave"); }
    bool removeTag() { return RefuseRemoving("removeTag"); }
    bool saveTag() { return RefuseSaving("saveTag"); }

    // Library-internal.
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);
    // The size bytes of the extended header (empty without one).
    Bytes ExtendedHeaderSize() const;
    // The footer record, filled when the tag has one.
    ID3V2Header Footer() const;
};

using ID3V24TagPtr = std::shared_ptr<ID3V24Tag>;

}  // namespace korvel
