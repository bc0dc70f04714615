// The pieces of reading and copying that work on whole buffers: the
// Windows-1252 decoder, bounded reads of an open file, pictures decoded on
// demand, reading that neither sets the updatable tag up nor copies
// pictures, the Lyrics3 trailer read by Create, and the copy of a range of
// one file into a replacement file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <system_error>

#include "core/Ansi.h"
#include "core/BinaryFile.h"
#include "file/FileHandler.h"
#include "file/FileReport.h"
#include "id3v2/TagContents.h"
#include "id3v230/ID3V230.h"
#include "core/Picture.h"
#include "core/ReplacementFile.h"
#include "errors/KorvelException.h"
#include "support/ID3V2Builder.h"
#include "support/Mp3Builder.h"
#include "support/TestSupport.h"

using namespace korvel;

namespace {

// The decoder as one character at a time.
std::string Reference(const Bytes& bytes, uint8_t lowest) {
    std::string out;
    for (uint8_t b : bytes) {
        if (b >= lowest) AppendUtf8(out, AnsiByteToCodePoint(b));
    }
    return out;
}

}  // namespace

TEST(ReadPath, Windows1252DecodingOfLongBuffers) {
    // Every byte value at every position of a buffer, including the last
    // ones, where a character of three bytes ends the text.
    Bytes all;
    for (int round = 0; round < 3; ++round) {
        for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>((b * 37 + round) & 0xFF));
    }
    all.push_back(0x80);  // U+20AC, three bytes, last
    EXPECT_EQ(AnsiToUtf8(all), Reference(all, 0));
    EXPECT_EQ(AnsiToUtf8Keeping(all.data(), all.size(), 3), Reference(all, 3));
    EXPECT_EQ(AnsiToUtf8(all).size(), Reference(all, 0).size());

    EXPECT_EQ(AnsiToUtf8(Bytes{}), "");
    EXPECT_EQ(AnsiToUtf8Keeping(nullptr, 0, 3), "");
    const Bytes controls = {0, 1, 2, 'a', 2, 0x9F};
    EXPECT_EQ(AnsiToUtf8Keeping(controls.data(), controls.size(), 3), "a\u0178");
    EXPECT_EQ(AnsiToUtf8(controls), std::string("\0\1\2a\2\u0178", 7));
}

TEST(ReadPath, BoundedReadsOfAnOpenFile) {
    test::TempDir dir;
    const std::string path = dir.File("f.bin");
    test::WriteFile(path, test::B("0123456789"));
    const BinaryFile file(path);
    EXPECT_EQ(file.Length(), 10);
    EXPECT_EQ(file.ReadExact(6, 4), test::B("6789"));
    EXPECT_EQ(file.ReadExact(10, 0), Bytes{});
    EXPECT_EQ(file.ReadAt(8, 10), test::B("89"));
    // A count far past the end (a tag's claimed size) takes no buffer of that size.
    EXPECT_EQ(file.ReadAt(4, size_t{1} << 45), test::B("456789"));
    EXPECT_EQ(file.ReadAt(-1, 3), Bytes{});
    // A count far beyond the file (a tag size field that lies) is not
    // allocated: the read gives what there is.
    EXPECT_EQ(file.ReadAt(0, size_t{1} << 40), test::B("0123456789"));
    for (const auto& [offset, count] : std::vector<std::pair<int64_t, size_t>>{
             {7, 4}, {-1, 2}, {11, 0}, {0, 11}, {2, static_cast<size_t>(-1)}, {INT64_MAX, 1}}) {
        SCOPED_TRACE(std::to_string(offset) + "+" + std::to_string(count));
        try {
            file.ReadExact(offset, count);
            ADD_FAILURE() << "no failure";
        } catch (const KorvelException& e) {
            EXPECT_EQ(e.Number(), 62);
        }
    }
}

