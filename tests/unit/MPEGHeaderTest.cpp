#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/BinaryFile.h"
#include "id3v2/ID3V2Helpers.h"
#include "mpeg/MPEGHeader.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
using test::Concat;
using test::Mp3Spec;
using test::VBRISpec;
using test::XingSpec;

namespace {

int32_t Value(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return BytesToLong({a, b, c, d}, 0, 4);
}

// Writes the bytes to a scratch file and loads the header from it.
class HeaderFile {
public:
    bool Load(MPEGHeader& header, const Bytes& bytes, int64_t start = 0) {
        test::WriteFile(m_dir.File("a.mp3"), bytes);
        BinaryFile file(m_dir.File("a.mp3"));
        return header.LoadHeaderEx(file, start);
    }

private:
    test::TempDir m_dir;
};

// The search as defined offset by offset: the first accepted header that
// the next frame of its stream follows (or whose frame ends the file), else
// the first accepted header.
int64_t NaiveSearch(const Bytes& data, int64_t start) {
    const MPEGHeader tables;
    const int64_t length = static_cast<int64_t>(data.size());
    int64_t first = -1;
    for (int64_t o = start; o <= start + 15000 && o + 5 < length; ++o) {
        const int32_t value = BytesToLong(data, static_cast<int32_t>(o), 4);
        if (!IsValidFrameHeader(value)) continue;
        if (first < 0) first = o;
        const int64_t next = o + tables.FrameLength(value);
        if (next + 4 > length ||
            MPEGHeader::SameStream(value, BytesToLong(data, static_cast<int32_t>(next), 4))) {
            return o;
        }
    }
    return first;
}

}  // namespace

TEST(MPEGFrameHeader, AcceptsAndRejects) {
    EXPECT_TRUE(IsValidFrameHeader(Value(0xFF, 0xFB, 0x90, 0x64)));
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xEB, 0x90, 0x64)));  // reserved version
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xF9, 0x90, 0x64)));  // reserved layer
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xDB, 0x90, 0x64)));  // 10 sync bits only
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xFB, 0xF0, 0x64)));  // bit-rate index 15
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xFB, 0x00, 0x64)));  // free format
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xFB, 0x9C, 0x64)));  // sampling index 3
    EXPECT_FALSE(IsValidFrameHeader(Value(0xFF, 0xFB, 0x90, 0x66)));  // emphasis 2
    EXPECT_TRUE(IsValidFrameHeader(Value(0xFF, 0xFB, 0x90, 0x67)));   // emphasis 3
    // Ordinary streams: MPEG 1 Layer III at 320 and 40 kbit/s, MPEG 2 at 16.
    EXPECT_TRUE(IsValidFrameHeader(Value(0xFF, 0xFB, 0xE0, 0x64)));
    EXPECT_TRUE(IsValidFrameHeader(Value(0xFF, 0xFB, 0x20, 0x64)));
    EXPECT_TRUE(IsValidFrameHeader(Value(0xFF, 0xF3, 0x20, 0x64)));
    EXPECT_TRUE(IsValidFrameHeader(Value(0xFF, 0xE3, 0x20, 0xC4)));  // MPEG 2.5 mono
}

TEST(MPEGFrameHeader, LayerTwoRejectsOnlyForbiddenModePairs) {
    const std::vector<int> monoOnly = {32, 48, 56, 80};
    const std::vector<int> stereoOnly = {224, 256, 320, 384};
    for (int index = 1; index <= 14; ++index) {
        for (int mode = 0; mode <= 3; ++mode) {
            Mp3Spec stream;
            stream.LayerId = 2;
            stream.BitRateIndex = index;
            stream.ChannelMode = mode;
            stream.SamplingIndex = 0;
            const int kbps = std::vector<int>{0,   32,  48,  56,  64,  80,  96, 112,
                                              128, 160, 192, 224, 256, 320, 384}[index];
            auto in = [kbps](const std::vector<int>& set) {
                return std::find(set.begin(), set.end(), kbps) != set.end();
            };
            const bool forbidden = mode == 3 ? in(stereoOnly) : in(monoOnly);
            const int32_t v = static_cast<int32_t>(test::HeaderValue(stream));
            EXPECT_EQ(IsValidFrameHeader(v), !forbidden) << kbps << " kbit/s, mode " << mode;
            // MPEG 2 and 2.5 Layer II and every other layer allow every pair.
            for (int version : {0, 2}) {
                stream.VersionId = version;
                EXPECT_TRUE(IsValidFrameHeader(static_cast<int32_t>(test::HeaderValue(stream))));
            }
            stream.VersionId = 3;
            for (int layer : {1, 3}) {
                stream.LayerId = layer;
                EXPECT_TRUE(IsValidFrameHeader(static_cast<int32_t>(test::HeaderValue(stream))));
            }
        }
    }
}

