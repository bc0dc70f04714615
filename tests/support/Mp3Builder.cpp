#include "support/Mp3Builder.h"

#include <algorithm>
#include <array>

namespace korvel::test {

namespace {

// Bit rates in kbit/s by [MPEG 1 ? 1 : 0][layer id][index].
constexpr int kBitRates[2][4][16] = {
    {{},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}},
};

constexpr int kFrequencies[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

int EffectiveBitRateIndex(const Mp3Spec& s) {
    return s.BitRateIndex >= 0 ? s.BitRateIndex : BitRateIndexOf(s.VersionId, s.LayerId, s.BitRate);
}

int EffectiveSamplingIndex(const Mp3Spec& s) {
    return s.SamplingIndex >= 0 ? s.SamplingIndex : SamplingIndexOf(s.VersionId, s.Frequency);
}

void PutBigEndian(Bytes& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v >> 24);
    out[at + 1] = static_cast<uint8_t>(v >> 16);
    out[at + 2] = static_cast<uint8_t>(v >> 8);
    out[at + 3] = static_cast<uint8_t>(v);
}

void PutText(Bytes& out, size_t at, const std::string& text, size_t width) {
    for (size_t i = 0; i < width && i < text.size(); ++i)
        out[at + i] = static_cast<uint8_t>(text[i]);
}

}  // namespace

int BitRateIndexOf(int versionId, int layerId, int kbps) {
    if (layerId < 1 || layerId > 3) return -1;
    const int row = versionId == 3 ? 1 : 0;
    for (int i = 1; i < 15; ++i) {
        if (kBitRates[row][layerId][i] == kbps) return i;
    }
    return -1;
}

int SamplingIndexOf(int versionId, int frequency) {
    if (versionId < 0 || versionId > 3) return -1;
    for (int i = 0; i < 3; ++i) {
        if (kFrequencies[versionId][i] == frequency && frequency != 0) return i;
    }
    return -1;
}

uint32_t HeaderValue(const Mp3Spec& s) {
    const int index = EffectiveBitRateIndex(s);
    const int sampling = EffectiveSamplingIndex(s);
    uint32_t v = 0x7FFu << 21;
    v |= static_cast<uint32_t>(s.VersionId & 3) << 19;
    v |= static_cast<uint32_t>(s.LayerId & 3) << 17;
    v |= static_cast<uint32_t>(s.Crc ? 0 : 1) << 16;
    v |= static_cast<uint32_t>(index < 0 ? 0 : index & 15) << 12;
    v |= static_cast<uint32_t>(sampling < 0 ? 3 : sampling & 3) << 10;
    v |= static_cast<uint32_t>(s.Padding ? 1 : 0) << 9;
    v |= static_cast<uint32_t>(s.Private ? 1 : 0) << 8;
    v |= static_cast<uint32_t>(s.ChannelMode & 3) << 6;
    v |= static_cast<uint32_t>(s.ModeExtension & 3) << 4;
    v |= static_cast<uint32_t>(s.Copyright ? 1 : 0) << 3;
    v |= static_cast<uint32_t>(s.Original ? 1 : 0) << 2;
    v |= static_cast<uint32_t>(s.Emphasis & 3);
    return v;
}

Bytes HeaderBytes(const Mp3Spec& stream) {
    Bytes out(4);
    PutBigEndian(out, 0, HeaderValue(stream));
    return out;
}

size_t FrameLength(const Mp3Spec& s) {
    const int index = EffectiveBitRateIndex(s);
    const int sampling = EffectiveSamplingIndex(s);
    if (index < 1 || index > 14 || sampling < 0 || sampling > 2 || s.LayerId < 1 || s.LayerId > 3 ||
        s.VersionId == 1) {
        return 417;
    }
    const long kbps = kBitRates[s.VersionId == 3 ? 1 : 0][s.LayerId][index];
    const long hz = kFrequencies[s.VersionId][sampling];
    const long pad = s.Padding ? 1 : 0;
    if (s.LayerId == 3) return static_cast<size_t>((12 * kbps * 1000 / hz + pad) * 4);
    const long perKbit = (s.LayerId == 1 && s.VersionId != 3) ? 72 : 144;
    return static_cast<size_t>(perKbit * kbps * 1000 / hz + pad);
}

