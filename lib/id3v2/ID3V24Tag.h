#pragma once
// An ID3v2.4 tag at the start of an MP3 file and its frames: syncsafe frame
// sizes, tag- and frame-level unsynchronisation, data length indicators,
// compressed frames and the footer. The tag is also changed and saved by the
// library itself: a field change makes the field's frame anew in the frame
// model, and a save writes the tag back in its version with every other
// frame's bytes as they were (see TagWriter.h).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Picture.h"
#include "core/Types.h"
#include "id3v2/ID3V2Frame.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/TagFields.h"

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

    // Always true: version 2.4 tags are written without id3lib.
    bool canSave() { return true; }
    // Removes the tag from the file.
    bool removeTag();
    // Writes the changed fields into the file's tag (nothing is written when
    // nothing changed); the frames the changes did not touch keep their
    // bytes. Afterwards the object holds the tag as saved.
    bool saveTag();

    // Any field of the field table, as the frames hold it now; a change is
    // made in the frames and reaches the file with saveTag.
    std::string Field(TagField field) const;
    void SetField(TagField field, const std::string& value);
    // The image of the first picture frame (null without one).
    PicturePtr Picture() const;
    void setPicture(const PicturePtr& value);
    // True when fields changed since the tag was loaded or saved.
    bool IsChanged() const { return m_saved != nullptr; }
    // What the last save could not keep of the old tag, one sentence each
    // (an extended header, the tag's unsynchronisation).
    const std::vector<std::string>& SaveNotes() const { return m_notes; }

    // Library-internal.
    // The file the tag belongs to, which saveTag and removeTag write.
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    bool LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                      const ID3V2Header& header);
    // The size bytes of the extended header (empty without one).
    Bytes ExtendedHeaderSize() const;
    // The footer record, filled when the tag has one.
    ID3V2Header Footer() const;

private:
    // Applies a change to a copy of the frames; keeps the copy when it
    // changed something. A change that fails is recorded in the error record.
    template <typename Change>
    void Edit(Change change);

    std::string m_fileName;
    // The tag as it is in the file while the frames hold changes; null
    // without changes.
    std::shared_ptr<const TagContents> m_saved;
    std::vector<std::string> m_notes;
};

using ID3V24TagPtr = std::shared_ptr<ID3V24Tag>;

}  // namespace korvel
