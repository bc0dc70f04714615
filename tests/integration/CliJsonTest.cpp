// korvel info --json and korvel apply: the document of files and tags, and
// writing the tags a document describes back into a file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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
    stream.ID3v2 = test::Tag23(
        {test::Frame23("TIT2", test::Utf16Text("Caf\u00E9 \u65E5")),
         test::Frame23("TPE1", B("\0One\0Two", 8)),
         test::Frame23("TXXX", B("\0MOOD\0calm", 10)),
         test::Frame23("COMM", B("\0engdesc\0text", 13)),
         test::Frame23("IPLS", B("\0producer\0Cleo\0mix\0Dan", 22)),
         test::Frame23("WOAR", B("http://a.example/", 17)),
         test::Frame23("APIC", Concat({B("\0image/bmp\0\x03", 12), B("cover\0", 6), test::TinyBmp()})),
         test::Frame23("PRIV", B("org.example\0\x01\x02\xFF", 15)),
         test::Frame23("POPM", B("me@example.org\0\xC4\0\0\0\x0C", 20)),
         test::Frame23("PCNT", test::BigEndian32(42)),
         test::Frame23("XABC", B("\x01\x02\x03", 3))},
        100);
    stream.ID3v1 = test::ID3v1Record("Title", "Artist", "Album", "2001", "Comment", 7, 12);
    return test::BuildMp3(stream);
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
        {R"({"id3v1": {"title": "\u65e5"}})", "/id3v1/title: has characters an ID3v1 tag cannot hold"},
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
