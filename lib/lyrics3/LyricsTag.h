#pragma once
// The Lyrics3 tag at the end of an MP3 file (in front of the ID3v1 tag when
// there is one): version 1.00, a text between "LYRICSBEGIN" and "LYRICSEND",
// and version 2.00, a block of fields closed by a 6-digit size and
// "LYRICS200". The tag is read-only; CreateFromTag fills one from its own XML.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "core/CodePage.h"
#include "core/Collection.h"
#include "errors/TagError.h"
#include "errors/cError.h"
#include "xml/XmlNodes.h"

namespace korvel {

enum ELyricsVersionConstants : int32_t {
    lvcUnknown = 0,  // no Lyrics3 tag found
    lvcV100 = 1,
    lvcV200 = 2,
};

// One field of a version 2.00 tag: a 3-character ID, its size and its text.
class LyricsV200Field {
public:
    LyricsV200Field(std::string id, int32_t size, std::string text)
        : m_id(std::move(id)), m_size(size), m_text(std::move(text)) {}

    bool IsLyrics() const { return m_id == "LYR"; }
    bool IsArtist() const { return m_id == "EAR"; }
    bool IsAlbum() const { return m_id == "EAL"; }
    bool IsTitle() const { return m_id == "ETT"; }
    bool IsAuthor() const { return m_id == "AUT"; }

    const std::string& ID() const { return m_id; }
    int32_t Size() const { return m_size; }
    const std::string& TextData() const { return m_text; }

private:
    std::string m_id;
    int32_t m_size = 0;
    std::string m_text;
};

using LyricsV200FieldPtr = std::shared_ptr<LyricsV200Field>;

class LyricsTag {
public:
    // Length of a version 1.00 text as the size reports it.
    static constexpr int32_t kV100Size = 5100;

    LyricsTag();

    ELyricsVersionConstants Version() const { return m_version; }
    // Version 2.00: the size written in the tag; version 1.00: 5100; else 0.
    int32_t Size() const { return m_size; }
    // Version 1.00: the text; otherwise the "LYR" field's text ("" without one).
    std::string Lyrics() const;

    int32_t FieldCount() const { return m_fields.Count(); }
    // Lookups; null when absent or out of range (positions count from 1).
    LyricsV200FieldPtr getFieldByID(const std::string& FieldID) const { return m_fields.Item(FieldID); }
    LyricsV200FieldPtr getFieldByIndex(int32_t Index) const {
        return m_fields.Item(static_cast<int64_t>(Index));
    }

    std::string Author() const { return FieldText("AUT"); }
    std::string Album() const { return FieldText("EAL"); }
    std::string Artist() const { return FieldText("EAR"); }
    std::string Title() const { return FieldText("ETT"); }

    TagErrorPtr LastError() const { return TagError::ViewOf(m_error); }

    // The tag as an XML document ("LyricsTag": its version, then one property
    // per field). When BaseNode is given it receives the top element.
    std::string xml(XmlElement* BaseNode = nullptr) const;

    // Takes the version and the fields Album, Artist, Author, Title and Lyrics
    // from a "LyricsTag" element as xml writes it. Fields already present are
    // kept; line feeds of the lyrics become CR LF. True unless reading the
    // element fails.
    bool CreateFromTag(const pugi::xml_node& theLyricsTag);

    // Reads the tag of a file, replacing what the object held. hasID3v1 says
    // whether the file ends in a 128-byte ID3v1 tag, in front of which the
    // Lyrics3 tag then stands. A file without a tag leaves the object empty
    // (version 0). A malformed tag throws KorvelException (source
    // "LyricsTag::Load") and leaves the object empty; an unreadable file
    // throws the platform's failure. A caller that has already read the 15
    // bytes in front of that end passes them as `knownTrailer`: when they end in
    // neither "LYRICSEND" nor "LYRICS200" the file is not opened again. The
    // texts are read in the given code page.
    void Load(const std::string& fileName, bool hasID3v1, const Bytes* knownTrailer = nullptr,
              const CodePage& page = CodePage());

    // The code page the last Load read the texts in.
    const CodePage& UsedCodePage() const { return m_codePage; }
    // The raw bytes of the texts the last Load read (each field's text, or
    // the version 1.00 text): what code page detection looks at.
    const std::vector<std::string>& LegacyTexts() const { return m_legacyTexts; }

    // True when the 15 bytes in front of the end of a Lyrics3 tag carry one
    // of its end markers.
    static bool IsTrailer(const Bytes& trailer);

    const std::string& FileName() const { return m_fileName; }
    bool HasID3v1() const { return m_hasID3v1; }
    // The tag body as read: version 2.00 from "LYRICSBEGIN" up to the size
    // digits, version 1.00 the text between the markers.
    const std::string& RawText() const { return m_rawText; }

    const cErrorPtr& ErrorObject() const { return m_error; }

private:
    std::string FieldText(const std::string& id) const;
    void Reset();

    cErrorPtr m_error = std::make_shared<cError>();
    ELyricsVersionConstants m_version = lvcUnknown;
    std::string m_fileName;
    int32_t m_size = 0;
    bool m_hasID3v1 = false;
    std::string m_rawText;
    Collection<LyricsV200Field> m_fields;
    CodePage m_codePage;
    std::vector<std::string> m_legacyTexts;
};

using LyricsTagPtr = std::shared_ptr<LyricsTag>;

}  // namespace korvel
