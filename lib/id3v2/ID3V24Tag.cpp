#include "id3v2/ID3V24Tag.h"

#include "core/Ansi.h"
#include "id3v2/FrameText.h"

namespace korvel {

namespace {

constexpr size_t kFrameHeaderSize = 10;

constexpr uint8_t kGrouped = 0x40;
constexpr uint8_t kCompressed = 0x08;
constexpr uint8_t kEncrypted = 0x04;
constexpr uint8_t kUnsynchronised = 0x02;
constexpr uint8_t kDataLengthIndicator = 0x01;

constexpr uint8_t kTagUnsynchronised = 0x80;
constexpr uint8_t kTagExtendedHeader = 0x40;
constexpr uint8_t kTagFooter = 0x10;
constexpr uint8_t kTagRejectedFlags = 0x0F;

}  // namespace

// ---------------------------------------------------------------- frame

int64_t ID3V24Frame::TotalSize() const {
    return static_cast<int64_t>(SyncsafeToLong(m_sizeBytes)) +
           static_cast<int64_t>(kFrameHeaderSize);
}

Bytes ID3V24Frame::removeHeader() const { return frametext::RemoveHeader(m_id, m_data); }

PicturePtr ID3V24Frame::createPicture() const { return PictureFromBytes(removeHeader()); }

std::string ID3V24Frame::TextData() const {
    return frametext::TextData(m_id, m_data, m_encrypted);
}

bool ID3V24Frame::ParseFrame(std::span<const uint8_t> tagData, size_t offset, int64_t position,
                             bool tagUnsynchronised) {
    m_position = position;
    if (offset >= tagData.size()) return false;
    if (tagData[offset] == 0) {
        m_paddingReached = true;
        return false;
    }
    // The frame header must lie inside the tag.
    if (tagData.size() - offset < kFrameHeaderSize) return false;
    const Bytes head = frametext::Slice(tagData, offset, kFrameHeaderSize);
    m_id = BytesToString(head, 0, 4);
    m_sizeBytes = frametext::Slice(tagData, offset + 4, 4);
    m_statusFlags = head[8];
    m_formatFlags = head[9];
    const int32_t size = SyncsafeToLong(m_sizeBytes);
    if (size <= 0) {
        m_id = "    ";
        return true;
    }
    // So must its data.
    const size_t frameEnd = offset + kFrameHeaderSize + static_cast<size_t>(size);
    if (frameEnd > tagData.size()) return false;

    size_t p = offset + kFrameHeaderSize;
    if (m_formatFlags & kGrouped) {
        if (p + 1 > frameEnd) return false;
        m_groupIdentifier = tagData[p];
        p += 1;
    }
    if (m_formatFlags & kEncrypted) {
        if (p + 1 > frameEnd) return false;
        m_encryptionMethod = tagData[p];
        p += 1;
    }
    if (m_formatFlags & kDataLengthIndicator) {
        if (p + 4 > frameEnd) return false;
        m_dataLengthIndicator = frametext::Slice(tagData, p, 4);
        p += 4;
    }
    m_extraHeaderBytes = static_cast<int32_t>(p - offset - kFrameHeaderSize);
    m_data = frametext::Slice(tagData, p, frameEnd - p);

    if ((m_formatFlags & kUnsynchronised) || tagUnsynchronised) {
        Bytes plain;
        if (!RemoveUnsynchronisation(m_data, plain)) return false;
        if (m_formatFlags & kDataLengthIndicator) {
            const int64_t limit = static_cast<int64_t>(SyncsafeToLong(m_dataLengthIndicator)) + 1;
            if (static_cast<int64_t>(plain.size()) > limit) return false;
        }
        m_data = std::move(plain);
    }
    if (m_formatFlags & kEncrypted) {
        m_encrypted = true;
        return true;
    }
    if (m_formatFlags & kCompressed) return Decompress();
    return true;
}

bool ID3V24Frame::Decompress() {
    return frametext::InflateFrameData(m_data, SyncsafeToLong(m_dataLengthIndicator));
}

// ---------------------------------------------------------------- tag

std::string ID3V24Tag::GenreID() const { return frametext::GenreIDText(GetText("TCON")); }

std::string ID3V24Tag::Genre() const { return frametext::GenreText(GetText("TCON")); }

bool ID3V24Tag::LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                             const ID3V2Header& header) {
    BeginLoad(header, fileLength, tagPosition);
    m_extendedHeaderSize.clear();
    m_footer = ID3V2Header();
    try {
        const bool hasFooter = (header.Flags & kTagFooter) != 0;
        const int64_t dataSize = SyncsafeToLong(header.SizeBytes());
        const int64_t totalSize = dataSize + 10 + (hasFooter ? 10 : 0);
        if (header.Flags & kTagRejectedFlags) return false;
        // The tag must end before the last byte of the file.
        if (tagPosition + totalSize >= fileLength) return false;
        if (dataSize < 0) return false;

        // One read for the tag data and the footer behind it.
        const Bytes all = file.ReadExact(tagPosition - 1 + 10,
                                         static_cast<size_t>(dataSize + (hasFooter ? 10 : 0)));
        const std::span<const uint8_t> tagData(all.data(), static_cast<size_t>(dataSize));

        size_t first = 0;
        if (header.Flags & kTagExtendedHeader) {
            if (tagData.size() < 4) return false;
            m_extendedHeaderSize = frametext::Slice(tagData, 0, 4);
            // The size counts the whole extended header, its size bytes included.
            first = static_cast<size_t>(SyncsafeToLong(m_extendedHeaderSize));
        }
        if (ParseFrames(tagData, first)) {
            if (!hasFooter) return true;
            const ID3V2Header footer =
                ID3V2Header::FromBytes(frametext::Slice(all, static_cast<size_t>(dataSize), 10));
            if (footer.Identifier[0] == '3' && footer.Identifier[1] == 'D' &&
                footer.Identifier[2] == 'I' &&
                SyncsafeToLong(footer.SizeBytes()) == SyncsafeToLong(header.SizeBytes()) &&
                footer.Flags == header.Flags && footer.MajorVersion == header.MajorVersion &&
                footer.RevisionNumber == header.RevisionNumber) {
                m_footer = footer;
                return true;
            }
        }
    } catch (...) {
    }
    ClearFrames();
    return false;
}

bool ID3V24Tag::ParseFrames(std::span<const uint8_t> tagData, size_t first) {
    const int64_t end = static_cast<int64_t>(tagData.size());
    const bool unsynchronised = (m_header.Flags & kTagUnsynchronised) != 0;
    return CollectFrames(static_cast<int64_t>(first), end, end,
                         [&](int64_t pos, ID3V24Frame& frame) {
                             const int64_t position = m_tagPosition + 10 + pos;
                             return frame.ParseFrame(tagData, static_cast<size_t>(pos), position,
                                                     unsynchronised);
                         });
}

}  // namespace korvel
