#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/BinaryFile.h"
#include "id3v1/ID3V1Tag.h"
#include "mpeg/MPEGHeader.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"
#include "xml/XmlNodes.h"

using namespace korvel;

namespace {

// Name (and ID when present) of each property below a "Properties" element.
std::vector<std::string> PropertyNames(pugi::xml_node properties) {
    std::vector<std::string> names;
    for (pugi::xml_node p : properties.children("Property")) names.push_back(p.attribute("Name").value());
    return names;
}

std::vector<std::string> AttributeNames(pugi::xml_node node) {
    std::vector<std::string> names;
    for (pugi::xml_attribute a : node.attributes()) names.push_back(a.name());
    return names;
}

}  // namespace

TEST(XmlNodes, Base64UsesTheStandardAlphabetAndPadding) {
    EXPECT_EQ(Base64Encode(Bytes{}), "");
    EXPECT_EQ(Base64Encode(test::B("f")), "Zg==");
    EXPECT_EQ(Base64Encode(test::B("fo")), "Zm8=");
    EXPECT_EQ(Base64Encode(test::B("foo")), "Zm9v");
    EXPECT_EQ(Base64Encode(test::B("foobar")), "Zm9vYmFy");
    // The two last letters of the alphabet and a zero byte.
    EXPECT_EQ(Base64Encode(Bytes{0xFB, 0xFF, 0xBF}), "+/+/");
    EXPECT_EQ(Base64Encode(Bytes{0x00, 0xFF}), "AP8=");
    Bytes all(256);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
    const std::string text = Base64Encode(all);
    EXPECT_EQ(text.size(), 344u);
    EXPECT_EQ(text.substr(0, 8), "AAECAwQF");
    EXPECT_EQ(text.substr(336), "/P3+/w==");
}

TEST(XmlNodes, PropertiesFrameAndSafeText) {
    XmlElement top = CreateXmlDocument("ID3V1Tag", "Top");
    ASSERT_TRUE(top);
    pugi::xml_node plain = CreatePropertyNode(top.Node, "Title", "Song");
    pugi::xml_node withID = CreatePropertyNode(top.Node, "Genre", "Rock", "17");
    EXPECT_EQ(AttributeNames(plain), (std::vector<std::string>{"Name", "Value"}));
    EXPECT_EQ(AttributeNames(withID), (std::vector<std::string>{"Name", "ID", "Value"}));
    CreateBinaryPropertyNode(top.Node, "Picture", test::B("foobar"));
    CreateBinaryPropertyNode(top.Node, "Empty", Bytes{});
    CreatePropertyNode(top.Node, "Odd", std::string("a\x01" "b\tc\r\n<&>\"", 11));

    const std::string text = SerializeXml(top);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--ID3V1Tag-->\n<Top>", 0), 0u)
        << text;
    EXPECT_NE(text.find("<Property Name=\"Title\" Value=\"Song\" />"), std::string::npos);
    EXPECT_NE(text.find("<Property Name=\"Genre\" ID=\"17\" Value=\"Rock\" />"), std::string::npos);

    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_string(text.c_str()));
    pugi::xml_node topNode = parsed.child("Top");
    pugi::xml_node picture = topNode.find_child_by_attribute("Property", "Name", "Picture");
    EXPECT_STREQ(picture.child("Value").text().get(), "Zm9vYmFy");
    EXPECT_STREQ(picture.child("Value").attribute("dt:dt").value(), "bin.base64");
    EXPECT_STREQ(topNode.find_child_by_attribute("Property", "Name", "Empty").child("Value").text().get(), "");
    // A control character XML cannot hold is replaced; tab, CR LF and markup survive.
    EXPECT_EQ(std::string(topNode.find_child_by_attribute("Property", "Name", "Odd").attribute("Value").value()),
              "a\xEF\xBF\xBD" "b\tc\r\n<&>\"");
    EXPECT_EQ(XmlSafeText("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(XmlSafeText(std::string("x\0y\0\0", 5)), "x\xEF\xBF\xBDy");
}

TEST(ID3V1TagXml, PropertiesInOrderWithGenreAndTrack) {
    ID3V1Tag tag;
    tag.setTitle("Song");
    tag.setArtist("Band & Co");
    tag.setAlbum("Album");
    tag.setYear("1999");
    tag.setComment("Nice");
    tag.setGenre(17);
    tag.setTagType(ID3v1);

    XmlElement base = CreateXmlDocument("Other", "Placeholder");
    const std::string withoutBase = tag.xml();
    const std::string text = tag.xml(&base);
    EXPECT_EQ(text, withoutBase);
    ASSERT_TRUE(base);
    EXPECT_STREQ(base.Node.name(), "ID3V1Tag");
    // The element stays part of its own document, behind declaration and comment.
    EXPECT_EQ(base.Node.previous_sibling().type(), pugi::node_comment);
    EXPECT_STREQ(base.Node.previous_sibling().value(), "ID3V1Tag");

    pugi::xml_node properties = base.Node.child("Properties");
    EXPECT_EQ(PropertyNames(properties), (std::vector<std::string>{"Title", "Artist", "Album", "Year",
                                                                   "Genre", "Track", "Comment"}));
    EXPECT_NE(text.find("<Property Name=\"Genre\" ID=\"17\" Value=\"Rock\" />"), std::string::npos);
    EXPECT_NE(text.find("<Property Name=\"Track\" Value=\"\" />"), std::string::npos);
    EXPECT_NE(text.find("Value=\"Band &amp; Co\""), std::string::npos);

    tag.setGenre(200);
    tag.setTrack(7);
    tag.xml(&base);
    pugi::xml_node genre = base.Node.select_node("./Properties/Property[@Name = 'Genre']").node();
    EXPECT_STREQ(genre.attribute("ID").value(), "200");
    EXPECT_STREQ(genre.attribute("Value").value(), "<Undefined (200)>");
    EXPECT_STREQ(base.Node.select_node("./Properties/Property[@Name = 'Track']").node().attribute("Value").value(),
                 "7");
    tag.setGenre(255);
    tag.xml(&base);
    EXPECT_STREQ(base.Node.select_node("./Properties/Property[@Name = 'Genre']").node().attribute("Value").value(),
                 "<Undefined>");
}

TEST(ID3V1TagXml, RoundTripThroughTextAndSetter) {
    ID3V1Tag tag;
    tag.setTitle("T\xC3\xADtulo \"quoted\"");
    tag.setArtist("Artist");
    tag.setAlbum("<Album>");
    tag.setYear("2004");
    tag.setComment("line");
    tag.setTrack(12);
    tag.setGenre(200);
    tag.setTagType(ID3V11);

    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_string(tag.xml().c_str()));
    ID3V1Tag copy;
    copy.setTag(parsed.child("ID3V1Tag"));
    EXPECT_EQ(copy.Title(), tag.Title());
    EXPECT_EQ(copy.Artist(), tag.Artist());
    EXPECT_EQ(copy.Album(), tag.Album());
    EXPECT_EQ(copy.Year(), tag.Year());
    EXPECT_EQ(copy.Comment(), tag.Comment());
    EXPECT_EQ(copy.Track(), 12);
    EXPECT_EQ(copy.Genre(), 200);
    EXPECT_EQ(copy.TagType(), ID3V11);

    // Straight from the element handed out, without text in between; track 0
    // comes back as an ID3v1 tag.
    tag.setTrack(0);
    XmlElement base;
    tag.xml(&base);
    ID3V1Tag direct;
    direct.setTag(base.Node);
    EXPECT_EQ(direct.Track(), 0);
    EXPECT_EQ(direct.TagType(), ID3v1);
    EXPECT_EQ(direct.Album(), "<Album>");
}

