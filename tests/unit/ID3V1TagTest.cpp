#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "errors/KorvelException.h"
#include "id3v1/Genres.h"
#include "id3v1/ID3V1Tag.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;

TEST(ID3V1Record, DecodesBothKindsByBytes125And126) {
    Bytes r = test::ID3v1Record("", "", "", "", std::string(28, 'c'), 7, 17);
    ID3V1Tag tag;
    EXPECT_EQ(ID3V1Tag::DecodeRecord(r, tag), ID3V11);
    EXPECT_EQ(tag.Track(), 7);
    EXPECT_EQ(tag.Comment(), std::string(28, 'c'));
    EXPECT_EQ(tag.Genre(), 17);

    r[126] = 0;
    EXPECT_EQ(ID3V1Tag::DecodeRecord(r, tag), ID3v1);
    EXPECT_EQ(tag.Track(), 0);
    EXPECT_EQ(tag.Comment(), std::string(28, 'c'));  // stops at the zero byte 125

    // A full 30-character comment without the marker is plain ID3v1.
    r[125] = 'x';
    r[126] = 'y';
    EXPECT_EQ(ID3V1Tag::DecodeRecord(r, tag), ID3v1);
    EXPECT_EQ(tag.Comment(), std::string(28, 'c') + "xy");
}

TEST(ID3V1Record, FieldsEndAtZeroAndAreTrimmedOfBlanks) {
    const Bytes r = test::ID3v1Record("Abc", "  Abc" + std::string(25, ' '), std::string("Al\0junk", 7), "1999",
                                      " \t x ", 0, 0);
    ID3V1Tag tag;
    ID3V1Tag::DecodeRecord(r, tag);
    EXPECT_EQ(tag.Title(), "Abc");
    EXPECT_EQ(tag.Artist(), "Abc");
    EXPECT_EQ(tag.Album(), "Al");
    EXPECT_EQ(tag.Year(), "1999");
    EXPECT_EQ(tag.Comment(), "\t x");  // only blanks are trimmed
}

TEST(ID3V1Record, CodePageBytes80To9F) {
    Bytes r = test::ID3v1Record("", "", "", "", "", 0, 0);
    for (int b = 0x80; b <= 0x9F; ++b) r[3 + (b - 0x80) % 30] = static_cast<uint8_t>(b);
    r[33] = 0x80;
    r[34] = 0x99;
    r[35] = 0xE9;
    ID3V1Tag tag;
    ID3V1Tag::DecodeRecord(r, tag);
    EXPECT_EQ(tag.Artist(), "\u20AC\u2122\u00E9");

    tag.setTagType(ID3v1);
    Bytes encoded = tag.EncodeRecord();
    EXPECT_EQ(encoded[33], 0x80);
    EXPECT_EQ(encoded[34], 0x99);
    EXPECT_EQ(encoded[35], 0xE9);
    EXPECT_EQ(Bytes(encoded.begin() + 3, encoded.begin() + 33), Bytes(r.begin() + 3, r.begin() + 33));
}

TEST(ID3V1Record, EncodeCutsPadsAndPlacesTrack) {
    ID3V1Tag tag;
    tag.setTitle(std::string(31, 'T'));
    tag.setYear("99");
    tag.setComment(std::string(30, 'c'));
    tag.setArtist("\u0416\u00E9");  // Cyrillic has no byte: '?'
    tag.setGenre(12);
    tag.setTagType(ID3v1);
    Bytes v1 = tag.EncodeRecord();
    ASSERT_EQ(v1.size(), 128u);
    EXPECT_EQ(Bytes(v1.begin(), v1.begin() + 3), test::B("TAG"));
    EXPECT_EQ(std::string(v1.begin() + 3, v1.begin() + 33), std::string(30, 'T'));
    EXPECT_EQ(v1[33], '?');
    EXPECT_EQ(v1[34], 0xE9);
    EXPECT_EQ(v1[35], 0);
    EXPECT_EQ(v1[93], '9');
    EXPECT_EQ(v1[95], 0);
    EXPECT_EQ(v1[96], 0);
    EXPECT_EQ(v1[125], 'c');
    EXPECT_EQ(v1[126], 'c');
    EXPECT_EQ(v1[127], 12);

    tag.setTagType(ID3V11);
    tag.setTrack(5);
    Bytes v11 = tag.EncodeRecord();
    EXPECT_EQ(v11[124], 'c');
    EXPECT_EQ(v11[125], 0);
    EXPECT_EQ(v11[126], 5);

    tag.setTrack(256);
    EXPECT_THROW(tag.EncodeRecord(), KorvelException);
    tag.setTrack(-1);
    EXPECT_THROW(tag.EncodeRecord(), KorvelException);
    tag.setTagType(ID3v1);  // no track byte: any track is fine
    EXPECT_NO_THROW(tag.EncodeRecord());
}

TEST(ID3V1Record, DefaultsAndConstants) {
    ID3V1Tag tag;
    EXPECT_EQ(tag.Genre(), 255);
    EXPECT_EQ(tag.Track(), 0);
    EXPECT_EQ(tag.TagType(), ID3Unknown);
    EXPECT_EQ(tag.TagLength(), 128);
    EXPECT_EQ(tag.TagIdentifier(), "TAG");
    EXPECT_EQ(tag.TagTerminator(), "0");
    EXPECT_EQ(tag.GenreList()->Count(), 149);
    // One list for the whole process.
    EXPECT_EQ(tag.GenreList(), ID3V1Tag().GenreList());
}

