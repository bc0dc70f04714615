// The XML description of an ID3v2 tag: its version, size and one property per
// frame, in file order.
#include <string>

#include "id3v2/FrameContent.h"
#include "id3v2/ID3V2Tag.h"
#include "id3v2/TagContents.h"
#include "xml/XmlNodes.h"

namespace korvel {

namespace {

// A picture gives its image in Base64 under "Picture"; a frame that holds a
// field of the version's description gives its text under the field's name
// (Title, Artist, ...); any other frame with text its text under its ID, and
// a frame of bytes (or without text) its content in Base64 under its ID.
void AppendFrame(pugi::xml_node properties, const FrameRecord& frame, const CodePage& codePage, int version) {
    const FrameContent content = DecodeFrame(frame, codePage);
    if (content.kind == FrameKind::Picture) {
        CreateBinaryPropertyNode(properties, "Picture", content.data);
        return;
    }
    for (const TagFieldInfo& info : TagFields()) {
        if ((info.xmlVersions & (1u << version)) != 0 && frame.id == FrameIdOf(info, version)) {
            CreatePropertyNode(properties, info.name, FrameValueText(content));
            return;
        }
    }
    if (!IsBinaryKind(content.kind)) {
        const std::string text = FrameValueText(content);
        if (!text.empty()) {
            CreatePropertyNode(properties, frame.id, text);
            return;
        }
    }
    CreateBinaryPropertyNode(properties, frame.id, frame.data);
}

}  // namespace

std::string ID3V2Tag::xml(XmlElement* BaseNode) {
    XmlElement top = CreateXmlDocument("ID3V2Tag", "ID3V2Tag");
    FillXml(top.Node);
    if (BaseNode) *BaseNode = top;
    return SerializeXml(top);
}

void ID3V2Tag::FillXml(pugi::xml_node top) {
    pugi::xml_node properties = top.append_child("Properties");
    CreatePropertyNode(properties, "Version",
                       std::to_string(m_version->Major()) + "." + std::to_string(m_version->Minor()) + "." +
                           std::to_string(m_version->Revision()));
    CreatePropertyNode(properties, "Size", std::to_string(m_size));
    const int version = m_version->Minor();
    if (version >= 2 && version <= 4 && EnsureLoaded() && m_contents) {
        for (const FrameRecord& frame : m_contents->frames) {
            AppendFrame(properties, frame, m_contents->codePage, version);
        }
    }
}

}  // namespace korvel
