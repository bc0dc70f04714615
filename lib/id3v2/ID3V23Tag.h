#pragma once
// An ID3v2.3 tag at the start of an MP3 file and its frames. The frames are
// read once into the frame model; where tags can be written (an updatable
// tag is available, see UpdatableTag.h) the tag can also be changed, saved
// and removed: the updatable tag is set up from the frame model when a value
// is first changed, and answers the values from then on.
#include <cstdint>
#include <memory>
#include <string>

#include "core/Picture.h"
#include "core/Types.h"
#include "id3v2/ID3V2Frame.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/TagFields.h"

namespace korvel {

class UpdatableTag;

class ID3V23Frame : public ID3V2Frame {
public:
    using ID3V2Frame::ID3V2Frame;

    // The image bytes of an "APIC" frame.
    Bytes PictureRAW() const { return removeHeader(); }

    bool IsPicture() const { return Is("APIC"); }
    bool IsArtist() const { return Is("TPE1"); }
    bool IsAlbum() const { return Is("TALB"); }
    bool IsTitle() const { return Is("TIT2"); }
    bool IsGenre() const { return Is("TCON"); }
    bool IsTrack() const { return Is("TRCK"); }
    bool IsYear() const { return Is("TYER"); }
    bool IsComment() const { return Is("COMM"); }

    // Library-internal: the appended header bytes (0 without them).
    uint8_t GroupIdentifier() const;
    uint8_t EncryptionMethod() const;
};

using ID3V23FramePtr = std::shared_ptr<ID3V23Frame>;

class ID3V23Tag : public ID3V2FrameReader<ID3V23Frame> {
public:
    ID3V23Tag();
    ~ID3V23Tag();

    std::string Artist() const { return Field(TagField::Artist); }
    void setArtist(const std::string& value) { SetField(TagField::Artist, value); }
    std::string Album() const { return Field(TagField::Album); }
    void setAlbum(const std::string& value) { SetField(TagField::Album, value); }
    std::string Title() const { return Field(TagField::Title); }
    void setTitle(const std::string& value) { SetField(TagField::Title, value); }
    // The number in a "(n)" genre text; "" when there is none (and always
    // "" for a tag that can be changed).
    std::string GenreID() const;
    // Changeable tags: the content-type text, blanks trimmed; otherwise the
    // name in it ("Rock" of "(17)Rock").
    std::string Genre() const;
    void setGenre(const std::string& value) { SetField(TagField::Genre, value); }
    bool splittedGenre(int16_t& GenreID, std::string& GenreDescription);
    std::string Track() const { return Field(TagField::Track); }
    void setTrack(const std::string& value) { SetField(TagField::Track, value); }
    // Changeable tags: the year as a number ("0" for none); otherwise the
    // year text.
    std::string Year() const;
    void setYear(const std::string& value) { SetField(TagField::Year, value); }

    bool removeTag();
    bool canSave();
    bool saveTag();

    PicturePtr Picture() const;
    void setPicture(const PicturePtr& value);

    std::string LyricsUnsynced() const { return Field(TagField::LyricsUnsynced); }
    void setLyricsUnsynced(const std::string& value) { SetField(TagField::LyricsUnsynced, value); }
    std::string LyricsSynced() const { return Field(TagField::LyricsSynced); }
    void setLyricsSynced(const std::string& value) { SetField(TagField::LyricsSynced, value); }
    std::string UserURL() const { return Field(TagField::UserURL); }
    void setUserURL(const std::string& value) { SetField(TagField::UserURL, value); }
    std::string Comment() const { return Field(TagField::Comment); }
    void setComment(const std::string& value) { SetField(TagField::Comment, value); }
    std::string Composer() const { return Field(TagField::Composer); }
    void setComposer(const std::string& value) { SetField(TagField::Composer, value); }
    std::string OriginalArtist() const { return Field(TagField::OriginalArtist); }
    void setOriginalArtist(const std::string& value) { SetField(TagField::OriginalArtist, value); }
    std::string Copyright() const { return Field(TagField::Copyright); }
    void setCopyright(const std::string& value) { SetField(TagField::Copyright, value); }
    std::string EncodedBy() const { return Field(TagField::EncodedBy); }
    void setEncodedBy(const std::string& value) { SetField(TagField::EncodedBy, value); }

    // Any field of the field table; writes reach a changeable tag only.
    std::string Field(TagField field) const;
    void SetField(TagField field, const std::string& value);

    // Library-internal.
    // Makes the tag changeable: the frames of the file's tag as read (null:
    // read from the file). False, and the tag stays unloaded, when that
    // fails; the error record then says why.
    bool AttachUpdatable(const std::string& fileName, std::shared_ptr<const TagContents> contents = nullptr);
    // Reads the tag from the open file, read-only.
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);
    bool IsUpdatable() const { return m_updatable; }
    // The updatable tag, set up first when it was not yet; null for a tag
    // that cannot be changed.
    std::shared_ptr<korvel::UpdatableTag> UpdatableTag() const;
    // The size bytes of the extended header (empty without one).
    Bytes ExtendedHeaderSize() const;

private:
    // The updatable tag once it holds the frames; null before (values then
    // come from the frame model) and when it cannot be set up.
    korvel::UpdatableTag* Writable() const;

    mutable std::shared_ptr<korvel::UpdatableTag> m_updatableTag;
    mutable bool m_attached = false;
    bool m_updatable = false;
    std::string m_fileName;
};

using ID3V23TagPtr = std::shared_ptr<ID3V23Tag>;

}  // namespace korvel
