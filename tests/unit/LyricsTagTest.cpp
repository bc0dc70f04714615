#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors/KorvelException.h"
#include "id3v1/ID3V1Tag.h"
#include "lyrics3/LyricsTag.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
using test::Concat;

namespace {

// Writes audio + body + the ID3v1 record (when wanted) and returns the path.
std::string WriteTagged(const test::TempDir& dir, const std::string& name, const Bytes& body,
                        bool withID3v1) {
    const std::string path = dir.File(name);
    test::WriteFile(path, withID3v1 ? Concat({test::FakeAudio(300), body, test::ID3v1Record("Record")}) : Concat({test::FakeAudio(300), body}));
    return path;
}

}  // namespace

TEST(LyricsTagLoad, Version200WithAndWithoutID3v1) {
    test::TempDir dir;
    const Bytes tag = B("LYRICSBEGINETT00005Hello000024LYRICS200");
    const std::string tagged = WriteTagged(dir, "tagged.mp3", tag, true);

    LyricsTag lyrics;
    EXPECT_EQ(lyrics.Version(), lvcUnknown);
    lyrics.Load(tagged, true);
    EXPECT_EQ(lyrics.Version(), lvcV200);
    EXPECT_EQ(lyrics.Size(), 24);
    ASSERT_EQ(lyrics.FieldCount(), 1);
    EXPECT_EQ(lyrics.Title(), "Hello");
    EXPECT_EQ(lyrics.getFieldByIndex(1)->Size(), 5);
    EXPECT_TRUE(lyrics.getFieldByIndex(1)->IsTitle());
    EXPECT_EQ(lyrics.getFieldByID("ETT")->TextData(), "Hello");
    EXPECT_EQ(lyrics.getFieldByID("LYR"), nullptr);
    EXPECT_EQ(lyrics.getFieldByIndex(0), nullptr);
    EXPECT_EQ(lyrics.getFieldByIndex(2), nullptr);
    EXPECT_EQ(lyrics.Lyrics(), "");
    EXPECT_EQ(lyrics.Author(), "");
    EXPECT_EQ(lyrics.RawText(), "LYRICSBEGINETT00005Hello");

    // The same file read as if it had no ID3v1 tag finds no marker at its end,
    // and the earlier fields are gone.
    lyrics.Load(tagged, false);
    EXPECT_EQ(lyrics.Version(), lvcUnknown);
    EXPECT_EQ(lyrics.Size(), 0);
    EXPECT_EQ(lyrics.FieldCount(), 0);
    EXPECT_EQ(lyrics.Title(), "");

    lyrics.Load(WriteTagged(dir, "plain.mp3", tag, false), false);
    EXPECT_EQ(lyrics.Version(), lvcV200);
    EXPECT_EQ(lyrics.Title(), "Hello");

    // Files too short for a trailer, or an empty one, hold no tag.
    test::WriteFile(dir.File("short.mp3"), B("LYRICS200"));
    lyrics.Load(dir.File("short.mp3"), false);
    EXPECT_EQ(lyrics.Version(), lvcUnknown);
    test::WriteFile(dir.File("empty.mp3"), Bytes{});
    lyrics.Load(dir.File("empty.mp3"), true);
    EXPECT_EQ(lyrics.Version(), lvcUnknown);
}

