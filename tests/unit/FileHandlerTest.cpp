#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "file/FileHandler.h"
#include "core/FileRoutines.h"
#include "core/Picture.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;
using test::Concat;

TEST(FileHandlerCreate, RefusesArchivesWithTheirRecords) {
    test::TempDir dir;
    test::WriteFile(dir.File("a.zip"), Concat({B("PK\x03\x04", 4), test::FakeAudio(500)}));
    FileHandler file;
    EXPECT_FALSE(file.Create(dir.File("a.zip")));
    EXPECT_EQ(file.FileType(), 2);
    EXPECT_EQ(file.FileTypeName(), "ZIP");
    EXPECT_EQ(file.LastError()->Stream(), "-2147221504, Create, This is a ZIP-File");

    test::WriteFile(dir.File("a.rar"), Concat({B("Rar!\x1A\x07\x00", 7), test::FakeAudio(500)}));
    EXPECT_FALSE(file.Create(dir.File("a.rar")));
    EXPECT_EQ(file.FileType(), 3);
    EXPECT_EQ(file.FileTypeName(), "RAR");
    EXPECT_EQ(file.LastError()->Stream(), "-2147221504, Create, This is a RAR-File");
}

TEST(FileHandlerCreate, ShortFilesAndFilesWithoutTag) {
    test::TempDir dir;
    FileHandler file;
    EXPECT_EQ(file.FileType(), 0);
    EXPECT_EQ(file.FileTypeName(), "Unknown");

    test::WriteFile(dir.File("127.mp3"), test::FakeAudio(127));
    EXPECT_FALSE(file.Create(dir.File("127.mp3")));
    EXPECT_EQ(file.LastError()->Stream(), "62, File read, Input past end of file");

    // Exactly 128 bytes are read on Create (but readTag and HasTag need more).
    test::WriteFile(dir.File("128.mp3"), test::ID3v1Record("Only", "", "", "", "", 0));
    ASSERT_TRUE(file.Create(dir.File("128.mp3")));
    EXPECT_TRUE(file.HasID3V1Tag());
    EXPECT_EQ(file.ID3v1xTag()->Title(), "Only");
    EXPECT_FALSE(file.HasTag());
    EXPECT_EQ(file.readTag(), ID3Unknown);

    test::WriteFile(dir.File("none.mp3"), test::FakeAudio(1000));
    ASSERT_TRUE(file.Create(dir.File("none.mp3")));
    EXPECT_EQ(file.FileType(), 1);
    EXPECT_EQ(file.FileTypeName(), "MP3");
    EXPECT_FALSE(file.HasID3V1Tag());
    EXPECT_EQ(file.LastError()->Mode(), 0);
    EXPECT_EQ(file.LastError()->Source(), "Read Tag");
    EXPECT_EQ(file.LastError()->Description(), "The file contains no tag.");

    EXPECT_FALSE(file.Create(dir.File("missing.mp3")));
    EXPECT_EQ(file.LastError()->Mode(), 2);
    EXPECT_EQ(file.LastError()->Number(), ENOENT);
}

TEST(FileHandlerCreate, ReadsTagAndReReadsIt) {
    test::TempDir dir;
    std::string path = dir.File("t.mp3");
    test::WriteFile(path, Concat({test::FakeAudio(1000), test::ID3v1Record("Song", "", "", "", "", 9)}));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    ID3V1TagPtr first = file.ID3v1xTag();
    EXPECT_EQ(first->Title(), "Song");
    EXPECT_EQ(file.readTag(), ID3V11);
    EXPECT_TRUE(file.HasID3V1Tag());
    EXPECT_EQ(file.ID3v1xTag(), first);  // readTag fills the held object
    ASSERT_TRUE(file.Create(path));
    EXPECT_NE(file.ID3v1xTag(), first);  // Create starts a new one

    std::filesystem::remove(path);
    EXPECT_EQ(file.readTag(), ID3Unknown);
    EXPECT_EQ(file.LastError()->Stream(), "0, Read Tag, File does not exist.");
}

TEST(FileHandlerWrite, AppendsThenReplacesTheRecord) {
    test::TempDir dir;
    std::string path = dir.File("w.mp3");
    Bytes audio = test::FakeAudio(1000);
    test::WriteFile(path, audio);
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    ID3V1TagPtr tag = file.ID3v1xTag();
    tag->setTitle("One");
    tag->setTagType(ID3v1);
    ASSERT_TRUE(file.writeID3v1xTag());
    EXPECT_EQ(test::ReadFile(path).size(), 1128u);

    tag->setTitle("Two");
    tag->setTrack(5);
    tag->setTagType(ID3V11);
    ASSERT_TRUE(file.writeID3v1xTag());
    Bytes written = test::ReadFile(path);
    ASSERT_EQ(written.size(), 1128u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 1000), audio);
    EXPECT_EQ(written[1128 - 128 + 3], 'T');
    EXPECT_EQ(written[1128 - 3], 0);  // byte 125 of the record
    EXPECT_EQ(written[1128 - 2], 5);  // byte 126

    FileHandler again;
    ASSERT_TRUE(again.Create(path));
    EXPECT_EQ(again.ID3v1xTag()->Title(), "Two");
    EXPECT_EQ(again.ID3v1xTag()->Track(), 5);
}

