#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "file/FileHandler.h"
#include "core/BinaryFile.h"
#include "id3v2/ID3V2Tag.h"
#include "support/TestSupport.h"

using namespace korvel;

namespace {

// What the own readers make of the ID3v2 tag of a file: "-" without a
// header, "fail" when the load fails, otherwise the version, the frame count
// and the title.
std::string ReadInternally(const std::string& path) {
    BinaryFile file(path);
    const Bytes head = file.ReadAt(0, 10);
    if (head.size() < 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3') return "-";
    const ID3V2Header header = ID3V2Header::FromBytes(head);
    if (!FileHandler::IsValidID3V2Header(header)) return "-";
    std::string title;
    int32_t count = 0;
    bool loaded = false;
    switch (header.MajorVersion) {
        case 2: {
            ID3V22Tag tag;
            loaded = tag.LoadFromFile(file, file.Length(), 1, header);
            title = tag.Title();
            count = tag.FrameCount();
            break;
        }
        case 3: {
            ID3V23Tag tag;
            loaded = tag.LoadFromFile(file, file.Length(), 1, header);
            title = tag.Title();
            count = tag.FrameCount();
            break;
        }
        case 4: {
            ID3V24Tag tag;
            loaded = tag.LoadFromFile(file, file.Length(), 1, header);
            title = tag.Title();
            count = tag.FrameCount();
            break;
        }
        default: return "unsupported";
    }
    if (!loaded) return "fail";
    return "2." + std::to_string(header.MajorVersion) + " " + std::to_string(count) + " " + title;
}

// Reads everything the facade and its frames offer.
void TouchEverything(ID3V2Tag& tag) {
    (void)tag.Artist(), (void)tag.Album(), (void)tag.Title(), (void)tag.Genre();
    (void)tag.Track(), (void)tag.Year(), (void)tag.Comment(), (void)tag.EncodedBy();
    (void)tag.LyricsUnsynced(), (void)tag.LyricsSynced(), (void)tag.UserURL();
    (void)tag.Composer(), (void)tag.OriginalArtist(), (void)tag.Copyright();
    (void)tag.Picture(), (void)tag.canSave(), (void)tag.xml();
    int16_t id = 0;
    std::string description;
    (void)tag.splittedGenre(id, description);
    if (auto t = tag.ID3V22Tag()) {
        for (int32_t i = 1; i <= t->FrameCount(); ++i) (void)t->GetFrameByIndex(i)->TextData();
    }
    if (auto t = tag.ID3V23Tag()) {
        (void)t->GenreID();
        for (int32_t i = 1; i <= t->FrameCount(); ++i) {
            const auto frame = t->GetFrameByIndex(i);
            (void)frame->TextData(), (void)frame->removeHeader(), (void)frame->createPicture();
        }
    }
    if (auto t = tag.ID3V24Tag()) {
        (void)t->GenreID();
        for (int32_t i = 1; i <= t->FrameCount(); ++i) {
            const auto frame = t->GetFrameByIndex(i);
            (void)frame->TextData(), (void)frame->removeHeader(), (void)frame->createPicture();
        }
    }
}

}  // namespace

TEST(ID3V2Corpus, PeersFilesLoadOrFailCleanly) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    // Files whose tag loads, with frame count (every frame, duplicates
    // included) and title; the others fail for the reasons given.
    const std::map<std::string, std::string> expected = {
        {"mutagen/97-unknown-23-update.mp3",
         "2.3 2 aaaaaaaaaaaaaaaaaaaaaaa vvvvvvvvvvvvvvvvveeeeeerrrrrrrrrrrrrrrryyyyyyyyyyyyy "
         "loooooooooooooooooooooooooooooonnnnnnggggggggggggg "
         "ttttttttttttttttiiiiiiiiiiiiiittttttttttllllllllllllllleeeeeeeeeeeeeeeeeee"},
        {"mutagen/apev2-lyricsv2.mp3", "2.4 7 A song   "},
        {"mutagen/bad-POPM-frame.mp3", "2.4 10 Emit and exude"},
        {"mutagen/bad-TYER-frame.mp3",
         "2.3 2 This track has an invalid TYER frame, that used to be able to break Mutagen"},
        {"mutagen/bad-xing.mp3", "2.3 11 09-28-2001"},
        {"mutagen/id3v1v2-combined.mp3", "2.4 9 cosmic american"},
        {"mutagen/id3v22-test.mp3", "2.2 10 cosmic american"},
        {"mutagen/id3v23_unsynch.id3", "2.3 5 My babe just cares for me"},
        // Bare tags: the tag is the whole file.
        {"mutagen/id3v24_extended_header.id3", "2.4 7 One Second of Silence"},
        // The extended-header flag is set but there is none: the frames start
        // right behind the header.
        {"mutagen/issue_21.id3", "2.4 8 Punk To Funk"},
        {"mutagen/silence-44-s.mp3", "2.3 9 Silence"},
        {"mutagen/too-short.mp3", "2.2 8 Track 10"},
        {"mutagen/vbri.mp3", "2.3 12 I Can Walk On Water I Can Fly"},
        // Frame sizes written as plain numbers instead of syncsafe ones.
        {"taglib/005411.id3", "2.4 9 Sunshine Superman"},
        {"taglib/ape-id3v2.mp3", "2.4 1 Title"},
        // Frames too short for their data length indicator are kept, empty.
        {"taglib/broken-tenc.id3", "2.4 12 Take On Me"},
        // Tags that run past the end of the file.
        {"taglib/compressed_id3_frame.mp3", "fail"},
        {"taglib/compressed_id3_frame_invalid.mp3", "fail"},
        {"taglib/excessive_alloc.mp3", "fail"},
        {"taglib/w000.mp3", "fail"},
        {"taglib/duplicate_id3v2.mp3", "2.3 10 TitleXXXX"},
        {"taglib/extended-header.mp3", "2.4 7 Druids"},
        {"taglib/id3v22-tda.mp3", "2.2 3 "},
        {"taglib/itunes10.mp3", "2.2 23 iTunes10MP3"},
        {"taglib/lame_cbr.mp3", "2.3 2 "},
        {"taglib/lame_vbr.mp3", "2.3 2 "},
        {"taglib/rare_frames.mp3", "2.4 7 "},
        {"taglib/toc_many_children.mp3", "2.4 130 "},
        {"taglib/unsynch.id3", "2.3 5 My babe just cares for me"},
        // A bare 28-byte tag with frame-level unsynchronisation.
        {"taglib/unsynch24.id3", "2.4 1 Hi"},
    };

