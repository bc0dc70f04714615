#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <ctime>
#include <filesystem>
#include <regex>
#include <system_error>

#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "errors/KorvelException.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
using test::Concat;

namespace {

// Audio, a version 2.00 Lyrics3 tag with one title field, and an ID3v1 tag.
Bytes WithLyrics(const std::string& title) {
    return Concat({test::FakeAudio(600), test::Lyrics3Tag(test::Lyrics3Field("ETT", title)),
                   test::ID3v1Record("Song", "", "", "", "", 0, 17)});
}

std::vector<std::string> Names(pugi::xml_node properties) {
    std::vector<std::string> names;
    for (pugi::xml_node p : properties.children("Property")) names.push_back(p.attribute("Name").value());
    return names;
}

}  // namespace

TEST(FileHandlerLyrics, LoadedOncePerFileNameAndRetriedAfterAFailure) {
    test::TempDir dir;
    const std::string first = dir.File("first.mp3");
    test::WriteFile(first, WithLyrics("One"));
    FileHandler file;
    ASSERT_TRUE(file.Create(first));
    const LyricsTagPtr held = file.LyricsTag();
    EXPECT_TRUE(file.HasLyricsTag());
    EXPECT_EQ(held->Title(), "One");

    // The tag is not read again for the same name: a changed file shows no
    // change, not after another Create either.
    test::WriteFile(first, WithLyrics("Two"));
    EXPECT_TRUE(file.HasLyricsTag());
    EXPECT_EQ(file.LyricsTag()->Title(), "One");
    ASSERT_TRUE(file.Create(first));
    EXPECT_EQ(file.LyricsTag()->Title(), "One");
    EXPECT_EQ(file.LyricsTag(), held);  // one object for the handler's life

    // A new name loads into the same object.
    const std::string plain = dir.File("plain.mp3");
    test::WriteFile(plain, Concat({test::FakeAudio(600), test::ID3v1Record("x", "", "", "", "", 0, 17)}));
    ASSERT_TRUE(file.Create(plain));
    EXPECT_FALSE(file.HasLyricsTag());
    EXPECT_EQ(held->Version(), lvcUnknown);
    EXPECT_EQ(held->FieldCount(), 0);

    // A malformed tag raises on every call until the file is mended.
    const std::string broken = dir.File("broken.mp3");
    test::WriteFile(broken, Concat({test::FakeAudio(600), B("LYRICSBEGINETT00005Hello0x0024LYRICS200"), test::ID3v1Record("x", "", "", "", "", 0, 17)}));
    ASSERT_TRUE(file.Create(broken));
    EXPECT_THROW(file.HasLyricsTag(), KorvelException);
    try {
        file.LyricsTag();
        ADD_FAILURE() << "no failure raised";
    } catch (const KorvelException& e) {
        EXPECT_EQ(e.Source(), "LyricsTag::Load");
        EXPECT_EQ(e.Number(), kLibraryErrorNumber);
    }
    test::WriteFile(broken, WithLyrics("Mended"));
    EXPECT_TRUE(file.HasLyricsTag());
    EXPECT_EQ(file.LyricsTag()->Title(), "Mended");
}

TEST(FileHandlerLyrics, ReportRowsAndFailures) {
    test::TempDir dir;
    FileHandler file;
    test::WriteFile(dir.File("a.mp3"), WithLyrics("Hello"));
    ASSERT_TRUE(file.Create(dir.File("a.mp3")));
    std::vector<cError> failures;
    std::vector<AttributeRow> rows = AttributeRows(file, &failures);
    EXPECT_TRUE(failures.empty());
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[rows.size() - 2].Attribute, "Lyrics:Version");
    EXPECT_EQ(rows[rows.size() - 2].Value, "2");
    EXPECT_EQ(rows.back().Attribute, "Lyrics:ETT");
    EXPECT_EQ(rows.back().Value, "Hello");

    // A broken tag leaves its rows out and hands its failure over; the ID3v1
    // rows stay.
    test::WriteFile(dir.File("b.mp3"),
                    Concat({test::FakeAudio(600), B("LYRICSBEGINETT00009Hello000024LYRICS200"), test::ID3v1Record("Song", "", "", "", "", 0, 17)}));
    ASSERT_TRUE(file.Create(dir.File("b.mp3")));
    rows = AttributeRows(file, &failures);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].Source, "LyricsTag::Load");
    EXPECT_EQ(failures[0].Number, kLibraryErrorNumber);
    EXPECT_EQ(failures[0].Mode, 2);
    EXPECT_FALSE(rows.empty());
    for (const AttributeRow& row : rows) EXPECT_EQ(row.Attribute.rfind("Lyrics", 0), std::string::npos);
    EXPECT_EQ(rows.front().Attribute, "ID3v1xTag.Version");
    EXPECT_NO_THROW(AttributeRows(file));
}

