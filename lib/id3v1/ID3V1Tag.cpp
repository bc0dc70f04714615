#include "id3v1/ID3V1Tag.h"

#include "core/Ansi.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"

namespace korvel {

ID3V1Tag::ID3V1Tag() : m_genres(Genres::Standard()) {}

std::string ID3V1Tag::BytesToField(const Bytes& bytes, int first, int last) {
    std::string raw;
    for (int i = first; i <= last && i < static_cast<int>(bytes.size()); ++i) {
        if (bytes[static_cast<size_t>(i)] == 0) break;
        raw += static_cast<char>(bytes[static_cast<size_t>(i)]);
    }
    return AnsiToUtf8(raw);
}

void ID3V1Tag::FieldToBytes(int first, int last, const std::string& text, Bytes& bytes) {
    const size_t n = static_cast<size_t>(last - first + 1);
    std::u32string chars = Utf8ToUtf32(text);
    chars.resize(n, U'\0');
    for (size_t k = 0; k < n; ++k) {
        int b = CodePointToAnsiByte(chars[k]);
        bytes.at(static_cast<size_t>(first) + k) = static_cast<uint8_t>(b < 0 ? '?' : b);
    }
}

EID3TagConstants ID3V1Tag::DecodeRecord(const Bytes& record, ID3V1Tag& target) {
    if (record.size() < kTagLength) {
        throw KorvelException("ID3V1Tag::Decode", "The tag record is shorter than 128 bytes.");
    }
    const bool v11 = record[125] == 0 && record[126] != 0;
    target.m_title = TrimBlanks(BytesToField(record, 3, 32));
    target.m_artist = TrimBlanks(BytesToField(record, 33, 62));
    target.m_album = TrimBlanks(BytesToField(record, 63, 92));
    target.m_year = TrimBlanks(BytesToField(record, 93, 96));
    if (v11) {
        target.m_comment = TrimBlanks(BytesToField(record, 97, 124));
        target.m_track = record[126];
        target.m_tagType = ID3V11;
    } else {
        target.m_comment = TrimBlanks(BytesToField(record, 97, 126));
        target.m_track = 0;
        target.m_tagType = ID3v1;
    }
    target.m_genre = record[127];
    return target.m_tagType;
}

Bytes ID3V1Tag::EncodeRecord() const {
    Bytes record(kTagLength, 0);
    record[0] = 'T';
    record[1] = 'A';
    record[2] = 'G';
    FieldToBytes(3, 32, m_title, record);
    FieldToBytes(33, 62, m_artist, record);
    FieldToBytes(63, 92, m_album, record);
    FieldToBytes(93, 96, m_year, record);
    if (m_tagType == ID3v1) {
        FieldToBytes(97, 126, m_comment, record);
    } else {
        FieldToBytes(97, 124, m_comment, record);
        if (m_track < 0 || m_track > 255) {
            throw KorvelException(6, "ID3V1Tag::EncodeRecord",
                                  "Overflow: the track number " + std::to_string(m_track) +
                                      " does not fit in one byte.");
        }
        record[125] = 0;
        record[126] = static_cast<uint8_t>(m_track);
    }
    record[127] = m_genre;
    return record;
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