size_t XingOffset(const Mp3Spec& s) {
    const bool mono = s.ChannelMode == 3;
    if (s.VersionId == 3) return mono ? 21 : 36;
    return mono ? 13 : 21;
}

size_t FirstFrameOffset(const Mp3Spec& stream) { return stream.ID3v2.size() + stream.Junk.size(); }

Bytes BuildFrames(const Mp3Spec& stream) {
    const size_t length = FrameLength(stream);
    const Bytes header = HeaderBytes(stream);
    Bytes out;
    out.reserve(length * static_cast<size_t>(std::max(stream.Frames, 0)));
    for (int f = 0; f < stream.Frames; ++f) {
        Bytes frame(length, 0);
        std::copy(header.begin(), header.end(), frame.begin());
        if (stream.Varying) {
            for (size_t j = header.size(); j < length; ++j)
                frame[j] = static_cast<uint8_t>((static_cast<size_t>(f) * 31 + j * 7) % 251);
        }
        if (f == 0 && stream.Xing) {
            const XingSpec& x = *stream.Xing;
            const size_t at = XingOffset(stream);
            frame.resize(std::max(frame.size(), at + 16), 0);
            PutText(frame, at, x.Id, 4);
            PutBigEndian(frame, at + 4, x.Flags);
            size_t next = at + 8;
            if (x.Flags & 1) {
                PutBigEndian(frame, next, x.Frames);
                next += 4;
            }
            if (x.Flags & 2) PutBigEndian(frame, next, x.Bytes);
        }
        if (f == 0 && stream.VBRI) {
            constexpr size_t at = 36;
            frame.resize(std::max(frame.size(), at + 26), 0);
            PutText(frame, at, "VBRI", 4);
            frame[at + 5] = 1;    // version
            frame[at + 9] = 75;   // quality
            PutBigEndian(frame, at + 10, stream.VBRI->Bytes);
            PutBigEndian(frame, at + 14, stream.VBRI->Frames);
            frame[at + 21] = 1;   // seek-table scale
            frame[at + 23] = 2;   // bytes per seek-table entry
        }
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

Bytes BuildMp3(const Mp3Spec& stream) {
    Bytes out = stream.ID3v2;
    out.insert(out.end(), stream.Junk.begin(), stream.Junk.end());
    const Bytes frames = BuildFrames(stream);
    out.insert(out.end(), frames.begin(), frames.end());
    out.insert(out.end(), stream.ID3v1.begin(), stream.ID3v1.end());
    return out;
}

Bytes MpegAudio(int frames) {
    Mp3Spec stream;
    stream.ModeExtension = 2;
    stream.Original = true;
    stream.Frames = frames;
    stream.Varying = true;
    return BuildFrames(stream);
}

Bytes FakeAudio(size_t size) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(0x21 + i % 90);
    return out;
}

std::string Lyrics3Field(const std::string& id, const std::string& value) {
    const std::string size = std::to_string(value.size());
    return id + std::string(5 - std::min<size_t>(5, size.size()), '0') + size + value;
}

Bytes Lyrics3Tag(const std::string& fields) {
    const std::string block = "LYRICSBEGIN" + fields;
    const std::string size = std::to_string(block.size());
    const std::string all = block + std::string(6 - std::min<size_t>(6, size.size()), '0') + size + "LYRICS200";
    return Bytes(all.begin(), all.end());
}

Bytes ID3v1Record(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, const std::string& comment, uint8_t track,
                  uint8_t genre) {
    Bytes out(128, 0);
    PutText(out, 0, "TAG", 3);
    PutText(out, 3, title, 30);
    PutText(out, 33, artist, 30);
    PutText(out, 63, album, 30);
    PutText(out, 93, year, 4);
    if (track > 0) {
        PutText(out, 97, comment, 28);
        out[125] = 0;
        out[126] = track;
    } else {
        PutText(out, 97, comment, 30);
    }
    out[127] = genre;
    return out;
}

}  // namespace korvel::test