TEST(ReadPath, PicturesDecodeOnDemandWithTheSameAnswers) {
    const Bytes bmp = test::TinyBmp();
    const PicturePtr a = PictureObject::FromBytes(bmp);
    const PicturePtr b = PictureObject::FromBytes(bmp);
    EXPECT_EQ(a->Data(), bmp);
    EXPECT_EQ(a->MimeType(), "image/bmp");
    EXPECT_EQ(a->Width(), 2);
    EXPECT_EQ(a->Height(), 1);
    ASSERT_NE(a->handle(), 0);
    EXPECT_EQ(a->handle(), a->handle());
    ASSERT_NE(b->handle(), 0);
    EXPECT_NE(a->handle(), b->handle());
    EXPECT_TRUE(HasImage(b));

    // A known signature in front of bytes that do not decode.
    const Bytes broken = test::Concat({test::B("\xFF\xD8\xFF\xE0", 4), Bytes(500, 0x41)});
    const PicturePtr c = PictureObject::FromBytes(broken);
    EXPECT_EQ(c->MimeType(), "image/jpeg");
    EXPECT_EQ(c->handle(), 0);
    EXPECT_EQ(c->Width(), 0);
    EXPECT_EQ(c->Data(), broken);
    EXPECT_FALSE(HasImage(c));
    EXPECT_EQ(PictureObject::FromBytes(test::B("plain text"))->handle(), 0);
}

