// Reads and writes ID3v2 tags with TagLib, for the tests that compare with it.
//
//   taglib_tag read FILE
//       Prints "version 2.N", then "title T" and "artist A" (every value of
//       the artist frame, joined by " / "), then "frames N".
//   taglib_tag write FILE IMAGE
//       Gives FILE an ID3v2.4 tag with a title, two artists, a user text, two
//       comments, the image as front cover, lyrics, private data, a rating and
//       a unique file identifier.
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/popularimeterframe.h>
#include <taglib/privateframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/uniquefileidentifierframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

using namespace TagLib;

namespace {

int Read(const char* path) {
    MPEG::File file(path);
    ID3v2::Tag* tag = file.isValid() ? file.ID3v2Tag(false) : nullptr;
    if (tag == nullptr) {
        std::cerr << "no ID3v2 tag\n";
        return 1;
    }
    std::cout << "version 2." << tag->header()->majorVersion() << "\n";
    std::cout << "title " << tag->title().to8Bit(true) << "\n";
    const ID3v2::FrameList artists = tag->frameListMap()["TPE1"];
    std::string artist;
    if (!artists.isEmpty()) {
        if (auto* text = dynamic_cast<ID3v2::TextIdentificationFrame*>(artists.front())) {
            artist = text->fieldList().toString(" / ").to8Bit(true);
        }
    }
    std::cout << "artist " << artist << "\n";
    std::cout << "frames " << tag->frameList().size() << "\n";
    return 0;
}

int Write(const char* path, const char* image) {
    std::ifstream in(image, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MPEG::File file(path);
    ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle(String("TagLib title", String::UTF8));

    auto* artists = new ID3v2::TextIdentificationFrame("TPE1", String::UTF8);
    artists->setText(StringList(String("First")).append(String("Second")));
    tag->addFrame(artists);
    auto* user = new ID3v2::UserTextIdentificationFrame(String::UTF8);
    user->setDescription("Key");
    user->setText("Value");
    tag->addFrame(user);
    for (const char* description : {"", "iTunNORM"}) {
        auto* comment = new ID3v2::CommentsFrame(String::UTF16);
        comment->setLanguage("eng");
        comment->setDescription(description);
        comment->setText(String("Comment ", String::UTF8) + description);
        tag->addFrame(comment);
    }
    auto* picture = new ID3v2::AttachedPictureFrame;
    picture->setMimeType("image/png");
    picture->setType(ID3v2::AttachedPictureFrame::FrontCover);
    picture->setDescription("Cover");
    picture->setPicture(ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size())));
    tag->addFrame(picture);
    auto* lyrics = new ID3v2::UnsynchronizedLyricsFrame(String::UTF8);
    lyrics->setLanguage("eng");
    lyrics->setText("Line one\nLine two");
    tag->addFrame(lyrics);
    auto* priv = new ID3v2::PrivateFrame;
    priv->setOwner("org.example");
    priv->setData(ByteVector("\x00\x01\xff\xfe", 4));
    tag->addFrame(priv);
    auto* rating = new ID3v2::PopularimeterFrame;
    rating->setEmail("rating@example.org");
    rating->setRating(196);
    rating->setCounter(12);
    tag->addFrame(rating);
    tag->addFrame(new ID3v2::UniqueFileIdentifierFrame("http://musicbrainz.org", "5f1a6b2c-0001"));
    return file.save(MPEG::File::ID3v2, File::StripOthers, ID3v2::v4) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "read" && argc == 3) return Read(argv[2]);
    if (mode == "write" && argc == 4) return Write(argv[2], argv[3]);
    std::cerr << "usage: taglib_tag read FILE | taglib_tag write FILE IMAGE\n";
    return 2;
}
