#pragma once
// The run-time binding to id3lib's plain function interface. The library file
// is opened with dlopen on first use, so that a machine without it still runs
// everything except ID3v2 writing. The environment variable KORVEL_ID3LIB
// names another file to load instead (an absent one makes the library
// missing). id3lib's own header stays inside the binding: its enumerations
// share their names with the ones this library publishes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Types.h"
#include "id3v230/ID3Enumerations.h"

namespace korvel {

class ID3LibBinding {
public:
    // An id3lib tag, iterator, frame or field; null for none.
    using Handle = void*;

    // The binding for the library file currently named by KORVEL_ID3LIB (or
    // the default). Each file is loaded once and stays loaded.
    static const ID3LibBinding& Current();

    // The file name the binding loads by default.
    static const char* kDefaultFileName;

    // True when the library was loaded and exports every function used.
    bool Available() const { return m_available; }
    // The file name that was asked for (default or override).
    const std::string& FileName() const { return m_fileName; }
    // Why loading failed ("" when available).
    const std::string& LoadError() const { return m_loadError; }

    // Frame types: id3lib's value for a published one (matched by the
    // four-character abbreviation), -1 when id3lib has no such frame; the
    // published value for id3lib's, ID3FID_NOFRAME when the table lacks it.
    int LibFrameID(ID3_FrameID type) const;
    ID3_FrameID PublishedFrameID(int libFrameID) const;
    // The ID3v2.3 frame identifier id3lib writes for its value; "" for none.
    static std::string LibFrameAbbr(int libFrameID);
    // id3lib's value for a four-character identifier; -1 when it has none.
    static int LibFrameIDOf(const std::string& abbr);

    // Tags. Link reads the given tag types of the file into the tag.
    Handle TagNew() const;
    void TagDelete(Handle tag) const;
    void TagClear(Handle tag) const;
    size_t TagLink(Handle tag, const std::string& fileName) const;
    size_t TagLinkWithFlags(Handle tag, const std::string& fileName, uint16_t tagTypes) const;
    // Reads a whole ID3v2 tag (header included) from memory into the tag.
    int TagParse(Handle tag, const Bytes& wholeTag) const;
    size_t TagNumFrames(Handle tag) const;
    Handle TagCreateIterator(Handle tag) const;
    Handle IteratorGetNext(Handle iterator) const;
    void IteratorDelete(Handle iterator) const;
    // Adds a copy of the frame; the caller keeps its own.
    void TagAddFrame(Handle tag, Handle frame) const;
    // Hands a frame over to the tag (no copy).
    bool TagAttachFrame(Handle tag, Handle frame) const;
    // Takes a frame out of the tag; the caller owns it from then on.
    Handle TagRemoveFrame(Handle tag, Handle frame) const;
    // The first frame of id3lib's frame value; null when there is none.
    Handle TagFindFrameWithID(Handle tag, int libFrameID) const;
    int TagUpdateByTagType(Handle tag, uint16_t tagType) const;
    int TagStrip(Handle tag, uint16_t tagType) const;

    // Frames.
    Handle FrameNewID(int libFrameID) const;
    void FrameDelete(Handle frame) const;
    int FrameGetID(Handle frame) const;
    Handle FrameGetField(Handle frame, ID3_FieldID field) const;

    // Fields. Texts are read whole; a UTF-16 field gives its text through
    // GetText as well (converted to UTF-8), a single-byte one is decoded
    // with Windows-1252.
    size_t FieldSize(Handle field) const;
    size_t FieldNumTextItems(Handle field) const;
    uint32_t FieldGetINT(Handle field) const;
    void FieldSetINT(Handle field, uint32_t value) const;
    Bytes FieldGetBINARY(Handle field) const;
    void FieldSetBINARY(Handle field, std::span<const uint8_t> bytes) const;
    void FieldClear(Handle field) const;
    int FieldGetEncoding(Handle field) const;
    bool FieldIsEncodable(Handle field) const;
    bool FieldSetEncoding(Handle field, int encoding) const;
    // Single-byte text exactly as stored (Windows-1252 bytes).
    std::string FieldGetASCII(Handle field) const;
    void FieldSetASCII(Handle field, const std::string& bytes) const;
    // UTF-16 text as UTF-16 code units in host order.
    std::u16string FieldGetUNICODE(Handle field) const;
    void FieldSetUNICODE(Handle field, const std::u16string& text) const;
    void FieldToFile(Handle field, const std::string& path) const;
    void FieldFromFile(Handle field, const std::string& path) const;

    // id3lib's text encodings.
    static constexpr int kEncodingLatin1 = 0;
    static constexpr int kEncodingUTF16 = 1;
    static constexpr int kEncodingUTF16BE = 2;
    static constexpr int kEncodingUTF8 = 3;

    struct Functions;

    ~ID3LibBinding();
    ID3LibBinding(const ID3LibBinding&) = delete;
    ID3LibBinding& operator=(const ID3LibBinding&) = delete;

private:
    explicit ID3LibBinding(std::string fileName);

    std::string m_fileName;
    std::string m_loadError;
    bool m_available = false;
    void* m_library = nullptr;
    Functions* m_fn = nullptr;
};

}  // namespace korvel
