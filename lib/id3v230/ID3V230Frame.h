#pragma once
// One frame of the updatable ID3v2.3 tag, and the description of one of its
// fields. Both are plain records that the library fills; hosts reach them
// through ID3V230::Frames().
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "core/Collection.h"
#include "core/Picture.h"
#include "core/Types.h"
#include "id3v230/ID3Enumerations.h"
#include "id3v230/TagValue.h"

namespace korvel {

class ID3V230Field {
public:
    int32_t eFieldID = 0;    // ID3_FieldID
    int32_t eFieldType = 0;  // ID3_FieldType; not filled
    int32_t lTextItemCnt = 0;
    int32_t lSize = 0;
};

using ID3V230FieldPtr = std::shared_ptr<ID3V230Field>;

class ID3V230Frame {
public:
    ID3_FrameID eType = ID3FID_NOFRAME;
    int32_t lFieldCnt = 0;
    // The frame's value: text, URL, counter or unique-file-identifier data.
    TagValue vValue;
    // 1-based: the position id3lib reported when loaded, the list count + 1
    // when created.
    int32_t lIndex = 0;
    // The frame's description, also the descriptor it is looked up by.
    std::string sDescription;
    bool bDeleted = false;
    bool bNew = false;
    bool bChanged = false;
    // The language field's text after loading ("" when the frame has none);
    // empty for frames created by a property change.
    TagValue vLanguage;
    // True when a later frame of the same type and description exists.
    bool bDupe = false;
    PicturePtr Picture;
    std::shared_ptr<Collection<ID3V230Field>> colFields = std::make_shared<Collection<ID3V230Field>>();
    int32_t lFrame = 0;

    // Marks the frame deleted; it stays in the list.
    void Delete() { bDeleted = true; }

    std::string FrameAbbr() const { return FrameInfo(eType, eslSHORT).ToString(); }
    std::string FrameTitle() const { return FrameInfo(eType, eslLONG).ToString(); }

    // Fills colFields with the fields an id3lib frame (a handle of the
    // binding) has, from ID3FN_NOFIELD to ID3FN_LASTFIELDID.
    void Load(void* frame);

    // The raw bytes of an APIC frame's image; empty for other frames.
    Bytes PictureRAW() const { return Bytes(m_pictureRaw.begin(), m_pictureRaw.end()); }
    void SetPictureRAW(const Bytes& bytes) {
        auto own = std::make_shared<const Bytes>(bytes);
        SetPictureRAW(own, *own);
    }
    // Library-internal: the raw bytes as a view of bytes `owner` holds (a
    // loaded tag's), copied only when PictureRAW is asked for.
    void SetPictureRAW(std::shared_ptr<const void> owner, std::span<const uint8_t> bytes) {
        m_pictureOwner = std::move(owner);
        m_pictureRaw = bytes;
    }

private:
    friend class ID3V230;

    // What the frame held when it was loaded from a file; a save writes a
    // loaded frame that still holds it as it stood in the file.
    struct Loaded {
        uint64_t load = 0;  // which load of which tag object it came from
        TagValue value;
        std::string description;
        TagValue language;
        PicturePtr picture;
        int32_t rawIndex = -1;  // its record among the file's frame records
    };

    std::shared_ptr<const void> m_pictureOwner;
    std::span<const uint8_t> m_pictureRaw;
    std::optional<Loaded> m_loaded;
};

using ID3V230FramePtr = std::shared_ptr<ID3V230Frame>;

}  // namespace korvel
