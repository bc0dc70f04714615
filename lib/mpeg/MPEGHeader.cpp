#include "mpeg/MPEGHeader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "core/BinaryFile.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "id3v2/ID3V2Helpers.h"

namespace korvel {

namespace {

// The header fields, by their bit positions in the big-endian 32-bit value.
int32_t SyncBits(int32_t v) { return ShiftRight(v, 21) & 0x7FF; }
int32_t VersionBits(int32_t v) { return ShiftRight(v, 19) & 0x3; }
int32_t LayerBits(int32_t v) { return ShiftRight(v, 17) & 0x3; }
int32_t ProtectionField(int32_t v) { return ShiftRight(v, 16) & 0x1; }
int32_t BitRateBits(int32_t v) { return ShiftRight(v, 12) & 0xF; }
int32_t SamplingBits(int32_t v) { return ShiftRight(v, 10) & 0x3; }
int32_t PaddingField(int32_t v) { return ShiftRight(v, 9) & 0x1; }
int32_t PrivateField(int32_t v) { return ShiftRight(v, 8) & 0x1; }
int32_t ChannelBits(int32_t v) { return ShiftRight(v, 6) & 0x3; }
int32_t CopyrightField(int32_t v) { return ShiftRight(v, 3) & 0x1; }
int32_t OriginalField(int32_t v) { return ShiftRight(v, 2) & 0x1; }
int32_t EmphasisBits(int32_t v) { return v & 0x3; }

constexpr int32_t kMPEG1 = 3;
constexpr int32_t kReservedVersion = 1;
constexpr int32_t kLayerI = 3;
constexpr int32_t kLayerII = 2;
constexpr int32_t kLayerIII = 1;
constexpr int32_t kSingleChannel = 3;

// MPEG 1 Layer II allows 32, 48, 56 and 80 kbit/s only in single-channel
// mode and 224, 256, 320 and 384 kbit/s only in the two-channel modes.
bool IsForbiddenLayerIIPair(int32_t versionId, int32_t layerId, int32_t index, int32_t mode) {
    if (versionId != kMPEG1 || layerId != kLayerII) return false;
    const bool monoOnly = index == 1 || index == 2 || index == 3 || index == 5;
    const bool stereoOnly = index >= 11 && index <= 14;
    return mode == kSingleChannel ? stereoOnly : monoOnly;
}

int32_t Saturate32(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

[[noreturn]] void ThrowOverflow(const char* source) { throw KorvelException(source, "Overflow"); }

// Distance from the frame header to a Xing header in the first frame.
int64_t XingDistance(int32_t versionId, int32_t channelMode) {
    if (versionId == kMPEG1) return channelMode == kSingleChannel ? 21 : 36;
    return channelMode == kSingleChannel ? 13 : 21;
}

// Bytes a frame holds per kbit/s of bit rate, per Hz of sampling frequency
// (samples per frame / 8): 384 samples in Layer I, 1152 in Layer II and in
// MPEG 1 Layer III, 576 in MPEG 2 and 2.5 Layer III.
double BytesPerKbit(int32_t versionId, int32_t layerId) {
    if (layerId == kLayerI) return 48;
    if (layerId == kLayerIII && versionId != kMPEG1) return 72;
    return 144;
}

}  // namespace

bool IsValidFrameHeader(int32_t value) {
    if (SyncBits(value) != 0x7FF) return false;
    const int32_t index = BitRateBits(value);
    const int32_t versionId = VersionBits(value);
    const int32_t layerId = LayerBits(value);
    if (index == 15 || index == 0 || versionId == kReservedVersion || layerId == 0 ||
        SamplingBits(value) == 3 || EmphasisBits(value) == 2) {
        return false;
    }
    return !IsForbiddenLayerIIPair(versionId, layerId, index, ChannelBits(value));
}

MPEGHeader::MPEGHeader() { InitTables(); }

void MPEGHeader::InitTables() {
    m_versionTexts = {"MPEG 2.5", "Reserved", "MPEG 2.0", "MPEG 1.0"};
    m_layerTexts = {"Reserved", "3", "2", "1"};
    m_modeTexts = {"Stereo", "Joint Stereo", "Dual Channel", "Single Channel"};
    m_frequencies = {
        {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}}};

