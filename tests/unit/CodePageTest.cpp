#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <thread>

#include "core/CodePage.h"
#include "core/CodePageDetection.h"
#include "file/FileHandler.h"
#include "support/LegacyText.h"
#include "support/TestSupport.h"

using namespace korvel;
using test::B;

TEST(CodePage, NamesAreCaseInsensitiveAndCanonical) {
    EXPECT_TRUE(CodePage().IsDefault());
    EXPECT_TRUE(CodePage::Named("WINDOWS-1252")->IsDefault());
    EXPECT_TRUE(CodePage::Named("cp1252")->IsDefault());
    EXPECT_EQ(CodePage::Named("CP1251")->Name(), "windows-1251");
    EXPECT_EQ(CodePage::Named("KOI8-R")->Name(), "koi8-r");
    EXPECT_EQ(CodePage::Named("SJIS")->Name(), "shift_jis");
    EXPECT_EQ(*CodePage::Named("Big5"), *CodePage::Named("BIG5"));
    // Unknown names, option suffixes and character sets in which ASCII is
    // not ASCII are no code pages.
    for (const char* name : {"", "auto", "no-such-page", "UTF-16", "UCS-4", "EBCDIC-US", "cp1251//TRANSLIT"}) {
        EXPECT_FALSE(CodePage::Named(name)) << name;
    }
    EXPECT_TRUE(CodePageChoice::Named("AUTO")->IsAutomatic());
    EXPECT_EQ(CodePageChoice::Named("auto")->Name(), "auto");
    EXPECT_EQ(CodePageChoice::Named("gbk")->Name(), "gbk");
    EXPECT_TRUE(CodePageChoice().IsDefault());
    EXPECT_FALSE(CodePageChoice::Automatic().IsDefault());
    EXPECT_FALSE(CodePageChoice::Named("bogus"));
}

TEST(CodePage, DecodesZeroUndefinedAndCutBytes) {
    const CodePage greek = *CodePage::Named("windows-1253");
    EXPECT_EQ(greek.Decode(std::string("\xC1\0\xAA" "b", 4)), std::string("\u0391\0\uFFFDb", 7));
    const CodePage japanese = *CodePage::Named("shift_jis");
    // Backslash and tilde stay ASCII, as Windows writes Shift_JIS.
    EXPECT_EQ(japanese.Decode("\x93\x8C\x8B\x9E\\~"), "\u6771\u4EAC\\~");
    EXPECT_EQ(japanese.Decode("a\x93"), "a\uFFFD");
    EXPECT_EQ(japanese.Decode("\x93 b"), "\uFFFD b");
    // Windows-1252 keeps its table: undefined bytes are the C1 controls.
    EXPECT_EQ(CodePage().Decode("\x81\x80\xE9"), "\u0081\u20AC\u00E9");
}

TEST(CodePage, EncodesWholeCharactersAndCountsQuestionMarks) {
    const CodePage cyrillic = *CodePage::Named("windows-1251");
    size_t missing = 0;
    EXPECT_EQ(cyrillic.Encode("\u041A\u0438\u043D\u043E \u00DF\u20AC", &missing), B("\xCA\xE8\xED\xEE ?\x88"));
    EXPECT_EQ(missing, 1u);
    EXPECT_TRUE(cyrillic.CanEncode("\u041A\u0438\u043D\u043E"));
    EXPECT_FALSE(cyrillic.CanEncode("\u6771"));

    // A field never ends in half a character; what is cut off is not counted.
    const CodePage chinese = *CodePage::Named("gbk");
    missing = 0;
    EXPECT_EQ(chinese.EncodeField("\u738B\U0001F600\u83F2", 3, &missing), B("\xCD\xF5?"));
    EXPECT_EQ(chinese.EncodeField("\u738B\u83F2\U0001F600", 3, &missing), B("\xCD\xF5"));
    EXPECT_EQ(missing, 1u);
    EXPECT_EQ(CodePage().EncodeField("Caf\u00E9 au lait \u0416", 4, &missing), B("Caf\xE9"));
    EXPECT_EQ(missing, 1u);
}

