#pragma once
// The first MPEG audio frame header of a file, and the VBR header the first
// frame may carry ("Xing", or Fraunhofer's "VBRI"): version, layer, channel
// mode, bit rate, sampling frequency, duration, frame size and frame count,
// as numbers and as texts.
// The file handler owns one and reloads it on every Create.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "errors/cError.h"

namespace korvel {

class BinaryFile;
struct XmlElement;  // xml/XmlNodes.h

// True when the 32-bit big-endian value is a frame header this library
// accepts: 11 sync bits, no reserved version, layer, sampling-rate index or
// emphasis, no free-format or "bad" bit-rate index, and no MPEG 1 Layer II
// bit-rate/channel-mode pair that the MPEG audio standard forbids.
bool IsValidFrameHeader(int32_t value);

// Which VBR header the first frame carries. Info is the Xing layout that
// encoders write into the first frame of a constant-bit-rate stream.
enum class VBRHeaderKind { None, Xing, VBRI, Info };

class MPEGHeader {
public:
    // Number of candidate offsets tried behind the start offset (inclusive).
    static constexpr int32_t kSearchOffsets = 15001;

    MPEGHeader();

    std::string Version() const;
    int32_t VersionID() const { return m_versionId; }
    std::string Layer() const;
    int32_t LayerID() const { return m_layerId; }
    std::string Mode() const;
    int32_t ModeID() const { return m_channelMode; }
    // The bit rate in kbit/s rounded down; -1 for a VBR header without a
    // usable frame count.
    int32_t BitRate() const;
    int32_t Frequency() const;
    // Seconds; -1 when unknown.
    int32_t Duration() const { return m_duration; }
    // The duration in seconds with its fraction, of which Duration is the
    // whole milliseconds' seconds; -1 when unknown.
    double ExactDuration() const { return m_exactDuration; }
    // True when a CRC follows the header (protection bit clear).
    bool CRC() const { return m_protectionBit == 0; }
    bool Copyright() const { return m_copyrightBit != 0; }
    bool Original() const { return m_originalBit != 0; }
    bool VBR() const { return m_vbr; }
    int32_t AudioSize() const { return m_audioSize; }
    int32_t FrameSize() const { return m_frameSize; }
    std::string Emphasis() const { return m_emphasisText; }
    int16_t EmphasisID() const { return static_cast<int16_t>(m_emphasisId); }
    int32_t FileSize() const { return m_fileSize; }
    bool PaddingBit() const { return m_paddingBit != 0; }
    bool PrivateBit() const { return m_privateBit != 0; }
    bool ProtectionBit() const { return m_protectionBit != 0; }
    // The VBR header's frame count when there is one, otherwise audio size
    // divided by frame size (0 when the frame size is 0).
    int32_t NumFrames() const;

    // True when the last LoadHeaderEx found a frame header (and the fields
    // describe it).
    bool HeaderFound() const { return m_headerFound; }
    // Offset of the accepted header in the file.
    int32_t HeaderOffset() const { return m_headerOffset; }
    // The VBR header found in the first frame; a VBRI header answers the
    // Xing accessors below as a Xing header would.
    VBRHeaderKind VBRHeader() const { return m_vbrHeader; }
    // "Xing", "VBRI", or "" without a VBR header.
    std::string VBRHeaderName() const;
    // Frame count of the VBR header (0 without one or when not given).
    int32_t XingFrameCount() const { return m_xingFrames; }
    // Byte count of the VBR header (0 without one or when not given); when
    // given, it is the audio size.
    int32_t XingByteCount() const { return m_xingBytes; }

    // The header as an XML document ("MPEGHeader" with its 18 properties).
    // When BaseNode is given it receives the top element.
    std::string xml(XmlElement* BaseNode = nullptr) const;

    // The error record, read by the file handler when LoadHeaderEx fails.
    const cErrorPtr& ErrorObject() const { return m_error; }

