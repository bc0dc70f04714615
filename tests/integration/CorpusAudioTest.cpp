// Every file of the shared corpus goes through Create, and the audio of a
// handful of them reads as their makers describe it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "file/FileHandler.h"
#include "support/TestSupport.h"

using namespace korvel;

namespace {

std::vector<std::string> ManifestFiles() {
    std::ifstream in(test::CorpusPath("MANIFEST.tsv"));
    std::vector<std::string> names;
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        const std::string name = line.substr(0, line.find('\t'));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

struct Audio {
    std::string version;
    std::string mode;
    int32_t frequency;
    int32_t bitRate;
    bool vbr;
    int32_t frames;    // checked when > 0
    int32_t duration;  // checked when >= 0
};

void ExpectAudio(const std::string& name, const Audio& a) {
    SCOPED_TRACE(name);
    FileHandler file;
    ASSERT_TRUE(file.Create(test::CorpusPath(name))) << file.LastError()->Stream();
    const MPEGHeaderPtr h = file.MPEGHeader();
    EXPECT_EQ(h->Version(), a.version);
    EXPECT_EQ(h->Layer(), "3");
    EXPECT_EQ(h->Mode(), a.mode);
    EXPECT_EQ(h->Frequency(), a.frequency);
    EXPECT_EQ(h->BitRate(), a.bitRate);
    EXPECT_EQ(h->VBR(), a.vbr);
    if (a.frames > 0) {
        EXPECT_EQ(h->NumFrames(), a.frames);
    }
    if (a.duration >= 0) {
        EXPECT_EQ(h->Duration(), a.duration);
    }
}

}  // namespace

TEST(CorpusAudio, EveryFileLoads) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not found";
    const std::vector<std::string> names = ManifestFiles();
    ASSERT_GT(names.size(), 40u);
    int loaded = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        FileHandler file;
        if (!file.Create(test::CorpusPath(name))) {
            EXPECT_EQ(file.LastError()->Mode(), 2);
            continue;
        }
        ++loaded;
        const MPEGHeaderPtr h = file.MPEGHeader();
        EXPECT_EQ(file.Size(), static_cast<int32_t>(test::ReadFile(test::CorpusPath(name)).size()));
        EXPECT_LT(h->HeaderOffset(), file.Size());
        (void)h->NumFrames();
    }
    EXPECT_GT(loaded, 40);
}

TEST(CorpusAudio, KnownFacts) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not found";
    ExpectAudio("mutagen/silence-44-s-v1.mp3",
                {"MPEG 1.0", "Joint Stereo", 44100, 32, false, 0, 3});
    ExpectAudio("mutagen/silence-44-s.mp3", {"MPEG 1.0", "Joint Stereo", 44100, 32, false, 0, 3});
    ExpectAudio("mutagen/silence-44-s-mpeg2.mp3",
                {"MPEG 2.0", "Joint Stereo", 24000, 18, true, 0, 3});
    ExpectAudio("mutagen/silence-44-s-mpeg25.mp3",
                {"MPEG 2.5", "Joint Stereo", 12000, 9, true, 0, 3});
    ExpectAudio("taglib/mpeg2.mp3", {"MPEG 2.0", "Single Channel", 22050, 25, true, 206232, 5387});
    ExpectAudio("taglib/lame_vbr.mp3",
                {"MPEG 1.0", "Single Channel", 44100, 70, true, 72243, 1887});
    // lame's "Info" header of a CBR file is not a VBR header.
    ExpectAudio("taglib/lame_cbr.mp3", {"MPEG 1.0", "Single Channel", 44100, 64, false, 0, -1});
    // A stray "Xing" far inside the stream is not one either.
    ExpectAudio("mutagen/xing.mp3", {"MPEG 1.0", "Joint Stereo", 44100, 32, false, 0, 2});
    ExpectAudio("mutagen/bad-TYER-frame.mp3",
                {"MPEG 1.0", "Joint Stereo", 44100, 320, false, 0, -1});
    ExpectAudio("taglib/bladeenc.mp3", {"MPEG 1.0", "Single Channel", 44100, 64, false, 0, 3});
    ExpectAudio("eyeD3/test.mp3", {"MPEG 1.0", "Joint Stereo", 44100, 128, false, 0, 10});
    // Fraunhofer's VBRI header: 8506 frames, 6478737 bytes (222.2 s).
    ExpectAudio("mutagen/vbri.mp3", {"MPEG 1.0", "Stereo", 44100, 233, true, 8506, 222});
    ExpectAudio("taglib/rare_frames.mp3", {"MPEG 1.0", "Stereo", 44100, 233, true, 8506, 222});
    // Two ID3v2 tags in a row (3943 and 4106 bytes) in front of the audio.
    ExpectAudio("taglib/duplicate_id3v2.mp3",
                {"MPEG 1.0", "Joint Stereo", 44100, 128, false, 5, 0});

    FileHandler file;
    ASSERT_TRUE(file.Create(test::CorpusPath("taglib/duplicate_id3v2.mp3")));
    EXPECT_EQ(file.MPEGHeader()->HeaderOffset(), 3943 + 4106);
    EXPECT_EQ(file.ID3V2Tag()->Size(), 3943);
    ASSERT_TRUE(file.Create(test::CorpusPath("mutagen/silence-44-s.mp3")));
    EXPECT_TRUE(file.HasID3V2Tag());
    EXPECT_EQ(file.Size(), 16384);
    EXPECT_FALSE(file.Create(test::CorpusPath("mutagen/emptyfile.mp3")));
    EXPECT_EQ(file.Size(), 0);
}
