#include <gtest/gtest.h>

#include "core/BinaryFile.h"
#include "file/FileHandler.h"
#include "id3v2/ID3V24Tag.h"
#include "id3v2/TagContents.h"
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

    // Written by the library itself, but a tag that belongs to no file
    // cannot be.
    EXPECT_TRUE(tag->canSave());
    EXPECT_FALSE(tag->saveTag());
    EXPECT_EQ(tag->LastError()->Stream(), "0, saveTag, The tag belongs to no file.");
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
    test::TagLayout layout;
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

namespace {

Bytes StoredOf(const FrameRecord& frame) { return Bytes(frame.stored.begin(), frame.stored.end()); }

// A file opened as hosts open it.
struct Opened {
    TempDir dir;
    std::string path = dir.File("s.mp3");
    FileHandler file;
    ID3V2TagPtr tag;

    explicit Opened(const Bytes& bytes) {
        WriteFile(path, bytes);
        EXPECT_TRUE(file.Create(path));
        tag = file.ID3V2Tag();
    }
    // The file's tag as it is now.
    TagContentsPtr Saved() const {
        BinaryFile file(path);
        return ReadTagContents(file);
    }
};

}  // namespace

TEST(ID3V24Writer, EditedFieldsAreWrittenAndOtherFramesKeepTheirBytes) {
    const Bytes text = Latin1(std::string(300, 'q'));
    const auto n = static_cast<uint32_t>(text.size());
    const std::vector<Bytes> frames = {
        Frame24("TIT2", Utf16Text("Old title")),
        Frame24("TPE1", Latin1(std::string("A\0B", 3))),
        Frame24("TALB", Concat({{0x05}, Syncsafe32(n), Zlib(text)}), 0, 0x49),
        Frame24("TPE2", {0x80, 'x'}, 0, 0x04),
        Frame24("TXXX", Text(3, B("key\0value", 9))),
        Frame24("COMM", B("\0engd\0first", 11)),
        Frame24("COMM", B("\0deu\0second", 11)),
        Frame24("APIC", Concat({B("\0image/png\0\x03\0", 13), PngImage()})),
        Frame24("PRIV", B("owner\0\x01\x02", 8)),
        Frame24("XYZ1", B("experimental")),
        Frame24("TDRC", Latin1("2005-09-05")),
    };
    Bytes body;
    for (const Bytes& frame : frames) body = Concat({body, frame});
    const Bytes audio = FakeAudio(300);
    const Bytes before = Concat({Tag(4, body, 0, 400), audio});
    Opened opened(before);
    ID3V2Tag& tag = *opened.tag;
    ASSERT_TRUE(tag.canSave());
    EXPECT_EQ(tag.Artist(), "A / B");
    tag.setTitle("\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2");  // UTF-16 holds it
    tag.setArtist("A / C");                                 // several values stay several
    tag.setYear("2006");                                    // the rest of the time stays
    tag.setAlbum(tag.Album());                              // no change
    tag.setComment(tag.Comment());
    tag.setPicture(tag.Picture());
    tag.setGenre("Rock");                                   // a new frame, at the end
    EXPECT_EQ(tag.Title(), "\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2");
    ASSERT_TRUE(tag.saveTag());
    EXPECT_TRUE(tag.SaveNotes().empty());

    // The tag keeps its size, the audio its place.
    const Bytes after = ReadFile(opened.path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(Bytes(after.end() - 300, after.end()), audio);
    const TagContentsPtr saved = opened.Saved();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->version, 4);
    ASSERT_EQ(saved->frames.size(), frames.size() + 1);
    std::vector<Bytes> expected = frames;
    expected[0] = Frame24("TIT2", Utf16Text("\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2"));
    expected[1] = Frame24("TPE1", Latin1(std::string("A\0C", 3)));
    expected[10] = Frame24("TDRC", Latin1("2006-09-05"));
    expected.push_back(Frame24("TCON", Latin1("Rock")));
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(StoredOf(saved->frames[i]), expected[i]) << i;

    // Read again: the new values; a text Latin-1 cannot hold turns a Latin-1
    // frame into UTF-8, and a tag that outgrows its size gets padding.
    Opened again(after);
    EXPECT_EQ(again.tag->Title(), "\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2");
    EXPECT_EQ(again.tag->Year(), "2006");
    again.tag->setArtist("\u03A9mega");
    again.tag->setLyricsUnsynced(std::string(2000, 'l'));
    again.tag->setComment("");  // the comment without description goes
    ASSERT_TRUE(again.tag->saveTag());
    const TagContentsPtr grown = again.Saved();
    ASSERT_TRUE(grown);
    EXPECT_EQ(StoredOf(*grown->Find("TPE1")), Frame24("TPE1", Text(3, B("\u03A9mega"))));
    EXPECT_GE(grown->paddingSize, 1024u);
    EXPECT_EQ(grown->TotalSize() % 4096, saved->TotalSize() % 4096);
    EXPECT_EQ(grown->frames.size(), frames.size() + 1);
    const Bytes grownFile = ReadFile(again.path);
    EXPECT_EQ(Bytes(grownFile.end() - 300, grownFile.end()), audio);
    EXPECT_EQ(again.tag->Comment(), "");

    // Removal needs no id3lib and leaves the audio.
    ASSERT_TRUE(again.tag->removeTag());
    EXPECT_EQ(ReadFile(again.path), audio);
}

TEST(ID3V24Writer, FooterExtendedHeaderAndUnsynchronisation) {
    const Bytes priv = {'o', 0, 0xFF, 0xE0, 0xFF, 0x00, 0x12};
    const Bytes crc = Concat({Syncsafe32(12), {1, 0x20, 5, 0, 0, 0, 0, 0}});
    const Bytes frames = Concat({Frame24("PRIV", Unsynchronise(priv)), Frame24("TIT2", Latin1("Old"))});
    TagLayout layout;
    layout.Flags = 0x80;
    layout.ExtendedHeader = crc;
    layout.Footer = true;
    Opened opened(Concat({Tag(4, frames, layout), FakeAudio(100)}));
    opened.tag->setTitle("New");
    ASSERT_TRUE(opened.tag->saveTag());
    // A footer stays; the checksum and the unsynchronisation do not, and the
    // save says so.
    EXPECT_EQ(opened.tag->SaveNotes().size(), 2u);
    const TagContentsPtr saved = opened.Saved();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->flags, 0x10);
    EXPECT_TRUE(saved->hasFooter);
    EXPECT_EQ(saved->paddingSize, 0u);
    EXPECT_EQ(StoredOf(saved->frames.at(0)), Frame24("PRIV", priv));
    EXPECT_EQ(StoredOf(saved->frames.at(1)), Frame24("TIT2", Latin1("New")));
    // Saving again without changes writes nothing.
    const Bytes now = ReadFile(opened.path);
    EXPECT_TRUE(opened.tag->saveTag());
    EXPECT_EQ(ReadFile(opened.path), now);
}
