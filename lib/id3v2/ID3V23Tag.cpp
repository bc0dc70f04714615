#include "id3v2/ID3V23Tag.h"

#include "core/Ansi.h"
#include "core/Numeric.h"
#include "id3v2/FrameText.h"

namespace korvel {

namespace {

constexpr int64_t kFrameHeaderSize = 10;

constexpr uint8_t kCompressed = 0x80;
constexpr uint8_t kEncrypted = 0x40;
constexpr uint8_t kGrouped = 0x20;

constexpr uint8_t kTagExtendedHeader = 0x40;
constexpr uint8_t kTagRejectedFlags = 0x0E;

}  // namespace

// ---------------------------------------------------------------- frame

std::string ID3V23Frame::ID() const {
    return m_updatableFrame ? m_updatableFrame->FrameAbbr() : m_id;
}

int64_t ID3V23Frame::TotalSize() const {
    if (m_updatableFrame) {
        int64_t total = 0;
        for (const ID3V230FieldPtr& field : *m_updatableFrame->colFields) total += field->lSize;
        return total;
    }
    return static_cast<int64_t>(BytesToLong(m_sizeBytes, 0, 4)) + kFrameHeaderSize;
}

Bytes ID3V23Frame::removeHeader() const { return frametext::RemoveHeader(m_id, m_data); }

PicturePtr ID3V23Frame::createPicture() const {
    if (m_updatableFrame) return m_updatableFrame->Picture;
    return PictureFromBytes(removeHeader());
}

Bytes ID3V23Frame::PictureRAW() const {
    return m_updatableFrame ? m_updatableFrame->PictureRAW() : removeHeader();
}

std::string ID3V23Frame::TextData() const {
    if (m_updatableFrame) return m_updatableFrame->vValue.ToString();
    return frametext::TextData(m_id, m_data, m_encrypted);
}

std::string ID3V23Frame::Description() const {
    return m_updatableFrame ? m_updatableFrame->sDescription : "";
}

std::string ID3V23Frame::Language() const {
    return m_updatableFrame ? m_updatableFrame->vLanguage.ToString() : "";
}

bool ID3V23Frame::ParseFrame(std::span<const uint8_t> record) {
    if (record.size() < static_cast<size_t>(kFrameHeaderSize)) return false;
    if (record[0] == 0) {
        m_paddingReached = true;
        return false;
    }
    const Bytes head = frametext::Slice(record, 0, kFrameHeaderSize);
    m_id = BytesToString(head, 0, 4);
    m_sizeBytes = frametext::Slice(record, 4, 4);
    m_statusFlags = record[8];
    m_formatFlags = record[9];
    const int32_t size = BytesToLong(m_sizeBytes, 0, 4);
    if (size < 0) return false;
    if (size < 1) {
        m_id = "    ";
        return true;
    }
    // The record must hold exactly the frame the size field describes.
    if (static_cast<int64_t>(record.size()) < kFrameHeaderSize + size) return false;

    size_t hdr = kFrameHeaderSize;
    if (m_formatFlags & kCompressed) {
        if (hdr + 4 > record.size()) return false;
        m_decompressedSize = frametext::Slice(record, hdr, 4);
        hdr += 4;
    }
    if (m_formatFlags & kEncrypted) {
        if (hdr + 1 > record.size()) return false;
        m_encryptionMethod = record[hdr];
        hdr += 1;
    }
    if (m_formatFlags & kGrouped) {
        if (hdr + 1 > record.size()) return false;
        m_groupIdentifier = record[hdr];
        hdr += 1;
    }
    m_extraHeaderBytes = static_cast<int32_t>(hdr - kFrameHeaderSize);
    if (size < m_extraHeaderBytes) return false;
    m_data = frametext::Slice(record, hdr, static_cast<size_t>(size - m_extraHeaderBytes));

    if (m_formatFlags & kEncrypted) {
        m_encrypted = true;
        return true;
    }
    if (m_formatFlags & kCompressed) return Decompress();
    return true;
}

bool ID3V23Frame::Decompress() {
    return frametext::InflateFrameData(m_data, BytesToLong(m_decompressedSize, 0, 4));
}

// ---------------------------------------------------------------- tag

ID3V23Tag::ID3V23Tag() = default;

bool ID3V23Tag::AttachUpdatable(const std::string& fileName) {
    try {
        m_updatableTag->AttachFile(fileName);
    } catch (...) {
        m_error->CopyError();
        return false;
    }
    m_updatable = true;
    return true;
}

int32_t ID3V23Tag::FrameCount() const {
    return m_updatable ? m_updatableTag->Frames()->Count() : ID3V2FrameReader::FrameCount();
}

ID3V23FramePtr ID3V23Tag::GetFrameByIndex(int32_t Index) const {
    if (!m_updatable) return ID3V2FrameReader::GetFrameByIndex(Index);
    const ID3V230FramePtr source = m_updatableTag->Frames()->Item(Index);
    if (!source) return nullptr;
    auto frame = std::make_shared<ID3V23Frame>();
    frame->WrapUpdatableFrame(source);
    return frame;
}

std::string ID3V23Tag::Artist() const {
    return m_updatable ? m_updatableTag->Artist() : GetText("TPE1");
}
void ID3V23Tag::setArtist(const std::string& value) {
    if (m_updatable) m_updatableTag->setArtist(value);
}
std::string ID3V23Tag::Album() const {
    return m_updatable ? m_updatableTag->Album() : GetText("TALB");
}
void ID3V23Tag::setAlbum(const std::string& value) {
    if (m_updatable) m_updatableTag->setAlbum(value);
}
std::string ID3V23Tag::Title() const {
    return m_updatable ? m_updatableTag->Title() : GetText("TIT2");
}
void ID3V23Tag::setTitle(const std::string& value) {
    if (m_updatable) m_updatableTag->setTitle(value);
}

std::string ID3V23Tag::GenreID() const {
    return m_updatable ? "" : frametext::GenreIDText(GetText("TCON"));
}

std::string ID3V23Tag::Genre() const {
    return m_updatable ? m_updatableTag->Genre() : frametext::GenreText(GetText("TCON"));
}
void ID3V23Tag::setGenre(const std::string& value) {
    if (m_updatable) m_updatableTag->setGenre(value);
}

bool ID3V23Tag::splittedGenre(int16_t& GenreID, std::string& GenreDescription) {
    if (m_updatable) return m_updatableTag->SplitGenre(GenreID, GenreDescription);
    const std::string text = GetText("TCON");
    if (!text.empty() && text[0] == '(') {
        GenreDescription = frametext::GenreText(text);
        // The number in parentheses, when it is one.
        if (const auto number = ParseNumber(frametext::GenreIDText(text))) {
            if (const auto id = ToInt16(*number)) GenreID = *id;
        }
    }
    return true;
}

std::string ID3V23Tag::Track() const {
    return m_updatable ? m_updatableTag->Track() : GetText("TRCK");
}
void ID3V23Tag::setTrack(const std::string& value) {
    if (m_updatable) m_updatableTag->setTrack(value);
}

std::string ID3V23Tag::Year() const {
    return m_updatable ? std::to_string(m_updatableTag->Year()) : GetText("TYER");
}

void ID3V23Tag::setYear(const std::string& value) {
    if (!m_updatable) return;
    // An empty year removes the year instead of storing 0.
    if (TrimBlanks(value).empty()) {
        m_updatableTag->SetFrameValue(ID3FID_YEAR, TagValue(std::string()));
        return;
    }
    int16_t year = 0;
    if (const auto number = ParseNumber(value)) {
        if (const auto converted = ToInt16(*number)) year = *converted;
    }
    // A tag without a year reads as year 0; writing that 0 back must not give
    // the file a year it never had.
    if (year == 0 && m_updatableTag->FrameValue(ID3FID_YEAR).IsEmpty()) return;
    m_updatableTag->setYear(year);
}

bool ID3V23Tag::removeTag() {
    if (!m_updatable) return RefuseRemoving("Remove functionality");
    const int32_t code = m_updatableTag->StripTag(ID3TT_ID3V2);
    if (code == 0) return true;
    m_error->Set(1, "removeTag", "Unable to remove the tag: " + ID3ErrorText(code));
    return false;
}

bool ID3V23Tag::canSave() {
    std::string message;
    const bool available = m_updatableTag->CheckLibrary(message);
    if (!available) m_error->Set(1, "canSave", "Saving is not supported.\r\n\r\n" + message);
    return available;
}

bool ID3V23Tag::saveTag() {
    if (!m_updatable) return RefuseSaving("saveTag");
    const bool saved = m_updatableTag->UpdateTag(ID3TT_ID3V2);
    m_error->Set(2, "saveTag", "Unable to save the ID3v23 tag.");
    return saved;
}

PicturePtr ID3V23Tag::Picture() const {
    if (m_updatable) return m_updatableTag->Picture();
    const ID3V23FramePtr frame = GetFrameByID("APIC");
    return frame ? frame->createPicture() : nullptr;
}
void ID3V23Tag::setPicture(const PicturePtr& value) {
    if (m_updatable) m_updatableTag->setPicture(value);
}

// The text properties: read from the updatable tag or from the frame of that
// ID; written to the updatable tag only.
#define KORVEL_V23_TEXT(NAME, SETTER, FRAME, SOURCE, SOURCE_SETTER)          \
    std::string ID3V23Tag::NAME() const {                                    \
        return m_updatable ? m_updatableTag->SOURCE() : GetText(FRAME);      \
    }                                                                        \
    void ID3V23Tag::SETTER(const std::string& value) {                       \
        if (m_updatable) m_updatableTag->SOURCE_SETTER(value);               \
    }

KORVEL_V23_TEXT(LyricsUnsynced, setLyricsUnsynced, "USLT", LyricsUnsynced, setLyricsUnsynced)
KORVEL_V23_TEXT(LyricsSynced, setLyricsSynced, "SYLT", LyricsSynced, setLyricsSynced)
KORVEL_V23_TEXT(UserURL, setUserURL, "WXXX", UserURL, setUserURL)
KORVEL_V23_TEXT(Comment, setComment, "COMM", Comments, setComments)
KORVEL_V23_TEXT(Composer, setComposer, "TCOM", Composer, setComposer)
KORVEL_V23_TEXT(OriginalArtist, setOriginalArtist, "TOPE", OriginalArtist, setOriginalArtist)
KORVEL_V23_TEXT(Copyright, setCopyright, "TCOP", Copyright, setCopyright)
KORVEL_V23_TEXT(EncodedBy, setEncodedBy, "TENC", EncodedBy, setEncodedBy)

#undef KORVEL_V23_TEXT

bool ID3V23Tag::LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                             const ID3V2Header& header) {
    BeginLoad(header, fileLength, tagPosition);
    m_extendedHeaderSize.clear();
    try {
        if (header.Flags & kTagRejectedFlags) return false;
        Bytes data;
        if (!ReadTagData(file, data)) return false;
        int64_t start = 0;
        if (header.Flags & kTagExtendedHeader) {
            if (data.size() < 4) return false;
            const int32_t extendedSize = BytesToLong(data, 0, 4);
            if (extendedSize < 1) return false;
            m_extendedHeaderSize.assign(data.begin(), data.begin() + 4);
            start = static_cast<int64_t>(extendedSize) + 4;
        }
        if (ParseFrames(data, start)) return true;
    } catch (...) {
    }
    ClearFrames();
    return false;
}

bool ID3V23Tag::ParseFrames(const Bytes& data, int64_t start) {
    const int64_t size = static_cast<int64_t>(data.size());
    // A lone byte at the end is not read.
    return CollectFrames(start, size - 1, size, [&](int64_t pos, ID3V23Frame& frame) {
        const int32_t sizeField = BytesToLong(data, static_cast<int32_t>(pos + 4), 4);
        if (sizeField < 0) return false;
        const int64_t frameSize = static_cast<int64_t>(sizeField) + kFrameHeaderSize;
        if (pos + frameSize > size) return false;
        return frame.ParseFrame(
            std::span<const uint8_t>(data.data() + pos, static_cast<size_t>(frameSize)));
    });
}

}  // namespace korvel
