#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "id3v1/ID3V1Tag.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::ShellQuote;

namespace {

std::string Korvel(const std::string& args) { return ShellQuote(test::CliPath()) + " " + args; }

}  // namespace

TEST(CliXml, EveryCorpusFileGivesWellFormedXmlOrAFailure) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    const std::filesystem::path root = test::CorpusPath("");
    int described = 0;
    int refused = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (name == "MANIFEST.tsv" || name == "LICENSES.txt") continue;
        SCOPED_TRACE(entry.path().string());
        std::string out, err;
        const int status = test::Run("timeout 30 " + Korvel("xml " + ShellQuote(entry.path().string())), &out, &err);
        ASSERT_TRUE(status == 0 || status == 1) << "status " << status << ": " << err;
        if (status == 1) {
            EXPECT_FALSE(err.empty());
            ++refused;
            continue;
        }
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed = doc.load_string(out.c_str());
        ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
        pugi::xml_node file = doc.child("ImportData").child("Files").child("File");
        EXPECT_TRUE(file.child("MPEGHeader"));
        EXPECT_TRUE(file.child("ID3V1Tag"));
        EXPECT_TRUE(file.child("ID3V2Tag"));
        EXPECT_TRUE(file.child("LyricsTag"));
        ++described;
    }
    EXPECT_GT(described, 40);
    std::cout << described << " files described, " << refused << " refused\n";
}

TEST(CliXml, LyricsRowsAndReportedFailures) {
    if (test::CorpusAvailable()) {
        std::string out, err;
        ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(test::CorpusPath("mutagen/apev2-lyricsv2.mp3"))), &out, &err), 0)
            << err;
        EXPECT_NE(out.find("Lyrics:Version\t2\nLyrics:IND\t00\nLyrics:EAL\tA song    EP\nLyrics:EAR\tAuth\n"
                           "Lyrics:ETT\tA song   \n"),
                  std::string::npos)
            << out;
    }

    // A broken Lyrics3 tag is reported by info, which goes on; xml fails.
    test::TempDir dir;
    const std::string song = dir.File("broken.mp3");
    ID3V1Tag tag;
    tag.setTitle("Still here");
    tag.setTagType(ID3v1);
    test::WriteFile(song, test::Concat({Bytes(500, 0x55), test::B("LYRICSBEGINETT00099Hello000024LYRICS200"),
                                        tag.EncodeRecord()}));
    std::string out, err;
    EXPECT_EQ(test::Run(Korvel("info " + ShellQuote(song)), &out, &err), 0);
    EXPECT_NE(out.find("ID3v1xTag.Title\tStill here\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Lyrics:"), std::string::npos) << out;
    EXPECT_NE(err.find("korvel info: -2147221504, LyricsTag::Load, The Lyrics3 field ETT claims 99 bytes"),
              std::string::npos)
        << err;

    EXPECT_EQ(test::Run(Korvel("xml " + ShellQuote(song)), &out, &err), 1);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(err.rfind("-2147221504, LyricsTag::Load, ", 0), 0u) << err;

    EXPECT_EQ(test::Run(Korvel("xml"), &out, &err), 2);
    EXPECT_NE(err.find("usage: korvel xml FILE"), std::string::npos);
    EXPECT_EQ(test::Run(Korvel("xml " + ShellQuote(dir.File("missing.mp3"))), &out, &err), 1);
}