TEST(CodePage, CopiesShareOneConverterAcrossThreads) {
    const CodePage page = *CodePage::Named("koi8-r");
    const std::string text = "\u0410\u043B\u0438\u0441\u0430 \u0422\u0440\u0430\u0441\u0441\u0430";
    const Bytes bytes = page.Encode(text);
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t, copy = page] {
            for (int i = 0; i < 2000; ++i) {
                if (copy.Decode(bytes) != text || copy.Encode(text) != bytes) ++wrong[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(CodePageDetection, KeepsWindows1252UnlessAnotherPageReadsBetter) {
    EXPECT_TRUE(DetectCodePage({"Plain ASCII", "Title"}).IsDefault());
    EXPECT_TRUE(DetectCodePage({}).IsDefault());
    const std::string kino = "\xCA\xE8\xED\xEE";  // "Kino" in Windows-1251
    EXPECT_EQ(ChooseCodePage({kino}, {"WINDOWS-1251"}).Name(), "windows-1251");
    // A guess whose reading is no text counts for nothing; Cyrillic and Greek
    // read the four letters equally well, so nothing singles one out.
    EXPECT_TRUE(ChooseCodePage({kino}, {"ISO-8859-2"}).IsDefault());
    // Latin text that reads well stays in a Latin page whatever the guess.
    EXPECT_TRUE(ChooseCodePage({"Je t'aime \xE0 la folie"}, {"WINDOWS-1251"}).IsDefault());
}

TEST(FileHandlerCodePage, ReadsAndWritesID3v1InTheChosenCodePage) {
    test::TempDir dir;
    const std::string path = dir.File("song.mp3");
    test::WriteFile(path, Bytes(1000, 0x55));
    const CodePage cyrillic = *CodePage::Named("windows-1251");
    const std::string title = "\u0413\u0440\u0443\u043F\u043F\u0430 \u043A\u0440\u043E\u0432\u0438";

    // Without a choice of its own a handler follows the process default.
    SetDefaultCodePage(cyrillic);
    FileHandler writer;
    writer.SetFileName(path);
    writer.ID3v1xTag()->setTitle(title);
    writer.ID3v1xTag()->setTagType(ID3v1);
    EXPECT_EQ(writer.WritingCodePage(), cyrillic);
    ASSERT_TRUE(writer.writeID3v1xTag());
    SetDefaultCodePage(CodePageChoice());
    EXPECT_EQ(test::ReadFile(path)[1003], 0xC3);  // "Г"

    FileHandler western;
    ASSERT_TRUE(western.Create(path));
    EXPECT_EQ(western.ID3v1xTag()->Title(), "\u00C3\u00F0\u00F3\u00EF\u00EF\u00E0 \u00EA\u00F0\u00EE\u00E2\u00E8");
    EXPECT_TRUE(western.UsedCodePage().IsDefault());
    FileHandler named;
    named.setCodePage(cyrillic);
    ASSERT_TRUE(named.Create(path));
    EXPECT_EQ(named.ID3v1xTag()->Title(), title);
    EXPECT_EQ(named.UsedCodePage(), cyrillic);
    // "auto" writes back in the page it found.
    FileHandler detected;
    detected.setCodePage(CodePageChoice::Automatic());
    ASSERT_TRUE(detected.Create(path));
    EXPECT_EQ(detected.ID3v1xTag()->Title(), title);
    EXPECT_EQ(detected.WritingCodePage(), cyrillic);
    EXPECT_EQ(detected.ID3v1xTag()->UnconvertibleCharacters(cyrillic), 0u);
    detected.ID3v1xTag()->setArtist("\u6771\u4EAC");
    EXPECT_EQ(detected.ID3v1xTag()->UnconvertibleCharacters(cyrillic), 2u);
}

// The test set: for every language, files whose texts its writers' code page
// holds (ID3v1, ID3v2 frames in encoding 0, and a Lyrics3 tag in every
// second file). Named, that page reads every text as written. "auto" reads at least
// 95 % of all files right (at least 90 % of each language's: a language has
// about twenty files, and a title of one or two accented letters gives the
// detector next to nothing), and never reads Windows-1252 text with accented
// Latin letters as another alphabet.
TEST(LegacyTextFiles, ReadInTheirCodePage) {
    static const std::vector<std::string> kLatin = {"windows-1252", "windows-1250", "windows-1254",
                                                    "windows-1257"};
    test::TempDir dir;
    size_t files = 0;
    size_t detectedRight = 0;
    for (const test::LegacyLanguage& language : test::LegacyLanguages()) {
        SCOPED_TRACE(language.page);
        const CodePage page = *CodePage::Named(language.page);
        ASSERT_GE(language.songs.size(), 20u);
        size_t right = 0;
        for (size_t i = 0; i < language.songs.size(); ++i) {
            const test::Song& song = language.songs[i];
            const bool lyrics3 = i % 2 == 1;
            const std::string path = dir.File(language.page + std::to_string(i) + ".mp3");
            test::WriteFile(path, test::LegacyTaggedMp3(song, language.charset, lyrics3));
            test::Song cut;  // what fits in the 30 bytes of an ID3v1 field
            test::InCharset(song.title, language.charset, 30, &cut.title);
            test::InCharset(song.artist, language.charset, 30, &cut.artist);
            test::InCharset(song.album, language.charset, 30, &cut.album);
            auto readsRight = [&](FileHandler& file) {
                const ID3V1TagPtr v1 = file.ID3v1xTag();
                bool same = v1->Title() == cut.title && v1->Artist() == cut.artist && v1->Album() == cut.album;
                if (lyrics3) {
                    const LyricsTagPtr tag = file.LyricsTag();
                    same = same && tag->Title() == song.title && tag->Artist() == song.artist &&
                           tag->Album() == song.album;
                }
                const ID3V2TagPtr v2 = file.ID3V2Tag();
                return same && v2 && v2->Title() == song.title && v2->Artist() == song.artist &&
                       v2->Album() == song.album;
            };

            FileHandler named;
            named.setCodePage(page);
            ASSERT_TRUE(named.Create(path));
            EXPECT_TRUE(readsRight(named)) << song.artist << " / " << song.title;

            FileHandler detected;
            detected.setCodePage(CodePageChoice::Automatic());
            ASSERT_TRUE(detected.Create(path));
            if (readsRight(detected)) ++right;
            if (language.page == "windows-1252") {
                EXPECT_NE(std::find(kLatin.begin(), kLatin.end(), detected.UsedCodePage().Name()), kLatin.end())
                    << song.artist << " / " << song.title << " read as " << detected.UsedCodePage().Name();
            }
        }
        std::cout << "[ auto     ] " << language.page << ": " << right << " of " << language.songs.size()
                  << " files read right\n";
        EXPECT_GE(right * 100, language.songs.size() * 90);
        files += language.songs.size();
        detectedRight += right;
    }
    std::cout << "[ auto     ] all: " << detectedRight << " of " << files << " files read right\n";
    EXPECT_GE(detectedRight * 100, files * 95);
}
