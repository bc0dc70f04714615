#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "errors/KorvelException.h"
#include "id3v230/ID3V230.h"
#include "id3v2/ID3V2Tag.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using namespace korvel::test;

namespace {

constexpr const char* kLoadFailure = "-2147221504, ID3V2Tag::loadTag, Unable to load this tag.";

// A facade initialised from a file holding `bytes`, as the file object does.
struct FacadeFile {
    TempDir dir;
    std::string path = dir.File("t.mp3");
    ID3V2Tag tag;

    explicit FacadeFile(const Bytes& bytes) {
        WriteFile(path, bytes);
        tag.Init(path, ID3V2Header::FromBytes(bytes));
    }
};

}  // namespace

TEST(ID3V2Facade, InitSizeVersionAndLoadFailures) {
    ID3V2Tag tag;
    EXPECT_EQ(tag.Size(), 0);
    EXPECT_EQ(tag.Version()->Minor(), 0);
    // Without Init every loading access fails and says so.
    EXPECT_EQ(tag.Artist(), "");
    EXPECT_EQ(tag.LastError()->Stream(), kLoadFailure);
    EXPECT_EQ(tag.Picture(), nullptr);
    EXPECT_FALSE(tag.canSave());
    int16_t id = 5;
    std::string description = "keep";
    EXPECT_FALSE(tag.splittedGenre(id, description));
    EXPECT_EQ(id, 5);
    EXPECT_EQ(description, "keep");

    ID3V2Header header = ID3V2Header::FromBytes(B("ID3\x03\x00\x00\x00\x00\x02\x01", 10));
    tag.Init("/nonexistent/file.mp3", header);
    EXPECT_EQ(tag.Size(), 267);
    EXPECT_EQ(tag.Version()->Major(), 2);
    EXPECT_EQ(tag.Version()->Minor(), 3);
    EXPECT_EQ(tag.Version()->Revision(), 0);
    tag.SavingOptions(1, 2);
    EXPECT_EQ(tag.Size(), 267);
    EXPECT_FALSE(tag.IsLoaded());

    // Version 2.5 is not read and records nothing.
    ID3V2Tag future;
    future.Init("/nonexistent/file.mp3",
                ID3V2Header::FromBytes(B("ID3\x05\x00\x00\x00\x00\x00\x20", 10)));
    EXPECT_EQ(future.Artist(), "");
    EXPECT_EQ(future.LastError()->Stream(), "0, , ");
    EXPECT_EQ(future.ID3V23Tag(), nullptr);
    EXPECT_FALSE(future.saveTag());
    EXPECT_EQ(future.LastError()->Description(), "Saving is not supported.");
}

TEST(ID3V2Facade, FileThatAppearsLaterIsLoadedOnTheNextAccess) {
    TempDir dir;
    const Bytes bytes = Concat({Tag(4, Frame24("TIT2", Latin1("Late"))), FakeAudio(20)});
    ID3V2Tag tag;
    tag.Init(dir.File("late.mp3"), ID3V2Header::FromBytes(bytes));
    // The file cannot be opened: no result, nothing recorded, retried later.
    EXPECT_EQ(tag.Title(), "");
    EXPECT_EQ(tag.LastError()->Stream(), "0, , ");
    WriteFile(dir.File("late.mp3"), bytes);
    EXPECT_EQ(tag.Title(), "Late");
    EXPECT_TRUE(tag.IsLoaded());
}

