#pragma once
// The read-only reader of an ID3v2.4 tag at the start of an MP3 file and its
// frames: syncsafe frame sizes, tag- and frame-level unsynchronisation, data
// length indicators, compressed frames and the footer.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/BinaryFile.h"
#include "core/Picture.h"
#include "core/Types.h"
#include "id3v2/FrameReader.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

class ID3V24Frame {
public:
    // The four-character frame ID (four blanks for a frame of size 0).
    std::string ID() const { return m_id; }
    // The picture of an "APIC" frame; null when its bytes are no image.
    PicturePtr createPicture() const;
    // The frame data without its descriptive prefix.
    Bytes removeHeader() const;
    // A copy of the frame data (de-unsynchronised and inflated as needed).
    Bytes RawData() const { return m_data; }
    std::string TextData() const;

    bool IsPicture() const { return m_id == "APIC"; }
    bool IsArtist() const { return m_id == "TPE1"; }
    bool IsAlbum() const { return m_id == "TALB"; }
    bool IsTitle() const { return m_id == "TIT2"; }
    bool IsGenre() const { return m_id == "TCON"; }
    bool IsComment() const { return m_id == "COMM"; }

    // Library-internal.
    // Parses the frame whose header starts at `offset` in the tag data
    // (which ends at the end of the span). `position` is the 1-based file
    // position of that header.
    bool ParseFrame(std::span<const uint8_t> tagData, size_t offset, int64_t position,
                    bool tagUnsynchronised);
    bool IsPadding() const { return m_paddingReached; }
    bool IsEncrypted() const { return m_encrypted; }
    // Bytes the frame takes in the tag: syncsafe size + 10.
    int64_t TotalSize() const;
    int64_t FramePosition() const { return m_position; }
    uint8_t StatusFlags() const { return m_statusFlags; }
    uint8_t FormatFlags() const { return m_formatFlags; }

private:
    bool Decompress();

    int64_t m_position = 0;
    std::string m_id;
    Bytes m_sizeBytes;
    uint8_t m_statusFlags = 0;
    uint8_t m_formatFlags = 0;
    int32_t m_extraHeaderBytes = 0;
    uint8_t m_groupIdentifier = 0;
    uint8_t m_encryptionMethod = 0;
    Bytes m_dataLengthIndicator;
    Bytes m_data;
    bool m_paddingReached = false;
    bool m_encrypted = false;
};

using ID3V24FramePtr = std::shared_ptr<ID3V24Frame>;

class ID3V24Tag : public ID3V2FrameReader<ID3V24Frame> {
public:
    ID3V24Tag() = default;

    std::string Artist() const { return GetText("TPE1"); }
    std::string Album() const { return GetText("TALB"); }
    std::string Title() const { return GetText("TIT2"); }
    std::string Track() const { return GetText("TRCK"); }
    // The number in a "(n)" genre text; "" when there is none.
    std::string GenreID() const;
    std::string Genre() const;

    bool canSave() { return RefuseSaving("canSave"); }
    bool removeTag() { return RefuseRemoving("removeTag"); }
    bool saveTag() { return RefuseSaving("saveTag"); }

    // Library-internal.
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);
    const Bytes& ExtendedHeaderSize() const { return m_extendedHeaderSize; }
    // The footer record, filled when the tag has one that checks out.
    const ID3V2Header& Footer() const { return m_footer; }

private:
    bool ParseFrames(std::span<const uint8_t> tagData, size_t first);

    Bytes m_extendedHeaderSize;
    ID3V2Header m_footer;
};

using ID3V24TagPtr = std::shared_ptr<ID3V24Tag>;

}  // namespace korvel