TEST(MPEGHeaderLoad, DecodesTheFirstHeader) {
    HeaderFile file;
    MPEGHeader h;
    Bytes data = Concat({B("\xFF\xFB\x90\x64", 4), Bytes(996, 0)});
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.Version(), "MPEG 1.0");
    EXPECT_EQ(h.VersionID(), 3);
    EXPECT_EQ(h.Layer(), "3");
    EXPECT_EQ(h.LayerID(), 1);
    EXPECT_EQ(h.Mode(), "Joint Stereo");
    EXPECT_EQ(h.ModeID(), 1);
    EXPECT_EQ(h.BitRate(), 128);
    EXPECT_EQ(h.Frequency(), 44100);
    EXPECT_EQ(h.FrameSize(), 417);
    EXPECT_FALSE(h.CRC());
    EXPECT_TRUE(h.ProtectionBit());
    EXPECT_EQ(h.Emphasis(), "None");
    EXPECT_EQ(h.EmphasisID(), 0);
    EXPECT_FALSE(h.PaddingBit());
    EXPECT_FALSE(h.PrivateBit());
    EXPECT_FALSE(h.Copyright());
    EXPECT_TRUE(h.Original());
    EXPECT_FALSE(h.VBR());
    EXPECT_EQ(h.HeaderOffset(), 0);
    EXPECT_EQ(h.FileSize(), 1000);
    EXPECT_EQ(h.AudioSize(), 998);
    EXPECT_EQ(h.NumFrames(), 998 / 417);

    // Every other field, through a header with all the flag bits set.
    Mp3Spec stream;
    stream.VersionId = 0;
    stream.LayerId = 2;
    stream.BitRate = 160;
    stream.Frequency = 8000;
    stream.ChannelMode = 2;
    stream.Padding = stream.Crc = stream.Private = stream.Copyright = true;
    stream.Original = false;
    stream.Emphasis = 3;
    stream.Junk = Bytes(7, 0);
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_EQ(h.Version(), "MPEG 2.5");
    EXPECT_EQ(h.Layer(), "2");
    EXPECT_EQ(h.Mode(), "Dual Channel");
    EXPECT_EQ(h.BitRate(), 160);
    EXPECT_EQ(h.Frequency(), 8000);
    EXPECT_EQ(h.FrameSize(), 2881);  // one formula for every layer, plus padding
    EXPECT_TRUE(h.CRC());
    EXPECT_FALSE(h.ProtectionBit());
    EXPECT_TRUE(h.PaddingBit());
    EXPECT_TRUE(h.PrivateBit());
    EXPECT_TRUE(h.Copyright());
    EXPECT_FALSE(h.Original());
    EXPECT_EQ(h.Emphasis(), "CCITT j.17");
    EXPECT_EQ(h.EmphasisID(), 3);
    EXPECT_EQ(h.HeaderOffset(), 7);

    stream = Mp3Spec{};
    stream.VersionId = 2;
    stream.Frequency = 24000;
    stream.BitRate = 144;
    stream.ChannelMode = 0;
    stream.Emphasis = 1;
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_EQ(h.Version(), "MPEG 2.0");
    EXPECT_EQ(h.Mode(), "Stereo");
    EXPECT_EQ(h.BitRate(), 144);
    EXPECT_EQ(h.Frequency(), 24000);
    EXPECT_EQ(h.Emphasis(), "50/15ms");
}