TEST(ID3V2Facade, Version24Routing) {
    const Bytes image = TinyBmp();
    FacadeFile file(Concat({Tag(4, Concat({
                                          Frame24("TIT2", Text(3, B("T\xC3\xAFtle"))),
                                          Frame24("TPE1", Latin1("Artist")),
                                          Frame24("TALB", Latin1("Album")),
                                          Frame24("TCON", Latin1("(13)Pop")),
                                          Frame24("TRCK", Latin1("2/9")),
                                          Frame24("TYER", Latin1("1999")),
                                          Frame24("TENC", Latin1("Encoder")),
                                          Frame24("TCOM", Latin1("Composer")),
                                          Frame24("TOPE", Latin1("Original")),
                                          Frame24("TCOP", Latin1("(c)")),
                                          Frame24("USLT", CommData("eng", "", "Words")),
                                          Frame24("APIC", Concat({B("\0image/bmp\0\x03\0", 13),
                                                                  image})),
                                      }),
                               0, 100),
                            FakeAudio(50)}));
    ID3V2Tag& tag = file.tag;
    EXPECT_EQ(tag.Title(), "T\u00EFtle");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Album(), "Album");
    EXPECT_EQ(tag.Genre(), "Pop");
    EXPECT_EQ(tag.Track(), "2/9");
    EXPECT_EQ(tag.Year(), "1999");  // the year of its recording time
    EXPECT_EQ(tag.EncodedBy(), "Encoder");
    EXPECT_EQ(tag.Composer(), "Composer");
    EXPECT_EQ(tag.OriginalArtist(), "Original");
    EXPECT_EQ(tag.Copyright(), "(c)");
    EXPECT_EQ(tag.LyricsUnsynced(), "Words");
    EXPECT_EQ(tag.LyricsSynced(), "");
    EXPECT_EQ(tag.Comment(), "");
    ASSERT_TRUE(tag.Picture());
    EXPECT_EQ(tag.Picture()->Data(), image);
    EXPECT_EQ(tag.ID3V22Tag(), nullptr);
    EXPECT_EQ(tag.ID3V23Tag(), nullptr);
    ASSERT_TRUE(tag.ID3V24Tag());
    EXPECT_EQ(tag.ID3V24Tag()->FrameCount(), 12);

    // Read-only: writes are ignored, saving fails with the reader's record.
    tag.setTitle("Other");
    tag.setPicture(nullptr);
    EXPECT_EQ(tag.Title(), "T\u00EFtle");
    EXPECT_FALSE(tag.canSave());
    EXPECT_EQ(tag.LastError()->Stream(), "0, canSave, Saving is not supported.");
    EXPECT_FALSE(tag.saveTag());
    EXPECT_EQ(tag.LastError()->Source(), "saveTag");
    EXPECT_EQ(tag.LastError()->Mode(), 1);
    int16_t id = 5;
    std::string description = "keep";
    EXPECT_FALSE(tag.splittedGenre(id, description));
    EXPECT_EQ(description, "keep");
}

TEST(ID3V2Facade, Version22Routing) {
    FacadeFile file(Concat({Tag(2, Concat({
                                          Frame22("TT2", Latin1("Title")),
                                          Frame22("TP1", Latin1("Artist")),
                                          Frame22("TCO", Latin1("(17)")),
                                          Frame22("TYE", Latin1("2004")),
                                          Frame22("COM", CommData("eng", "", "c")),
                                      })),
                            FakeAudio(50)}));
    ID3V2Tag& tag = file.tag;
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Genre(), "(17)");
    EXPECT_EQ(tag.Year(), "2004");
    EXPECT_EQ(tag.Comment(), "c");
    EXPECT_EQ(tag.Composer(), "");
    EXPECT_EQ(tag.Picture(), nullptr);
    ASSERT_TRUE(tag.ID3V22Tag());
    EXPECT_EQ(tag.ID3V24Tag(), nullptr);
    EXPECT_FALSE(tag.canSave());
    EXPECT_EQ(tag.LastError()->Stream(), "0, canSave, Saving is not supported.");
    EXPECT_FALSE(tag.saveTag());
}

