#pragma once
// The version-independent view of the ID3v2 tag of one MP3 file. The file
// object initialises it with the tag header (and the tag's bytes, read with
// its own reads); the tag is read into the frame model and the reader of its
// version (2.2, 2.3 or 2.4) set up on the first content access. Version 2.3
// tags are changed and saved through the updatable tag (id3lib), version 2.4
// tags by the library itself in their version, and version 2.2 tags through
// the updatable tag as version 2.3 tags (the frames that version has no form
// for are dropped only when the caller agrees).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "core/Picture.h"
#include "errors/TagError.h"
#include "errors/cError.h"
#include "id3v2/ID3V22Tag.h"
#include "id3v2/ID3V23Tag.h"
#include "id3v2/ID3V24Tag.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/TagFields.h"

namespace pugi {
class xml_node;
}

namespace korvel {

struct XmlElement;  // xml/XmlNodes.h

class ID3V2Tag {
public:
    ID3V2Tag();

    ID3V2VersionPtr Version() const { return m_version; }
    // Tag length including the 10-byte header (without a footer); 0 until Init.
    int32_t Size() const { return m_size; }

    // The reader of the tag's version (loading it first); null for the other
    // versions and when the tag cannot be loaded.
    ID3V22TagPtr ID3V22Tag();
    ID3V23TagPtr ID3V23Tag();
    ID3V24TagPtr ID3V24Tag();

    // Content properties. Reads load the reader first and give "" (or null)
    // when that fails; writes reach a tag that can be saved (canSave).
    std::string Artist();
    void setArtist(const std::string& value);
    std::string Album();
    void setAlbum(const std::string& value);
    std::string Title();
    void setTitle(const std::string& value);
    std::string Genre();
    void setGenre(const std::string& value);
    std::string Track();
    void setTrack(const std::string& value);
    // A version 2.4 tag's year is the year of its recording time (TDRC).
    std::string Year();
    void setYear(const std::string& value);

    TagErrorPtr LastError() const { return TagError::ViewOf(m_error); }

    // The tag as an XML document (version, size, one property per frame);
    // BaseNode, when given, receives the top element "ID3V2Tag".
    std::string xml(XmlElement* BaseNode = nullptr);
    // Library-internal: the content of that element, added to `top` (a
    // larger document's element, without a document of its own).
    void FillXml(pugi::xml_node top);

    // True when the tag can be saved (versions 2.2 and 2.3 with id3lib
    // available, version 2.4 always); otherwise LastError tells why.
    bool canSave();

    PicturePtr Picture();
    void setPicture(const PicturePtr& value);

    std::string LyricsUnsynced();
    void setLyricsUnsynced(const std::string& value);
    std::string LyricsSynced();
    void setLyricsSynced(const std::string& value);
    std::string UserURL();
    void setUserURL(const std::string& value);
    std::string Composer();
    void setComposer(const std::string& value);
    std::string OriginalArtist();
    void setOriginalArtist(const std::string& value);
    std::string Copyright();
    void setCopyright(const std::string& value);
    std::string Comment();
    void setComment(const std::string& value);
    std::string EncodedBy();
    void setEncodedBy(const std::string& value);

    // Any field of the field table (read as the properties above read it);
    // writes reach a tag that can be saved. Writing the value a field reads
    // already changes nothing.
    std::string Field(TagField field);
    void SetField(TagField field, const std::string& value);

    // Writes the tag back to the file: version 2.3 and 2.4 tags in their
    // version, version 2.2 tags as version 2.3 tags. A version 2.2 tag with
    // frames that version 2.3 has no form for (UnconvertibleFrames) is
    // refused unless setDropUnconvertible(true) was called.
    bool saveTag();
    // Removes the tag from the file, whatever its version (no id3lib needed).
    bool removeTag();
    // Version 2.2: the IDs of the frames a save as version 2.3 drops, as it
    // has no form for them (loads first); empty for the other versions.
    std::vector<std::string> UnconvertibleFrames();
    void setDropUnconvertible(bool drop) { m_dropUnconvertible = drop; }
    // What the last save changed beyond the fields, one sentence each (the
    // tag's new version, what of the old tag could not be kept).
    const std::vector<std::string>& SaveNotes() const { return m_notes; }
    // Accepted for compatibility; changes nothing.
    void SavingOptions(int32_t Options, int32_t SynchronizationOptions = 0);
    // Version 2.3: the genre split into number and name; other versions give
    // false and leave the outputs untouched.
    bool splittedGenre(int16_t& GenreID, std::string& GenreDescription);

    // Library-internal.
    // Binds the object to a file whose first 10 bytes are a valid ID3v2
    // header. `tag`, when given, holds the file's bytes from its start (the
    // whole tag when the file has it all); otherwise the tag is read from the
    // file when first needed. Encoding-0 text is read in `codePage`.
    void Init(const std::string& fileName, const ID3V2Header& header,
              std::shared_ptr<const Bytes> tag = nullptr, const CodePage& codePage = CodePage());
    // Loads the reader of the tag's version; records "Unable to load this
    // tag." when that fails.
    bool loadTag();
    bool IsLoaded() const { return m_loaded; }
    // The tag in the frame model once loaded (null before and on failure).
    const std::shared_ptr<const TagContents>& Contents() const { return m_contents; }
    const ID3V2Header& Header() const { return m_header; }
    const cErrorPtr& ErrorObject() const { return m_error; }

private:
    bool EnsureLoaded() { return m_loaded || loadTag(); }
    // The version byte of the header (0 without one).
    int VersionByte() const { return m_headerPresent ? m_header.MajorVersion : 0; }
    // The version 2.3 reader for a write (of a version 2.3 tag, or of the
    // version 2.3 form of a version 2.2 tag), loading it first; null
    // otherwise.
    ID3V23TagPtr WritableTag();
    // Version 2.2: the version 2.3 reader that changes and saves the tag as
    // version 2.3, set up on first use; null when that cannot be done (the
    // error record then says why).
    ID3V23TagPtr UpgradedTag();

    ID3V2VersionPtr m_version = std::make_shared<ID3V2Version>();
    int32_t m_size = 0;
    std::string m_fileName;
    int32_t m_tagPosition = 0;
    bool m_headerPresent = false;
    bool m_loaded = false;
    std::shared_ptr<const Bytes> m_tagBytes;
    CodePage m_codePage;
    std::shared_ptr<const TagContents> m_contents;
    ID3V22TagPtr m_v22;
    ID3V23TagPtr m_v23;
    ID3V24TagPtr m_v24;
    ID3V2Header m_header;
    cErrorPtr m_error = std::make_shared<cError>();
    // Version 2.2: the frames without a version 2.3 form, and whether a save
    // may drop them.
    std::vector<std::string> m_unconvertible;
    bool m_dropUnconvertible = false;
    std::vector<std::string> m_notes;
};

using ID3V2TagPtr = std::shared_ptr<ID3V2Tag>;

}  // namespace korvel
