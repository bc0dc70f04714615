#pragma once
// The read-only reader of an ID3v2.2 tag (three-character frame IDs,
// three-byte frame sizes, no frame flags) at the start of an MP3 file.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/BinaryFile.h"
#include "core/Types.h"
#include "id3v2/FrameReader.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

class ID3V22Frame {
public:
    // The three-character frame ID (three blanks for a frame of size 0).
    std::string ID() const { return m_id; }
    Bytes RawData() const { return m_data; }
    // Text of a text frame ("T.."); "" for every other frame.
    std::string TextData() const;

    bool IsArtist() const { return m_id == "TP1"; }
    bool IsAlbum() const { return m_id == "TAL"; }
    bool IsTitle() const { return m_id == "TT2"; }
    bool IsGenre() const { return m_id == "TCO"; }
    bool IsYear() const { return m_id == "TYE"; }

    // Library-internal.
    bool ParseFrame(std::span<const uint8_t> record);
    bool IsPadding() const { return m_paddingReached; }
    // Bytes the frame takes in the tag: size + 6.
    int64_t TotalSize() const;

private:
    std::string m_id;
    Bytes m_sizeBytes;
    Bytes m_data;
    bool m_paddingReached = false;
};

using ID3V22FramePtr = std::shared_ptr<ID3V22Frame>;

class ID3V22Tag : public ID3V2FrameReader<ID3V22Frame> {
public:
    ID3V22Tag() = default;

    std::string Artist() const { return GetText("TP1"); }
    std::string Album() const { return GetText("TAL"); }
    std::string Title() const { return GetText("TT2"); }
    // The raw content-type text.
    std::string Genre() const { return GetText("TCO"); }
    std::string Track() const { return GetText("TRK"); }
    std::string Year() const { return GetText("TYE"); }

    bool removeTag() { return RefuseRemoving("removeTag"); }
    bool canSave() { return RefuseSaving("canSave"); }
    bool saveTag() { return RefuseSaving("saveTag"); }

    // Library-internal.
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);

private:
    bool ParseFrames(const Bytes& data);
};

using ID3V22TagPtr = std::shared_ptr<ID3V22Tag>;

}  // namespace korvel
