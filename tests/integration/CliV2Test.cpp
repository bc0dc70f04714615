// korvel v2 against the real id3lib, checked with mutagen (Debian's
// python3-mutagen, which belongs to /usr/bin/python3).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "id3v2/TagContents.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
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

std::string PeerTags(const std::string& args) {
    std::string out, err;
    EXPECT_EQ(test::Run("/usr/bin/python3 " + ShellQuote(std::string(KORVEL_SOURCE_DIR) +
                                                         "/tests/integration/peer_tags.py") +
                            " " + args,
                        &out, &err),
              0)
        << args << ": " << err;
    return out;
}

std::string TagLib(const std::string& args) {
    std::string out, err;
    EXPECT_EQ(test::Run(ShellQuote(KORVEL_TAGLIB_TAG) + " " + args, &out, &err), 0) << args << ": " << err;
    return out;
}

// A file's leading tag in the frame model, and the bytes behind it.
struct FileTag {
    TagContentsPtr tag;
    Bytes rest;
};

FileTag ReadTag(const std::string& path) {
    auto bytes = std::make_shared<const Bytes>(test::ReadFile(path));
    FileTag file{ParseTagContents(bytes), {}};
    if (file.tag) file.rest.assign(bytes->begin() + static_cast<std::ptrdiff_t>(file.tag->TotalSize()), bytes->end());
    return file;
}

// Puts frame records behind the frames of a file's version 2.4 tag.
void AddFrames(const std::string& path, const Bytes& records) {
    const FileTag file = ReadTag(path);
    ASSERT_TRUE(file.tag && !file.tag->hasFooter);
    const Bytes& old = *file.tag->bytes;
    const size_t framesEnd = 10 + file.tag->bodySize - file.tag->paddingSize;
    const size_t padding = file.tag->paddingSize > records.size() ? file.tag->paddingSize - records.size() : 0;
    const Bytes body = test::Concat({Bytes(old.begin() + 10, old.begin() + static_cast<std::ptrdiff_t>(framesEnd)),
                                     records});
    test::WriteFile(path, test::Concat({test::Tag(4, body, old[5], padding), file.rest}));
}

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

    // ID3v2.4 tags are written without id3lib, ID3v2.2 tags through it.
    const std::string noLibrary = "KORVEL_ID3LIB=/nonexistent/libid3.so ";
    const Bytes v24 = test::Concat({test::Tag(4, {}, 0, 50), test::MpegAudio()});
    test::WriteFile(song, v24);
    EXPECT_EQ(test::Run(noLibrary + Korvel("v2 " + ShellQuote(song) + " --title x"), &out, &err), 0) << err;
    EXPECT_EQ(test::ReadFile(song),
              test::Concat({test::Tag(4, test::Frame24("TIT2", test::Latin1("x")), 0, 38), test::MpegAudio()}));
    const Bytes v22 = test::Concat({test::Tag(2, {}, 0, 50), test::MpegAudio()});
    test::WriteFile(song, v22);
    EXPECT_EQ(test::Run(noLibrary + Korvel("v2 " + ShellQuote(song) + " --title x"), &out, &err), 1);
    EXPECT_NE(err.find("/nonexistent/libid3.so' is not present."), std::string::npos) << err;
    EXPECT_EQ(test::ReadFile(song), v22);
    // Removal needs no id3lib either.
    EXPECT_EQ(test::Run(noLibrary + Korvel("v2 --remove " + ShellQuote(song)), &out, &err), 0) << err;
    EXPECT_EQ(test::ReadFile(song), test::MpegAudio());

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

