#include <gtest/gtest.h>

#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
using test::Concat;
using test::Mp3Spec;

TEST(FileHandlerAudio, SearchStartsOnTheLastByteOfAnID3v2Tag) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    // A tag whose body holds a frame header of its own and ends with the
    // first byte of the real one: only the header on the tag's last byte
    // is behind the search start.
    Bytes body(300, 0);
    const Bytes decoy = B("\xFF\xFA\x90\x64", 4);
    std::copy(decoy.begin(), decoy.end(), body.begin() + 20);
    body.back() = 0xFF;
    Mp3Spec stream;
    stream.ID3v2 = test::Tag(3, body);
    const Bytes frames = test::BuildFrames(stream);
    test::WriteFile(path, Concat({stream.ID3v2, Bytes(frames.begin() + 1, frames.end())}));

    FileHandler file;
    EXPECT_EQ(file.Size(), 0);
    const MPEGHeaderPtr header = file.MPEGHeader();
    ASSERT_NE(header, nullptr);
    ASSERT_TRUE(file.Create(path));
    EXPECT_TRUE(file.HasID3V2Tag());
    EXPECT_EQ(file.MPEGHeader(), header);  // reloaded in place
    EXPECT_EQ(header->HeaderOffset(), 310 - 1);
    EXPECT_FALSE(header->CRC());
    EXPECT_EQ(file.Size(), static_cast<int32_t>(310 - 1 + frames.size()));

    // An "ID3" header with a size byte of 0x80 is no tag: the search starts
    // at 0; the header inside the would-be tag starts no stream, so the
    // frames behind it are found.
    Bytes bad = test::ReadFile(path);
    bad[6] = 0x80;
    test::WriteFile(path, bad);
    ASSERT_TRUE(file.Create(path));
    EXPECT_FALSE(file.HasID3V2Tag());
    EXPECT_EQ(header->HeaderOffset(), 310 - 1);
    EXPECT_FALSE(header->CRC());
}

TEST(FileHandlerAudio, FurtherID3v2TagsBehindTheFirstAreSkipped) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    // A Layer I frame header inside each further tag would be taken for the
    // audio. The v2.4 tag carries a footer.
    Mp3Spec layerOne;
    layerOne.LayerId = 3;
    const Bytes decoy = Concat({Bytes(20, 0), test::HeaderBytes(layerOne), Bytes(20, 0)});
    const Bytes first = test::Tag(3, {}, 0, 100);
    test::TagLayout withFooter;
    withFooter.Footer = true;
    const Bytes v24 = test::Tag(4, decoy, withFooter);
    const Bytes empty = test::Tag(3, {});
    Mp3Spec stream;
    stream.ID3v2 = Concat({first, v24, test::Tag(3, decoy), empty});
    test::WriteFile(path, test::BuildMp3(stream));

    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.HasID3V2Tag());
    EXPECT_EQ(file.ID3V2Tag()->Size(), 110);  // the first tag is the file's
    EXPECT_EQ(file.MPEGHeader()->HeaderOffset(), static_cast<int32_t>(stream.ID3v2.size()));
    EXPECT_EQ(file.MPEGHeader()->Layer(), "3");

    // "ID3" with a size byte of 0x80 is no tag: the search goes on behind
    // the first tag, and passes the decoy, which starts no stream.
    stream.ID3v2 = Concat({first, B("ID3\x03\x00\x00\x00\x00\x00\x80", 10), decoy});
    test::WriteFile(path, test::BuildMp3(stream));
    ASSERT_TRUE(file.Create(path));
    EXPECT_EQ(file.MPEGHeader()->HeaderOffset(), static_cast<int32_t>(stream.ID3v2.size()));
    EXPECT_EQ(file.MPEGHeader()->Layer(), "3");
}

TEST(FileHandlerAudio, FailedSearchSetsTheLoadHeaderExRecord) {
    test::TempDir dir;
    FileHandler file;
    // With an ID3v1 tag the record of the failed search survives Create.
    test::WriteFile(dir.File("a.mp3"), Concat({Bytes(1000, 0x11), test::ID3v1Record("T")}));
    ASSERT_TRUE(file.Create(dir.File("a.mp3")));
    EXPECT_EQ(file.FileType(), 1);
    EXPECT_TRUE(file.HasID3V1Tag());
    EXPECT_EQ(file.LastError()->Mode(), 2);
    EXPECT_EQ(file.LastError()->Number(), 0);
    EXPECT_EQ(file.LastError()->Source(), "LoadHeaderEx");
    EXPECT_EQ(file.LastError()->Description(), "0, , ");
    EXPECT_EQ(file.Size(), 1128);

    // Without one, the ID3v1 step writes its own record over it.
    test::WriteFile(dir.File("b.mp3"), Bytes(1000, 0x11));
    ASSERT_TRUE(file.Create(dir.File("b.mp3")));
    EXPECT_EQ(file.LastError()->Stream(), "0, Read Tag, The file contains no tag.");

    // A failure inside the header carries the header's own record.
    Mp3Spec stream;
    stream.Xing = test::XingSpec{"Xing", 3, 1, 1000000};
    stream.ID3v1 = test::ID3v1Record("T");
    test::WriteFile(dir.File("c.mp3"), test::BuildMp3(stream));
    ASSERT_TRUE(file.Create(dir.File("c.mp3")));
    EXPECT_EQ(file.LastError()->Stream(),
              "0, LoadHeaderEx, -2147221504, CalculateValues, Overflow");
}

TEST(FileReport, MPEGInfoTextAndDuration) {
    test::TempDir dir;
    Mp3Spec stream;
    stream.Frames = 100;
    stream.Private = true;
    stream.Crc = true;
    stream.ID3v1 = test::ID3v1Record("T");
    const std::string path = dir.File("a.mp3");
    test::WriteFile(path, test::BuildMp3(stream));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    EXPECT_EQ(MPEGInfoText(file),
              "File size: 41828 bytes\r\n"
              "Audio size: 41826 bytes\r\n"
              "Lenght: 2 seconds (0:00:02)\r\n"
              "MPEG 1.0 layer 3\r\n"
              "128 kbit/s, 100 frames\r\n"
              "44100 Hz, Joint Stereo\r\n"
              "Frame size: 417 bytes\r\n"
              "Private: Yes\r\n"
              "CRC: Yes\r\n"
              "Copyrighted: No\r\n"
              "Original: No\r\n"
              "Emphasis: None");

    stream.Xing = test::XingSpec{"Xing", 3, 250000, 250000 * 400};
    stream.Copyright = stream.Original = true;
    stream.Emphasis = 1;
    test::WriteFile(path, test::BuildMp3(stream));
    ASSERT_TRUE(file.Create(path));
    const std::string text = MPEGInfoText(file);
    EXPECT_NE(text.find("Audio size: 100000000 bytes\r\nLenght: 6530 seconds (1:48:50)\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\n122 kbit/s (VBR), 250000 frames\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Copyrighted: Yes\r\nOriginal: Yes\r\nEmphasis: 50/15ms"),
              std::string::npos);

    EXPECT_EQ(formatDuration(245), "0:04:05");
    EXPECT_EQ(formatDuration(3725), "1:02:05");
    EXPECT_EQ(formatDuration(0), "0:00:00");
    EXPECT_EQ(formatDuration(3600), "1:00:00");
    EXPECT_EQ(formatDuration(360000), "100:00:00");
}
