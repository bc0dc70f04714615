// The XML description of an ID3v2 tag: its version, size and one property per
// frame of the reader of its version.
#include <initializer_list>
#include <string>

#include "id3v2/ID3V2Tag.h"
#include "xml/XmlNodes.h"

namespace korvel {

namespace {

// The last two rules every version shares: a frame with text gives a property
// named by its ID, any other frame its data in Base64.
template <typename Frame>
void AppendPlainFrame(pugi::xml_node properties, const Frame& frame) {
    const std::string text = frame.TextData();
    if (!text.empty()) {
        CreatePropertyNode(properties, frame.ID(), text);
    } else {
        CreateBinaryPropertyNode(properties, frame.ID(), frame.RawData());
    }
}

// A frame the predicate picks out becomes a property of that name holding the
// frame's text; the first predicate that matches wins.
template <typename Frame>
struct NamedText {
    bool (Frame::*is)() const;
    const char* name;
};

template <typename Frame>
void AppendNamedOrPlain(pugi::xml_node properties, const Frame& frame,
                        std::initializer_list<NamedText<Frame>> named) {
    for (const NamedText<Frame>& entry : named) {
        if ((frame.*entry.is)()) {
            CreatePropertyNode(properties, entry.name, frame.TextData());
            return;
        }
    }
    AppendPlainFrame(properties, frame);
}

void AppendFrame(pugi::xml_node properties, const ID3V23Frame& frame) {
    if (frame.IsPicture()) {
        CreateBinaryPropertyNode(properties, "Picture", frame.PictureRAW());
        return;
    }
    using F = ID3V23Frame;
    AppendNamedOrPlain<F>(properties, frame,
                          {{&F::IsAlbum, "Album"}, {&F::IsArtist, "Artist"}, {&F::IsGenre, "Genre"},
                           {&F::IsTitle, "Title"}, {&F::IsTrack, "Track"},
                           {&F::IsComment, "Comment"}, {&F::IsYear, "Year"}});
}

void AppendFrame(pugi::xml_node properties, const ID3V24Frame& frame) {
    if (frame.IsPicture()) {
        // Image bytes as Base64, as for version 2.3.
        CreateBinaryPropertyNode(properties, "Picture", frame.removeHeader());
        return;
    }
    using F = ID3V24Frame;
    AppendNamedOrPlain<F>(properties, frame,
                          {{&F::IsAlbum, "Album"}, {&F::IsArtist, "Artist"}, {&F::IsGenre, "Genre"},
                           {&F::IsTitle, "Title"}, {&F::IsComment, "Comment"}});
}

void AppendFrame(pugi::xml_node properties, const ID3V22Frame& frame) {
    using F = ID3V22Frame;
    AppendNamedOrPlain<F>(properties, frame,
                          {{&F::IsAlbum, "Album"}, {&F::IsArtist, "Artist"}, {&F::IsGenre, "Genre"},
                           {&F::IsTitle, "Title"}, {&F::IsYear, "Year"}});
}

template <typename ReaderPtr>
void AppendFrames(pugi::xml_node properties, const ReaderPtr& reader) {
    if (!reader) return;
    for (int32_t i = 1; i <= reader->FrameCount(); ++i) {
        if (const auto frame = reader->GetFrameByIndex(i)) AppendFrame(properties, *frame);
    }
}

}  // namespace

std::string ID3V2Tag::xml(XmlElement* BaseNode) {
    XmlElement top = CreateXmlDocument("ID3V2Tag", "ID3V2Tag");
    pugi::xml_node properties = top.Node.append_child("Properties");
    CreatePropertyNode(properties, "Version",
                       std::to_string(m_version->Major()) + "." +
                           std::to_string(m_version->Minor()) + "." +
                           std::to_string(m_version->Revision()));
    CreatePropertyNode(properties, "Size", std::to_string(m_size));
    switch (m_version->Minor()) {
        case 2: AppendFrames(properties, ID3V22Tag()); break;
        case 3: AppendFrames(properties, ID3V23Tag()); break;
        case 4: AppendFrames(properties, ID3V24Tag()); break;
        default: break;
    }
    if (BaseNode) *BaseNode = top;
    return SerializeXml(top);
}

}  // namespace korvel
