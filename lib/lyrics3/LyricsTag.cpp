#include "lyrics3/LyricsTag.h"

#include <algorithm>
#include <string_view>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "id3v1/ID3V1Tag.h"

namespace korvel {

namespace {

constexpr std::string_view kBegin = "LYRICSBEGIN";
constexpr std::string_view kEndV100 = "LYRICSEND";
constexpr std::string_view kEndV200 = "LYRICS200";
// The size digits of version 2.00 and its end marker.
constexpr int64_t kTrailerLength = 6 + 9;
constexpr int32_t kFieldHeaderLength = 3 + 5;

[[noreturn]] void Malformed(const std::string& description) {
    throw KorvelException("LyricsTag::Load", description);
}

std::string_view View(const Bytes& bytes, size_t offset, size_t count) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()) + offset, count);
}

// The value of a run of decimal digits; nullopt when any character is not one.
std::optional<int32_t> Digits(std::string_view text) {
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Text for a message: the characters as they stand, unprintable ones as '?'.
std::string Printable(std::string_view raw) {
    std::string out;
    for (char c : raw) out += (c >= 0x20 && c < 0x7F) ? c : '?';
    return out;
}

// Line feeds that do not follow a carriage return become CR LF.
std::string ToCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

}  // namespace

LyricsTag::LyricsTag() = default;

std::string LyricsTag::FieldText(const std::string& id) const {
    const LyricsV200FieldPtr field = m_fields.Item(id);
    return field ? field->TextData() : std::string();
}

std::string LyricsTag::Lyrics() const {
    return m_version == lvcV100 ? m_rawText : FieldText("LYR");
}

void LyricsTag::Reset() {
    m_version = lvcUnknown;
    m_size = 0;
    m_rawText.clear();
    m_fields.Clear();
    m_legacyTexts.clear();
}

bool LyricsTag::IsTrailer(const Bytes& trailer) {
    if (trailer.size() != static_cast<size_t>(kTrailerLength)) return false;
    const std::string_view marker = View(trailer, 6, 9);
    return marker == kEndV100 || marker == kEndV200;
}

void LyricsTag::Load(const std::string& fileName, bool hasID3v1, const Bytes* knownTrailer,
                     const CodePage& page) {
    Reset();
    m_codePage = page;
    m_fileName = fileName;
    m_hasID3v1 = hasID3v1;
    if (knownTrailer != nullptr && knownTrailer->size() == static_cast<size_t>(kTrailerLength) &&
        !IsTrailer(*knownTrailer)) {
        return;
    }
    try {
        BinaryFile file(fileName);
        // The tag ends where the ID3v1 tag begins, or at the end of the file.
        const int64_t end = file.Length() - (hasID3v1 ? ID3V1Tag::kTagLength : 0);
        if (end < kTrailerLength) return;
        const Bytes trailer = file.ReadExact(end - kTrailerLength, kTrailerLength);
        const std::string_view marker = View(trailer, 6, 9);

        if (marker == kEndV100) {
            // The text runs from behind "LYRICSBEGIN" up to "LYRICSEND", at
            // most 5100 bytes.
            const int64_t textEnd = end - static_cast<int64_t>(kEndV100.size());
            const int64_t windowStart =
                std::max<int64_t>(0, textEnd - kV100Size - static_cast<int64_t>(kBegin.size()));
            const Bytes window =
                file.ReadExact(windowStart, static_cast<size_t>(textEnd - windowStart));
            const std::string_view text = View(window, 0, window.size());
            const size_t begin = text.rfind(kBegin);
            if (begin == std::string_view::npos) {
                Malformed("The Lyrics3 tag ends in LYRICSEND but has no LYRICSBEGIN within " +
                          std::to_string(kV100Size) + " bytes in front of it.");
            }
            const std::string_view lyrics = text.substr(begin + kBegin.size());
            m_rawText = page.Decode(lyrics);
            m_legacyTexts.emplace_back(lyrics);
            m_size = kV100Size;
            m_version = lvcV100;
            return;
        }
        if (marker != kEndV200) return;

        const std::optional<int32_t> size = Digits(View(trailer, 0, 6));
        if (!size) {
            Malformed("The size \"" + Printable(View(trailer, 0, 6)) +
                      "\" in front of LYRICS200 is not a number.");
        }
        const int64_t blockStart = end - kTrailerLength - *size;
        if (*size < static_cast<int32_t>(kBegin.size())) {
            Malformed("The Lyrics3 tag size " + std::to_string(*size) +
                      " is too small to hold LYRICSBEGIN.");
        }
        if (blockStart < 0) {
            Malformed("The Lyrics3 tag claims " + std::to_string(*size) + " bytes, but only " +
                      std::to_string(end - kTrailerLength) + " stand in front of its size.");
        }
        const Bytes block = file.ReadExact(blockStart, static_cast<size_t>(*size));
        if (View(block, 0, kBegin.size()) != kBegin) {
            Malformed("The Lyrics3 tag does not start with LYRICSBEGIN where its size " +
                      std::to_string(*size) + " points.");
        }

        Collection<LyricsV200Field> fields;
        std::vector<std::string> legacyTexts;
        size_t p = kBegin.size();
        while (p < block.size()) {
            if (block.size() - p < static_cast<size_t>(kFieldHeaderLength)) {
                Malformed("The Lyrics3 field at byte " + std::to_string(p) +
                          " of the tag is cut short.");
            }
            const std::string id = AnsiToUtf8(View(block, p, 3));
            const std::optional<int32_t> fieldSize = Digits(View(block, p + 3, 5));
            if (!fieldSize) {
                Malformed("The size \"" + Printable(View(block, p + 3, 5)) + "\" of Lyrics3 field " +
                          Printable(View(block, p, 3)) + " is not a number.");
            }
            const size_t textStart = p + kFieldHeaderLength;
            if (static_cast<size_t>(*fieldSize) > block.size() - textStart) {
                Malformed("The Lyrics3 field " + Printable(View(block, p, 3)) + " claims " +
                          std::to_string(*fieldSize) + " bytes, but only " +
                          std::to_string(block.size() - textStart) + " remain in the tag.");
            }
            const std::string_view text = View(block, textStart, static_cast<size_t>(*fieldSize));
            auto field = std::make_shared<LyricsV200Field>(id, *fieldSize, page.Decode(text));
            legacyTexts.emplace_back(text);
            if (!fields.Add(field, id)) {
                Malformed("The Lyrics3 tag holds the field " + Printable(View(block, p, 3)) +
                          " twice.");
            }
            p = textStart + static_cast<size_t>(*fieldSize);
        }

        m_rawText = page.Decode(View(block, 0, block.size()));
        m_fields = std::move(fields);
        m_legacyTexts = std::move(legacyTexts);
        m_size = *size;
        m_version = lvcV200;
    } catch (...) {
        Reset();
        m_error->CopyError();
        throw;
    }
}