    // Rows by (version id AND 1): 1 is MPEG 1, 0 is MPEG 2 and 2.5.
    // Columns by layer id: 3 Layer I, 2 Layer II, 1 Layer III.
    m_bitRates = {};
    m_bitRates[1][3] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
    m_bitRates[1][2] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
    m_bitRates[1][1] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    m_bitRates[0][3] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
    m_bitRates[0][2] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    m_bitRates[0][1] = m_bitRates[0][2];
}

int32_t MPEGHeader::TableBitRate(int32_t versionId, int32_t layerId, int32_t index) const {
    if (layerId < 0 || layerId > 3 || index < 0 || index > 15) return 0;
    return m_bitRates[static_cast<size_t>(versionId & 1)][static_cast<size_t>(layerId)]
                     [static_cast<size_t>(index)];
}

int32_t MPEGHeader::TableFrequency(int32_t versionId, int32_t samplingIndex) const {
    if (versionId < 0 || versionId > 3 || samplingIndex < 0 || samplingIndex > 2) return 0;
    return m_frequencies[static_cast<size_t>(versionId)][static_cast<size_t>(samplingIndex)];
}

std::string MPEGHeader::Version() const { return m_versionTexts[m_versionId & 3]; }
std::string MPEGHeader::Layer() const { return m_layerTexts[m_layerId & 3]; }
std::string MPEGHeader::Mode() const { return m_modeTexts[m_channelMode & 3]; }

int32_t MPEGHeader::Frequency() const { return TableFrequency(m_versionId, m_samplingIndex); }

int32_t MPEGHeader::FrameLength(int32_t value) const {
    if (!IsValidFrameHeader(value)) return 0;
    const int32_t versionId = VersionBits(value);
    const int32_t layerId = LayerBits(value);
    const int64_t bitRate = int64_t{TableBitRate(versionId, layerId, BitRateBits(value))} * 1000;
    const int64_t frequency = TableFrequency(versionId, SamplingBits(value));
    if (frequency == 0) return 0;
    const int64_t padding = PaddingField(value);
    // Layer I counts in slots of 4 bytes; the other layers in bytes.
    if (layerId == kLayerI) return static_cast<int32_t>((12 * bitRate / frequency + padding) * 4);
    const int64_t perSecond = static_cast<int64_t>(BytesPerKbit(versionId, layerId));
    return static_cast<int32_t>(perSecond * bitRate / frequency + padding);
}

bool MPEGHeader::SameStream(int32_t value, int32_t next) {
    return IsValidFrameHeader(next) && VersionBits(next) == VersionBits(value) &&
           LayerBits(next) == LayerBits(value) && SamplingBits(next) == SamplingBits(value);
}

int32_t MPEGHeader::BitRate() const {
    // CalculateValues keeps the value within range; the guard only protects
    // the conversion.
    const double floored = std::floor(m_bitRate);
    if (!(floored >= std::numeric_limits<int32_t>::min() &&
          floored <= std::numeric_limits<int32_t>::max())) {
        return 0;
    }
    return static_cast<int32_t>(floored);
}

int32_t MPEGHeader::NumFrames() const {
    if (m_xingFrames > 0) return m_xingFrames;
    if (m_frameSize == 0) return 0;
    return Saturate32(int64_t{m_audioSize} / m_frameSize);
}

std::string MPEGHeader::EmphasisText(int32_t id) {
    switch (id) {
        case 0: return "None";
        case 1: return "50/15ms";
        case 2: return "Unknown";
        case 3: return "CCITT j.17";
        default: return "";
    }
}

int32_t MPEGHeader::CalcFrameSize(int32_t bitRate, int32_t frequency, bool padding) {
    if (frequency == 0) throw KorvelException("CalcFrameSize", "Division by zero");
    const double size = std::trunc(static_cast<double>(bitRate) / frequency * 144 * 1000);
    if (!(size >= std::numeric_limits<int32_t>::min() + 1 &&
          size <= std::numeric_limits<int32_t>::max() - 1)) {
        ThrowOverflow("CalcFrameSize");
    }
    return static_cast<int32_t>(size) + (padding ? 1 : 0);
}

void MPEGHeader::Decode(int32_t value) {
    m_versionId = static_cast<uint8_t>(VersionBits(value));
    m_layerId = static_cast<uint8_t>(LayerBits(value));
    m_protectionBit = static_cast<uint8_t>(ProtectionField(value));
    m_bitRateIndex = static_cast<uint8_t>(BitRateBits(value));
    m_samplingIndex = static_cast<uint8_t>(SamplingBits(value));
    m_paddingBit = static_cast<uint8_t>(PaddingField(value));
    m_privateBit = static_cast<uint8_t>(PrivateField(value));
    m_channelMode = static_cast<uint8_t>(ChannelBits(value));
    m_copyrightBit = static_cast<uint8_t>(CopyrightField(value));
    m_originalBit = static_cast<uint8_t>(OriginalField(value));
    m_emphasisId = EmphasisBits(value);
    m_emphasisText = EmphasisText(m_emphasisId);
}

bool MPEGHeader::LoadHeaderEx(const BinaryFile& file, int64_t start) {
    m_headerFound = false;
    try {
        const int64_t length = file.Length();
        m_fileSize = Saturate32(length);
        if (start < 0) throw KorvelException("LoadHeaderEx", "Invalid start offset");

        // Candidates run from start to start + 15000 while 6 bytes remain
        // from the candidate; a window holds the 4 bytes of each of its
        // candidates. The first frame usually follows the tag straight away:
        // a short window is read first, the rest only when it holds none.
        const int64_t last = std::min(start + (kSearchOffsets - 1), length - 6);
        if (last < start) return false;
        constexpr int64_t kFirstWindow = 2048;
        Bytes window;
        int64_t from = start;
        int64_t found = -1;
        int32_t value = 0;
        while (found < 0 && from <= last) {
            const int64_t to = from == start ? std::min(last, start + kFirstWindow - 1) : last;
            window = file.ReadExact(from, static_cast<size_t>(to - from + 4));
            const uint8_t* const data = window.data();
            const size_t candidates = static_cast<size_t>(to - from + 1);
            size_t i = 0;
            while (i < candidates) {
                const void* hit = std::memchr(data + i, 0xFF, candidates - i);
                if (hit == nullptr) break;
                i = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
                if ((data[i + 1] & 0xE0) == 0xE0) {
                    // The big-endian value, as BytesToLong reads 4 bytes.
                    value = static_cast<int32_t>((uint32_t{data[i]} << 24) | (uint32_t{data[i + 1]} << 16) |
                                                 (uint32_t{data[i + 2]} << 8) | uint32_t{data[i + 3]});
                    if (IsValidFrameHeader(value)) {
                        found = from + static_cast<int64_t>(i);
                        break;
                    }
                }
                ++i;
            }
            if (found < 0) from = to + 1;
        }
        if (found < 0) return false;

        // The frame behind the candidate, when the file holds its header,
        // must be one of the same stream; otherwise the first candidate in
        // the rest of the range that passes this test is taken instead.
        auto followed = [&](int64_t at, int32_t header, const Bytes& bytes, int64_t bytesFrom) {
            const int64_t next = at + FrameLength(header);
            if (next + 4 > length) return true;
            const int64_t inBytes = next - bytesFrom;
            const int32_t nextValue =
                inBytes >= 0 && inBytes + 4 <= static_cast<int64_t>(bytes.size())
                    ? BytesToLong(bytes, static_cast<int32_t>(inBytes), 4)
                    : BytesToLong(file.ReadExact(next, 4), 0, 4);
            return SameStream(header, nextValue);
        };
        if (!followed(found, value, window, from)) {
            const Bytes rest = file.ReadExact(found + 1, static_cast<size_t>(last + 4 - found));
            for (int64_t at = found + 1; at <= last; ++at) {
                const size_t i = static_cast<size_t>(at - found - 1);
                if (rest[i] != 0xFF) continue;
                const int32_t candidate = BytesToLong(rest, static_cast<int32_t>(i), 4);
                if (IsValidFrameHeader(candidate) && followed(at, candidate, rest, found + 1)) {
                    window = file.ReadExact(at, static_cast<size_t>(std::min<int64_t>(last + 4 - at, kFirstWindow)));
                    from = at;
                    found = at;
                    value = candidate;
                    break;
                }
            }
        }

        m_headerOffset = Saturate32(found);
        m_vbr = false;
        m_xingFrames = 0;
        m_xingBytes = 0;
        m_vbrHeader = VBRHeaderKind::None;
        Decode(value);
        m_audioSize = Saturate32(length - found - 2);

        const size_t at = static_cast<size_t>(found - from);
        ReadVBRHeader(file, found, window.data() + at, window.size() - at);
        CalculateValues();
        m_headerFound = true;
        return true;
    } catch (...) {
        m_error->CopyError();
        return false;
    }
}

void MPEGHeader::ReadVBRHeader(const BinaryFile& file, int64_t h, const uint8_t* fields,
                               size_t available) {
    const int64_t length = file.Length();
    // count bytes from distance behind the frame header; bytes past the end
    // of the file read as 0.
    auto read = [&](int64_t distance, size_t count) {
        Bytes out(count, 0);
        if (static_cast<size_t>(distance) + count <= available) {
            std::memcpy(out.data(), fields + distance, count);
        } else {
            file.ReadAt(h + distance, out.data(), count);
        }
        return out;
    };

    // Xing: flags, then the frame count and the byte count, each present
    // with its flag (the byte count is read only behind a frame count).
    const int64_t xing = XingDistance(m_versionId, m_channelMode);
    if (h + xing + 13 < length) {
        const Bytes tag = read(xing, 16);
        const bool info = std::memcmp(tag.data(), "Info", 4) == 0;
        if (info || std::memcmp(tag.data(), "Xing", 4) == 0) {
            m_vbr = !info;
            m_vbrHeader = info ? VBRHeaderKind::Info : VBRHeaderKind::Xing;
            if (info) {
                const int32_t header = BytesToLong(read(0, 4), 0, 4);
                const int32_t size = FrameLength(header);
                if (size > 4) TakeStreamBitRate(header, BytesToLong(read(size, 4), 0, 4));
            }
            const int32_t flags = BytesToLong(tag, 4, 4);
            if ((flags & 1) != 0) {
                m_xingFrames = BytesToLong(tag, 8, 4);
                if ((flags & 2) != 0) {
                    m_xingBytes = BytesToLong(tag, 12, 4);
                    m_audioSize = m_xingBytes;
                }
            }
            return;
        }
    }

    // VBRI (Fraunhofer): 32 bytes behind the frame header in every layout;
    // version, delay and quality (2 bytes each), the byte count and the frame
    // count, then a seek table this class does not use. Read only when the
    // counts lie inside the file; a byte count of 0 leaves the audio size
    // to the file.
    constexpr int64_t kVBRIDistance = 4 + 32;
    constexpr size_t kVBRIFields = 18;
    if (h + kVBRIDistance + static_cast<int64_t>(kVBRIFields) > length) return;
    const Bytes tag = read(kVBRIDistance, kVBRIFields);
    if (std::memcmp(tag.data(), "VBRI", 4) != 0) return;
    m_vbr = true;
    m_vbrHeader = VBRHeaderKind::VBRI;
    m_xingBytes = BytesToLong(tag, 10, 4);
    m_xingFrames = BytesToLong(tag, 14, 4);
    if (m_xingBytes > 0) m_audioSize = m_xingBytes;
}

void MPEGHeader::TakeStreamBitRate(int32_t header, int32_t next) {
    // The frame that carries an Info header is often written at the lowest
    // bit rate that holds it, not at the stream's: the frame behind it,
    // when it is one of the same stream, tells the stream's bit rate.
    if (SameStream(header, next)) m_bitRateIndex = static_cast<uint8_t>(BitRateBits(next));
}

std::string MPEGHeader::VBRHeaderName() const {
    switch (m_vbrHeader) {
        case VBRHeaderKind::Xing: return "Xing";
        case VBRHeaderKind::Info: return "Info";
        case VBRHeaderKind::VBRI: return "VBRI";
        default: return "";
    }
}

void MPEGHeader::CalculateValues() {
    const int32_t frequency = Frequency();
    double average = 0;
    if (m_xingFrames >= 1) average = static_cast<double>(m_audioSize) / m_xingFrames;

    if (m_vbr) {
        if (m_xingFrames >= 1) {
            m_bitRate = frequency * average / (BytesPerKbit(m_versionId, m_layerId) * 1000);
        } else {
            m_bitRate = -1;
        }
    } else {
        m_bitRate = TableBitRate(m_versionId, m_layerId, m_bitRateIndex);
    }
    const double floored = std::floor(m_bitRate);
    if (!(floored >= std::numeric_limits<int32_t>::min() &&
          floored <= std::numeric_limits<int32_t>::max())) {
        ThrowOverflow("CalculateValues");
    }

    if (m_bitRate > 0) {
        const std::optional<int32_t> ms = ToInt32(m_audioSize / m_bitRate * 8);
        if (!ms) ThrowOverflow("CalculateValues");
        m_duration = *ms / 1000;
        m_exactDuration = m_audioSize / m_bitRate * 8 / 1000;
    } else {
        m_duration = -1;
        m_exactDuration = -1;
    }

    std::optional<int16_t> frameSize;
    if (m_xingFrames > 0) {
        frameSize = ToInt16(average);
    } else {
        frameSize = ToInt16(CalcFrameSize(BitRate(), frequency, PaddingBit()));
    }
    if (!frameSize) ThrowOverflow("CalculateValues");
    m_frameSize = *frameSize;
}

}  // namespace korvel
