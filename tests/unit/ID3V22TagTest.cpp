#include <gtest/gtest.h>

#include "core/BinaryFile.h"
#include "id3v2/ID3V22Tag.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using namespace korvel::test;

namespace {

ID3V22TagPtr Load(const Bytes& bytes) { return LoadReader<ID3V22Tag>(bytes); }

ID3V22TagPtr LoadFrames(const Bytes& frames, size_t padding = 0, uint8_t flags = 0) {
    return LoadTagFrames<ID3V22Tag>(2, frames, padding, flags);
}

}  // namespace

TEST(ID3V22Reader, FramesTextAndProperties) {
    const ID3V22TagPtr tag = LoadFrames(
        Concat({
            Concat({B("TT2"), {0, 0, 4, 0}, B("Abc")}),
            Frame22("TP1", {1, 0xFF, 0xFE, 0x41, 0}),
            Frame22("TAL", Latin1("Album")),
            Frame22("COM", CommData("eng", "", "first")),
            Frame22("TCO", Latin1("(17)")),
            Frame22("TRK", Latin1("3/11")),
            Frame22("TYE", Latin1("2004")),
            Frame22("TEN", {}),  // size 0: skipped, the walk goes on 6 bytes further
            Frame22("COM", CommData("eng", "", "second")),
            Frame22("TXX", Text(3, B("utf8"))),
        }),
        100);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Title(), "Abc");
    EXPECT_EQ(tag->Artist(), "A");
    EXPECT_EQ(tag->Album(), "Album");
    EXPECT_EQ(tag->Genre(), "(17)");
    EXPECT_EQ(tag->Track(), "3/11");
    EXPECT_EQ(tag->Year(), "2004");
    EXPECT_EQ(tag->FrameList(), "TT2;TP1;TAL;COM;TCO;TRK;TYE;COM;TXX;");
    // Every frame, duplicates included; comments and user texts decoded as
    // in the later versions, UTF-8 included.
    EXPECT_EQ(tag->FrameCount(), 9);
    EXPECT_EQ(tag->GetFrameByID("COM")->TextData(), "first");
    EXPECT_EQ(tag->GetFrameByID("COM")->Language(), "eng");
    EXPECT_EQ(tag->GetFrameByIndex(8)->TextData(), "second");
    EXPECT_EQ(tag->GetFrameByID("COM")->RawData(), B("\0eng\0first", 10));
    EXPECT_EQ(tag->GetText("TXX"), "");
    EXPECT_EQ(tag->GetFrameByID("TXX")->Description(), "utf8");
    EXPECT_TRUE(tag->GetFrameByIndex(1)->IsTitle());
    EXPECT_TRUE(tag->GetFrameByIndex(7)->IsYear());
    EXPECT_EQ(tag->GetFrameByIndex(10), nullptr);
    EXPECT_EQ(tag->PaddingSize(), 100);

    EXPECT_FALSE(tag->canSave());
    EXPECT_EQ(tag->LastError()->Stream(), "0, canSave, Saving is not supported.");
    EXPECT_FALSE(tag->saveTag());
    EXPECT_EQ(tag->LastError()->Source(), "saveTag");
    EXPECT_FALSE(tag->removeTag());
    EXPECT_EQ(tag->LastError()->Description(), "Removing is not supported.");
}

TEST(ID3V22Reader, UnsynchronisationAndMalformedTags) {
    const Bytes frame = Frame22("TT2", {1, 0xFF, 0xFE, 0x41, 0});
    const ID3V22TagPtr unsync = Load(Concat({Tag(2, Unsynchronise(frame), 0x80, 10), FakeAudio(9)}));
    ASSERT_TRUE(unsync);
    EXPECT_EQ(unsync->Title(), "A");

    // Padding shorter than a frame header is padding; a frame past the
    // tag, a tag past the file and flags 0x0C fail the load.
    ASSERT_TRUE(LoadFrames(frame, 4));
    EXPECT_EQ(LoadFrames(frame, 4)->PaddingSize(), 4);
    Bytes past = frame;
    past[5] = 0x40;
    EXPECT_EQ(LoadFrames(past, 20), nullptr);
    Bytes cut = Tag(2, frame, 0, 40);
    cut.resize(30);
    EXPECT_EQ(Load(cut), nullptr);
    EXPECT_EQ(LoadFrames(frame, 10, 0x04), nullptr);
    // A tag that ends on the last byte of the file loads.
    ASSERT_TRUE(Load(Tag(2, frame, 0, 10)));
}
