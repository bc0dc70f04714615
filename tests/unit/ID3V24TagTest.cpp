#include <gtest/gtest.h>

#include "core/BinaryFile.h"
#include "id3v2/ID3V24Tag.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using namespace korvel::test;

namespace {

ID3V24TagPtr Load(const Bytes& bytes) { return LoadReader<ID3V24Tag>(bytes); }

ID3V24TagPtr LoadFrames(const Bytes& frames, size_t padding = 0, uint8_t flags = 0) {
    return LoadTagFrames<ID3V24Tag>(4, frames, padding, flags);
}

std::string FrameText(const Bytes& frame) { return OnlyFrameText<ID3V24Tag>(4, frame); }

}  // namespace

TEST(ID3V24Reader, TextInEveryEncodingAndProperties) {
    EXPECT_EQ(FrameText(Frame24("TIT2", Latin1("ABC"))), "ABC");
    EXPECT_EQ(FrameText(Frame24("TIT2", Text(1, Utf16Bom(u"\u00C4b")))), "\u00C4b");
    EXPECT_EQ(FrameText(Frame24("TIT2", {2, 0x04, 0x1F, 0x04, 0x40})), "\u041F\u0440");
    EXPECT_EQ(FrameText(Frame24("TIT2", Text(3, B("Gr\xC3\xBC\xC3\x9F" "e")))), "Gr\u00FC\u00DFe");
    // Malformed UTF-8 becomes U+FFFD instead of breaking the text.
    EXPECT_EQ(FrameText(Frame24("TIT2", Text(3, B("a\xFFz")))), "a\uFFFDz");
    EXPECT_EQ(FrameText(Frame24("COMM", Concat({{3}, B("eng"), B("d\0\xE2\x82\xAC", 5)}))),
              "\u20AC");

    const ID3V24TagPtr tag = LoadFrames(Concat({
        Frame24("TIT2", Text(3, B("Title"))), Frame24("TPE1", Latin1("Artist")),
        Frame24("TALB", Latin1("Album")), Frame24("TRCK", Latin1("7")),
        Frame24("TCON", Latin1("(9)Metal")), Frame24("COMM", CommData("eng", "", "c")),
    }));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Title(), "Title");
    EXPECT_EQ(tag->Artist(), "Artist");
    EXPECT_EQ(tag->Album(), "Album");
    EXPECT_EQ(tag->Track(), "7");
    EXPECT_EQ(tag->Genre(), "Metal");
    EXPECT_EQ(tag->GenreID(), "9");
    EXPECT_TRUE(tag->GetFrameByIndex(6)->IsComment());
    EXPECT_EQ(tag->FrameList(), "TIT2;TPE1;TALB;TRCK;TCON;COMM;");

    // Genre text "(" without ")" gives no number and no failure.
    EXPECT_EQ(LoadFrames(Frame24("TCON", Latin1("(9")))->GenreID(), "");

    EXPECT_FALSE(tag->canSave());
    EXPECT_EQ(tag->LastError()->Stream(), "0, canSave, Saving is not supported.");
    EXPECT_EQ(tag->LastError()->Mode(), 1);
    EXPECT_FALSE(tag->saveTag());
    EXPECT_EQ(tag->LastError()->Source(), "saveTag");
    EXPECT_FALSE(tag->removeTag());
    EXPECT_EQ(tag->LastError()->Description(), "Removing is not supported.");
}

TEST(ID3V24Reader, SyncsafeSizesDuplicatesZeroSizeAndPadding) {
    // Frame size 00 00 02 01 is syncsafe: 257 data bytes.
    const Bytes frame257 = Concat({B("TIT2"), {0, 0, 2, 1, 0, 0, 0}, Bytes(256, 'x')});
    const ID3V24TagPtr big = LoadFrames(Concat({frame257, Frame24("TPE1", Latin1("A"))}), 30);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->GetFrameByID("TIT2")->RawData().size(), 257u);
    EXPECT_EQ(big->Artist(), "A");
    EXPECT_EQ(big->PaddingSize(), 30);
    EXPECT_EQ(big->GetFrameByID("TIT2")->FramePosition(), 11);
    EXPECT_EQ(big->GetFrameByID("TPE1")->FramePosition(), 11 + 267);

    const ID3V24TagPtr dupes = LoadFrames(Concat({
        Frame24("TXXX", B("\0a\0one", 6)), Frame24("TIT2", {}), Frame24("TXXX", B("\0b\0two", 6)),
        Frame24("TIT2", Latin1("T")),
    }));
    ASSERT_TRUE(dupes);
    EXPECT_EQ(dupes->FrameList(), "TXXX;TXXX;TIT2;");
    EXPECT_EQ(dupes->FrameCount(), 3);
    EXPECT_EQ(dupes->GetFrameByID("TXXX")->TextData(), "one");
    EXPECT_EQ(dupes->GetFrameByIndex(2)->Description(), "b");
    EXPECT_EQ(dupes->Title(), "T");

    // Padding shorter than a frame header is still padding in this version.
    ASSERT_TRUE(LoadFrames(Frame24("TIT2", Latin1("T")), 3));
    EXPECT_EQ(LoadFrames(Frame24("TIT2", Latin1("T")), 3)->PaddingSize(), 3);
}