namespace {

// The updatable tag, counting the tags whose frames are handed to it.
class CountingTag : public ID3V230 {
public:
    static inline int attached = 0;
    void Attach(const std::string& fileName, std::shared_ptr<const TagContents> contents) override {
        ++attached;
        ID3V230::Attach(fileName, std::move(contents));
    }
};

bool Inside(std::span<const uint8_t> part, const Bytes& whole) {
    return !part.empty() && part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

}  // namespace

TEST(ReadPath, ReadingNeitherSetsTheUpdatableTagUpNorCopiesPictures) {
    KORVEL_SKIP_WITHOUT_ID3LIB();
    SetUpdatableTagMaker([] { return std::make_shared<CountingTag>(); });
    struct Restore {
        ~Restore() { SetUpdatableTagMaker([] { return std::make_shared<ID3V230>(); }); }
    } restore;
    CountingTag::attached = 0;
    test::TempDir dir;
    const std::string path = dir.File("a.mp3");
    const Bytes image = test::PngImage();
    const Bytes frames = test::Concat({test::Frame23("TIT2", test::Latin1("Title")),
                                       test::Frame23("TCON", test::Latin1("(17)")),
                                       test::Frame23("APIC", test::Concat({test::B("\0image/png\0\3\0", 13), image}))});
    test::WriteFile(path, test::Concat({test::Tag(3, frames), test::MpegAudio()}));
    FileHandler file;
    ASSERT_TRUE(file.Create(path));
    const ID3V2TagPtr tag = file.ID3V2Tag();
    ASSERT_TRUE(tag);
    ASSERT_TRUE(tag->canSave());

    // Everything korvel info, korvel xml, the facade and the editors read.
    EXPECT_FALSE(AttributeRows(file).empty());
    EXPECT_FALSE(file.xml().empty());
    for (const TagFieldInfo& info : TagFields()) (void)tag->Field(info.field);
    int16_t id = -1;
    std::string name;
    EXPECT_TRUE(tag->splittedGenre(id, name));
    EXPECT_EQ(id, 17);
    EXPECT_EQ(name, "Rock");
    const PicturePtr picture = tag->Picture();
    ASSERT_TRUE(picture);
    const ID3V23TagPtr reader = tag->ID3V23Tag();
    ASSERT_TRUE(reader);
    for (int32_t i = 1; i <= reader->FrameCount(); ++i) (void)reader->GetFrameByIndex(i)->TextData();
    const PicturePtr framePicture = reader->GetFrameByID("APIC")->createPicture();
    ASSERT_TRUE(framePicture);
    EXPECT_EQ(CountingTag::attached, 0);

    // Pictures are views of the tag as read; a copy is made when asked for.
    const Bytes& bytes = *tag->Contents()->bytes;
    EXPECT_TRUE(Inside(picture->View(), bytes));
    EXPECT_TRUE(Inside(framePicture->View(), bytes));
    EXPECT_EQ(picture->Data(), image);

    // A change sets the updatable tag up, once; its picture is still a view.
    tag->setTitle("New");
    tag->setArtist("Someone");
    EXPECT_EQ(CountingTag::attached, 1);
    const PicturePtr kept = tag->Picture();
    ASSERT_TRUE(kept);
    EXPECT_TRUE(Inside(kept->View(), bytes));
}

namespace {

// The Lyrics3 answer of a handler, or the failure's description.
std::string LyricsAnswer(const std::function<LyricsTagPtr()>& load) {
    try {
        const LyricsTagPtr tag = load();
        std::string answer = std::to_string(static_cast<int>(tag->Version()));
        for (int32_t i = 1; i <= tag->FieldCount(); ++i) answer += "|" + tag->getFieldByIndex(i)->TextData();
        return answer + "|" + tag->RawText();
    } catch (const KorvelException& e) {
        return "failed: " + e.Description();
    }
}

}  // namespace

TEST(ReadPath, LyricsFoundFromTheTrailerCreateReadAsFromTheFile) {
    std::vector<std::string> paths;
    test::TempDir dir;
    // Lyrics3 v2.00 in front of an ID3v1 tag, and at the very end.
    const Bytes lyrics = test::Lyrics3Tag("IND00002" "10" "LYR00005Words");
    test::Mp3Spec stream;
    stream.ID3v1 = test::Concat({lyrics, test::ID3v1Record("T")});
    paths.push_back(dir.File("withv1.mp3"));
    test::WriteFile(paths.back(), test::BuildMp3(stream));
    stream.ID3v1 = lyrics;
    paths.push_back(dir.File("atend.mp3"));
    test::WriteFile(paths.back(), test::BuildMp3(stream));
    stream.ID3v1 = test::ID3v1Record("T");
    paths.push_back(dir.File("nolyrics.mp3"));
    test::WriteFile(paths.back(), test::BuildMp3(stream));
    paths.push_back(dir.File("short.mp3"));
    test::WriteFile(paths.back(), test::Concat({lyrics, Bytes(100, 0)}));
    if (test::CorpusAvailable()) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(test::CorpusPath(""))) {
            if (entry.is_regular_file() && entry.path().extension() == ".mp3") paths.push_back(entry.path().string());
        }
    }
    int withLyrics = 0;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        FileHandler handler;
        if (!handler.Create(path)) continue;
        const bool hasID3v1 = handler.HasID3V1Tag();
        const std::string fromHandler = LyricsAnswer([&] { return handler.LyricsTag(); });
        const std::string fromFile = LyricsAnswer([&] {
            auto tag = std::make_shared<LyricsTag>();
            tag->Load(path, hasID3v1);
            return tag;
        });
        EXPECT_EQ(fromHandler, fromFile);
        if (fromFile.rfind("0|", 0) != 0) ++withLyrics;
    }
    EXPECT_GE(withLyrics, 2);

    // A held ID3v1 tag that no longer matches what Create found: the
    // Lyrics3 tag is looked for in front of it, in the file.
    FileHandler handler;
    ASSERT_TRUE(handler.Create(paths[1]));
    EXPECT_TRUE(handler.HasLyricsTag());
    FileHandler other;
    ASSERT_TRUE(other.Create(paths[1]));
    auto v1 = std::make_shared<ID3V1Tag>();
    v1->setTitle("x");
    v1->setTagType(ID3v1);
    other.setID3v1xTag(v1);
    ASSERT_TRUE(other.HasID3V1Tag());
    EXPECT_FALSE(other.HasLyricsTag());
}

TEST(ReadPath, AppendingARangeOfAnotherFile) {
    test::TempDir dir;
    const std::string source = dir.File("source.bin");
    Bytes content(3 * ReplacementFile::kChunkSize + 777);
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>((i * 131) >> 3);
    test::WriteFile(source, content);
    const std::string target = dir.File("target.bin");
    test::WriteFile(target, test::B("old"));
    {
        const BinaryFile from(source);
        ReplacementFile replacement(target);
        replacement.Write(test::B("head"));
        replacement.AppendFrom(from, 1000, static_cast<int64_t>(content.size()) - 1500);
        replacement.Write(test::B("tail"));
        replacement.Commit();
    }
    Bytes expected = test::B("head");
    expected.insert(expected.end(), content.begin() + 1000, content.end() - 500);
    const Bytes tail = test::B("tail");
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(test::ReadFile(target), expected);

    // A range past the end of the source fails and leaves the target alone.
    {
        const BinaryFile from(source);
        ReplacementFile replacement(target);
        EXPECT_THROW(replacement.AppendFrom(from, 10, static_cast<int64_t>(content.size())), std::system_error);
    }
    EXPECT_EQ(test::ReadFile(target), expected);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"source.bin", "target.bin"}));
}
