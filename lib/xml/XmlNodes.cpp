#include "xml/XmlNodes.h"

#include <ostream>

#include "core/Ansi.h"

namespace korvel {

namespace {

bool XmlAllows(char32_t cp) {
    if (cp < 0x20) return cp == 0x09 || cp == 0x0A || cp == 0x0D;
    if (cp >= 0xD800 && cp <= 0xDFFF) return false;
    return cp != 0xFFFE && cp != 0xFFFF && cp <= 0x10FFFF;
}

// True when the text is plain ASCII that XML allows (the common case, which
// then needs no copy through UTF-32).
bool IsPlainXmlText(std::string_view text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 || (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D)) return false;
    }
    return true;
}

}  // namespace

std::string XmlSafeText(std::string_view text) {
    // Zero characters that end a text are terminators, not content.
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    if (IsPlainXmlText(text)) return std::string(text);
    std::u32string chars = Utf8ToUtf32(text);
    for (char32_t& cp : chars) {
        if (!XmlAllows(cp)) cp = 0xFFFD;
    }
    return Utf32ToUtf8(chars);
}

XmlElement CreateXmlDocument(const std::string& className, const std::string& topName) {
    XmlElement result;
    result.Document = std::make_shared<pugi::xml_document>();
    pugi::xml_node declaration = result.Document->append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    result.Document->append_child(pugi::node_comment).set_value(className.c_str());
    result.Node = result.Document->append_child(topName.c_str());
    return result;
}

namespace {

// Collects what pugixml writes in one string.
class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    void write(const void* data, size_t size) override { m_out.append(static_cast<const char*>(data), size); }

private:
    std::string& m_out;
};

}  // namespace

void WriteXml(const pugi::xml_document& document, std::ostream& out) {
    document.save(out, "\t", pugi::format_indent, pugi::encoding_utf8);
}

std::string SerializeXml(const pugi::xml_document& document) {
    std::string text;
    StringWriter writer(text);
    document.save(writer, "\t", pugi::format_indent, pugi::encoding_utf8);
    return text;
}

std::string SerializeXml(const XmlElement& element) {
    if (!element.Document) return std::string();
    return SerializeXml(*element.Document);
}

pugi::xml_node CreatePropertyNode(pugi::xml_node parent, const std::string& name,
                                  const std::string& value, const std::string& id) {
    pugi::xml_node property = parent.append_child("Property");
    property.append_attribute("Name").set_value(XmlSafeText(name).c_str());
    if (!id.empty()) property.append_attribute("ID").set_value(XmlSafeText(id).c_str());
    property.append_attribute("Value").set_value(XmlSafeText(value).c_str());
    return property;
}

pugi::xml_node CreateBinaryPropertyNode(pugi::xml_node parent, const std::string& name,
                                        std::span<const uint8_t> bytes) {
    pugi::xml_node property = parent.append_child("Property");
    property.append_attribute("Name").set_value(XmlSafeText(name).c_str());
    pugi::xml_node value = property.append_child("Value");
    // The data type in the customary datatypes namespace, so that readers
    // which know it decode the text back into bytes.
    value.append_attribute("xmlns:dt").set_value("urn:schemas-microsoft-com:datatypes");
    value.append_attribute("dt:dt").set_value("bin.base64");
    if (!bytes.empty()) value.text().set(Base64Encode(bytes.data(), bytes.size()).c_str());
    return property;
}

std::string Base64Encode(const uint8_t* data, size_t size) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    // Written through a pointer into text of its final length: pictures make
    // texts of hundreds of kilobytes.
    std::string out((size + 2) / 3 * 4, '=');
    char* p = out.data();
    size_t i = 0;
    for (; i + 3 <= size; i += 3, p += 4) {
        const uint32_t v = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
        p[0] = kAlphabet[(v >> 18) & 0x3F];
        p[1] = kAlphabet[(v >> 12) & 0x3F];
        p[2] = kAlphabet[(v >> 6) & 0x3F];
        p[3] = kAlphabet[v & 0x3F];
    }
    const size_t rest = size - i;
    if (rest > 0) {
        uint32_t v = uint32_t{data[i]} << 16;
        if (rest == 2) v |= uint32_t{data[i + 1]} << 8;
        p[0] = kAlphabet[(v >> 18) & 0x3F];
        p[1] = kAlphabet[(v >> 12) & 0x3F];
        if (rest == 2) p[2] = kAlphabet[(v >> 6) & 0x3F];
    }
    return out;
}

bool Base64Decode(std::string_view text, Bytes& out) {
    out.clear();
    if (text.size() % 4 != 0) return false;
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        // Padding: "xx==" or "xxx=" in the last group only.
        const size_t padding = last ? (text[i + 3] == '=' ? (text[i + 2] == '=' ? 2 : 1) : 0) : 0;
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int d = k < 4 - padding ? value(text[i + k]) : 0;
            if (d < 0) return false;
            v = (v << 6) | static_cast<uint32_t>(d);
        }
        out.push_back(static_cast<uint8_t>(v >> 16));
        if (padding < 2) out.push_back(static_cast<uint8_t>(v >> 8));
        if (padding < 1) out.push_back(static_cast<uint8_t>(v));
        // The bits behind the last byte must be zero, as the encoder leaves them.
        if ((padding == 1 && (v & 0xFF) != 0) || (padding == 2 && (v & 0xFFFF) != 0)) return false;
    }
    return true;
}

pugi::xml_node AppendElement(pugi::xml_node parent, const XmlElement& source) {
    return parent.append_copy(source.Node);
}

}  // namespace korvel