TEST(MPEGHeaderLoad, SizesDurationAndFrameCounts) {
    HeaderFile file;
    MPEGHeader h;
    ASSERT_TRUE(file.Load(h, Concat({B("\xFF\xFB\x90\x64", 4), Bytes(999996, 0)})));
    EXPECT_EQ(h.AudioSize(), 999998);
    EXPECT_EQ(h.Duration(), 62);  // round(62499.875) = 62500 ms
    EXPECT_EQ(h.NumFrames(), 999998 / 417);

    // The milliseconds are rounded before the division by 1000: at 32 kbit/s
    // 4 bytes make one millisecond, so 3998 bytes give 999.5 ms -> 1 s.
    Mp3Spec stream;
    stream.BitRate = 32;
    stream.Frames = 1;
    stream.Junk = Bytes(100, 0);
    Bytes data = test::BuildMp3(stream);
    data.resize(100 + 3998 + 2, 0);
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.AudioSize(), 3998);
    EXPECT_EQ(h.Duration(), 1);
    data.resize(100 + 3996 + 2);  // 999 ms
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.Duration(), 0);

    EXPECT_EQ(MPEGHeader::CalcFrameSize(128, 44100, false), 417);
    EXPECT_EQ(MPEGHeader::CalcFrameSize(128, 44100, true), 418);
    EXPECT_EQ(MPEGHeader::CalcFrameSize(-1, 44100, false), -3);
    EXPECT_EQ(MPEGHeader::EmphasisText(2), "Unknown");
    EXPECT_EQ(MPEGHeader::EmphasisText(4), "");
    EXPECT_EQ(MPEGHeader::EmphasisText(-1), "");
}

TEST(MPEGHeaderLoad, XingHeader) {
    HeaderFile file;
    MPEGHeader h;
    Mp3Spec stream;
    stream.Xing = XingSpec{"Xing", 3, 1000, 417000};
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_TRUE(h.VBR());
    EXPECT_EQ(h.VBRHeader(), VBRHeaderKind::Xing);
    EXPECT_EQ(h.NumFrames(), 1000);
    EXPECT_EQ(h.XingFrameCount(), 1000);
    EXPECT_EQ(h.XingByteCount(), 417000);
    EXPECT_EQ(h.AudioSize(), 417000);
    EXPECT_EQ(h.FrameSize(), 417);
    EXPECT_EQ(h.BitRate(), 127);  // 44100 * 417 / 144000
    EXPECT_EQ(h.Duration(), 26);  // 417000 / 127.70... * 8 = 26122 ms

    stream.Xing = XingSpec{"Xing", 0, 0, 0};
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_TRUE(h.VBR());
    EXPECT_EQ(h.BitRate(), -1);
    EXPECT_EQ(h.Duration(), -1);
    EXPECT_EQ(h.XingFrameCount(), 0);

    // Frame count only: the audio size stays the file's.
    stream.Xing = XingSpec{"Xing", 1, 5, 0};
    const Bytes data = test::BuildMp3(stream);
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.NumFrames(), 5);
    EXPECT_EQ(h.XingByteCount(), 0);
    EXPECT_EQ(h.AudioSize(), static_cast<int32_t>(data.size()) - 2);
    // Byte count without frame count is not read.
    stream.Xing = XingSpec{"Xing", 2, 0, 12345};
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_TRUE(h.VBR());
    EXPECT_EQ(h.AudioSize(), static_cast<int32_t>(data.size()) - 2);
    EXPECT_EQ(h.BitRate(), -1);

    // "Info" (the same layout in a constant-bit-rate stream) gives the counts
    // but not a VBR stream; a lower-case tag is no header.
    for (const char* id : {"Info", "xing"}) {
        stream.Xing = XingSpec{id, 3, 1000, 417000};
        ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
        const bool info = std::string(id) == "Info";
        EXPECT_FALSE(h.VBR()) << id;
        EXPECT_EQ(h.VBRHeader(), info ? VBRHeaderKind::Info : VBRHeaderKind::None);
        EXPECT_EQ(h.VBRHeaderName(), info ? "Info" : "");
        EXPECT_EQ(h.BitRate(), 128);
        EXPECT_EQ(h.NumFrames(), info ? 1000 : 9);
    }

    // The tag sits 21 or 13 bytes behind the header in the other layouts.
    // MPEG 2 Layer III frames carry 576 samples: 72 bytes per kbit/s per Hz.
    struct Layout {
        int version, mode, frequency;
        size_t offset;
    };
    for (Layout l : {Layout{3, 3, 44100, 21}, Layout{2, 1, 22050, 21}, Layout{2, 3, 22050, 13},
                     Layout{0, 3, 8000, 13}}) {
        Mp3Spec s;
        s.VersionId = l.version;
        s.ChannelMode = l.mode;
        s.Frequency = l.frequency;
        s.BitRate = l.version == 3 ? 128 : 64;
        s.Xing = XingSpec{"Xing", 3, 100, 100 * 400};
        ASSERT_EQ(test::XingOffset(s), l.offset);
        ASSERT_TRUE(file.Load(h, test::BuildMp3(s)));
        EXPECT_TRUE(h.VBR()) << l.version << "/" << l.mode;
        EXPECT_EQ(h.NumFrames(), 100);
        EXPECT_EQ(h.FrameSize(), 400);
        const int perKbit = l.version == 3 ? 144 : 72;
        EXPECT_EQ(h.BitRate(), l.frequency * 400 / (perKbit * 1000));
    }
    // Layer I: 384 samples per frame.
    Mp3Spec layerOne;
    layerOne.LayerId = 3;
    layerOne.BitRate = 384;
    layerOne.Xing = XingSpec{"Xing", 3, 100, 100 * 500};
    ASSERT_TRUE(file.Load(h, test::BuildMp3(layerOne)));
    EXPECT_EQ(h.BitRate(), 44100 * 500 / 48000);
}