TEST(ID3V24Reader, UnsynchronisationAtFrameAndTagLevel) {
    // Frame-level: the frame flag 0x02; its data FF 00 FE reads FF FE.
    const Bytes title = Text(1, Utf16Bom(u"Hi"));
    const ID3V24TagPtr frameLevel =
        LoadFrames(Frame24("TIT2", Unsynchronise(title), 0, 0x02));
    ASSERT_TRUE(frameLevel);
    EXPECT_EQ(frameLevel->Title(), "Hi");
    EXPECT_EQ(frameLevel->GetFrameByID("TIT2")->RawData(), title);

    // Tag-level flag 0x80: every frame is unsynchronised, sizes count the
    // stored (unsynchronised) bytes.
    const Bytes priv = {'o', 0, 0xFF, 0xE0, 0xFF, 0x00, 0x12};
    const ID3V24TagPtr tagLevel = LoadFrames(
        Concat({Frame24("PRIV", Unsynchronise(priv)), Frame24("TIT2", Unsynchronise(title))}), 10,
        0x80);
    ASSERT_TRUE(tagLevel);
    EXPECT_EQ(tagLevel->GetFrameByID("PRIV")->RawData(), priv);
    EXPECT_EQ(tagLevel->Title(), "Hi");

    // A data length indicator is not needed to read the frame, whatever it
    // says.
    const Bytes stored = Unsynchronise(title);
    EXPECT_EQ(FrameText(Frame24("TIT2", Concat({Syncsafe32(static_cast<uint32_t>(title.size())),
                                                stored}),
                                0, 0x03)),
              "Hi");
    EXPECT_EQ(FrameText(Frame24("TIT2", Concat({Syncsafe32(2), stored}), 0, 0x03)), "Hi");
}

TEST(ID3V24Reader, CompressionDataLengthGroupAndEncryption) {
    const Bytes text = Latin1(std::string(300, 'q'));
    const Bytes packed = Zlib(text);
    const auto n = static_cast<uint32_t>(text.size());
    const ID3V24TagPtr tag = LoadFrames(Concat({
        Frame24("TIT2", Concat({Syncsafe32(n), packed}), 0, 0x09),
        Frame24("TALB", Concat({{0x05}, Syncsafe32(n), packed}), 0, 0x49),
        Frame24("TPE1", Concat({{0x80}, Latin1("secret")}), 0, 0x04),
        // Compressed and unsynchronised: unsynchronisation is undone first.
        Frame24("TCOM", Concat({Syncsafe32(n), Unsynchronise(packed)}), 0, 0x0B),
    }));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Title(), std::string(300, 'q'));
    EXPECT_EQ(tag->Album(), std::string(300, 'q'));
    EXPECT_EQ(tag->Artist(), "");
    EXPECT_TRUE(tag->GetFrameByID("TPE1")->IsEncrypted());
    EXPECT_EQ(tag->GetFrameByID("TPE1")->RawData(), Latin1("secret"));
    EXPECT_EQ(tag->GetText("TCOM"), std::string(300, 'q'));

    // Compression without a data length indicator, or one of 0, fails.
    EXPECT_EQ(LoadFrames(Frame24("TIT2", packed, 0, 0x08)), nullptr);
    EXPECT_EQ(LoadFrames(Frame24("TIT2", Concat({Syncsafe32(0), packed}), 0, 0x09)), nullptr);
    // A frame too short for its data length indicator is kept, its content
    // unknown, and the frames behind it are read.
    const ID3V24TagPtr shortFrame = LoadFrames(Concat({Frame24("TENC", {0}, 0, 0x01), Frame24("TIT2", Latin1("T"))}));
    ASSERT_TRUE(shortFrame);
    EXPECT_EQ(shortFrame->FrameCount(), 2);
    EXPECT_EQ(shortFrame->GetText("TENC"), "");
    EXPECT_EQ(shortFrame->Title(), "T");
}

