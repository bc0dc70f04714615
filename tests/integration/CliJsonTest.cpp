// korvel info --json and korvel apply: the document of files and tags, and
// writing the tags a document describes back into a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/BinaryFile.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"
#include "xml/XmlNodes.h"

using namespace korvel;
using test::B;
using test::Concat;
using test::ShellQuote;
using Json = nlohmann::json;

namespace {

std::string Korvel(const std::string& args) {
    return "KORVEL_ID3LIB=/nonexistent/libid3.so " + ShellQuote(test::CliPath()) + " " + args;
}

Json InfoJson(const std::string& paths, int status = 0) {
    std::string out, err;
    EXPECT_EQ(test::Run(Korvel("info --json " + paths), &out, &err), status) << err;
    return Json::parse(out);
}

// Runs korvel apply with the document on stdin.
int Apply(const std::string& path, const std::string& document, std::string* out = nullptr,
          std::string* err = nullptr, const std::string& options = "") {
    test::TempDir dir;
    const std::string input = dir.File("doc.json");
    test::WriteFile(input, document);
    return test::Run(Korvel("apply " + options + ShellQuote(path) + " < " + ShellQuote(input)), out, err);
}

// A file's bytes and modification time, which a refused or dry run keeps.
struct Snapshot {
    Bytes bytes;
    int64_t mtime;
    explicit Snapshot(const std::string& path) : bytes(test::ReadFile(path)) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    bool operator==(const Snapshot&) const = default;
};

// Moves the file's modification time into the past, so that a write shows.
void Age(const std::string& path) {
    struct utimbuf times {1000000000, 1000000000};
    ::utime(path.c_str(), &times);
}

// Every kind of frame, in a version 2.3 tag, with an ID3v1.1 tag behind the
// audio.
Bytes TaggedFile() {
    test::Mp3Spec stream;
    const Bytes frames = Concat({
        test::Frame23("TIT2", test::Utf16Text("Caf\u00E9 \u65E5")),
        test::Frame23("TPE1", B("\0One\0Two", 8)),
        test::Frame23("TXXX", B("\0MOOD\0calm", 10)),
        test::Frame23("COMM", B("\0engdesc\0text", 13)),
        test::Frame23("IPLS", B("\0producer\0Cleo\0mix\0Dan", 22)),
        test::Frame23("WOAR", B("http://a.example/", 17)),
        test::Frame23("APIC", Concat({B("\0image/bmp\0\x03", 12), B("cover\0", 6), test::TinyBmp()})),
        test::Frame23("PRIV", B("org.example\0\x01\x02\xFF", 15)),
        test::Frame23("POPM", B("me@example.org\0\xC4\0\0\0\x0C", 20)),
        test::Frame23("PCNT", test::BigEndian32(42)),
        test::Frame23("XABC", B("\x01\x02\x03", 3))});
    stream.ID3v2 = test::Tag(3, frames, 0, 100);
    stream.ID3v1 = test::ID3v1Record("Title", "Artist", "Album", "2001", "Comment", 7, 12);
    return test::BuildMp3(stream);
}

const std::string kPython = "/usr/bin/python3";

std::string PeerScript() {
    return kPython + " " + ShellQuote(std::string(KORVEL_SOURCE_DIR) + "/tests/integration/peer_tags.py");
}

bool HaveMutagen() { return test::Run(kPython + " -c 'import mutagen' 2>/dev/null") == 0; }

// Files whose tags real writers made (those installed here), starting from
// an untagged corpus file.
std::vector<std::string> PeerFiles(const test::TempDir& dir) {
    const std::string blank = test::CorpusPath("mutagen/xing.mp3");
    std::vector<std::string> files;
    // Runs "COMMAND PATH ARGS" on a copy of the blank file.
    auto make = [&](const std::string& name, const std::string& command, const std::string& args = "") {
        const std::string path = dir.File(name);
        test::WriteFile(path, test::ReadFile(blank));
        std::string out, err;
        const std::string line = command + " " + ShellQuote(path) + args;
        EXPECT_EQ(test::Run(line, &out, &err), 0) << line << "\n" << err;
        files.push_back(path);
    };
    if (HaveMutagen()) {
        make("mutagen3.mp3", PeerScript() + " write-all", " 3");
        make("mutagen4.mp3", PeerScript() + " write-all", " 4");
    }
    if (test::HaveProgram("eyeD3")) {
        make("eyed3.mp3", "eyeD3 -Q --to-v2.4 --encoding utf8 -t 'Caf\u00E9' -a 'A' -A 'Al' -n 3 -Y 2004 "
                          "--add-comment 'c:d:eng' --user-text-frame 'K:V' --play-count 3 >/dev/null");
    }
    if (test::HaveProgram("id3v2")) make("id3v2.mp3", "id3v2 -t 'T i' -a A -A Al -y 2004 -T 3/12 -c Comm -g 17");
    if (test::HaveProgram("kid3-cli")) {
        make("kid3.mp3", "HOME=" + ShellQuote(dir.Path().string()) +
                             " kid3-cli -c \"set title 'Kid'\" -c \"set artist 'Kid A'\" -c \"set comment 'c'\"");
    }
    if (test::HaveProgram("ffmpeg")) {
        const std::string path = dir.File("ffmpeg.mp3");
        EXPECT_EQ(test::Run("ffmpeg -nostdin -loglevel error -y -i " + ShellQuote(blank) +
                            " -c copy -metadata title=T -metadata artist=A -metadata album=Al -id3v2_version 4 " +
                            ShellQuote(path)),
                  0);
        files.push_back(path);
    }
    if (test::HaveProgram("lame")) {
        const std::string path = dir.File("lame.mp3");
        EXPECT_EQ(test::Run("head -c 88200 /dev/zero | lame --silent -r -s 44.1 -m m --add-id3v2 --tt T --ta A "
                            "--tl Al --ty 2004 --tc c --tn 3 --tg Rock - " + ShellQuote(path) + " 2>/dev/null"),
                  0);
        files.push_back(path);
    }
    return files;
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(KORVEL_CORPUS_DIR)) {
        if (entry.is_regular_file() && entry.path().extension() == ".mp3") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The tags of a file's object as apply writes them: a version 2.2 tag
// becomes version 2.3, its frames taking their version 2.3 IDs.
Json WrittenTags(const Json& file) {
    Json tags = {{"id3v1", file["id3v1"]}, {"id3v2", nullptr}};
    if (file["id3v2"].is_null()) return tags;
    Json frames = file["id3v2"]["frames"];
    std::string version = file["id3v2"]["version"];
    if (version == "2.2.0") {
        version = "2.3.0";
        for (Json& frame : frames) frame["id"] = FrameIdOf22(frame["id"]);
    }
    tags["id3v2"] = {{"version", version}, {"frames", frames}};
    return tags;
}

}  // namespace

TEST(CliJson, InfoDescribesEveryFileAndTagAndGoesOnAfterAFailure) {
    test::TempDir dir;
    const std::string tagged = dir.File("tagged.mp3"), plain = dir.File("plain.mp3"), missing = dir.File("missing.mp3");
    test::WriteFile(tagged, TaggedFile());
    test::Mp3Spec vbr;
    vbr.Xing = test::XingSpec{"Xing", 3, 1000, 417000};
    test::WriteFile(plain, test::BuildMp3(vbr));

    std::string out, err;
    ASSERT_EQ(test::Run(Korvel("info --json " + ShellQuote(tagged) + " " + ShellQuote(missing) + " " +
                               ShellQuote(plain)),
                        &out, &err),
              1);
    // One line per file between the document's opening and closing lines.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5) << out;
    const Json doc = Json::parse(out);
    EXPECT_EQ(doc["format"], "korvel-json");
    EXPECT_EQ(doc["version"], 1);
    ASSERT_EQ(doc["files"].size(), 3u);

    const Json& a = doc["files"][0];
    EXPECT_EQ(a["path"], tagged);
    EXPECT_EQ(a["size"], test::ReadFile(tagged).size());
    EXPECT_EQ(a["codepage"], "windows-1252");
    EXPECT_EQ(a["audio"]["bitrate"], 128);
    EXPECT_EQ(a["audio"]["xing"], nullptr);
    EXPECT_EQ(a["id3v1"], Json::parse(R"({"version": "1.1", "title": "Title", "artist": "Artist", "album": "Album",
        "year": "2001", "comment": "Comment", "track": 7, "genre": 12, "genre_name": "Other"})"));
    EXPECT_EQ(a["lyrics3"], nullptr);
    const Json& tag = a["id3v2"];
    EXPECT_EQ(tag["version"], "2.3.0");
    EXPECT_EQ(tag["padding"], 100);
    EXPECT_EQ(tag["flags"], 0);
    const Json& frames = tag["frames"];
    ASSERT_EQ(frames.size(), 11u);
    EXPECT_EQ(frames[0], Json::parse(R"({"id": "TIT2", "text": ["Café 日"]})"));
    EXPECT_EQ(frames[1], Json::parse(R"({"id": "TPE1", "text": ["One", "Two"]})"));
    EXPECT_EQ(frames[2], Json::parse(R"({"id": "TXXX", "description": "MOOD", "text": ["calm"]})"));
    EXPECT_EQ(frames[3], Json::parse(R"({"id": "COMM", "language": "eng", "description": "desc", "text": ["text"]})"));
    EXPECT_EQ(frames[4], Json::parse(R"({"id": "IPLS", "people": [{"role": "producer", "name": "Cleo"},
        {"role": "mix", "name": "Dan"}]})"));
    EXPECT_EQ(frames[5], Json::parse(R"({"id": "WOAR", "url": "http://a.example/"})"));
    EXPECT_EQ(frames[6]["mime"], "image/bmp");
    EXPECT_EQ(frames[6]["picture_type"], 3);
    EXPECT_EQ(frames[6]["description"], "cover");
    EXPECT_EQ(frames[6]["size"], test::TinyBmp().size());
    EXPECT_EQ(frames[6]["sha256"].get<std::string>().size(), 64u);
    EXPECT_FALSE(frames[6].contains("data"));
    EXPECT_EQ(frames[7]["owner"], "org.example");
    EXPECT_EQ(frames[7]["size"], 3);
    EXPECT_EQ(frames[8], Json::parse(R"({"id": "POPM", "email": "me@example.org", "rating": 196, "counter": 12})"));
    EXPECT_EQ(frames[9], Json::parse(R"({"id": "PCNT", "counter": 42})"));
    EXPECT_EQ(frames[10]["size"], 3);
    // Hashes are SHA-256 of the content (here of bytes 01 02 03).
    EXPECT_EQ(frames[10]["sha256"], "039058c6f2c0cb492c533b0a4d14ef77cc0f78abccced5287d84a1a2011cfb81");

    EXPECT_EQ(doc["files"][1], Json::parse(R"({"path": ")" + missing +
                                           R"(", "error": {"number": 2, "source": "System",
                                           "description": "No such file or directory"}})"));

    const Json& b = doc["files"][2];
    EXPECT_EQ(b["audio"]["vbr"], true);
    EXPECT_EQ(b["audio"]["frames"], 1000);
    EXPECT_EQ(b["audio"]["xing"], Json::parse(R"({"name": "Xing", "frames": 1000, "bytes": 417000})"));
    EXPECT_DOUBLE_EQ(b["audio"]["duration"].get<double>(), 26.122);
    EXPECT_EQ(b["id3v1"], nullptr);
    EXPECT_EQ(b["id3v2"], nullptr);

    // --binary adds the content itself; it needs --json.
    const Json binary = InfoJson("--binary " + ShellQuote(tagged));
    Bytes image;
    ASSERT_TRUE(Base64Decode(binary["files"][0]["id3v2"]["frames"][6]["data"].get<std::string>(), image));
    EXPECT_EQ(image, test::TinyBmp());
    EXPECT_EQ(test::Run(Korvel("info --binary " + ShellQuote(tagged)), &out, &err), 2);
}

TEST(CliJson, InfoDescribesTagsItCannotReadByTheirError) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    // A frame that runs past the end of the tag, and a Lyrics3 tag whose
    // size does not hold.
    test::Mp3Spec stream;
    stream.ID3v2 = test::Tag(3, Concat({B("TIT2", 4), test::BigEndian32(500), B("\0x", 2)}));
    test::WriteFile(path, Concat({test::BuildMp3(stream), B("LYRICSBEGINxx999999LYRICS200")}));
    const Json file = InfoJson(ShellQuote(path))["files"][0];
    EXPECT_EQ(file["id3v2"]["version"], "2.3.0");
    EXPECT_EQ(file["id3v2"]["error"]["source"], "ID3V2Tag::loadTag");
    EXPECT_TRUE(file["lyrics3"]["error"].contains("description")) << file["lyrics3"];
}