    const std::filesystem::path root = test::CorpusPath("");
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = std::filesystem::relative(entry.path(), root).string();
        if (name == "MANIFEST.tsv" || name == "LICENSES.txt") continue;
        SCOPED_TRACE(name);
        ++files;
        const auto found = expected.find(name);
        EXPECT_EQ(ReadInternally(entry.path().string()), found == expected.end() ? "-" : found->second);

        FileHandler handler;
        if (!handler.Create(entry.path().string())) continue;
        if (const ID3V2TagPtr tag = handler.ID3V2Tag()) {
            TouchEverything(*tag);
            if (!tag->IsLoaded()) {
                EXPECT_EQ(tag->LastError()->Description(), "Unable to load this tag.");
            }
        }
    }
    EXPECT_EQ(files, 51);
}

TEST(ID3V2Corpus, BareTagsReadRightWhenAudioFollows) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    test::TempDir dir;
    auto withAudio = [&](const std::string& name) {
        const std::string path = dir.File("a.mp3");
        test::WriteFile(path, test::Concat({test::ReadFile(test::CorpusPath(name)), Bytes(200, 0x55)}));
        return ReadInternally(path);
    };
    // Frame-level unsynchronisation: the UTF-16 mark FF FE is stored FF 00 FE.
    EXPECT_EQ(withAudio("taglib/unsynch24.id3"), "2.4 1 Hi");
    // Extended headers with CRC data before the frames.
    EXPECT_EQ(withAudio("taglib/extended-header.mp3"), "2.4 7 Druids");
    const std::string ext = withAudio("mutagen/id3v24_extended_header.id3");
    EXPECT_EQ(ext.rfind("2.4 7 ", 0), 0u) << ext;
}

TEST(ID3V2Corpus, SameReadingWithAndWithoutId3lib) {
    if (!test::CorpusAvailable()) GTEST_SKIP() << "corpus not available";
    const std::filesystem::path root = test::CorpusPath("");
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "MANIFEST.tsv" && name != "LICENSES.txt") {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(test::ReadingDifferenceWithoutId3lib(paths), "");
}