TEST(ID3V1FromXml, FillsFieldsAndDerivesType) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(
        "<ID3V1Tag><Properties>"
        "<Property Name='Title' Value='T'/><Property Name='Artist' Value='A'/>"
        "<Property Name='Album' Value='B'/><Property Name='Year' Value='2001'/>"
        "<Property Name='Genre' ID='17' Value='Rock'/><Property Name='Track' Value='4'/>"
        "<Property Name='Comment' Value='C'/></Properties></ID3V1Tag>"));
    ID3V1Tag tag;
    tag.setTag(doc.first_child());
    EXPECT_EQ(tag.Title(), "T");
    EXPECT_EQ(tag.Artist(), "A");
    EXPECT_EQ(tag.Album(), "B");
    EXPECT_EQ(tag.Year(), "2001");
    EXPECT_EQ(tag.Comment(), "C");
    EXPECT_EQ(tag.Genre(), 17);
    EXPECT_EQ(tag.Track(), 4);
    EXPECT_EQ(tag.TagType(), ID3V11);

    doc.select_node("//Property[@Name='Track']").node().attribute("Value").set_value("");
    tag.setTag(doc.first_child());
    EXPECT_EQ(tag.TagType(), ID3v1);
    doc.select_node("//Property[@Name='Track']").node().attribute("Value").set_value("-3");
    tag.setTag(doc.first_child());
    EXPECT_EQ(tag.TagType(), ID3Unknown);
}

TEST(ID3V1FromXml, RejectsOtherNodesAndMalformedValues) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string("<LyricsTag><Properties/></LyricsTag>"));
    ID3V1Tag tag;
    tag.setTitle("kept");
    try {
        tag.setTag(doc.first_child());
        FAIL() << "expected a failure";
    } catch (const KorvelException& e) {
        EXPECT_EQ(e.Number(), kLibraryErrorNumber);
        EXPECT_EQ(e.Source(), "ID3V1Tag::Tag");
        EXPECT_EQ(e.Description(), "No valid ID3V1Tag-Node passed.");
    }
    EXPECT_EQ(tag.Title(), "kept");

    ASSERT_TRUE(doc.load_string(
        "<ID3V1Tag><Properties>"
        "<Property Name='Title' Value='T'/><Property Name='Artist' Value='A'/>"
        "<Property Name='Album' Value='B'/><Property Name='Year' Value='2001'/>"
        "<Property Name='Genre' ID='300' Value='x'/><Property Name='Track' Value='x'/>"
        "<Property Name='Comment' Value='C'/></Properties></ID3V1Tag>"));
    EXPECT_THROW(tag.setTag(doc.first_child()), KorvelException);
    EXPECT_EQ(tag.Title(), "T");  // fields set before the failure keep their values
}

TEST(GenreList, LookupsByKeyPositionAndFallback) {
    Genres genres;
    EXPECT_EQ(genres.Count(), 149);
    EXPECT_EQ(genres.Item("17")->Description(), "Rock");
    EXPECT_EQ(genres.Item(17)->Description(), "Reggae");
    EXPECT_EQ(genres.Item(17)->Num(), 16);

    GenrePtr notListed = genres.Item("200");
    ASSERT_TRUE(notListed);
    EXPECT_EQ(notListed->Num(), 200);
    EXPECT_EQ(notListed->Description(), "<Not defined (200)>");
    EXPECT_EQ(genres.Count(), 149);  // not added
    EXPECT_EQ(genres.getGenreByID("200"), nullptr);

    EXPECT_EQ(genres.Item("255")->Description(), "<Undefined>");
    EXPECT_EQ(genres.Item(255)->Description(), "<Not defined (255)>");
    EXPECT_EQ(genres.Item("abc"), nullptr);
    EXPECT_EQ(genres.Item(-1), nullptr);
    EXPECT_EQ(genres.Item(300), nullptr);
    EXPECT_EQ(genres.Item("300"), nullptr);

    EXPECT_EQ(genres.getGenreByIndex(1)->Description(), "Blues");
    EXPECT_EQ(genres.getGenreByIndex(1)->Num(), 0);
    EXPECT_EQ(genres.getGenreByIndex(149)->Description(), "<Undefined>");
    EXPECT_EQ(genres.getGenreByIndex(150), nullptr);
    EXPECT_EQ(genres.getGenreByIndex(0), nullptr);
}

TEST(GenreList, NamesKeepTheirExactSpelling) {
    Genres genres;
    EXPECT_EQ(genres.Item("25")->Description(), "Euro -Techno");
    EXPECT_EQ(genres.Item("71")->Description(), "Lo -Fi");
    EXPECT_EQ(genres.Item("147")->Description(), "Synthpop");
    int position = 0;
    for (const GenrePtr& genre : genres) {
        ++position;
        if (position <= 148) {
            EXPECT_EQ(genre->Num(), position - 1);
        }
    }
    EXPECT_EQ(position, 149);
}
