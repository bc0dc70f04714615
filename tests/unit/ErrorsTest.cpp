#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "errors/KorvelException.h"
#include "errors/LogWriter.h"
#include "errors/MessageHandler.h"
#include "errors/TagError.h"
#include "errors/cError.h"
#include "support/TestSupport.h"

using namespace korvel;

TEST(ErrorRecord, CopyErrorTakesLibraryFailureAndStreamJoinsFields) {
    cError record;
    EXPECT_EQ(record.Stream(), "0, , ");
    try {
        throw KorvelException("Create", "This is a ZIP-File");
    } catch (...) {
        EXPECT_TRUE(record.CopyError());
    }
    EXPECT_EQ(record.Number, -2147221504);
    EXPECT_EQ(record.Mode, 2);
    EXPECT_EQ(record.Stream(), "-2147221504, Create, This is a ZIP-File");

    // No failure: nothing changes.
    EXPECT_FALSE(record.CopyError(nullptr));
    EXPECT_EQ(record.Source, "Create");
}

TEST(ErrorRecord, PlatformFailuresKeepTheirNumberAndText) {
    cError record;
    try {
        throw std::system_error(ENOENT, std::generic_category(), "open");
    } catch (...) {
        record.CopyError();
    }
    EXPECT_EQ(record.Number, ENOENT);
    EXPECT_EQ(record.Description, std::generic_category().message(ENOENT));

    try {
        (void)std::filesystem::file_size("/definitely/not/here.mp3");
    } catch (...) {
        record.CopyError();
    }
    EXPECT_EQ(record.Number, ENOENT);
    EXPECT_EQ(record.Source, "File system");
    EXPECT_NE(record.Description.find("/definitely/not/here.mp3"), std::string::npos);
}

TEST(ErrorRecord, ShowBuildsTwoOrThreeLinesWithIconAndCaption) {
    test::MessageCapture capture;
    cError record;
    record.Set(0, "Read Tag", "The file contains no tag.");
    record.Show();
    EXPECT_EQ(capture.Last().text, "Read Tag\r\nThe file contains no tag.");
    EXPECT_EQ(capture.Last().icon, MessageIcon::Information);
    EXPECT_EQ(capture.Last().caption, "");

    record.Set(2, "Create", "This is a RAR-File", kLibraryErrorNumber);
    record.Show("Load");
    EXPECT_EQ(capture.Last().text, "-2147221504\r\nCreate\r\nThis is a RAR-File");
    EXPECT_EQ(capture.Last().icon, MessageIcon::Critical);
    EXPECT_EQ(capture.Last().caption, "Dravena : Load");

    record.Set(1, "Write Tag", "Tag unknown.");
    record.Show();
    EXPECT_EQ(capture.Last().icon, MessageIcon::Exclamation);
    record.Mode = 7;
    record.Show();
    EXPECT_EQ(capture.Last().icon, MessageIcon::Information);
    EXPECT_EQ(capture.messages.size(), 4u);
}

TEST(ErrorRecord, TagErrorViewsShowTheLatestContent) {
    auto record = std::make_shared<cError>();
    TagErrorPtr first = TagError::ViewOf(record);
    record->Set(1, "A", "first");
    TagErrorPtr second = TagError::ViewOf(record);
    record->Set(2, "B", "second", 5);
    EXPECT_EQ(first->Stream(), "5, B, second");
    EXPECT_EQ(second->Stream(), first->Stream());
    EXPECT_EQ(TagError().Stream(), "0, , ");
}

TEST(ErrorRecord, HistoryOperations) {
    cError inner;
    inner.Set(1, "Inner", "went wrong", 42);
    cError outer;
    EXPECT_FALSE(outer.CopyHistory(nullptr));
    EXPECT_TRUE(outer.CopyHistory(&inner, "Outer", "while saving"));
    EXPECT_EQ(outer.Source, "Outer");
    EXPECT_EQ(outer.Description, "while saving\r\n42, Inner, went wrong");
    EXPECT_EQ(outer.Mode, 1);
    EXPECT_EQ(outer.Number, 42);

    cError trail;
    trail.Set(2, "A", "d", 9);
    trail.CopyHistoryEx("B", "/");
    EXPECT_EQ(trail.Source, "B");
    EXPECT_EQ(trail.Description, "A/d");
    trail.CopyHistoryEx("C");
    EXPECT_EQ(trail.Description, "BA/d");
    EXPECT_EQ(trail.Number, 9);
    EXPECT_EQ(trail.Mode, 2);
}

TEST(LogWriterTest, AppendsStampedLinesAndReportsFailures) {
    test::TempDir dir;
    LogWriter log;
    EXPECT_FALSE(log.writeLog("nothing"));
    EXPECT_EQ(log.LastError()->Description.rfind("Es konnte nicht ins LogFile ''", 0), 0u);

    log.setFileName(dir.File("app.log"));
    ASSERT_TRUE(log.writeLog("first"));
    ASSERT_TRUE(log.writeLog("second"));
    Bytes content = test::ReadFile(dir.File("app.log"));
    std::string text(content.begin(), content.end());
    EXPECT_NE(text.find(" - first\r\n"), std::string::npos);
    EXPECT_NE(text.find(" - second\r\n"), std::string::npos);
    EXPECT_LT(text.find("first"), text.find("second"));

    log.setFileName(dir.File("missing-folder/app.log"));
    EXPECT_FALSE(log.writeLog("x"));
    EXPECT_EQ(log.LastError()->Mode, 2);
}