TEST(CliJson, ApplyWritesTheID3v1TagTheDocumentDescribes) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    test::WriteFile(path, TaggedFile());
    Age(path);
    const Snapshot before(path);

    // The file's object alone; the ID3v2 tag is left out, so it stays.
    const std::string document = R"({"id3v1": {"title": "New", "artist": "Artist", "album": "Album", "year": "2001",
        "comment": "Comment", "track": 0, "genre": 17}})";
    std::string out, err;
    ASSERT_EQ(Apply(path, document, &out, &err, "--dry-run "), 0) << err;
    EXPECT_EQ(out, "id3v1.version: \"1.1\" -> \"1.0\"\nid3v1.title: \"Title\" -> \"New\"\n"
                   "id3v1.track: \"7\" -> \"0\"\nid3v1.genre: \"12\" -> \"17\"\n");
    EXPECT_TRUE(Snapshot(path) == before);

    ASSERT_EQ(Apply(path, document, &out, &err), 0) << err;
    const Json file = InfoJson(ShellQuote(path))["files"][0];
    EXPECT_EQ(file["id3v1"], Json::parse(R"({"version": "1.0", "title": "New", "artist": "Artist", "album": "Album",
        "year": "2001", "comment": "Comment", "track": 0, "genre": 17, "genre_name": "Rock"})"));
    const Bytes after = test::ReadFile(path);
    ASSERT_EQ(after.size(), before.bytes.size());
    EXPECT_TRUE(std::equal(after.begin(), after.end() - 128, before.bytes.begin()));

    // The same document again changes nothing and writes nothing.
    Age(path);
    const Snapshot unchanged(path);
    ASSERT_EQ(Apply(path, document, &out, &err, "--dry-run "), 0) << err;
    EXPECT_EQ(out, "no changes\n");
    ASSERT_EQ(Apply(path, document, &out, &err), 0) << err;
    EXPECT_TRUE(Snapshot(path) == unchanged);

    // Null removes the tag; a tag is added to a file without one.
    ASSERT_EQ(Apply(path, R"({"id3v1": null})", &out, &err), 0) << err;
    EXPECT_EQ(InfoJson(ShellQuote(path))["files"][0]["id3v1"], nullptr);
    EXPECT_EQ(test::ReadFile(path).size(), before.bytes.size() - 128);
    ASSERT_EQ(Apply(path, R"({"id3v1": {"title": "T", "track": 3, "genre_name": "jazz"}})", &out, &err,
                    "--dry-run "),
              0);
    EXPECT_EQ(out, "id3v1: added\nid3v1.version: \"1.1\"\nid3v1.title: \"T\"\nid3v1.artist: \"\"\n"
                   "id3v1.album: \"\"\nid3v1.year: \"\"\nid3v1.comment: \"\"\nid3v1.track: \"3\"\nid3v1.genre: \"8\"\n");

    // The texts are written in the code page asked for, and read back in it.
    const std::string cyrillic = R"({"id3v1": {"title": "\u041f\u0440\u0438\u0432\u0435\u0442"}})";
    ASSERT_EQ(Apply(path, cyrillic, &out, &err, "--codepage windows-1251 "), 0) << err;
    const Json read = InfoJson("--codepage windows-1251 " + ShellQuote(path))["files"][0];
    EXPECT_EQ(read["codepage"], "windows-1251");
    EXPECT_EQ(read["id3v1"]["title"], "\u041f\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(test::ReadFile(path).size(), before.bytes.size());
}

