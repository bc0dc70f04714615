// Tags written by real writers (mutagen, eyeD3, id3lib's id3v2, ffmpeg, lame,
// kid3-cli) and by the test builders read the way mutagen reads them: every
// ID3v2 row of korvel info against mutagen's frames, the same rows and XML
// with and without id3lib, and nothing korvel shows of them holds a zero
// character, a byte-order mark or a picture's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"
#include "xml/XmlNodes.h"

using namespace korvel;
using namespace std::string_literals;
using test::B;
using test::Concat;
using test::HaveMutagen;
using test::ShellQuote;

namespace {

const std::string kPython = "/usr/bin/python3";

std::string Script() {
    return kPython + " " + ShellQuote(std::string(KORVEL_SOURCE_DIR) + "/tests/integration/peer_tags.py");
}

std::string Paths(const std::vector<std::string>& paths) {
    std::string words;
    for (const std::string& path : paths) words += " " + ShellQuote(path);
    return words;
}

using LinesByFile = std::map<std::string, std::vector<std::string>>;

// The lines of a report over several files ("==> PATH <==" before each
// file's lines) that start with the prefix, by file, the prefix taken off.
LinesByFile SplitByFile(const std::string& text, const std::string& prefix) {
    LinesByFile lines;
    std::string file;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("==> ") && line.ends_with(" <==")) {
            file = line.substr(4, line.size() - 8);
            lines[file];
        } else if (line.starts_with(prefix)) {
            lines[file].push_back(line.substr(prefix.size()));
        }
    }
    return lines;
}

// A korvel command over the files, by default with the own readers; every
// file must be read without a failure, and nothing shown may hold a stray
// character or picture bytes.
std::string Korvel(const std::string& command, const std::vector<std::string>& paths, bool withId3lib) {
    std::string out, err;
    EXPECT_EQ(test::Run((withId3lib ? std::string() : test::kWithoutID3LibEnv) + ShellQuote(test::CliPath()) + " " +
                            command + Paths(paths),
                  &out, &err),
              0);
    EXPECT_EQ(err, "") << command << (withId3lib ? " with id3lib" : "");
    EXPECT_EQ(test::StrayInShownText(out), "") << command << (withId3lib ? " with id3lib" : "");
    return out;
}

// korvel's output over the files, one "==> PATH <==" section per file (one
// file alone has no header line).
std::string Sections(const std::string& out, const std::vector<std::string>& paths) {
    return paths.size() == 1 ? "==> " + paths[0] + " <==\n" + out : out;
}

// The ID3v2 rows of korvel info ("Version\t2.3.0", then "ID\tvalue").
LinesByFile KorvelRows(const std::vector<std::string>& paths, bool withId3lib) {
    return SplitByFile(Sections(Korvel("info", paths, withId3lib), paths), "ID3v2:");
}

LinesByFile MutagenRows(const std::vector<std::string>& paths) {
    std::string out, err;
    EXPECT_EQ(test::Run(Script() + " rows" + Paths(paths), &out, &err), 0) << err;
    return SplitByFile(out, "");
}

// The ID3v2 parts of korvel's XML description of the files.
std::vector<std::string> ID3v2Xml(const std::vector<std::string>& paths, bool withId3lib) {
    const std::string xml = Korvel("xml", paths, withId3lib);
    std::vector<std::string> parts;
    for (size_t at = xml.find("<ID3V2Tag"); at != std::string::npos; at = xml.find("<ID3V2Tag", at + 1)) {
        parts.push_back(xml.substr(at, xml.find("</ID3V2Tag>", at) - at));
    }
    return parts;
}

