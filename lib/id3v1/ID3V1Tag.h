#pragma once
// The fields of an ID3v1 or ID3v1.1 tag: the 128-byte record at the end of an
// MP3 file. The object does no file access itself.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/CodePage.h"
#include "core/Types.h"
#include "id3v1/Genres.h"

namespace korvel {

struct XmlElement;  // xml/XmlNodes.h

enum EID3TagConstants : int32_t {
    ID3Unknown = 0,  // no tag / not decided
    ID3v1 = 1,       // 30-character comment, no track
    ID3V11 = 2,      // 28-character comment, track number in byte 126
};

class ID3V1Tag {
public:
    static constexpr int16_t kTagLength = 128;

    ID3V1Tag();

    const std::string& Title() const { return m_title; }
    void setTitle(const std::string& v) { m_title = v; }
    const std::string& Artist() const { return m_artist; }
    void setArtist(const std::string& v) { m_artist = v; }
    const std::string& Album() const { return m_album; }
    void setAlbum(const std::string& v) { m_album = v; }
    const std::string& Year() const { return m_year; }
    void setYear(const std::string& v) { m_year = v; }
    const std::string& Comment() const { return m_comment; }
    void setComment(const std::string& v) { m_comment = v; }
    int16_t Track() const { return m_track; }
    void setTrack(int16_t v) { m_track = v; }
    uint8_t Genre() const { return m_genre; }
    void setGenre(uint8_t v) { m_genre = v; }

    // "Returns the length a tag must have."
    int16_t TagLength() const { return kTagLength; }
    std::string TagIdentifier() const { return "TAG"; }
    // The digit zero; its numeric value is the byte that ends a text field.
    std::string TagTerminator() const { return "0"; }

    EID3TagConstants TagType() const { return m_tagType; }
    void setTagType(EID3TagConstants v) { m_tagType = v; }
    void setTagType(int32_t v) { m_tagType = static_cast<EID3TagConstants>(v); }

    // The genre list (shared, see Genres::Standard).
    const ConstGenresPtr& GenreList() const { return m_genres; }

    // The tag as an XML document ("ID3V1Tag" with its seven properties).
    // When BaseNode is given it receives the top element, which keeps its
    // document alive.
    std::string xml(XmlElement* BaseNode = nullptr) const;

    // Fills the tag from an "ID3V1Tag" element as the XML export writes it.
    // Throws KorvelException (source "ID3V1Tag::Tag", "No valid ID3V1Tag-Node
    // passed.") when the node does not have that shape.
    void setTag(const pugi::xml_node& node);

    // Decodes a 128-byte record whose first three bytes read "TAG" into
    // target, its texts in the given code page; returns the kind of tag.
    static EID3TagConstants DecodeRecord(const Bytes& record, ID3V1Tag& target,
                                         const CodePage& page = CodePage());

    // Builds the 128-byte record (ID3v1 layout for TagType ID3v1, ID3v1.1
    // otherwise), its texts in the given code page. Characters the code page
    // lacks become '?' and are counted in `unconvertible` when it is given.
    // Throws KorvelException when Track lies outside 0 to 255.
    Bytes EncodeRecord(const CodePage& page = CodePage(), size_t* unconvertible = nullptr) const;

    // How many characters of the texts EncodeRecord writes as '?' in that
    // code page (characters cut off at a field's end do not count).
    size_t UnconvertibleCharacters(const CodePage& page) const;

    // The raw bytes of the record's texts (title, artist, album, comment),
    // each up to its first zero byte: what code page detection looks at.
    static std::vector<std::string> LegacyTexts(const Bytes& record);

    // A field's text: bytes first..last, ending at the first zero byte.
    static std::string BytesToField(const Bytes& bytes, int first, int last,
                                    const CodePage& page = CodePage());
    // Stores text into bytes first..last: as many whole characters as fit in
    // the field's length, zero-padded; a character the code page lacks
    // becomes '?' (counted in `unconvertible` when given).
    static void FieldToBytes(int first, int last, const std::string& text, Bytes& bytes,
                             const CodePage& page = CodePage(), size_t* unconvertible = nullptr);

private:
    // The record without the track check.
    Bytes EncodeFields(const CodePage& page, size_t* unconvertible) const;

    std::string m_title;
    std::string m_artist;
    std::string m_album;
    std::string m_year;
    std::string m_comment;
    int16_t m_track = 0;
    uint8_t m_genre = 255;
    EID3TagConstants m_tagType = ID3Unknown;
    ConstGenresPtr m_genres;
};

using ID3V1TagPtr = std::shared_ptr<ID3V1Tag>;

}  // namespace korvel
