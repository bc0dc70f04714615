#include <gtest/gtest.h>

#include "core/BinaryFile.h"
#include "id3v2/ID3V23Tag.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using namespace korvel::test;

namespace {

ID3V23TagPtr Load(const Bytes& bytes) { return LoadReader<ID3V23Tag>(bytes); }

ID3V23TagPtr LoadFrames(const Bytes& frames, size_t padding = 0) {
    return LoadTagFrames<ID3V23Tag>(3, frames, padding);
}

std::string FrameText(const Bytes& frame) { return OnlyFrameText<ID3V23Tag>(3, frame); }

}  // namespace

TEST(ID3V23Reader, TextFramesInEveryEncoding) {
    EXPECT_EQ(FrameText(Frame23("TIT2", B("\0ABC", 4))), "ABC");
    EXPECT_EQ(FrameText(Frame23("TIT2", {1, 0xFF, 0xFE, 0x41, 0})), "A");
    EXPECT_EQ(FrameText(Frame23("TIT2", {1, 0xFE, 0xFF, 0, 0x41})), "A");
    // A trailing odd byte of UTF-16 is ignored; zero characters are kept.
    EXPECT_EQ(FrameText(Frame23("TIT2", {1, 0xFF, 0xFE, 0x41, 0, 0x42})), "A");
    // Terminators end values; more values are joined by " / ", each UTF-16
    // one with its own byte-order mark.
    EXPECT_EQ(FrameText(Frame23("TIT2", B("\0A\0", 3))), "A");
    EXPECT_EQ(FrameText(Frame23("TPE1", B("\0One\0Two\0", 9))), "One / Two");
    EXPECT_EQ(FrameText(Frame23("TPE1", Concat({{1}, Utf16Bom(u"A"), {0, 0}, {0xFE, 0xFF, 0, 0x42}}))), "A / B");
    EXPECT_EQ(FrameText(Frame23("TIT2", {0, 0x80, 0xE9})), "\u20AC\u00E9");
    // UTF-16 big-endian without a mark and UTF-8.
    EXPECT_EQ(FrameText(Frame23("TIT2", {2, 0x00, 0x48, 0x03, 0xA9})), "H\u03A9");
    EXPECT_EQ(FrameText(Frame23("TIT2", Concat({{3}, B("\xC3\xA4\xE2\x82\xAC")}))), "\u00E4\u20AC");
    // An unknown encoding leaves the bytes.
    EXPECT_EQ(FrameText(Frame23("TIT2", {4, 'x'})), "2 bytes");
    EXPECT_EQ(FrameText(Frame23("TIT2", {0})), "");

    // Non-text frames.
    EXPECT_EQ(FrameText(Frame23("PCNT", {0, 0, 1, 0})), "256");
    EXPECT_EQ(FrameText(Frame23("PCNT", {0xA1, 0x7B, 0x5F, 0x65})), "2709217125");
    EXPECT_EQ(FrameText(Frame23("WXXX", B("\0desc\0http://x", 15))), "http://x");
    EXPECT_EQ(FrameText(Frame23("WOAR", B("http://artist\0", 14))), "http://artist");
    EXPECT_EQ(FrameText(Frame23("PRIV", B("owner\0data", 10))), "owner, 4 bytes");
    EXPECT_EQ(FrameText(Frame23("UFID", B("owner\0id-1", 10))), "owner: id-1");
    EXPECT_EQ(FrameText(Frame23("PRIV", B("owner\0\x01\x02", 8))), "owner, 2 bytes");
    EXPECT_EQ(FrameText(Frame23("POPM", B("me@x\0\xC4\0\0\x01\0", 10))), "me@x, rating 196, 256 plays");
    EXPECT_EQ(FrameText(Frame23("MCDI", Bytes(12, 0x2A))), "12 bytes");
}