TEST(FileHandlerWrite, PreconditionsAndFailures) {
    test::TempDir dir;
    FileHandler fresh;
    EXPECT_FALSE(fresh.writeID3v1xTag());
    EXPECT_EQ(fresh.LastError()->Stream(), "0, Write Tag, Tag unknown.");
    EXPECT_EQ(fresh.LastError()->Mode(), 1);

    std::string path = dir.File("w.mp3");
    test::WriteFile(path, test::FakeAudio(300));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    auto tag = std::make_shared<ID3V1Tag>();
    tag->setTagType(ID3V11);
    tag->setTrack(300);
    file.setID3v1xTag(tag);
    EXPECT_EQ(file.ID3v1xTag(), tag);
    EXPECT_FALSE(file.writeID3v1xTag());
    EXPECT_EQ(file.LastError()->Mode(), 2);
    EXPECT_EQ(test::ReadFile(path).size(), 300u);

    tag->setTrack(1);
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(file.writeID3v1xTag());
    EXPECT_EQ(file.LastError()->Number(), EACCES);
    EXPECT_EQ(test::ReadFile(path).size(), 300u);

    std::filesystem::remove(path);
    EXPECT_FALSE(file.writeID3v1xTag());
    EXPECT_EQ(file.LastError()->Stream(), "0, Write Tag, File does not exist.");
}

TEST(FileHandlerWrite, FailedWritesLeaveTheFileAndNoTemporaryFile) {
    test::TempDir dir;
    std::string path = dir.File("w.mp3");
    Bytes original = Concat({test::FakeAudio(300000), test::ID3v1Record("Kept", "", "", "", "", 1)});
    test::WriteFile(path, original);
    ::chmod(path.c_str(), 0640);
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    file.ID3v1xTag()->setTitle("New");

    // The disk fills up during the copy (one piece: the kernel copies
    // megabytes at a time), or just before the record.
    for (int failingWrite : {1, 2}) {
        int writes = 0;
        ReplacementFile::SetFaultHook([&](const std::string& step) {
            if (step == "write" && ++writes == failingWrite) {
                throw std::system_error(ENOSPC, std::generic_category(), "write");
            }
        });
        EXPECT_FALSE(file.writeID3v1xTag()) << failingWrite;
        ReplacementFile::SetFaultHook(nullptr);
        EXPECT_EQ(file.LastError()->Number(), ENOSPC);
        EXPECT_EQ(test::ReadFile(path), original);
        EXPECT_EQ(dir.List(), std::vector<std::string>{"w.mp3"});
    }
    ReplacementFile::SetFaultHook([](const std::string& step) {
        if (step == "rename") throw std::system_error(EXDEV, std::generic_category(), "rename");
    });
    EXPECT_FALSE(file.writeID3v1xTag());
    ReplacementFile::SetFaultHook(nullptr);
    EXPECT_EQ(file.LastError()->Number(), EXDEV);
    EXPECT_EQ(test::ReadFile(path), original);

    // A folder without write permission (also for root).
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_FALSE(file.writeID3v1xTag());
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(file.LastError()->Number(), EACCES);
    EXPECT_EQ(test::ReadFile(path), original);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"w.mp3"});

    // The file that replaces the original keeps its permission bits.
    ASSERT_TRUE(file.writeID3v1xTag());
    Bytes written = test::ReadFile(path);
    ASSERT_EQ(written.size(), original.size());
    EXPECT_TRUE(std::equal(original.begin(), original.end() - 128, written.begin()));
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"w.mp3"});
}

TEST(FileHandlerWrite, ExactlyTagSizedFileGetsASecondRecord) {
    test::TempDir dir;
    std::string path = dir.File("128.mp3");
    test::WriteFile(path, test::ID3v1Record("Only", "", "", "", "", 0));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.writeID3v1xTag());
    EXPECT_EQ(test::ReadFile(path).size(), 256u);

    test::WriteFile(path, test::ID3v1Record("Only", "", "", "", "", 0));
    EXPECT_FALSE(file.removeID3V1xTag());
    EXPECT_EQ(file.LastError()->Stream(), "0, RemoveTag, The file has no ID3v1x tag.");
}

