#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace korvel;
using test::ShellQuote;

namespace {

std::string Korvel(const std::string& args) { return ShellQuote(test::CliPath()) + " " + args; }

Bytes Silence(size_t n) { return Bytes(n, 0x55); }

}  // namespace

TEST(CliV1, WriteThenInfoShowsTheTagAndTheRecordBytes) {
    test::TempDir dir;
    std::string song = dir.File("song.mp3");
    test::WriteFile(song, Silence(4000));

    std::string out, err;
    ASSERT_EQ(test::Run(Korvel("v1 " + ShellQuote(song) + " --title 'Café' --track 5"), &out, &err), 0) << err;
    ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(song)), &out, &err), 0) << err;
    EXPECT_NE(out.find("ID3v1xTag.Version\t1.1\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID3v1xTag.Title\tCafé\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID3v1xTag.Track\t5\n"), std::string::npos) << out;

    Bytes bytes = test::ReadFile(song);
    ASSERT_EQ(bytes.size(), 4128u);
    EXPECT_EQ(bytes[bytes.size() - 3], 0);  // record byte 125
    EXPECT_EQ(bytes[bytes.size() - 2], 5);  // record byte 126
    EXPECT_EQ(bytes[4000 + 3 + 3], 0xE9);   // é in Windows-1252

    // Fields not given keep their values; track 0 turns the tag into ID3v1.
    ASSERT_EQ(test::Run(Korvel("v1 " + ShellQuote(song) + " --genre rock --track 0 --comment 'x\ty'")), 0);
    test::Run(Korvel("info " + ShellQuote(song)), &out);
    EXPECT_NE(out.find("ID3v1xTag.Version\t1.0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID3v1xTag.Title\tCafé\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID3v1xTag.Genre\t17\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ID3v1xTag.Comment\tx\\ty\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("ID3v1xTag.Track"), std::string::npos) << out;

    ASSERT_EQ(test::Run(Korvel("v1 --remove " + ShellQuote(song))), 0);
    EXPECT_EQ(test::ReadFile(song), Silence(4000));
    EXPECT_EQ(test::Run(Korvel("v1 --remove " + ShellQuote(song)), &out, &err), 1);
    EXPECT_EQ(err, "0, RemoveTag, The file has no ID3v1x tag.\n");
}

TEST(CliV1, UsageErrorsAndFailures) {
    test::TempDir dir;
    std::string song = dir.File("song.mp3");
    test::WriteFile(song, Silence(400));
    std::string out, err;

    EXPECT_EQ(test::Run(Korvel(""), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("nonsense"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v1 " + ShellQuote(song) + " --track 256"), &out, &err), 2);
    EXPECT_NE(err.find("usage: korvel v1"), std::string::npos);
    EXPECT_EQ(test::Run(Korvel("v1 " + ShellQuote(song) + " --genre 'No Such Genre'"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v1 " + ShellQuote(song) + " --bogus"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v1 --remove " + ShellQuote(song) + " --title x"), &out, &err), 2);
    EXPECT_EQ(test::ReadFile(song).size(), 400u);  // nothing written on usage errors

    EXPECT_EQ(test::Run(Korvel("info " + ShellQuote(dir.File("missing.mp3"))), &out, &err), 1);
    EXPECT_FALSE(err.empty());
    test::WriteFile(dir.File("a.zip"), test::Concat({test::B("PK\x03\x04", 4), Silence(300)}));
    EXPECT_EQ(test::Run(Korvel("info " + ShellQuote(dir.File("a.zip"))), &out, &err), 1);
    EXPECT_EQ(err, "-2147221504, Create, This is a ZIP-File\n");

    EXPECT_EQ(test::Run(Korvel("v1 --help"), &out, &err), 0);
    EXPECT_EQ(out.rfind("usage: korvel v1", 0), 0u);
    EXPECT_EQ(test::Run(Korvel("genres"), &out, &err), 0);
    EXPECT_EQ(out.substr(0, 8), "0\tBlues\n");
    EXPECT_NE(out.find("255\t<Undefined>\n"), std::string::npos);
}
