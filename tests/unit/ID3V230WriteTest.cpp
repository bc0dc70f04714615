// The updatable tag: changing values in memory, saving, stripping and
// creating tags, and what a failed save leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "file/FileHandler.h"
#include "core/ReplacementFile.h"
#include "errors/MessageHandler.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v230/ID3V230.h"
#include "id3v2/TagContents.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
using test::CommData;
using test::Concat;
using test::Frame23;
using test::Latin1Text;
using test::Tag;

namespace {

// A frame record of a written tag: its ID and content.
struct Written {
    std::string id;
    Bytes data;
    const Bytes& Data() const { return data; }
};

// The frame records of the ID3v2 tag at the start of a file.
std::vector<Written> FramesOf(const std::string& path) {
    std::vector<Written> frames;
    TagContentsPtr tag = ParseTagContents(std::make_shared<const Bytes>(test::ReadFile(path)));
    if (!tag) return frames;
    for (const FrameRecord& frame : tag->frames) frames.push_back({frame.id, Bytes(frame.data.begin(), frame.data.end())});
    return frames;
}

const Written* Find(const std::vector<Written>& frames, const std::string& id, size_t nth = 0) {
    for (const auto& frame : frames) {
        if (frame.id == id && nth-- == 0) return &frame;
    }
    return nullptr;
}

// The bytes of the file behind its ID3v2 tag.
Bytes AfterTag(const std::string& path) {
    Bytes bytes = test::ReadFile(path);
    const size_t extent = TagExtent(bytes);
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(extent), bytes.end());
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

struct FaultHook {
    explicit FaultHook(const std::string& failingStep) {
        ReplacementFile::SetFaultHook([failingStep](const std::string& step) {
            if (step == failingStep) throw std::runtime_error("simulated failure: " + step);
        });
    }
    ~FaultHook() { ReplacementFile::SetFaultHook({}); }
};

}  // namespace

TEST(ID3V230Values, PropertiesWorkOnTheFrameList) {
    ID3V230 tag;
    tag.setTitle("A");
    EXPECT_EQ(tag.Song(), "A");
    ASSERT_EQ(tag.Frames()->Count(), 1);
    ID3V230FramePtr title = tag.Frames()->Item(int64_t{1});
    EXPECT_TRUE(title->bNew && title->bChanged);
    EXPECT_EQ(title->lIndex, 1);
    EXPECT_TRUE(title->vLanguage.IsEmpty());

    // Nothing to delete adds nothing; a value of 0 is a value.
    tag.setArtist("");
    EXPECT_EQ(tag.Frames()->Count(), 1);
    tag.setYear(0);
    ASSERT_EQ(tag.Frames()->Count(), 2);
    EXPECT_EQ(tag.FrameValue(ID3FID_YEAR).kind(), TagValue::Kind::Int16);
    EXPECT_EQ(tag.Year(), 0);
    tag.setYear(1999);
    EXPECT_EQ(tag.Year(), 1999);

    tag.setTrack("3/10");
    tag.setTotalTracks(12);
    EXPECT_EQ(tag.Track(), "3/12");
    EXPECT_EQ(tag.TotalTracks(), 12);
    tag.setTrack("3");
    EXPECT_EQ(tag.TotalTracks(), 0);
    tag.setTotalTracks(12);
    EXPECT_EQ(tag.Track(), "3/12");
    tag.setTrack("");
    EXPECT_EQ(tag.FrameValue(ID3FID_TRACKNUM).ToString(), "");
    tag.setTotalTracks(12);
    EXPECT_EQ(tag.Track(), "/12");

    // Same descriptor, different frames.
    tag.setMood("calm");
    tag.setComments("plain");
    EXPECT_EQ(tag.Mood(), "calm");
    EXPECT_EQ(tag.Comments(), "plain");
    EXPECT_EQ(tag.FrameValue(ID3FID_COMMENT, "MusicMatch_Mood").ToString(), "calm");
    EXPECT_EQ(tag.Tempo(), "");

    tag.setGenre(" (17)Rock ");
    EXPECT_EQ(tag.Genre(), "(17)Rock");
    EXPECT_EQ(tag.FrameValue(ID3FID_CONTENTTYPE).ToString(), " (17)Rock ");
    EXPECT_EQ(ID3V230::TrimChars("((17) ", "() "), "17");
}

TEST(ID3V230Values, SplitGenreForms) {
    struct Case {
        const char* text;
        int16_t id;
        const char* name;
        bool result;
    };
    const Case cases[] = {
        {"(17)", 17, "Rock", true},       {" (17)Rock ", 17, "Rock", true}, {"Rock", 0, "Rock", false},
        {"(255)", 255, "<Undefined>", true}, {"(200)", 0, "(200)", false}, {"(4)Disco-ish", 4, "Disco-ish", true},
        {"(x)Pop", 0, "Pop", false},       {"", 0, "", false},
    };
    for (const Case& c : cases) {
        ID3V230 tag;
        tag.setGenre(c.text);
        int16_t id = -1;
        std::string name = "old";
        EXPECT_EQ(tag.SplitGenre(id, name), c.result) << c.text;
        EXPECT_EQ(id, c.id) << c.text;
        EXPECT_EQ(name, c.name) << c.text;
    }
}

TEST(ID3V230Values, ChangingAndDeletingLoadedFrames) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    test::WriteFile(path, Concat({Tag(3, Concat({Frame23("TPE1", Latin1Text("Artist")), Frame23("TIT2", Latin1Text("T")),
                                         Frame23("APIC", Concat({B("\0image/png\0\x03\0", 13), test::PngImage()}))})),
                                  test::MpegAudio()}));
    ID3V230 tag;
    tag.AttachFile(path);
    auto frames = tag.Frames();
    ID3V230FramePtr artist = frames->Item(int64_t{1});
    tag.setTitle("T");
    EXPECT_FALSE(frames->Item(int64_t{2})->bChanged);
    tag.setArtist("");
    EXPECT_TRUE(artist->bDeleted);
    EXPECT_EQ(artist->vValue.ToString(), "");
    EXPECT_EQ(frames->Count(), 3);

    ID3V230FramePtr apic = frames->Item(int64_t{3});
    PicturePtr original = apic->Picture;
    tag.setPicture(original);
    EXPECT_FALSE(apic->bChanged);
    tag.setPicture(PictureObject::FromBytes(test::PngImage(9)));
    EXPECT_TRUE(apic->bChanged);
    EXPECT_FALSE(apic->bDeleted);
    tag.setPicture(PictureObject::FromBytes(B("not an image")));
    EXPECT_TRUE(apic->bDeleted && apic->bChanged);
    tag.setPicture(nullptr);
    EXPECT_EQ(apic->Picture, nullptr);

    // A picture without an image adds nothing; a real one adds a frame.
    ID3V230 empty;
    empty.setPicture(std::make_shared<PictureObject>());
    EXPECT_EQ(empty.Frames()->Count(), 0);
    empty.setPicture(nullptr);
    EXPECT_EQ(empty.Frames()->Count(), 0);
    empty.setPicture(PictureObject::FromBytes(test::JpegImage()));
    EXPECT_EQ(empty.Frames()->Count(), 1);
    EXPECT_TRUE(empty.Frames()->Item(int64_t{1})->bNew);
}

TEST(ID3V230Save, EveryPropertyRoundTripsAndTheAudioStaysAsItWas) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    Bytes audio = Concat({test::MpegAudio(20), test::ID3v1Record("Version one")});
    test::WriteFile(path, audio);
    ::chmod(path.c_str(), 0640);
    Bytes png = test::PngImage(4);
    std::string lyrics = "line one\r\nline two " + std::string(3000, 'x');

    ID3V230 tag;
    tag.AttachFile(path);
    tag.setTitle("Title");
    tag.setArtist("Artist");
    tag.setArtistURL("http://artist.example/");
    tag.setUserURL("http://user.example/");
    tag.setAlbum("Album");
    tag.setTrack("3/12");
    tag.setComposer("Composer");
    tag.setOriginalArtist("Original artist");
    tag.setCopyright("(c) 2001");
    tag.setEncodedBy("Encoder");
    tag.setYear(2001);
    tag.setComments("Comment");
    tag.setUniqueKey("AB");
    tag.setGenre("(17)Rock");
    tag.setUserText("User text");
    tag.setLyricsUnsynced(lyrics);
    tag.setPicture(PictureObject::FromBytes(png));
    tag.setTempo("Fast");
    tag.setMood("Happy");
    tag.setSituation("Party");
    tag.setPreference("Good");
    ASSERT_TRUE(tag.UpdateTag(2)) << tag.LastFailure();
    EXPECT_EQ(tag.LastFailure(), "");

    ID3V230 again;
    again.AttachFile(path);
    EXPECT_EQ(again.Title(), "Title");
    EXPECT_EQ(again.Artist(), "Artist");
    EXPECT_EQ(again.ArtistURL(), "http://artist.example/");
    EXPECT_EQ(again.UserURL(), "http://user.example/");
    EXPECT_EQ(again.Album(), "Album");
    EXPECT_EQ(again.Track(), "3/12");
    EXPECT_EQ(again.TotalTracks(), 12);
    EXPECT_EQ(again.Composer(), "Composer");
    EXPECT_EQ(again.OriginalArtist(), "Original artist");
    EXPECT_EQ(again.Copyright(), "(c) 2001");
    EXPECT_EQ(again.EncodedBy(), "Encoder");
    EXPECT_EQ(again.Year(), 2001);
    EXPECT_EQ(again.Comments(), "Comment");
    EXPECT_EQ(again.UniqueKey(), "AB");
    EXPECT_EQ(again.Genre(), "(17)Rock");
    EXPECT_EQ(again.UserText(), "User text");
    EXPECT_EQ(again.LyricsUnsynced(), lyrics);
    EXPECT_EQ(again.Tempo(), "Fast");
    EXPECT_EQ(again.Mood(), "Happy");
    EXPECT_EQ(again.Situation(), "Party");
    EXPECT_EQ(again.Preference(), "Good");
    ASSERT_TRUE(HasImage(again.Picture()));
    EXPECT_EQ(again.Picture()->Data(), png);

    // The audio and the ID3v1 tag behind the new tag are untouched.
    EXPECT_EQ(test::Fingerprint(AfterTag(path)), test::Fingerprint(audio));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"a.mp3"});

    // The unique key is stored with a blank after every character, the
    // picture with its MIME type and the default picture type.
    auto frames = FramesOf(path);
    ASSERT_NE(Find(frames, "UFID"), nullptr);
    EXPECT_TRUE(Contains(Find(frames, "UFID")->Data(), B("A B ")));
    ASSERT_NE(Find(frames, "APIC"), nullptr);
    EXPECT_EQ(Find(frames, "APIC")->Data(), Concat({B("\0image/png\0\0\0", 13), png}));

    // Saving again writes the same tag.
    Bytes first = test::ReadFile(path);
    ASSERT_TRUE(again.UpdateTag(2));
    EXPECT_EQ(test::ReadFile(path), first);
}

TEST(ID3V230Save, UnicodeTextIsWrittenAsUTF16AndOtherTextStaysSingleByte) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    test::WriteFile(path, test::MpegAudio());
    const std::string greek = "Ελληνικά", cyrillic = "Кириллица", cjk = "中文歌曲", emoji = "Song 😀🎵";
    ID3V230 tag;
    tag.AttachFile(path);
    tag.setTitle(greek);
    tag.setArtist(cyrillic);
    tag.setAlbum(cjk);
    tag.setComments(emoji);
    tag.setMood("Ça va");
    tag.setComposer("Café Noël");
    ASSERT_TRUE(tag.UpdateTag(2)) << tag.LastFailure();

    ID3V230 again;
    again.AttachFile(path);
    EXPECT_EQ(again.Title(), greek);
    EXPECT_EQ(again.Artist(), cyrillic);
    EXPECT_EQ(again.Album(), cjk);
    EXPECT_EQ(again.Comments(), emoji);
    EXPECT_EQ(again.Mood(), "Ça va");
    EXPECT_EQ(again.Composer(), "Café Noël");

    auto frames = FramesOf(path);
    for (const char* id : {"TIT2", "TPE1", "TALB"}) {
        ASSERT_NE(Find(frames, id), nullptr) << id;
        EXPECT_EQ(Find(frames, id)->Data()[0], 1) << id;
    }
    ASSERT_NE(Find(frames, "TCOM"), nullptr);
    EXPECT_EQ(Find(frames, "TCOM")->Data(), Latin1Text("Café Noël"));
    // A comment with a single-byte description and a Unicode text is UTF-16 as
    // a whole; the other comment stays single-byte.
    const Written* unicode = Find(frames, "COMM", 0);
    const Written* plain = Find(frames, "COMM", 1);
    ASSERT_TRUE(unicode && plain);
    EXPECT_EQ(unicode->Data()[0], 1);
    EXPECT_EQ(plain->Data()[0], 0);
}

TEST(ID3V230Save, FramesThatWereNotChangedKeepTheirBytes) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    std::vector<Bytes> kept = {
        Frame23("PRIV", B("owner.example\0\x00\x01\x02zzz", 20)),
        Frame23("POPM", B("a@b.c\0\xC8\0\0\0\x05", 11)),
        Frame23("GEOB", B("\0application/x-foo\0f.bin\0d\0\x00\xFF\x00\xFF", 30)),
        Frame23("MCDI", B("\x01\x02\x03\x04", 4)),
        Frame23("UFID", B("http://musicbrainz.org\0abcd-1234", 32)),
        Frame23("TXXX", B("\0MusicBrainz Album Id\0xyz", 25)),
        Frame23("COMM", CommData("eng", "", "first")),
        Frame23("COMM", CommData("deu", "", "second, longer")),
        Frame23("TSOP", Latin1Text("sort name")),
        Frame23("TCMP", Latin1Text("1")),
        Frame23("TIT3", Latin1Text("grouped"), 0x00, 0x20),
        Frame23("TPE2", Concat({B("\x01", 1), Latin1Text("x")}), 0x00, 0x20),
    };
    std::vector<Bytes> frames = kept;
    frames.insert(frames.begin() + 3, Frame23("TIT2", Latin1Text("Old title")));
    frames.push_back(Frame23("APIC", Concat({B("\0image/png\0\x03" "cover\0", 18), test::PngImage()})));
    Bytes audio = test::MpegAudio(10);
    test::WriteFile(path, Concat({Tag(3, Concat(frames), 0, 300), audio}));

    ID3V230 tag;
    tag.AttachFile(path);
    // The two comments merge in memory, but neither was changed.
    EXPECT_EQ(tag.Comments(), "second, longer");
    tag.setTitle("New title");
    tag.FrameValue(ID3FID_PICTURE, "cover");  // looking changes nothing
    ASSERT_TRUE(tag.UpdateTag(2)) << tag.LastFailure();

    Bytes saved = test::ReadFile(path);
    for (const Bytes& frame : kept) EXPECT_TRUE(Contains(saved, frame)) << std::string(frame.begin(), frame.begin() + 4);
    EXPECT_TRUE(Contains(saved, frames.back()));
    EXPECT_FALSE(Contains(saved, B("Old title")));
    auto written = FramesOf(path);
    EXPECT_EQ(written.size(), frames.size());
    EXPECT_EQ(written[3].id, "TIT2");  // in its old place
    EXPECT_EQ(AfterTag(path), audio);

    // Changing the picture keeps the frame's picture type and description
    // and writes the new image's MIME type.
    ID3V230 again;
    again.AttachFile(path);
    EXPECT_EQ(again.Title(), "New title");
    Bytes jpeg = test::JpegImage();
    again.SetFramePicture(ID3FID_PICTURE, PictureObject::FromBytes(jpeg), "cover");
    again.setComments("changed");
    ASSERT_TRUE(again.UpdateTag(2)) << again.LastFailure();
    written = FramesOf(path);
    ASSERT_NE(Find(written, "APIC"), nullptr);
    EXPECT_EQ(Find(written, "APIC")->Data(), Concat({B("\0image/jpeg\0\x03" "cover\0", 19), jpeg}));
    EXPECT_EQ(Find(written, "COMM", 0)->Data(), CommData("eng", "", "changed"));
    EXPECT_EQ(Find(written, "COMM", 1)->Data(), CommData("deu", "", "second, longer"));
}

TEST(ID3V230Save, ValuesHandedOverFromAnotherReadingOfTheFileChangeNothing) {
    // A host reads a tag, then copies its values into a fresh reading of the
    // same file before saving. A cover the library cannot decode and a year
    // the file does not have must come out as they went in.
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    Bytes cover = Concat({B("\0image/jpeg\0\x03\0", 14), B("not really a jpeg")});
    test::WriteFile(path, Concat({Tag(3, Concat({Frame23("TIT2", Latin1Text("Title")), Frame23("APIC", cover)}), 0, 100),
                                  test::MpegAudio(4)}));
    FileHandler first;
    ASSERT_TRUE(first.Create(path));
    ID3V2TagPtr shown = first.ID3V2Tag();
    ASSERT_TRUE(shown && shown->canSave());
    ASSERT_NE(shown->Picture(), nullptr);
    EXPECT_EQ(shown->Picture()->handle(), 0);
    EXPECT_EQ(shown->Year(), "0");

    FileHandler second;
    ASSERT_TRUE(second.Create(path));
    ID3V2TagPtr saved = second.ID3V2Tag();
    ASSERT_TRUE(saved->canSave());
    saved->setPicture(shown->Picture());
    saved->setYear(shown->Year());
    saved->setTitle("New");
    ASSERT_TRUE(saved->saveTag());

    auto written = FramesOf(path);
    ASSERT_NE(Find(written, "APIC"), nullptr);
    EXPECT_EQ(Find(written, "APIC")->Data(), cover);
    EXPECT_EQ(Find(written, "TYER"), nullptr);
    EXPECT_EQ(Find(written, "TIT2")->Data(), Latin1Text("New"));

    // An explicit year 0 over an existing year, and clearing the picture, still act.
    FileHandler third;
    ASSERT_TRUE(third.Create(path));
    ID3V2TagPtr edited = third.ID3V2Tag();
    ASSERT_TRUE(edited->canSave());
    edited->setPicture(nullptr);
    edited->setYear("1999");
    ASSERT_TRUE(edited->saveTag());
    written = FramesOf(path);
    EXPECT_EQ(Find(written, "APIC"), nullptr);
    ASSERT_NE(Find(written, "TYER"), nullptr);
}

TEST(ID3V230Save, DeletionsQuotesAndFramesTakenOutOfTheList) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    test::WriteFile(path, Concat({Tag(3, Concat({Frame23("TPE1", Latin1Text("Artist")), Frame23("TALB", Latin1Text("Album")),
                                         Frame23("TCOP", Latin1Text("c")), Frame23("PRIV", B("o\0data", 6)),
                                         Frame23("APIC", Concat({B("\0image/png\0\0\0", 13), test::PngImage()}))})),
                                  test::MpegAudio()}));
    ID3V230 tag;
    tag.AttachFile(path);
    tag.setArtist("");
    tag.setPicture(nullptr);
    tag.setTitle("Say \"hi\"");
    tag.Frames()->Remove(int64_t{3});  // TCOP
    tag.Frames()->Item(int64_t{2})->vValue = TagValue("Changed by the host");
    tag.Frames()->Item(int64_t{3})->Delete();  // PRIV: has no value to empty
    ASSERT_TRUE(tag.UpdateTag(2)) << tag.LastFailure();
    EXPECT_EQ(tag.Title(), "Say 'hi'");

    auto written = FramesOf(path);
    ASSERT_NE(Find(written, "TPE1"), nullptr);  // a deleted text frame is written empty
    EXPECT_EQ(Find(written, "TPE1")->Data(), Bytes{0});
    EXPECT_EQ(Find(written, "APIC"), nullptr);
    EXPECT_EQ(Find(written, "TCOP"), nullptr);
    EXPECT_EQ(Find(written, "PRIV"), nullptr);
    ID3V230 again;
    again.AttachFile(path);
    EXPECT_EQ(again.Title(), "Say 'hi'");
    EXPECT_EQ(again.Album(), "Changed by the host");
    EXPECT_EQ(again.Artist(), "");
    EXPECT_EQ(again.Picture(), nullptr);
}

TEST(ID3V230Save, FailedSavesLeaveTheFileAsItWas) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    Bytes original = Concat({Tag(3, Concat({Frame23("TIT2", Latin1Text("Old"))})), test::MpegAudio()});
    auto reset = [&] {
        test::WriteFile(path, original);
        ::chmod(path.c_str(), 0644);
        ::chmod(dir.Path().c_str(), 0755);
    };
    auto attempt = [&](const std::string& label) {
        ID3V230 tag;
        tag.AttachFile(path);
        tag.setTitle("New");
        EXPECT_FALSE(tag.UpdateTag(2)) << label;
        EXPECT_NE(tag.LastFailure(), "") << label;
        EXPECT_EQ(test::ReadFile(path), original) << label;
        EXPECT_EQ(dir.List(), std::vector<std::string>{"a.mp3"}) << label;
    };

    reset();
    ::chmod(path.c_str(), 0444);
    attempt("read-only file");
    reset();
    ::chmod(dir.Path().c_str(), 0555);
    attempt("read-only folder");
    reset();
    {
        FaultHook fault("write");
        attempt("failing write");
    }
    {
        FaultHook fault("rename");
        attempt("failing rename");
    }

    // A synchronised-lyrics frame has no text field: the save stops with a
    // message.
    reset();
    {
        test::MessageCapture messages;
        ID3V230 tag;
        tag.AttachFile(path);
        tag.setLyricsSynced("la la");
        EXPECT_FALSE(tag.UpdateTag(2));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.messages[0].text,
                  "Unable to write data to field.\r\nID3V230::id3SetField()\r\nField '2' doesn't exist.\r\nData: la la");
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(messages.messages[0].caption, "KORVEL - Store ID3v2 Field");
        EXPECT_EQ(test::ReadFile(path), original);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"a.mp3"});
    }

    // ID3v2.4 and ID3v2.2 tags are read-only.
    for (uint8_t major : {uint8_t{4}, uint8_t{2}}) {
        Bytes other = Concat({test::Tag(major, {}, 0, 20), test::MpegAudio()});
        test::WriteFile(path, other);
        ID3V230 tag;
        tag.AttachFile(path);
        tag.setTitle("New");
        EXPECT_FALSE(tag.UpdateTag(2));
        EXPECT_EQ(tag.LastFailure(), "The file's ID3v2." + std::to_string(major) +
                                         " tag is read-only: only ID3v2.3 tags can be changed.");
        EXPECT_EQ(test::ReadFile(path), other);
    }

    // Without a file there is nothing to save.
    ID3V230 detached;
    detached.setTitle("x");
    EXPECT_FALSE(detached.UpdateTag(2));
    EXPECT_EQ(detached.StripTag(2), 11);
}

TEST(ID3V230Strip, RemovesTheRequestedTagsOnly) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    Bytes audio = test::MpegAudio(12);
    Bytes v1 = test::ID3v1Record("one");
    test::WriteFile(path, Concat({Tag(3, Concat({Frame23("TIT2", Latin1Text("T"))}), 0, 100), audio, v1}));
    ID3V230 tag;
    tag.AttachFile(path);
    EXPECT_EQ(tag.StripTag(ID3TT_ID3V2), 0) << tag.LastFailure();
    EXPECT_EQ(test::ReadFile(path), Concat({audio, v1}));
    EXPECT_EQ(tag.Frames()->Count(), 1);  // the list stays
    EXPECT_EQ(tag.StripTag(ID3TT_ID3V2), 0);  // nothing left to remove
    EXPECT_EQ(test::ReadFile(path), Concat({audio, v1}));
    EXPECT_EQ(tag.StripTag(ID3TT_ID3V1), 0) << tag.LastFailure();
    EXPECT_EQ(test::ReadFile(path), audio);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"a.mp3"});

    Bytes tagged = Concat({Tag(3, Concat({Frame23("TIT2", Latin1Text("T"))})), audio});
    test::WriteFile(path, tagged);
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(tag.StripTag(ID3TT_ID3V2), 12);
    EXPECT_EQ(test::ReadFile(path), tagged);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"a.mp3"});
}

TEST(ID3V230Strip, TagsAtTheEndReachId3libOnlyWhenTheOwnReaderAcceptsThem) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    Bytes audio = test::MpegAudio(4);
    Bytes v1 = test::ID3v1Record("one");
    // A Lyrics3 v2.00 tag whose field claims more bytes than the tag holds.
    const std::string damaged = "LYRICSBEGINLYR00099short";
    Bytes file = Concat({audio, B(damaged), B("000024LYRICS200"), v1});
    test::WriteFile(path, file);
    ID3V230 tag;
    tag.AttachFile(path);
    for (int32_t flags : {int32_t{ID3TT_LYRICS3V2}, ID3TT_LYRICS3 | ID3TT_ID3V1, int32_t{ID3TT_MUSICMATCH}}) {
        SCOPED_TRACE(flags);
        EXPECT_EQ(tag.StripTag(flags), 3);
        EXPECT_EQ(test::ReadFile(path), file);
    }
    EXPECT_EQ(tag.LastFailure(), "MusicMatch tags are not read by this library and cannot be removed.");
    EXPECT_EQ(tag.StripTag(ID3TT_LYRICS3V2), 3);
    EXPECT_NE(tag.LastFailure().find("The file's Lyrics3 tag is damaged"), std::string::npos) << tag.LastFailure();
    EXPECT_EQ(dir.List(), std::vector<std::string>{"a.mp3"});

    // An intact Lyrics3 tag is handed to id3lib, which removes it.
    const std::string intact = "LYRICSBEGINETT00005Title";
    test::WriteFile(path, Concat({audio, B(intact), B("000024LYRICS200"), v1}));
    EXPECT_EQ(tag.StripTag(ID3TT_LYRICS3V2), 0) << tag.LastFailure();
    const Bytes stripped = test::ReadFile(path);
    EXPECT_EQ(std::search(stripped.begin(), stripped.end(), intact.begin(), intact.end()), stripped.end());
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), stripped.begin()));
}

TEST(ID3V230Create, CopiesValuesIntoAFileWithoutID3v2Tag) {
    test::TempDir dir;
    std::string path = dir.File("a.mp3");
    Bytes audio = Concat({test::MpegAudio(), test::ID3v1Record("Version one")});
    test::WriteFile(path, audio);

    auto source = std::make_shared<ID3V230>();
    source->setTitle("Title");
    source->setArtist("Artist");
    source->setTrack("2/9");
    source->setUniqueKey("key");
    source->setMood("Calm");
    source->setPicture(PictureObject::FromBytes(test::PngImage()));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_FALSE(file.HasID3V2Tag());
    ASSERT_TRUE(file.createID3V2Tag(source)) << file.LastError()->Stream();

    ID3V230 written;
    written.AttachFile(path);
    EXPECT_EQ(written.Title(), "Title");
    EXPECT_EQ(written.Artist(), "Artist");
    EXPECT_EQ(written.Track(), "2/9");
    EXPECT_EQ(written.Mood(), "Calm");
    EXPECT_TRUE(HasImage(written.Picture()));
    EXPECT_EQ(written.UniqueKey(), "");  // not copied
    EXPECT_TRUE(written.FrameValue(ID3FID_YEAR).IsEmpty());  // no year, no TYER
    EXPECT_EQ(AfterTag(path), audio);

    // Now the file has a tag: nothing happens.
    Bytes now = test::ReadFile(path);
    FileHandler again;
    ASSERT_TRUE(again.Create(path));
    EXPECT_FALSE(again.createID3V2Tag(source));
    EXPECT_EQ(test::ReadFile(path), now);
}
