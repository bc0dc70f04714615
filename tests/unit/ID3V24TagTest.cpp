#include <gtest/gtest.h>

#include "core/BinaryFile.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameEncoder.h"
#include "id3v2/ID3V24Tag.h"
#include "id3v2/TagWriter.h"
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

// A tag with a footer: the header's copy with "3DI".
Bytes WithFooter(const Bytes& frames) {
    test::TagLayout layout;
    layout.Footer = true;
    return Tag(4, frames, layout);
}

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

// A tag read back into the frame model.
TagContentsPtr Parsed(const Bytes& tag) { return ParseTagContents(std::make_shared<const Bytes>(tag)); }

Bytes StoredOf(const FrameRecord& frame) { return Bytes(frame.stored.begin(), frame.stored.end()); }

// One frame of the content, written into a tag of the version and decoded
// again (the decoded bytes live as long as the test).
FrameContent RoundTrip(const std::string& id, const FrameContent& content, int version) {
    static std::vector<TagContentsPtr> kept;
    korvel::TagLayout layout;
    layout.version = version;
    const Bytes record = EncodeFrame(id, content, version);
    kept.push_back(Parsed(BuildTag({record}, layout)));
    EXPECT_TRUE(kept.back() && kept.back()->frames.size() == 1) << id;
    return DecodeFrame(kept.back()->frames.at(0));
}

}  // namespace