TEST(CliV2, Version24TagsOfEveryWriterAreEditedInTheirVersion) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    test::TempDir dir;
    const std::string cover = dir.File("cover.png");
    test::WriteFile(cover, test::PngImage(3));
    const std::string title = "\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2 \u65E5\u672C\u8A9E";
    const std::string artist = "\u03A9mega Artist";
    // Frames no peer writes: compressed with a data length indicator,
    // grouped, both, and an experimental one.
    const Bytes text = test::Latin1(std::string(200, 'c'));
    const auto n = static_cast<uint32_t>(text.size());
    const Bytes builderFrames = test::Concat({
        test::Frame24("TALB", test::Concat({test::Syncsafe32(n), test::Zlib(text)}), 0, 0x09),
        test::Frame24("TPE2", test::Concat({{0x07}, test::Latin1("Band")}), 0, 0x40),
        test::Frame24("TCOM", test::Concat({{0x05}, test::Syncsafe32(n), test::Zlib(text)}), 0x40, 0x49),
        test::Frame24("XYZ1", B("experimental")),
    });
    struct Writer {
        std::string name;
        std::string program;
        std::string command;  // PATH and COVER stand for the file and the image
    };
    const std::vector<Writer> writers = {
        {"mutagen", "python3", "/usr/bin/python3 PEER write24 PATH mutagen COVER"},
        {"eyeD3", "eyeD3", "/usr/bin/python3 PEER write24 PATH eyed3 COVER"},
        {"TagLib", "python3", "TAGLIB write PATH COVER"},
        {"kid3-cli", "kid3-cli",
         "kid3-cli -c \"set title 'kid3 title'\" -c \"set artist 'First|Second'\" -c \"set comment first\" "
         "-c \"set picture:'COVER' Cover\" -c \"set lyrics 'la la'\" -c \"set Key Value\" -c \"set rating 4\" "
         "-c to24 PATH"},
        {"ffmpeg", "ffmpeg",
         "ffmpeg -loglevel error -y -f lavfi -i anullsrc=r=44100:cl=mono -i COVER -t 0.3 -map 0:a -map 1:v "
         "-c:a libmp3lame -c:v copy -id3v2_version 4 -metadata title='ffmpeg title' -metadata artist=Someone "
         "-metadata comment=first -metadata Key=Value -metadata:s:v comment='Cover (front)' PATH"},
    };
    auto expand = [&](std::string command, const std::string& path) {
        for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
                 {"PEER", ShellQuote(std::string(KORVEL_SOURCE_DIR) + "/tests/integration/peer_tags.py")},
                 {"TAGLIB", ShellQuote(KORVEL_TAGLIB_TAG)},
                 {"PATH", ShellQuote(path)},
                 {"COVER", cover}}) {
            for (size_t at = command.find(from); at != std::string::npos; at = command.find(from, at + to.size())) {
                command.replace(at, from.size(), to);
            }
        }
        return command;
    };
    for (const Writer& writer : writers) {
        SCOPED_TRACE(writer.name);
        if (!test::HaveProgram(writer.program)) {
            ADD_FAILURE() << writer.program << " is not installed";
            continue;
        }
        const std::string path = dir.File(writer.name + ".mp3");
        test::WriteFile(path, test::MpegAudio(20));
        std::string out, err;
        ASSERT_EQ(test::Run(expand(writer.command, path), &out, &err), 0) << err;
        ASSERT_NO_FATAL_FAILURE(AddFrames(path, builderFrames));
        const FileTag before = ReadTag(path);
        ASSERT_TRUE(before.tag);
        ASSERT_EQ(before.tag->version, 4);

        ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(path) + " --title " + ShellQuote(title) + " --artist " +
                                   ShellQuote(artist)),
                            &out, &err),
                  0)
            << err;
        // Still version 2.4, the audio untouched, every other frame as it was.
        const FileTag after = ReadTag(path);
        ASSERT_TRUE(after.tag);
        EXPECT_EQ(after.tag->version, 4);
        EXPECT_EQ(after.rest, before.rest);
        ASSERT_EQ(after.tag->frames.size(), before.tag->frames.size());
        for (size_t i = 0; i < before.tag->frames.size(); ++i) {
            const FrameRecord& old = before.tag->frames[i];
            const FrameRecord& now = after.tag->frames[i];
            EXPECT_EQ(now.id, old.id);
            if (old.id == "TIT2" || old.id == "TPE1") continue;
            EXPECT_TRUE(std::equal(now.stored.begin(), now.stored.end(), old.stored.begin(), old.stored.end()))
                << old.id;
        }
        const std::vector<std::string> names = {"version 2.4", "title " + title, "artist " + artist};
        EXPECT_EQ(Lines(PeerTags("names " + ShellQuote(path))), names);
        const std::vector<std::string> taglib = Lines(TagLib("read " + ShellQuote(path)));
        EXPECT_EQ(std::vector<std::string>(taglib.begin(), taglib.begin() + std::min<size_t>(3, taglib.size())), names);
        ASSERT_EQ(test::Run(Korvel("info " + ShellQuote(path)), &out, &err), 0);
        EXPECT_NE(out.find("ID3v2:TIT2\t" + title + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("ID3v2:TPE1\t" + artist + "\n"), std::string::npos) << out;
        std::cout << "[ v2.4     ] " << writer.name << ": " << before.tag->frames.size() << " frames, tag "
                  << before.tag->TotalSize() << " -> " << after.tag->TotalSize() << " bytes\n";
    }
}