TEST(CliJson, ApplyRefusesWhatItCannotWriteNamingThePlaceAndLeavesTheFileAlone) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    test::WriteFile(path, TaggedFile());
    Age(path);
    const Snapshot before(path);
    const std::string hash(64, 'a');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"id3v1\": ", "malformed JSON: parse error at line 1, column 11"},
        {"[]", "the document must be an object, not an array"},
        {std::string(100, '[') + std::string(100, ']'), "the document nests deeper than"},
        {R"({"format": "korvel-json", "version": 2, "files": []})", "/version: must be 1"},
        {R"({"format": "korvel-json", "version": 1, "files": [{}, {}]})", "/files: must hold exactly one file, not 2"},
        {R"({"format": "korvel-json", "version": 1, "files": [{"id3v2": {"frames": [{"id": "TIT2", "text": "x"}]}}]})",
         "/files/0/id3v2/frames/0/text: must be an array, not a string"},
        {R"({"id3v2": {"frames": [{"id": "TIT2"}, {"id": "TPE1", "text": ["a", 1]}]}})",
         "/id3v2/frames/1/text/1: must be a string, not a number"},
        {R"({"id3v2": {"frames": [{"id": "TIT2", "url": "x"}]}})",
         "/id3v2/frames/0/url: unknown member of a text frame (TIT2)"},
        {R"({"id3v2": {"frames": [{"id": "tit2"}]}})", "/id3v2/frames/0/id: must be 4 capital letters or digits"},
        {R"({"id3v2": {"frames": [{"id": "APIC", "sha256": ")" + hash + R"("}]}})",
         "/id3v2/frames/0/sha256: no APIC frame of the file has this content"},
        {R"({"id3v2": {"frames": [{"id": "PRIV", "data": "AQI="}, {"id": "APIC", "data": "!"}]}})",
         "/id3v2/frames/1/data: is not Base64 text"},
        {R"({"id3v2": {"frames": [{"id": "PRIV", "data": "AQI=", "size": 3}]}})",
         "/id3v2/frames/0/size: is 3 but the data holds 2 bytes"},
        {R"({"id3v2": {"frames": [{"id": "PRIV"}]}})", "/id3v2/frames/0: an owner data frame needs its data or its sha256"},
        {R"({"id3v2": {"frames": [{"id": "POPM", "rating": 256}]}})",
         "/id3v2/frames/0/rating: must be a whole number from 0 to 255, not 256"},
        {R"({"id3v2": {"frames": [{"id": "COMM", "language": "\u00e9ng\u0101"}]}})",
         "/id3v2/frames/0/language: must be Latin-1 text"},
        {R"({"id3v2": {"frames": [{"id": "TIT2", "text": ["a\u0000b"]}]}})",
         "/id3v2/frames/0/text/0: must not hold a zero character"},
        {R"({"id3v2": {"version": "2.5.0"}})", "/id3v2/version: must be \"2.2.0\", \"2.3.0\" or \"2.4.0\""},
        {R"({"id3v2": {"version": "2.2.0", "frames": [{"id": "XYZ", "data": ""}]}})",
         "/id3v2/frames/0/id: the version 2.2 frame XYZ has no version 2.3 form"},
        {R"({"id3v2": {"version": "2.3.0", "error": {}}})", "/id3v2/error: the ID3v2 tag could not be read"},
        {R"({"id3v1": {"title": "0123456789012345678901234567890"}})",
         "/id3v1/title: is longer than the 30 bytes an ID3v1 tag holds"},
        {R"({"id3v1": {"title": "\u65e5"}})", "/id3v1/title: has characters an ID3v1 tag in windows-1252 cannot hold"},
        {R"({"id3v1": {"version": "1.1"}})", "/id3v1/track: an ID3v1.1 tag needs a track from 1 to 255"},
        {R"({"id3v1": {"track": -1}})", "/id3v1/track: must be a whole number from 0 to 255, not -1"},
        {R"({"id3v1": {"genre_name": "Polka Metal"}})", "/id3v1/genre_name: is not a genre of the list"},
        {R"({"id3v1": {}, "tags": 1})", "/tags: unknown member of a file"},
        {R"({"path": "x", "error": {"number": 2}})", "/error: the document describes a file that could not be read"},
    };
    for (const auto& [document, message] : cases) {
        SCOPED_TRACE(document);
        std::string out, err;
        EXPECT_EQ(Apply(path, document, &out, &err), 1);
        EXPECT_NE(err.find("korvel apply: " + message), std::string::npos) << err;
        EXPECT_TRUE(Snapshot(path) == before);
    }
    std::string out, err;
    EXPECT_EQ(test::Run(Korvel("apply " + ShellQuote(path) + " " + ShellQuote(dir.File("none.json"))), &out, &err), 1);
    EXPECT_NE(err.find("cannot read"), std::string::npos) << err;
    EXPECT_EQ(test::Run(Korvel("apply"), &out, &err), 2);
}