// Every file shows the rows mutagen's reading gives (version and every
// frame), with and without id3lib, and the same XML in both modes.
LinesByFile ExpectReadLikeMutagen(const std::vector<std::string>& paths) {
    const LinesByFile expected = MutagenRows(paths);
    const LinesByFile rows = KorvelRows(paths, false);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const auto found = expected.find(path);
        const auto shown = rows.find(path);
        EXPECT_TRUE(found != expected.end() && !found->second.empty()) << "mutagen reads no tag";
        if (found == expected.end()) continue;
        EXPECT_EQ(shown == rows.end() ? std::vector<std::string>() : shown->second, found->second);
    }
    EXPECT_EQ(KorvelRows(paths, true), rows);
    EXPECT_EQ(ID3v2Xml(paths, true), ID3v2Xml(paths, false));
    return rows;
}

// How many rows of the file have that frame ID.
size_t CountOf(const std::vector<std::string>& rows, const std::string& id) {
    size_t count = 0;
    for (const std::string& row : rows) count += row.starts_with(id + "\t") ? 1 : 0;
    return count;
}

// The audio as korvel info shows it, in the words of peer_tags.py audio:
// "MPEG 1.0 layer 3, 128 kbit/s, 2 seconds".
LinesByFile KorvelAudio(const std::vector<std::string>& paths) {
    LinesByFile audio;
    for (const auto& [path, lines] : SplitByFile(Sections(Korvel("info", paths, false), paths), "")) {
        std::string version, rate, seconds;
        for (const std::string& line : lines) {
            if (line.starts_with("MPEG ")) version = line;
            if (line.find(" kbit/s") != std::string::npos) rate = line.substr(0, line.find(" kbit/s"));
            if (line.starts_with("Lenght: ")) seconds = line.substr(8, line.find(" seconds") - 8);
        }
        audio[path].push_back(version + ", " + rate + " kbit/s, " + seconds + " seconds");
    }
    return audio;
}

void ExpectAudioLikeMutagen(const std::vector<std::string>& paths) {
    std::string out, err;
    ASSERT_EQ(test::Run(Script() + " audio" + Paths(paths), &out, &err), 0) << err;
    EXPECT_EQ(KorvelAudio(paths), SplitByFile(out, ""));
}

// The picture of korvel's XML description against mutagen's first APIC.
void ExpectSamePicture(const std::string& path) {
    SCOPED_TRACE(path);
    std::string hex;
    ASSERT_EQ(test::Run(Script() + " picture " + ShellQuote(path), &hex), 0);
    Bytes expected;
    for (size_t i = 0; i + 1 < hex.size() && hex[i] != '\n'; i += 2) {
        expected.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    ASSERT_FALSE(expected.empty());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(Korvel("xml", {path}, false).c_str()));
    const pugi::xpath_node picture = doc.select_node("//ID3V2Tag/Properties/Property[@Name='Picture']/Value");
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::string(picture.node().text().get()), Base64Encode(expected));
}

// A scratch folder with a front and a back cover and files of plain audio.
struct Workspace {
    test::TempDir dir;
    std::string front = dir.File("front.png");
    std::string back = dir.File("back.png");

    Workspace() {
        test::WriteFile(front, test::PngImage(1));
        test::WriteFile(back, test::PngImage(2));
    }

    std::string Audio(const std::string& name) const {
        const std::string path = dir.File(name);
        test::WriteFile(path, test::MpegAudio(40));
        return path;
    }
};

// Text that needs Unicode, and text that Latin-1 holds.
const std::string kWide = "\u03A9\u03BC\u03AD\u03B3\u03B1 \u65E5\u672C";
const std::string kLatin = "Caf\u00E9 Ol\u00E9";

}  // namespace