TEST(MPEGHeaderLoad, VBRIHeader) {
    HeaderFile file;
    MPEGHeader h;
    // 32 bytes behind the header in every layout, with the Xing derivation.
    for (int mode : {1, 3}) {
        Mp3Spec stream;
        stream.ChannelMode = mode;
        stream.VBRI = VBRISpec{417000, 1000};
        ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
        EXPECT_TRUE(h.VBR()) << mode;
        EXPECT_EQ(h.VBRHeader(), VBRHeaderKind::VBRI);
        EXPECT_EQ(h.VBRHeaderName(), "VBRI");
        EXPECT_EQ(h.XingFrameCount(), 1000);
        EXPECT_EQ(h.XingByteCount(), 417000);
        EXPECT_EQ(h.NumFrames(), 1000);
        EXPECT_EQ(h.AudioSize(), 417000);
        EXPECT_EQ(h.FrameSize(), 417);
        EXPECT_EQ(h.BitRate(), 127);
        EXPECT_EQ(h.Duration(), 26);
    }

    // Malformed counts never divide by zero: no frames reads like a Xing
    // header without a frame count; no bytes leaves the audio size to the
    // file; counts past 2^31 are no counts.
    Mp3Spec stream;
    stream.VBRI = VBRISpec{417000, 0};
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_TRUE(h.VBR());
    EXPECT_EQ(h.BitRate(), -1);
    EXPECT_EQ(h.Duration(), -1);
    stream.VBRI = VBRISpec{0, 10};
    Bytes data = test::BuildMp3(stream);
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.AudioSize(), static_cast<int32_t>(data.size()) - 2);
    EXPECT_EQ(h.NumFrames(), 10);
    EXPECT_EQ(h.FrameSize(), 417);
    stream.VBRI = VBRISpec{0xFFFFFFFF, 0xFFFFFFFF};
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_EQ(h.AudioSize(), static_cast<int32_t>(data.size()) - 2);
    EXPECT_EQ(h.BitRate(), -1);

    // Counts cut off by the end of the file: no VBRI header.
    stream.Frames = 1;
    stream.VBRI = VBRISpec{417000, 1000};
    data = test::BuildMp3(stream);
    ASSERT_TRUE(file.Load(h, Bytes(data.begin(), data.begin() + 36 + 18)));
    EXPECT_TRUE(h.VBR());
    ASSERT_TRUE(file.Load(h, Bytes(data.begin(), data.begin() + 36 + 17)));
    EXPECT_FALSE(h.VBR());
    EXPECT_EQ(h.VBRHeader(), VBRHeaderKind::None);
    EXPECT_EQ(h.XingFrameCount(), 0);
    EXPECT_EQ(h.XingByteCount(), 0);
}