TEST(ID3V23Reader, CommentsLyricsAndDescriptions) {
    const ID3V23TagPtr tag = LoadFrames(Frame23("COMM", CommData("eng", "", "Hi")));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Comment(), "Hi");
    EXPECT_EQ(tag->GetFrameByID("COMM")->removeHeader(), B("Hi"));

    // UTF-16 with an empty description: the description ends at the first
    // aligned pair of zero bytes, not at the first zero byte.
    EXPECT_EQ(FrameText(Frame23("COMM", Concat({{1}, B("eng"), {0xFF, 0xFE, 0, 0},
                                               Utf16Bom(u"Hi")}))),
              "Hi");
    EXPECT_EQ(FrameText(Frame23("COMM", Concat({{1}, B("eng"), Utf16Bom(u"A"), {0, 0},
                                               Utf16Bom(u"Hi")}))),
              "Hi");
    EXPECT_EQ(FrameText(Frame23("USLT", Concat({{2}, B("eng"), {0, 0x41, 0, 0, 0, 0x4C, 0, 0x61}}))),
              "La");
    EXPECT_EQ(FrameText(Frame23("USLT", Concat({{3}, B("deu"), B("d\0\xC3\xBC", 4)}))), "\u00FC");
    // Synchronised lyrics: the lines' texts.
    EXPECT_EQ(FrameText(Frame23("SYLT", Concat({{0}, B("eng"), {2, 1}, B("d\0words", 7)}))),
              "words");
    EXPECT_EQ(FrameText(Frame23("SYLT", Concat({{0}, B("eng"), {2, 1}, B("d\0one\0", 6), BigEndian32(10),
                                               B("\ntwo\0", 5), BigEndian32(20)}))),
              "one\ntwo");
    // An unknown encoding leaves the bytes; without a terminator the rest is
    // the description.
    EXPECT_EQ(FrameText(Frame23("COMM", B("\x07" "eng\0\x01Hi", 8))), "8 bytes");
    EXPECT_EQ(FrameText(Frame23("COMM", B("\0engHi", 6))), "");
}

TEST(ID3V23Reader, PicturesAndRawData) {
    const Bytes image = TinyBmp();
    const ID3V23TagPtr tag = LoadFrames(Concat({
        Frame23("APIC", Concat({B("\0image/bmp\0\x03\0", 13), image})),
        Frame23("PRIV", B("owner\0data", 10)),
    }));
    ASSERT_TRUE(tag);
    const ID3V23FramePtr apic = tag->GetFrameByID("APIC");
    ASSERT_TRUE(apic);
    EXPECT_TRUE(apic->IsPicture());
    EXPECT_EQ(apic->PictureRAW(), image);
    ASSERT_TRUE(tag->Picture());
    EXPECT_NE(tag->Picture()->handle(), 0);
    EXPECT_EQ(tag->Picture()->Data(), image);

    // A UTF-16 description and a picture type of 0.
    const ID3V23TagPtr wide = LoadFrames(Frame23(
        "APIC", Concat({B("\x01image/bmp\0\0", 12), Utf16Bom(u"c"), {0, 0}, image})));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->GetFrameByID("APIC")->PictureRAW(), image);

    EXPECT_EQ(tag->GetFrameByID("PRIV")->RawData(), B("owner\0data", 10));
    EXPECT_TRUE(tag->GetFrameByID("PRIV")->removeHeader().empty());
    // A tag without a picture, and bytes that are no image.
    EXPECT_EQ(LoadFrames(Frame23("TIT2", Latin1("x")))->Picture(), nullptr);
    EXPECT_EQ(LoadFrames(Frame23("APIC", B("\0image/png\0\x03\0junk", 16)))->Picture(), nullptr);
}

TEST(ID3V23Reader, PropertiesGenresAndLookups) {
    const ID3V23TagPtr tag = LoadFrames(Concat({
        Frame23("TIT2", Latin1("Title")), Frame23("TPE1", Latin1("Artist")),
        Frame23("TALB", Latin1("Album")), Frame23("TCON", Latin1("(17)Rock")),
        Frame23("TRCK", Latin1("3/12")), Frame23("TYER", Latin1("1999")),
        Frame23("TCOM", Latin1("Composer")), Frame23("TOPE", Latin1("Original")),
        Frame23("TCOP", Latin1("Copy")), Frame23("TENC", Latin1("Enc")),
        Frame23("USLT", CommData("eng", "", "Lyrics")),
    }));
    ASSERT_TRUE(tag);
    EXPECT_FALSE(tag->IsUpdatable());
    EXPECT_EQ(tag->Title(), "Title");
    EXPECT_EQ(tag->Artist(), "Artist");
    EXPECT_EQ(tag->Album(), "Album");
    EXPECT_EQ(tag->Genre(), "Rock");
    EXPECT_EQ(tag->GenreID(), "17");
    EXPECT_EQ(tag->Track(), "3/12");
    EXPECT_EQ(tag->Year(), "1999");
    EXPECT_EQ(tag->Composer(), "Composer");
    EXPECT_EQ(tag->OriginalArtist(), "Original");
    EXPECT_EQ(tag->Copyright(), "Copy");
    EXPECT_EQ(tag->EncodedBy(), "Enc");
    EXPECT_EQ(tag->LyricsUnsynced(), "Lyrics");
    EXPECT_EQ(tag->LyricsSynced(), "");
    EXPECT_EQ(tag->Comment(), "");
    EXPECT_EQ(tag->UserURL(), "");
    int16_t id = -1;
    std::string description = "unchanged";
    EXPECT_TRUE(tag->splittedGenre(id, description));
    EXPECT_EQ(id, 17);
    EXPECT_EQ(description, "Rock");

    // Writes do nothing in this mode.
    tag->setTitle("Other");
    tag->setYear("2000");
    EXPECT_EQ(tag->Title(), "Title");
    EXPECT_EQ(tag->Year(), "1999");

    // Lookups never fail loudly; GetText("IT2") finds the substring "IT2;"
    // in the frame list but no frame.
    EXPECT_EQ(tag->GetFrameByID("XXXX"), nullptr);
    EXPECT_EQ(tag->GetFrameByIndex(0), nullptr);
    EXPECT_EQ(tag->GetFrameByIndex(12), nullptr);
    EXPECT_EQ(tag->GetText("IT2"), "");
    EXPECT_TRUE(tag->GetFrameByIndex(1)->IsTitle());
    EXPECT_TRUE(tag->GetFrameByIndex(4)->IsGenre());

    auto genreOf = [](const std::string& text) {
        const ID3V23TagPtr t = LoadFrames(Frame23("TCON", Latin1(text)));
        int16_t n = -1;
        std::string d = "unchanged";
        t->splittedGenre(n, d);
        return t->Genre() + "|" + t->GenreID() + "|" + std::to_string(n) + "|" + d;
    };
    EXPECT_EQ(genreOf("Rock"), "Rock||-1|unchanged");
    EXPECT_EQ(genreOf("(17)"), "|17|17|");
    EXPECT_EQ(genreOf("(RX)Remix"), "Remix|RX|-1|Remix");
    // "(" without ")": the whole text, no number.
    EXPECT_EQ(genreOf("(17"), "(17||-1|(17");
}

