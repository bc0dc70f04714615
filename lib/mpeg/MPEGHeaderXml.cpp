// The XML description of the first audio frame header.
#include "mpeg/MPEGHeader.h"

#include "xml/XmlNodes.h"

namespace korvel {

std::string MPEGHeader::xml(XmlElement* BaseNode) const {
    XmlElement top = CreateXmlDocument("MPEGHeader", "MPEGHeader");
    pugi::xml_node properties = top.Node.append_child("Properties");
    auto number = [&](const char* name, int64_t value) {
        CreatePropertyNode(properties, name, std::to_string(value));
    };
    auto flag = [&](const char* name, bool value) { CreatePropertyNode(properties, name, value ? "1" : "0"); };
    number("AudioSize", AudioSize());
    number("BitRate", BitRate());
    flag("Copyright", Copyright());
    flag("CRC", CRC());
    number("Duration", Duration());
    CreatePropertyNode(properties, "Emphasis", Emphasis(), std::to_string(EmphasisID()));
    number("FileSize", FileSize());
    number("FrameSize", FrameSize());
    number("Frequency", Frequency());
    CreatePropertyNode(properties, "Layer", Layer(), std::to_string(LayerID()));
    CreatePropertyNode(properties, "Mode", Mode(), std::to_string(ModeID()));
    number("NumFrames", NumFrames());
    flag("Original", Original());
    flag("PaddingBit", PaddingBit());
    flag("PrivateBit", PrivateBit());
    flag("ProtectionBit", ProtectionBit());
    flag("VBR", VBR());
    CreatePropertyNode(properties, "Version", Version(), std::to_string(VersionID()));
    if (BaseNode) *BaseNode = top;
    return SerializeXml(top);
}

}  // namespace korvel