TEST(ID3V24Reader, ExtendedHeaderAndFooter) {
    // The extended header's syncsafe size counts itself.
    const Bytes extended = Concat({Syncsafe32(6), {1, 0}});
    const ID3V24TagPtr ext =
        LoadFrames(Concat({extended, Frame24("TIT2", Latin1("Druids"))}), 20, 0x40);
    ASSERT_TRUE(ext);
    EXPECT_EQ(ext->Title(), "Druids");
    EXPECT_EQ(ext->ExtendedHeaderSize(), Syncsafe32(6));
    // An extended header that claims more than the tag leaves no frames.
    const ID3V24TagPtr wide =
        LoadFrames(Concat({Syncsafe32(5000), Frame24("TIT2", Latin1("x"))}), 0, 0x40);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->FrameCount(), 0);

    const Bytes frames = Frame24("TIT2", Latin1("Footer"));
    TagLayout layout;
    layout.Footer = true;
    const Bytes footedTag = Tag(4, frames, layout);
    const ID3V24TagPtr footed = Load(Concat({footedTag, FakeAudio(20)}));
    ASSERT_TRUE(footed);
    EXPECT_EQ(footed->Title(), "Footer");
    EXPECT_EQ(std::string(footed->Footer().Identifier.data(), 3), "3DI");

    Bytes wrongId = Concat({footedTag, FakeAudio(20)});
    wrongId[10 + frames.size()] = 'X';
    EXPECT_EQ(Load(wrongId), nullptr);
    Bytes wrongSize = Concat({footedTag, FakeAudio(20)});
    wrongSize[10 + frames.size() + 9] ^= 1;
    EXPECT_EQ(Load(wrongSize), nullptr);
    Bytes wrongFlags = Concat({footedTag, FakeAudio(20)});
    wrongFlags[10 + frames.size() + 5] = 0x90;
    EXPECT_EQ(Load(wrongFlags), nullptr);
    // A tag (with its footer) may be the whole file.
    ASSERT_TRUE(Load(footedTag));
    EXPECT_EQ(Load(footedTag)->Title(), "Footer");
}

TEST(ID3V24Reader, MalformedTagsFailTheLoad) {
    const Bytes frame = Frame24("TIT2", Latin1("T"));
    // A tag that runs past the end of the file (one that is the whole file
    // loads).
    ASSERT_TRUE(Load(Tag(4, frame)));
    Bytes cut = Tag(4, frame, 0, 50);
    cut.resize(40);
    EXPECT_EQ(Load(cut), nullptr);
    // A frame whose size runs past the tag (the audio behind it is not read).
    Bytes pastTag = Frame24("TIT2", Latin1("Title"));
    pastTag[7] = 0x30;
    EXPECT_EQ(LoadFrames(pastTag), nullptr);
    // A frame header cut by the end of the tag is junk behind the frames;
    // where the first frame belongs, it makes the tag damaged.
    ASSERT_TRUE(LoadFrames(Concat({frame, B("TPE1\0\0", 6)})));
    EXPECT_EQ(LoadFrames(Concat({frame, B("TPE1\0\0", 6)}))->PaddingSize(), 6);
    EXPECT_EQ(LoadFrames(B("TPE1\0\0", 6)), nullptr);
    // Sizes with bit 7 set are read as they stand (no overflow, no over-read).
    Bytes huge = frame;
    huge[4] = 0xFF;
    huge[5] = 0xFF;
    huge[6] = 0xFF;
    huge[7] = 0xFF;
    EXPECT_EQ(LoadFrames(huge), nullptr);
    // Tag flags 0x0F are rejected.
    EXPECT_EQ(LoadFrames(frame, 0, 0x01), nullptr);
    // An unsynchronised frame too short for its data length indicator.
    ASSERT_TRUE(LoadFrames(Frame24("TIT2", {0x01}, 0, 0x03)));
    EXPECT_EQ(LoadFrames(Frame24("TIT2", {0x01}, 0, 0x03))->Title(), "");
}