TEST(TagWriter, FramesOfEveryKindRoundTrip) {
    const Bytes image = PngImage();
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        FrameContent text;
        text.kind = FrameKind::Text;
        text.values = {"One", "Caf\u00E9"};
        text.encoding = ChooseEncoding(text, version, kEncodingLatin1);
        EXPECT_EQ(text.encoding, kEncodingLatin1);
        // Version 2.3 knows one string: the values are joined by "/".
        EXPECT_EQ(RoundTrip("TPE1", text, version).values,
                  version == 4 ? text.values : std::vector<std::string>{"One/Caf\u00E9"});

        FrameContent comment;
        comment.kind = FrameKind::Comment;
        comment.language = "deu";
        comment.description = "\u03A9 desc";
        comment.values = {"\u65E5\u672C"};
        comment.encoding = ChooseEncoding(comment, version, kEncodingLatin1);
        EXPECT_EQ(comment.encoding, version == 4 ? kEncodingUtf8 : kEncodingUtf16);
        const FrameContent readComment = RoundTrip("COMM", comment, version);
        EXPECT_EQ(readComment.language, "deu");
        EXPECT_EQ(readComment.description, comment.description);
        EXPECT_EQ(readComment.values, comment.values);

        FrameContent picture;
        picture.kind = FrameKind::Picture;
        picture.mime = "image/png";
        picture.pictureType = 3;
        picture.description = "Cover";
        picture.data = image;
        const FrameContent readPicture = RoundTrip("APIC", picture, version);
        EXPECT_EQ(readPicture.mime, "image/png");
        EXPECT_EQ(readPicture.pictureType, 3);
        EXPECT_EQ(readPicture.description, "Cover");
        EXPECT_EQ(Bytes(readPicture.data.begin(), readPicture.data.end()), image);

        FrameContent lyrics;
        lyrics.kind = FrameKind::SyncedLyrics;
        lyrics.encoding = kEncodingUtf16;
        lyrics.language = "";  // written as "XXX"
        lyrics.timestampFormat = 2;
        lyrics.contentType = 1;
        lyrics.lines = {{1000, "first"}, {2500, "\u00FCber"}};
        const FrameContent readLyrics = RoundTrip("SYLT", lyrics, version);
        EXPECT_EQ(readLyrics.language, "XXX");
        EXPECT_EQ(readLyrics.timestampFormat, 2);
        ASSERT_EQ(readLyrics.lines.size(), 2u);
        EXPECT_EQ(readLyrics.lines[1].time, 2500u);
        EXPECT_EQ(readLyrics.lines[1].text, "\u00FCber");

        FrameContent rating;
        rating.kind = FrameKind::Popularimeter;
        rating.email = "me@example.org";
        rating.rating = 196;
        rating.hasCounter = true;
        rating.counter = 0x123456789;  // beyond four bytes
        const FrameContent readRating = RoundTrip("POPM", rating, version);
        EXPECT_EQ(readRating.email, "me@example.org");
        EXPECT_EQ(readRating.rating, 196);
        EXPECT_EQ(readRating.counter, 0x123456789u);

        const Bytes id = B("5f1a-0001");
        FrameContent owner;
        owner.kind = FrameKind::Owner;
        owner.owner = "http://musicbrainz.org";
        owner.data = id;
        EXPECT_EQ(FrameValueText(RoundTrip("UFID", owner, version)), "http://musicbrainz.org: 5f1a-0001");

        FrameContent link;
        link.kind = FrameKind::UserUrl;
        link.description = "Site";
        link.url = "http://example.org/a";
        EXPECT_EQ(RoundTrip("WXXX", link, version).url, link.url);

        FrameContent object;
        object.kind = FrameKind::Object;
        object.mime = "application/x";
        object.fileName = "x.bin";
        object.description = "blob";
        object.data = id;
        EXPECT_EQ(FrameValueText(RoundTrip("GEOB", object, version)), "application/x, 9 bytes, \"x.bin\", \"blob\"");

        FrameContent people;
        people.kind = FrameKind::People;
        people.people = {{"producer", "Somebody"}, {"mix", "Other"}};
        EXPECT_EQ(RoundTrip(version == 4 ? "TIPL" : "IPLS", people, version).people, people.people);
    }

    // Latin-1 here leaves out the C1 controls; UTF-16BE and UTF-8 are
    // version 2.4 encodings.
    EXPECT_TRUE(EncodingHolds(kEncodingLatin1, "Caf\u00E9"));
    EXPECT_FALSE(EncodingHolds(kEncodingLatin1, "\u0085"));
    EXPECT_FALSE(EncodingHolds(kEncodingLatin1, "\u20AC"));
    EXPECT_FALSE(EncodingAllowed(kEncodingUtf8, 3));
    EXPECT_TRUE(EncodingAllowed(kEncodingUtf16BE, 4));
    FrameContent greek;
    greek.kind = FrameKind::Text;
    greek.values = {"\u03A9"};
    EXPECT_THROW(EncodeFrameData("TIT2", greek, 4), KorvelException);
    greek.encoding = kEncodingUtf8;
    EXPECT_THROW(EncodeFrameData("TIT2", greek, 3), KorvelException);
    greek.encoding = kEncodingUtf16BE;
    EXPECT_EQ(EncodeFrameData("TIT2", greek, 4), (Bytes{2, 0x03, 0xA9}));
    FrameContent unknown;
    unknown.kind = FrameKind::Unreadable;
    EXPECT_THROW(EncodeFrameData("TIT2", unknown, 4), KorvelException);

    // Records: the size syncsafe in 2.4, the group behind the header.
    EXPECT_EQ(EncodeFrameRecord("TIT2", Latin1("A"), 4, 0x40, 7), Frame24("TIT2", {7, 0, 'A'}, 0x40, 0x40));
    EXPECT_EQ(EncodeFrameRecord("TIT2", Bytes(200, 'a'), 3), Frame23("TIT2", Bytes(200, 'a')));
    EXPECT_EQ(EncodeFrameRecord("TIT2", Bytes(200, 'a'), 4), Frame24("TIT2", Bytes(200, 'a')));
    EXPECT_THROW(EncodeFrameRecord("TIT", {}, 4), KorvelException);
    const FrameRecord made = MakeFrameRecord(EncodeFrameRecord("TALB", Latin1("A"), 4, 0, 3), 4);
    EXPECT_EQ(made.group, 3);
    EXPECT_EQ(Bytes(made.data.begin(), made.data.end()), Latin1("A"));
}