TEST(MPEGHeaderLoad, XingFieldsNearTheEndOfTheFile) {
    HeaderFile file;
    MPEGHeader h;
    Mp3Spec stream;
    stream.Frames = 1;
    stream.Xing = XingSpec{"Xing", 3, 10000, 0x01020304};
    const Bytes frame = test::BuildMp3(stream);
    // The tag is read while x + 13 < L; the byte count's last two bytes lie
    // beyond the end here and read as 0.
    ASSERT_TRUE(file.Load(h, Bytes(frame.begin(), frame.begin() + 36 + 14)));
    EXPECT_TRUE(h.VBR());
    EXPECT_EQ(h.XingFrameCount(), 10000);
    EXPECT_EQ(h.AudioSize(), 0x01020000);
    ASSERT_TRUE(file.Load(h, Bytes(frame.begin(), frame.begin() + 36 + 13)));
    EXPECT_FALSE(h.VBR());
    EXPECT_EQ(h.AudioSize(), 36 + 13 - 2);

    // A header on the last candidate has its Xing tag beyond the window.
    Mp3Spec far = stream;
    far.Junk = Bytes(15000, 0);
    ASSERT_TRUE(file.Load(h, test::BuildMp3(far)));
    EXPECT_EQ(h.HeaderOffset(), 15000);
    EXPECT_TRUE(h.VBR());
    EXPECT_EQ(h.AudioSize(), 0x01020304);
}

TEST(MPEGHeaderLoad, SearchWindowAndStartOffset) {
    HeaderFile file;
    MPEGHeader h;
    // Rejected candidates are passed over.
    Bytes data = Concat({B("\x00\xFF\xEB\x90\x64\xFF\xF9\x90\x64\xFF", 10),
                         B("\xFF\xFB\x90\x64", 4), Bytes(200, 0)});
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.HeaderOffset(), 10);
    EXPECT_EQ(h.AudioSize(), static_cast<int32_t>(data.size()) - 10 - 2);
    // The start offset skips what lies before it.
    ASSERT_TRUE(file.Load(h, Concat({data, B("\xFF\xFA\x90\x64", 4), Bytes(50, 0)}), 11));
    EXPECT_EQ(h.HeaderOffset(), 214);
    EXPECT_TRUE(h.CRC());

    // 15001 candidates: a header at start + 15000 is found, one byte later not.
    Mp3Spec stream;
    stream.Junk = Bytes(15000 + 3, 0);
    data = test::BuildMp3(stream);
    ASSERT_TRUE(file.Load(h, data, 3));
    EXPECT_EQ(h.HeaderOffset(), 15003);
    EXPECT_FALSE(file.Load(h, data, 2));

    // Junk that holds a plausible header (Layer I) which no frame of
    // its stream follows: the real stream behind it is taken.
    stream.Junk = Concat({Bytes(100, 0x11), B("\xFF\xFF\x90\x64", 4), Bytes(300, 0x22)});
    ASSERT_TRUE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_EQ(h.HeaderOffset(), 404);
    EXPECT_EQ(h.Layer(), "3");
    EXPECT_EQ(h.Frequency(), 44100);
    // Frame lengths by each layer's formula.
    EXPECT_EQ(h.FrameLength(Value(0xFF, 0xFF, 0x1A, 0x64)), 52);   // Layer I, 32 kbit/s, 32 kHz, padded
    EXPECT_EQ(h.FrameLength(Value(0xFF, 0xF3, 0x80, 0x64)), 208);  // MPEG 2 Layer III, 64 kbit/s, 22050 Hz
    EXPECT_EQ(h.FrameLength(Value(0xFF, 0xFB, 0x90, 0x64)), 417);  // MPEG 1 Layer III, 128 kbit/s, 44100 Hz
    EXPECT_EQ(h.FrameLength(Value(0xFF, 0xFB, 0xF0, 0x64)), 0);    // not a header

    // A candidate needs 6 bytes to the end of the file.
    data = Concat({Bytes(20, 0), B("\xFF\xFB\x90\x64", 4), Bytes(2, 0)});
    ASSERT_TRUE(file.Load(h, data));
    EXPECT_EQ(h.HeaderOffset(), 20);
    data.pop_back();
    EXPECT_FALSE(file.Load(h, data));
}