TEST(LyricsTagLoad, FieldsInFileOrderWithAnsiText) {
    test::TempDir dir;
    // "Caf\xE9" is Windows-1252; the lyrics keep their CR LF; XYZ is unknown.
    const std::string fields = std::string("IND0000210") + "LYR00010one\r\ntwo\r\n" +
                               "EAR00005Caf\xE9!" + "EAL00003Alb" + "AUT00002Au" + "XYZ00000" +
                               "ETT00001T";
    LyricsTag lyrics;
    lyrics.Load(WriteTagged(dir, "a.mp3", test::Lyrics3Tag(fields), true), true);
    ASSERT_EQ(lyrics.FieldCount(), 7);
    std::vector<std::string> ids;
    for (int32_t i = 1; i <= lyrics.FieldCount(); ++i) ids.push_back(lyrics.getFieldByIndex(i)->ID());
    EXPECT_EQ(ids, (std::vector<std::string>{"IND", "LYR", "EAR", "EAL", "AUT", "XYZ", "ETT"}));
    EXPECT_EQ(lyrics.Lyrics(), "one\r\ntwo\r\n");
    EXPECT_EQ(lyrics.Artist(), "Caf\xC3\xA9!");
    EXPECT_EQ(lyrics.Album(), "Alb");
    EXPECT_EQ(lyrics.Author(), "Au");
    EXPECT_EQ(lyrics.Title(), "T");
    EXPECT_EQ(lyrics.getFieldByID("XYZ")->TextData(), "");
    const LyricsV200FieldPtr ind = lyrics.getFieldByID("IND");
    EXPECT_FALSE(ind->IsLyrics() || ind->IsArtist() || ind->IsAlbum() || ind->IsTitle() || ind->IsAuthor());
    EXPECT_TRUE(lyrics.getFieldByID("AUT")->IsAuthor());
    EXPECT_TRUE(lyrics.getFieldByID("EAR")->IsArtist());
}

TEST(LyricsTagLoad, Version100TakesTheTextBetweenTheMarkers) {
    test::TempDir dir;
    LyricsTag lyrics;
    const std::string text = "[00:01]First line\r\nSecond line";
    lyrics.Load(WriteTagged(dir, "v1.mp3", B("LYRICSBEGIN" + text + "LYRICSEND"), true), true);
    EXPECT_EQ(lyrics.Version(), lvcV100);
    EXPECT_EQ(lyrics.Size(), 5100);
    EXPECT_EQ(lyrics.Lyrics(), text);
    EXPECT_EQ(lyrics.FieldCount(), 0);

    // An empty text at the very start of a file without ID3v1.
    test::WriteFile(dir.File("bare.mp3"), B("LYRICSBEGINLYRICSEND"));
    lyrics.Load(dir.File("bare.mp3"), false);
    EXPECT_EQ(lyrics.Version(), lvcV100);
    EXPECT_EQ(lyrics.Lyrics(), "");
}