TEST(TagWriter, PaddingFooterAndExtendedHeader) {
    const Bytes title = Frame24("TIT2", Latin1("Title"));
    korvel::TagLayout layout;
    // Without a size to keep, the minimum padding.
    EXPECT_EQ(BuildTag({title}, layout), Tag(4, title, 0, 1024));
    // The frames fit the size to keep: exactly that size.
    layout.fitSize = 200;
    EXPECT_EQ(BuildTag({title}, layout), Tag(4, title, 0, 200 - 10 - title.size()));
    layout.fitSize = 10 + title.size();
    EXPECT_EQ(BuildTag({title}, layout), Tag(4, title));
    // Too small, or so large that mostly padding would be kept: it grows or
    // shrinks to the minimum padding.
    for (const size_t fit : {size_t{20}, 10 + title.size() + (size_t{2} << 20)}) {
        layout.fitSize = fit;
        EXPECT_EQ(BuildTag({title}, layout).size(), 10 + title.size() + 1024);
    }
    // A footer repeats the header and rules padding out.
    layout.footer = true;
    layout.fitSize = 500;
    EXPECT_EQ(BuildTag({title}, layout), WithFooter(title));
    korvel::TagLayout huge;
    huge.minimumPadding = 0x10000000;
    EXPECT_THROW(BuildTag({title}, huge), KorvelException);

    // Version 2.3 states its padding in the extended header.
    korvel::TagLayout v23;
    v23.version = 3;
    v23.minimumPadding = 100;
    v23.extendedHeader = Concat({BigEndian32(6), {0, 0}, BigEndian32(0)});
    const TagContentsPtr ext23 = Parsed(BuildTag({Frame23("TIT2", Latin1("T"))}, v23));
    ASSERT_TRUE(ext23);
    EXPECT_EQ(StoredOf(ext23->frames.at(0)), Frame23("TIT2", Latin1("T")));
    EXPECT_EQ(Bytes(ext23->extendedHeader.begin(), ext23->extendedHeader.end()),
              Concat({BigEndian32(6), {0, 0}, BigEndian32(100)}));

    // The old tag's shape is kept: extended header, footer, size.
    const Bytes extended = Concat({Syncsafe32(6), {1, 0}});
    std::vector<std::string> notes;
    const TagContentsPtr plain = Parsed(Tag(4, Concat({extended, title}), 0x40, 30));
    const korvel::TagLayout kept = LayoutOf(*plain, &notes);
    EXPECT_EQ(kept.extendedHeader, extended);
    EXPECT_EQ(kept.fitSize, plain->TotalSize());
    EXPECT_FALSE(kept.footer);
    EXPECT_TRUE(notes.empty());
    // An extended header with a checksum of the frames is dropped, and the
    // tag's unsynchronisation is not kept: both noted.
    const Bytes crc = Concat({Syncsafe32(12), {1, 0x20, 5, 0, 0, 0, 0, 0}});
    const TagContentsPtr checked = Parsed(Tag(4, Concat({crc, title}), 0xC0, 0));
    ASSERT_TRUE(checked);
    EXPECT_TRUE(LayoutOf(*checked, &notes).extendedHeader.empty());
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "The tag's extended header is left out: its checksum of the frames would no longer hold.");
    EXPECT_TRUE(LayoutOf(*Parsed(WithFooter(title))).footer);
}

TEST(TagWriter, CarriedRecordsKeepTheirBytes) {
    const Bytes text = Latin1(std::string(300, 'q'));
    const auto n = static_cast<uint32_t>(text.size());
    const std::vector<Bytes> frames = {
        Frame24("TALB", Concat({{0x05}, Syncsafe32(n), Zlib(text)}), 0x20, 0x49),  // grouped, compressed, DLI
        Frame24("TPE1", {0x80, 'x'}, 0, 0x04),                                      // encrypted
        Frame24("XYZ1", B("experimental")),
        Frame24("TIT2", Unsynchronise({0, 0xFF, 0xE0}), 0, 0x02),  // its own unsynchronisation
    };
    const TagContentsPtr old = Parsed(Tag(4, Concat({frames[0], frames[1], frames[2], frames[3]}), 0, 10));
    ASSERT_TRUE(old);
    ASSERT_EQ(old->frames.size(), frames.size());
    Bytes scratch;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(Bytes(CarriedRecord(*old, old->frames[i], scratch).begin(),
                        CarriedRecord(*old, old->frames[i], scratch).end()),
                  frames[i]);
    }
    EXPECT_TRUE(scratch.empty());

    // Under the tag's unsynchronisation flag a frame is written plainly.
    const Bytes priv = {'o', 0, 0xFF, 0xE0, 0xFF, 0x00, 0x12};
    const TagContentsPtr unsynced = Parsed(Tag(4, Frame24("PRIV", Unsynchronise(priv)), 0x80));
    ASSERT_TRUE(unsynced);
    const auto plain = CarriedRecord(*unsynced, unsynced->frames.at(0), scratch);
    EXPECT_EQ(Bytes(plain.begin(), plain.end()), Frame24("PRIV", priv));
    // A size written plainly big-endian gets its syncsafe form.
    const Bytes long_title = Latin1(std::string(199, 'a'));
    const TagContentsPtr bigEndian =
        Parsed(Tag(4, Concat({B("TIT2"), BigEndian32(200), {0, 0}, long_title, Frame24("TPE1", Latin1("A"))})));
    ASSERT_TRUE(bigEndian);
    const auto resized = CarriedRecord(*bigEndian, bigEndian->frames.at(0), scratch);
    EXPECT_EQ(Bytes(resized.begin(), resized.end()), Frame24("TIT2", long_title));
    // A record made in memory is taken as it is.
    const FrameRecord made = MakeFrameRecord(Frame24("TCON", Latin1("Rock")), 4);
    EXPECT_EQ(CarriedRecord(*old, made, scratch).data(), made.stored.data());
}