TEST(MPEGHeaderXml, PropertiesInOrderWithIDs) {
    test::TempDir dir;
    test::Mp3Spec stream;
    stream.BitRate = 320;
    stream.ChannelMode = 3;
    stream.Copyright = true;
    stream.Emphasis = 1;
    test::WriteFile(dir.File("a.mp3"), test::BuildMp3(stream));
    MPEGHeader header;
    {
        BinaryFile file(dir.File("a.mp3"));
        ASSERT_TRUE(header.LoadHeaderEx(file, 0));
    }
    XmlElement base;
    const std::string text = header.xml(&base);
    EXPECT_STREQ(base.Node.name(), "MPEGHeader");
    pugi::xml_node properties = base.Node.child("Properties");
    EXPECT_EQ(PropertyNames(properties),
              (std::vector<std::string>{"AudioSize", "BitRate", "Copyright", "CRC", "Duration", "Emphasis",
                                        "FileSize", "FrameSize", "Frequency", "Layer", "Mode", "NumFrames",
                                        "Original", "PaddingBit", "PrivateBit", "ProtectionBit", "VBR",
                                        "Version"}));
    auto property = [&](const char* name) { return properties.find_child_by_attribute("Property", "Name", name); };
    EXPECT_STREQ(property("BitRate").attribute("Value").value(), "320");
    EXPECT_STREQ(property("Copyright").attribute("Value").value(), "1");
    EXPECT_STREQ(property("CRC").attribute("Value").value(), "0");
    EXPECT_STREQ(property("ProtectionBit").attribute("Value").value(), "1");
    EXPECT_STREQ(property("FileSize").attribute("Value").value(), std::to_string(header.FileSize()).c_str());
    EXPECT_EQ(property("Mode").attribute("ID").as_int(), 3);
    EXPECT_STREQ(property("Mode").attribute("Value").value(), header.Mode().c_str());
    EXPECT_EQ(property("Layer").attribute("ID").as_int(), header.LayerID());
    EXPECT_EQ(property("Version").attribute("ID").as_int(), header.VersionID());
    EXPECT_STREQ(property("Version").attribute("Value").value(), header.Version().c_str());
    EXPECT_EQ(property("Emphasis").attribute("ID").as_int(), 1);
    EXPECT_STREQ(property("Emphasis").attribute("Value").value(), header.Emphasis().c_str());
    EXPECT_FALSE(property("Duration").attribute("ID"));

    // A header that found nothing still describes itself.
    pugi::xml_document parsed;
    EXPECT_TRUE(parsed.load_string(MPEGHeader().xml().c_str()));
    EXPECT_EQ(PropertyNames(parsed.child("MPEGHeader").child("Properties")).size(), 18u);
}
