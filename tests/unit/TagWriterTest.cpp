// The tag writer's pieces: frames encoded from structured content, whole
// tags with padding, footer and extended header, records carried over from a
// tag as read, version 2.2 tags in their version 2.3 form, and the crash-safe
// replacement of a file's leading tag.
#include <gtest/gtest.h>

#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameEncoder.h"
#include "id3v2/TagWriter.h"
#include "support/ID3V2Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using namespace korvel::test;

namespace {

// A tag with a footer.
Bytes WithFooter(const Bytes& frames) {
    test::TagLayout layout;
    layout.Footer = true;
    return Tag(4, frames, layout);
}

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
    const Bytes id = B("5f1a-0001");
    std::vector<std::pair<std::string, FrameContent>> contents(10);
    auto add = [&](size_t i, const char* frame, FrameKind kind) -> FrameContent& {
        contents[i].first = frame;
        contents[i].second.kind = kind;
        return contents[i].second;
    };
    add(0, "TPE1", FrameKind::Text).values = {"Caf\u00E9"};
    FrameContent& comment = add(1, "COMM", FrameKind::Comment);
    comment.language = "deu";
    comment.description = "\u03A9 desc";
    comment.values = {"\u65E5\u672C"};
    FrameContent& picture = add(2, "APIC", FrameKind::Picture);
    picture.mime = "image/png";
    picture.pictureType = 3;
    picture.description = "Cover";
    picture.data = image;
    FrameContent& lyrics = add(3, "SYLT", FrameKind::SyncedLyrics);
    lyrics.language = "XXX";
    lyrics.lines = {{1000, "first"}, {2500, "\u00FCber"}};
    FrameContent& rating = add(4, "POPM", FrameKind::Popularimeter);
    rating.email = "me@example.org";
    rating.rating = 196;
    rating.hasCounter = true;
    rating.counter = 0x123456789;  // beyond four bytes
    FrameContent& owner = add(5, "UFID", FrameKind::Owner);
    owner.owner = "http://musicbrainz.org";
    owner.data = id;
    owner.identifier = true;
    FrameContent& link = add(6, "WXXX", FrameKind::UserUrl);
    link.description = "Site";
    link.url = "http://example.org/a";
    FrameContent& object = add(7, "GEOB", FrameKind::Object);
    object.mime = "application/x";
    object.fileName = "x.bin";
    object.description = "blob";
    object.data = id;
    add(8, "TIPL", FrameKind::People).people = {{"producer", "Somebody"}, {"mix", "Other"}};
    add(9, "TXXX", FrameKind::UserText).values = {"value"};
    for (const int version : {3, 4}) {
        for (auto [frame, content] : contents) {
            SCOPED_TRACE(frame + " in version " + std::to_string(version));
            if (frame == "TIPL" && version == 3) frame = "IPLS";
            content.encoding = ChooseEncoding(content, version, kEncodingLatin1);
            const FrameContent read = RoundTrip(frame, content, version);
            EXPECT_EQ(read.encoding, content.encoding);
            EXPECT_EQ(FrameValueText(read), FrameValueText(content));
            EXPECT_EQ(read.description, content.description);
            EXPECT_EQ(read.language, content.language);
        }
    }
    EXPECT_EQ(ChooseEncoding(comment, 3, kEncodingLatin1), kEncodingUtf16);
    EXPECT_EQ(ChooseEncoding(comment, 4, kEncodingLatin1), kEncodingUtf8);
    EXPECT_EQ(ChooseEncoding(comment, 4, kEncodingUtf16BE), kEncodingUtf16BE);
    EXPECT_EQ(RoundTrip("SYLT", lyrics, 4).lines.at(1).time, 2500u);
    // Several values: apart in version 2.4, joined by "/" in version 2.3;
    // a language that is not one is written as "XXX".
    FrameContent artists = contents[0].second;
    artists.values = {"One", "Two"};
    EXPECT_EQ(RoundTrip("TPE1", artists, 4).values, artists.values);
    EXPECT_EQ(RoundTrip("TPE1", artists, 3).values, std::vector<std::string>{"One/Two"});
    comment.language = "";
    comment.encoding = kEncodingUtf8;
    EXPECT_EQ(RoundTrip("COMM", comment, 4).language, "XXX");

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
    // A file without a tag: at least the minimum padding, and the audio
    // keeps its place in a 4 KB page.
    EXPECT_EQ(BuildTag({title}, layout), Tag(4, title, 0, 4096 - 10 - title.size()));
    // The frames fit the size to keep: exactly that size.
    layout.fitSize = 200;
    EXPECT_EQ(BuildTag({title}, layout), Tag(4, title, 0, 200 - 10 - title.size()));
    layout.fitSize = 10 + title.size();
    EXPECT_EQ(BuildTag({title}, layout), Tag(4, title));
    // Too small, or so large that mostly padding would be kept: it grows or
    // shrinks to the minimum padding and what keeps the audio's place in a
    // 4 KB page.
    for (const size_t fit : {size_t{20}, 10 + title.size() + (size_t{2} << 20)}) {
        layout.fitSize = fit;
        const size_t size = BuildTag({title}, layout).size();
        EXPECT_EQ(size % 4096, fit % 4096);
        EXPECT_GE(size, 10 + title.size() + 1024);
        EXPECT_LT(size, 10 + title.size() + 1024 + 4096);
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
    const Bytes built23 = BuildTag({Frame23("TIT2", Latin1("T"))}, v23);
    const TagContentsPtr ext23 = Parsed(built23);
    ASSERT_TRUE(ext23);
    EXPECT_EQ(StoredOf(ext23->frames.at(0)), Frame23("TIT2", Latin1("T")));
    const auto padding23 = static_cast<uint32_t>(built23.size() - 10 - 10 - Frame23("TIT2", Latin1("T")).size());
    EXPECT_GE(padding23, 100u);
    EXPECT_EQ(Bytes(ext23->extendedHeader.begin(), ext23->extendedHeader.end()),
              Concat({BigEndian32(6), {0, 0}, BigEndian32(padding23)}));

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
