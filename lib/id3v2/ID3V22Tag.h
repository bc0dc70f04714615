#pragma once
// The reader of an ID3v2.2 tag (three-character frame IDs, three-byte frame
// sizes, no frame flags) at the start of an MP3 file. Read-only.
#include <cstdint>
#include <memory>
#include <string>

#include "id3v2/ID3V2Frame.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

class ID3V22Frame : public ID3V2Frame {
public:
    using ID3V2Frame::ID3V2Frame;

    bool IsArtist() const { return Is("TP1"); }
    bool IsAlbum() const { return Is("TAL"); }
    bool IsTitle() const { return Is("TT2"); }
    bool IsGenre() const { return Is("TCO"); }
    bool IsYear() const { return Is("TYE"); }
};

using ID3V22FramePtr = std::shared_ptr<ID3V22Frame>;

class ID3V22Tag : public ID3V2FrameReader<ID3V22Frame> {
public:
    ID3V22Tag() = default;

    std::string Artist() const;
    std::string Album() const;
    std::string Title() const;
    // The raw content-type text.
    std::string Genre() const;
    std::string Track() const;
    std::string Year() const;

    bool removeTag() { return RefuseRemoving("removeTag"); }
    bool canSave() { return RefuseSaving("canSave"); }
    bool saveTag() { return RefuseSaving("saveTag"); }

    // Library-internal: reads the tag from the open file (false when it is
    // not a readable version 2.2 tag; a failed read throws).
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);
};

using ID3V22TagPtr = std::shared_ptr<ID3V22Tag>;

}  // namespace korvel
