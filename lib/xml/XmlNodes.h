#pragma once
// Building blocks of the XML descriptions the library's classes give of
// themselves: the document frame (declaration, a comment naming the producing
// class, one top element), the property leaves, Base64 text and the
// serialisation.
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "core/Types.h"

namespace korvel {

// An element together with the document that owns it. pugixml nodes are
// handles into their document; holding the document here keeps the element
// valid for as long as the caller keeps this object.
struct XmlElement {
    std::shared_ptr<pugi::xml_document> Document;
    pugi::xml_node Node;

    explicit operator bool() const { return Document && Node; }
};

// A new document holding the XML declaration (version 1.0, encoding UTF-8:
// what the serialisation writes), a comment with the class name and an empty
// top element of the given name, which is returned.
XmlElement CreateXmlDocument(const std::string& className, const std::string& topName);

// The whole document of an element as text (indented with tabs, LF line
// ends, UTF-8).
std::string SerializeXml(const XmlElement& element);
std::string SerializeXml(const pugi::xml_document& document);
// The same, written to a stream.
void WriteXml(const pugi::xml_document& document, std::ostream& out);

// Appends <Property Name="name" [ID="id"] Value="value"/> to parent (the ID
// attribute only when id is not empty) and returns it.
pugi::xml_node CreatePropertyNode(pugi::xml_node parent, const std::string& name,
                                  const std::string& value, const std::string& id = "");

// Appends <Property Name="name"><Value dt:dt="bin.base64">BASE64</Value>
// </Property> to parent and returns it. Empty bytes give an empty Value.
pugi::xml_node CreateBinaryPropertyNode(pugi::xml_node parent, const std::string& name,
                                        std::span<const uint8_t> bytes);

// Base64 with the RFC 2045 alphabet and '=' padding, on one line.
std::string Base64Encode(const uint8_t* data, size_t size);
inline std::string Base64Encode(const Bytes& bytes) {
    return Base64Encode(bytes.data(), bytes.size());
}
// The bytes of Base64 text as Base64Encode writes it (whole groups of four,
// '=' padding only at the end); false for anything else.
bool Base64Decode(std::string_view text, Bytes& out);

// Text that XML 1.0 can hold: zero characters at its end (terminators) are
// dropped; other characters it forbids (control characters other than tab,
// line feed and carriage return, U+FFFE, U+FFFF) and malformed UTF-8 become
// U+FFFD.
std::string XmlSafeText(std::string_view text);

// Appends a copy of the top element of source below parent and returns the
// copy (documents cannot share nodes, so the element is copied, not moved).
pugi::xml_node AppendElement(pugi::xml_node parent, const XmlElement& source);

}  // namespace korvel
