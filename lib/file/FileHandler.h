#pragma once
// The object through which a host works on one MP3 file: it opens the file,
// refuses archives, finds the tags and the audio, and hands the tag objects
// out. Operations record failures in the object's error record (LastError)
// instead of throwing, unless stated otherwise.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/CodePage.h"
#include "core/FileSystemInfo.h"
#include "core/Types.h"
#include "errors/TagError.h"
#include "errors/cError.h"
#include "id3v1/ID3V1Tag.h"
#include "id3v2/ID3V2Helpers.h"
#include "id3v2/ID3V2Tag.h"
#include "lyrics3/LyricsTag.h"
#include "mpeg/MPEGHeader.h"

namespace korvel {

class BinaryFile;
class ID3V230;
using ID3V230Ptr = std::shared_ptr<ID3V230>;

class FileHandler {
public:
    FileHandler();

    // Re-reads the ID3v1 tag of the file into the held tag; returns its type.
    EID3TagConstants readTag();
    // Writes the held ID3v1 tag at the end of the file (in place or
    // appended), its texts in WritingCodePage().
    bool writeID3v1xTag();
    // Cuts the ID3v1 tag off the end of the file.
    bool removeID3V1xTag();

    // The held ID3v1 tag (never null); the setter shares the given object.
    ID3V1TagPtr ID3v1xTag() const { return m_id3v1; }
    void setID3v1xTag(ID3V1TagPtr tag);

    const std::string& FileName() const { return m_fileName; }
    TagErrorPtr LastError() const { return TagError::ViewOf(m_error); }

    // Looks at the file itself: true when its last 128 bytes start with "TAG"
    // and the file is longer than that. Failures to read are thrown.
    bool HasTag() const;
    bool HasID3V1Tag() const { return m_id3v1->TagType() != ID3Unknown; }

    // Opens the file and reads what it holds. False (with the failure in
    // LastError) for archives and unreadable files.
    bool Create(const std::string& FileName);

    // True after Create found a valid ID3v2 header at the start of the file.
    bool HasID3V2Tag() const { return m_hasID3V2; }

    // Copies the values of an updatable tag into a new ID3v2 tag of this
    // file: an ID3v2.3 tag written through id3lib, or with `version` 4 an
    // ID3v2.4 tag written by the library itself. False without touching the
    // file when the file has an ID3v2 tag already; otherwise the result of
    // the save (a failed save is recorded in LastError with the source
    // "createID3V2Tag").
    bool createID3V2Tag(ID3V230Ptr theTag, int version = 3);

    // The ID3v2 facade of the file; null when Create found no valid ID3v2
    // header (the facade's Size is then 0).
    ID3V2TagPtr ID3V2Tag() const { return m_id3v2->Size() == 0 ? nullptr : m_id3v2; }
    // The first audio frame header found by the last Create (never null; one
    // object for this handler's lifetime, reloaded by each Create).
    MPEGHeaderPtr MPEGHeader() const { return m_mpegHeader; }
    // Length of the file measured by the last Create (0 before).
    int32_t Size() const { return m_mpegHeader->FileSize(); }

    int16_t FileType() const { return m_fileType; }
    std::string FileTypeName() const;

    // --- Code page of the single-byte texts ---

    // The code page (or "auto") in which the file's single-byte texts are
    // read, and ID3v1 tags written: ID3v1 and Lyrics3 fields, and ID3v2
    // frames in encoding 0. Takes effect at the next Create. Without a choice
    // of its own (or after resetCodePage) the handler follows
    // DefaultCodePage() as it stands at each Create.
    void setCodePage(const CodePageChoice& choice) { m_codePageChoice = choice; }
    void resetCodePage() { m_codePageChoice.reset(); }
    const std::optional<CodePageChoice>& ChosenCodePage() const { return m_codePageChoice; }
    // The code page the last Create settled on for this file (under "auto",
    // the detected one); Windows-1252 before.
    const korvel::CodePage& UsedCodePage() const { return m_codePage; }
    // The code page writeID3v1xTag writes in: the chosen one, or under
    // "auto" the one detected for the file (Windows-1252 before a Create).
    korvel::CodePage WritingCodePage() const;