TEST(FileHandlerRemove, CutsExactlyTheRecordAndKeepsTheHeldTag) {
    test::TempDir dir;
    std::string path = dir.File("r.mp3");
    Bytes audio = test::FakeAudio(5000);
    test::WriteFile(path, Concat({audio, test::ID3v1Record("Gone", "", "", "", "", 3)}));
    ::chmod(path.c_str(), 0640);
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    ASSERT_TRUE(file.removeID3V1xTag());
    EXPECT_EQ(test::ReadFile(path), audio);
    EXPECT_EQ(file.ID3v1xTag()->Title(), "Gone");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"r.mp3"});

    EXPECT_FALSE(file.removeID3V1xTag());
    EXPECT_EQ(file.LastError()->Source(), "RemoveTag");
}

TEST(FileHandlerRemove, FailingRenameLeavesTheOriginalAndNoTempFile) {
    test::TempDir dir;
    std::string path = dir.File("r.mp3");
    Bytes original = Concat({test::FakeAudio(300000), test::ID3v1Record("Kept", "", "", "", "", 1)});
    test::WriteFile(path, original);
    ReplacementFile::SetFaultHook([](const std::string& step) {
        if (step == "rename") throw std::system_error(EXDEV, std::generic_category(), "rename");
    });
    FileHandler file;
    file.SetFileName(path);
    EXPECT_FALSE(file.removeID3V1xTag());
    ReplacementFile::SetFaultHook(nullptr);
    EXPECT_EQ(file.LastError()->Number(), EXDEV);
    EXPECT_EQ(file.LastError()->Source(), "CutFileBytes()");
    EXPECT_EQ(test::ReadFile(path), original);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"r.mp3"});

    // A full disk during the copy.
    ReplacementFile::SetFaultHook([&](const std::string& step) {
        if (step == "write") throw std::system_error(ENOSPC, std::generic_category(), "write");
    });
    EXPECT_FALSE(file.removeID3V1xTag());
    ReplacementFile::SetFaultHook(nullptr);
    EXPECT_EQ(file.LastError()->Source(), "FileCopy");
    EXPECT_EQ(test::ReadFile(path), original);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"r.mp3"});
}

TEST(FileHandlerRemove, ReadOnlyFileOrFolderIsRefused) {
    test::TempDir dir;
    std::string path = dir.File("r.mp3");
    Bytes original = Concat({test::FakeAudio(1000), test::ID3v1Record("Kept", "", "", "", "", 1)});
    test::WriteFile(path, original);
    ::chmod(path.c_str(), 0444);
    FileHandler file;
    file.SetFileName(path);
    EXPECT_FALSE(file.removeID3V1xTag());
    EXPECT_EQ(file.LastError()->Number(), EACCES);
    EXPECT_EQ(test::ReadFile(path), original);

    ::chmod(path.c_str(), 0644);
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_FALSE(file.removeID3V1xTag());
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(file.LastError()->Number(), EACCES);
    EXPECT_EQ(test::ReadFile(path), original);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"r.mp3"});
}

TEST(FileRoutinesTest, FileCopyChunksCutsAndAppends) {
    test::TempDir dir;
    FileRoutines routines;
    Bytes source = test::FakeAudio(300000);
    test::WriteFile(dir.File("src"), source);
    routines.FileCopy(dir.File("src"), dir.File("dst"), false, 128);
    EXPECT_EQ(test::ReadFile(dir.File("dst")), Bytes(source.begin(), source.end() - 128));

    routines.FileCopy(dir.File("src"), dir.File("dst"), true, 300000);
    EXPECT_TRUE(test::ReadFile(dir.File("dst")).empty());
    routines.FileCopy(dir.File("src"), dir.File("dst"), true, 400000);
    EXPECT_TRUE(test::ReadFile(dir.File("dst")).empty());

    test::WriteFile(dir.File("ten"), test::FakeAudio(10));
    routines.FileCopy(dir.File("src"), dir.File("ten"), false, 0, true);
    EXPECT_EQ(test::ReadFile(dir.File("ten")), Concat({test::FakeAudio(10), source}));

    try {
        routines.FileCopy(dir.File("src"), dir.File("dst"));
        FAIL();
    } catch (const KorvelException& e) {
        EXPECT_EQ(e.Number(), kLibraryErrorNumber);
        EXPECT_EQ(e.Source(), "FileCopy");
        EXPECT_EQ(e.Description(), "FileCopy - Destination file already exists.");
    }
    try {
        routines.FileCopy(dir.File("nothing"), dir.File("new"));
        FAIL();
    } catch (const KorvelException& e) {
        EXPECT_EQ(e.Source(), "FileCopy");
        EXPECT_EQ(e.Description(), "File check - Source file does not exist.");
    }
}