TEST(CliV2, Version22TagsAreSavedAsVersion23WithEveryField) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    test::TempDir dir;
    const std::string song = dir.File("song.mp3");
    const Bytes audio = test::MpegAudio(10);
    const Bytes png = test::PngImage(1);
    const Bytes frames = test::Concat({
        test::Frame22("TT2", test::Latin1("Title")),
        test::Frame22("TP1", test::Utf16Text("\u03A9mega")),
        test::Frame22("PIC", test::Concat({B("\0PNG\x03" "c\0", 7), png})),
        test::Frame22("ULT", B("\0engd\0words", 11)),
        test::Frame22("COM", B("\0eng\0comment", 12)),
        test::Frame22("WXX", B("\0site\0http://x", 14)),
        test::Frame22("UFI", B("own\0id1", 7)),
        test::Frame22("POP", B("e@x\0\x10\0\0\0\x05", 9)),
        test::Frame22("CNT", B("\0\0\0\x07", 4)),
        test::Frame22("CRM", B("o\0x", 3)),
    });
    const Bytes original = test::Concat({test::Tag(2, frames, 0, 100), audio});
    test::WriteFile(song, original);
    const std::string before = PeerTags("frames " + ShellQuote(song));
    std::string out, err;
    // The encrypted meta frame has no ID3v2.3 form: refused, naming it.
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --composer Bach"), &out, &err), 1);
    EXPECT_EQ(err, "korvel v2: the ID3v2.2 tag of '" + song +
                       "' is saved as an ID3v2.3 tag, which has no form for its frames CRM; nothing was written "
                       "(--drop-unconvertible saves without them)\n");
    EXPECT_EQ(test::ReadFile(song), original);
    ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --composer Bach --drop-unconvertible"), &out, &err), 0)
        << err;
    EXPECT_EQ(err,
              "korvel v2: note: The ID3v2.2 tag was saved as an ID3v2.3 tag.\n"
              "korvel v2: note: Its frames CRM were dropped: ID3v2.3 has no form for them.\n");
    // Every field as mutagen read it before (mutagen leaves the encrypted
    // meta frame out), and the new one.
    EXPECT_EQ(PeerTags("frames " + ShellQuote(song)),
              before + "TCOM(encoding=<Encoding.LATIN1: 0>, text=['Bach'])\n");
    EXPECT_EQ(Lines(PeerTags("names " + ShellQuote(song)))[0], "version 2.3");
    const Bytes saved = test::ReadFile(song);
    EXPECT_EQ(Bytes(saved.end() - static_cast<std::ptrdiff_t>(audio.size()), saved.end()), audio);

    // A tag iTunes wrote keeps every field too.
    if (!test::CorpusAvailable()) return;
    test::WriteFile(song, test::ReadFile(test::CorpusPath("mutagen/id3v22-test.mp3")));
    const std::string itunes = PeerTags("frames " + ShellQuote(song));
    ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --composer Bach"), &out, &err), 0) << err;
    EXPECT_EQ(PeerTags("frames " + ShellQuote(song)), itunes + "TCOM(encoding=<Encoding.LATIN1: 0>, text=['Bach'])\n");
}

TEST(CliV2, NewTagsInEitherVersion) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen is not installed for /usr/bin/python3";
    test::TempDir dir;
    const std::string song = dir.File("song.mp3");
    test::WriteFile(dir.File("cover.png"), test::PngImage(4));
    std::string out, err;
    for (const char* version : {"3", "4"}) {
        test::WriteFile(song, test::MpegAudio(10));
        ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --id3v2-version " + version +
                                   " --title '\u65E5\u672C' --artist A --year 1999 --picture " +
                                   ShellQuote(dir.File("cover.png"))),
                            &out, &err),
                  0)
            << err;
        EXPECT_EQ(Lines(PeerTags("names " + ShellQuote(song))),
                  (std::vector<std::string>{std::string("version 2.") + version, "title \u65E5\u672C", "artist A"}));
        EXPECT_EQ(PeerTags("picture " + ShellQuote(song)), Hex(test::PngImage(4)) + "\n");
        // An existing tag keeps its version.
        ASSERT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --id3v2-version 3 --album B"), &out, &err), 0);
        EXPECT_EQ(Lines(PeerTags("names " + ShellQuote(song)))[0], std::string("version 2.") + version);
    }
    EXPECT_EQ(err, "korvel v2: note: --id3v2-version applies to new tags only; the file's ID3v2.4 tag is saved as "
                   "ID3v2.4\n");
    EXPECT_EQ(test::Run(Korvel("v2 " + ShellQuote(song) + " --id3v2-version 2"), &out, &err), 2);
}
