// korvel info and korvel xml over several files in one process.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::ShellQuote;

namespace {

std::string Korvel(const std::string& args) { return ShellQuote(test::CliPath()) + " " + args; }

struct Folder {
    test::TempDir dir;
    std::string a, b, zip, missing;
    Folder() {
        test::Mp3Spec first;
        first.ID3v1 = test::ID3v1Record("First title", "First artist");
        a = dir.File("a.mp3");
        test::WriteFile(a, test::BuildMp3(first));
        test::Mp3Spec second;
        second.ID3v1 = test::ID3v1Record("Second\ttitle", "", "", "", "Line\r\nbreak  ");
        b = dir.File("b b.mp3");
        test::WriteFile(b, test::BuildMp3(second));
        zip = dir.File("archive.mp3");
        test::WriteFile(zip, test::Concat({test::B("PK\x03\x04", 4), Bytes(300, 0)}));
        missing = dir.File("missing.mp3");
    }
};

}  // namespace

TEST(CliMultiFile, InfoReportsEveryFileAndGoesOnAfterAFailure) {
    Folder f;
    std::string single, singleErr;
    ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(f.a)), &single, &singleErr), 0) << singleErr;
    EXPECT_EQ(single.find("==>"), std::string::npos);
    std::string singleB;
    ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(f.b)), &singleB), 0);

    // Two good files: each report as it stands alone, under its header line.
    std::string out, err;
    ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(f.a) + " " + ShellQuote(f.b)), &out, &err), 0) << err;
    EXPECT_EQ(out, "==> " + f.a + " <==\n" + single + "\n==> " + f.b + " <==\n" + singleB);
    EXPECT_EQ(err, "");

    // Failures in the middle and at the end: reported with the file's name,
    // the other files still read, exit status 1.
    ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(f.a) + " " + ShellQuote(f.zip) + " " + ShellQuote(f.b) +
                               " " + ShellQuote(f.missing)),
                        &out, &err),
              1);
    EXPECT_NE(out.find("==> " + f.a + " <==\n" + single), std::string::npos) << out;
    EXPECT_NE(out.find("==> " + f.b + " <==\n" + singleB), std::string::npos) << out;
    EXPECT_NE(err.find("korvel info: " + f.zip + ": "), std::string::npos) << err;
    EXPECT_NE(err.find("ZIP"), std::string::npos) << err;
    EXPECT_NE(err.find("korvel info: " + f.missing + ": "), std::string::npos) << err;

    // No file at all is a usage error.
    EXPECT_EQ(test::Run(Korvel("info"), &out, &err), 2);
    EXPECT_NE(err.find("usage: korvel info [--json [--binary]] FILE..."), std::string::npos) << err;
}

TEST(CliMultiFile, XmlWrapsEveryDescriptionInOneDocument) {
    Folder f;
    std::string single;
    ASSERT_EQ(test::Run(Korvel("xml " + ShellQuote(f.b)), &single), 0);
    pugi::xml_document alone;
    ASSERT_TRUE(alone.load_string(single.c_str(), pugi::parse_default & ~pugi::parse_eol));

    std::string out, err;
    ASSERT_EQ(test::Run(Korvel("xml " + ShellQuote(f.a) + " " + ShellQuote(f.missing) + " " + ShellQuote(f.b)),
                        &out, &err),
              1);
    EXPECT_NE(err.find("korvel xml: " + f.missing + ": "), std::string::npos) << err;
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_string(out.c_str(), pugi::parse_default & ~pugi::parse_eol);
    ASSERT_TRUE(parsed) << parsed.description() << "\n" << out;
    const pugi::xml_node root = doc.child("KorvelFiles");
    ASSERT_TRUE(root);
    std::vector<std::string> paths;
    for (pugi::xml_node d : root.children("Document")) paths.push_back(d.attribute("Path").value());
    EXPECT_EQ(paths, (std::vector<std::string>{f.a, f.b}));

    // The wrapped description of b equals its description alone, values with
    // tabs and CR LF included.
    const pugi::xml_node wrapped = root.find_child_by_attribute("Document", "Path", f.b.c_str()).child("ImportData");
    ASSERT_TRUE(wrapped);
    // Every attribute and text of the description, in document order.
    const auto flat = [](pugi::xml_node node) {
        std::string all;
        for (const pugi::xpath_node& n : node.select_nodes("descendant-or-self::node()")) {
            for (pugi::xml_attribute a : n.node().attributes()) all += std::string(a.name()) + "=" + a.value() + "|";
            if (n.node().type() == pugi::node_pcdata) all += std::string(n.node().value()) + "|";
        }
        return all;
    };
    // The audio and the tags (drive and file facts such as free space and
    // access time may change between two runs).
    const auto tags = [&](pugi::xml_node importData) {
        const pugi::xml_node file = importData.child("Files").child("File");
        std::string all;
        for (const char* name : {"MPEGHeader", "ID3V1Tag", "ID3V2Tag", "LyricsTag"}) {
            EXPECT_TRUE(file.child(name)) << name;
            all += flat(file.child(name));
        }
        return all;
    };
    EXPECT_EQ(tags(wrapped), tags(alone.child("ImportData")));
    EXPECT_NE(flat(wrapped).find("Line\r\nbreak"), std::string::npos) << flat(wrapped);
}

TEST(CliMultiFile, InfoOpensEachFileAtMostTwice) {
    if (!test::HaveProgram("strace") || test::Run("strace -o /dev/null true") != 0) {
        GTEST_SKIP() << "strace cannot trace here";
    }
    test::TempDir dir;
    const Bytes tag = test::Tag(3, test::Frame23("TIT2", test::Latin1("Title")), 0, 20);
    const Bytes audio = test::MpegAudio(10);
    const Bytes lyrics = test::B("LYRICSBEGINETT00005Hello000024LYRICS200");
    const Bytes v1 = test::ID3v1Record("Title");
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"plain.mp3", audio},
        {"id3v2.mp3", test::Concat({tag, audio})},
        {"id3v1.mp3", test::Concat({audio, v1})},
        {"lyrics.mp3", test::Concat({audio, lyrics, v1})},
        {"all.mp3", test::Concat({tag, audio, lyrics, v1})},
    };
    std::string paths;
    for (const auto& [name, bytes] : files) {
        test::WriteFile(dir.File(name), bytes);
        paths += " " + ShellQuote(dir.File(name));
    }
    const std::string log = dir.File("trace");
    for (const std::string& mode : {std::string(), test::kWithoutID3LibEnv}) {
        std::string err;
        // The leak checker of a sanitised build cannot run under a tracer.
        ASSERT_EQ(test::Run(mode + "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" strace -f -e trace=open,openat -o " + ShellQuote(log) + " " +
                                Korvel("info" + paths),
                            nullptr, &err),
                  0)
            << err;
        const Bytes trace = test::ReadFile(log);
        const std::string text(trace.begin(), trace.end());
        for (const auto& [name, bytes] : files) {
            const std::string quoted = "\"" + dir.File(name) + "\"";
            size_t opens = 0;
            for (size_t at = text.find(quoted); at != std::string::npos; at = text.find(quoted, at + 1)) ++opens;
            EXPECT_GE(opens, 1u) << name;
            EXPECT_LE(opens, 2u) << name << (mode.empty() ? " with id3lib" : "");
            std::cout << name << (mode.empty() ? " (id3lib)" : "") << ": opened " << opens << " times\n";
        }
    }
}