TEST(LyricsTagLoad, MalformedTagsRaiseAndLeaveTheTagEmpty) {
    test::TempDir dir;
    const std::string longText(5200, 'x');
    struct Case {
        const char* what;
        Bytes body;
        const char* expected;  // part of the description
    };
    const std::vector<Case> cases = {
        {"size not a number", B("LYRICSBEGINETT00005Hello00a024LYRICS200"), "\"00a024\" in front of LYRICS200 is not a number"},
        {"size beyond the file", B("LYRICSBEGINETT00005Hello900000LYRICS200"), "claims 900000 bytes"},
        {"size too small", B("LYRICSBEGINETT00005Hello000005LYRICS200"), "too small"},
        {"size misses the start", B("LYRICSBEGINETT00005Hello000023LYRICS200"), "does not start with LYRICSBEGIN"},
        {"field size not a number", test::Lyrics3Tag("ETT0x005Hello"), "\"0x005\" of Lyrics3 field ETT is not a number"},
        {"field beyond the block", test::Lyrics3Tag("ETT00050Hello"), "ETT claims 50 bytes, but only 5 remain"},
        {"field header cut short", test::Lyrics3Tag("ETT00005HelloEA"), "cut short"},
        {"duplicate field", test::Lyrics3Tag("ETT00001AETT00001B"), "field ETT twice"},
        {"version 1 without start", B(longText + "LYRICSEND"), "no LYRICSBEGIN within 5100 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LyricsTag lyrics;
        // A good tag first, to see that a failed load does not keep its fields.
        lyrics.Load(WriteTagged(dir, "good.mp3", test::Lyrics3Tag("ETT00001G"), true), true);
        ASSERT_EQ(lyrics.FieldCount(), 1);
        try {
            lyrics.Load(WriteTagged(dir, "bad.mp3", c.body, true), true);
            ADD_FAILURE() << "no failure raised";
        } catch (const KorvelException& e) {
            EXPECT_EQ(e.Number(), kLibraryErrorNumber);
            EXPECT_EQ(e.Source(), "LyricsTag::Load");
            EXPECT_NE(e.Description().find(c.expected), std::string::npos) << e.Description();
        }
        EXPECT_EQ(lyrics.Version(), lvcUnknown);
        EXPECT_EQ(lyrics.FieldCount(), 0);
        EXPECT_EQ(lyrics.LastError()->Source(), "LyricsTag::Load");
    }

    LyricsTag lyrics;
    EXPECT_THROW(lyrics.Load(dir.File("missing.mp3"), false), std::exception);
}

TEST(LyricsTagXml, PropertiesAndRoundTrip) {
    test::TempDir dir;
    const std::string fields = std::string("EAL00003Alb") + "LYR00008one\r\ntwo" + "IND00002" "10" +
                               "ETT00005Title" + "AUT00004Auth" + "EAR00003Art";
    LyricsTag lyrics;
    lyrics.Load(WriteTagged(dir, "a.mp3", test::Lyrics3Tag(fields), false), false);
    XmlElement base;
    const std::string text = lyrics.xml(&base);
    ASSERT_TRUE(base);
    EXPECT_STREQ(base.Node.name(), "LyricsTag");
    std::vector<std::string> names;
    for (pugi::xml_node p : base.Node.child("Properties").children("Property")) {
        names.push_back(p.attribute("Name").value());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Version", "Album", "Lyrics", "IND", "Title", "Author", "Artist"}));
    EXPECT_STREQ(base.Node.child("Properties").first_child().attribute("Value").value(), "2");

    // Through the text and back: the fields come back, the lyrics with CR LF.
    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_string(text.c_str()));
    LyricsTag copy;
    EXPECT_TRUE(copy.CreateFromTag(parsed.child("LyricsTag")));
    EXPECT_EQ(copy.Version(), lvcV200);
    EXPECT_EQ(copy.Album(), "Alb");
    EXPECT_EQ(copy.Artist(), "Art");
    EXPECT_EQ(copy.Author(), "Auth");
    EXPECT_EQ(copy.Title(), "Title");
    EXPECT_EQ(copy.Lyrics(), "one\r\ntwo");
    EXPECT_EQ(copy.getFieldByID("IND"), nullptr);
    EXPECT_EQ(copy.getFieldByID("ETT")->Size(), 0);

    // Straight from the element as well.
    LyricsTag direct;
    EXPECT_TRUE(direct.CreateFromTag(base.Node));
    EXPECT_EQ(direct.Lyrics(), "one\r\ntwo");

    // A version 1.00 tag describes its text as the lyrics.
    lyrics.Load(WriteTagged(dir, "v1.mp3", B("LYRICSBEGINold text\r\nLYRICSEND"), false), false);
    lyrics.xml(&base);
    EXPECT_STREQ(base.Node.select_node("./Properties/Property[@Name = 'Lyrics']").node().attribute("Value").value(),
                 "old text\r\n");
    LyricsTag v1;
    EXPECT_TRUE(v1.CreateFromTag(base.Node));
    EXPECT_EQ(v1.Version(), lvcV100);
    EXPECT_EQ(v1.Lyrics(), "old text\r\n");
}

TEST(LyricsTagXml, CreateFromTagAddsOnlyNewFields) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        "<LyricsTag><Properties>"
        "<Property Name=\"Version\" Value=\"2\"/>"
        "<Property Name=\"Title\" Value=\"New title\"/>"
        "<Property Name=\"Lyrics\" Value=\"a&#10;b&#13;&#10;c\"/>"
        "</Properties></LyricsTag>"));
    LyricsTag lyrics;
    EXPECT_TRUE(lyrics.CreateFromTag(doc.child("LyricsTag")));
    EXPECT_EQ(lyrics.Lyrics(), "a\r\nb\r\nc");
    EXPECT_EQ(lyrics.Title(), "New title");
    EXPECT_EQ(lyrics.FieldCount(), 2);

    // A second element adds nothing already there.
    pugi::xml_document other;
    ASSERT_TRUE(other.load_string(
        "<LyricsTag><Properties><Property Name=\"Title\" Value=\"Other\"/>"
        "<Property Name=\"Album\" Value=\"Alb\"/></Properties></LyricsTag>"));
    EXPECT_TRUE(lyrics.CreateFromTag(other.child("LyricsTag")));
    EXPECT_EQ(lyrics.Version(), lvcUnknown);  // no Version property
    EXPECT_EQ(lyrics.Title(), "New title");
    EXPECT_EQ(lyrics.Album(), "Alb");

    // Another element name only resets the version.
    pugi::xml_document foreign;
    ASSERT_TRUE(foreign.load_string(
        "<ID3V2Tag><Properties><Property Name=\"Version\" Value=\"2\"/>"
        "<Property Name=\"Author\" Value=\"X\"/></Properties></ID3V2Tag>"));
    EXPECT_TRUE(lyrics.CreateFromTag(foreign.child("ID3V2Tag")));
    EXPECT_EQ(lyrics.Version(), lvcUnknown);
    EXPECT_EQ(lyrics.Author(), "");
    EXPECT_EQ(lyrics.FieldCount(), 3);

    pugi::xml_document bad;
    ASSERT_TRUE(bad.load_string(
        "<LyricsTag><Properties><Property Name=\"Version\" Value=\"two\"/></Properties></LyricsTag>"));
    EXPECT_FALSE(lyrics.CreateFromTag(bad.child("LyricsTag")));
}

