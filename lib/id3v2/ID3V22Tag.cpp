#include "id3v2/ID3V22Tag.h"

#include "core/Ansi.h"
#include "id3v2/FrameText.h"

namespace korvel {

namespace {

constexpr int64_t kFrameHeaderSize = 6;
constexpr uint8_t kTagRejectedFlags = 0x0C;

}  // namespace

int64_t ID3V22Frame::TotalSize() const {
    return static_cast<int64_t>(BytesToLong(m_sizeBytes, 0, 3)) + kFrameHeaderSize;
}

std::string ID3V22Frame::TextData() const {
    // Only text frames in the two encodings of this version are decoded.
    if (m_id.empty() || m_id[0] != 'T' || m_data.empty() || m_data[0] > 1) return "";
    return frametext::TextData(m_id, m_data, false);
}

bool ID3V22Frame::ParseFrame(std::span<const uint8_t> record) {
    if (record.size() < static_cast<size_t>(kFrameHeaderSize)) return false;
    if (record[0] == 0) {
        m_paddingReached = true;
        return false;
    }
    const Bytes head(record.begin(), record.begin() + kFrameHeaderSize);
    m_id = BytesToString(head, 0, 3);
    m_sizeBytes.assign(head.begin() + 3, head.end());
    const int32_t size = BytesToLong(m_sizeBytes, 0, 3);
    if (size < 1) {
        m_id = "   ";
        return true;
    }
    if (static_cast<int64_t>(record.size()) < kFrameHeaderSize + size) return false;
    m_data.assign(record.begin() + kFrameHeaderSize, record.begin() + kFrameHeaderSize + size);
    return true;
}

bool ID3V22Tag::LoadFromFile(const BinaryFile& file, int64_t fileLength, int32_t tagPosition,
                             const ID3V2Header& header) {
    BeginLoad(header, fileLength, tagPosition);
    try {
        if (header.Flags & kTagRejectedFlags) return false;
        Bytes data;
        if (ReadTagData(file, data) && ParseFrames(data)) return true;
    } catch (...) {
    }
    ClearFrames();
    return false;
}

bool ID3V22Tag::ParseFrames(const Bytes& data) {
    const int64_t size = static_cast<int64_t>(data.size());
    // A lone byte at the end is not read.
    return CollectFrames(0, size - 1, size, [&](int64_t pos, ID3V22Frame& frame) {
        const int64_t frameSize =
            static_cast<int64_t>(BytesToLong(data, static_cast<int32_t>(pos + 3), 3)) +
            kFrameHeaderSize;
        if (pos + frameSize > size) return false;
        return frame.ParseFrame(
            std::span<const uint8_t>(data.data() + pos, static_cast<size_t>(frameSize)));
    });
}

}  // namespace korvel