TEST(ID3V2Facade, MalformedTagsFailTheLoadCleanly) {
    auto ownParser = std::make_unique<WithoutID3Lib>();
    const Bytes title23 = Frame23("TIT2", Latin1("Title"));
    const Bytes title24 = Frame24("TIT2", Latin1("Title"));
    const Bytes title22 = Frame22("TT2", Latin1("Title"));
    auto cut = [](Bytes b, size_t n) {
        b.resize(n);
        return b;
    };
    auto withByte = [](Bytes b, size_t at, uint8_t value) {
        b[at] = value;
        return b;
    };
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"truncated 2.3", cut(Tag(3, title23, 0, 1000), 200)},
        {"truncated 2.4", cut(Tag(4, title24, 0, 1000), 200)},
        {"truncated 2.2", cut(Tag(2, title22, 0, 1000), 200)},
        {"header only", Concat({B("ID3\x03\x00\x00\x00\x00\x10\x00", 10), Bytes(190, 0)})},
        {"zero-length 2.3", Concat({Tag(3, {}), FakeAudio(200)})},
        {"zero-length 2.2", Concat({Tag(2, {}), FakeAudio(200)})},
        {"garbage after ID3", Concat({B("ID3\x03\x00\x00\x00\x00\x01\x00", 10), FakeAudio(300)})},
        {"2.3 frame past the tag", Concat({Tag(3, withByte(title23, 7, 0x40), 0, 10), FakeAudio(200)})},
        {"2.3 frame claiming 2 GB",
         Concat({Tag(3, Concat({B("TIT2"), {0x7F, 0xFF, 0xFF, 0xF0, 0, 0}, Latin1("x")})),
                 FakeAudio(200)})},
        {"2.3 negative frame size",
         Concat({Tag(3, Concat({B("TIT2"), {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, Latin1("x")})),
                 FakeAudio(200)})},
        {"2.4 frame claiming 256 MB",
         Concat({Tag(4, Concat({B("TIT2"), {0x7F, 0x7F, 0x7F, 0x7F, 0, 0}, Latin1("x")})),
                 FakeAudio(200)})},
        {"2.4 frame past the tag", Concat({Tag(4, withByte(title24, 7, 0x40), 0, 10), FakeAudio(200)})},
        {"2.2 frame past the tag", Concat({Tag(2, withByte(title22, 5, 0x40), 0, 10), FakeAudio(200)})},
        {"2.3 compressed frame claiming 2 GB",
         Concat({Tag(3, Frame23("TIT2", Concat({{0x7F, 0xFF, 0xFF, 0xFF}, Zlib(Latin1("x"))}), 0,
                                0x80)),
                 FakeAudio(200)})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        WriteFile(dir.File("bad.mp3"), bytes);
        FileHandler file;
        ASSERT_TRUE(file.Create(dir.File("bad.mp3")));
        ASSERT_TRUE(file.HasID3V2Tag());
        const ID3V2TagPtr tag = file.ID3V2Tag();
        ASSERT_TRUE(tag);
        EXPECT_EQ(tag->Title(), "");
        EXPECT_EQ(tag->LastError()->Stream(), kLoadFailure);
        EXPECT_FALSE(tag->IsLoaded());
        EXPECT_EQ(tag->ID3V23Tag(), nullptr);
    }

    // With id3lib present the same tags are never handed to it: the own
    // parser rejects their structure first, the load fails the same way and
    // the file is left as it was.
    ownParser.reset();
    KORVEL_SKIP_WITHOUT_ID3LIB();
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name + " with id3lib");
        TempDir dir;
        WriteFile(dir.File("bad.mp3"), bytes);
        FileHandler file;
        ASSERT_TRUE(file.Create(dir.File("bad.mp3")));
        const ID3V2TagPtr tag = file.ID3V2Tag();
        ASSERT_TRUE(tag);
        EXPECT_EQ(tag->Title(), "");
        EXPECT_EQ(tag->LastError()->Stream(), kLoadFailure);
        EXPECT_FALSE(tag->IsLoaded());
        EXPECT_EQ(tag->ID3V23Tag(), nullptr);
        EXPECT_FALSE(tag->saveTag());
        (void)tag->xml();
        EXPECT_EQ(ReadFile(dir.File("bad.mp3")), bytes);
    }
}

TEST(ID3V2Facade, FileHandlerHandsOutTheFacade) {
    TempDir dir;
    WriteFile(dir.File("tag.mp3"), Concat({Tag(3, Frame23("TIT2", Latin1("T")), 0, 100),
                                           FakeAudio(300)}));
    WriteFile(dir.File("none.mp3"), FakeAudio(300));
    WriteFile(dir.File("badsize.mp3"),
              Concat({B("ID3\x03\x00\x00\x00\x00\x80\x00", 10), FakeAudio(300)}));

    FileHandler file;
    EXPECT_EQ(file.ID3V2Tag(), nullptr);
    ASSERT_TRUE(file.Create(dir.File("tag.mp3")));
    const ID3V2TagPtr first = file.ID3V2Tag();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Size(), 10 + 12 + 100);
    EXPECT_EQ(first->Title(), "T");

    ASSERT_TRUE(file.Create(dir.File("none.mp3")));
    EXPECT_FALSE(file.HasID3V2Tag());
    EXPECT_EQ(file.ID3V2Tag(), nullptr);
    // A holder of the earlier facade keeps it.
    EXPECT_EQ(first->Title(), "T");

    ASSERT_TRUE(file.Create(dir.File("badsize.mp3")));
    EXPECT_FALSE(file.HasID3V2Tag());
    EXPECT_EQ(file.ID3V2Tag(), nullptr);
}

