#include "id3v1/ID3V1Tag.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "core/Ansi.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "xml/XmlNodes.h"

namespace korvel {

ID3V1Tag::ID3V1Tag() : m_genres(Genres::Standard()) {}

namespace {

// The raw bytes of bytes first..last up to the first zero byte.
std::string_view FieldBytes(const Bytes& bytes, int first, int last) {
    const auto begin = static_cast<size_t>(first);
    const size_t end = std::min(static_cast<size_t>(last) + 1, bytes.size());
    if (begin >= end) return std::string_view();
    const std::string_view field(reinterpret_cast<const char*>(bytes.data()) + begin, end - begin);
    return field.substr(0, field.find('\0'));
}

// ID3v1.1 keeps a track number behind a zero byte at the end of the comment.
bool IsVersion11(const Bytes& record) { return record[125] == 0 && record[126] != 0; }

}  // namespace

std::string ID3V1Tag::BytesToField(const Bytes& bytes, int first, int last, const CodePage& page) {
    return page.Decode(FieldBytes(bytes, first, last));
}

void ID3V1Tag::FieldToBytes(int first, int last, const std::string& text, Bytes& bytes,
                            const CodePage& page, size_t* unconvertible) {
    const size_t n = static_cast<size_t>(last - first + 1);
    if (first < 0 || bytes.size() < static_cast<size_t>(last) + 1) {
        throw std::out_of_range("ID3v1 field " + std::to_string(first) + ".." + std::to_string(last) +
                                " lies outside the record");
    }
    Bytes field = page.EncodeField(text, n, unconvertible);
    field.resize(n, 0);
    std::copy(field.begin(), field.end(), bytes.begin() + first);
}

std::vector<std::string> ID3V1Tag::LegacyTexts(const Bytes& record) {
    if (record.size() < kTagLength) return {};
    return {std::string(FieldBytes(record, 3, 32)), std::string(FieldBytes(record, 33, 62)),
            std::string(FieldBytes(record, 63, 92)),
            std::string(FieldBytes(record, 97, IsVersion11(record) ? 124 : 126))};
}

EID3TagConstants ID3V1Tag::DecodeRecord(const Bytes& record, ID3V1Tag& target, const CodePage& page) {
    if (record.size() < kTagLength) {
        throw KorvelException("ID3V1Tag::Decode", "The tag record is shorter than 128 bytes.");
    }
    const bool v11 = IsVersion11(record);
    target.m_title = TrimBlanks(BytesToField(record, 3, 32, page));
    target.m_artist = TrimBlanks(BytesToField(record, 33, 62, page));
    target.m_album = TrimBlanks(BytesToField(record, 63, 92, page));
    target.m_year = TrimBlanks(BytesToField(record, 93, 96, page));
    if (v11) {
        target.m_comment = TrimBlanks(BytesToField(record, 97, 124, page));
        target.m_track = record[126];
        target.m_tagType = ID3V11;
    } else {
        target.m_comment = TrimBlanks(BytesToField(record, 97, 126, page));
        target.m_track = 0;
        target.m_tagType = ID3v1;
    }
    target.m_genre = record[127];
    return target.m_tagType;
}

Bytes ID3V1Tag::EncodeFields(const CodePage& page, size_t* unconvertible) const {
    Bytes record(kTagLength, 0);
    record[0] = 'T';
    record[1] = 'A';
    record[2] = 'G';
    FieldToBytes(3, 32, m_title, record, page, unconvertible);
    FieldToBytes(33, 62, m_artist, record, page, unconvertible);
    FieldToBytes(63, 92, m_album, record, page, unconvertible);
    FieldToBytes(93, 96, m_year, record, page, unconvertible);
    FieldToBytes(97, m_tagType == ID3v1 ? 126 : 124, m_comment, record, page, unconvertible);
    if (m_tagType != ID3v1) {
        record[125] = 0;
        record[126] = static_cast<uint8_t>(m_track);
    }
    record[127] = m_genre;
    return record;
}

size_t ID3V1Tag::UnconvertibleCharacters(const CodePage& page) const {
    size_t count = 0;
    EncodeFields(page, &count);
    return count;
}

Bytes ID3V1Tag::EncodeRecord(const CodePage& page, size_t* unconvertible) const {
    if (m_tagType != ID3v1) {
        if (m_track < 0 || m_track > 255) {
            throw KorvelException(6, "ID3V1Tag::EncodeRecord",
                                  "Overflow: the track number " + std::to_string(m_track) +
                                      " does not fit in one byte.");
        }
    }
    return EncodeFields(page, unconvertible);
}

void ID3V1Tag::setTag(const pugi::xml_node& node) {
    auto fail = [] {
        throw KorvelException("ID3V1Tag::Tag", "No valid ID3V1Tag-Node passed.");
    };
    if (!node || std::string(node.name()) != "ID3V1Tag") fail();

    // The attribute of the property node of that name; fails when missing.
    auto attribute = [&](const char* name, const char* attr) -> std::string {
        std::string path = std::string("./Properties/Property[@Name = '") + name + "']";
        pugi::xpath_node found = node.select_node(path.c_str());
        if (!found) fail();
        pugi::xml_attribute a = found.node().attribute(attr);
        if (!a) fail();
        return a.value();
    };

    m_artist = attribute("Artist", "Value");
    m_album = attribute("Album", "Value");
    m_comment = attribute("Comment", "Value");
    m_title = attribute("Title", "Value");
    m_year = attribute("Year", "Value");

    std::string trackText = attribute("Track", "Value");
    int16_t track = 0;
    if (!trackText.empty()) {
        std::optional<double> value = ParseNumber(trackText);
        std::optional<int16_t> converted = value ? ToInt16(*value) : std::nullopt;
        if (!converted) fail();
        track = *converted;
    }
    m_track = track;

    std::optional<double> genreValue = ParseNumber(attribute("Genre", "ID"));
    std::optional<int16_t> genre16 = genreValue ? ToInt16(*genreValue) : std::nullopt;
    if (!genre16 || *genre16 < 0 || *genre16 > 255) fail();
    m_genre = static_cast<uint8_t>(*genre16);

    m_tagType = m_track == 0 ? ID3v1 : (m_track < 0 ? ID3Unknown : ID3V11);
}

std::string ID3V1Tag::xml(XmlElement* BaseNode) const {
    XmlElement top = CreateXmlDocument("ID3V1Tag", "ID3V1Tag");
    pugi::xml_node properties = top.Node.append_child("Properties");
    CreatePropertyNode(properties, "Title", m_title);
    CreatePropertyNode(properties, "Artist", m_artist);
    CreatePropertyNode(properties, "Album", m_album);
    CreatePropertyNode(properties, "Year", m_year);
    const std::string genreID = std::to_string(m_genre);
    const GenrePtr genre = m_genres->getGenreByID(genreID);
    CreatePropertyNode(properties, "Genre",
                       genre ? genre->Description() : "<Undefined (" + genreID + ")>", genreID);
    CreatePropertyNode(properties, "Track", m_track == 0 ? "" : std::to_string(m_track));
    CreatePropertyNode(properties, "Comment", m_comment);
    if (BaseNode) *BaseNode = top;
    return SerializeXml(top);
}

}  // namespace korvel