TEST(ID3V23Reader, FrameWalkDuplicatesZeroSizeAndPadding) {
    const ID3V23TagPtr tag = LoadFrames(
        Concat({
            Frame23("COMM", CommData("eng", "", "first")),
            Frame23("TXXX", B("\0a\0one", 6)),
            Frame23("TPE1", {}),  // size 0: skipped, the walk goes on 10 bytes further
            Frame23("COMM", CommData("eng", "", "second")),
            Frame23("TXXX", B("\0b\0two", 6)),
            Frame23("TIT2", Latin1("T")),
        }),
        300);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->FrameList(), "COMM;TXXX;COMM;TXXX;TIT2;");
    EXPECT_EQ(tag->FrameCount(), 5);
    EXPECT_EQ(tag->Comment(), "first");
    EXPECT_EQ(tag->GetFrameByIndex(3)->TextData(), "second");
    EXPECT_EQ(tag->GetFrameByID("TXXX")->TextData(), "one");
    EXPECT_EQ(tag->GetFrameByID("TXXX")->Description(), "a");
    EXPECT_EQ(tag->Title(), "T");
    EXPECT_EQ(tag->Artist(), "");
    EXPECT_EQ(tag->PaddingSize(), 300);

    // Frame sizes are plain big-endian numbers: 00 00 01 01 means 257 bytes.
    const Bytes long257 = Concat({B("TIT2"), {0, 0, 1, 1, 0, 0, 0}, Bytes(256, 'x')});
    const ID3V23TagPtr big = LoadFrames(long257);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->GetFrameByID("TIT2")->RawData().size(), 257u);
    EXPECT_EQ(big->GetFrameByID("TIT2")->TotalSize(), 267);

    // Padding shorter than a frame header is padding all the same.
    for (size_t padding = 1; padding < 10; ++padding) {
        const ID3V23TagPtr padded = LoadFrames(Frame23("TIT2", Latin1("T")), padding);
        ASSERT_TRUE(padded) << padding;
        EXPECT_EQ(padded->Title(), "T");
        EXPECT_EQ(padded->PaddingSize(), static_cast<int32_t>(padding));
    }
    // A tag of padding only, and one without frames at all, load.
    ASSERT_TRUE(LoadFrames({}, 64));
    EXPECT_EQ(LoadFrames({}, 64)->FrameCount(), 0);
}