TEST(LyricsTagCorpus, Version200BetweenApeAndID3v1) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    LyricsTag lyrics;
    lyrics.Load(test::CorpusPath("mutagen/apev2-lyricsv2.mp3"), true);
    EXPECT_EQ(lyrics.Version(), lvcV200);
    EXPECT_EQ(lyrics.Size(), 70);
    ASSERT_EQ(lyrics.FieldCount(), 4);
    EXPECT_EQ(lyrics.getFieldByIndex(1)->ID(), "IND");
    EXPECT_EQ(lyrics.getFieldByIndex(1)->TextData(), "00");
    EXPECT_EQ(lyrics.Album(), "A song    EP");
    EXPECT_EQ(lyrics.Artist(), "Auth");
    EXPECT_EQ(lyrics.Title(), "A song   ");
    EXPECT_EQ(lyrics.Lyrics(), "");
}

TEST(LyricsTagLoad, CorruptedTagsLoadOrRaiseALibraryError) {
    test::TempDir dir;
    const Bytes good = Concat({test::FakeAudio(40), test::Lyrics3Tag("IND0000210LYR00005linesEAR00003ArtETT00002Ti"), test::ID3v1Record("Record")});
    const std::string path = dir.File("c.mp3");
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    const char kChars[] = "0123456789LYRICS2BEGN\x00\xFF x";
    for (int round = 0; round < 200; ++round) {
        Bytes bytes = good;
        // Change one to three bytes of the Lyrics3 block or its trailer.
        const size_t from = 40, to = bytes.size() - 128;
        for (uint32_t n = 1 + next() % 3; n > 0; --n) {
            bytes[from + next() % (to - from)] = static_cast<uint8_t>(kChars[next() % (sizeof kChars - 1)]);
        }
        test::WriteFile(path, bytes);
        LyricsTag lyrics;
        try {
            lyrics.Load(path, true);
        } catch (const KorvelException& e) {
            EXPECT_EQ(e.Source(), "LyricsTag::Load");
            EXPECT_EQ(lyrics.Version(), lvcUnknown);
        }
    }
}