TEST(ID3V2Peers, MutagenInEveryEncodingAndWithManyFrames) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen not available";
    Workspace w;
    std::vector<std::string> files;
    for (const auto& [version, encoding] :
         std::vector<std::pair<int, int>>{{3, 0}, {3, 1}, {4, 0}, {4, 1}, {4, 2}, {4, 3}}) {
        const std::string path = w.Audio("v" + std::to_string(version) + "-" + std::to_string(encoding) + ".mp3");
        ASSERT_EQ(test::Run(Script() + " write " + ShellQuote(path) + " " + std::to_string(version) + " " +
                            std::to_string(encoding) + " " + ShellQuote(w.front)),
                  0);
        files.push_back(path);
    }
    // mutagen's default encodings, as taggers write with it: two artists,
    // MusicBrainz identifiers, comments, private frames and two covers.
    for (const char* version : {"3", "4"}) {
        const std::string path = w.Audio("many" + std::string(version) + ".mp3");
        ASSERT_EQ(test::Run(Script() + " many " + ShellQuote(path) + " " + version + " " + ShellQuote(w.front) + " " +
                      ShellQuote(w.back)),
                  0);
        files.push_back(path);
    }
    const LinesByFile rows = ExpectReadLikeMutagen(files);
    for (const std::string& path : files) {
        const std::vector<std::string>& shown = rows.at(path);
        if (path.ends_with("many3.mp3") || path.ends_with("many4.mp3")) {
            EXPECT_EQ(CountOf(shown, "TXXX"), 10u);
            EXPECT_EQ(CountOf(shown, "COMM"), 4u);
            EXPECT_EQ(CountOf(shown, "PRIV"), 4u);
            EXPECT_EQ(CountOf(shown, "APIC"), 2u);
        } else {
            // Text, comment, lyrics, user text, URL, counter, private and picture.
            EXPECT_EQ(shown.size(), 14u) << path;
        }
        ExpectSamePicture(path);
    }
    EXPECT_NE(std::find(rows.at(files.back()).begin(), rows.at(files.back()).end(), "TPE1\tArtist One / Artist Two"),
              rows.at(files.back()).end());
}

TEST(ID3V2Peers, EyeD3InEveryEncoding) {
    if (!HaveMutagen() || !test::HaveProgram("eyeD3")) GTEST_SKIP() << "eyeD3 or mutagen not available";
    Workspace w;
    std::vector<std::string> files;
    for (const auto& [version, encoding] : std::vector<std::pair<std::string, std::string>>{{"2.3", "latin1"},
                                                                                            {"2.3", "utf16"},
                                                                                            {"2.4", "latin1"},
                                                                                            {"2.4", "utf16"},
                                                                                            {"2.4", "utf8"},
                                                                                            {"2.4", "utf16-be"}}) {
        const std::string path = w.Audio(version + "-" + encoding + ".mp3");
        const std::string text = encoding == "latin1" ? kLatin : kWide;
        const std::string lyrics = path + ".txt";
        test::WriteFile(lyrics, "Line one\nLine two " + text + "\n");
        const std::string command =
            "eyeD3 -Q --to-v" + version + " --encoding " + encoding + " -t " + ShellQuote(text) + " -a " +
            ShellQuote("Artist " + text) + " -A Album -G Rock -n 3 -N 12 -Y 2004" + " --add-comment " +
            ShellQuote("Comment " + text + ":Desc:deu") + " --add-comment " + ShellQuote("Second:Other:eng") +
            " --add-lyrics " + ShellQuote(lyrics + "::eng") + " --user-text-frame " + ShellQuote("Key:Value " + text) +
            " --user-text-frame " + ShellQuote("REPLAYGAIN_TRACK_GAIN:-7.02 dB") +
            " --user-url-frame Site:http://example.org/a --play-count 42" + " --add-image " +
            ShellQuote(w.front + ":FRONT_COVER:Cover") + " --add-image " + ShellQuote(w.back + ":BACK_COVER:Back") +
            " " + ShellQuote(path);
        std::string err;
        ASSERT_EQ(test::Run(command, nullptr, &err), 0) << command << "\n" << err;
        files.push_back(path);
    }
    const LinesByFile rows = ExpectReadLikeMutagen(files);
    for (const std::string& path : files) {
        for (const char* id : {"TIT2", "TPE1", "COMM", "USLT", "TXXX", "WXXX", "PCNT", "APIC"}) {
            EXPECT_GT(CountOf(rows.at(path), id), 0u) << id << " missing from " << path;
        }
        EXPECT_EQ(CountOf(rows.at(path), "APIC"), 2u);
        ExpectSamePicture(path);
    }
}

