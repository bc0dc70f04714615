// korvel v2 against the real id3lib, checked with mutagen (Debian's
// python3-mutagen, which belongs to /usr/bin/python3).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::HaveMutagen;
using test::Lines;
using test::ShellQuote;

namespace {

std::string Korvel(const std::string& args) { return ShellQuote(test::CliPath()) + " " + args; }

std::string Hex(const Bytes& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Runs a mutagen script on a file; its output.
std::string Mutagen(const test::TempDir& dir, const std::string& script, const std::string& file) {
    std::string path = dir.File("script.py");
    test::WriteFile(path, script);
    std::string out, err;
    int status = test::Run("/usr/bin/python3 " + ShellQuote(path) + " " + ShellQuote(file), &out, &err);
    EXPECT_EQ(status, 0) << err;
    return out;
}

// One line per frame, sorted, pictures by their bytes.
const char* kDumpFrames = R"(import sys
import mutagen.id3 as m
t = m.ID3(sys.argv[1])
print("version", t.version)
for f in sorted(t.values(), key=lambda f: f.HashKey):
    if f.FrameID == "APIC":
        print(f.HashKey, f.encoding, f.mime, int(f.type), repr(f.desc), f.data.hex())
    else:
        print(f.HashKey, repr(f))
)";

}  // namespace

TEST(CliV2, TagsWrittenReadBackIdenticallyInMutagen) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    test::TempDir dir;
    std::string song = dir.File("song.mp3");
    Bytes audio = test::MpegAudio(30);
    test::WriteFile(song, audio);
    Bytes png = test::PngImage(7);
    test::WriteFile(dir.File("cover.png"), png);

    std::string out, err;
    std::string command = "v2 " + ShellQuote(song) +
                          " --title 'Τίτλος Ω' --artist 'Кирилл' --album '中文 😀' --year 1999 --track 4/12"
                          " --genre '(17)Rock' --comment 'A comment' --lyrics " +
                          ShellQuote("line one\nline two") +
                          " --url 'http://example.com/song' --composer Bach --copyright '(c) Me'"
                          " --encoded-by Korvel --original-artist Someone --picture " +
                          ShellQuote(dir.File("cover.png"));
    ASSERT_EQ(test::Run(Korvel(command), &out, &err), 0) << err;

    const char* script = R"(import sys
import mutagen.id3 as m
t = m.ID3(sys.argv[1], translate=False)
print("version", t.version)
for key in ("TIT2", "TPE1", "TALB", "TYER", "TRCK", "TCON", "TCOM", "TCOP", "TENC", "TOPE"):
    print(key, str(t[key].text[0]))
print("COMM", t.getall("COMM")[0].text[0])
print("USLT", repr(t.getall("USLT")[0].text))
print("WXXX", t.getall("WXXX")[0].url)
apic = t.getall("APIC")[0]
print("APIC", apic.mime, apic.data.hex())
)";
    std::vector<std::string> expected = {
        "version (2, 3, 0)", "TIT2 Τίτλος Ω", "TPE1 Кирилл",        "TALB 中文 😀", "TYER 1999",
        "TRCK 4/12",         "TCON (17)Rock", "TCOM Bach",          "TCOP (c) Me", "TENC Korvel",
        "TOPE Someone",      "COMM A comment", "USLT 'line one\\nline two'", "WXXX http://example.com/song",
        "APIC image/png " + Hex(png)};
    EXPECT_EQ(Lines(Mutagen(dir, script, song)), expected);

    // The audio behind the tag is untouched.
    Bytes bytes = test::ReadFile(song);
    ASSERT_GE(bytes.size(), audio.size());
    EXPECT_EQ(Bytes(bytes.end() - static_cast<std::ptrdiff_t>(audio.size()), bytes.end()), audio);

    // Changing one field of the tag korvel wrote; --no-picture removes the picture.
    ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --artist 'Second' --no-picture"), &out, &err), 0) << err;
    std::string dump = Mutagen(dir, kDumpFrames, song);
    EXPECT_NE(dump.find("TPE1(encoding=<Encoding.LATIN1: 0>, text=['Second'])"), std::string::npos) << dump;
    EXPECT_NE(dump.find("Τίτλος Ω"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("APIC"), std::string::npos) << dump;

    ASSERT_EQ(test::Run(Korvel("v2 --remove " + ShellQuote(song)), &out, &err), 0) << err;
    EXPECT_EQ(test::ReadFile(song), audio);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"cover.png", "script.py", "song.mp3"}));
}

TEST(CliV2, FramesOfOtherTaggersSurviveAnEdit) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    test::TempDir dir;
    std::string song = dir.File("song.mp3");
    test::WriteFile(song, test::MpegAudio(10));
    test::WriteFile(dir.File("cover.png"), test::PngImage(2));
    const char* make = R"(import sys
