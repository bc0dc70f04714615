// The XML description of an ID3v2 tag: its version, size and one property per
// frame of the reader of its version.
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

void AppendFrame(pugi::xml_node properties, const ID3V23Frame& frame) {
    if (frame.IsPicture()) {
        CreateBinaryPropertyNode(properties, "Picture", frame.PictureRAW());
    } else if (frame.IsAlbum()) {
        CreatePropertyNode(properties, "Album", frame.TextData());
    } else if (frame.IsArtist()) {
        CreatePropertyNode(properties, "Artist", frame.TextData());
    } else if (frame.IsGenre()) {
        CreatePropertyNode(properties, "Genre", frame.TextData());
    } else if (frame.IsTitle()) {
        CreatePropertyNode(properties, "Title", frame.TextData());
    } else if (frame.IsTrack()) {
        CreatePropertyNode(properties, "Track", frame.TextData());
    } else if (frame.IsComment()) {
        CreatePropertyNode(properties, "Comment", frame.TextData());
    } else if (frame.IsYear()) {
        CreatePropertyNode(properties, "Year", frame.TextData());
    } else {
        AppendPlainFrame(properties, frame);
    }
}

void AppendFrame(pugi::xml_node properties, const ID3V24Frame& frame) {
    if (frame.IsPicture()) {
        // Image bytes as Base64, as for version 2.3.
        CreateBinaryPropertyNode(properties, "Picture", frame.removeHeader());
    } else if (frame.IsAlbum()) {
        CreatePropertyNode(properties, "Album", frame.TextData());
    } else if (frame.IsArtist()) {
        CreatePropertyNode(properties, "Artist", frame.TextData());
    } else if (frame.IsGenre()) {
        CreatePropertyNode(properties, "Genre", frame.TextData());
    } else if (frame.IsTitle()) {
        CreatePropertyNode(properties, "Title", frame.TextData());
    } else if (frame.IsComment()) {
        CreatePropertyNode(properties, "Comment", frame.TextData());
    } else {
        AppendPlainFrame(properties, frame);
    }
}

void AppendFrame(pugi::xml_node properties, const ID3V22Frame& frame) {
    if (frame.IsAlbum()) {
        CreatePropertyNode(properties, "Album", frame.TextData());
    } else if (frame.IsArtist()) {
        CreatePropertyNode(properties, "Artist", frame.TextData());
    } else if (frame.IsGenre()) {
        CreatePropertyNode(properties, "Genre", frame.TextData());
    } else if (frame.IsTitle()) {
        CreatePropertyNode(properties, "Title", frame.TextData());
    } else if (frame.IsYear()) {
        CreatePropertyNode(properties, "Year", frame.TextData());
    } else {
        AppendPlainFrame(properties, frame);
    }
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