TEST(ID3V2Peers, Id3v2Program) {
    if (!HaveMutagen() || !test::HaveProgram("id3v2")) GTEST_SKIP() << "id3v2 or mutagen not available";
    Workspace w;
    const std::string path = w.Audio("id3v2.mp3");
    // Latin-1 text in single-byte frames, the rest in UTF-16.
    ASSERT_EQ(test::Run("LC_ALL=C.UTF-8 id3v2 -a " + ShellQuote("Artist " + kLatin) + " -A Album -t " +
                  ShellQuote("Title " + kWide) + " -c " + ShellQuote("Desc:A comment:deu") +
                  " -g 17 -y 2004 -T 3/12 --TXXX " + ShellQuote("MyKey:My value") +
                  " --WOAR http://example.org/artist --TCOM Composer --USLT " + ShellQuote("Lyr:Line one:eng") +
                  " --TPE2 Band --TPOS 1/2 --TENC Me " + ShellQuote(path)),
              0);
    const LinesByFile rows = ExpectReadLikeMutagen({path});
    EXPECT_EQ(CountOf(rows.at(path), "TXXX"), 1u);
}

TEST(ID3V2Peers, FfmpegInBothVersions) {
    if (!HaveMutagen() || !test::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg or mutagen not available";
    Workspace w;
    const std::string source = w.Audio("source.mp3");
    std::vector<std::string> files;
    for (const char* version : {"3", "4"}) {
        const std::string path = w.dir.File("ffmpeg" + std::string(version) + ".mp3");
        std::string metadata;
        for (const std::string& pair : {"title=Title " + kWide, "artist=Artist " + kLatin, "album=Album"s, "date=2004"s,
                                        "track=3/12"s, "genre=Rock"s, "comment=A comment"s, "composer=Composer"s,
                                        "album_artist=Band"s, "disc=1/2"s, "copyright=(c) 2004"s, "lyrics=La la"s,
                                        // Keys of no frame become user texts.
                                        "MY_CUSTOM_KEY=custom value"s, "REPLAYGAIN_TRACK_GAIN=-7.02 dB"s}) {
            metadata += " -metadata " + ShellQuote(pair);
        }
        const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + ShellQuote(source) +
                                    " -i " + ShellQuote(w.front) + " -map 0:a -map 1 -c copy -id3v2_version " +
                                    version + metadata + " -metadata:s:v title=Cover -metadata:s:v " +
                                    ShellQuote("comment=Cover (front)") + " " + ShellQuote(path);
        std::string err;
        ASSERT_EQ(test::Run(command, nullptr, &err), 0) << command << "\n" << err;
        files.push_back(path);
    }
    const LinesByFile rows = ExpectReadLikeMutagen(files);
    for (const std::string& path : files) {
        EXPECT_EQ(CountOf(rows.at(path), "TXXX"), 4u) << path;
        EXPECT_EQ(CountOf(rows.at(path), "APIC"), 1u) << path;
    }
    // Encoded by ffmpeg: the Info frame in front of the stream has a lower
    // bit rate than the stream itself.
    std::vector<std::string> encoded;
    for (const char* rate : {"128k", "320k"}) {
        encoded.push_back(w.dir.File("encoded-"s + rate + ".mp3"));
        ASSERT_EQ(test::Run("ffmpeg -nostdin -loglevel error -y -f lavfi -i anullsrc=r=44100:cl=stereo -t 3 "
                            "-c:a libmp3lame -b:a " + std::string(rate) + " " + ShellQuote(encoded.back())),
                  0);
    }
    ExpectAudioLikeMutagen(encoded);
}

TEST(ID3V2Peers, LameTagOptions) {
    if (!HaveMutagen() || !test::HaveProgram("lame")) GTEST_SKIP() << "lame or mutagen not available";
    Workspace w;
    const std::string wav = w.dir.File("in.wav");
    test::WriteFile(wav, test::ToneWav(44100, 1, 0.5));
    std::vector<std::string> files;
    for (const char* encoding : {"latin1", "utf16"}) {
        const std::string path = w.dir.File("lame-"s + encoding + ".mp3");
        const std::string command =
            "lame --quiet --add-id3v2 --id3v2-" + std::string(encoding) + " --pad-id3v2-size 7 --tt " +
            ShellQuote("Title " + kLatin) + " --ta Artist --tl Album --ty 2004 --tc " + ShellQuote("A comment") +
            " --tn 3/12 --tg Rock --ti " + ShellQuote(w.front) + " --tv " +
            ShellQuote("TXXX=REPLAYGAIN_TRACK_GAIN=-7.02 dB") + " --tv TCOM=Composer --tv " +
            ShellQuote("WOAR=http://example.org/a") + " " + ShellQuote(wav) + " " + ShellQuote(path);
        std::string err;
        ASSERT_EQ(test::Run(command, nullptr, &err), 0) << command << "\n" << err;
        files.push_back(path);
    }
    const LinesByFile rows = ExpectReadLikeMutagen(files);
    for (const std::string& path : files) EXPECT_EQ(CountOf(rows.at(path), "APIC"), 1u) << path;
}

TEST(ID3V2Peers, Kid3CliWithBothBackEnds) {
    if (!HaveMutagen() || !test::HaveProgram("kid3-cli")) GTEST_SKIP() << "kid3-cli or mutagen not available";
    struct Case {
        const char* backEnd;  // id3lib writes version 2.3 when its plugin is enabled
        const char* version;
        const char* encoding;
    };
    const std::vector<Case> cases = {{"id3lib", "ID3v2_3_0", "TE_ISO8859_1"},
                                     {"id3lib", "ID3v2_3_0", "TE_UTF16"},
                                     {"taglib", "ID3v2_3_0", "TE_UTF16"},
                                     {"taglib", "ID3v2_4_0", "TE_UTF8"},
                                     {"taglib", "ID3v2_4_0", "TE_UTF16"}};
    Workspace w;
    std::vector<std::string> files;
    for (const Case& c : cases) {
        const std::string name = std::string(c.backEnd) + "-" + c.version + "-" + c.encoding;
        const std::string path = w.Audio(name + ".mp3");
        // A settings folder of its own; id3lib's plugin is disabled until a
        // setting enables it, which takes effect on the next start.
        const std::string kid3 =
            "HOME=" + ShellQuote(w.dir.File(name)) + " XDG_CONFIG_HOME=" + ShellQuote(w.dir.File(name)) + " kid3-cli";
        if (std::string(c.backEnd) == "id3lib") {
            ASSERT_EQ(test::Run(kid3 + " -c 'config Tag.disabledPlugins Mp4v2Metadata'"), 0);
        }
        std::string command =
            kid3 + " -c 'config Tag.id3v2Version " + c.version + "' -c 'config Tag.textEncoding " + c.encoding + "'";
        for (const std::string& set :
             {"title \"Title " + kWide + "\"", "artist \"Artist One|Artist Two\""s, "album Album"s, "date 2004"s,
              "track 3/12"s, "genre Rock"s, "comment \"A comment\""s, "\"album artist\" Band"s, "composer Composer"s,
              "MY_KEY \"custom value\""s, "REPLAYGAIN_TRACK_GAIN \"-7.02 dB\""s, "lyrics \"Line one\""s,
              "picture:'" + w.front + "' 'Front cover'", "rating 4"s}) {
            command += " -c " + ShellQuote("set " + set);
        }
        std::string err;
        ASSERT_EQ(test::Run(command + " -c save " + ShellQuote(path), nullptr, &err), 0) << command << "\n" << err;
        files.push_back(path);
    }
    const LinesByFile rows = ExpectReadLikeMutagen(files);
    for (const std::string& path : files) {
        EXPECT_EQ(CountOf(rows.at(path), "TXXX"), 2u) << path;
        EXPECT_EQ(CountOf(rows.at(path), "APIC"), 1u) << path;
    }
}

namespace {

// The frames of a tag of version 2.`version` as writers put them there: a
// Latin-1 title, a UTF-16 artist with its terminator, a comment, a user text
// whose value (FF E0) must be unsynchronised, a picture; version 2.2 as
// older encoders wrote it, with iTunes' comments, lyrics with CR line
// breaks, a PNG picture, a counter and a user link.
Bytes SampleFrames(uint8_t version) {
    const auto frame = [version](const std::string& id, const Bytes& data) { return test::Frame(version, id, data); };
    const Bytes frames =
        Concat({frame(version == 2 ? "TT2" : "TIT2", test::Latin1Text("Title " + kLatin)),
                frame(version == 2 ? "TP1" : "TPE1", Concat({test::Utf16Text("Artist " + kWide), {0, 0}})),
                frame(version == 2 ? "COM" : "COMM", test::CommData("eng", "Desc", "A comment")),
                frame(version == 2 ? "TXX" : "TXXX", Concat({B("\0Key\0", 5), {0xFF, 0xE0, 'x'}}))});
    if (version > 2) {
        return Concat({frames, frame("APIC", Concat({B("\0image/png\0\3\0", 13), test::PngImage(3)}))});
    }
    return Concat(
        {frames, frame("COM", test::CommData("eng", "iTunNORM", " 0000044E 00000061")),
         frame("ULT", Concat({B("\1eng", 4), test::Utf16Bom(u""), {0, 0}, test::Utf16Bom(u"Line one\rLine two")})),
         frame("PIC", Concat({B("\0PNG\3Cover\0", 11), test::PngImage(3)})), frame("CNT", {0, 0, 0, 42}),
         frame("WXX", B("\0Site\0http://example.org/x", 26))});
}

}  // namespace

TEST(ID3V2Peers, BuiltTagsOfEveryVersion) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen not available";
    struct Case {
        std::string name;
        Bytes tag;
        size_t rows;  // the version and every frame
        bool audio = true;
    };
    std::vector<Case> cases;
    for (uint8_t version : {2, 3, 4}) {
        const std::string v = std::to_string(version);
        const Bytes frames = SampleFrames(version);
        const size_t rows = version == 2 ? 10 : 6;
        // Zero bytes behind the frames are padding however few they are.
        for (size_t padding = 0; padding <= 12; ++padding) {
            cases.push_back(
                {"padding" + v + "-" + std::to_string(padding), test::Tag(version, frames, 0, padding), rows});
        }
        cases.push_back({"bare" + v, test::Tag(version, frames), rows, false});
        // A second tag straight behind the first: the first is the file's.
        cases.push_back(
            {"two" + v, Concat({test::Tag(version, frames, 0, 3), test::Tag(version, frames, 0, 20)}), rows});
        // Versions 2.2 and 2.3 unsynchronised as a whole.
        if (version < 4) {
            test::TagLayout unsynchronised;
            unsynchronised.Unsynchronise = true;
            unsynchronised.Padding = 4;
            cases.push_back({"unsync" + v, test::Tag(version, frames, unsynchronised), rows});
        }
    }
    // Version 2.4 frames unsynchronised by the tag's flag, which holds for
    // every frame, and one by one, with and without a data length indicator.
    const Bytes user = Concat({B("\0Key\0", 5), {0xFF, 0xE0, 0xFF}});
    const Bytes stored = test::Unsynchronise(user);
    const Bytes artist = test::Unsynchronise(test::Utf16Text("Artist " + kWide));
    const Bytes withLength = Concat({test::Syncsafe32(static_cast<uint32_t>(user.size())), stored});
    cases.push_back(
        {"unsync4", test::Tag(4, Concat({test::Frame24("TPE1", artist), test::Frame24("TXXX", stored)}), 0x80, 4), 3});
    cases.push_back({"unsync4-frames",
                     test::Tag(4,
                               Concat({test::Frame24("TPE1", artist, 0, 0x02), test::Frame24("TXXX", stored, 0, 0x02),
                                       test::Frame24("TXXX", withLength, 0, 0x03)}),
                               0, 4),
                     4});
    // iTunes' version 2.3 tags with version 2.2 frame IDs ("TT2\0").
    cases.push_back({"itunes3",
                     test::Tag(3,
                               Concat({test::Frame23(std::string("TT2\0", 4), test::Latin1Text("Title")),
                                       test::Frame23(std::string("TP1\0", 4), test::Utf16Text("Artist " + kWide)),
                                       test::Frame23(std::string("COM\0", 4), test::CommData("eng", "", "Note")),
                                       test::Frame23("TALB", test::Latin1Text("Album"))}),
                               0, 10),
                     5});
    // Compressed frames: version 2.3 with the inflated size, 2.4 with a data
    // length indicator.
    const Bytes text = test::Utf16Text("Compressed " + kWide + " title, compressed " + kWide + " title");
    const Bytes packed = test::Zlib(text);
    const auto size = static_cast<uint32_t>(text.size());
    cases.push_back({"compressed3",
                     test::Tag(3, Concat({test::Frame23("TIT2", Concat({test::BigEndian32(size), packed}), 0, 0x80),
                                          test::Frame23("TPE1", test::Latin1Text("Artist"))})),
                     3});
    cases.push_back({"compressed4",
                     test::Tag(4, Concat({test::Frame24("TIT2", Concat({test::Syncsafe32(size), packed}), 0, 0x09),
                                          test::Frame24("TPE1", test::Latin1Text("Artist"))})),
                     3});
    // Extended headers: version 2.3 with a CRC, 2.4 with the update, CRC and
    // restriction flags, also before a footer; a bare tag with a footer.
    test::TagLayout extended;
    extended.ExtendedHeader = Concat({test::BigEndian32(10), {0x80, 0}, test::BigEndian32(8), {1, 2, 3, 4}});
    extended.Padding = 8;
    cases.push_back({"extended3", test::Tag(3, SampleFrames(3), extended), 6});
    extended.ExtendedHeader = Concat({test::Syncsafe32(15), {1, 0x70, 0, 5, 1, 2, 3, 4, 5, 1, 0x12}});
    cases.push_back({"extended4", test::Tag(4, SampleFrames(4), extended), 6});
    extended.Footer = true;
    extended.Padding = 0;
    cases.push_back({"footer4", test::Tag(4, SampleFrames(4), extended), 6});
    test::TagLayout footer;
    footer.Footer = true;
    cases.push_back({"footer4-bare", test::Tag(4, SampleFrames(4), footer), 6, false});

    test::TempDir dir;
    const Bytes audio = test::MpegAudio(100);
    std::vector<std::string> files, withAudio;
    std::map<std::string, size_t> rows;
    for (const Case& c : cases) {
        files.push_back(dir.File(c.name + ".mp3"));
        test::WriteFile(files.back(), c.audio ? Concat({c.tag, audio}) : c.tag);
        rows[files.back()] = c.rows;
        if (c.name.starts_with("two") || c.name == "footer4") withAudio.push_back(files.back());
    }
    // Fraunhofer's VBR header behind a tag.
    test::Mp3Spec vbri;
    vbri.Frames = 30;
    vbri.VBRI = test::VBRISpec{416000, 1000};
    vbri.ID3v2 = test::Tag(3, SampleFrames(3), 0, 5);
    files.push_back(dir.File("vbri.mp3"));
    test::WriteFile(files.back(), test::BuildMp3(vbri));
    withAudio.push_back(files.back());
    rows[files.back()] = 6;

    // Read alike, and in full.
    std::map<std::string, size_t> shown;
    for (const auto& [path, lines] : ExpectReadLikeMutagen(files)) shown[path] = lines.size();
    EXPECT_EQ(shown, rows);
    ExpectAudioLikeMutagen(withAudio);
}