TEST(TagWriter, Version22TagsUpgradeTo23) {
    const Bytes image = TinyBmp();
    const TagContentsPtr v22 = Parsed(Tag(2, Concat({
                                                  Frame22("TT2", Latin1("Title")),
                                                  Frame22("CRM", B("owner\0x", 7)),
                                                  Frame22("COM", B("\0engd\0text", 10)),
                                                  Frame22("PIC", Concat({B("\0BMP\x03" "c\0", 7), image})),
                                                  Frame22("LNK", B("TT2http://x\0", 12)),
                                                  Frame22("XYZ", B("x")),
                                                  Frame22("XYZ", B("y")),
                                              })));
    ASSERT_TRUE(v22);
    std::vector<std::string> lost;
    const TagContentsPtr v23 = UpgradeTo23(*v22, &lost);
    ASSERT_TRUE(v23);
    EXPECT_EQ(v23->version, 3);
    EXPECT_EQ(lost, (std::vector<std::string>{"CRM", "XYZ"}));
    ASSERT_EQ(v23->frames.size(), 4u);
    EXPECT_EQ(StoredOf(v23->frames[0]), Frame23("TIT2", Latin1("Title")));
    EXPECT_EQ(StoredOf(v23->frames[1]), Frame23("COMM", B("\0engd\0text", 10)));
    const FrameContent picture = DecodeFrame(v23->frames[2]);
    EXPECT_EQ(v23->frames[2].id, "APIC");
    EXPECT_EQ(picture.mime, "image/bmp");
    EXPECT_EQ(picture.pictureType, 3);
    EXPECT_EQ(picture.description, "c");
    EXPECT_EQ(Bytes(picture.data.begin(), picture.data.end()), image);
    EXPECT_EQ(StoredOf(v23->frames[3]), Frame23("LINK", B("TIT2http://x\0", 13)));
    // Nothing to convert: an empty version 2.3 tag.
    const TagContentsPtr none = UpgradeTo23(*Parsed(Tag(2, Frame22("XYZ", B("x")))));
    EXPECT_EQ(none->version, 3);
    EXPECT_TRUE(none->frames.empty());
}

TEST(TagWriter, ReplaceLeadingTagWritesTheFileBesideIt) {
    TempDir dir;
    const std::string path = dir.File("t.mp3");
    const Bytes audio = FakeAudio(500);
    const Bytes old = Tag(4, Frame24("TIT2", Latin1("Old")), 0, 20);
    const Bytes fresh = Tag(3, Frame23("TIT2", Latin1("New")));
    WriteFile(path, Concat({old, audio}));
    const TagContentsPtr read = Parsed(old);
    ReplaceLeadingTag(path, fresh, read.get());
    EXPECT_EQ(ReadFile(path), Concat({fresh, audio}));
    // The tag read before is no longer the file's: refused.
    EXPECT_THROW(ReplaceLeadingTag(path, old, read.get()), KorvelException);
    EXPECT_EQ(ReadFile(path), Concat({fresh, audio}));
    RemoveLeadingTag(path);
    EXPECT_EQ(ReadFile(path), audio);
    RemoveLeadingTag(path);
    EXPECT_EQ(ReadFile(path), audio);
    ReplaceLeadingTag(path, old);
    EXPECT_EQ(ReadFile(path), Concat({old, audio}));
    // A save that fails leaves the file as it was, and nothing beside it.
    ReplacementFile::SetFaultHook([](const std::string& step) {
        if (step == "rename") throw std::runtime_error("the disk is gone");
    });
    EXPECT_ANY_THROW(ReplaceLeadingTag(path, fresh));
    ReplacementFile::SetFaultHook({});
    EXPECT_EQ(ReadFile(path), Concat({old, audio}));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"t.mp3"});
}