TEST(CliJson, InfoGivesTheValuesMutagenReads) {
    if (!HaveMutagen()) GTEST_SKIP() << "mutagen not available";
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    test::TempDir dir;
    std::string paths;
    for (const std::string& path : CorpusFiles()) paths += " " + ShellQuote(path);
    for (const std::string& path : PeerFiles(dir)) paths += " " + ShellQuote(path);
    std::string out, err;
    EXPECT_EQ(test::Run("KORVEL_ID3LIB=/nonexistent/libid3.so " + PeerScript() + " json " +
                            ShellQuote(test::CliPath()) + paths,
                        &out, &err),
              0)
        << out << err;
}

TEST(CliJson, ApplyCopiesEveryTagExactly) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    test::TempDir dir;
    std::vector<std::string> sources = CorpusFiles();
    for (const std::string& path : PeerFiles(dir)) sources.push_back(path);
    // Several values in a version 2.3 frame, every kind of frame.
    sources.push_back(dir.File("tagged.mp3"));
    test::WriteFile(sources.back(), TaggedFile());
    // Into a file without tags, and over a file with ID3v2.3 and ID3v1 tags
    // of its own.
    const std::vector<std::string> targets = {test::CorpusPath("mutagen/xing.mp3"),
                                              test::CorpusPath("mutagen/silence-44-s.mp3")};
    const std::string b = dir.File("b.mp3");
    int copied = 0, refused = 0;
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        std::string document, err;
        const int status = test::Run(Korvel("info --json --binary " + ShellQuote(source)), &document, &err);
        const Json a = Json::parse(document)["files"][0];
        const bool readable = status == 0 && !a.contains("error") && !(a["id3v2"].is_object() && a["id3v2"].contains("error"));
        for (const std::string& target : targets) {
            test::WriteFile(b, test::ReadFile(target));
            Age(b);
            const Snapshot before(b);
            std::string out;
            if (!readable) {
                // Tags that cannot be read cannot be written either.
                EXPECT_EQ(Apply(b, document, &out, &err), 1);
                EXPECT_TRUE(Snapshot(b) == before);
                ++refused;
                continue;
            }
            // A dry run only tells.
            ASSERT_EQ(Apply(b, document, &out, &err, "--dry-run "), 0) << err;
            EXPECT_TRUE(Snapshot(b) == before);
            ASSERT_EQ(Apply(b, document, &out, &err), 0) << err;
            EXPECT_EQ(WrittenTags(InfoJson("--binary " + ShellQuote(b))["files"][0]), WrittenTags(a));
            ++copied;
        }
    }
    std::cout << copied << " copies compared, " << refused << " refused\n";
    EXPECT_GE(copied, 80);
}