    // Stores the file name and does nothing else.
    void SetFileName(const std::string& name) { m_fileName = name; }

    // Reads the last 128 bytes of the open file into the held ID3v1 tag.
    EID3TagConstants ReadID3v1FromFile(const BinaryFile& file);

    // --- Lyrics3 tag, file, folder and drive ---

    // Whether the file carries a Lyrics3 tag; loads it on first use.
    bool HasLyricsTag();
    // The Lyrics3 tag (never null), loaded on first use. A malformed tag
    // throws KorvelException (source "LyricsTag::Load"), and so does every
    // later call until a load succeeds.
    LyricsTagPtr LyricsTag();
    // Loads the Lyrics3 tag when the file name differs from the one it was
    // last loaded for; otherwise does nothing. A failure is thrown and leaves
    // the remembered name unchanged, so that the next call tries again.
    void EnsureLyricsLoaded();

    // The folder of the file without drive and without the leading
    // separator: "music/rock/" for /music/rock/a.mp3, "" for /a.mp3 and a.mp3.
    std::string Path() const;
    // The file system that holds the file and the file itself. Failures
    // (a missing file, an unreadable mount table) are thrown.
    DriveInfoPtr Drive() const;
    FileInfoPtr File() const;
    // The drive part of the file name: always "" here (paths have none).
    std::string DriveName() const { return std::string(); }
    // The folder of a path with its trailing separator ("" for a bare name).
    static std::string FolderOfPath(const std::string& path);

    // The XML description of the file: its drive, the file and all its tags.
    // Failures (a malformed Lyrics3 tag, a missing file) are thrown.
    std::string xml();
    // The same as a document ("ImportData" element), not yet written out.
    XmlElement XmlDescription();

    // The error record itself (for the library's own classes).
    const cErrorPtr& ErrorObject() const { return m_error; }

    // True when the size bytes of the header are all below 0x80 and its
    // version and revision bytes below 0xFF (the flags are not examined).
    static bool IsValidID3V2Header(const ID3V2Header& header);

private:
    // Finds the ID3v2 tag and the first audio frame header in the open file,
    // given its first 10 bytes.
    void DetectTagsAndAudio(const BinaryFile& file, const Bytes& head);
    // Reads the ID3v1 tag and the bytes in front of it in one read.
    void ReadTail(const BinaryFile& file);
    EID3TagConstants DecodeID3v1(const Bytes& record);
    // createID3V2Tag of version 2.4.
    bool CreateID3V24Tag(const ID3V230& values);
    // Under "auto": finds the code page of the file that Create is reading
    // from all its single-byte texts, before the ID3v1 tag is decoded, and
    // hands it to the ID3v2 facade.
    void DetectFileCodePage();
    // The trailer bytes Create read, while they still describe the file as
    // the held ID3v1 tag does; null otherwise.
    const Bytes* KnownLyricsTrailer() const;

    cErrorPtr m_error;
    std::string m_fileName;
    ID3V1TagPtr m_id3v1;
    int16_t m_fileType = 0;
    bool m_hasID3V2 = false;
    ID3V2Header m_id3v2Header;
    ID3V2TagPtr m_id3v2 = std::make_shared<korvel::ID3V2Tag>();
    MPEGHeaderPtr m_mpegHeader;

    LyricsTagPtr m_lyrics = std::make_shared<korvel::LyricsTag>();
    // The file name the Lyrics3 tag was last loaded for.
    std::string m_lyricsFileName;

    std::optional<CodePageChoice> m_codePageChoice;
    korvel::CodePage m_codePage;
    // The last 128 bytes of the file as Create read them.
    Bytes m_id3v1Record;
    // The ID3v2 tag as Create read it (null without one).
    std::shared_ptr<const Bytes> m_id3v2Bytes;
    // The 15 bytes in front of the ID3v1 tag (or of the end of the file when
    // it has none) as Create read them, where a Lyrics3 tag ends; empty when
    // unknown or no longer valid. m_trailerHasID3v1 tells which of the two.
    Bytes m_lyricsTrailer;
    bool m_trailerHasID3v1 = false;
};

using FileHandlerPtr = std::shared_ptr<FileHandler>;

}  // namespace korvel