TEST(MPEGHeaderLoad, NothingFoundKeepsTheOldValues) {
    HeaderFile file;
    MPEGHeader fresh;
    EXPECT_FALSE(file.Load(fresh, Bytes(20000, 0x11)));
    EXPECT_EQ(fresh.VersionID(), 0);
    EXPECT_EQ(fresh.Version(), "MPEG 2.5");
    EXPECT_EQ(fresh.Layer(), "Reserved");
    EXPECT_EQ(fresh.Mode(), "Stereo");
    EXPECT_EQ(fresh.BitRate(), 0);
    EXPECT_EQ(fresh.Duration(), 0);
    EXPECT_EQ(fresh.FrameSize(), 0);
    EXPECT_EQ(fresh.NumFrames(), 0);
    EXPECT_EQ(fresh.FileSize(), 20000);
    EXPECT_EQ(fresh.ErrorObject()->Stream(), "0, , ");

    MPEGHeader h;
    ASSERT_TRUE(file.Load(h, test::BuildMp3(Mp3Spec{})));
    EXPECT_FALSE(file.Load(h, Bytes(3, 0xFF)));
    EXPECT_FALSE(file.Load(h, Bytes()));
    EXPECT_EQ(h.FileSize(), 0);
    EXPECT_EQ(h.BitRate(), 128);
    EXPECT_EQ(h.AudioSize(), 4170 - 2);
    EXPECT_EQ(h.ErrorObject()->Stream(), "0, , ");
}

TEST(MPEGHeaderLoad, FailuresGoToTheRecord) {
    HeaderFile file;
    MPEGHeader h;
    // An average frame of a million bytes does not fit the frame size.
    Mp3Spec stream;
    stream.Xing = XingSpec{"Xing", 3, 1, 1000000};
    EXPECT_FALSE(file.Load(h, test::BuildMp3(stream)));
    EXPECT_EQ(h.ErrorObject()->Mode, 2);
    EXPECT_EQ(h.ErrorObject()->Stream(), "-2147221504, CalculateValues, Overflow");

    EXPECT_FALSE(file.Load(h, test::BuildMp3(Mp3Spec{}), -1));
    EXPECT_EQ(h.ErrorObject()->Source, "LoadHeaderEx");
    // A later success leaves the record as it is.
    EXPECT_TRUE(file.Load(h, test::BuildMp3(Mp3Spec{})));
    EXPECT_EQ(h.ErrorObject()->Source, "LoadHeaderEx");
}

TEST(MPEGHeaderLoad, WindowScanMatchesPerOffsetSearch) {
    HeaderFile file;
    std::mt19937 rng(20240611);
    // Bytes drawn mostly from sync-like values so that candidates abound and
    // most are rejected by one field or another.
    const uint8_t pool[] = {0xFF, 0xFF, 0xFF, 0xFB, 0xFA, 0xF3, 0xE3, 0xEB, 0xF9, 0xFD,
                            0x90, 0x64, 0xF0, 0x00, 0x0C, 0x66, 0xC4, 0xE0, 0x10, 0x44};
    for (int round = 0; round < 200; ++round) {
        const size_t length = std::uniform_int_distribution<size_t>(0, 16000)(rng);
        Bytes data(length);
        const bool dense = round % 3 != 0;
        for (uint8_t& b : data) {
            b = dense ? pool[rng() % sizeof(pool)] : static_cast<uint8_t>(rng());
        }
        // Thin the candidates out in some rounds so that the hit lands far in.
        if (round % 4 == 0) {
            for (size_t i = 0; i + 1 < data.size(); ++i) {
                if (rng() % 64 != 0 && data[i] == 0xFF) data[i] = 0xFE;
            }
        }
        const int64_t start = length == 0 ? 0 : static_cast<int64_t>(rng() % (length + 1));
        const int64_t expected = NaiveSearch(data, start);
        MPEGHeader h;
        ASSERT_EQ(file.Load(h, data, start), expected >= 0) << "round " << round;
        if (expected >= 0) {
            ASSERT_EQ(h.HeaderOffset(), expected) << "round " << round;
            const int32_t v = BytesToLong(data, static_cast<int32_t>(expected), 4);
            ASSERT_EQ(h.VersionID(), ShiftRight(v, 19) & 3);
        }
    }
}