namespace {

// "Name=Value" of each property (Value in Base64 for binary ones).
std::vector<std::string> Properties(const std::string& document) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(document.c_str()));
    std::vector<std::string> out;
    for (pugi::xml_node p : doc.child("ID3V2Tag").child("Properties").children("Property")) {
        const pugi::xml_node value = p.child("Value");
        out.push_back(std::string(p.attribute("Name").value()) + "=" +
                      (value ? "b64:" + std::string(value.text().get())
                             : std::string(p.attribute("Value").value())));
    }
    return out;
}

}  // namespace

TEST(ID3V2Facade, XmlDescribesEveryFrame) {
    WithoutID3Lib ownParser;
    const Bytes image = TinyBmp();
    const std::string image64 = "b64:" + Base64Encode(image);
    FacadeFile v23(Concat({Tag(3, Concat({
                                      Frame23("TIT2", Latin1("Title")),
                                      Frame23("TYER", Latin1("2001")),
                                      Frame23("APIC", Concat({B("\0image/bmp\0\x03\0", 13), image})),
                                      Frame23("TXXX", B("\0desc\0text", 10)),
                                      Frame23("PRIV", B("owner\0", 6)),
                                      Frame23("COMM", CommData("eng", "", "Hi")),
                                  })),
                           FakeAudio(50)}));
    XmlElement base;
    const std::string text = v23.tag.xml(&base);
    ASSERT_TRUE(base);
    EXPECT_STREQ(base.Node.name(), "ID3V2Tag");
    EXPECT_EQ(Properties(text), (std::vector<std::string>{
                                    "Version=2.3.0", "Size=" + std::to_string(v23.tag.Size()),
                                    "Title=Title", "Year=2001", "Picture=" + image64, "TXXX=text",
                                    "PRIV=b64:" + Base64Encode(B("owner\0", 6)), "Comment=Hi"}));

    FacadeFile v24(Concat({Tag(4, Concat({
                                      Frame24("TYER", Latin1("2001")),
                                      Frame24("APIC", Concat({B("\0image/bmp\0\x03\0", 13), image})),
                                      Frame24("TRCK", Latin1("4")),
                                  })),
                           FakeAudio(50)}));
    EXPECT_EQ(Properties(v24.tag.xml()),
              (std::vector<std::string>{"Version=2.4.0", "Size=" + std::to_string(v24.tag.Size()),
                                        "TYER=2001", "Picture=" + image64, "TRCK=4"}));

    FacadeFile v22(Concat({Tag(2, Concat({Frame22("TYE", Latin1("2001")),
                                          Frame22("COM", CommData("eng", "", "c"))})),
                           FakeAudio(50)}));
    EXPECT_EQ(Properties(v22.tag.xml()),
              (std::vector<std::string>{"Version=2.2.0", "Size=" + std::to_string(v22.tag.Size()),
                                        "Year=2001", "COM=c"}));

    // No tag, or one that fails to load: version and size only.
    ID3V2Tag empty;
    EXPECT_EQ(Properties(empty.xml()), (std::vector<std::string>{"Version=2.0.0", "Size=0"}));
    FacadeFile broken(Concat({B("ID3\x04\x00\x00\x00\x00\x01\x00", 10), FakeAudio(300)}));
    EXPECT_EQ(Properties(broken.tag.xml()), (std::vector<std::string>{"Version=2.4.0", "Size=138"}));
}

