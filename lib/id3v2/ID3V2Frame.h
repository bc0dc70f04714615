#pragma once
// What the frames and the readers of the three ID3v2 versions share. A frame
// is a view of one record of the tag's frame model (all of a tag's frames
// share the tag's bytes); a reader lists every frame of its tag in file
// order, duplicates included.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Picture.h"
#include "core/Types.h"
#include "errors/TagError.h"
#include "errors/cError.h"

namespace korvel {

struct TagContents;
struct FrameRecord;
struct FrameContent;
class BinaryFile;
struct ID3V2Header;

class ID3V2Frame {
public:
    // The frame ID: three characters in version 2.2, four in 2.3 and 2.4.
    std::string ID() const;
    // A copy of the frame's content (de-unsynchronised and inflated as
    // needed; empty for an encrypted or damaged frame).
    Bytes RawData() const;
    // The frame's value as one line of text: every value of a text frame
    // (joined by " / "), the text of a comment or of lyrics, the URL of a
    // link, a summary of a picture or of binary content (see FrameValueText).
    std::string TextData() const;
    // The description of a user text, user link, comment, lyrics, picture or
    // object; the language of a comment or of lyrics; "" otherwise.
    std::string Description() const;
    std::string Language() const;
    // The image of a picture frame; null when there is none or its bytes are
    // not a decodable image.
    PicturePtr createPicture() const;
    // The frame's content without its descriptive prefix: a picture's image,
    // the text bytes of a comment, of lyrics or of a user link behind the
    // description; empty for other frames.
    Bytes removeHeader() const;

    // Library-internal.
    ID3V2Frame() = default;
    ID3V2Frame(std::shared_ptr<const TagContents> tag, size_t index) : m_tag(std::move(tag)), m_index(index) {}
    const FrameRecord& Record() const;
    FrameContent Content() const;
    const std::shared_ptr<const TagContents>& Tag() const { return m_tag; }
    // Bytes the frame takes in the tag (header, appended bytes and data).
    int64_t TotalSize() const;
    bool IsEncrypted() const;
    uint8_t StatusFlags() const;
    uint8_t FormatFlags() const;

protected:
    bool Is(const char* id) const;

    std::shared_ptr<const TagContents> m_tag;
    size_t m_index = 0;
};

// The frames of a loaded tag, for the reader of each version.
template <typename Frame>
class ID3V2FrameReader {
public:
    using FramePtr = std::shared_ptr<Frame>;

    // Every frame ID followed by ";", in file order, duplicates included.
    std::string FrameList() const {
        std::string list;
        for (const FramePtr& frame : Frames()) list += frame->ID() + ";";
        return list;
    }
    // Every frame of the tag, duplicates included.
    int32_t FrameCount() const { return m_contents ? static_cast<int32_t>(FrameCountOf(*m_contents)) : 0; }
    // The first frame of that ID; null when there is none.
    FramePtr GetFrameByID(const std::string& FrameID) const {
        for (const FramePtr& frame : Frames()) {
            if (frame->ID() == FrameID) return frame;
        }
        return nullptr;
    }
    // 1-based; null out of range.
    FramePtr GetFrameByIndex(int32_t Index) const {
        if (Index < 1 || Index > FrameCount()) return nullptr;
        return Frames()[static_cast<size_t>(Index - 1)];
    }
    // TextData of the first frame of that ID; "" when there is none.
    std::string GetText(const std::string& FrameID) const {
        const FramePtr frame = GetFrameByID(FrameID);
        return frame ? frame->TextData() : "";
    }

    TagErrorPtr LastError() const { return TagError::ViewOf(m_error); }

    // Library-internal.
    const cErrorPtr& ErrorObject() const { return m_error; }
    int32_t PaddingSize() const;
    const std::shared_ptr<const TagContents>& Contents() const { return m_contents; }
    // Takes the frames of a tag read into the frame model (null: no frames).
    void Load(std::shared_ptr<const TagContents> contents) {
        m_contents = std::move(contents);
        m_frames.clear();
        m_framesMade = false;
    }

protected:
    ID3V2FrameReader() = default;
    ~ID3V2FrameReader() = default;

    // Reads the tag of this version from the open file and takes its frames;
    // false when the tag is not of this version or cannot be read (a read
    // failure throws).
    bool LoadTagFromFile(const BinaryFile& file, const ID3V2Header& header, int version);

    // The answers of a reader that cannot change the file.
    bool RefuseSaving(const std::string& source) {
        m_error->Set(1, source, "Saving is not supported.");
        return false;
    }
    bool RefuseRemoving(const std::string& source) {
        m_error->Set(1, source, "Removing is not supported.");
        return false;
    }

    cErrorPtr m_error = std::make_shared<cError>();

private:
    static size_t FrameCountOf(const TagContents& contents);

    // The frame objects, made when first asked for (the reports and the
    // fields read the frame model itself).
    const std::vector<FramePtr>& Frames() const {
        if (!m_framesMade && m_contents) {
            const size_t count = FrameCountOf(*m_contents);
            m_frames.reserve(count);
            for (size_t i = 0; i < count; ++i) m_frames.push_back(std::make_shared<Frame>(m_contents, i));
        }
        m_framesMade = true;
        return m_frames;
    }

    std::shared_ptr<const TagContents> m_contents;
    mutable std::vector<FramePtr> m_frames;
    mutable bool m_framesMade = false;
};

}  // namespace korvel
