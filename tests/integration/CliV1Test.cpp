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

TEST(CliV1, CodePageOptionAndVariable) {
    test::TempDir dir;
    const std::string song = ShellQuote(dir.File("song.mp3"));
    test::WriteFile(dir.File("song.mp3"), Silence(4000));
    std::string out, err;

    // Written in Windows-1251; the star it lacks becomes "?" and is counted.
    ASSERT_EQ(test::Run(Korvel("--codepage CP1251 v1 " + song + " --artist 'Кино' --title 'Звезда по имени Солнце ★'"), &out, &err), 0)
        << err;
    EXPECT_EQ(err, "korvel v1: 1 character written as \"?\": windows-1251 has no bytes for it\n");
    const Bytes written = test::ReadFile(dir.File("song.mp3"));
    EXPECT_EQ(Bytes(written.begin() + 4033, written.begin() + 4037), test::B("\xCA\xE8\xED\xEE"));
    EXPECT_EQ(written[4003 + 23], '?');

    // Read as Windows-1252 by default, without a Codepage row.
    ASSERT_EQ(test::Run(Korvel("info " + song), &out, &err), 0) << err;
    EXPECT_NE(out.find("ID3v1xTag.Artist\t\u00CA\u00E8\u00ED\u00EE\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Codepage"), std::string::npos) << out;
    // Named on the command, before it, in the environment, or detected: the
    // row before the tag rows names the code page.
    for (const std::string& command :
         {Korvel("info --codepage windows-1251 " + song), Korvel("--codepage auto info " + song),
          "KORVEL_CODEPAGE=Windows-1251 " + Korvel("info " + song),
          "KORVEL_CODEPAGE=koi8-r " + Korvel("info --codepage auto " + song)}) {
        ASSERT_EQ(test::Run(command, &out, &err), 0) << command << "\n" << err;
        EXPECT_NE(out.find("Codepage\twindows-1251\nID3v1xTag.Version\t1.0\n"), std::string::npos) << command << out;
        EXPECT_NE(out.find("ID3v1xTag.Artist\tКино\n"), std::string::npos) << command << out;
    }
    ASSERT_EQ(test::Run(Korvel("xml --codepage cp1251 " + song), &out, &err), 0) << err;
    EXPECT_NE(out.find("Value=\"Кино\""), std::string::npos);

    // Unknown names are usage errors that name them; the file stays as it was.
    EXPECT_EQ(test::Run(Korvel("v1 " + song + " --codepage klingon --title x"), &out, &err), 2);
    EXPECT_NE(err.find("unknown code page 'klingon'"), std::string::npos) << err;
    EXPECT_EQ(test::Run(Korvel("--codepage utf-16 info " + song), &out, &err), 2);
    EXPECT_NE(err.find("'utf-16'"), std::string::npos) << err;
    EXPECT_EQ(test::Run("KORVEL_CODEPAGE=klingon " + Korvel("info " + song), &out, &err), 2);
    EXPECT_EQ(err, "korvel: unknown code page 'klingon' in KORVEL_CODEPAGE\n");
    EXPECT_EQ(test::ReadFile(dir.File("song.mp3")), written);
}