TEST(FileHandlerFacts, PathAndFolder) {
    FileHandler file;
    struct Case {
        const char* name;
        const char* path;
    };
    for (const Case& c : {Case{"/music/rock/a.mp3", "music/rock/"}, Case{"/a.mp3", ""}, Case{"a.mp3", ""},
                          Case{"rock/a.mp3", "rock/"}, Case{"", ""}, Case{"/music/", "music/"}}) {
        file.SetFileName(c.name);
        EXPECT_EQ(file.Path(), c.path) << c.name;
        EXPECT_EQ(file.DriveName(), "");
    }
    EXPECT_EQ(FileHandler::FolderOfPath("/music/rock/a.mp3"), "/music/rock/");
    EXPECT_EQ(FileHandler::FolderOfPath("a.mp3"), "");
    EXPECT_EQ(FileHandler::FolderOfPath("/a.mp3"), "/");
}

TEST(FileHandlerFacts, FileAndDriveAgreeWithTheFileSystem) {
    test::TempDir dir;
    const std::string path = dir.File("Song.MP3");
    test::WriteFile(path, test::FakeAudio(1234));
    FileHandler file;
    file.SetFileName(path);

    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    const FileInfoPtr info = file.File();
    EXPECT_EQ(info->Name(), "Song.MP3");
    EXPECT_EQ(info->Path(), path);
    EXPECT_EQ(info->Size(), 1234);
    EXPECT_EQ(info->TypeName(), "MP3 audio file");
    EXPECT_EQ(std::chrono::system_clock::to_time_t(info->DateLastModified()), st.st_mtim.tv_sec);
    EXPECT_EQ(std::chrono::system_clock::to_time_t(info->DateLastAccessed()), st.st_atim.tv_sec);
    if (!info->HasCreationTime()) {
        EXPECT_EQ(info->DateCreated(), info->DateLastModified());
    }
    EXPECT_LE(info->DateCreated(), info->DateLastModified() + std::chrono::seconds(1));

    struct statvfs vfs {};
    ASSERT_EQ(::statvfs(path.c_str(), &vfs), 0);
    const DriveInfoPtr drive = file.Drive();
    EXPECT_EQ(drive->TotalSize(), static_cast<int64_t>(vfs.f_blocks * vfs.f_frsize));
    EXPECT_EQ(drive->SerialNumber(), static_cast<uint64_t>(vfs.f_fsid));
    EXPECT_LE(drive->AvailableSpace(), drive->FreeSpace());
    EXPECT_LE(drive->FreeSpace(), drive->TotalSize());
    EXPECT_FALSE(drive->FileSystem().empty());
    EXPECT_EQ(drive->DriveLetter(), "");
    const std::string canonical = std::filesystem::canonical(path).string();
    EXPECT_EQ(canonical.rfind(drive->Path() == "/" ? "/" : drive->Path() + "/", 0), 0u) << drive->Path();
    EXPECT_EQ(drive->RootFolder().back(), '/');
    if (drive->FileSystem() == "tmpfs") {
        EXPECT_EQ(drive->DriveType(), DriveInfo::RamDisk);
    } else if (drive->FileSystem() == "ext4") {
        EXPECT_TRUE(drive->DriveType() == DriveInfo::Fixed || drive->DriveType() == DriveInfo::Removable);
    }
    EXPECT_EQ(drive->ShareName(), "");

    // Missing files fail to the caller; the drive of a missing file is still known.
    file.SetFileName(dir.File("missing.mp3"));
    try {
        file.File();
        ADD_FAILURE() << "no failure raised";
    } catch (const std::system_error& e) {
        EXPECT_EQ(e.code().value(), ENOENT);
    }
    EXPECT_EQ(file.Drive()->Path(), drive->Path());
    file.SetFileName("");
    EXPECT_THROW(file.File(), std::system_error);

    EXPECT_EQ(FileInfo::TypeNameOf("a.mp2"), "MP2 audio file");
    EXPECT_EQ(FileInfo::TypeNameOf("/x/b.Wav"), "WAV file");
    EXPECT_EQ(FileInfo::TypeNameOf("/x.d/README"), "File");
}