import mutagen.id3 as m
t = m.ID3()
t.add(m.TIT2(encoding=1, text="Old title"))
t.add(m.TPE1(encoding=1, text="Ωmega"))
t.add(m.TALB(encoding=0, text="Album"))
t.add(m.COMM(encoding=0, lang="eng", desc="", text="first"))
t.add(m.COMM(encoding=1, lang="deu", desc="iTunNORM", text=" 0000 0001"))
t.add(m.PRIV(owner="WM/MediaClassPrimaryID", data=b"\xbc}\x60\xd1#\xe3\xe2K\x86\xa1H\xa4*(D\x1e"))
t.add(m.POPM(email="rating@example.com", rating=196, count=12))
t.add(m.GEOB(encoding=0, mime="application/octet-stream", filename="x.bin", desc="blob", data=bytes(range(256))))
t.add(m.MCDI(data=b"\x00\x12\x01\x03"))
t.add(m.UFID(owner="http://musicbrainz.org", data=b"5f1a6b2c-0000-4000-8000-000000000001"))
t.add(m.TXXX(encoding=0, desc="MusicBrainz Album Id", text="abc-def"))
t.add(m.TXXX(encoding=1, desc="Ωdesc", text="value"))
t.add(m.APIC(encoding=0, mime="image/png", type=3, desc="front", data=open(sys.argv[2], "rb").read()))
t.add(m.TSOP(encoding=0, text="Sort, Name"))
t.add(m.TCMP(encoding=0, text="1"))
t.add(m.TYER(encoding=0, text="2004"))
t.save(sys.argv[1], v2_version=3)
)";
    test::WriteFile(dir.File("make.py"), make);
    std::string out, err;
    ASSERT_EQ(test::Run("/usr/bin/python3 " + ShellQuote(dir.File("make.py")) + " " + ShellQuote(song) + " " +
                            ShellQuote(dir.File("cover.png")),
                        &out, &err),
              0)
        << err;
    std::vector<std::string> before = Lines(Mutagen(dir, kDumpFrames, song));
    ASSERT_GT(before.size(), 15u);

    ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --title 'New title'"), &out, &err), 0) << err;
    std::vector<std::string> after = Lines(Mutagen(dir, kDumpFrames, song));
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i].rfind("TIT2 ", 0) == 0) {
            EXPECT_EQ(after[i], "TIT2 TIT2(encoding=<Encoding.LATIN1: 0>, text=['New title'])");
        } else {
            EXPECT_EQ(after[i], before[i]);
        }
    }
}

TEST(CliV2, RefusalsUsageErrorsAndAMissingLibrary) {
    test::TempDir dir;
    std::string song = dir.File("song.mp3");
    std::string out, err;

    // ID3v2.4 and ID3v2.2 tags are read-only.
    for (uint8_t major : {uint8_t{4}, uint8_t{2}}) {
        Bytes tagged = test::Concat({test::Tag(major, {}, 0, 50), test::MpegAudio()});
        test::WriteFile(song, tagged);
        EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --title x"), &out, &err), 1);
        EXPECT_EQ(err, "korvel v2: the ID3v2." + std::to_string(major) + " tag of '" + song +
                           "' is read-only; only ID3v2.3 tags can be changed\n");
        EXPECT_EQ(test::ReadFile(song), tagged);
    }

    test::WriteFile(song, test::MpegAudio());
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --year 19x9"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --year 40000"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --picture a.png --no-picture"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v2 --remove " + ShellQuote(song) + " --title x"), &out, &err), 2);
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --picture " + ShellQuote(song)), &out, &err), 1);
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(dir.File("missing.mp3")) + " --title x"), &out, &err), 1);
    EXPECT_EQ(test::ReadFile(song), test::MpegAudio());

    // Without id3lib nothing is written.
    EXPECT_EQ(test::Run(test::kWithoutID3LibEnv + Korvel("v2 " + ShellQuote(song) + " --title x"),
                        &out, &err),
              1);
    EXPECT_EQ(err,
              "korvel v2: ID3v2 tags cannot be written: The DLL '" + std::string(test::kMissingID3Lib) +
                  "' is not present.\r\n"
              "Please install it into the program directory.\n");
    EXPECT_EQ(test::ReadFile(song), test::MpegAudio());

    // A read-only file is refused and stays as it was.
    ::chmod(song.c_str(), 0444);
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --title x"), &out, &err), 1);
    EXPECT_NE(err, "");
    EXPECT_EQ(test::ReadFile(song), test::MpegAudio());
    EXPECT_EQ(dir.List(), std::vector<std::string>{"song.mp3"});
}