bool LyricsTag::CreateFromTag(const pugi::xml_node& theLyricsTag) {
    m_version = lvcUnknown;
    try {
        if (!theLyricsTag || std::string_view(theLyricsTag.name()) != "LyricsTag") return true;

        const pugi::xml_node version =
            theLyricsTag.select_node("./Properties/Property[@Name = 'Version']").node();
        if (pugi::xml_attribute value = version.attribute("Value")) {
            const std::optional<double> number = ParseNumber(value.value());
            const std::optional<int32_t> converted = number ? ToInt32(*number) : std::nullopt;
            if (!converted) {
                throw KorvelException("LyricsTag::CreateFromTag",
                                      "The version \"" + std::string(value.value()) +
                                          "\" is not a number.");
            }
            m_version = static_cast<ELyricsVersionConstants>(*converted);
        }

        struct Mapping {
            const char* path;
            const char* id;
        };
        static constexpr Mapping kMappings[] = {
            {"./Properties/Property[@Name = 'Album']", "EAL"},
            {"./Properties/Property[@Name = 'Artist']", "EAR"},
            {"./Properties/Property[@Name = 'Author']", "AUT"},
            {"./Properties/Property[@Name = 'Title']", "ETT"},
            {"./Properties/Property[@Name = 'Lyrics']", "LYR"},
        };
        for (const Mapping& mapping : kMappings) {
            const pugi::xml_attribute value =
                theLyricsTag.select_node(mapping.path).node().attribute("Value");
            if (!value) continue;
            const bool isLyrics = std::string_view(mapping.id) == "LYR";
            const std::string text = isLyrics ? ToCrLf(value.value()) : std::string(value.value());
            // A version 1.00 tag keeps its text outside the fields.
            if (isLyrics && m_version == lvcV100 && m_rawText.empty()) m_rawText = text;
            if (!m_fields.Exists(mapping.id)) {
                m_fields.Add(std::make_shared<LyricsV200Field>(mapping.id, 0, text), mapping.id);
            }
        }
        return true;
    } catch (...) {
        m_error->CopyError();
        return false;
    }
}

std::string LyricsTag::xml(XmlElement* BaseNode) const {
    XmlElement top = CreateXmlDocument("LyricsTag", "LyricsTag");
    pugi::xml_node properties = top.Node.append_child("Properties");
    CreatePropertyNode(properties, "Version", std::to_string(static_cast<int32_t>(m_version)));
    for (int32_t i = 1; i <= FieldCount(); ++i) {
        const LyricsV200FieldPtr field = getFieldByIndex(i);
        const char* name = field->IsAlbum()    ? "Album"
                           : field->IsArtist() ? "Artist"
                           : field->IsLyrics() ? "Lyrics"
                           : field->IsTitle()  ? "Title"
                           : field->IsAuthor() ? "Author"
                                               : nullptr;
        CreatePropertyNode(properties, name ? std::string(name) : field->ID(), field->TextData());
    }
    // A version 1.00 tag has no fields; its text is described as the lyrics.
    if (m_version == lvcV100 && !m_fields.Exists("LYR")) {
        CreatePropertyNode(properties, "Lyrics", m_rawText);
    }
    if (BaseNode) *BaseNode = top;
    return SerializeXml(top);
}

}  // namespace korvel