    // Looks for the first accepted frame header at start, start + 1, ...,
    // start + 15000 (while 6 bytes remain from the candidate), decodes it and
    // the Xing or VBRI header behind it. A candidate that the next frame of
    // its stream does not follow (bytes that only look like a header, in junk
    // in front of the audio) gives way to the first one that it follows in
    // that range, when there is one. The file size is stored in any case. False
    // when no header is found (the other fields keep their values, the error
    // record is untouched) or when reading or calculating fails (the failure
    // is copied into the error record).
    bool LoadHeaderEx(const BinaryFile& file, int64_t start);

    // Bit rate, duration and frame size from the decoded fields. Throws when
    // a result does not fit its type.
    void CalculateValues();

    // bitRate / frequency * 144 * 1000 truncated, plus 1 with padding. The
    // Layer III formula serves every layer; the figure is shown, not used to
    // walk frames.
    static int32_t CalcFrameSize(int32_t bitRate, int32_t frequency, bool padding);

    // "None", "50/15ms", "Unknown", "CCITT j.17" for 0 to 3, else "".
    static std::string EmphasisText(int32_t id);

    // Table bit rate in kbit/s for (version id AND 1, layer id, index); 0 for
    // indices 0 and 15 and for reserved layers.
    int32_t TableBitRate(int32_t versionId, int32_t layerId, int32_t index) const;
    // Table frequency in Hz; 0 for the reserved version and index 3.
    int32_t TableFrequency(int32_t versionId, int32_t samplingIndex) const;
    // The length in bytes of the frame an accepted header value describes,
    // by its layer's formula (0 when the value is not an accepted header).
    int32_t FrameLength(int32_t value) const;
    // True when `next` is an accepted header of the same version, layer and
    // sampling frequency as `value`: the frame behind it in one stream.
    static bool SameStream(int32_t value, int32_t next);

private:
    void InitTables();
    // Fills the header fields from an accepted header value.
    void Decode(int32_t value);
    // Reads a Xing or a VBRI header in the frame at offset h; fields holds
    // the bytes from h onwards that are at hand (the rest is read from file).
    void ReadVBRHeader(const BinaryFile& file, int64_t h, const uint8_t* fields, size_t available);
    // Takes the bit rate of the frame header `next` (its 4 bytes, big-endian)
    // when it belongs to the stream of `header` (the frame behind an Info
    // frame).
    void TakeStreamBitRate(int32_t header, int32_t next);

    std::array<std::string, 4> m_versionTexts;
    std::array<std::string, 4> m_layerTexts;
    std::array<std::string, 4> m_modeTexts;
    std::array<std::array<int32_t, 3>, 4> m_frequencies{};
    // [version id AND 1][layer id][bit-rate index]
    std::array<std::array<std::array<int32_t, 16>, 4>, 2> m_bitRates{};

    uint8_t m_versionId = 0;
    uint8_t m_layerId = 0;
    uint8_t m_protectionBit = 0;
    uint8_t m_bitRateIndex = 0;
    uint8_t m_samplingIndex = 0;
    uint8_t m_paddingBit = 0;
    uint8_t m_privateBit = 0;
    uint8_t m_channelMode = 0;
    uint8_t m_copyrightBit = 0;
    uint8_t m_originalBit = 0;
    int32_t m_emphasisId = 0;
    std::string m_emphasisText;
    int32_t m_headerOffset = 0;
    int32_t m_fileSize = 0;
    int32_t m_audioSize = 0;
    int32_t m_xingFrames = 0;
    int32_t m_xingBytes = 0;
    VBRHeaderKind m_vbrHeader = VBRHeaderKind::None;
    bool m_vbr = false;
    double m_bitRate = 0;
    int32_t m_duration = 0;
    double m_exactDuration = 0;
    bool m_headerFound = false;
    int16_t m_frameSize = 0;

    cErrorPtr m_error = std::make_shared<cError>();
};

using MPEGHeaderPtr = std::shared_ptr<MPEGHeader>;

}  // namespace korvel
