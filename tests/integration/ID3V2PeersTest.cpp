// Tags written by mutagen and eyeD3 in every text encoding read the way
// mutagen reads them: the rows of korvel info against mutagen's frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "support/ID3V2Builder.h"
#include "support/TestSupport.h"
#include "xml/XmlNodes.h"

using namespace korvel;
using test::HaveMutagen;
using test::Lines;
using test::Run;
using test::ShellQuote;

namespace {

const std::string kPython = "/usr/bin/python3";

std::string Script() {
    return kPython + " " + ShellQuote(std::string(KORVEL_SOURCE_DIR) + "/tests/integration/peer_tags.py");
}

// The ID3v2 frame rows of korvel info ("ID\tvalue") with the own readers.
std::vector<std::string> KorvelRows(const std::string& path, const std::string& version) {
    std::string out;
    EXPECT_EQ(Run(test::kWithoutID3LibEnv + ShellQuote(test::CliPath()) + " info " + ShellQuote(path), &out), 0);
    std::vector<std::string> rows;
    bool sawVersion = false;
    for (std::string line : Lines(out)) {
        if (line.rfind("ID3v2:", 0) != 0) continue;
        line = line.substr(6);
        if (line.rfind("Version\t", 0) == 0) {
            EXPECT_EQ(line, "Version\t" + version);
            sawVersion = true;
            continue;
        }
        rows.push_back(line);
    }
    EXPECT_TRUE(sawVersion);
    return rows;
}

std::vector<std::string> MutagenRows(const std::string& path) {
    std::string out;
    EXPECT_EQ(Run(Script() + " rows " + ShellQuote(path), &out), 0);
    return Lines(out);
}

// The picture of korvel's XML description against mutagen's APIC data.
void ExpectSamePicture(const std::string& path) {
    std::string hex;
    ASSERT_EQ(Run(Script() + " picture " + ShellQuote(path), &hex), 0);
    Bytes expected;
    for (size_t i = 0; i + 1 < hex.size() && hex[i] != '\n'; i += 2) {
        expected.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    ASSERT_FALSE(expected.empty());
    std::string xml;
    ASSERT_EQ(Run(test::kWithoutID3LibEnv + ShellQuote(test::CliPath()) + " xml " +
                      ShellQuote(path),
                  &xml),
              0);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(xml.c_str()));
    const pugi::xpath_node picture =
        doc.select_node("//ID3V2Tag/Properties/Property[@Name='Picture']/Value");
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::string(picture.node().text().get()), Base64Encode(expected));
}

struct PeerFile {
    test::TempDir dir;
    std::string path = dir.File("peer.mp3");
    std::string image = dir.File("cover.bmp");

    PeerFile() {
        test::WriteFile(path, test::ReadFile(test::CorpusPath("mutagen/xing.mp3")));
        test::WriteFile(image, test::TinyBmp());
    }
};

}  // namespace

TEST(ID3V2Peers, MutagenTagsInEveryEncoding) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen not available";
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    const std::vector<std::pair<int, int>> cases = {{3, 0}, {3, 1}, {4, 0}, {4, 1}, {4, 2}, {4, 3}};
    for (const auto& [version, encoding] : cases) {
        SCOPED_TRACE("v2." + std::to_string(version) + " encoding " + std::to_string(encoding));
        PeerFile file;
        ASSERT_EQ(test::Run(Script() + " write " + ShellQuote(file.path) + " " + std::to_string(version) +
                      " " + std::to_string(encoding) + " " + ShellQuote(file.image)),
                  0);
        const std::vector<std::string> expected = MutagenRows(file.path);
        // Text, comment, lyrics, user text, URL, counter, private and picture.
        ASSERT_EQ(expected.size(), 13u);
        EXPECT_EQ(KorvelRows(file.path, "2." + std::to_string(version) + ".0"), expected);
        ExpectSamePicture(file.path);
        // The same rows and description when tags can be changed.
        EXPECT_EQ(test::ReadingDifferenceWithoutId3lib({file.path}), "");
    }
}

TEST(ID3V2Peers, EyeD3TagsInEveryEncoding) {
    if (!HaveMutagen() || !test::HaveProgram("eyeD3")) GTEST_SKIP() << "eyeD3 or mutagen not available";
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"2.3", "latin1"}, {"2.3", "utf16"}, {"2.4", "latin1"},
        {"2.4", "utf16"},  {"2.4", "utf8"},  {"2.4", "utf16-be"}};
    for (const auto& [version, encoding] : cases) {
        SCOPED_TRACE("v" + version + " " + encoding);
        PeerFile file;
        const std::string text = encoding == "latin1" ? "Caf\u00E9 Ol\u00E9"
                                                      : "\u03A9\u03BC\u03AD\u03B3\u03B1 \u65E5\u672C";
        const std::string lyrics = file.dir.File("lyrics.txt");
        test::WriteFile(lyrics, "Line one\nLine two " + text + "\n");
        const std::string command =
            "eyeD3 -Q --to-v" + version + " --encoding " + encoding + " -t " + ShellQuote(text) +
            " -a " + ShellQuote("Artist " + text) + " -A Album -G Rock -n 3 -N 12 -Y 2004" +
            " --add-comment " + ShellQuote("Comment " + text + ":Desc:deu") +
            " --add-lyrics " + ShellQuote(lyrics + "::eng") +
            " --user-text-frame " + ShellQuote("Key:Value " + text) +
            " --user-url-frame Site:http://example.org/a --play-count 42" +
            " --add-image " + ShellQuote(file.image + ":FRONT_COVER:Cover") + " " +
            ShellQuote(file.path) + " >/dev/null 2>&1";
        ASSERT_EQ(test::Run(command), 0);
        const std::vector<std::string> expected = MutagenRows(file.path);
        std::string ids;
        for (const std::string& row : expected) ids += row.substr(0, 4) + " ";
        for (const char* id : {"TIT2", "TPE1", "COMM", "USLT", "TXXX", "WXXX", "PCNT", "APIC"}) {
            EXPECT_NE(ids.find(id), std::string::npos) << id << " missing from " << ids;
        }
        EXPECT_EQ(KorvelRows(file.path, version + ".0"), expected);
        ExpectSamePicture(file.path);
        EXPECT_EQ(test::ReadingDifferenceWithoutId3lib({file.path}), "");
    }
}
