#pragma once
// An ID3v2.3 tag at the start of an MP3 file and its frames. The tag is read
// either through the updatable tag (when id3lib is available; it can then be
// changed, saved and removed) or by its own read-only parser.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/BinaryFile.h"
#include "core/Picture.h"
#include "core/Types.h"
#include "id3v2/FrameReader.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v230/ID3V230.h"

namespace korvel {

class ID3V23Frame {
public:
    // The four-character frame ID (four blanks for a frame of size 0).
    std::string ID() const;
    // The picture of an "APIC" frame; null when its bytes are no image.
    PicturePtr createPicture() const;
    // The image bytes of an "APIC" frame.
    Bytes PictureRAW() const;
    // The frame data without its descriptive prefix.
    Bytes removeHeader() const;
    // A copy of the frame data (inflated when the frame was compressed).
    Bytes RawData() const { return m_data; }
    // The decoded text of the frame.
    std::string TextData() const;

    bool IsPicture() const { return ID() == "APIC"; }
    bool IsArtist() const { return ID() == "TPE1"; }
    bool IsAlbum() const { return ID() == "TALB"; }
    bool IsTitle() const { return ID() == "TIT2"; }
    bool IsGenre() const { return ID() == "TCON"; }
    bool IsTrack() const { return ID() == "TRCK"; }
    bool IsYear() const { return ID() == "TYER"; }
    bool IsComment() const { return ID() == "COMM"; }

    // Description and language of a frame of the updatable tag; "" otherwise.
    std::string Description() const;
    std::string Language() const;

    // Library-internal.
    // Parses one frame record (header, appended bytes and data). Fails on a
    // short record, on padding, on sizes that do not fit the record and on a
    // compressed frame that cannot be inflated.
    bool ParseFrame(std::span<const uint8_t> record);
    bool IsPadding() const { return m_paddingReached; }
    bool IsEncrypted() const { return m_encrypted; }
    // Bytes the frame takes in the tag: size field + 10.
    int64_t TotalSize() const;
    uint8_t StatusFlags() const { return m_statusFlags; }
    uint8_t FormatFlags() const { return m_formatFlags; }
    uint8_t GroupIdentifier() const { return m_groupIdentifier; }
    uint8_t EncryptionMethod() const { return m_encryptionMethod; }
    // Makes this object a view of a frame of the updatable tag.
    void WrapUpdatableFrame(ID3V230FramePtr frame) { m_updatableFrame = std::move(frame); }

private:
    bool Decompress();

    ID3V230FramePtr m_updatableFrame;

    std::string m_id;
    Bytes m_sizeBytes;
    uint8_t m_statusFlags = 0;
    uint8_t m_formatFlags = 0;
    int32_t m_extraHeaderBytes = 0;
    Bytes m_decompressedSize;
    uint8_t m_encryptionMethod = 0;
    uint8_t m_groupIdentifier = 0;
    Bytes m_data;
    bool m_paddingReached = false;
    bool m_encrypted = false;
};

using ID3V23FramePtr = std::shared_ptr<ID3V23Frame>;

class ID3V23Tag : public ID3V2FrameReader<ID3V23Frame> {
public:
    ID3V23Tag();

    // Through the updatable tag these two give its frames; GetFrameByID,
    // GetText and FrameList always come from the own reader.
    int32_t FrameCount() const;
    ID3V23FramePtr GetFrameByIndex(int32_t Index) const;

    std::string Artist() const;
    void setArtist(const std::string& value);
    std::string Album() const;
    void setAlbum(const std::string& value);
    std::string Title() const;
    void setTitle(const std::string& value);
    // The number in a "(n)" genre text; "" when there is none.
    std::string GenreID() const;
    std::string Genre() const;
    void setGenre(const std::string& value);
    bool splittedGenre(int16_t& GenreID, std::string& GenreDescription);
    std::string Track() const;
    void setTrack(const std::string& value);
    std::string Year() const;
    void setYear(const std::string& value);

    bool removeTag();
    bool canSave();
    bool saveTag();

    PicturePtr Picture() const;
    void setPicture(const PicturePtr& value);

    std::string LyricsUnsynced() const;
    void setLyricsUnsynced(const std::string& value);
    std::string LyricsSynced() const;
    void setLyricsSynced(const std::string& value);
    std::string UserURL() const;
    void setUserURL(const std::string& value);
    std::string Comment() const;
    void setComment(const std::string& value);
    std::string Composer() const;
    void setComposer(const std::string& value);
    std::string OriginalArtist() const;
    void setOriginalArtist(const std::string& value);
    std::string Copyright() const;
    void setCopyright(const std::string& value);
    std::string EncodedBy() const;
    void setEncodedBy(const std::string& value);

    // Library-internal.
    // Loads the tag through the updatable tag (changeable mode); false, and
    // the tag stays unloaded, when that fails: the error record then says
    // why (for instance a tag whose structure the own reader rejects, which
    // is never handed to id3lib).
    bool AttachUpdatable(const std::string& fileName);
    // Parses the tag from the open file with the own reader (read-only mode).
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);
    bool IsUpdatable() const { return m_updatable; }
    const ID3V230Ptr& UpdatableTag() const { return m_updatableTag; }
    const Bytes& ExtendedHeaderSize() const { return m_extendedHeaderSize; }

private:
    bool ParseFrames(const Bytes& data, int64_t start);

    ID3V230Ptr m_updatableTag = std::make_shared<ID3V230>();
    bool m_updatable = false;
    Bytes m_extendedHeaderSize;
};

using ID3V23TagPtr = std::shared_ptr<ID3V23Tag>;

}  // namespace korvel