TEST(FileHandlerFacts, DatesAsDayMonthYear) {
    std::tm local{};
    local.tm_year = 2004 - 1900;
    local.tm_mon = 2;  // March
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 3;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    EXPECT_EQ(FormatDateTime(std::chrono::system_clock::from_time_t(t)), "07/03/2004 09:05:03");
}

TEST(FileHandlerXml, DocumentShape) {
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    test::WriteFile(path, WithLyrics("Hello"));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    const std::string text = file.xml();

    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_declaration | pugi::parse_comments));
    pugi::xml_node first = doc.first_child();
    ASSERT_EQ(first.type(), pugi::node_declaration);
    EXPECT_STREQ(first.attribute("version").value(), "1.0");
    EXPECT_STREQ(first.attribute("encoding").value(), "UTF-8");
    EXPECT_EQ(first.next_sibling().type(), pugi::node_comment);
    EXPECT_STREQ(first.next_sibling().value(), "FileHandler");
    pugi::xml_node importData = doc.child("ImportData");
    ASSERT_TRUE(importData);

    EXPECT_EQ(Names(importData.child("Drive").child("Properties")),
              (std::vector<std::string>{"DriveType", "VolumeName", "AvailableSpace", "DriveLetter", "FileSystem",
                                        "FreeSpace", "Path", "RootFolder", "SerialNumber", "ShareName",
                                        "TotalSize"}));
    pugi::xml_node fileNode = importData.child("Files").child("File");
    pugi::xml_node properties = fileNode.child("Properties");
    EXPECT_EQ(Names(properties),
              (std::vector<std::string>{"DateCreated", "DateLastAccessed", "DateLastModified", "Name", "Size",
                                        "TypeName", "DriveLetter", "Path", "FullPath", "Type"}));
    const std::regex date(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
    for (const char* name : {"DateCreated", "DateLastAccessed", "DateLastModified"}) {
        pugi::xml_node p = properties.find_child_by_attribute("Property", "Name", name);
        EXPECT_STREQ(p.attribute("ID").value(), "dd/mm/yyyy hh:mm:ss");
        EXPECT_TRUE(std::regex_match(p.attribute("Value").value(), date)) << p.attribute("Value").value();
    }
    auto value = [&](const char* name) {
        return std::string(properties.find_child_by_attribute("Property", "Name", name).attribute("Value").value());
    };
    EXPECT_EQ(value("Name"), "a.mp3");
    EXPECT_EQ(value("Size"), std::to_string(std::filesystem::file_size(path)));
    EXPECT_EQ(value("Path"), file.Path());
    EXPECT_EQ(value("FullPath"), file.Path() + "a.mp3");
    EXPECT_EQ("/" + value("FullPath"), path);
    pugi::xml_node type = properties.find_child_by_attribute("Property", "Name", "Type");
    EXPECT_STREQ(type.attribute("ID").value(), "1");
    EXPECT_STREQ(type.attribute("Value").value(), "MP3");

    std::vector<std::string> parts;
    for (pugi::xml_node child : fileNode.children()) parts.push_back(child.name());
    EXPECT_EQ(parts, (std::vector<std::string>{"Properties", "MPEGHeader", "ID3V1Tag", "ID3V2Tag", "LyricsTag"}));
    EXPECT_STREQ(fileNode.select_node("./ID3V1Tag/Properties/Property[@Name = 'Genre']").node().attribute("Value").value(),
                 "Rock");
    EXPECT_STREQ(fileNode.select_node("./LyricsTag/Properties/Property[@Name = 'Title']").node().attribute("Value").value(),
                 "Hello");
    EXPECT_TRUE(fileNode.child("ID3V2Tag").child("Properties"));
    EXPECT_EQ(Names(fileNode.child("MPEGHeader").child("Properties")).size(), 18u);
    EXPECT_EQ(Names(fileNode.child("ID3V1Tag").child("Properties")).size(), 7u);

    // A broken Lyrics3 tag fails the whole description.
    test::WriteFile(dir.File("b.mp3"), Concat({test::FakeAudio(600), B("LYRICSBEGIN000001LYRICS200")}));
    ASSERT_TRUE(file.Create(dir.File("b.mp3")));
    EXPECT_THROW(file.xml(), KorvelException);
}