TEST(ID3V23Reader, UnsynchronisationAndExtendedHeader) {
    // Frame data FF 00 E0 inside an unsynchronised tag reads as FF E0.
    const Bytes frames = Frame23("PRIV", {'o', 0, 0xFF, 0xE0, 0xFF});
    const Bytes unsync = Unsynchronise(frames);
    ASSERT_NE(unsync.size(), frames.size());
    const ID3V23TagPtr tag = Load(Concat({Tag(3, unsync, 0x80, 20), FakeAudio(50)}));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->GetFrameByID("PRIV")->RawData(), Bytes({'o', 0, 0xFF, 0xE0, 0xFF}));

    // Extended header: a 4-byte size (6, not counting itself), then 6 bytes.
    const Bytes extended = Concat({BigEndian32(6), {0, 0}, BigEndian32(40)});
    const ID3V23TagPtr ext = Load(
        Concat({Tag(3, Concat({extended, Frame23("TIT2", Latin1("E"))}), 0x40, 40),
                FakeAudio(50)}));
    ASSERT_TRUE(ext);
    EXPECT_EQ(ext->Title(), "E");
    EXPECT_EQ(ext->ExtendedHeaderSize(), BigEndian32(6));
    // An extended header size below 1 fails the load.
    EXPECT_EQ(Load(Concat({Tag(3, Concat({BigEndian32(0), Frame23("TIT2", Latin1("E"))}), 0x40),
                           FakeAudio(50)})),
              nullptr);
    // Flags 0x0E are rejected.
    EXPECT_EQ(Load(Concat({Tag(3, Frame23("TIT2", Latin1("E")), 0x02), FakeAudio(50)})), nullptr);
}

TEST(ID3V23Reader, CompressedEncryptedAndGroupedFrames) {
    const Bytes text = Latin1(std::string(500, 'z') + "end");
    const Bytes packed = Zlib(text);
    const ID3V23TagPtr tag = LoadFrames(Concat({
        Frame23("TIT2", Concat({BigEndian32(static_cast<uint32_t>(text.size())), packed}), 0, 0x80),
        Frame23("TPE1", Concat({{0x81}, Latin1("secret")}), 0, 0x40),
        Frame23("TALB", Concat({{0x07}, Latin1("grouped")}), 0, 0x20),
        Frame23("TCOM", Concat({BigEndian32(static_cast<uint32_t>(text.size())), {0x99}, packed}),
                0, 0xE0),
    }));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->Title(), std::string(500, 'z') + "end");
    EXPECT_EQ(tag->GetFrameByID("TIT2")->RawData(), text);
    // Encrypted frames keep their data and give no text.
    EXPECT_EQ(tag->Artist(), "");
    EXPECT_TRUE(tag->GetFrameByID("TPE1")->IsEncrypted());
    EXPECT_EQ(tag->GetFrameByID("TPE1")->RawData(), Latin1("secret"));
    EXPECT_EQ(tag->GetFrameByID("TPE1")->EncryptionMethod(), 0x81);
    EXPECT_EQ(tag->Album(), "grouped");
    EXPECT_EQ(tag->GetFrameByID("TALB")->GroupIdentifier(), 0x07);
    EXPECT_EQ(tag->Composer(), "");

    // A declared size smaller than the stream cuts the output there; a larger
    // one keeps what the stream holds.
    EXPECT_EQ(FrameText(Frame23("TIT2", Concat({BigEndian32(11), packed}), 0, 0x80)),
              std::string(10, 'z'));
    EXPECT_EQ(FrameText(Frame23("TIT2", Concat({BigEndian32(100000), packed}), 0, 0x80)),
              std::string(500, 'z') + "end");
    // Declared sizes of 0, negative or past any tag fail; so does a frame too
    // short for its appended bytes.
    EXPECT_EQ(LoadFrames(Frame23("TIT2", Concat({BigEndian32(0), packed}), 0, 0x80)), nullptr);
    EXPECT_EQ(LoadFrames(Frame23("TIT2", Concat({BigEndian32(0x80000000u), packed}), 0, 0x80)),
              nullptr);
    EXPECT_EQ(LoadFrames(Frame23("TIT2", Concat({BigEndian32(0x7FFFFFFFu), packed}), 0, 0x80)),
              nullptr);
    // A frame too short for its appended bytes keeps its place, its content
    // unknown.
    ASSERT_TRUE(LoadFrames(Frame23("TIT2", {0, 0}, 0, 0x80)));
    EXPECT_EQ(LoadFrames(Frame23("TIT2", {0, 0}, 0, 0x80))->Title(), "");
    // Garbage instead of a zlib stream inflates to nothing.
    EXPECT_EQ(FrameText(Frame23("TIT2", Concat({BigEndian32(50), B("garbage!")}), 0, 0x80)), "");
}

TEST(ID3V23Reader, InternalModeCannotSaveOrRemove) {
    const ID3V23TagPtr tag = LoadFrames(Frame23("TIT2", Latin1("T")));
    ASSERT_TRUE(tag);
    EXPECT_FALSE(tag->saveTag());
    EXPECT_EQ(tag->LastError()->Mode(), 1);
    EXPECT_EQ(tag->LastError()->Source(), "saveTag");
    EXPECT_EQ(tag->LastError()->Description(), "Saving is not supported.");
    EXPECT_FALSE(tag->removeTag());
    EXPECT_EQ(tag->LastError()->Source(), "Remove functionality");
    EXPECT_EQ(tag->LastError()->Description(), "Removing is not supported.");
}