TEST(FileRoutinesTest, TempFilesAndExtensions) {
    test::TempDir dir;
    FileRoutines routines;
    EXPECT_EQ(routines.ChangeExtension("/m/a.mp3", "tmp"), "/m/a.tmp");
    EXPECT_EQ(routines.ChangeExtension("/m/a", "tmp"), "/m/atmp");
    EXPECT_EQ(routines.ChangeExtension("/m.d/a", "tmp"), "/m.d/atmp");
    EXPECT_EQ(routines.LastError(), "");

    std::string mp3 = routines.CreateTempFile(dir.Path().string(), "mp3");
    EXPECT_EQ(FileRoutines::GetExtensionName(mp3), "mp3");
    EXPECT_EQ(FileRoutines::GetFileName(mp3).rfind("tmp", 0), 0u);
    EXPECT_EQ(dir.List().size(), 2u);  // the .mp3 and its .tmp companion
    routines.DeleteTempFile(mp3);
    EXPECT_TRUE(dir.List().empty());

    std::string tmp = routines.CreateTempFile(dir.Path().string(), "tmp");
    ::chmod(tmp.c_str(), 0444);
    EXPECT_THROW(routines.DeleteTempFile(tmp), KorvelException);
    routines.DeleteTempFile(tmp, true);
    EXPECT_TRUE(dir.List().empty());
    try {
        routines.DeleteTempFile(tmp, true);
        FAIL();
    } catch (const KorvelException& e) {
        EXPECT_EQ(e.Source(), "FileRoutines::DeleteTempFile");
        EXPECT_EQ(e.Number(), ENOENT);
    }
    try {
        routines.CreateTempFile(dir.File("no-such-folder"));
        FAIL();
    } catch (const KorvelException& e) {
        EXPECT_EQ(e.Source(), "FileRoutines::CreateTempFileName()");
        EXPECT_EQ(e.Description(),
                  "API Call 'GetTmpFileName' failed. Path = '" + dir.File("no-such-folder") + "'.");
    }
}

TEST(FileRoutinesTest, CutFileBytesLeavesNoTempFiles) {
    test::TempDir dir;
    Bytes content = test::FakeAudio(1128);
    test::WriteFile(dir.File("c.mp3"), content);
    FileRoutines().CutFileBytes(dir.File("c.mp3"), 128);
    EXPECT_EQ(test::ReadFile(dir.File("c.mp3")), Bytes(content.begin(), content.begin() + 1000));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"c.mp3"});
}

TEST(ReplacementFileTest, PictureFilesAreReplacedWholeAndNewOnesGetTheUmaskBits) {
    test::TempDir dir;
    std::string path = dir.File("cover.jpg");
    PicturePtr picture = PictureObject::FromBytes(Concat({B("\xFF\xD8\xFF\xE0", 4), test::FakeAudio(200000)}));
    ASSERT_TRUE(picture);

    // A new file: the bits the process's umask leaves, not mkstemp's 0600.
    mode_t old = ::umask(027);
    picture->SaveToFile(path);
    ::umask(old);
    EXPECT_EQ(test::ReadFile(path), picture->Data());
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // An existing file keeps its content when the write fails, and its bits
    // when it succeeds.
    Bytes previous = B("previous picture");
    test::WriteFile(path, previous);
    ::chmod(path.c_str(), 0604);
    ReplacementFile::SetFaultHook([](const std::string& step) {
        if (step == "write") throw std::system_error(ENOSPC, std::generic_category(), "write");
    });
    EXPECT_THROW(picture->SaveToFile(path), std::system_error);
    ReplacementFile::SetFaultHook(nullptr);
    EXPECT_EQ(test::ReadFile(path), previous);
    EXPECT_EQ(dir.List(), std::vector<std::string>{"cover.jpg"});
    picture->SaveToFile(path);
    EXPECT_EQ(test::ReadFile(path), picture->Data());
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
}

TEST(FileHandlerWrite, SavesThroughASymbolicLinkReachTheLinkedFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("store"));
    std::string real = dir.File("store/real.mp3");
    std::string link = dir.File("link.mp3");
    test::WriteFile(real, test::FakeAudio(1000));
    std::filesystem::create_symlink("store/real.mp3", link);

    FileHandler file;
    ASSERT_TRUE(file.Create(link));
    file.ID3v1xTag()->setTitle("Linked");
    file.ID3v1xTag()->setTagType(ID3v1);
    ASSERT_TRUE(file.writeID3v1xTag());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(real).size(), 1128u);
    ASSERT_TRUE(file.removeID3V1xTag());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(real), test::FakeAudio(1000));
    // The temporary files lived beside the real file and are gone.
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"link.mp3", "store"}));
}
