// Files made by the lame encoder: the header read by the library must match
// what the encoder was asked for.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <optional>

#include "file/FileHandler.h"
#include "support/TestSupport.h"

using namespace korvel;

namespace {

// The frame count of a Xing header in the first 64 bytes, read straight
// from the bytes.
std::optional<int32_t> XingFrames(const Bytes& mp3) {
    for (size_t i = 0; i + 16 <= mp3.size() && i < 64; ++i) {
        if (std::memcmp(mp3.data() + i, "Xing", 4) != 0) continue;
        auto be = [&](size_t at) {
            return static_cast<int32_t>((uint32_t{mp3[at]} << 24) | (uint32_t{mp3[at + 1]} << 16) |
                                        (uint32_t{mp3[at + 2]} << 8) | mp3[at + 3]);
        };
        if ((be(i + 4) & 1) == 0) return std::nullopt;
        return be(i + 8);
    }
    return std::nullopt;
}

struct Encoding {
    std::string options;
    int channels;
    std::string version;
    std::string mode;
    int32_t frequency;
    int32_t bitRate;  // 0 for VBR
};

class LameTest : public ::testing::TestWithParam<Encoding> {
protected:
    void SetUp() override {
        if (!test::HaveProgram("lame"))
            GTEST_SKIP() << "lame is not on the PATH; install it to run these tests";
    }
};

}  // namespace

TEST_P(LameTest, HeaderMatchesTheEncoding) {
    const Encoding& e = GetParam();
    test::TempDir dir;
    const double seconds = 3;
    test::WriteFile(dir.File("in.wav"), test::ToneWav(44100, e.channels, seconds));
    std::string err;
    const std::string command = "lame --quiet " + e.options + " " +
                                test::ShellQuote(dir.File("in.wav")) + " " +
                                test::ShellQuote(dir.File("out.mp3"));
    ASSERT_EQ(test::Run(command, nullptr, &err), 0) << command << "\n" << err;

    FileHandler file;
    ASSERT_TRUE(file.Create(dir.File("out.mp3"))) << file.LastError()->Stream();
    const MPEGHeaderPtr h = file.MPEGHeader();
    const Bytes mp3 = test::ReadFile(dir.File("out.mp3"));
    EXPECT_EQ(h->FileSize(), static_cast<int32_t>(mp3.size()));
    EXPECT_EQ(h->Version(), e.version);
    EXPECT_EQ(h->Layer(), "3");
    EXPECT_EQ(h->Mode(), e.mode);
    EXPECT_EQ(h->Frequency(), e.frequency);
    if (e.bitRate > 0) {
        // lame writes an "Info" header into CBR files: no VBR figures.
        EXPECT_FALSE(h->VBR());
        EXPECT_EQ(h->BitRate(), e.bitRate);
    } else {
        const std::optional<int32_t> frames = XingFrames(mp3);
        ASSERT_TRUE(frames.has_value());
        EXPECT_TRUE(h->VBR());
        EXPECT_EQ(h->NumFrames(), *frames);
        EXPECT_GT(h->BitRate(), 0);
    }
    // The encoder adds a few frames of delay and padding.
    EXPECT_NEAR(h->Duration(), seconds, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LameTest,
    ::testing::Values(
        Encoding{"-b 32 --resample 44.1 -m j", 2, "MPEG 1.0", "Joint Stereo", 44100, 32},
        Encoding{"-b 40 --resample 44.1 -m s", 2, "MPEG 1.0", "Stereo", 44100, 40},
        Encoding{"-b 128 -m m", 1, "MPEG 1.0", "Single Channel", 44100, 128},
        Encoding{"-b 320 -m s", 2, "MPEG 1.0", "Stereo", 44100, 320},
        Encoding{"-b 128 --resample 48 -m j", 2, "MPEG 1.0", "Joint Stereo", 48000, 128},
        Encoding{"-V 2 -m j", 2, "MPEG 1.0", "Joint Stereo", 44100, 0},
        Encoding{"-V 2 -m m", 1, "MPEG 1.0", "Single Channel", 44100, 0},
        Encoding{"--resample 22.05 -b 64 -m m", 1, "MPEG 2.0", "Single Channel", 22050, 64},
        Encoding{"--resample 22.05 -b 64 -m s", 2, "MPEG 2.0", "Stereo", 22050, 64},
        Encoding{"--resample 22.05 -V 5 -m j", 2, "MPEG 2.0", "Joint Stereo", 22050, 0},
        Encoding{"--resample 8 -b 16 -m j", 2, "MPEG 2.5", "Joint Stereo", 8000, 16},
        Encoding{"--resample 8 -b 8 -m m", 1, "MPEG 2.5", "Single Channel", 8000, 8},
        Encoding{"--resample 8 -V 5 -m m", 1, "MPEG 2.5", "Single Channel", 8000, 0}),
    [](const ::testing::TestParamInfo<Encoding>& param) {
        std::string name;
        for (char c : param.param.options)
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });
