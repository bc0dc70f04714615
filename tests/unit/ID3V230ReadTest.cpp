// The updatable tag: frame table, tagged values, the id3lib binding and
// reading frames from files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>

#include "core/BinaryFile.h"
#include "file/FileHandler.h"
#include "errors/KorvelException.h"
#include "id3v230/ID3LibBinding.h"
#include "id3v230/ID3V230.h"
#include "id3v2/TagContents.h"
#include "id3v230/RawTag.h"
#include "id3v2/ID3V23Tag.h"
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
using test::Utf16Text;

namespace {

std::string WriteMp3(const test::TempDir& dir, const std::string& name, const Bytes& tag) {
    std::string path = dir.File(name);
    test::WriteFile(path, Concat({tag, test::MpegAudio()}));
    return path;
}

}  // namespace

TEST(ID3V230Table, AbbreviationsTitlesAndPublishedValues) {
    ID3V230Frame frame;
    frame.eType = ID3FID_TITLE;
    EXPECT_EQ(frame.FrameAbbr(), "TIT2");
    EXPECT_EQ(frame.FrameTitle(), "Title/songname/content description");
    frame.eType = ID3FID_NOFRAME;
    EXPECT_EQ(frame.FrameAbbr(), "????");
    EXPECT_EQ(frame.FrameTitle(), "No known frame");
    frame.eType = static_cast<ID3_FrameID>(77);
    EXPECT_EQ(frame.FrameAbbr(), "");
    EXPECT_EQ(frame.FrameTitle(), "");
    frame.eType = static_cast<ID3_FrameID>(-1);
    EXPECT_EQ(frame.FrameAbbr(), "TPE1");
    EXPECT_EQ(FrameInfo(ID3FID_METACRYPTO, eslSHORT).ToString(), "    ");
    EXPECT_EQ(FrameInfo(ID3FID_METACOMPRESSION, eslLONG).ToString(), "Compressed meta frame (id3v2.2.1)");
    EXPECT_EQ(FrameInfo(ID3FID_WWWCOPYRIGHT, eslLONG).ToString(), "Copyright/Legal infromation");
    EXPECT_TRUE(FrameInfo(ID3FID_TITLE, 3).IsEmpty());
    EXPECT_EQ(FrameIDFromAbbr("WXXX"), ID3FID_WWWUSER);
    EXPECT_EQ(FrameIDFromAbbr("TSOP"), ID3FID_NOFRAME);

    EXPECT_EQ(ID3FID_TITLE, 36);
    EXPECT_EQ(ID3FID_WWWUSER, 74);
    EXPECT_EQ(ID3EZFID_Artist, ID3FID_LEADARTIST);
    EXPECT_EQ(ID3EZFID_Genre, ID3FID_CONTENTTYPE);
    EXPECT_EQ(ID3TT_LYRICS, 4);
    EXPECT_EQ(ID3TT_ALL, -1);
    EXPECT_EQ(ID3TT_APPENDED, -3);
    EXPECT_EQ(ID3FN_LASTFIELDID, 24);
    EXPECT_EQ(ID3FTY_NONE, -1);
    EXPECT_EQ(eslLONG, 2);
}

TEST(ID3V230Table, FrameRecordOperations) {
    ID3V230Frame frame;
    EXPECT_TRUE(frame.PictureRAW().empty());
    EXPECT_EQ(frame.colFields->Count(), 0);
    frame.vValue = TagValue("x");
    frame.Delete();
    frame.Delete();
    EXPECT_TRUE(frame.bDeleted);
    EXPECT_FALSE(frame.bChanged);
    EXPECT_FALSE(frame.bNew);
    EXPECT_EQ(frame.vValue.ToString(), "x");
    Bytes raw = {1, 2, 3};
    frame.SetPictureRAW(raw);
    raw[0] = 9;
    EXPECT_EQ(frame.PictureRAW(), (Bytes{1, 2, 3}));
}

TEST(ID3V230Values, TaggedValuesCompareByKind) {
    EXPECT_TRUE(TagValue() == TagValue(""));
    EXPECT_TRUE(TagValue() == TagValue(int16_t{0}));
    EXPECT_FALSE(TagValue(int16_t{0}) == TagValue(""));
    EXPECT_FALSE(TagValue(int16_t{2001}) == TagValue("2001"));
    EXPECT_TRUE(TagValue(int16_t{7}) == TagValue(int32_t{7}));
    EXPECT_FALSE(TagValue("a") == TagValue("A"));
    EXPECT_EQ(TagValue(int32_t{-5}).ToString(), "-5");
    EXPECT_EQ(TagValue("Ωμ").TextLength(), 2u);
    EXPECT_TRUE(TagValue("").IsBlank());
    EXPECT_FALSE(TagValue(int16_t{0}).IsBlank());
    EXPECT_EQ(TagValue(" 12 ").ToInt32(), 12);
    EXPECT_THROW(TagValue("x").ToInt32(), KorvelException);
}

TEST(ID3V230Binding, TranslatesFrameIdsByAbbreviation) {
    const ID3LibBinding& lib = ID3LibBinding::Current();
    ASSERT_TRUE(lib.Available()) << lib.LoadError();
    EXPECT_EQ(lib.LibFrameID(ID3FID_TITLE), 47);  // id3lib's own numbering differs
    EXPECT_EQ(lib.PublishedFrameID(47), ID3FID_TITLE);
    for (int32_t type = 1; type < kFrameTableSize; ++type) {
        int lib_id = lib.LibFrameID(static_cast<ID3_FrameID>(type));
        ASSERT_GE(lib_id, 0) << type;
        EXPECT_EQ(lib.PublishedFrameID(lib_id), type);
    }
}

TEST(ID3V230Binding, MissingLibraryIsReportedAndNothingIsLoaded) {
    test::TempDir dir;
    std::string path = WriteMp3(dir, "a.mp3", Tag(3, Concat({Frame23("TIT2", Latin1Text("Song"))})));
    test::WithoutID3Lib missing;
    ID3V230 tag;
    std::string message = "old";
    EXPECT_FALSE(tag.CheckLibrary(message));
    EXPECT_EQ(message,
              "The DLL '/nonexistent/libid3-missing.so.3' is not present.\r\n"
              "Please install it into the program directory.");
    tag.AttachFile(path);
    EXPECT_EQ(tag.FileName(), "");
    EXPECT_EQ(tag.Frames()->Count(), 0);
    EXPECT_EQ(tag.Title(), "");
    EXPECT_FALSE(tag.UpdateTag(2));
    EXPECT_EQ(tag.StripTag(2), 11);
    EXPECT_EQ(test::ReadFile(path), Concat({Tag(3, Concat({Frame23("TIT2", Latin1Text("Song"))})), test::MpegAudio()}));
}

TEST(ID3V230Load, ReadsFramesOfTheID3v2TagOnly) {
    test::TempDir dir;
    ID3V230 tag;
    std::string message;
    ASSERT_TRUE(tag.CheckLibrary(message));
    EXPECT_EQ(message, "");

    // A file with only an ID3v1 tag has no ID3v2 frames.
    std::string v1 = dir.File("v1.mp3");
    test::WriteFile(v1, Concat({test::MpegAudio(), test::ID3v1Record("Version one")}));
    tag.AttachFile(v1);
    EXPECT_EQ(tag.FileName(), v1);
    EXPECT_EQ(tag.FrameCount(), 0);
    EXPECT_EQ(tag.Frames()->Count(), 0);
    EXPECT_EQ(tag.Title(), "");

    // A file that cannot be opened is not attached.
    tag.AttachFile(dir.File("missing.mp3"));
    EXPECT_EQ(tag.FileName(), v1);

    std::string path = WriteMp3(dir, "a.mp3",
                                Tag(3, Concat({Frame23("TIT2", Latin1Text("Caf\xC3\xA9")),
                                       Frame23("TPE1", Utf16Text("Ωμέγα Кирилл 中文 😀")),
                                       Frame23("TALB", Utf16Text("Big endian Ω", true)),
                                       Frame23("COMM", CommData("eng", "", "Hi")),
                                       Frame23("WXXX", Concat({B("\0desc\0", 6), B("http://example.com/x")})),
                                       Frame23("WOAR", B("http://artist.example")),
                                       Frame23("WPUB", B("http://publisher.example")),
                                       Frame23("PCNT", B("\0\0\x01\0", 4)),
                                       Frame23("TSOP", Latin1Text("sort"))}), 0, 100));
    auto previous = tag.Frames();
    tag.AttachFile(path);
    EXPECT_NE(tag.Frames(), previous);
    EXPECT_EQ(tag.FrameCount(), 9);
    EXPECT_GT(tag.FramesSize(), 0);
    EXPECT_EQ(tag.Title(), "Café");
    EXPECT_EQ(tag.Song(), "Café");
    EXPECT_EQ(tag.Artist(), "Ωμέγα Кирилл 中文 😀");
    EXPECT_EQ(tag.Album(), "Big endian Ω");
    EXPECT_EQ(tag.Comments(), "Hi");
    EXPECT_EQ(tag.ArtistURL(), "http://artist.example");
    EXPECT_EQ(tag.FrameValue(ID3FID_WWWUSER, "desc").ToString(), "http://example.com/x");
    EXPECT_EQ(tag.UserURL(), "");
    EXPECT_EQ(tag.FrameValue(ID3FID_WWWPUBLISHER).ToString(), "http://publisher.example");

    auto frames = tag.Frames();
    ASSERT_EQ(frames->Count(), 9);
    ID3V230FramePtr comm = frames->Item(int64_t{4});
    EXPECT_EQ(comm->FrameAbbr(), "COMM");
    EXPECT_EQ(comm->lIndex, 4);
    EXPECT_EQ(comm->vLanguage.ToString(), "eng");
    EXPECT_TRUE(comm->vLanguage.IsString());
    EXPECT_FALSE(comm->bNew || comm->bChanged || comm->bDeleted || comm->bDupe);
    ID3V230FramePtr counter = frames->Item(int64_t{8});
    EXPECT_EQ(counter->eType, ID3FID_PLAYCOUNTER);
    EXPECT_EQ(counter->vValue.kind(), TagValue::Kind::Int32);
    EXPECT_EQ(counter->vValue.ToInt32(), 256);
    // A frame the table does not name.
    EXPECT_EQ(frames->Item(int64_t{9})->FrameAbbr(), "????");
    // Load fills the field descriptions of an id3lib frame; nothing does so
    // while loading.
    EXPECT_EQ(comm->colFields->Count(), 0);
}

TEST(ID3V230Load, OtherVersionsAreLinkedToTheirID3v2TagOnly) {
    // id3lib's plain link would merge the ID3v1 tag into the frames.
    test::TempDir dir;
    Bytes v22Title = Concat({B("TT2\0\0\x05", 6), Latin1Text("Two!")});
    std::string path = dir.File("a.mp3");
    test::WriteFile(path, Concat({test::Tag(2, v22Title), test::MpegAudio(), test::ID3v1Record("Version one")}));
    ID3V230 tag;
    tag.AttachFile(path);
    EXPECT_EQ(tag.FrameCount(), 1);
    EXPECT_EQ(tag.Title(), "Two!");
    EXPECT_EQ(tag.Artist(), "");

    // Year text out of the 16-bit range reads 0.
    test::WriteFile(path, Concat({Tag(3, Concat({Frame23("TYER", Latin1Text("99999"))})), test::MpegAudio()}));
    tag.AttachFile(path);
    EXPECT_EQ(tag.FrameValue(ID3FID_YEAR).ToString(), "99999");
    EXPECT_EQ(tag.Year(), 0);
}

TEST(ID3V230Load, FieldsOfAnId3libFrame) {
    const ID3LibBinding& lib = ID3LibBinding::Current();
    void* comment = lib.FrameNewID(lib.LibFrameID(ID3FID_COMMENT));
    ASSERT_NE(comment, nullptr);
    ID3V230Frame frame;
    auto before = frame.colFields;
    frame.Load(comment);
    EXPECT_NE(frame.colFields, before);
    std::vector<int32_t> ids;
    for (const auto& field : *frame.colFields) ids.push_back(field->eFieldID);
    EXPECT_EQ(ids, (std::vector<int32_t>{ID3FN_TEXTENC, ID3FN_TEXT, ID3FN_DESCRIPTION, ID3FN_LANGUAGE}));
    EXPECT_EQ(frame.colFields->Item(int64_t{4})->lSize, 3);
    lib.FrameDelete(comment);
}

TEST(ID3V230Load, LongValuesAndPicturesAreReadWhole) {
    test::TempDir dir;
    std::string lyrics(5000, 'l');
    lyrics += " end";
    Bytes png = test::PngImage(3);
    Bytes big(300000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 13);
    std::string path = WriteMp3(
        dir, "a.mp3",
        Tag(3, Concat({Frame23("USLT", CommData("eng", "", lyrics)),
               Frame23("APIC", Concat({B("\0image/png\0\x03\0", 13), png})),
               Frame23("APIC", Concat({B("\0image/x-raw\0\x04other\0", 20), big})),
               Frame23("TIT2", Latin1Text(std::string(3000, 't')))})));
    ID3V230 tag;
    tag.AttachFile(path);
    EXPECT_EQ(tag.LyricsUnsynced(), lyrics);
    EXPECT_EQ(tag.Title(), std::string(3000, 't'));
    ID3V230FramePtr first = tag.Frames()->Item(int64_t{2});
    EXPECT_EQ(first->PictureRAW(), png);
    ASSERT_TRUE(HasImage(first->Picture));
    EXPECT_EQ(first->Picture->Data(), png);
    ID3V230FramePtr second = tag.Frames()->Item(int64_t{3});
    EXPECT_EQ(second->sDescription, "other");
    EXPECT_EQ(second->PictureRAW(), big);
    ASSERT_NE(second->Picture, nullptr);  // not an image: kept, with handle 0
    EXPECT_EQ(second->Picture->handle(), 0);
    EXPECT_EQ(second->Picture->Data(), big);
    EXPECT_EQ(tag.Picture(), first->Picture);
    EXPECT_EQ(tag.GetFramePicture(ID3FID_PICTURE, "other"), second->Picture);
    EXPECT_EQ(tag.GetFramePicture(ID3FID_PICTURE, "nothing"), second->Picture);  // the last APIC's
    EXPECT_EQ(tag.GetFramePicture(ID3FID_PICTURE, ""), first->Picture);
}

TEST(ID3V230Load, DuplicatesKeepAllFramesAndMergeValues) {
    test::TempDir dir;
    std::string path = WriteMp3(dir, "a.mp3",
                                Tag(3, Concat({Frame23("COMM", CommData("eng", "", "short")),
                                       Frame23("TIT2", Latin1Text("T")),
                                       Frame23("COMM", CommData("deu", "", "the longer one")),
                                       Frame23("COMM", CommData("eng", "other", "x"))})));
    ID3V230 tag;
    tag.AttachFile(path);
    auto frames = tag.Frames();
    ASSERT_EQ(frames->Count(), 4);
    EXPECT_TRUE(frames->Item(int64_t{1})->bDupe);
    EXPECT_FALSE(frames->Item(int64_t{3})->bDupe);
    EXPECT_FALSE(frames->Item(int64_t{4})->bDupe);
    EXPECT_EQ(frames->Item(int64_t{1})->vValue.ToString(), "the longer one");
    EXPECT_EQ(frames->Item(int64_t{3})->vValue.ToString(), "the longer one");
    EXPECT_EQ(tag.Comments(), "the longer one");
    EXPECT_EQ(tag.FrameValue(ID3FID_COMMENT, "other").ToString(), "x");
}

TEST(ID3V230Load, UniqueFileIdentifierDataAndGenre) {
    test::TempDir dir;
    std::string path = WriteMp3(dir, "a.mp3",
                                Tag(3, Concat({Frame23("UFID", B("owner\0A B ", 10)),
                                       Frame23("TCON", Latin1Text(" (17)Rock "))})));
    ID3V230 tag;
    tag.AttachFile(path);
    EXPECT_EQ(tag.UniqueKey(), "AB");
    EXPECT_EQ(tag.Genre(), "(17)Rock");
    int16_t id = -1;
    std::string name;
    EXPECT_TRUE(tag.SplitGenre(id, name));
    EXPECT_EQ(id, 17);
    EXPECT_EQ(name, "Rock");
}

TEST(ID3V230Load, EveryCorpusFileLoadsWithoutHarm) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    int loaded = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::CorpusPath(""))) {
        std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".mp3" && extension != ".id3")) continue;
        Bytes before = test::ReadFile(entry.path().string());
        ID3V230 tag;
        try {
            tag.AttachFile(entry.path().string());
        } catch (const KorvelException& e) {
            EXPECT_EQ(e.Source(), "LoadFrames") << entry.path();
            EXPECT_FALSE(tag.UpdateTag(2));
        }
        for (const auto& frame : *tag.Frames()) (void)frame->FrameAbbr();
        (void)tag.Title();
        (void)tag.Year();
        EXPECT_EQ(test::ReadFile(entry.path().string()), before) << entry.path();
        ++loaded;
    }
    EXPECT_GT(loaded, 50);
}

TEST(ID3V230Load, CompressedFramesReachId3libInflated) {
    // id3lib crashes on compressed frames: it is given them inflated, and a
    // frame that does not inflate to its stated size not at all.
    test::TempDir dir;
    Bytes text = Latin1Text("compressed value " + std::string(2000, 'a'));
    const Bytes packed = test::Zlib(text);
    Bytes good = Concat({test::BigEndian32(static_cast<uint32_t>(text.size())), packed});
    Bytes bad = Concat({B("\0\0\0\x64", 4), packed});
    Bytes tagBytes = Tag(3, Concat({Frame23("TIT2", Latin1Text("T")), Frame23("TPE2", good, 0x00, 0x80),
                            Frame23("TPE3", bad, 0x00, 0x80), Frame23("TPE4", Latin1Text("secret"), 0x00, 0x40)}));
    std::string path = WriteMp3(dir, "a.mp3", tagBytes);
    ID3V230 tag;
    tag.AttachFile(path);
    ASSERT_EQ(tag.Frames()->Count(), 2);
    EXPECT_EQ(tag.FrameValue(ID3FID_BAND).ToString(), "compressed value " + std::string(2000, 'a'));
    EXPECT_EQ(tag.FramesSize(), static_cast<int32_t>(tagBytes.size()));
    tag.setTitle("new");
    ASSERT_TRUE(tag.UpdateTag(2)) << tag.LastFailure();
    // The frames that were not changed are still there as they were stored.
    Bytes saved = test::ReadFile(path);
    for (const Bytes& frame : {Frame23("TPE2", good, 0x00, 0x80), Frame23("TPE3", bad, 0x00, 0x80),
                               Frame23("TPE4", Latin1Text("secret"), 0x00, 0x40)}) {
        EXPECT_NE(std::search(saved.begin(), saved.end(), frame.begin(), frame.end()), saved.end());
    }
    ID3V230 again;
    again.AttachFile(path);
    EXPECT_EQ(again.Title(), "new");
}

TEST(ID3V230Load, TagsOfOtherVersionsAreReadNotSaved) {
    // Frames are read from the frame model, compressed ones of version 2.4
    // included (nothing reaches id3lib before a save); only version 2.3
    // tags are saved.
    test::TempDir dir;
    std::string path = WriteMp3(dir, "a.mp3", test::Tag(4, Frame23("TIT2", B("\0\0\0\x05xxxxxxxx", 12), 0x00, 0x09)));
    Bytes before = test::ReadFile(path);
    ID3V230 tag;
    tag.AttachFile(path);
    EXPECT_EQ(tag.Frames()->Count(), 1);
    tag.setTitle("new");
    EXPECT_FALSE(tag.UpdateTag(2));
    EXPECT_EQ(tag.LastFailure(), "The file's ID3v2.4 tag is read-only: only ID3v2.3 tags can be changed.");
    EXPECT_EQ(test::ReadFile(path), before);
}

TEST(ID3V230Load, TagsTheOwnReaderRejectsNeverReachId3lib) {
    // id3lib's parser is not safe against damaged tags: a tag reaches it only
    // once the library's own reader of that version accepted its structure.
    ASSERT_TRUE(ID3LibBinding::Current().Available());
    test::TempDir dir;
    const Bytes title = Frame23("TIT2", Latin1Text("Title"));
    Bytes pastTheTag = Frame23("TPE1", Latin1Text("Artist"));
    pastTheTag[7] = 0x60;  // claims 96 bytes, 7 are there
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"2.3 frame past the tag", Tag(3, Concat({title, pastTheTag}))},
        {"2.3 tag longer than the file", test::Tag(3, Concat({title, Bytes(20, 0)}))},
        {"2.3 negative frame size", Tag(3, Concat({title, B("TPE1\xFF\xFF\xFF\xFF\0\0x", 11)}))},
        {"2.4 frame past the tag", test::Tag(4, Concat({title, B("TPE1\0\0\x01\0\0\0x", 11)}))},
        {"version 2.5", test::Tag(5, title)},
    };
    for (const auto& [name, tagBytes] : cases) {
        SCOPED_TRACE(name);
        // The second case is cut inside its padding.
        Bytes bytes = Concat({tagBytes, test::MpegAudio(), test::ID3v1Record("Version one")});
        if (name == "2.3 tag longer than the file") bytes = Bytes(tagBytes.begin(), tagBytes.end() - 5);
        const std::string path = dir.File("bad.mp3");
        test::WriteFile(path, bytes);

        ID3V230 tag;
        try {
            tag.AttachFile(path);
            ADD_FAILURE() << "the tag was handed to id3lib";
        } catch (const KorvelException& e) {
            EXPECT_EQ(e.Source(), "LoadFrames");
            EXPECT_NE(e.Description().find(name == "version 2.5" ? "ID3v2.5 tags are not supported."
                                                                 : "tag is damaged"),
                      std::string::npos)
                << e.Description();
        }
        EXPECT_EQ(tag.Frames()->Count(), 0);
        tag.setTitle("new");
        EXPECT_FALSE(tag.UpdateTag(2));
        EXPECT_EQ(tag.LastFailure(), "The file's ID3v2 tag could not be read; saving would lose it.");
        EXPECT_EQ(test::ReadFile(path), bytes);

        // The version 2.3 reader keeps the reason in its error record.
        ID3V23Tag reader;
        EXPECT_FALSE(reader.AttachUpdatable(path));
        EXPECT_FALSE(reader.IsUpdatable());
        EXPECT_EQ(reader.LastError()->Source(), "LoadFrames");
    }

    // Everything else of such a file is still read.
    const std::string path = dir.File("bad.mp3");
    const Bytes bytes = Concat({Tag(3, Concat({title, pastTheTag})), test::MpegAudio(), test::ID3v1Record("Version one")});
    test::WriteFile(path, bytes);
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    EXPECT_EQ(file.ID3v1xTag()->Title(), "Version one");
    EXPECT_EQ(file.MPEGHeader()->BitRate(), 128);
    ASSERT_TRUE(file.ID3V2Tag());
    EXPECT_FALSE(file.ID3V2Tag()->IsLoaded());
    EXPECT_NE(file.xml().find("Version one"), std::string::npos);
    EXPECT_EQ(test::ReadFile(path), bytes);
}

TEST(ID3V230Load, DecompressedSizesTheDataCannotReachAreRefusedUnallocated) {
    // A 20-byte stream cannot inflate to 60 MB: the frame is not handed to
    // id3lib, and nothing of the claimed size is allocated for it.
    const Bytes text = Latin1Text(std::string(400, 'a'));
    const Bytes packed = test::Zlib(text);
    auto frame = [&](uint32_t claimed) {
        return Frame23("TIT2", Concat({test::BigEndian32(claimed), packed}), 0x00, 0x80);
    };
    auto forLibrary = [&](uint32_t claimed, Bytes& plain) {
        TagContentsPtr contents = ParseTagContents(std::make_shared<const Bytes>(Tag(3, frame(claimed))));
        return contents && RawTag::ForLibrary(contents->frames.at(0), plain);
    };
    Bytes plain;
    EXPECT_TRUE(forLibrary(static_cast<uint32_t>(text.size()), plain));
    EXPECT_EQ(Bytes(plain.begin() + 10, plain.end()), text);
    EXPECT_FALSE(forLibrary(60u << 20, plain));
    EXPECT_FALSE(forLibrary(static_cast<uint32_t>(packed.size() * 1032 + 65), plain));

    // Through the file the other frames still load.
    test::TempDir dir;
    std::string path = WriteMp3(dir, "a.mp3", Tag(3, Concat({Frame23("TPE1", Latin1Text("Artist")), frame(60u << 20)})));
    ID3V230 tag;
    tag.AttachFile(path);
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Frames()->Count(), 1);
}
