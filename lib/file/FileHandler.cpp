#include "file/FileHandler.h"

#include <cerrno>
#include <system_error>

#include "core/CodePageDetection.h"
#include "core/FileRoutines.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"
#include "id3v230/ID3V230.h"

namespace korvel {

namespace {

bool IsZipSignature(const Bytes& b) {
    return b[0] == 0x50 && b[1] == 0x4B && b[2] == 0x03 && b[3] == 0x04;
}

bool IsRarSignature(const Bytes& b) {
    static constexpr uint8_t kRar[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    for (size_t i = 0; i < 7; ++i) {
        if (b[i] != kRar[i]) return false;
    }
    return true;
}

// The raw bytes of the single-byte strings of an ID3v2 tag's text, user
// text, comment and lyrics frames. ISO-8859-1 gives every byte a character
// of its own, so its reading turns back into the bytes.
std::vector<std::string> SingleByteTexts(const std::shared_ptr<const Bytes>& tag) {
    std::vector<std::string> texts;
    try {
        const TagContentsPtr contents = tag ? ParseTagContents(tag) : nullptr;
        if (!contents) return texts;
        static const CodePage latin1 = CodePage::Named("iso-8859-1").value_or(CodePage());
        auto add = [&](const std::string& text) {
            const Bytes bytes = latin1.Encode(text);
            if (!bytes.empty()) texts.emplace_back(bytes.begin(), bytes.end());
        };
        for (const FrameRecord& frame : contents->frames) {
            const FrameKind kind = KindOfFrame(frame.id);
            if (kind != FrameKind::Text && kind != FrameKind::UserText && kind != FrameKind::Comment) continue;
            const FrameContent content = DecodeFrame(frame, latin1);
            if (content.encoding != 0) continue;
            add(content.description);
            for (const std::string& value : content.values) add(value);
        }
    } catch (...) {
        // A tag that cannot be read gives no evidence.
    }
    return texts;
}

bool StartsWithTag(const Bytes& b) {
    return b.size() >= 3 && b[0] == 'T' && b[1] == 'A' && b[2] == 'G';
}

}  // namespace

FileHandler::FileHandler()
    : m_error(std::make_shared<cError>()),
      m_id3v1(std::make_shared<ID3V1Tag>()),
      m_mpegHeader(std::make_shared<korvel::MPEGHeader>()) {}

void FileHandler::setID3v1xTag(ID3V1TagPtr tag) {
    if (tag) m_id3v1 = std::move(tag);
}

const Bytes* FileHandler::KnownLyricsTrailer() const {
    if (m_lyricsTrailer.empty() || m_trailerHasID3v1 != HasID3V1Tag()) return nullptr;
    return &m_lyricsTrailer;
}

std::string FileHandler::FileTypeName() const {
    switch (m_fileType) {
        case 1: return "MP3";
        case 2: return "ZIP";
        case 3: return "RAR";
        default: return "Unknown";
    }
}

bool FileHandler::Create(const std::string& FileName) {
    m_fileName = FileName;
    m_id3v1 = std::make_shared<ID3V1Tag>();
    m_lyricsTrailer.clear();
    m_id3v1Record.clear();
    m_id3v2Bytes.reset();
    try {
        BinaryFile file(FileName);
        Bytes head = file.ReadAt(0, 10);
        head.resize(10, 0);
        if (IsZipSignature(head)) {
            m_fileType = 2;
            throw KorvelException("Create", "This is a ZIP-File");
        }
        if (IsRarSignature(head)) {
            m_fileType = 3;
            throw KorvelException("Create", "This is a RAR-File");
        }
        // A fixed code page is known before the tags are read; "auto" needs
        // all their texts first.
        const CodePageChoice choice = m_codePageChoice.value_or(DefaultCodePage());
        m_codePage = choice.IsAutomatic() ? korvel::CodePage() : choice.Page();
        DetectTagsAndAudio(file, head);
        ReadTail(file);
        if (choice.IsAutomatic()) DetectFileCodePage();
        DecodeID3v1(m_id3v1Record);
        m_fileType = 1;
        return true;
    } catch (...) {
        m_error->CopyError();
        return false;
    }
}

bool FileHandler::IsValidID3V2Header(const ID3V2Header& header) {
    for (uint8_t b : header.Size) {
        if (b >= 0x80) return false;
    }
    return header.MajorVersion < 0xFF && header.RevisionNumber < 0xFF;
}

void FileHandler::DetectTagsAndAudio(const BinaryFile& file, const Bytes& head) {
    m_hasID3V2 = false;
    int64_t audioStart = 0;
    if (head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        m_id3v2Header = ID3V2Header::FromBytes(head);
        if (IsValidID3V2Header(m_id3v2Header)) {
            // The whole tag is read here, with this open file: the readers
            // work on these bytes and never read the file again. Under "auto"
            // the code page is not known yet; DetectFileCodePage passes the
            // one it finds.
            m_id3v2Bytes = std::make_shared<const Bytes>(file.ReadAt(0, TagExtent(head)));
            m_id3v2->Init(m_fileName, m_id3v2Header, m_id3v2Bytes, m_codePage);
            m_hasID3V2 = true;
            // The search begins on the tag's last byte (Size counts the header).
            audioStart = m_id3v2->Size() - 1;
            // Some writers put a second tag straight behind the first (and
            // leave the first in place): further tags are passed over so that
            // their bytes are not taken for audio. The first stays the file's.
            int64_t end = static_cast<int64_t>(TagExtent(head));
            for (size_t next = TagExtent(file.ReadAt(end, 10)); next > 0; next = TagExtent(file.ReadAt(end, 10))) {
                end += static_cast<int64_t>(next);
                audioStart = end - 1;
            }
        }
    }
    if (!m_hasID3V2) m_id3v2 = std::make_shared<korvel::ID3V2Tag>();

    // The first audio frame header at or behind the audio start. A search
    // that finds nothing leaves the header's record cleared, and its Stream
    // text then reads "0, , ".
    if (!m_mpegHeader->LoadHeaderEx(file, audioStart)) {
        m_error->Set(2, "LoadHeaderEx", m_mpegHeader->ErrorObject()->Stream());
    }
}

EID3TagConstants FileHandler::ReadID3v1FromFile(const BinaryFile& file) {
    const int64_t length = file.Length();
    return DecodeID3v1(file.ReadExact(length - ID3V1Tag::kTagLength, ID3V1Tag::kTagLength));
}

EID3TagConstants FileHandler::DecodeID3v1(const Bytes& record) {
    if (StartsWithTag(record)) return ID3V1Tag::DecodeRecord(record, *m_id3v1, m_codePage);
    m_error->Set(0, "Read Tag", "The file contains no tag.");
    return ID3Unknown;
}

void FileHandler::ReadTail(const BinaryFile& file) {
    constexpr int64_t kTrailer = 15;
    constexpr int64_t kTail = ID3V1Tag::kTagLength + kTrailer;
    const int64_t length = file.Length();
    if (length < kTail) {
        // A bare ID3v2 tag shorter than a record has no ID3v1 tag; any other
        // file that short (a tag cut short included) cannot be read.
        const bool bareTag = m_hasID3V2 && static_cast<int64_t>(TagExtent(file.ReadAt(0, 10))) <= length;
        if (length >= ID3V1Tag::kTagLength || !bareTag) {
            m_id3v1Record = file.ReadExact(length - ID3V1Tag::kTagLength, ID3V1Tag::kTagLength);
        }
        return;
    }
    const Bytes tail = file.ReadExact(length - kTail, static_cast<size_t>(kTail));
    m_id3v1Record.assign(tail.begin() + kTrailer, tail.end());
    // A Lyrics3 tag ends in front of the ID3v1 tag, or at the end of the file.
    m_trailerHasID3v1 = StartsWithTag(m_id3v1Record);
    const auto from = m_trailerHasID3v1 ? tail.begin() : tail.end() - kTrailer;
    m_lyricsTrailer.assign(from, from + kTrailer);
}

korvel::CodePage FileHandler::WritingCodePage() const {
    const CodePageChoice choice = m_codePageChoice.value_or(DefaultCodePage());
    return choice.IsAutomatic() ? m_codePage : choice.Page();
}

void FileHandler::DetectFileCodePage() {
    // All single-byte texts of the file together: the ID3v1 fields, the
    // Lyrics3 fields (read once more, in the detected page, when asked for)
    // and the ID3v2 frames in encoding 0.
    std::vector<std::string> texts;
    if (StartsWithTag(m_id3v1Record)) texts = ID3V1Tag::LegacyTexts(m_id3v1Record);
    if (!m_lyricsTrailer.empty() && korvel::LyricsTag::IsTrailer(m_lyricsTrailer)) {
        try {
            korvel::LyricsTag lyrics;
            lyrics.Load(m_fileName, m_trailerHasID3v1, &m_lyricsTrailer);
            texts.insert(texts.end(), lyrics.LegacyTexts().begin(), lyrics.LegacyTexts().end());
        } catch (...) {
            // A malformed Lyrics3 tag gives no evidence; reading it later
            // reports the failure.
        }
    }
    if (m_hasID3V2) {
        const std::vector<std::string> id3v2 = SingleByteTexts(m_id3v2Bytes);
        texts.insert(texts.end(), id3v2.begin(), id3v2.end());
    }
    m_codePage = DetectCodePage(texts);
    if (m_hasID3V2 && !m_codePage.IsDefault()) {
        m_id3v2->Init(m_fileName, m_id3v2Header, m_id3v2Bytes, m_codePage);
    }
}

EID3TagConstants FileHandler::readTag() {
    if (!FileExists(m_fileName)) {
        m_error->Set(1, "Read Tag", "File does not exist.");
        return ID3Unknown;
    }
    try {
        BinaryFile file(m_fileName);
        if (file.Length() > ID3V1Tag::kTagLength) return ReadID3v1FromFile(file);
        return ID3Unknown;
    } catch (...) {
        m_error->CopyError();
        return ID3Unknown;
    }
}

bool FileHandler::HasTag() const {
    if (!FileExists(m_fileName)) return false;
    BinaryFile file(m_fileName);
    const int64_t size = file.Length();
    if (size <= ID3V1Tag::kTagLength) return false;
    return StartsWithTag(file.ReadAt(size - ID3V1Tag::kTagLength, 3));
}

bool FileHandler::writeID3v1xTag() {
    // The end of the file changes: what Create read there no longer holds.
    m_lyricsTrailer.clear();
    if (m_id3v1->TagType() == ID3Unknown) {
        m_error->Set(1, "Write Tag", "Tag unknown.");
        return false;
    }
    if (!FileExists(m_fileName)) {
        m_error->Set(1, "Write Tag", "File does not exist.");
        return false;
    }
    try {
        Bytes record = m_id3v1->EncodeRecord(WritingCodePage());
        // The new file (the audio, then the record in place of an old one) is
        // built beside the original and replaces it whole: a write that stops
        // half way never leaves a damaged file.
        const bool replacing = HasTag();
        BinaryFile source(m_fileName);
        ReplacementFile replacement(m_fileName);
        const int64_t keep = source.Length() - (replacing ? ID3V1Tag::kTagLength : 0);
        replacement.AppendFrom(source, 0, keep);
        replacement.Write(record);
        replacement.Commit();
        return true;
    } catch (...) {
        m_error->CopyError();
        return false;
    }
}

bool FileHandler::removeID3V1xTag() {
    try {
        FileHandler other;
        other.SetFileName(m_fileName);
        if (!other.HasTag()) {
            m_error->Set(1, "RemoveTag", "The file has no ID3v1x tag.");
            return false;
        }
        m_lyricsTrailer.clear();
        FileRoutines().CutFileBytes(m_fileName, ID3V1Tag::kTagLength);
        return true;
    } catch (...) {
        m_error->CopyError();
        return false;
    }
}

bool FileHandler::createID3V2Tag(ID3V230Ptr theTag) {
    if (m_hasID3V2 || !theTag) return false;
    m_lyricsTrailer.clear();
    auto tag = std::make_shared<ID3V230>();
    tag->AttachFile(m_fileName);
    // The file holds ID3v2 frames after all.
    if (tag->FrameCount() > 0) return false;
    for (const TagFieldInfo& field : TagFields()) {
        if (field.field != TagField::Year) tag->SetFieldValue(field.field, theTag->FieldValue(field.field));
    }
    tag->setPicture(theTag->Picture());
    // A tag without a year does not get the year 0.
    if (!theTag->FrameValue(ID3FID_YEAR).IsBlank()) tag->setYear(theTag->Year());
    if (tag->UpdateTag(ID3TT_ID3V2)) return true;
    m_error->Set(2, "createID3V2Tag", tag->LastFailure());
    return false;
}

}  // namespace korvel