TEST(ID3V2Facade, ReportRowsPerVersion) {
    WithoutID3Lib ownParser;
    TempDir dir;
    auto rowsOf = [&](const Bytes& bytes, std::vector<cError>* failures = nullptr) {
        WriteFile(dir.File("r.mp3"), Concat({bytes, FakeAudio(200)}));
        FileHandler file;
        EXPECT_TRUE(file.Create(dir.File("r.mp3")));
        std::vector<std::string> out;
        for (const AttributeRow& row : AttributeRows(file, failures)) {
            if (row.Attribute.rfind("ID3v2", 0) == 0) out.push_back(row.Attribute + "=" + row.Value);
        }
        return out;
    };
    EXPECT_EQ(rowsOf(Tag(3, Concat({Frame23("TIT2", Latin1("T")),
                                    Frame23("COMM", CommData("eng", "", "c"))}))),
              (std::vector<std::string>{"ID3v2:Version=2.3.0", "ID3v2:TIT2=T (, )",
                                        "ID3v2:COMM=c (, eng)"}));
    // Every frame has its row, duplicates included; comments, user texts
    // and links of the other versions show description and language as well,
    // pictures their summary.
    EXPECT_EQ(rowsOf(Tag(4, Concat({Frame24("TPE1", B("\0A\0B\0", 5)), Frame24("TPE1", Latin1("C")),
                                    Frame24("TXXX", B("\0key\0value", 10)),
                                    Frame24("APIC", Concat({B("\0image/png\0\x04" "cover\0", 18), PngImage()}))}))),
              (std::vector<std::string>{"ID3v2:Version=2.4.0", "ID3v2:TPE1=A / B", "ID3v2:TPE1=C",
                                        "ID3v2:TXXX=value (key, )",
                                        "ID3v2:APIC=image/png, " + std::to_string(PngImage().size()) +
                                            " bytes, Cover (back), \"cover\""}));
    EXPECT_EQ(rowsOf(Tag(4, Frame24("TIT2", Text(3, B("\xC3\xA9"))))),
              (std::vector<std::string>{"ID3v2:Version=2.4.0", "ID3v2:TIT2=\u00E9"}));
    EXPECT_EQ(rowsOf(Tag(2, Frame22("TT2", Latin1("T")))),
              (std::vector<std::string>{"ID3v2:Version=2.2.0", "ID3v2:TT2=T"}));
    // Revision 1 is not a version the rows describe.
    Bytes revised = Tag(3, Frame23("TIT2", Latin1("T")));
    revised[4] = 1;
    EXPECT_EQ(rowsOf(revised), (std::vector<std::string>{"ID3v2:Version=2.3.1",
                                                         "ID3v2=Unsupported Version 2.3.1"}));

    // A tag that does not load: the version row and the failure.
    std::vector<cError> failures;
    EXPECT_EQ(rowsOf(Concat({B("ID3\x04\x00\x00\x00\x00\x01\x00", 10), FakeAudio(100)}), &failures),
              (std::vector<std::string>{"ID3v2:Version=2.4.0"}));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].Stream(), kLoadFailure);
}

namespace {

Bytes Version23File() {
    return Concat({Tag(3, Concat({
                              Frame23("TIT2", Latin1("Title")),
                              Frame23("TPE1", Latin1("Artist")),
                              Frame23("TALB", Latin1("Album")),
                              Frame23("TCON", Latin1("(17)Rock")),
                              Frame23("TRCK", Latin1("3/12")),
                              Frame23("TYER", Latin1("1999")),
                              Frame23("COMM", CommData("eng", "desc", "Comment")),
                              Frame23("TCOM", Latin1("Composer")),
                          }),
                      0, 200),
                   FakeAudio(400)});
}

}  // namespace

TEST(ID3V2Facade, Version23WithoutID3LibIsReadOnly) {
    WithoutID3Lib absent;
    FacadeFile file(Version23File());
    ID3V2Tag& tag = file.tag;
    EXPECT_FALSE(tag.canSave());
    EXPECT_EQ(tag.LastError()->Mode(), 1);
    EXPECT_EQ(tag.LastError()->Source(), "canSave");
    EXPECT_EQ(tag.LastError()->Description(),
              std::string("Saving is not supported.\r\n\r\nThe DLL '") + kMissingID3Lib +
                  "' is not present.\r\nPlease install it into the program directory.");
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Comment(), "");  // the comment has a description, in either mode
    ASSERT_TRUE(tag.ID3V23Tag());
    EXPECT_FALSE(tag.ID3V23Tag()->IsUpdatable());
    EXPECT_EQ(tag.ID3V23Tag()->FrameList(), "TIT2;TPE1;TALB;TCON;TRCK;TYER;COMM;TCOM;");
    int16_t id = 0;
    std::string description;
    EXPECT_TRUE(tag.splittedGenre(id, description));
    EXPECT_EQ(description, "Rock");

    tag.setArtist("Other");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_FALSE(tag.saveTag());
    EXPECT_EQ(tag.LastError()->Stream(), "0, saveTag, Saving is not supported.");
    EXPECT_FALSE(tag.ID3V23Tag()->removeTag());
    EXPECT_EQ(tag.ID3V23Tag()->LastError()->Source(), "Remove functionality");
    EXPECT_EQ(ReadFile(file.path), Version23File());
}