TEST(CliJson, ApplyKeepsTheBytesOfEqualFramesAndFindsContentByItsHash) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    const Bytes image = test::PngImage();
    const Bytes apic = Concat({B("\0image/png\0\x03", 12), B("front\0", 6), image});
    const Bytes album = test::Latin1("Album");
    test::Mp3Spec stream;
    // A compressed frame with its data length indicator, a grouped frame.
    stream.ID3v2 = test::Tag(4, Concat({test::Frame24("TIT2", test::Latin1("Old")),
                                        test::Frame24("TALB", Concat({test::Syncsafe32(static_cast<uint32_t>(album.size())),
                                                                      test::Zlib(album)}),
                                                      0, 0x09),
                                        test::Frame24("TPE1", Concat({B("\x07", 1), test::Latin1("Artist")}), 0, 0x40),
                                        test::Frame24("APIC", apic),
                                        test::Frame24("PRIV", B("owner\0\x01", 7))}),
                             0, 500);
    test::WriteFile(path, test::BuildMp3(stream));
    auto tagOf = [](const std::string& file) { return ReadTagContents(BinaryFile(file)); };
    const TagContentsPtr before = tagOf(path);
    ASSERT_TRUE(before);

    // Without --binary: the picture and the private data by their hashes.
    Json document = InfoJson(ShellQuote(path));
    Json& frames = document["files"][0]["id3v2"]["frames"];
    ASSERT_EQ(frames.size(), 5u);
    EXPECT_EQ(frames[1], Json::parse(R"({"id": "TALB", "text": ["Album"]})"));
    frames[0]["text"] = {"New"};
    frames.erase(4);
    std::string out, err;
    ASSERT_EQ(Apply(path, document.dump(), &out, &err, "--dry-run "), 0) << err;
    EXPECT_EQ(out, "id3v2: - TIT2 \"Old\"\nid3v2: - PRIV \"owner, 1 byte\"\nid3v2: + TIT2 \"New\"\n");
    const size_t size = test::ReadFile(path).size();
    ASSERT_EQ(Apply(path, document.dump(), &out, &err), 0) << err;

    // The new title; the other frames as they were, byte for byte; the tag
    // kept its version and size.
    const TagContentsPtr after = tagOf(path);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->version, 4);
    EXPECT_EQ(test::ReadFile(path).size(), size);
    ASSERT_EQ(after->frames.size(), 4u);
    EXPECT_EQ(DecodeFrame(after->frames[0]).values, std::vector<std::string>{"New"});
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(std::ranges::equal(after->frames[i].stored, before->frames[i].stored)) << after->frames[i].id;
    }
    EXPECT_EQ(after->frames[1].formatFlags, 0x09);
    EXPECT_EQ(after->frames[2].group, 7);

    // Another file with that picture under another description: the
    // document's picture takes its content from there. As version 2.3, the
    // whole tag is written anew.
    const std::string other = dir.File("b.mp3");
    test::Mp3Spec second;
    second.ID3v2 = test::Tag(3, test::Frame23("APIC", Concat({B("\0image/png\0\x00", 12), B("x\0", 2), image})));
    test::WriteFile(other, test::BuildMp3(second));
    document["files"][0]["id3v2"]["version"] = "2.3.0";
    ASSERT_EQ(Apply(other, document.dump(), &out, &err), 0) << err;
    const Json written = InfoJson(ShellQuote(other))["files"][0]["id3v2"];
    EXPECT_EQ(written["version"], "2.3.0");
    EXPECT_EQ(written["frames"], document["files"][0]["id3v2"]["frames"]);
}