TEST(ID3V2Facade, Version23ThroughID3LibSavesAndRemoves) {
    KORVEL_SKIP_WITHOUT_ID3LIB();
    FacadeFile file(Version23File());
    ID3V2Tag& tag = file.tag;
    EXPECT_TRUE(tag.canSave());
    const ID3V23TagPtr reader = tag.ID3V23Tag();
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->IsUpdatable());
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Artist(), "Artist");
    EXPECT_EQ(tag.Genre(), "(17)Rock");
    EXPECT_EQ(tag.Track(), "3/12");
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Comment(), "");  // the comment has a description
    EXPECT_EQ(tag.Composer(), "Composer");
    EXPECT_EQ(reader->GenreID(), "");
    // The frames are the same in either mode.
    EXPECT_EQ(reader->FrameList(), "TIT2;TPE1;TALB;TCON;TRCK;TYER;COMM;TCOM;");
    EXPECT_TRUE(reader->GetFrameByID("TIT2"));
    EXPECT_EQ(reader->FrameCount(), 8);
    const ID3V23FramePtr first = reader->GetFrameByIndex(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->ID(), "TIT2");
    EXPECT_TRUE(first->IsTitle());
    EXPECT_EQ(first->TextData(), "Title");
    const ID3V23FramePtr comment = reader->GetFrameByIndex(7);
    ASSERT_TRUE(comment);
    EXPECT_EQ(comment->ID(), "COMM");
    EXPECT_EQ(comment->TextData(), "Comment");
    EXPECT_EQ(comment->Description(), "desc");
    EXPECT_EQ(comment->Language(), "eng");
    EXPECT_EQ(reader->GetFrameByIndex(9), nullptr);
    int16_t id = 0;
    std::string description;
    EXPECT_TRUE(tag.splittedGenre(id, description));
    EXPECT_EQ(id, 17);
    EXPECT_EQ(description, "Rock");

    // Changes are saved through the updatable tag; an empty year removes it.
    tag.setArtist("New Artist");
    tag.setYear("");
    tag.setTrack("4/12");
    EXPECT_TRUE(tag.saveTag());
    {
        WithoutID3Lib ownParser;
        FileHandler reread;
        ASSERT_TRUE(reread.Create(file.path));
        ASSERT_TRUE(reread.ID3V2Tag());
        EXPECT_EQ(reread.ID3V2Tag()->Artist(), "New Artist");
        EXPECT_EQ(reread.ID3V2Tag()->Title(), "Title");
        EXPECT_EQ(reread.ID3V2Tag()->Track(), "4/12");
        // (The updatable tag writes a deleted text frame with empty text.)
        EXPECT_EQ(reread.ID3V2Tag()->Year(), "");
    }
    // A year that is no number is stored as 0.
    tag.setYear("soon");
    EXPECT_EQ(tag.Year(), "0");

    // A write before any read loads the tag first and is not lost.
    {
        FileHandler handler;
        ASSERT_TRUE(handler.Create(file.path));
        const ID3V2TagPtr fresh = handler.ID3V2Tag();
        ASSERT_TRUE(fresh);
        EXPECT_FALSE(fresh->IsLoaded());
        fresh->setTitle("Written First");
        EXPECT_TRUE(fresh->saveTag());
    }
    {
        FileHandler handler;
        ASSERT_TRUE(handler.Create(file.path));
        EXPECT_EQ(handler.ID3V2Tag()->Title(), "Written First");
        EXPECT_EQ(handler.ID3V2Tag()->Artist(), "New Artist");
        // Report rows of this mode carry description and language.
        bool sawComment = false;
        for (const AttributeRow& row : AttributeRows(handler)) {
            if (row.Attribute == "ID3v2:COMM") {
                EXPECT_EQ(row.Value, "Comment (desc, eng)");
                sawComment = true;
            }
        }
        EXPECT_TRUE(sawComment);

        EXPECT_TRUE(handler.ID3V2Tag()->ID3V23Tag()->removeTag());
    }
    FileHandler stripped;
    ASSERT_TRUE(stripped.Create(file.path));
    EXPECT_FALSE(stripped.HasID3V2Tag());
    EXPECT_EQ(ReadFile(file.path), FakeAudio(400));
}
